// The RIG RX2 and EMGO channel commands, checked byte for byte at a sink on
// the far end of a pseudo-terminal.
#include "radio/RX2Protocol.h"
#include "support/RigBench.h"

#include <gtest/gtest.h>

namespace {

constexpr int kRigRX2 = 1;
constexpr int kEmgo = 3;

}  // namespace

TEST(RX2Protocol, DownlinksSelectTheirChannels)
{
    struct Case {
        const char* mhz;
        const char* sent;
    };
    const Case cases[] = {
        {"137.62", "F4"},  {"137.9125", "F5"}, {"137.5", "F3"}, {"137.913", "F5"},
        {"137.91", "F5"},  {"137.2", "F0"},    {"137.85", "F9"},
    };
    for (const int radio : {kRigRX2, kEmgo}) {
        TRigBench<TByteSink> bench(radio);
        QByteArray expected;
        for (const Case& c : cases) {
            EXPECT_TRUE(bench.rig.SetFrequencyText(c.mhz)) << c.mhz << ": " << bench.rig.GetErrorText().toStdString();
            expected += c.sent;
            ASSERT_TRUE(bench.far.line.WaitForReceived(expected.size(), 2000)) << c.mhz;
            EXPECT_EQ(bench.far.line.Received(), expected) << "radio " << radio << ", " << c.mhz;
        }
        EXPECT_TRUE(bench.rig.IsOpen()) << "the port stays open for the next command";
    }
}

TEST(RX2Protocol, RefusalsNameTheModelAndSendNothing)
{
    struct Case {
        int radio;
        const char* mhz;
        const char* message;
    };
    const Case cases[] = {
        {kRigRX2, "137.9131", "Unsupported RIG RX2 frequency 137.9131MHz"},
        {kRigRX2, "137.0", "Unsupported RIG RX2 frequency 137.0000MHz"},
        {kEmgo, "137.909", "Unsupported EMGO frequency 137.9090MHz"},
        {kEmgo, "no number", "Unsupported EMGO frequency 0.0000MHz"},
    };
    for (const Case& c : cases) {
        TRigBench<TByteSink> bench(c.radio);
        EXPECT_FALSE(bench.rig.SetFrequencyText(c.mhz)) << c.mhz;
        EXPECT_EQ(bench.rig.GetErrorText(), c.message);
        EXPECT_EQ(GetRX2ChannelOfText(bench.rig, c.mhz), -1);
        EXPECT_FALSE(bench.far.line.WaitForReceived(1, 100)) << c.mhz << ": nothing sent";
    }
    TRigBench<TByteSink> bench(kRigRX2);
    EXPECT_FALSE(bench.rig.SetChannel(10));
    EXPECT_EQ(bench.rig.GetErrorText(), "Unsupported RIG RX2 channel 10");
    EXPECT_FALSE(SelectRX2Channel(bench.rig, -1));
    EXPECT_EQ(bench.rig.GetErrorText(), "Unsupported RIG RX2 channel -1");
    EXPECT_FALSE(bench.far.line.WaitForReceived(1, 100));
}

TEST(RX2Protocol, ChannelsByIndexAndTheScanner)
{
    // The far end takes each command before the next is sent.
    TRigBench<TByteSink> bench(kRigRX2);
    EXPECT_TRUE(bench.rig.SetChannel(0));
    ASSERT_TRUE(bench.far.line.WaitForReceived(2, 2000));
    EXPECT_TRUE(SelectRX2Channel(bench.rig, 9));
    ASSERT_TRUE(bench.far.line.WaitForReceived(4, 2000));
    EXPECT_TRUE(StartRX2Scan(bench.rig));
    ASSERT_TRUE(bench.far.line.WaitForReceived(5, 2000));
    EXPECT_EQ(bench.far.line.Received(), "F0F9S");

    // The R2FX has no channel table.
    TRigBench<TByteSink> r2fx(0);
    EXPECT_FALSE(r2fx.rig.SetChannel(4));
    EXPECT_EQ(r2fx.rig.GetErrorText(), "Unsupported radio");
    EXPECT_FALSE(r2fx.rig.IsOpen());
}
