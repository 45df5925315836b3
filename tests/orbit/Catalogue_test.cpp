// The catalogue files: element sets and satellite data loaded, saved and
// merged, replaced sets archived.
#include "PassFixtures.h"
#include "orbit/Catalogue.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

using namespace passfixtures;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data)
{
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QByteArray SetText(const SetLines& set, const char* eol = "\n")
{
    return QByteArray(set.name) + eol + set.line1 + eol + set.line2 + eol;
}

QStringList Names(const PList& list)
{
    QStringList names;
    for (int i = 0; i < list.Count; ++i)
        names << QString::fromLatin1(static_cast<TSat*>(list.Get(i))->Name);
    return names;
}

class Catalogue : public ::testing::Test {
protected:
    QString dir = testenv::ProgramDir() + "config";
    QString tle = dir + "/sattrack.tle";
    QString db = dir + "/sattrack.db";
    TSatelliteList catalogue;

    void SetUp() override
    {
        QDir(dir).removeRecursively();  // a clean config folder, also when run in one process
        QDir().mkpath(dir);
    }

    TTLELoadResult LoadText(const QByteArray& text, const QString& group = "")
    {
        WriteAll(tle, text);
        return LoadTLEFile(tle, db, group, &catalogue, nullptr);
    }
};

}  // namespace

TEST_F(Catalogue, RealFileLoadsSavesAndLoadsAgain)
{
    const QString real = testenv::SharedDataPath("tle/weather-2021-10-31-no-final-newline.txt");
    if (real.isEmpty())
        SKIP_MISSING("tle/weather-2021-10-31-no-final-newline.txt not found");
    TTLELoadResult r = LoadTLEFile(real, db, "Weather", &catalogue, nullptr);
    EXPECT_EQ(r.State, TTLELoadResult::Loaded);
    EXPECT_EQ(r.Taken, 53) << "CR LF lines, and the last set without a final newline";
    EXPECT_EQ(r.BadSets, 0);
    EXPECT_EQ(r.Duplicates, 0);
    EXPECT_TRUE(r.Problems.isEmpty()) << r.Problems.join('\n').toStdString();
    ASSERT_EQ(catalogue.Count, 53);
    auto* noaa18 = FindSatellite(&catalogue, "NOAA 18");
    ASSERT_NE(noaa18, nullptr);
    EXPECT_EQ(noaa18->Group, "Weather") << "no database: the group given";
    EXPECT_EQ(FindSatellite(&catalogue, "noaa 18"), nullptr) << "names are exact";
    noaa18->APTSatellite = 1;
    noaa18->Downlink = "137.9125";

    QString error;
    ASSERT_TRUE(SaveTLEFile(catalogue, tle, db, "Orvanta 0.1", nullptr, error)) << error.toStdString();
    const QByteArray saved = ReadAll(tle);
    EXPECT_FALSE(saved.contains('\r'));
    EXPECT_TRUE(saved.contains(SetText(Noaa18)));
    const QByteArray database = ReadAll(db);
    EXPECT_TRUE(database.startsWith("/*\n * Orvanta 0.1 database file.\n * File saved on "));
    EXPECT_TRUE(database.contains("\n */\n\n[NOAA 15]\nWeather\n\n0\n0\n"));
    EXPECT_TRUE(database.contains("\n[NOAA 18]\nWeather\n137.9125\n1\n1\n"));

    TSatelliteList again;
    r = LoadTLEFile(tle, db, "", &again, nullptr);
    EXPECT_EQ(r.Taken, 53);
    EXPECT_EQ(Names(again), Names(catalogue));
    auto* back = FindSatellite(&again, "NOAA 18");
    ASSERT_NE(back, nullptr);
    EXPECT_EQ(back->APTSatellite, 1);
    EXPECT_EQ(back->Downlink, "137.9125");
    EXPECT_EQ(back->Group, "Weather");
    EXPECT_EQ(back->MeanMotion, noaa18->MeanMotion);
}

TEST_F(Catalogue, ServerFilesCommentsAndDuplicates)
{
    const TTLELoadResult r = LoadText("# from a server\n" + SetText(Noaa15, "\r\n") + "\n\n# next\n" +
                                      SetText(Noaa18) + "\n" + SetText(Noaa15));
    EXPECT_EQ(r.Taken, 2);
    EXPECT_EQ(r.Duplicates, 1);
    EXPECT_EQ(r.BadSets, 0);
    EXPECT_EQ(Names(catalogue), QStringList({"NOAA 15", "NOAA 18"}));
}

TEST_F(Catalogue, ASetWhoseNameEndsEmptyIsRefusedWithItsLineNumber)
{
    // "N", 23 blanks and "X": cut to the 24 characters a name holds and
    // trimmed, one letter is left, which is no name.
    const TTLELoadResult r = LoadText(SetText(Noaa15) + "N" + QByteArray(23, ' ') + "X\r\n" + Noaa18.line1 +
                                      "\n" + Noaa18.line2 + "\n" + SetText(Noaa19));
    EXPECT_EQ(Names(catalogue), QStringList({"NOAA 15", "NOAA 19"}));
    EXPECT_EQ(r.BadSets, 1);
    ASSERT_EQ(r.Problems.size(), 1) << r.Problems.join('\n').toStdString();
    EXPECT_TRUE(r.Problems[0].contains("line 4:")) << r.Problems[0].toStdString();
}

TEST_F(Catalogue, TheLaterEpochWinsInTheDownloadList)
{
    const QByteArray old18 = "NOAA 18\n"
                             "1 28654U 05018A   16047.56071648  .00000089  00000-0  73597-4 0  9996\n"
                             "2 28654  99.1971  51.3317 0014253 359.7899   0.3263 14.12267972553567\n";
    const QString older = dir + "/older.txt", newer = dir + "/newer.txt";
    WriteAll(older, old18);
    WriteAll(newer, SetText(Noaa18));
    TSatCheckList list;
    EXPECT_EQ(LoadTLEFile(older, db, "Weather", nullptr, &list).Taken, 1);
    ASSERT_EQ(list.size(), 1u);
    list[0].Checked = true;

    // A newer file later in the run: its set replaces the listed one, the
    // user's check stays; the older file again changes nothing.
    for (const QString& path : {newer, older}) {
        const TTLELoadResult r = LoadTLEFile(path, db, "Weather", nullptr, &list);
        EXPECT_EQ(r.Duplicates, 1);
        ASSERT_EQ(list.size(), 1u);
        EXPECT_STREQ(list[0].Sat->Line1, Noaa18.line1) << path.toStdString();
        EXPECT_TRUE(list[0].Checked);
    }
}

TEST_F(Catalogue, DamagedSetsAreReportedAndTheRestKept)
{
    QByteArray cut = QByteArray(Noaa19.line2);
    cut[0] = ' ';  // line 2 begins with a blank
    QByteArray badChecksum = Noaa15.line1;
    badChecksum[68] = badChecksum[68] == '0' ? '1' : '0';
    const TTLELoadResult r =
        LoadText(QByteArray("STRAY NAME\n") + SetText(Noaa18) + "NOAA 19\n" + Noaa19.line1 + "\n" +
                 cut + "\n" + "NOAA 15\n" + badChecksum + "\n" + Noaa15.line2 + "\n" +
                 SetText(Meteosat8) + "TRUNCATED\n" + Noaa19.line1);
    // "STRAY NAME" is dropped (not followed by line 1) and "NOAA 18" read as a
    // name; the cut NOAA 19 and the NOAA 15 with a wrong checksum are bad; the
    // sets after them still load.
    EXPECT_EQ(Names(catalogue), QStringList({"NOAA 18", "METEOSAT-8 (MSG-1)"}));
    EXPECT_EQ(r.Taken, 2);
    EXPECT_EQ(r.BadSets, 3);
    ASSERT_EQ(r.Problems.size(), 4) << r.Problems.join('\n').toStdString();
    EXPECT_TRUE(r.Problems[0].contains("line 1:")) << "the stray name's own line: " << r.Problems[0].toStdString();
    EXPECT_TRUE(r.Problems[1].contains("NOAA 19")) << r.Problems[1].toStdString();
    EXPECT_TRUE(r.Problems[2].contains("NOAA 15"));
    EXPECT_TRUE(r.Problems[3].contains("TRUNCATED"));

    // The next save keeps every good set.
    QString error;
    ASSERT_TRUE(SaveTLEFile(catalogue, tle, db, "v", nullptr, error));
    TSatelliteList again;
    EXPECT_EQ(LoadTLEFile(tle, db, "", &again, nullptr).Taken, 2);
}

TEST_F(Catalogue, ANamesOnlyFileNamesTheLineOfEachName)
{
    const TTLELoadResult r = LoadText("NOAA 1 [-]\nNOAA 2 [-]\nNOAA 3 [-]\n");
    EXPECT_EQ(r.Taken, 0);
    ASSERT_EQ(r.Problems.size(), 3) << r.Problems.join('\n').toStdString();
    EXPECT_TRUE(r.Problems[0].endsWith(", line 1: \"NOAA 1 [-]\" is not followed by line 1 of a set; skipped"))
        << r.Problems[0].toStdString();
    EXPECT_TRUE(r.Problems[1].contains(", line 2: \"NOAA 2 [-]\"")) << r.Problems[1].toStdString();
    EXPECT_TRUE(r.Problems[2].contains(", line 3: \"NOAA 3 [-]\" has no element lines"))
        << r.Problems[2].toStdString();
}

TEST_F(Catalogue, EveryNameTakenReadsBackAfterASave)
{
    // Only a line that starts with '#' is a comment: an indented one before
    // a set is that set's name, as in the public SGP4 verification file, and
    // so is one that starts with a digit.
    const TTLELoadResult r = LoadText("     # negative around 1130 min\n" + QByteArray(Noaa18.line1) + "\n" +
                                      Noaa18.line2 + "\n" + "# a comment\n1999 NAME\n" + Noaa19.line1 +
                                      "\n" + Noaa19.line2 + "\n");
    ASSERT_EQ(r.Taken, 2) << r.Problems.join('\n').toStdString();
    const QStringList names = Names(catalogue);
    EXPECT_EQ(names, QStringList({"# negative around 1130 m", "1999 NAME"})) << "cut to 24 characters";

    QString error;
    ASSERT_TRUE(SaveTLEFile(catalogue, tle, db, "v", nullptr, error)) << error.toStdString();
    TSatelliteList again;
    const TTLELoadResult back = LoadTLEFile(tle, db, "", &again, nullptr);
    EXPECT_EQ(back.Taken, 2) << back.Problems.join('\n').toStdString();
    EXPECT_TRUE(back.Problems.isEmpty()) << back.Problems.join('\n').toStdString();
    EXPECT_EQ(Names(again), names);
    EXPECT_TRUE(ReadAll(db).contains("\n[# negative around 1130 m]\n")) << "its database entry is found by its name";
}

TEST_F(Catalogue, DatabaseEntriesGroupsAndDamagedLines)
{
    WriteAll(db, "/*\n * comment [NOAA 18]\n */\n\n"
                 "[NOAA 19]\nNOAA\n137.1000\n1\n0\n"
                 "[NOAA 18]\n\n137.9125\n1\n1\n"
                 "[NOAA 15]\nNOAA\nabc\nx\n0\n"
                 "[METEOSAT-8 (MSG-1)]\nGEO\n");
    const TTLELoadResult r = LoadText(SetText(Noaa15) + SetText(Noaa18) + SetText(Noaa19) +
                                      SetText(Meteosat8), "Weather");
    ASSERT_EQ(r.Taken, 4);
    const auto* n15 = FindSatellite(&catalogue, "NOAA 15");
    const auto* n18 = FindSatellite(&catalogue, "NOAA 18");
    const auto* n19 = FindSatellite(&catalogue, "NOAA 19");
    const auto* geo = FindSatellite(&catalogue, "METEOSAT-8 (MSG-1)");
    EXPECT_EQ(n18->Group, "Weather") << "an empty group line takes the group given";
    EXPECT_EQ(n18->Downlink, "137.9125");
    EXPECT_EQ(n18->APTSatellite, 1);
    EXPECT_EQ(n19->Group, "NOAA");
    EXPECT_EQ(n19->Downlink, "137.1000");
    // Damaged values are reported and skipped; the entry's other lines count.
    EXPECT_EQ(n15->Group, "NOAA");
    EXPECT_EQ(n15->Downlink, "");
    EXPECT_EQ(n15->APTSatellite, 0);
    EXPECT_EQ(geo->Group, "GEO");
    EXPECT_EQ(geo->Downlink, "");
    EXPECT_EQ(r.Problems.size(), 3) << r.Problems.join('\n').toStdString();

    // List mode: the check marks come along, and a duplicate takes the
    // database data but keeps its element set.
    TSatCheckList list;
    WriteAll(tle, SetText(Noaa18) + SetText(Noaa19) + SetText(Noaa18));
    const TTLELoadResult listed = LoadTLEFile(tle, db, "", nullptr, &list);
    EXPECT_EQ(listed.Taken, 2);
    EXPECT_EQ(listed.Duplicates, 1);
    ASSERT_EQ(list.size(), 2u);
    EXPECT_EQ(list[0].Name, "NOAA 18");
    EXPECT_TRUE(list[0].Checked);
    EXPECT_FALSE(list[1].Checked);
    EXPECT_STREQ(list[0].Sat->Line1, Noaa18.line1);
}

TEST_F(Catalogue, MissingUnreadableAndUnwritableFiles)
{
    TTLELoadResult r = LoadTLEFile(dir + "/none.tle", db, "", &catalogue, nullptr);
    EXPECT_EQ(r.State, TTLELoadResult::Missing);
    r = LoadTLEFile(dir, db, "", &catalogue, nullptr);  // a folder cannot be read as a file
    EXPECT_EQ(r.State, TTLELoadResult::Unreadable);
    EXPECT_EQ(catalogue.Count, 0);

    LoadText(SetText(Noaa18));
    QString error;
    ASSERT_TRUE(SaveTLEFile(catalogue, tle, db, "v", nullptr, error));
    const QByteArray before = ReadAll(tle);
    WriteAll(dir + "/blocker", "x");
    EXPECT_FALSE(SaveTLEFile(catalogue, dir + "/blocker/sattrack.tle", db, "v", nullptr, error));
    EXPECT_TRUE(error.contains("blocker")) << error.toStdString();
    EXPECT_FALSE(SaveSatelliteDatabase(catalogue, dir + "/blocker/sattrack.db", "v", nullptr, error));
    EXPECT_EQ(ReadAll(tle), before);
}

TEST_F(Catalogue, DatabaseKeepsTheDownloadChecks)
{
    LoadText(SetText(Noaa15) + SetText(Noaa18) + SetText(Noaa19));
    static_cast<TSat*>(catalogue.Get(0))->APTSatellite = 1;
    TSatCheckList list;
    list.push_back({"NOAA 18", std::make_unique<TSat>(), true});
    list.push_back({"NOAA 19", std::make_unique<TSat>(), false});
    QString error;
    ASSERT_TRUE(SaveSatelliteDatabase(catalogue, db, "v", &list, error));
    const QByteArray text = ReadAll(db);
    EXPECT_TRUE(text.contains("[NOAA 15]\n\n\n1\n1\n")) << "an APT satellite is always checked";
    EXPECT_TRUE(text.contains("[NOAA 18]\n\n\n0\n1\n"));
    EXPECT_TRUE(text.contains("[NOAA 19]\n\n\n0\n0\n"));
}

TEST_F(Catalogue, MergeTakesOnlyNewerSetsAndKeepsTheUsersChoices)
{
    // The catalogue holds an older set of NOAA 18 (2016), which the user has
    // made an active APT satellite of a group of their own, and NOAA 15.
    const QByteArray old18 = "NOAA 18\n"
                             "1 28654U 05018A   16047.56071648  .00000089  00000-0  73597-4 0  9996\n"
                             "2 28654  99.1971  51.3317 0014253 359.7899   0.3263 14.12267972553567\n";
    LoadText(old18 + SetText(Noaa15));
    TSat* known = FindSatellite(&catalogue, "NOAA 18");
    ASSERT_NE(known, nullptr);
    known->APTSatellite = 1;
    known->Downlink = "137.9125";
    known->Group = "Mine";

    // As downloaded: catalogue data of download time (not active, no downlink).
    TSatCheckList downloaded;
    for (const SetLines* set : {&Noaa18, &Noaa19, &Noaa15}) {
        auto sat = std::make_unique<TSat>();
        ASSERT_TRUE(Load(*sat, *set));
        sat->Group = "Weather";
        downloaded.push_back({set->name, std::move(sat), set != &Noaa15});
    }
    const QString archive = testenv::ProgramDir() + "kepler/archive";
    QStringList problems;
    EXPECT_EQ(MergeElementSets(catalogue, downloaded, archive, &problems), 2);
    EXPECT_TRUE(problems.isEmpty());
    EXPECT_EQ(FindSatellite(&catalogue, "NOAA 18"), known) << "the same object takes the new set";
    EXPECT_STREQ(known->Line1, Noaa18.line1);
    EXPECT_EQ(known->Group, "Mine");
    EXPECT_EQ(known->Downlink, "137.9125");
    EXPECT_EQ(known->APTSatellite, 1);
    ASSERT_NE(FindSatellite(&catalogue, "NOAA 19"), nullptr) << "a new satellite is added";
    EXPECT_EQ(FindSatellite(&catalogue, "NOAA 19")->Group, "Weather");
    EXPECT_EQ(catalogue.Count, 3);

    const QString file = archive + "/NOAA-18.txt";
    EXPECT_EQ(file, ArchiveFileName(archive, "NOAA 18"));
    // The old set: name line and both element lines, rebuilt (an epoch day
    // below 100 gets blanks), as the archive reader takes three-line sets.
    const QList<QByteArray> archived = ReadAll(file).split('\n');
    ASSERT_EQ(archived.size(), 4);
    EXPECT_EQ(archived[0], "NOAA 18");
    TSat old;
    QByteArray name = archived[0];
    ASSERT_TRUE(old.ParseTLE(name.data(), archived[1].constData(), archived[2].constData()));
    EXPECT_EQ(old.EpochYear, 16);
    EXPECT_EQ(old.EpochDay, 47.56071648);
    EXPECT_FALSE(QFile::exists(archive + "/NOAA-19.txt"));
    EXPECT_FALSE(QFile::exists(archive + "/NOAA-15.txt")) << "unchecked: untouched";

    // The list lives on: a second OK, after the user has changed their mind
    // about NOAA 18, takes nothing and archives nothing.
    known->APTSatellite = 0;
    known->Downlink = "137.1";
    EXPECT_EQ(MergeElementSets(catalogue, downloaded, archive, &problems), 0);
    EXPECT_EQ(ReadAll(file).count('\n'), 3);
    EXPECT_EQ(known->APTSatellite, 0);
    EXPECT_EQ(known->Downlink, "137.1");

    // An older download never replaces a newer catalogue set.
    TSatCheckList older;
    older.push_back({"NOAA 18", std::make_unique<TSat>(), true});
    QByteArray oldName = "NOAA 18";
    const QList<QByteArray> oldLines = old18.split('\n');
    ASSERT_TRUE(older[0].Sat->ParseTLE(oldName.data(), oldLines[1].constData(), oldLines[2].constData()));
    EXPECT_EQ(MergeElementSets(catalogue, older, archive, &problems), 0);
    EXPECT_STREQ(known->Line1, Noaa18.line1);

    // An archive that cannot be written is reported; the set is still taken.
    FreeSatellites(catalogue);
    LoadText(old18);
    WriteAll(archive + "/blocked", "x");
    EXPECT_EQ(MergeElementSets(catalogue, downloaded, archive + "/blocked", &problems), 2);
    EXPECT_EQ(problems.size(), 1);
    EXPECT_EQ(ArchiveFileName("/a", "../x y/z").toStdString(), "/a/___x-y_z.txt");
}
