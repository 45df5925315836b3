// The receiver link on a pseudo-terminal: opening with each model's line
// settings, failures that say what is wrong with the port, and bounded waits
// for receivers that never answer, never stop, or vanish.
#include "radio/R2FXProtocol.h"
#include "radio/RX2Protocol.h"
#include "support/R2FXSimulator.h"
#include "support/RigBench.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <fcntl.h>
#include <functional>
#include <gtest/gtest.h>
#include <termios.h>
#include <unistd.h>

namespace {

using TR2FXBench = TRigBench<TR2FXSimulator>;
using TFault = TR2FXSimulator::TFault;

// A descriptor of the terminal side opened before the link takes the port
// for itself: the test's look at the line.
struct TTerminalView {
    explicit TTerminalView(const QString& terminal)
        : fd(::open(terminal.toLocal8Bit().constData(), O_RDWR | O_NOCTTY | O_NONBLOCK))
    {
    }
    ~TTerminalView()
    {
        if (fd >= 0)
            ::close(fd);
    }
    int fd;
};

}  // namespace

TEST(Rig, TablesAndDefaults)
{
    TRig rig;
    EXPECT_EQ(rig.Port, 1);
    EXPECT_EQ(rig.BaudRate, 3);
    EXPECT_EQ(rig.Radio, 0);
    EXPECT_EQ(rig.GetErrorText(), "Unknown error");
    EXPECT_FALSE(rig.IsOpen());

    const int bitsPerSecond[] = {110, 300, 600, 1200, 2400, 4800, 9600, 14400, 19200, 38400, 56000, 57600, 115200, 128000, 256000};
    for (int i = 0; i < 15; ++i) {
        rig.BaudRate = i;
        EXPECT_EQ(rig.GetBaudValue(), bitsPerSecond[i]) << i;
    }
    for (const int outside : {-1, 15}) {
        rig.BaudRate = outside;
        EXPECT_EQ(rig.GetBaudValue(), -1) << outside;
    }

    struct Model {
        int radio;
        const char* name;
        int defaultBaud;
    };
    const Model models[] = {{0, "R2FX", 3}, {1, "RIG RX2", 3}, {2, "ICOM PCR1000", 6}, {3, "EMGO", 3}, {4, "", 11}, {-1, "", 11}};
    for (const Model& m : models) {
        rig.Radio = m.radio;
        rig.BaudRate = 11;  // kept for a model without a default
        EXPECT_EQ(rig.GetRadioName(), m.name) << m.radio;
        EXPECT_EQ(rig.GetDefaultBaudRate(), m.defaultBaud) << m.radio;
    }
}

TEST(Rig, OpenFailuresSayWhatIsWrongWithThePort)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    TPtyLine line;
    TRig holder;  // keeps COM4 for itself
    line.MapToPort(4);
    holder.Port = 4;
    ASSERT_TRUE(holder.Open()) << holder.GetErrorText().toStdString();
    qputenv("ORVANTA_COM7", dir.filePath("missing").toUtf8());
    qputenv("ORVANTA_COM8", plain.fileName().toUtf8());

    struct Case {
        int port;
        int radio;
        QString message;
    };
    const Case cases[] = {
        {1, 2, "Error: Unsupported radio, or under construction"},
        {0, 0, "Bad Port number, baudrate or radio!"},
        {-3, 1, "Bad Port number, baudrate or radio!"},
        {7, 0, "Failed to open COM 7: " + dir.filePath("missing") + " does not exist; is the receiver's adapter plugged in?"},
        {8, 3, "Failed to open COM 8: " + plain.fileName() + " is not a serial port"},
        {4, 1, "Failed to open COM 4: " + line.Terminal() + " is in use by another program"},
        {300, 0, "Failed to open COM 300: \"COM300\" is not a serial port name (COM1 to COM256, or a device path)"},
    };
    for (const Case& c : cases) {
        TRig rig;
        rig.Port = c.port;
        rig.Radio = c.radio;
        EXPECT_FALSE(rig.Open()) << c.port;
        EXPECT_EQ(rig.GetErrorText(), c.message) << c.port;
        EXPECT_FALSE(rig.IsOpen()) << c.port;
        EXPECT_FALSE(rig.EnsureOpen()) << c.port;
        EXPECT_EQ(rig.GetErrorText(), c.message) << c.port << ": every command says the same";
    }

    // An unusable model is refused before the port is touched.
    TRig icom;
    icom.Radio = 2;
    EXPECT_FALSE(icom.SetFrequency(137.62));
    EXPECT_EQ(icom.GetErrorText(), "Unsupported radio");
    EXPECT_FALSE(icom.SetChannel(4));
    EXPECT_EQ(icom.GetErrorText(), "Unsupported radio");
}

TEST(Rig, EachModelOpensWithItsLineSettings)
{
    struct Case {
        int radio;
        int receivedBytes;  // of "a\0b": the EMGO drops zero bytes
    };
    for (const Case c : {Case{0, 3}, Case{1, 3}, Case{3, 2}}) {
        TPtyLine line;
        line.MapToPort(2);
        TTerminalView view(line.Terminal());
        ASSERT_GE(view.fd, 0);
        TRig rig;
        rig.Port = 2;
        rig.Radio = c.radio;
        rig.BaudRate = 12;  // a stored rate never counts
        rig.SetReplyTiming(kTestReplyPauseMs, kTestReplyLimitMs);
        ASSERT_TRUE(rig.Open()) << rig.GetErrorText().toStdString();
        EXPECT_EQ(rig.BaudRate, 3) << c.radio;
        termios seen{};
        ASSERT_EQ(::tcgetattr(view.fd, &seen), 0);
        EXPECT_EQ(::cfgetospeed(&seen), speed_t(B1200)) << c.radio;
        EXPECT_EQ(seen.c_cflag & (CSIZE | PARENB | CSTOPB | CRTSCTS), tcflag_t(CS8)) << c.radio;
        EXPECT_EQ(seen.c_iflag & (IXON | IXOFF), 0u) << c.radio;

        line.Send(QByteArray("a\0b", 3));
        EXPECT_EQ(rig.ReadReply(), c.receivedBytes) << c.radio;
        EXPECT_EQ(rig.Reply().size(), c.receivedBytes) << c.radio;
    }
}

TEST(Rig, EnsureOpenReusesThePortAndEmptiesIt)
{
    TR2FXBench bench;
    TTerminalView view(bench.far.Line().Terminal());
    ASSERT_GE(view.fd, 0);
    ASSERT_TRUE(bench.rig.EnsureOpen()) << bench.rig.GetErrorText().toStdString();
    // Marks the line: opening it again would set 1200 bit/s once more.
    termios marked{};
    ASSERT_EQ(::tcgetattr(view.fd, &marked), 0);
    ::cfsetospeed(&marked, B9600);
    ASSERT_EQ(::tcsetattr(view.fd, TCSANOW, &marked), 0);
    bench.rig.SetErrorText("an old failure");
    bench.far.Line().Send("stale answer");
    std::this_thread::sleep_for(std::chrono::milliseconds(50));
    ASSERT_TRUE(bench.rig.EnsureOpen());
    EXPECT_TRUE(bench.rig.IsOpen());
    EXPECT_EQ(bench.rig.GetErrorText(), "Unknown error");
    EXPECT_EQ(bench.rig.ReadReply(), 0) << "the stale answer was purged";
    termios seen{};
    ASSERT_EQ(::tcgetattr(view.fd, &seen), 0);
    EXPECT_EQ(::cfgetospeed(&seen), speed_t(B9600)) << "the open port was reused, not opened again";
    EXPECT_EQ(ReadR2FXSignal(bench.rig), 57);

    TRig other;
    other.Port = 5;
    other.Radio = 3;
    other.BaudRate = 9;
    bench.rig.Assign(other);
    EXPECT_FALSE(bench.rig.IsOpen()) << "taking other settings closes the link";
    EXPECT_EQ(bench.rig.Port, 5);
    EXPECT_EQ(bench.rig.Radio, 3);
    EXPECT_EQ(bench.rig.BaudRate, 9);
    EXPECT_EQ(bench.rig.Reply(), "");
    EXPECT_EQ(bench.rig.ReadReply(), 0);
    EXPECT_FALSE(bench.rig.Purge());
    EXPECT_EQ(bench.rig.GetErrorText(), "COM-port is not open!");
    bench.rig.Close();
    bench.rig.Close();
    EXPECT_FALSE(bench.rig.WriteChar('R')) << "nothing is written on a closed link";
}

TEST(Rig, ASilentReceiverCostsOneReplyPause)
{
    TRigBench<TByteSink> bench;
    bench.rig.SetReplyTiming(500, 5000);  // as the program runs
    ASSERT_TRUE(bench.rig.EnsureOpen());
    QElapsedTimer clock;
    clock.start();
    EXPECT_EQ(bench.rig.ReadReply(), 0);
    EXPECT_GE(clock.elapsed(), 450);
    EXPECT_LT(clock.elapsed(), 3000);
    EXPECT_EQ(bench.rig.Reply(), "");
}

TEST(Rig, AReceiverThatNeverStopsIsCutShort)
{
    // A flood fills the reply to its capacity and no further.
    TRigBench<TByteSink> flood;
    ASSERT_TRUE(flood.rig.EnsureOpen());
    flood.far.line.Send(QByteArray(2000, '7'));
    EXPECT_EQ(flood.rig.ReadReply(), TRig::kReplyCapacity);
    EXPECT_EQ(flood.rig.Reply(), QByteArray(TRig::kReplyCapacity, '7'));

    // A trickle that never pauses long enough ends at the reply limit.
    TRigBench<TByteSink> trickle;
    trickle.rig.SetReplyTiming(kTestReplyPauseMs, 600);
    ASSERT_TRUE(trickle.rig.EnsureOpen());
    trickle.far.line.Babble('x', 20);
    QElapsedTimer clock;
    clock.start();
    const int n = trickle.rig.ReadReply();
    EXPECT_GT(n, 0);
    EXPECT_LT(n, TRig::kReplyCapacity);
    EXPECT_LT(clock.elapsed(), 3000) << "the reply limit ends the collecting";
    trickle.far.line.Babble('x', 0);

    // The signal reading of a babbling R2FX is no number at all.
    TR2FXBench babbler;
    babbler.far.SetAnswer('R', "R" + QByteArray(1000, '9'));
    EXPECT_EQ(ReadR2FXSignal(babbler.rig), -1);
    EXPECT_EQ(babbler.rig.GetErrorText(), "Failed to read R2FX signal");
}

TEST(Rig, AStalledLineFailsTheWriteInsteadOfBlocking)
{
    TR2FXBench bench;
    TTerminalView view(bench.far.Line().Terminal());
    ASSERT_GE(view.fd, 0);
    ASSERT_TRUE(bench.rig.SetFrequency(137.5)) << bench.rig.GetErrorText().toStdString();
    ASSERT_EQ(::tcflow(view.fd, TCOOFF), 0);  // the line takes no more output
    QElapsedTimer clock;
    clock.start();
    EXPECT_FALSE(bench.rig.SetFrequency(137.62));
    EXPECT_LT(clock.elapsed(), 5000);
    EXPECT_TRUE(bench.rig.GetErrorText().startsWith("No R2FX responce: Wrote 0 of 1 bytes, then timed out on COM1"))
        << bench.rig.GetErrorText().toStdString();
    ::tcflow(view.fd, TCOON);
    EXPECT_TRUE(bench.rig.SetFrequency(137.62)) << bench.rig.GetErrorText().toStdString();
}

TEST(Rig, ALineThatDisappearsIsReportedAndOpenedAfresh)
{
    // The cable is pulled between the third and fourth character.
    TR2FXBench bench;
    const QString gone = "the line of COM 1 (" + bench.far.Line().Terminal() +
                         ") is gone; check that the receiver is connected";
    bench.far.SetFault(TFault::HangUpAfter, 3);
    EXPECT_FALSE(bench.rig.SetFrequency(137.62));
    EXPECT_EQ(bench.rig.GetErrorText(), "Bad R2FX responce: " + gone);
    EXPECT_FALSE(bench.rig.IsOpen()) << "a lost line is not kept as open";
    EXPECT_FALSE(bench.rig.SetFrequency(137.62));
    EXPECT_TRUE(bench.rig.GetErrorText().startsWith("Failed to open COM 1: ")) << bench.rig.GetErrorText().toStdString();

    // Pulled between two commands: the next one opens the port afresh, once.
    struct Case {
        const char* name;
        int radio;
        std::function<bool(TRig&)> command;
    };
    const Case cases[] = {
        {"R2FX tuning", 0, [](TRig& r) { return r.SetFrequency(137.62); }},
        {"R2FX signal", 0, [](TRig& r) { return ReadR2FXSignal(r) >= 0; }},
        {"RIG RX2 tuning", 1, [](TRig& r) { return r.SetFrequency(137.62); }},
    };
    for (const Case& c : cases) {
        TRigBench<TR2FXSimulator> between(c.radio);
        ASSERT_TRUE(between.rig.EnsureOpen()) << c.name;
        const QString terminal = between.far.Line().Terminal();
        between.far.Line().HangUp();
        EXPECT_FALSE(c.command(between.rig)) << c.name;
        const QString text = between.rig.GetErrorText();
        EXPECT_EQ(text, "Failed to open COM 1: " + terminal + " does not exist; is the receiver's adapter plugged in?")
            << c.name;
        EXPECT_FALSE(between.rig.IsOpen()) << c.name;
    }

    // A line that comes back (the adapter plugged in again) works at once.
    TR2FXBench back;
    ASSERT_TRUE(back.rig.EnsureOpen());
    TR2FXSimulator replugged;
    replugged.Line().MapToPort(1);
    back.far.Line().HangUp();
    EXPECT_TRUE(back.rig.SetFrequency(137.5)) << back.rig.GetErrorText().toStdString();
    EXPECT_EQ(replugged.Line().Received(), "C0750");
}

TEST(Rig, CommandsBackToBackReachTheReceiverWhole)
{
    // A write returns once its bytes are queued, and each command starts by
    // purging the port: the purge must not cut off the command before it
    // while the far end has yet to take it.
    TRigBench<TByteSink> bench(1);
    QByteArray expected;
    for (int round = 0; round < 20; ++round) {
        const int channel = round % 10;
        ASSERT_TRUE(SelectRX2Channel(bench.rig, channel)) << bench.rig.GetErrorText().toStdString();
        ASSERT_TRUE(StartRX2Scan(bench.rig)) << bench.rig.GetErrorText().toStdString();
        expected += "F" + QByteArray::number(channel) + "S";
    }
    bench.far.line.WaitForReceived(expected.size(), 2000);
    EXPECT_EQ(bench.far.line.Received(), expected);
}
