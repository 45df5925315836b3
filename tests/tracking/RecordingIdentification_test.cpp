// Identification of an opened recording from archived element sets and the
// catalogue: which set is tested, how the window is placed, plain files and
// ZIP archives alike.
#include "orbit/Catalogue.h"
#include "orbit/Sat.h"
#include "support/TestEnv.h"
#include "tracking/RecordingIdentification.h"
#include "tracking/TrackingFixtures.h"
#include "tracking/Zip.h"
#include "RepeatedEntryZip.h"

#include <QDir>
#include <QFile>
#include <QProcess>
#include <gtest/gtest.h>

using namespace trackingfixtures;

namespace {

constexpr double kSecond = 1 / 86400.0;

// Line 1 of an element set with its epoch moved by days, checksum renewed.
QByteArray WithEpochMovedBy(const QByteArray& line1, double days)
{
    QByteArray line = line1.left(69);
    const double epoch = line.mid(18, 14).trimmed().toDouble() + days;
    line.replace(18, 14, QByteArray::number(epoch, 'f', 8).rightJustified(14, '0'));
    int sum = 0;
    for (int i = 0; i < 68; ++i)
        sum += line[i] == '-' ? 1 : (line[i] >= '0' && line[i] <= '9' ? line[i] - '0' : 0);
    line[68] = char('0' + sum % 10);
    return line;
}

struct Archive {
    Archive()
    {
        QDir(folder).removeRecursively();
        QDir().mkpath(folder);
    }
    void Write(const QString& name, const QByteArray& text) const
    {
        QDir().mkpath(QFileInfo(folder + name).path());
        QFile file(folder + name);
        file.open(QIODevice::WriteOnly);
        file.write(text);
    }
    QString folder = testenv::ProgramDir() + "kepler/archive/";
};

class RecordingIdentification : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (!LoadWeatherCatalogue(catalogue))
            SKIP_MISSING("missing " << kElementFile);
        noaa18 = FindSatellite(&catalogue, "NOAA 18");
        ASSERT_NE(noaa18, nullptr);
        // A high pass two days after the epoch, as the set itself predicts it.
        TSat sat(*noaa18);
        for (double day = DateTimeToDayNumber(sat.GetEpochDateTime()) + 2;; day = sat.LOS + 60 * kSecond) {
            ASSERT_TRUE(sat.PredictPass(&station, day, 0));
            if (sat.MaxElevation > 40)
                break;
        }
        pass = sat;
        t = TSat::DayNumberToDateTime(pass.TCA);
    }

    // Three sets of NOAA 18: four days before, at and four days after the epoch.
    QByteArray ThreeSets(const QByteArray& between = {}) const
    {
        const QByteArray line1 = QByteArray(noaa18->Line1, 69), line2 = QByteArray(noaa18->Line2, 69);
        return "NOAA 18\n" + WithEpochMovedBy(line1, -4) + "\n" + line2 + "\n" + between + "NOAA 18\n" + line1 +
               "\n" + line2 + "\n" + between + "NOAA 18\n" + WithEpochMovedBy(line1, 4) + "\n" + line2 + "\n";
    }

    TSatelliteList catalogue;
    TSat* noaa18 = nullptr;
    TStation station = Berlin();
    TSat pass;
    TDateTime t = 0;
};

}  // namespace

TEST_F(RecordingIdentification, TheSetJustBeforeTheRecordingIsTestedAndPlacesTheWindowAroundTCA)
{
    Archive archive;
    archive.Write("NOAA-18.txt", ThreeSets());
    TRecordingCandidates found;
    CollectArchivedCandidates(archive.folder, &station, t, 300, found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_EQ(found[0].Name.toStdString(), "NOAA 18") << "the file's name names its sets";
    EXPECT_STREQ(found[0].Sat->Line1, noaa18->Line1) << "the set issued before the recording, not the older one";
    EXPECT_NEAR(found[0].Sat->TCA, pass.TCA, 2 * kSecond);
    EXPECT_NEAR(found[0].Sat->WindowStart, pass.TCA - 300 * kSecond, 2 * kSecond);
    EXPECT_NEAR(found[0].Sat->WindowStop, pass.TCA + 300 * kSecond, 2 * kSecond);
    EXPECT_EQ(found[0].Sat->Northbound, pass.Northbound);

    // Six days on every set of the file is older: nothing proves it valid.
    found.clear();
    CollectArchivedCandidates(archive.folder, &station, t + 6, 300, found);
    EXPECT_TRUE(found.empty());
}

TEST_F(RecordingIdentification, ZipArchivesAreReadEntryByEntryPastBlankLinesAndFolders)
{
    Archive archive;
    archive.Write("zipped/sets/NOAA-18.txt", ThreeSets("\n"));
    QProcess zip;
    zip.setWorkingDirectory(archive.folder + "zipped");
    zip.start("zip", {"-q", "-r", "../old-sets.zip", "sets"});
    ASSERT_TRUE(zip.waitForFinished() && zip.exitCode() == 0) << "Debian's zip is needed";
    QDir(archive.folder + "zipped").removeRecursively();

    TRecordingCandidates found;
    CollectArchivedCandidates(archive.folder, &station, t, 300, found);
    ASSERT_EQ(found.size(), 1u) << "the folder entry \"sets/\" is passed over, blank lines are no end";
    EXPECT_STREQ(found[0].Sat->Line1, noaa18->Line1);
}

TEST_F(RecordingIdentification, ArchivesAndFilesAreReadOnlyUpToASetFilesSize)
{
    // The entry's sets come first: a directory listing it 60 times once gave
    // the same candidate 60 times.
    Archive archive;
    const QByteArray sets = ThreeSets();
    ASSERT_TRUE(WriteRepeatedEntryZip(archive.folder + "repeated.zip", "NOAA-18.txt", sets, 60))
        << "Debian's zip is needed";
    TRecordingCandidates found;
    EXPECT_EQ(CollectArchivedCandidates(archive.folder, &station, t, 300, found), sets.size());
    EXPECT_EQ(found.size(), 1u);

    // 16 MiB without a set, listed 60 times, next to a plain file as large
    // with one line that never ends: read to the limit, once each.
    Archive hostile;
    ASSERT_TRUE(WriteRepeatedEntryZip(hostile.folder + "bomb.zip", "NOAA-18.txt", QByteArray(16 << 20, '\n'), 60));
    hostile.Write("NOAA-19.txt", QByteArray(16 << 20, '1'));
    found.clear();
    EXPECT_EQ(CollectArchivedCandidates(hostile.folder, &station, t, 300, found), 2 * kZipEntryReadLimit);
    EXPECT_TRUE(found.empty());
}

TEST_F(RecordingIdentification, OneArchiveCostsAtMostItsLimitAndWhatItPassesOverIsSaid)
{
    // Twelve names for one stream of 5 MiB blank lines: each entry alone is
    // within the entry limit's reach, together they are three times the
    // archive's; the sets stand in a plain file beside it.
    Archive archive;
    QStringList names;
    for (int i = 0; i < 12; ++i)
        names << QString("N-%1.txt").arg(i, 2, 10, QChar('0'));
    ASSERT_TRUE(WriteSharedStreamZip(archive.folder + "shared.zip", names, QByteArray(5 << 20, '\n')))
        << "Debian's zip is needed";
    archive.Write("NOAA-18.txt", ThreeSets());
    TRecordingCandidates found;
    QStringList notes;
    const qint64 read = CollectArchivedCandidates(archive.folder, &station, t, 300, found, &notes);
    EXPECT_EQ(read, kZipArchiveReadLimit + ThreeSets().size()) << "four entries to their limit, then nothing";
    EXPECT_EQ(found.size(), 1u) << "the plain file beside it is still read";
    ASSERT_EQ(notes.size(), 1) << notes.join('\n').toStdString();
    EXPECT_TRUE(notes[0].startsWith(archive.folder + "shared.zip: reading stopped after 16 MiB")) << notes[0].toStdString();
    EXPECT_TRUE(notes[0].endsWith(" 8 more entries were passed over.")) << notes[0].toStdString();

    // The limit reached inside an entry names it as read in part.
    Archive cut;
    ASSERT_TRUE(WriteSharedStreamZip(cut.folder + "cut.zip", names.mid(0, 6), QByteArray(3 << 20, '\n')));
    notes.clear();
    EXPECT_EQ(CollectArchivedCandidates(cut.folder, &station, t, 300, found, &notes), kZipArchiveReadLimit);
    ASSERT_EQ(notes.size(), 1);
    EXPECT_TRUE(notes[0].endsWith("\"N-05.txt\" was read in part; 0 more entries were passed over.")) << notes[0].toStdString();

    // Within the limit nothing is said.
    Archive small;
    ASSERT_TRUE(WriteSharedStreamZip(small.folder + "small.zip", names.mid(0, 3), QByteArray(1 << 20, '\n')));
    notes.clear();
    EXPECT_EQ(CollectArchivedCandidates(small.folder, &station, t, 300, found, &notes), 3 << 20);
    EXPECT_TRUE(notes.isEmpty()) << notes.join('\n').toStdString();
}

TEST_F(RecordingIdentification, ANameLineStartingWithOneDoesNotHideTheSetBehindIt)
{
    // The archive file as the merge writes it for a satellite whose name
    // starts with a digit.
    Archive archive;
    archive.Write("NOAA-18.txt", ThreeSets().replace("NOAA 18\n", "1KUNS-PF\n"));
    TRecordingCandidates found;
    CollectArchivedCandidates(archive.folder, &station, t, 300, found);
    ASSERT_EQ(found.size(), 1u);
    EXPECT_STREQ(found[0].Sat->Line1, noaa18->Line1);
}

TEST_F(RecordingIdentification, AWindowEndBelowTheHorizonIsClippedToTheRiseOrRefused)
{
    // The elevation a second at a time before AOS, to find -5 and -12 degrees.
    TSat walk(pass);
    const auto secondsBeforeTCAAt = [&walk](double elevationDeg) {
        for (walk.Time = walk.AOS;; walk.Time -= kSecond) {
            walk.ComputePosition();
            if (walk.Elevation <= elevationDeg)
                return (walk.TCA - walk.Time) / kSecond;
        }
    };
    const double fiveBelow = secondsBeforeTCAAt(-5), twelveBelow = secondsBeforeTCAAt(-12);

    TSat candidate(pass);
    ASSERT_TRUE(CheckRecordingCandidate(candidate, &station, t, fiveBelow));
    EXPECT_NEAR(candidate.WindowStart, pass.AOS, 2 * kSecond) << "-5 degrees at the start: the window opens at AOS";
    EXPECT_NEAR(candidate.WindowStop, pass.LOS, 2 * kSecond);
    EXPECT_FALSE(CheckRecordingCandidate(candidate, &station, t, twelveBelow)) << "-12 degrees: not this pass";
    EXPECT_FALSE(CheckRecordingCandidate(candidate, &station, TSat::DayNumberToDateTime(pass.LOS) + 0.01, 60))
        << "below the horizon at the recording's middle";
}

TEST_F(RecordingIdentification, OnlyActiveAPTSatellitesOfTheCatalogueAreTested)
{
    TRecordingCandidates found;
    CollectCatalogueCandidates(catalogue, &station, t, 300, found);
    ASSERT_EQ(found.size(), 1u) << "only NOAA 18 is above Berlin then";
    EXPECT_EQ(found[0].Name.toStdString(), "NOAA 18");

    noaa18->APTSatellite = 0;
    found.clear();
    CollectCatalogueCandidates(catalogue, &station, t, 300, found);
    EXPECT_TRUE(found.empty());
}

TEST(RecordingTime, IsTheFileTimeLessHalfTheLength)
{
    const QString path = testenv::ProgramDir() + "rec.wav";
    QDir().mkpath(testenv::ProgramDir());
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    const QDateTime modified(QDate(2021, 11, 2), QTime(10, 20, 0), Qt::UTC);
    ASSERT_TRUE(file.setFileTime(modified, QFileDevice::FileModificationTime));
    file.close();
    TDateTime t = 0;
    ASSERT_TRUE(RecordingMiddleTime(path, 300, t));
    EXPECT_EQ(FormatDateTime("yyyy-mm-dd hh:nn:ss", t).toStdString(), "2021-11-02 10:15:00");
    EXPECT_FALSE(RecordingMiddleTime(path + ".none", 300, t));
}
