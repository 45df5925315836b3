// "General settings..." while the tracker runs on a fast clock: what OK
// stops and restarts, what it takes over, and what Cancel leaves alone. And
// a settings change taken over while the tracker is checking the recording
// window of a pass in progress.
#include "../../shell/SettingsCompare.h"
#include "shell/ui/RecordDlg.h"
#include "support/AlsaCaptureFixture.h"
#include "support/ModalSteps.h"
#include "tracking/mainform/TrackerBench.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QLineEdit>
#include <QSpinBox>
#include <QTabWidget>
#include <QTemporaryDir>
#include <functional>
#include <gtest/gtest.h>

using namespace alsafixture;
using namespace trackingfixtures;

namespace {

// Runs the command as a user would: the menu item, then act on the dialog.
void RunGeneralSettings(TMainForm& form, std::function<void(TRecordDlg&)> act)
{
    ModalSteps user;
    user.Then<TRecordDlg>(std::move(act));
    auto* item = form.findChild<QAction*>("Recordingandlogging1");
    ASSERT_NE(item, nullptr);
    ASSERT_TRUE(item->isEnabled());
    item->trigger();
    EXPECT_EQ(user.Played(), 1u);
}

// Notes when the given tracker thread ends.
void WatchEnd(TTrackThread* thread, bool& ended)
{
    auto previous = thread->OnTerminate;
    thread->OnTerminate = [previous, &ended] {
        ended = true;
        previous();
    };
}

}  // namespace

TEST(SettingsCommand, AThresholdChangeRestartsTheTrackerAnFTPChangeDoesNot)
{
    FastClock clock(QDateTime(QDate(2021, 11, 1), QTime(6, 0), Qt::UTC), 60);
    TrackerBench bench({"NOAA 15", "NOAA 18", "NOAA 19"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    form.RestartTracker(0);
    ASSERT_TRUE(form.TrackThread);

    TTrackThread* first = form.TrackThread.get();
    bool firstEnded = false;
    WatchEnd(first, firstEnded);
    RunGeneralSettings(form, [](TRecordDlg& dlg) {
        dlg.FTPHost->setText("ftp.other.test");
        dlg.accept();
    });
    EXPECT_FALSE(firstEnded) << "an FTP change leaves the tracker running";
    EXPECT_EQ(form.TrackThread.get(), first);
    EXPECT_EQ(form.Settings->Host, "ftp.other.test");

    const int elevation = form.Settings->PassElev == 40 ? 41 : 40;
    RunGeneralSettings(form, [elevation](TRecordDlg& dlg) {
        dlg.PassElev->setValue(elevation);
        dlg.accept();
    });
    EXPECT_TRUE(firstEnded) << "a threshold change stops the tracker";
    ASSERT_TRUE(form.TrackThread) << "and starts it again";
    EXPECT_FALSE(form.TrackThread->Finished);
    EXPECT_EQ(form.Settings->PassElev, elevation);

    // The pass-threshold command opens the dialog on its page and reports
    // the change.
    bool secondEnded = false;
    WatchEnd(form.TrackThread.get(), secondEnded);
    ModalSteps user;
    QWidget* page = nullptr;
    user.Then<TRecordDlg>([&](TRecordDlg& dlg) {
        page = dlg.MainPageCtrl->currentWidget();
        dlg.MinMins->setValue(dlg.MinMins->value() + 1);
        dlg.accept();
    });
    EXPECT_TRUE(form.EditPassThresholds());
    ASSERT_NE(RecordDlg, nullptr);
    EXPECT_EQ(page, RecordDlg->PassThresholds);
    EXPECT_TRUE(secondEnded);
}

TEST(SettingsCommand, CancelLeavesEveryRecordAsItWas)
{
    TrackerBench bench({"NOAA 15", "NOAA 18", "NOAA 19"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    form.RestartTracker(0);
    ASSERT_TRUE(form.TrackThread);
    TTrackThread* running = form.TrackThread.get();
    bool ended = false;
    WatchEnd(running, ended);
    const TSetting before = *form.Settings;
    const int port = form.Rig->Port, radio = form.Rig->Radio, baud = form.Rig->BaudRate;

    RunGeneralSettings(form, [](TRecordDlg& dlg) {
        dlg.PassElev->setValue(dlg.PassElev->value() + 1);
        dlg.FTPHost->setText("ftp.other.test");
        dlg.RIGCOM->setCurrentIndex(6);
        dlg.RIGRadio->setCurrentIndex(3);
        dlg.reject();
    });
    ExpectSameSettings(*form.Settings, before);
    EXPECT_EQ(form.Rig->Port, port);
    EXPECT_EQ(form.Rig->Radio, radio);
    EXPECT_EQ(form.Rig->BaudRate, baud);
    EXPECT_FALSE(ended);
    EXPECT_EQ(form.TrackThread.get(), running);
    EXPECT_EQ(RecordDlg->Settings, nullptr) << "the dialog keeps no pointer to the freed copies";
}

// OK may replace the settings while the tracker keeps running (an FTP
// change): the tracker's window checks on its own thread read the record
// only under the main window's settings lock, so a check and a replacement
// never overlap. Holding the lock keeps an open window from being noticed;
// releasing it lets the recording start, and settings taken over during the
// recording leave the tracker and the recording running.
TEST(SettingsCommand, TheTrackersWindowChecksWaitForTheSettingsLock)
{
    if (testenv::SharedDataPath(kElementFile).isEmpty())
        SKIP_MISSING("missing " << kElementFile);
    QTemporaryDir dir;
    FifoFeeder feeder(dir.filePath("feed"), KnownSamples(12 * 1024 * 1024));
    ASSERT_TRUE(feeder.Ok());
    ASSERT_TRUE(UseCaptureFile(dir.filePath("feed")));

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

    FastClock clock(UtcOf(pass.AOS - 60 * kSecond), 60);
    TrackerBench bench({"NOAA 19"});
    TMainForm& form = *bench.form;
    ASSERT_FALSE(form.StateFlags & msRecordingUnsupported) << bench.boxes.Texts.join('|').toStdString();
    form.Settings->LogModes = 0x1;  // automatic recording, no live window
    form.Settings->PassModes = 0;   // the window is the pass: AOS to LOS
    {
        std::unique_lock lock(form.SettingsMutex);
        form.RestartTracker(0);
        ASSERT_TRUE(form.TrackThread);
        const auto now = [] { return DateTimeToDayNumber(LocalToUTC(0)); };
        PumpUntil([&] { return now() > pass.AOS + 120 * kSecond; }, 30000);
        EXPECT_GT(now(), pass.AOS + 60 * kSecond) << "the pass is up";
        EXPECT_FALSE(form.StateFlags & msRecording) << "no window check while the settings are locked";
    }
    ASSERT_TRUE(PumpUntil([&] { return form.StateFlags & msRecording; }, 20000));

    TTrackThread* running = form.TrackThread.get();
    bool ended = false;
    WatchEnd(running, ended);
    for (const char* host : {"ftp.one.test", "ftp.two.test", "ftp.three.test"}) {
        RunGeneralSettings(form, [host](TRecordDlg& dlg) {
            dlg.FTPHost->setText(host);
            dlg.accept();
        });
        EXPECT_EQ(form.Settings->Host, host);
        PumpUntil([] { return false; }, 300);  // a window check or more in between
    }
    EXPECT_FALSE(ended);
    EXPECT_EQ(form.TrackThread.get(), running);
    EXPECT_TRUE(form.StateFlags & msRecording) << "the recording goes on";
}
