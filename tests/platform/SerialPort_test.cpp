// The serial port against a simulated receiver on a pseudo-terminal pair:
// the port opens the terminal side, the receiver answers on the master side.
#include "platform/SerialPort.h"
#include "platform/SerialPortNames.h"

#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <map>
#include <mutex>
#include <poll.h>
#include <stdlib.h>
#include <termios.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

struct Piece {
    int pauseMs;
    QByteArray bytes;
};
using Reply = std::vector<Piece>;

// A receiver at the master side of a pseudo-terminal: answers each command
// of its table when the bytes received so far end with it.
class SimulatedReceiver {
public:
    explicit SimulatedReceiver(std::map<QByteArray, Reply> replies = {}) : replies_(std::move(replies))
    {
        master_ = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (master_ >= 0 && ::grantpt(master_) == 0 && ::unlockpt(master_) == 0)
            terminal_ = QString::fromLocal8Bit(::ptsname(master_));
        thread_ = std::thread([this] { Run(); });
    }
    ~SimulatedReceiver() { HangUp(); }
    QString Terminal() const { return terminal_; }
    void Send(const QByteArray& bytes) { ASSERT_EQ(::write(master_, bytes.constData(), bytes.size()), bytes.size()); }
    QByteArray Received()
    {
        std::lock_guard<std::mutex> lock(mutex_);
        return received_;
    }
    // Keeps the line open but reads nothing more.
    void StopReading()
    {
        stop_ = true;
        if (thread_.joinable())
            thread_.join();
    }
    void HangUp()
    {
        StopReading();
        if (master_ >= 0)
            ::close(master_);
        master_ = -1;
    }

private:
    void Run()
    {
        QByteArray pending;
        while (!stop_) {
            pollfd p{master_, POLLIN, 0};
            if (::poll(&p, 1, 20) <= 0 || !(p.revents & POLLIN))
                continue;
            char chunk[256];
            const ssize_t n = ::read(master_, chunk, sizeof chunk);
            if (n <= 0)
                continue;
            pending.append(chunk, n);
            {
                std::lock_guard<std::mutex> lock(mutex_);
                received_.append(chunk, n);
            }
            for (const auto& [command, reply] : replies_) {
                if (!pending.endsWith(command))
                    continue;
                pending.clear();
                for (const Piece& piece : reply) {
                    std::this_thread::sleep_for(std::chrono::milliseconds(piece.pauseMs));
                    (void)::write(master_, piece.bytes.constData(), piece.bytes.size());
                }
            }
        }
    }

    std::map<QByteArray, Reply> replies_;
    int master_ = -1;
    QString terminal_;
    std::mutex mutex_;
    QByteArray received_;  // guarded by mutex_
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

TCommTimeouts ReadTimeouts(std::uint32_t interval, std::uint32_t multiplier, std::uint32_t constant)
{
    TCommTimeouts t;
    t.ReadIntervalTimeout = interval;
    t.ReadTotalTimeoutMultiplier = multiplier;
    t.ReadTotalTimeoutConstant = constant;
    return t;
}

QByteArray ReadSome(TSerialPort& port, std::uint32_t max, qint64* elapsedMs = nullptr)
{
    QByteArray out(max, '\0');
    std::uint32_t got = 0;
    QElapsedTimer clock;
    clock.start();
    EXPECT_TRUE(port.Read(out.data(), max, got)) << port.ErrorText().toStdString();
    if (elapsedMs)
        *elapsedMs = clock.elapsed();
    out.truncate(got);
    return out;
}

}  // namespace

TEST(SerialPortNames, WindowsNamesMapToDevices)
{
    qputenv("ORVANTA_COM3", "/dev/ttyUSB0");
    struct Case {
        const char* name;
        const char* device;  // nullptr: refused
    };
    const Case cases[] = {
        {"COM1", "/dev/ttyS0"},       {"com2", "/dev/ttyS1"},   {"COM3", "/dev/ttyUSB0"},
        {"COM256", "/dev/ttyS255"},   {"/dev/pts/7", "/dev/pts/7"}, {"COM0", nullptr},
        {"COM257", nullptr},          {"COM", nullptr},         {"COM+1", nullptr},
        {"COM1x", nullptr},           {"LPT1", nullptr},        {"", nullptr},
    };
    for (const Case& c : cases) {
        QString device, error;
        EXPECT_EQ(SerialDeviceForPort(c.name, device, error), c.device != nullptr) << c.name;
        if (c.device)
            EXPECT_EQ(device, c.device) << c.name;
        else
            EXPECT_TRUE(error.contains("not a serial port name")) << c.name;
    }
}

TEST(SerialPort, OpenFailuresSayWhichPortAndWhy)
{
    QTemporaryDir dir;
    QFile plain(dir.filePath("plain"));
    ASSERT_TRUE(plain.open(QIODevice::WriteOnly));
    plain.close();
    SimulatedReceiver receiver;
    TSerialPort holder;
    ASSERT_TRUE(holder.Open(receiver.Terminal())) << holder.ErrorText().toStdString();
    qputenv("ORVANTA_COM7", dir.filePath("missing").toUtf8());
    qputenv("ORVANTA_COM8", plain.fileName().toUtf8());
    struct Case {
        QString name;
        QString expected;
    };
    const Case cases[] = {
        {"COM7", "COM7 (" + dir.filePath("missing") + "): No such file or directory"},
        {"COM8", "Inappropriate ioctl for device"},
        {receiver.Terminal(), "Device or resource busy"},
        {"COM0", "not a serial port name"},
    };
    for (const Case& c : cases) {
        TSerialPort port;
        EXPECT_FALSE(port.Open(c.name)) << c.name.toStdString();
        EXPECT_FALSE(port.IsOpen());
        EXPECT_TRUE(port.ErrorText().contains(c.expected)) << port.ErrorText().toStdString();
    }
    TSerialPort closed;
    std::uint32_t n = 0;
    char byte = 0;
    EXPECT_FALSE(closed.Write("x", 1, n));
    EXPECT_FALSE(closed.Read(&byte, 1, n));
    EXPECT_FALSE(closed.Purge());
    EXPECT_EQ(closed.LastError(), EBADF);
    EXPECT_TRUE(closed.ErrorText().contains("not open"));
    closed.Close();  // harmless when closed
}

TEST(SerialPort, LineSettingsReachTheTerminalOrAreRefused)
{
    SimulatedReceiver receiver;
    qputenv("ORVANTA_COM2", receiver.Terminal().toUtf8());
    TSerialPort port;
    ASSERT_TRUE(port.Open("COM2")) << port.ErrorText().toStdString();
    EXPECT_EQ(port.Device(), receiver.Terminal());
    EXPECT_TRUE(port.SetupComm(1024, 1024));

    TCommState state;
    ASSERT_TRUE(port.GetCommState(state));
    state.BaudRate = 1200;
    state.StopBits = TStopBits::Two;
    state.DtrEnable = true;   // a pseudo-terminal has no modem lines:
    state.RtsEnable = false;  // setting them is not a failure
    ASSERT_TRUE(port.SetCommState(state)) << port.ErrorText().toStdString();
    termios seen{};
    const int terminal = ::open(receiver.Terminal().toLocal8Bit().constData(), O_RDWR | O_NOCTTY);
    ASSERT_GE(terminal, 0);
    ASSERT_EQ(::tcgetattr(terminal, &seen), 0);
    ::close(terminal);
    EXPECT_EQ(::cfgetospeed(&seen), speed_t(B1200));
    EXPECT_EQ(seen.c_cflag & (CSIZE | PARENB | CSTOPB), tcflag_t(CS8 | CSTOPB));
    EXPECT_EQ(seen.c_lflag & (ICANON | ECHO), 0u) << "raw: no line editing, no echo";
    TCommState back;
    ASSERT_TRUE(port.GetCommState(back));
    EXPECT_EQ(back.BaudRate, 1200);
    EXPECT_EQ(back.ByteSize, 8);
    EXPECT_EQ(back.Parity, TParity::None);
    EXPECT_EQ(back.StopBits, TStopBits::Two);
    EXPECT_FALSE(back.RtsEnable);
    EXPECT_TRUE(port.SetDtr(false) && port.SetRts(true));

    struct Case {
        const char* name;
        int baud;
        int byteSize;
        TParity parity;
        TStopBits stopBits;
        const char* expected;
    };
    const Case refused[] = {
        {"rate without a termios constant", 14400, 8, TParity::None, TStopBits::One, "14400 bit/s"},
        {"parity on a pseudo-terminal", 1200, 7, TParity::Even, TStopBits::One, "does not take"},
        {"one and a half stop bits", 1200, 8, TParity::None, TStopBits::OneAndHalf, "1.5 stop bits"},
    };
    for (const Case& c : refused) {
        TCommState s;
        s.BaudRate = c.baud;
        s.ByteSize = c.byteSize;
        s.Parity = c.parity;
        s.StopBits = c.stopBits;
        EXPECT_FALSE(port.SetCommState(s)) << c.name;
        EXPECT_TRUE(port.ErrorText().contains(c.expected) && port.ErrorText().contains("COM2"))
            << c.name << ": " << port.ErrorText().toStdString();
    }
    EXPECT_FALSE(port.WaitForInput(20));
    EXPECT_EQ(port.LastError(), 0) << "a quiet line after a failure is no failure";
}

TEST(SerialPort, CommandAndReplyWithTheReceiversTimeouts)
{
    SimulatedReceiver receiver({{"F137.100\r", {{50, "OK 137.100\r"}}}, {"Q", {{0, QByteArray(25, 'q')}}}});
    TSerialPort port;
    ASSERT_TRUE(port.Open(receiver.Terminal()));
    // Reads end after 10 bytes, a 100 ms gap, or 10 ms a byte + 100 ms.
    ASSERT_TRUE(port.SetCommTimeouts(ReadTimeouts(100, 10, 100)));
    TCommTimeouts kept;
    ASSERT_TRUE(port.GetCommTimeouts(kept));
    EXPECT_EQ(kept.ReadTotalTimeoutMultiplier, 10u);

    std::uint32_t written = 0;
    ASSERT_TRUE(port.Write("F137.100\r", 9, written));
    EXPECT_EQ(written, 9u);
    ASSERT_TRUE(port.WaitForInput(2000));
    QByteArray reply;
    for (QByteArray chunk = ReadSome(port, 10); !chunk.isEmpty(); chunk = ReadSome(port, 10))
        reply += chunk;
    EXPECT_EQ(reply, "OK 137.100\r");
    EXPECT_EQ(receiver.Received(), "F137.100\r") << "bytes reach the receiver unchanged";

    ASSERT_TRUE(port.Write("Q", 1, written));
    ASSERT_TRUE(port.WaitForInput(2000));
    EXPECT_EQ(ReadSome(port, 10), QByteArray(10, 'q')) << "a read ends at its count";
}

TEST(SerialPort, ReadTimeoutsKeepTheWindowsMeaning)
{
    SimulatedReceiver receiver({{"gap", {{0, "abc"}, {400, "def"}}}, {"late", {{150, "xy"}}}});
    TSerialPort port;
    ASSERT_TRUE(port.Open(receiver.Terminal()));
    std::uint32_t written = 0;
    qint64 ms = 0;

    ASSERT_TRUE(port.SetCommTimeouts(ReadTimeouts(MAXDWORD, 0, 0)));
    EXPECT_EQ(ReadSome(port, 10, &ms), "") << "interval MAXDWORD alone: return at once";
    EXPECT_LT(ms, 1000);

    ASSERT_TRUE(port.SetCommTimeouts(ReadTimeouts(0, 10, 100)));
    EXPECT_EQ(ReadSome(port, 10, &ms), "");
    EXPECT_GE(ms, 195) << "total time-out: 10 ms x 10 bytes + 100 ms";

    ASSERT_TRUE(port.SetCommTimeouts(ReadTimeouts(100, 0, 0)));
    ASSERT_TRUE(port.Write("gap", 3, written));
    EXPECT_EQ(ReadSome(port, 10), "abc") << "the interval ends the read at the pause";
    EXPECT_EQ(ReadSome(port, 10), "def") << "no total: wait for the first byte as long as it takes";

    ASSERT_TRUE(port.SetCommTimeouts(ReadTimeouts(MAXDWORD, MAXDWORD, 5000)));
    ASSERT_TRUE(port.Write("late", 4, written));
    EXPECT_EQ(ReadSome(port, 10, &ms), "xy") << "first bytes end the read";
    EXPECT_LT(ms, 4000);
}

TEST(SerialPort, PurgeDropsWhatWaitsAndNullBytesCanBeDiscarded)
{
    SimulatedReceiver receiver;
    TSerialPort port;
    ASSERT_TRUE(port.Open(receiver.Terminal()));
    ASSERT_TRUE(port.SetCommTimeouts(ReadTimeouts(MAXDWORD, 0, 0)));
    EXPECT_FALSE(port.WaitForInput(50)) << "nothing has come";
    receiver.Send("stale reply");
    ASSERT_TRUE(port.WaitForInput(2000));
    ASSERT_TRUE(port.Purge());
    EXPECT_EQ(ReadSome(port, 20), "");

    TCommState state;
    ASSERT_TRUE(port.GetCommState(state));
    state.Null = true;
    ASSERT_TRUE(port.SetCommState(state));
    receiver.Send(QByteArray("a\0b\0\0c", 6));
    ASSERT_TRUE(port.WaitForInput(2000));
    ASSERT_TRUE(port.SetCommTimeouts(ReadTimeouts(100, 0, 500)));
    EXPECT_EQ(ReadSome(port, 20), "abc");
}

TEST(SerialPort, PurgingTheInputKeepsWhatIsOnItsWayOut)
{
    SimulatedReceiver receiver;
    TSerialPort port;
    ASSERT_TRUE(port.Open(receiver.Terminal()));
    ASSERT_TRUE(port.SetCommTimeouts(ReadTimeouts(MAXDWORD, 0, 0)));
    receiver.Send("stale reply");
    ASSERT_TRUE(port.WaitForInput(2000));
    // Command after command, each started as the receiver link starts one.
    QByteArray sent;
    std::uint32_t written = 0;
    for (int i = 0; i < 50; ++i) {
        ASSERT_TRUE(port.WaitUntilSent()) << port.ErrorText().toStdString();
        ASSERT_TRUE(port.PurgeInput()) << port.ErrorText().toStdString();
        const QByteArray command = "F" + QByteArray::number(i % 10);
        ASSERT_TRUE(port.Write(command.constData(), command.size(), written));
        sent += command;
    }
    EXPECT_EQ(ReadSome(port, 20), "") << "the stale reply was dropped";
    QElapsedTimer clock;
    clock.start();
    while (receiver.Received().size() < sent.size() && clock.elapsed() < 2000)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    EXPECT_EQ(receiver.Received(), sent);

    TSerialPort closed;
    EXPECT_FALSE(closed.WaitUntilSent());
    EXPECT_FALSE(closed.PurgeInput());
    EXPECT_EQ(closed.LastError(), EBADF);
}

TEST(SerialPort, WriteTimeoutAndHangUpAreFailures)
{
    SimulatedReceiver receiver;
    TSerialPort port;
    ASSERT_TRUE(port.Open(receiver.Terminal()));
    TCommTimeouts t = ReadTimeouts(0, 0, 1000);
    t.WriteTotalTimeoutConstant = 200;
    ASSERT_TRUE(port.SetCommTimeouts(t));
    receiver.StopReading();
    // Far more than the terminal buffers while nobody reads.
    const QByteArray big(1 << 20, 'x');
    std::uint32_t written = 0;
    EXPECT_FALSE(port.Write(big.constData(), big.size(), written));
    EXPECT_LT(written, std::uint32_t(big.size()));
    EXPECT_EQ(port.LastError(), ETIMEDOUT);
    EXPECT_TRUE(port.ErrorText().contains(QString("Wrote %1 of 1048576 bytes").arg(written)) &&
                port.ErrorText().contains(receiver.Terminal()))
        << port.ErrorText().toStdString();

    receiver.HangUp();
    char buffer[10];
    std::uint32_t got = 0;
    EXPECT_FALSE(port.Read(buffer, sizeof buffer, got)) << "the receiver's side is gone";
    EXPECT_EQ(port.LastError(), EIO);
    EXPECT_TRUE(port.ErrorText().startsWith("The line hung up on " + receiver.Terminal()))
        << port.ErrorText().toStdString();
    EXPECT_FALSE(port.WaitForInput(1000));
    EXPECT_EQ(port.LastError(), EIO);
}
