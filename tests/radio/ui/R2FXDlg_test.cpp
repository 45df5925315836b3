// The R2FX setup dialog and its hand-over with the R2FX window: requests
// queued to the polling thread in thread mode, the receiver driven directly
// without one, and what the window's memory lines take afterwards.
#include "R2FXBench.h"

#include "radio/R2FXMemory.h"
#include "radio/Rig.h"
#include "radio/ui/R2FXDlg.h"
#include "shell/ui/UDEdit.h"
#include "support/ModalCatcher.h"
#include "support/ModalSteps.h"
#include "support/TestEnv.h"

#include <QLabel>
#include <QLineEdit>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <clocale>
#include <gtest/gtest.h>

using namespace r2fxtest;

namespace {

struct SetupBench : R2FXWindowBench {
    SetupBench() { new TR2FXDlg(&form); }
    int MemoryReads() { return bench.far.Line().Received().count('M'); }
    // The lines the receiver lists now.
    QString ReceiverLine(int channel) { return R2FXChannelLine(channel, bench.far.MemoryMHz(channel)); }
};

// Applies channel 2 at 137.1 MHz and waits for the thread's answer.
QStringList ApplyChannel2(TR2FXDlg& d)
{
    QStringList shown;
    d.r2fx_ch2->SetValue(137.1);
    d.r2fx_ch2_btn->click();
    shown << d.ErrLabel->text();
    WaitFor([&] { return !d.ErrLabel->text().endsWith("Please wait..."); });
    shown << d.ErrLabel->text();
    return shown;
}

}  // namespace

TEST(R2FXDlg, ThreadModeProgramsThroughThePollingThread)
{
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        SKIP_MISSING("no de_DE.UTF-8 locale");
    SetupBench w;
    ASSERT_TRUE(w.Connect());
    TR2FXThread* thread = w.form.PollThread;
    QStringList shown;
    bool loadEnabled = true;
    ModalSteps steps;
    steps.Then<TR2FXDlg>([&](TR2FXDlg& d) {
        loadEnabled = d.LoadR2FXBtn->isEnabled();
        shown = ApplyChannel2(d);
        d.r2fx_ch3->SetValue(138.0);  // changed, never applied
        d.r2fx_threshold->setValue(5);
        d.r2fx_thresholdbtn->click();
        shown << d.ErrLabel->text();
        WaitFor([&] { return !d.ErrLabel->text().endsWith("Please wait..."); });
        shown << d.ErrLabel->text();
        d.accept();
    });
    w.form.SetupR2FXBtnClick();
    std::setlocale(LC_ALL, "C");

    EXPECT_FALSE(loadEnabled) << "the thread reads the memory in thread mode";
    EXPECT_EQ(shown, (QStringList{"Program channel 2 to 137.100 MHz.\nPlease wait...", "... Success ...",
                                  "Program threshold value to 5.\nPlease wait...", "... Success ..."}));
    EXPECT_EQ(w.form.PollThread, thread) << "no reconnection";
    EXPECT_FALSE(thread->HasFlags(rfSetupMode));
    EXPECT_EQ(w.form.MemoryLines[1], "CH2:137.100MHz");
    EXPECT_EQ(w.form.ch_2_btn->toolTip(), "CH2:137.100MHz");
    EXPECT_EQ(w.form.MemoryLines[2], w.ReceiverLine(3)) << "an edit never applied is not taken as programmed";
    EXPECT_EQ(w.form.MemoryLines[7], "Scan thr:005");
    EXPECT_EQ(w.bench.far.Threshold(), 5);
    EXPECT_EQ(w.MemoryReads(), 1);
    EXPECT_TRUE(WaitFor([&] { return w.form.CurrentChannel == 2; })) << "the lamps are redrawn";
}

TEST(R2FXDlg, ARequestStillQueuedAtClosingIsCarriedOut)
{
    SetupBench w;
    ASSERT_TRUE(w.Connect());
    ModalSteps steps;
    steps.Then<TR2FXDlg>([&](TR2FXDlg& d) {
        d.r2fx_ch2->SetValue(137.1);
        d.r2fx_ch2_btn->click();
        d.accept();  // before the thread took the request
    });
    w.form.SetupR2FXBtnClick();
    EXPECT_DOUBLE_EQ(w.bench.far.MemoryMHz(2), 137.1) << "not dropped by the return to normal mode";
    EXPECT_EQ(w.form.MemoryLines[1], "CH2:137.100MHz");
    EXPECT_EQ(w.MemoryReads(), 1);
}

TEST(R2FXDlg, ARequestNeverCarriedOutCountsAsAFailure)
{
    SetupBench w;
    ASSERT_TRUE(w.Connect());
    w.form.SetupRequestWaitMs = 0;
    ModalSteps steps;
    steps.Then<TR2FXDlg>([&](TR2FXDlg& d) {
        d.r2fx_ch2->SetValue(137.1);
        d.r2fx_ch2_btn->click();
        d.accept();
    });
    w.form.SetupR2FXBtnClick();
    EXPECT_EQ(w.MemoryReads(), 2) << "the memory is read again";
    EXPECT_EQ(w.form.MemoryLines[1], w.ReceiverLine(2)) << "the lines hold what the receiver holds";
    EXPECT_TRUE(w.form.IsPolling());
}

TEST(R2FXDlg, AFailedProgrammingReadsTheMemoryAgain)
{
    SetupBench w;
    ASSERT_TRUE(w.Connect());
    QStringList shown;
    ModalSteps steps;
    steps.Then<TR2FXDlg>([&](TR2FXDlg& d) {
        w.bench.far.SetAnswer('C', "C");  // the digits then go unrecognised
        shown = ApplyChannel2(d);
        w.bench.far.SetAnswer('C', QByteArray());
        // A reading the old connection, in setup mode, never asks for.
        w.bench.far.SetSignal(37);
        d.accept();
    });
    ModalCatcher boxes;
    w.form.SetupR2FXBtnClick();
    EXPECT_EQ(shown.value(1), "Bad R2FX responce");
    EXPECT_EQ(w.MemoryReads(), 2) << "the memory is read again";
    EXPECT_EQ(w.form.MemoryLines[1], w.ReceiverLine(2)) << "the lines hold what the receiver holds";
    EXPECT_EQ(w.form.ch_2_btn->toolTip(), w.ReceiverLine(2));
    EXPECT_TRUE(boxes.Captions.isEmpty());

    // A new connection polls the receiver in normal mode: the signal is
    // asked for after the second memory read and shown on the window.
    ASSERT_TRUE(w.form.IsPolling());
    EXPECT_FALSE(w.form.PollThread->HasFlags(rfSetupMode | rfFailed));
    EXPECT_TRUE(WaitFor([&] { return w.form.signalLabel->text() == "37"; }))
        << "shown: \"" << w.form.signalLabel->text().toStdString() << '"';
    const QByteArray sent = w.bench.far.Line().Received();
    EXPECT_TRUE(sent.mid(sent.lastIndexOf('M')).contains('R')) << sent.toStdString();
}

TEST(R2FXDlg, ClosingWithoutAChangeKeepsTheLines)
{
    SetupBench w;
    ASSERT_TRUE(w.Connect());
    const QStringList lines = w.form.MemoryLines;
    TR2FXThread* thread = w.form.PollThread;
    bool setupMode = false;
    ModalSteps steps;
    steps.Then<TR2FXDlg>([&](TR2FXDlg& d) {
        setupMode = thread->HasFlags(rfSetupMode);
        d.r2fx_ch1->SetValue(139.0);
        d.reject();
    });
    w.form.SetupR2FXBtnClick();
    EXPECT_TRUE(setupMode);
    EXPECT_EQ(w.form.MemoryLines, lines);
    EXPECT_EQ(w.form.PollThread, thread);
    EXPECT_FALSE(thread->HasFlags(rfSetupMode)) << "back in normal mode";
    EXPECT_EQ(w.MemoryReads(), 1);
}

TEST(R2FXDlg, DirectModeWithoutAConnection)
{
    SetupBench w;
    w.bench.far.SetMemory(2, 137.62);
    QString thresholdLabel, ch2, thresholdAfterRead;
    bool loadEnabled = false;
    bool direct = false;
    ModalSteps steps;
    steps.Then<TR2FXDlg>([&](TR2FXDlg& d) {
        thresholdLabel = d.r2fx_threshold_label->text();
        loadEnabled = d.LoadR2FXBtn->isEnabled();
        direct = d.Thread == nullptr;
        d.LoadR2FXBtn->click();
        ch2 = d.r2fx_ch2->Edit()->text();
        thresholdAfterRead = d.r2fx_threshold_label->text();
        d.r2fx_ch6->SetValue(135.0);
        d.r2fx_ch6_btn->click();
        d.reject();
    });
    ModalCatcher boxes;
    w.form.SetupR2FXBtnClick();
    EXPECT_EQ(thresholdLabel, "N/A");
    EXPECT_TRUE(loadEnabled);
    EXPECT_TRUE(direct);
    EXPECT_EQ(ch2, "137.620");
    EXPECT_EQ(thresholdAfterRead, "50");
    EXPECT_DOUBLE_EQ(w.bench.far.MemoryMHz(6), 135.0);
    EXPECT_TRUE(boxes.Captions.isEmpty());
}

TEST(R2FXDlg, DirectModeFailuresShowTheLinksMessage)
{
    SetupBench w;
    w.bench.far.SetFault(TR2FXSimulator::TFault::Silent);
    ModalSteps steps;
    steps.Then<TR2FXDlg>([&](TR2FXDlg& d) {
        d.LoadR2FXBtn->click();
        d.r2fx_thresholdbtn->click();
        d.reject();
    });
    ModalCatcher boxes;
    w.form.SetupR2FXBtnClick();
    // The last box is the window's: without a thread it connects afresh.
    EXPECT_EQ(boxes.Captions, (QStringList{"R2FX Error", "R2FX Error", "R2FX Error"}));
    EXPECT_EQ(boxes.Texts, (QStringList{"No responce", "Falied to write R2FX \"Txx\" command",
                                        "No responce\nUse the General Settings-dialog to configure your radio."}));
    EXPECT_FALSE(w.bench.rig.IsOpen());
}
