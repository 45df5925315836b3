// The R2FX protocol against a simulated receiver on a pseudo-terminal: the
// exact characters on the wire, and what becomes of silent, garbled, short
// and long answers.
#include "radio/R2FXProtocol.h"
#include "support/R2FXSimulator.h"
#include "support/RigBench.h"

#include <functional>
#include <gtest/gtest.h>
#include <thread>

using TFault = TR2FXSimulator::TFault;
using TR2FXBench = TRigBench<TR2FXSimulator>;

TEST(R2FXProtocol, TuningSendsTheChannelCommand)
{
    struct Case {
        const char* mhz;
        const char* sent;
        double tunedMHz;  // to the receiver's 10 kHz steps
    };
    const Case cases[] = {
        {"137.62", "C0762", 137.62},
        {"137.9125", "C0791", 137.91},
        {"137.5", "C0750", 137.5},
    };
    TR2FXBench bench;
    QByteArray expected;
    for (const Case& c : cases) {
        EXPECT_TRUE(bench.rig.SetFrequencyText(c.mhz)) << c.mhz << ": " << bench.rig.GetErrorText().toStdString();
        expected += c.sent;
        EXPECT_EQ(bench.far.Line().Received(), expected) << c.mhz;
        EXPECT_DOUBLE_EQ(bench.far.TunedMHz(), c.tunedMHz) << c.mhz;
    }
    EXPECT_EQ(bench.rig.GetErrorText(), "Unknown error") << "a command clears the last failure";

    // The range's ends keep three digits.
    EXPECT_EQ(R2FXChannelCommand(0, 134.0), "C0400");
    EXPECT_EQ(R2FXChannelCommand(0, 139.99), "C0999");
    EXPECT_EQ(R2FXChannelCommand(6, 135.0), "C6500");
}

TEST(R2FXProtocol, RefusedArgumentsSendNothing)
{
    struct Case {
        const char* name;
        std::function<bool(TRig&)> command;
        const char* message;
    };
    const Case cases[] = {
        {"below the band", [](TRig& r) { return r.SetFrequency(133.99); },
         "Bad R2FX frequency 133.99 MHz. Valid range 134.000-139.990 MHz."},
        {"above the band", [](TRig& r) { return r.SetFrequency(140.0); },
         "Bad R2FX frequency 140 MHz. Valid range 134.000-139.990 MHz."},
        {"no number", [](TRig& r) { return r.SetFrequencyText("n/a"); },
         "Bad R2FX frequency 0 MHz. Valid range 134.000-139.990 MHz."},
        {"channel 7", [](TRig& r) { return SendR2FXChannel(r, 7, 137.5); }, "Bad R2FX channel number. Nr 1-6 supported."},
        {"memory 0", [](TRig& r) { return ProgramR2FXChannel(r, 0, 137.5); },
         "Bad R2FX channel number. Nr 1-6 supported."},
        {"threshold 100", [](TRig& r) { return SetR2FXThreshold(r, 100); }, "Bad R2FX threshold value. Range 0-99."},
        {"threshold -1", [](TRig& r) { return SetR2FXThreshold(r, -1); }, "Bad R2FX threshold value. Range 0-99."},
    };
    TR2FXBench bench;
    for (const Case& c : cases) {
        EXPECT_FALSE(c.command(bench.rig)) << c.name;
        EXPECT_EQ(bench.rig.GetErrorText(), c.message) << c.name;
    }
    EXPECT_FALSE(bench.rig.IsOpen());
    EXPECT_FALSE(bench.far.Line().WaitForReceived(1, 100)) << "nothing reached the receiver";
}

TEST(R2FXProtocol, SpoiledAnswersFailTheTuning)
{
    struct Case {
        const char* name;
        TFault fault;
        int value;
        const char* sent;  // the characters that went out
        const char* message;
    };
    const Case cases[] = {
        {"dead receiver", TFault::Silent, 0, "C", "No R2FX responce"},
        {"answers late", TFault::Late, kTestReplyPauseMs + 300, "C", "No R2FX responce"},
        {"falls silent", TFault::SilentAfter, 2, "C07", "Bad R2FX responce"},
        {"garbage", TFault::Garbage, 0, "C0762", "Bad R2FX responce"},
        {"20 bytes", TFault::ShortLine, 0, "C0762", "Bad R2FX responce"},
        {"22 bytes", TFault::ExtraByte, 0, "C0762", "Bad R2FX responce"},
    };
    for (const Case& c : cases) {
        TR2FXBench bench;
        bench.far.SetFault(c.fault, c.value);
        EXPECT_FALSE(bench.rig.SetFrequency(137.62)) << c.name;
        EXPECT_EQ(bench.rig.GetErrorText(), c.message) << c.name;
        EXPECT_EQ(bench.far.Line().Received(), c.sent) << c.name;
        EXPECT_TRUE(bench.rig.IsOpen()) << c.name << ": a silent receiver is no lost line";
    }

    // The next command starts clean: a late answer left behind is purged.
    TR2FXBench bench;
    bench.far.SetFault(TFault::Late, kTestReplyPauseMs + 100);
    EXPECT_FALSE(bench.rig.SetFrequency(137.5));
    std::this_thread::sleep_for(std::chrono::milliseconds(300));
    bench.far.SetFault(TFault::None);
    EXPECT_TRUE(bench.rig.SetFrequency(137.62)) << bench.rig.GetErrorText().toStdString();
}

TEST(R2FXProtocol, ThresholdAndMemoryChannels)
{
    TR2FXBench bench;
    EXPECT_TRUE(SetR2FXThreshold(bench.rig, 61)) << bench.rig.GetErrorText().toStdString();
    EXPECT_TRUE(SetR2FXThreshold(bench.rig, 5));
    EXPECT_TRUE(ProgramR2FXChannel(bench.rig, 3, 137.1));
    EXPECT_EQ(bench.far.Line().Received(), "T61T05C3710");
    EXPECT_EQ(bench.far.Threshold(), 5);
    EXPECT_DOUBLE_EQ(bench.far.MemoryMHz(3), 137.1);

    const std::optional<QStringList> memory = ReadR2FXMemory(bench.rig);
    ASSERT_TRUE(memory) << bench.rig.GetErrorText().toStdString();
    EXPECT_EQ(*memory, QStringList({"CH1:137.500MHz", "CH2:137.620MHz", "CH3:137.100MHz", "CH4:137.100MHz",
                                    "CH5:137.300MHz", "CH6:137.400MHz", "Channel:3", "Scan thr:005"}));

    bench.far.SetFault(TFault::SilentAfter, 1);
    EXPECT_FALSE(SetR2FXThreshold(bench.rig, 42));
    EXPECT_EQ(bench.rig.GetErrorText(), "Falied to write R2FX \"Txx\" command");
    EXPECT_TRUE(bench.far.Line().Received().endsWith("T4")) << "stops at the first unanswered character";
}

TEST(R2FXProtocol, SignalAndMemoryReplies)
{
    struct SignalCase {
        QByteArray reply;
        int value;
    };
    const SignalCase signalCases[] = {
        {"R57\r\n", 57},          {"R7\r\n", -1},  {"R057", 57},  {"X1234567", 1234567},
        {"R\r\n57", -1},          {"", -1},        {"R5", -1},    {"R99999999999\r\n", -1},
    };
    for (const SignalCase& c : signalCases) {
        TR2FXBench bench;
        bench.far.SetAnswer('R', c.reply);
        EXPECT_EQ(ReadR2FXSignal(bench.rig), c.value) << c.reply.toStdString();
        if (c.value < 0) {
            EXPECT_EQ(bench.rig.GetErrorText(), c.reply.isEmpty() ? "No responce" : "Failed to read R2FX signal")
                << c.reply.toStdString();
        }
        EXPECT_EQ(bench.far.Line().Received(), "R");
    }

    const QByteArray eightLines = "CH1:137.500MHz\nCH2:137.620MHz\r\rCH3:137.913MHz\n\rCH4:137.100MHz\r\n"
                                  "CH5:137.300MHz\nCH6:137.400MHz\nChannel:0\nScan thr:050";
    struct MemoryCase {
        const char* name;
        QByteArray reply;
        int lines;  // 0: refused with the message
        const char* message;
    };
    const MemoryCase memories[] = {
        {"echo line, mixed line ends, no final end", "M\r\n" + eightLines, 8, ""},
        {"one line missing", "M\r\n" + eightLines.mid(eightLines.indexOf('\n') + 1), 0, "Failed to read R2FX memory"},
        {"line ends only", "\r\n\n\r", 0, "No R2FX responce"},
        {"echo only", "M\r\n", 0, "No R2FX responce"},
        {"garbage", "\xfe#\x7f", 0, "Failed to read R2FX memory"},
        {"silence", "", 0, "No responce"},
    };
    for (const MemoryCase& c : memories) {
        TR2FXBench bench;
        bench.far.SetAnswer('M', c.reply);
        const std::optional<QStringList> memory = ReadR2FXMemory(bench.rig);
        EXPECT_EQ(memory.has_value(), c.lines > 0) << c.name;
        if (memory) {
            EXPECT_EQ(memory->size(), c.lines) << c.name;
            EXPECT_EQ(memory->at(2), "CH3:137.913MHz") << c.name;
            EXPECT_EQ(memory->at(7), "Scan thr:050") << c.name;
        } else {
            EXPECT_EQ(bench.rig.GetErrorText(), c.message) << c.name;
        }
    }
}
