// The main window identifying an opened recording: the pass file beside it
// or in "audio/raw", else the archived sets, with the chooser when several
// passes fit; an identified pass is written to "audio/raw" and reads back.
#include "imaging/ui/MDIChild.h"
#include "orbit/Sat.h"
#include "platform/WaveFile.h"
#include "shell/ui/GraphicLabel.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"
#include "tracking/TrackingFixtures.h"
#include "tracking/ui/SatPass4Dlg.h"

#include <QApplication>
#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTimer>
#include <gtest/gtest.h>
#include <cmath>
#include <vector>

using namespace trackingfixtures;

namespace {

constexpr double kSecond = 1 / 86400.0;

struct IdentifyBench {
    IdentifyBench()
    {
        form = std::make_unique<TMainForm>();
        loaded = LoadWeatherCatalogue(form->SatelliteList);
        window = std::make_unique<TMDIChild>();
    }
    ~IdentifyBench() { form->close(); }

    // A high NOAA 18 pass over the station, two days after its set's epoch.
    TSat HighPass()
    {
        TSat sat(*FindSatellite(&form->SatelliteList, "NOAA 18"));
        for (double day = DateTimeToDayNumber(sat.GetEpochDateTime()) + 2;; day = sat.LOS + 60 * kSecond) {
            sat.PredictPass(&form->Station, day, 0);
            if (sat.MaxElevation > 40)
                return sat;
        }
    }

    // A recording of seconds whose file time ends it at the pass's TCA +
    // seconds / 2: its middle is the TCA.
    QString Recording(const TSat& pass, int seconds = 600)
    {
        const QString folder = testenv::ProgramDir() + "elsewhere/";
        QDir().mkpath(folder);
        const QString path = folder + "pass.wav";
        std::vector<std::uint8_t> silence(std::size_t(seconds) * 11025, 128);
        QString error;
        EXPECT_TRUE(WriteWaveFile(path, TWaveFormat(), silence.data(), silence.size(), error)) << error.toStdString();
        QFile file(path);
        file.open(QIODevice::ReadWrite);
        const qint64 msecs =
            qint64((TSat::DayNumberToDateTime(pass.TCA) - UnixEpochDateTime) * 86400000.0) + seconds * 500;
        file.setFileTime(QDateTime::fromMSecsSinceEpoch(msecs, Qt::UTC), QFileDevice::FileModificationTime);
        window->APT->AudioFileName = path;
        return path;
    }

    // The satellite's set under another name in the archive: one more fit.
    void Archive(const QString& fileName, const TSat& sat)
    {
        const QString folder = form->Folders().GetKeplerArchiveDir();
        QDir().mkpath(folder);
        QFile file(folder + "/" + fileName);
        file.open(QIODevice::WriteOnly);
        // A set before and one after the recording: the one before is tested.
        file.write(QByteArray(sat.Line1, 69) + "\n" + QByteArray(sat.Line2, 69) + "\n");
        QByteArray later(sat.Line1, 69);
        later.replace(18, 2, QByteArray::number(later.mid(18, 2).toInt() + 1));
        int sum = 0;
        for (int i = 0; i < 68; ++i)
            sum += later[i] == '-' ? 1 : (later[i] >= '0' && later[i] <= '9' ? later[i] - '0' : 0);
        later[68] = char('0' + sum % 10);
        file.write(later + "\n" + QByteArray(sat.Line2, 69) + "\n");
    }

    ModalCatcher boxes;  // the start-up boxes of a machine without sound input
    std::unique_ptr<TMainForm> form;
    std::unique_ptr<TMDIChild> window;
    bool loaded = false;
};

// Answers the chooser once it shows: records its list and labels, then
// presses the button.
struct ChooserAnswer {
    explicit ChooserAnswer(bool ok)
    {
        QTimer::singleShot(50, [this, ok] { Answer(ok); });
    }
    void Answer(bool ok)
    {
        if (!SatPass4Dlg->isVisible()) {
            QTimer::singleShot(50, [this, ok] { Answer(ok); });
            return;
        }
        for (int i = 0; i < SatPass4Dlg->SatList->count(); ++i)
            names << SatPass4Dlg->SatList->item(i)->text();
        selected = SatPass4Dlg->SatList->currentRow();
        direction = SatPass4Dlg->dir->text();
        issued = SatPass4Dlg->tledate->text();
        (ok ? SatPass4Dlg->OKBtn : SatPass4Dlg->CancelBtn)->click();
    }
    QStringList names;
    int selected = -1;
    QString direction;
    QString issued;
};

}  // namespace

TEST(IdentifyRecording, OneFittingPassIsTakenAndWrittenToTheRawFolder)
{
    IdentifyBench bench;
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    // Far from 0 N 0 E, where a pass read without its station would be wrong.
    bench.form->Station = Berlin();
    const TSat pass = bench.HighPass();
    const QString wav = bench.Recording(pass);
    QDir(bench.form->Folders().GetKeplerArchiveDir()).removeRecursively();
    TSat result;
    EXPECT_FALSE(bench.form->IdentifyRecording(bench.window.get(), wav, &result))
        << "without the archive folder nothing is identified";

    QDir().mkpath(bench.form->Folders().GetKeplerArchiveDir());
    ASSERT_TRUE(bench.form->IdentifyRecording(bench.window.get(), wav, &result));
    EXPECT_STREQ(result.Name, "NOAA 18");
    EXPECT_EQ(result.FileBaseName.toStdString(), "pass");
    EXPECT_EQ(result.Downlink.toStdString(), "137.9125") << "taken from the catalogue";
    EXPECT_NEAR(result.WindowStart, pass.TCA - 300 * kSecond, 2 * kSecond);

    const QString written = bench.form->Folders().GetRawAudioDir() + "/pass.txt";
    TSat reread;
    ASSERT_TRUE(reread.ReadPassInfoFile(written));
    EXPECT_NEAR(reread.WindowStart, result.WindowStart, 2 * kSecond);
    EXPECT_EQ(reread.Northbound, pass.Northbound);
    EXPECT_NEAR(reread.StationGeodetic.Latitude * 180 / M_PI, 52.52, 1e-9)
        << "the pass read back carries its station, not 0 N 0 E";

    // The file in the raw folder now answers at once, even without the archive.
    QDir(bench.form->Folders().GetKeplerArchiveDir()).removeRecursively();
    TSat again;
    ASSERT_TRUE(bench.form->IdentifyRecording(bench.window.get(), wav, &again));
    EXPECT_NEAR(again.WindowStart, result.WindowStart, 2 * kSecond);
}

TEST(IdentifyRecording, SeveralFitsAreOfferedInTheChooserAndCancelTakesNone)
{
    IdentifyBench bench;
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    bench.form->Station = Berlin();
    const TSat pass = bench.HighPass();
    const QString wav = bench.Recording(pass);
    bench.Archive("SPARE-18.txt", pass);  // "SPARE 18" sorts after "NOAA 18"

    {
        ChooserAnswer answer(false);
        TSat result;
        EXPECT_FALSE(bench.form->IdentifyRecording(bench.window.get(), wav, &result));
        EXPECT_EQ(answer.names, QStringList({"NOAA 18", "SPARE 18"}));
        EXPECT_EQ(answer.selected, 0) << "the first is selected";
        EXPECT_EQ(answer.direction.toStdString(), pass.Northbound ? "Northbound" : "Southbound");
        TSat set(pass);
        EXPECT_EQ(answer.issued.toStdString(), set.GetEpochAgeText(true).toStdString()) << "the set's date";
        EXPECT_EQ(answer.issued.count("UTC"), 1) << answer.issued.toStdString();
        EXPECT_FALSE(QFile::exists(bench.form->Folders().GetRawAudioDir() + "/pass.txt")) << "nothing written";
    }
    ChooserAnswer answer(true);
    TSat result;
    ASSERT_TRUE(bench.form->IdentifyRecording(bench.window.get(), wav, &result));
    EXPECT_STREQ(result.Name, "NOAA 18");
}

TEST(IdentifyRecording, AnOpenedRecordingIsLabelledWithItsPass)
{
    IdentifyBench bench;
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    bench.form->Station = Berlin();
    const TSat pass = bench.HighPass();
    const QString wav = bench.Recording(pass, 60);
    QDir().mkpath(bench.form->Folders().GetKeplerArchiveDir());

    TMDIChild* window = bench.form->CreateMDIChild(wav, 0);
    ASSERT_TRUE(window);
    const QDeadlineTimer deadline(60000);
    while (!(window->APT->Flags & aptComplete) && !deadline.hasExpired())
        QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
    ASSERT_TRUE(window->APT->Flags & aptComplete) << "the recording decodes";
    ASSERT_TRUE(window->Pass) << "the opened recording is identified";
    EXPECT_STREQ(window->Pass->Name, "NOAA 18");
    EXPECT_EQ(window->Pass->Northbound, pass.Northbound);
    EXPECT_NEAR(window->Pass->TCA, pass.TCA, 2 * kSecond);
    EXPECT_EQ(window->APT->SpacecraftModel, TSat::GetNOAAIndex("NOAA 18")) << "decoded as NOAA 18";
    EXPECT_EQ(window->LbTarget->text().toStdString(), window->Pass->GetPassDescription(0).toStdString());
}
