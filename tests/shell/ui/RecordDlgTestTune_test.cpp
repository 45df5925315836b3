// The general settings dialog's test tune on its receiver copy, against a
// simulated R2FX receiver on a pseudo-terminal mapped to COM1.
#include "radio/Rig.h"
#include "shell/Setting.h"
#include "shell/ui/RecordDlg.h"
#include "support/R2FXSimulator.h"

#include <QComboBox>
#include <QLabel>
#include <QPushButton>
#include <gtest/gtest.h>

namespace {

// The dialog on COM1 with the simulator behind it, no pause between tunings.
// The link keeps its own reply timing: a shortened pause can end a reply
// early on a loaded machine.
struct TuneBench {
    TuneBench()
    {
        receiver.Line().MapToPort(1);
        dlg.Settings = &settings;
        dlg.Rig = &rig;
        dlg.TestTunePauseMs = 0;
        dlg.show();
    }
    TR2FXSimulator receiver;
    TSetting settings;
    TRig rig;  // after the receiver: closed before the line goes
    TRecordDlg dlg;
};

}  // namespace

TEST(RecordDlgTestTune, StepsThroughTheFiveFrequenciesInOrder)
{
    TuneBench bench;
    bench.dlg.RIGCOM->setCurrentIndex(0);  // "COM 1"
    bench.dlg.TestTuneBtn->click();
    EXPECT_EQ(bench.dlg.TuneStatusLabel->text(), "No errors during transmission");
    EXPECT_EQ(bench.receiver.Line().Received(), QByteArray("C0710C0750C0762C0791C0750"));
    EXPECT_DOUBLE_EQ(bench.receiver.TunedMHz(), 137.5);
    EXPECT_FALSE(bench.rig.IsOpen()) << "the port is closed afterwards";
    EXPECT_TRUE(bench.dlg.TestTuneBtn->isEnabled());
}

TEST(RecordDlgTestTune, StopsAtTheFirstFailureWithTheLinksText)
{
    {
        TuneBench bench;
        bench.receiver.SetFault(TR2FXSimulator::TFault::Silent);
        bench.dlg.TestTuneBtn->click();
        EXPECT_EQ(bench.dlg.TuneStatusLabel->text(), bench.rig.GetErrorText());
        EXPECT_EQ(bench.dlg.TuneStatusLabel->text(), "No R2FX responce");
        const QByteArray received = bench.receiver.Line().Received();
        EXPECT_FALSE(received.isEmpty());
        EXPECT_TRUE(QByteArray("C0710").startsWith(received)) << "no second frequency: " << received.constData();
        EXPECT_TRUE(bench.dlg.TestTuneBtn->isEnabled());
    }
    {
        TuneBench bench;
        bench.dlg.RIGRadio->setCurrentIndex(2);  // "ICOM PCR1000": no driver
        bench.dlg.TestTuneBtn->click();
        EXPECT_EQ(bench.dlg.TuneStatusLabel->text(), "Unsupported radio");
        EXPECT_TRUE(bench.receiver.Line().Received().isEmpty());
    }
}
