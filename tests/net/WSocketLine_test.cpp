// Line mode, the blocking helpers and ReadLine, against loopback peers.
#include "net/WSocket.h"
#include "platform/Thread.h"
#include "support/LoopbackPeer.h"

#include <QElapsedTimer>
#include <QThread>
#include <gtest/gtest.h>

using namespace nettest;

namespace {

void ConnectTo(TWSocket& s, const TcpPeer& peer)
{
    s.SetAddr("127.0.0.1");
    s.SetPort(QString::number(peer.Port()));
    s.Connect();
}

// A handler that takes each line whole and keeps it.
struct Lines {
    QList<QByteArray> lines;
    void Attach(TWSocket& s, int bufferSize = 100)
    {
        s.OnDataAvailable = [this, bufferSize](TCustomWSocket* sender, int) {
            QByteArray buffer(bufferSize, '\0');
            const int n = sender->Receive(buffer.data(), bufferSize);
            if (n > 0)
                lines << buffer.left(n);
        };
    }
};

TEST(WSocketLine, TwoLinesInOneReadAreTwoEvents)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, "ab\r\ncd\r\n");
        ReadToEnd(fd);
    });
    Lines l;
    TWSocket s;
    l.Attach(s);
    s.SetLineMode(true);
    ConnectTo(s, peer);
    ASSERT_TRUE(PumpUntil([&] { return l.lines.size() == 2; }));
    EXPECT_EQ(l.lines, QList<QByteArray>({"ab\r\n", "cd\r\n"}));
    s.Close();
}

TEST(WSocketLine, ALineEndSplitAcrossReadsIsFound)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, "ab\r");
        ReadExactly(fd, 1);
        WriteAll(fd, "\n");
        ReadToEnd(fd);
    });
    Lines l;
    TWSocket s;
    l.Attach(s);
    s.SetLineMode(true);
    ConnectTo(s, peer);
    PumpFor(200);
    EXPECT_TRUE(l.lines.isEmpty());
    s.SendStr("go");
    ASSERT_TRUE(PumpUntil([&] { return l.lines.size() == 1; }));
    EXPECT_EQ(l.lines.front(), "ab\r\n");
    s.Close();
}

TEST(WSocketLine, AHandlerReadingOneByteAtATimeIsCalledUntilTheLineIsTaken)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, "hello\r\n");
        ReadToEnd(fd);
    });
    TWSocket s;
    QByteArray got;
    int calls = 0;
    s.OnDataAvailable = [&](TCustomWSocket* sender, int) {
        char c;
        if (sender->Receive(&c, 1) == 1)
            got += c;
        ++calls;
    };
    s.SetLineMode(true);
    ConnectTo(s, peer);
    ASSERT_TRUE(PumpUntil([&] { return got == "hello\r\n"; }));
    EXPECT_EQ(calls, 7);
    s.Close();
}

TEST(WSocketLine, ALineOverTheLimitIsDroppedWholeAndTheNextOneComesThrough)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, "AAAAAAAAAAA");  // 11 bytes, no line end
        ReadExactly(fd, 1);
        WriteAll(fd, "AAAAtail\r\nnext\r\n");
        ReadToEnd(fd);
    });
    Lines l;
    TWSocket s;
    l.Attach(s);
    QList<int> exceeded;
    s.OnLineLimitExceeded = [&](TCustomWSocket*, int count, bool& clear) {
        exceeded << count;
        EXPECT_TRUE(clear);
    };
    s.LineLimit = 10;
    s.SetLineMode(true);
    ConnectTo(s, peer);
    ASSERT_TRUE(PumpUntil([&] { return !exceeded.isEmpty(); }));
    EXPECT_EQ(exceeded, QList<int>({11}));
    s.SendStr("go");
    ASSERT_TRUE(PumpUntil([&] { return !l.lines.isEmpty(); }));
    PumpFor(50);
    EXPECT_EQ(l.lines, QList<QByteArray>({"next\r\n"})) << "the over-long line's tail is not a line of its own";
    s.Close();
}

TEST(WSocketLine, TheUnfinishedLastLineIsDeliveredWhenTheSessionCloses)
{
    TcpPeer peer([](int fd) { WriteAll(fd, "abc"); });
    Lines l;
    TWSocket s;
    l.Attach(s);
    QList<QByteArray> linesAtClose;
    s.OnSessionClosed = [&](TCustomWSocket*, int) { linesAtClose = l.lines; };
    s.SetLineMode(true);
    ConnectTo(s, peer);
    ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; }));
    EXPECT_EQ(linesAtClose, QList<QByteArray>({"abc"}));
}

TEST(WSocketLine, EditingAndEchoLikeATerminal)
{
    struct Case {
        const char* name;
        QByteArray sent;
        QByteArray line;
        QByteArray echo;
    };
    const Case cases[] = {
        {"backspace", "ab\bc\r\n", "ac\r\n", "ab\b \bc\r\n"},
        {"tab at column 3", "abc\tx\r\n", "abc     x\r\n", "abc     x\r\n"},
        {"backspace at the start", "\bz\r\n", "z\r\n", "z\r\n"},
    };
    for (const auto& c : cases) {
        TcpPeer* self = nullptr;
        TcpPeer peer([&](int fd) {
            WriteAll(fd, c.sent);
            self->Record(ReadExactly(fd, static_cast<int>(c.echo.size())));
            ReadToEnd(fd);
        });
        self = &peer;
        Lines l;
        TWSocket s;
        l.Attach(s);
        s.LineEdit = true;
        s.LineEcho = true;
        s.SetLineMode(true);
        ConnectTo(s, peer);
        ASSERT_TRUE(PumpUntil([&] { return !l.lines.isEmpty() && peer.Received().size() == c.echo.size(); })) << c.name;
        EXPECT_EQ(l.lines.front(), c.line) << c.name;
        EXPECT_EQ(peer.Received(), c.echo) << c.name;
        s.Close();
    }
}

TEST(WSocketLine, SwitchingLineModeOffDeliversTheRestAsPlainData)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, "first\r\nxyz");
        ReadToEnd(fd);
    });
    TWSocket s;
    QList<QByteArray> got;
    s.OnDataAvailable = [&](TCustomWSocket* sender, int) {
        char buffer[100];
        const int n = sender->Receive(buffer, sizeof buffer);
        if (n > 0)
            got << QByteArray(buffer, n);
        s.SetLineMode(false);
    };
    s.SetLineMode(true);
    ConnectTo(s, peer);
    ASSERT_TRUE(PumpUntil([&] { return got.size() == 2; }));
    EXPECT_EQ(got, QList<QByteArray>({"first\r\n", "xyz"}));
    s.Close();
}

TEST(WSocketLine, SendLineQueuesTheTextAndTheLineEnd)
{
    TcpPeer* self = nullptr;
    TcpPeer peer([&](int fd) { self->Record(ReadToEnd(fd)); });
    self = &peer;
    TWSocket s;
    int result = -2;
    s.OnSessionConnected = [&](TCustomWSocket*, int) {
        result = s.SendLine("QUIT");
        s.SendLine("");
        s.Flush();
        s.Close();
    };
    ConnectTo(s, peer);
    ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; }));
    EXPECT_EQ(result, 6);
    ASSERT_TRUE(PumpUntil([&] { return !peer.Received().isEmpty(); }));
    EXPECT_EQ(peer.Received(), "QUIT\r\n");
}

TEST(WSocketReadLine, WaitsForALineAndKeepsTheUsersSettings)
{
    TcpPeer peer([](int fd) {
        ReadExactly(fd, 1);
        WriteAll(fd, "one\r\ntwo\r\n");  // two lines in one write
        ReadToEnd(fd);
    });
    TWSocket s;
    bool connected = false;
    s.OnSessionConnected = [&](TCustomWSocket*, int) { connected = true; };
    int userCalls = 0;
    s.OnDataAvailable = [&](TCustomWSocket*, int) { ++userCalls; };
    ConnectTo(s, peer);
    ASSERT_TRUE(PumpUntil([&] { return connected; }));
    s.SendStr("g");
    QByteArray first, second;
    s.ReadLine(5, first);
    s.ReadLine(5, second);
    EXPECT_EQ(first, "one\r\n");
    EXPECT_EQ(second, "two\r\n") << "a line that came with the first is not lost";
    EXPECT_FALSE(s.LineMode());
    EXPECT_EQ(userCalls, 0);
    s.Close();
}

TEST(WSocketReadLine, ATimeOutGivesThePartOfALineThatCame)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, "part");
        ReadToEnd(fd);
    });
    TWSocket s;
    bool connected = false;
    s.OnSessionConnected = [&](TCustomWSocket*, int) { connected = true; };
    ConnectTo(s, peer);
    ASSERT_TRUE(PumpUntil([&] { return connected; }));
    QElapsedTimer timer;
    timer.start();
    QByteArray line;
    s.ReadLine(-500, line);
    const qint64 elapsedMs = timer.elapsed();
    EXPECT_EQ(line, "part");
    EXPECT_GE(elapsedMs, 450) << "a negative time-out is in milliseconds";
    EXPECT_LT(elapsedMs, 5000);
    s.Close();
}

TEST(WSocketReadLine, RefusedWhenNotConnected)
{
    TWSocket s;
    QByteArray line = "old";
    try {
        s.ReadLine(1, line);
        FAIL() << "nothing raised";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "ReadLine failed: not connected");
    }
    EXPECT_TRUE(line.isEmpty());
}

// A worker that owns its component: every event runs on the worker, which
// pumps its own queue inside the blocking helpers.
class LineClient : public TThread {
public:
    explicit LineClient(int port) : TThread(true), port_(port) {}
    ~LineClient() override { WaitFor(); }
    QByteArray reply;
    bool eventsOnWorker = true;
    int connectResult = -1;

protected:
    void Execute() override
    {
        TWSocket s;
        QThread* worker = QThread::currentThread();
        bool connected = false;
        s.OnSessionConnected = [&](TCustomWSocket*, int) {
            eventsOnWorker = eventsOnWorker && QThread::currentThread() == worker;
            connected = true;
        };
        s.WaitTimeout = 5000;
        connectResult = s.Synchronize(
            [&] {
                s.SetAddr("localhost");
                s.SetPort(QString::number(port_));
                s.Connect();
            },
            connected);
        if (connectResult != 0)
            return;
        s.SendLine("ping");
        s.ReadLine(5, reply);
        s.Close();
    }

private:
    int port_;
};

TEST(WSocketReadLine, WorksInsideAWorkerThreadThatPumpsItsOwnQueue)
{
    TcpPeer peer([](int fd) {
        const QByteArray line = ReadUntil(fd, "\r\n");
        WriteAll(fd, "pong:" + line);
        ReadToEnd(fd);
    });
    LineClient client(peer.Port());
    client.Resume();
    client.WaitFor();
    EXPECT_EQ(client.connectResult, 0);
    EXPECT_TRUE(client.eventsOnWorker);
    EXPECT_EQ(client.reply, "pong:ping\r\n");
}

TEST(WSocketReadLine, TerminatingTheWorkerEndsItsWait)
{
    TcpPeer peer([](int fd) { ReadToEnd(fd); });  // never answers
    class Waiter : public TThread {
    public:
        explicit Waiter(int port) : TThread(true), port_(port) {}
        ~Waiter() override { WaitFor(); }
        std::atomic<bool> waiting{false};
        int result = -1;

    protected:
        void Execute() override
        {
            TWSocket s;
            bool connected = false;
            s.OnSessionConnected = [&](TCustomWSocket*, int) { connected = true; };
            s.SetAddr("127.0.0.1");
            s.SetPort(QString::number(port_));
            s.Connect();
            s.WaitUntilReady(connected);
            bool never = false;
            waiting = true;
            result = s.WaitUntilReady(never);  // no time-out: only Terminate ends it
        }

    private:
        int port_;
    } waiter(peer.Port());
    waiter.Resume();
    ASSERT_TRUE(PumpUntil([&] { return waiter.waiting.load(); }));
    waiter.Terminate();
    waiter.WaitFor();
    EXPECT_EQ(waiter.result, WSOCKET_WAIT_TIMEOUT);
}

}  // namespace
