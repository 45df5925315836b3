// The ten-channel tuner window on a simulated line: what each receiver model
// shows, the bytes a channel button writes, and selection by downlink.
#include "radio/Rig.h"
#include "radio/ui/RXTuner.h"
#include "support/ModalCatcher.h"
#include "support/RigBench.h"

#include <QLabel>
#include <QToolButton>
#include <gtest/gtest.h>

namespace {

struct TunerBench {
    explicit TunerBench(int radio) : bench(radio) { tuner.Rig = &bench.rig; }
    TRigBench<TByteSink> bench;
    TRXTuner tuner;
};

}  // namespace

TEST(RXTuner, ShowingNamesTheReceiver)
{
    struct Case {
        int radio;
        const char* name;
        bool scan;
    };
    const Case cases[] = {{1, "RIG RX2 RECEIVER", true}, {3, "EMGO RECEIVER", false}};
    for (const Case& c : cases) {
        TunerBench t(c.radio);
        t.tuner.FreqLabel->setText("137.100 MHz");
        t.tuner.show();
        EXPECT_EQ(t.tuner.windowTitle(), c.name);
        EXPECT_EQ(t.tuner.RXName->text(), c.name);
        EXPECT_EQ(t.tuner.ScanBtn->isVisible(), c.scan) << c.name;
        EXPECT_EQ(t.tuner.FreqLabel->text(), "--- SELECT ---");
        EXPECT_EQ(t.tuner.ch_9_btn->text(), "10");
        EXPECT_EQ(t.tuner.ch_9_btn->toolTip(), "137.850 MHz");
    }
}

TEST(RXTuner, AChannelButtonWritesItsCommand)
{
    TunerBench t(1);
    t.tuner.show();
    t.tuner.ch_4_btn->click();  // "5"
    ASSERT_TRUE(t.bench.far.Line().WaitForReceived(2, 2000));
    EXPECT_EQ(t.bench.far.Line().Received(), "F4");
    EXPECT_EQ(t.tuner.FreqLabel->text(), "137.620 MHz");
    t.tuner.ScanBtn->click();
    ASSERT_TRUE(t.bench.far.Line().WaitForReceived(3, 2000));
    EXPECT_EQ(t.bench.far.Line().Received(), "F4S");
    EXPECT_EQ(t.tuner.FreqLabel->text(), "... SCAN ...");
    t.tuner.close();
    EXPECT_FALSE(t.bench.rig.IsOpen()) << "closing the window closes the port";
}

TEST(RXTuner, SelectingByDownlink)
{
    TunerBench t(3);
    t.tuner.show();
    EXPECT_TRUE(t.tuner.SelectChannelByFrequency("137.9125"));
    EXPECT_EQ(t.tuner.FreqLabel->text(), "137.910 MHz");
    ASSERT_TRUE(t.bench.far.Line().WaitForReceived(2, 2000));
    EXPECT_EQ(t.bench.far.Line().Received(), "F5");
    EXPECT_FALSE(t.tuner.SelectChannelByFrequency("137.95"));
    EXPECT_EQ(t.tuner.FreqLabel->text(), "137.910 MHz") << "a refusal leaves the label";
    EXPECT_EQ(t.bench.rig.GetErrorText(), "Unsupported EMGO frequency 137.9500MHz");
}

TEST(RXTuner, APortThatCannotOpenIsReported)
{
    TunerBench t(1);
    t.bench.rig.Port = 7;  // no such line
    qputenv("ORVANTA_COM7", "/nonexistent/tty");
    t.tuner.show();
    ModalCatcher boxes;
    t.tuner.ch_0_btn->click();
    ASSERT_EQ(boxes.Captions, QStringList{"Error: Failed to tune!"});
    EXPECT_TRUE(boxes.Texts[0].startsWith("Failed to open COM 7")) << boxes.Texts[0].toStdString();
    EXPECT_EQ(t.tuner.FreqLabel->text(), "--- SELECT ---");
}
