// The tracker thread driving the main window. A whole pass on a fast clock:
// the tracker tunes a simulated receiver to the satellite's downlink, starts
// the recording through the real capture path when the pass rises, stops it
// when the pass sets, leaves the WAV and its pass-information file, and
// takes the next pass. And on the real clock: tuning errors reported once
// per pass, the restart and stop rules, no active satellite.
#include "orbit/Satutil.h"
#include "orbit/ui/SatOrgDlg.h"
#include "platform/SystemTime.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "support/AlsaCaptureFixture.h"
#include "support/ModalCatcher.h"
#include "support/PtyLine.h"
#include "support/R2FXSimulator.h"
#include "tracking/mainform/TrackerBench.h"
#include "tracking/TrackingFixtures.h"
#include "support/TestEnv.h"

#include <QDirIterator>
#include <QElapsedTimer>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTemporaryDir>
#include <QTimer>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>

using namespace alsafixture;
using namespace trackingfixtures;

namespace {

double Now()
{
    return DateTimeToDayNumber(LocalToUTC(0));
}

QStringList WavsUnder(const QString& folder)
{
    QStringList out;
    QDirIterator it(folder, {"*.wav"}, QDir::Files, QDirIterator::Subdirectories);
    while (it.hasNext())
        out << it.next();
    return out;
}

}  // namespace

TEST(Tracker, FollowsAWholePassTuningRecordingAndChoosingTheNext)
{
    if (testenv::SharedDataPath(kElementFile).isEmpty())
        SKIP_MISSING("missing " << kElementFile);
    QTemporaryDir dir;
    const std::vector<std::uint8_t> source = KnownSamples(12 * 1024 * 1024);
    FifoFeeder feeder(dir.filePath("feed"), source);
    ASSERT_TRUE(feeder.Ok());
    ASSERT_TRUE(UseCaptureFile(dir.filePath("feed")));
    TR2FXSimulator receiver;
    receiver.Line().MapToPort(1);

    // The first good pass of NOAA 19 over Berlin after 1 November 2021.
    TSatelliteList catalogue;
    ASSERT_TRUE(LoadWeatherCatalogue(catalogue));
    TStation berlin = Berlin();
    const double from = DateTimeToDayNumber(EncodeDateTime(2021, 11, 1, 6, 0, 0));
    TPassTimes pass{};
    for (const TPassTimes& p : ListPasses(*FindSatellite(&catalogue, "NOAA 19"), &berlin, from, 1))
        if (p.MaxElevation > 20) {
            pass = p;
            break;
        }
    ASSERT_GT(pass.AOS, 0);

    // Ten simulated minutes (ten seconds) of lead: a loaded machine may take
    // seconds to start the tracker and open the receiver's port.
    FastClock clock(UtcOf(pass.AOS - 600 * kSecond), 60);
    TrackerBench bench({"NOAA 19"});
    TMainForm& form = *bench.form;
    ASSERT_FALSE(form.StateFlags & msRecordingUnsupported) << bench.boxes.Texts.join('|').toStdString();
    form.Settings->LogModes = 0x1;  // automatic recording, no live window
    form.Settings->PassModes = 0;   // the window is the pass: AOS to LOS
    form.Settings->RIGModes = 0x1;  // tune to each pass
    form.RestartTracker(0);
    ASSERT_TRUE(form.TrackThread);
    ASSERT_NE(form.NextPass, nullptr);
    EXPECT_EQ(QString(form.NextPass->Name), "NOAA 19");
    EXPECT_NEAR(form.NextPass->AOS, pass.AOS, kSecond);

    ASSERT_TRUE(PumpUntil([&] { return receiver.TunedMHz() != 0; }, 20000));
    EXPECT_DOUBLE_EQ(receiver.TunedMHz(), 137.1);
    EXPECT_LT(Now(), pass.AOS) << "tuned before the pass rises";

    ASSERT_TRUE(PumpUntil([&] { return form.StateFlags & msRecording; }, 30000));
    const double started = Now();
    EXPECT_GE(started, pass.AOS - 5 * kSecond);
    EXPECT_TRUE(PumpUntil([&] { 
        const QString text = form.TrackLabel->text();
        return text.startsWith("Recording") && text.contains("NOAA 19 on 137.1 MHz");
    }, 2000))
        << form.TrackLabel->text().toStdString();

    ASSERT_TRUE(PumpUntil([&] { return !(form.StateFlags & msRecording); }, 60000));
    const double stopped = Now();
    EXPECT_GE(stopped, pass.LOS - 5 * kSecond) << "stopped when the pass set";
    EXPECT_LE(stopped, pass.LOS + 90 * kSecond);
    ASSERT_TRUE(PumpUntil([&] { return !form.WaveIn.IsOpen(); }, 10000));

    const QStringList wavs = WavsUnder(form.Folders().GetAudioDir());
    ASSERT_EQ(wavs.size(), 1);
    const QString base = wavs[0].section('/', -1).chopped(4);
    ASSERT_TRUE(base.endsWith("_NOAA_19")) << base.toStdString();
    const QDateTime named = QDateTime::fromString("20" + base.left(13), "yyyyMMdd_hhmmss");
    const QDateTime aos = UtcOf(pass.AOS);
    EXPECT_GE(named.secsTo(QDateTime(aos.date(), aos.time())), -60) << "named by the start of the recording";
    EXPECT_LE(named.secsTo(QDateTime(aos.date(), aos.time())), 5);
    EXPECT_TRUE(QFile::exists(wavs[0].chopped(4) + ".txt"));
    QFile wav(wavs[0]);
    ASSERT_TRUE(wav.open(QIODevice::ReadOnly));
    const QByteArray bytes = wav.readAll();
    ASSERT_GT(bytes.size(), 46 + 11025);
    quint32 n;
    std::memcpy(&n, bytes.constData() + 42, 4);
    ASSERT_EQ(bytes.size(), qsizetype(46 + n + (n & 1)));
    EXPECT_EQ(std::memcmp(bytes.constData() + 46, source.data(), n), 0);

    // Then the next pass is taken.
    ASSERT_TRUE(PumpUntil([&] { return form.NextPass && form.NextPass->AOS > pass.LOS; }, 20000));
    EXPECT_EQ(bench.Count("Tuner error"), 0);
    EXPECT_EQ(WavsUnder(form.Folders().GetAudioDir()).size(), 1) << "recorded once";
}

TEST(Tracker, ASatelliteDeletedWhileFollowedIsNotChosenAfterTheRestart)
{
    if (testenv::SharedDataPath(kElementFile).isEmpty())
        SKIP_MISSING("missing " << kElementFile);
    // Ten minutes before the first NOAA 19 pass of 1 November 2021 that
    // comes before NOAA 18's next one.
    TSatelliteList catalogue;
    ASSERT_TRUE(LoadWeatherCatalogue(catalogue));
    TStation berlin = Berlin();
    const double day = DateTimeToDayNumber(EncodeDateTime(2021, 11, 1));
    double start = 0;
    for (const TPassTimes& p19 : ListPasses(*FindSatellite(&catalogue, "NOAA 19"), &berlin, day, 1)) {
        const std::vector<TPassTimes> p18 =
            ListPasses(*FindSatellite(&catalogue, "NOAA 18"), &berlin, p19.AOS - 600 * kSecond, 1);
        if (!p18.empty() && p18.front().AOS > p19.LOS) {
            start = p19.AOS - 600 * kSecond;
            break;
        }
    }
    ASSERT_GT(start, 0);

    FastClock clock(UtcOf(start), 60);
    TrackerBench bench({"NOAA 18", "NOAA 19"});
    TMainForm& form = *bench.form;
    form.Settings->LogModes = 0;
    form.Settings->RIGModes = 0;
    form.RestartTracker(0);
    ASSERT_TRUE(form.TrackThread);
    ASSERT_NE(form.NextPass, nullptr);
    ASSERT_STREQ(form.NextPass->Name, "NOAA 19");

    QTimer::singleShot(100, [] {
        for (int i = 0; i < SatOrgDlg->SatList->count(); ++i)
            SatOrgDlg->SatList->item(i)->setSelected(SatOrgDlg->SatList->item(i)->text() == "NOAA 19");
        SatOrgDlg->DelSat->setChecked(true);
        SatOrgDlg->ApplyBtnClick();
        SatOrgDlg->OkBtn->click();
    });
    form.Organize1Click();
    EXPECT_EQ(FindSatellite(&form.SatelliteList, "NOAA 19"), nullptr);
    ASSERT_TRUE(form.TrackThread);
    // The running tracker is asked for a new choice; it makes it on its next cycle.
    EXPECT_TRUE(PumpUntil([&] { return form.NextPass && QString(form.NextPass->Name) == "NOAA 18"; }, 5000));
    // Through the time NOAA 19 would have risen, the tracker keeps to NOAA 18.
    PumpUntil([] { return false; }, 15000);
    ASSERT_NE(form.NextPass, nullptr);
    EXPECT_STREQ(form.NextPass->Name, "NOAA 18");
    EXPECT_FALSE(form.TrackThread->Finished);
}

TEST(Tracker, ATuningErrorIsReportedOncePerPass)
{
    qputenv("ORVANTA_COM1", "/nonexistent/receiver");
    TrackerBench bench({"NOAA 15", "NOAA 18", "NOAA 19"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    form.Settings->RIGModes = 0x1;
    form.RestartTracker(0);
    ASSERT_TRUE(form.TrackThread);
    ASSERT_TRUE(PumpUntil([&] { return bench.Count("Tuner error") > 0; }, 10000));
    PumpUntil([] { return false; }, 1500);  // six more cycles
    EXPECT_EQ(bench.Count("Tuner error"), 1);
    const QStringList lines = bench.log->Lines();
    const int at = lines.indexOf("Tuner error");
    ASSERT_LT(at + 2, lines.size());
    EXPECT_TRUE(lines[at + 1].endsWith(": " + QString(form.NextPass->Name))) << lines[at + 1].toStdString();
    EXPECT_TRUE(lines[at + 2].startsWith("Error:")) << lines[at + 2].toStdString();
    EXPECT_GT(lines[at + 2].size(), 6);
    EXPECT_NE(form.TrayData.Tip, "Orvanta") << "the tip names the pass";
    EXPECT_TRUE(form.TrayData.Tip.contains(QString(form.NextPass->Name)));

    // A refresh asks the running tracker to choose again: no second thread,
    // and the new pass is tuned (and fails) once more.
    TTrackThread* running = form.TrackThread.get();
    form.RestartTracker(0);
    EXPECT_EQ(form.TrackThread.get(), running);
    ASSERT_TRUE(PumpUntil([&] { return bench.Count("Tuner error") == 2; }, 10000));

    // Without automatic tuning nothing is tuned, and nothing fails.
    form.Settings->RIGModes = 0;
    form.RestartTracker(0);
    PumpUntil([] { return false; }, 1500);
    EXPECT_EQ(bench.Count("Tuner error"), 2);

    form.RestartTracker(0x200);
    EXPECT_FALSE(form.TrackThread);
    EXPECT_EQ(form.NextPass, nullptr);
    form.RestartTracker(0x200);  // nothing left to stop
    EXPECT_FALSE(form.TrackThread);
}

TEST(Tracker, WithoutAnActiveSatelliteNoTrackerRuns)
{
    TrackerBench bench({});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    EXPECT_EQ(form.TrayData.Info, "The NOAA POES APT Weather Satellite Station");
    EXPECT_EQ(form.TrayData.InfoTitle, form.windowTitle());
    bench.boxes.Texts.clear();
    form.RestartTracker(0);
    ASSERT_EQ(bench.boxes.Texts.size(), 1);
    EXPECT_EQ(bench.boxes.Texts[0],
              "No active APT-satellites Selected!\nSelect from the menu Satellite->Keplerian elements... to download!");
    EXPECT_FALSE(form.TrackThread);
    EXPECT_EQ(form.NextPass, nullptr);
    form.UpdateTrayIcon(TMainForm::NIM_MODIFY);
    EXPECT_EQ(form.TrayData.Tip, "Orvanta");

    // While a recording runs the core records stay as they are.
    EXPECT_TRUE(form.CheckNotRecording());
    form.StateFlags |= msRecording;
    bench.boxes.Texts.clear();
    bench.boxes.Captions.clear();
    EXPECT_FALSE(form.CheckNotRecording());
    ASSERT_EQ(bench.boxes.Texts.size(), 1);
    EXPECT_EQ(bench.boxes.Texts[0], "Core can not be changed during a record.");
    EXPECT_EQ(bench.boxes.Captions[0], "Info: Recording...");
    form.StateFlags &= ~msRecording;
}

TEST(Tracker, APortThatIsNoTerminalOrAMuteReceiverIsReportedOnceAndTheTrackerGoesOn)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    TPtyLine mute;  // takes every byte, never answers
    for (const QString& device : {plain.fileName(), mute.Terminal()}) {
        SCOPED_TRACE(device.toStdString());
        qputenv("ORVANTA_COM1", device.toLocal8Bit());
        TrackerBench bench({"NOAA 15", "NOAA 18", "NOAA 19"});
        if (!bench.loaded)
            SKIP_MISSING("missing " << kElementFile);
        TMainForm& form = *bench.form;
        form.Settings->RIGModes = 0x1;
        form.RestartTracker(0);
        ASSERT_TRUE(PumpUntil([&] { return bench.Count("Tuner error") > 0; }, 10000));
        PumpUntil([] { return false; }, 1000);
        EXPECT_EQ(bench.Count("Tuner error"), 1);
        const QStringList lines = bench.log->Lines();
        const QString error = lines.value(lines.indexOf("Tuner error") + 2);
        EXPECT_TRUE(error.startsWith("Error:") && error.size() > 12) << error.toStdString();
        EXPECT_TRUE(form.TrackThread && !form.TrackThread->Finished) << "the tracker goes on";
        EXPECT_FALSE(form.TrackLabel->text().isEmpty());
    }
}

TEST(Tracker, TheFollowedPassIsFreedOnlyWhereTheWindowCannotBeReadingIt)
{
    TrackerBench bench({"NOAA 15", "NOAA 18", "NOAA 19"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    form.RestartTracker(0);
    ASSERT_TRUE(form.TrackThread);
    form.TrackThread->CycleMs = 1;
    // Ask for a new choice again and again while the window reads the pass
    // between its messages, as the tray and the commands do.
    QElapsedTimer timer;
    timer.start();
    int choices = 0, reads = 0;
    while (timer.elapsed() < 2000) {
        form.RestartTracker(0);
        ++choices;
        PumpMessages(1);
        std::lock_guard lock(form.NextPassLock);
        if (form.NextPass) {
            reads += QString(form.NextPass->Name).startsWith("NOAA") ? 1 : 0;
            EXPECT_EQ(form.NextPass, form.TrackThread->Pass());
        }
    }
    EXPECT_GT(reads, 10);
    form.RestartTracker(0x200);
    EXPECT_EQ(form.NextPass, nullptr);
}
