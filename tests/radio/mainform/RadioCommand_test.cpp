// The main window's radio command and what joins the radio windows to the
// rest of the program: the window of the configured receiver opens (and
// selects the next pass's downlink), the tracker tunes through an open
// window and back through the link once it is closed, the shutdown closes
// it, and a model change in the general settings opens the right one.
#include "radio/Rig.h"
#include "radio/ui/R2FXForm.h"
#include "radio/ui/R2FXThread.h"
#include "radio/ui/RXTuner.h"
#include "shell/ui/RecordDlg.h"
#include "support/ModalSteps.h"
#include "support/R2FXSimulator.h"
#include "support/RigBench.h"
#include "support/TestEnv.h"
#include "tracking/mainform/TrackerBench.h"

#include <QAction>
#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <QTest>
#include <gtest/gtest.h>

using namespace trackingfixtures;

namespace {

bool WaitFor(const std::function<bool()>& done, int timeoutMs = 10000)
{
    return QTest::qWaitFor(done, timeoutMs);
}

// The main window without a catalogue (no tracker runs) and a next pass of
// our own with this downlink.
struct RadioBench {
    RadioBench(int radio, const QString& downlink) : bench({})
    {
        form().Rig->Radio = radio;
        form().Settings->RIGModes = 0x1;
        SetDownlink(downlink);
    }
    TMainForm& form() { return *bench.form; }
    void SetDownlink(const QString& downlink)
    {
        std::lock_guard lock(form().NextPassLock);
        if (!form().NextPass)
            form().NextPass = new TSat;
        form().NextPass->Downlink = downlink;
    }
    void RadioCommand()
    {
        QAction* item = form().Radiocontrol1;
        ASSERT_TRUE(item->isEnabled());
        item->trigger();
    }
    TrackerBench bench;  // its shutdown frees the pass
};

}  // namespace

TEST(RadioCommand, OpensTheR2FXWindowOnTheDownlinksChannel)
{
    TR2FXSimulator receiver;
    receiver.Line().MapToPort(1);
    receiver.SetMemory(2, 137.62);
    RadioBench r(0, "137.62");
    r.RadioCommand();
    ASSERT_TRUE(R2FXForm->isVisible());
    EXPECT_TRUE(r.form().IsRadioWindowOpen());
    EXPECT_TRUE(WaitFor([] { return R2FXForm->CurrentChannel == 2; }));
    r.RadioCommand();  // only brings it up
    EXPECT_EQ(receiver.Line().Received().count('M'), 1);

    r.SetDownlink("137.95");
    EXPECT_FALSE(r.form().TuneRadioToNextPass()) << "no memory channel holds it";
    r.SetDownlink("");
    EXPECT_TRUE(r.form().TuneRadioToNextPass());

    R2FXForm->close();
    EXPECT_FALSE(r.form().IsRadioWindowOpen());
    EXPECT_FALSE(r.form().Rig->IsOpen());
    r.SetDownlink("137.95");
    const int sent = receiver.Line().Received().size();
    EXPECT_TRUE(r.form().TuneRadioToNextPass()) << "no window: nothing to do";
    EXPECT_FALSE(receiver.Line().WaitForReceived(sent + 1, 200));
}

TEST(RadioCommand, AnR2FXThatCannotConnectStaysHidden)
{
    TR2FXSimulator receiver;
    receiver.Line().MapToPort(1);
    receiver.SetFault(TR2FXSimulator::TFault::Silent);
    RadioBench r(0, "137.62");
    const int before = r.bench.boxes.Captions.size();
    r.RadioCommand();
    EXPECT_FALSE(R2FXForm->isVisible());
    EXPECT_EQ(r.bench.boxes.Captions.mid(before), QStringList{"R2FX Error"});
    EXPECT_FALSE(r.form().Rig->IsOpen());
}

TEST(RadioCommand, OpensTheTunerForTheTenChannelReceivers)
{
    struct Case {
        int radio;
        const char* caption;
    };
    for (const Case& c : {Case{1, "RIG RX2 RECEIVER"}, Case{3, "EMGO RECEIVER"}}) {
        TByteSink line;
        line.Line().MapToPort(1);
        RadioBench r(c.radio, "137.9125");
        r.RadioCommand();
        ASSERT_TRUE(RXTuner->isVisible()) << c.caption;
        EXPECT_EQ(RXTuner->windowTitle(), c.caption);
        EXPECT_EQ(RXTuner->FreqLabel->text(), "137.910 MHz");
        EXPECT_TRUE(line.Line().WaitForReceived(2, 2000));
        EXPECT_EQ(line.Line().Received(), "F5");
        EXPECT_TRUE(r.form().IsRadioWindowOpen());
        r.SetDownlink("137.95");
        EXPECT_FALSE(r.form().TuneRadioToNextPass());
        RXTuner->close();
    }
}

TEST(RadioCommand, AnUnsupportedReceiverHasNoWindow)
{
    RadioBench r(2, "137.62");
    const ModalCatcher& boxes = r.bench.boxes;
    const int before = boxes.Captions.size();
    r.RadioCommand();
    ASSERT_EQ(boxes.Captions.size(), before + 1);
    EXPECT_EQ(boxes.Captions.last(), "Info: No radio control support");
    EXPECT_EQ(boxes.Texts.last(), "Unsupported radio control");
    EXPECT_FALSE(r.form().IsRadioWindowOpen());
}

TEST(RadioCommand, TheShutdownClosesTheRadioWindow)
{
    TR2FXSimulator receiver;
    receiver.Line().MapToPort(1);
    RadioBench r(0, "");
    r.RadioCommand();
    ASSERT_TRUE(R2FXForm->isVisible());
    r.form().close();
    const QStringList steps = r.form().ShutdownStepsShown;
    const int closing = steps.indexOf("Closing Radio control");
    ASSERT_GE(closing, 0);
    EXPECT_LT(closing, steps.indexOf("Terminating the tracker"));
    EXPECT_FALSE(R2FXForm->isVisible());
    EXPECT_EQ(R2FXForm->PollThread, nullptr);
}

TEST(RadioCommand, AModelChangeInTheSettingsOpensTheNewReceiversWindow)
{
    TR2FXSimulator receiver;
    receiver.Line().MapToPort(1);
    RadioBench r(0, "");
    r.RadioCommand();
    ASSERT_TRUE(R2FXForm->isVisible());
    ModalSteps user;
    user.Then<TRecordDlg>([](TRecordDlg& d) {
        d.RIGRadio->setCurrentIndex(3);
        d.OKBtn->click();
    });
    r.form().Recordingandlogging1->trigger();
    ASSERT_EQ(user.Played(), 1u);
    EXPECT_EQ(r.form().Rig->Radio, 3);
    EXPECT_FALSE(R2FXForm->isVisible());
    EXPECT_EQ(R2FXForm->PollThread, nullptr);
    EXPECT_TRUE(RXTuner->isVisible());
    EXPECT_EQ(RXTuner->RXName->text(), "EMGO RECEIVER");
    RXTuner->close();
}

TEST(RadioTracking, TheTrackerTunesThroughTheOpenWindowThenTheLinkAgain)
{
    TR2FXSimulator receiver;
    receiver.Line().MapToPort(1);
    receiver.SetMemory(1, 137.1);
    receiver.SetMemory(2, 137.62);
    receiver.SetMemory(3, 137.91);
    receiver.SetCurrentChannelLine("Channel:0");
    TrackerBench bench({"NOAA 15", "NOAA 18", "NOAA 19"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    form.Settings->RIGModes = 0x1;
    form.Radiocontrol1Click();
    ASSERT_TRUE(R2FXForm->isVisible());
    form.RestartTracker(0);
    ASSERT_TRUE(form.TrackThread);
    ASSERT_TRUE(WaitFor([] { return R2FXForm->CurrentChannel != 0; }));
    QString downlink;
    {
        std::lock_guard lock(form.NextPassLock);
        downlink = form.NextPass->Downlink;
    }
    const double expected = downlink == "137.1" ? 137.1 : downlink == "137.62" ? 137.62 : 137.91;
    EXPECT_EQ(R2FXForm->CurrentChannel, expected == 137.1 ? 1 : expected == 137.62 ? 2 : 3) << downlink.toStdString();
    EXPECT_EQ(bench.Count("Tuner error"), 0);

    // Closed, the window leaves the link to the tracker again.
    R2FXForm->close();
    EXPECT_FALSE(form.Rig->IsOpen());
    receiver.SetMemory(0, 0.0);
    form.RestartTracker(0);
    ASSERT_TRUE(WaitFor([&] { return receiver.TunedMHz() != 0.0; }));
    EXPECT_DOUBLE_EQ(receiver.TunedMHz(), expected);
    EXPECT_TRUE(WaitFor([&] { return !form.Rig->IsOpen(); })) << "the tracker closes what it opened";
    EXPECT_EQ(bench.Count("Tuner error"), 0);
}

TEST(RadioTracking, AWindowThatRefusesIsReportedOnce)
{
    TR2FXSimulator receiver;
    receiver.Line().MapToPort(1);
    for (int channel = 1; channel <= 6; ++channel)
        receiver.SetMemory(channel, 135.0);
    receiver.SetCurrentChannelLine("Channel:0");
    TrackerBench bench({"NOAA 15", "NOAA 18", "NOAA 19"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    form.Settings->RIGModes = 0x1;
    form.Radiocontrol1Click();
    ASSERT_TRUE(R2FXForm->isVisible());
    form.RestartTracker(0);
    ASSERT_TRUE(WaitFor([&] { return bench.Count("Tuner error") > 0; }));
    QTest::qWait(1500);  // several more cycles
    EXPECT_EQ(bench.Count("Tuner error"), 1);
    EXPECT_EQ(R2FXForm->CurrentChannel, 0);
    EXPECT_TRUE(R2FXForm->isVisible());
}
