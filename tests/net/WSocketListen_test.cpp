// Listening, accepting into another component, pausing, and moving a
// component from one thread to another.
#include "net/WSocket.h"
#include "platform/Thread.h"
#include "support/EventLog.h"
#include "support/LoopbackPeer.h"

#include <QCoreApplication>
#include <QThread>
#include <arpa/inet.h>
#include <gtest/gtest.h>
#include <sys/socket.h>
#include <fcntl.h>
#include <unistd.h>

using namespace nettest;

namespace {

// A plain blocking client on 127.0.0.1.
int ConnectClient(int port, int type = SOCK_STREAM)
{
    const int fd = ::socket(AF_INET, type, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a);
    return fd;
}

void ListenOn(TWSocket& s, const char* proto)
{
    s.SetProto(proto);
    s.SetAddr("127.0.0.1");
    s.SetPort("0");
    s.Listen();
}

TEST(WSocketListen, AcceptedConnectionsWorkInAFreshComponent)
{
    EventLog log;
    TWSocket server;
    log.Attach(server);
    TWSocket session;
    QByteArray got;
    session.OnDataAvailable = [&](TCustomWSocket* sender, int) {
        got += static_cast<TWSocket*>(sender)->ReceiveStr();
        sender->SendStr("yo");
    };
    server.OnSessionAvailable = [&](TCustomWSocket* sender, int e) {
        EXPECT_EQ(e, 0);
        session.Dup(sender->Accept());
    };
    server.SetAddr("0.0.0.0");
    server.SetPort("0");
    server.Listen();
    EXPECT_EQ(log.events, QStringList({"state closed>bound", "state bound>listening"}));
    const QString port = server.GetXPort();
    ASSERT_NE(port, "0");
    ASSERT_NE(port, "error");

    const int client = ConnectClient(port.toInt());
    WriteAll(client, "hi");
    ASSERT_TRUE(PumpUntil([&] { return got == "hi"; }));
    EXPECT_EQ(session.State(), wsConnected);
    EXPECT_EQ(session.PeerAddr(), "127.0.0.1");
    EXPECT_EQ(ReadExactly(client, 2), "yo");
    EXPECT_EQ(server.State(), wsListening) << "the listener goes on listening";
    ::close(client);
    ASSERT_TRUE(PumpUntil([&] { return session.State() == wsClosed; }));
}

TEST(WSocketListen, ADatagramListenerIsConnectedInsideListen)
{
    TWSocket s;
    TSocketState stateInHandler = wsInvalidState;
    s.OnSessionConnected = [&](TCustomWSocket* sender, int e) {
        EXPECT_EQ(e, 0);
        stateInHandler = sender->State();
    };
    QByteArray got;
    int fromPort = 0;
    s.OnDataAvailable = [&](TCustomWSocket* sender, int) {
        char buffer[100];
        sockaddr_in from{};
        const int n = sender->ReceiveFrom(buffer, sizeof buffer, from);
        got = QByteArray(buffer, std::max(n, 0));
        fromPort = ntohs(from.sin_port);
    };
    ListenOn(s, "udp");
    EXPECT_EQ(stateInHandler, wsConnected);
    EXPECT_EQ(s.State(), wsConnected);
    const int client = ConnectClient(s.GetXPort().toInt(), SOCK_DGRAM);
    ::send(client, "dgram", 5, 0);
    sockaddr_in local{};
    socklen_t length = sizeof local;
    ::getsockname(client, reinterpret_cast<sockaddr*>(&local), &length);
    ASSERT_TRUE(PumpUntil([&] { return !got.isEmpty(); }));
    EXPECT_EQ(got, "dgram");
    EXPECT_EQ(fromPort, ntohs(local.sin_port));
    ::close(client);
}

TEST(WSocketListen, RequestsThatDoNotFitTheStateAreReported)
{
    TWSocket s;
    int errors = 0;
    s.OnError = [&](TCustomWSocket*) { ++errors; };
    EXPECT_EQ(s.Accept(), wsock::INVALID_SOCKET);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(s.LastError(), 10022);
    s.Dup(0);
    EXPECT_EQ(errors, 2);
    EXPECT_EQ(s.LastError(), 10022);
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(s.GetPeerAddr(), "error");
    EXPECT_EQ(s.GetXPort(), "error");
    EXPECT_EQ(errors, 2) << "the getters report nothing on a closed component";

    TWSocket t;
    try {
        t.Listen();
        ADD_FAILURE() << "nothing raised";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "Error 10022 in function listen: port not assigned\r\nInvalid argument");
    }
    t.SetSocksServer("127.0.0.1");
    t.SetPort("0");
    t.SetAddr("127.0.0.1");
    try {
        t.Listen();
        ADD_FAILURE() << "nothing raised";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "Listening is not supported thru socks server");
    }
}

TEST(WSocketListen, NotificationsWaitWhilePaused)
{
    TcpPeer peer([](int fd) {
        ReadExactly(fd, 1);
        WriteAll(fd, "data");
        ReadToEnd(fd);
    });
    TWSocket s;
    bool connected = false;
    QByteArray got;
    s.OnSessionConnected = [&](TCustomWSocket*, int) { connected = true; };
    s.OnDataAvailable = [&](TCustomWSocket* sender, int) { got += static_cast<TWSocket*>(sender)->ReceiveStr(); };
    s.SetAddr("127.0.0.1");
    s.SetPort(QString::number(peer.Port()));
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return connected; }));
    s.SendStr("g");
    s.Pause();
    PumpFor(200);
    EXPECT_TRUE(got.isEmpty());
    s.Resume();
    ASSERT_TRUE(PumpUntil([&] { return got == "data"; }));
    s.Close();
}

TEST(WSocketThreads, DetachingFromAnotherThreadIsRefusedAndChangesNothing)
{
    TWSocket s;
    QString refusal;
    std::thread other([&] {
        try {
            s.ThreadDetach();
        } catch (const ESocketException& e) {
            refusal = e.Message();
        }
    });
    other.join();
    EXPECT_EQ(refusal, "Cannot detach from other thread");
    s.DnsLookup("localhost");
    bool done = false;
    s.OnDnsLookupDone = [&](TCustomWSocket*, int) { done = true; };
    EXPECT_TRUE(PumpUntil([&] { return done; })) << "still served on its own thread";
    try {
        s.ThreadAttach();
        ADD_FAILURE() << "nothing raised";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "Cannot attach when not detached");
    }
}

// Takes over a connected component, serves its events on the worker, and
// hands it back.
class Adopter : public TThread {
public:
    explicit Adopter(TWSocket& s) : TThread(true), s_(s) {}
    ~Adopter() override { WaitFor(); }
    QByteArray got;
    bool onWorker = false;

protected:
    void Execute() override
    {
        s_.ThreadAttach();
        s_.OnDataAvailable = [this](TCustomWSocket* sender, int) {
            onWorker = QThread::currentThread() != QCoreApplication::instance()->thread();
            got += static_cast<TWSocket*>(sender)->ReceiveStr();
            arrived_ = got == "moved";
        };
        s_.WaitTimeout = 5000;
        s_.Synchronize([this] { s_.SendStr("g"); }, arrived_);
        s_.OnDataAvailable = nullptr;
        s_.ThreadDetach();
    }

private:
    TWSocket& s_;
    bool arrived_ = false;
};

TEST(WSocketThreads, AComponentMovesToAWorkerAndBack)
{
    TcpPeer peer([](int fd) {
        ReadExactly(fd, 1);
        WriteAll(fd, "moved");
        ReadToEnd(fd);
    });
    TWSocket s;
    bool connected = false;
    s.OnSessionConnected = [&](TCustomWSocket*, int) { connected = true; };
    s.SetAddr("127.0.0.1");
    s.SetPort(QString::number(peer.Port()));
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return connected; }));
    s.ThreadDetach();
    Adopter adopter(s);
    adopter.Resume();
    adopter.WaitFor();
    EXPECT_EQ(adopter.got, "moved");
    EXPECT_TRUE(adopter.onWorker);
    s.ThreadAttach();
    s.Close();
    EXPECT_EQ(s.State(), wsClosed);
}

}  // namespace

TEST(WSocketListen, AFailedBindReleasesItsDescriptor)
{
    TWSocket holder;
    ListenOn(holder, "tcp");
    const QString port = holder.GetXPort();
    auto openDescriptors = [] {
        int count = 0;
        for (int fd = 0; fd < 4096; ++fd)
            count += ::fcntl(fd, F_GETFD) != -1;
        return count;
    };
    const int before = openDescriptors();
    TWSocket again;  // one component trying again and again, as an active data connection does
    for (int attempt = 0; attempt < 20; ++attempt) {
        again.SetProto("tcp");
        again.SetAddr("127.0.0.1");
        again.SetPort(port);
        EXPECT_THROW(again.Listen(), ESocketException) << "the port is taken";
        EXPECT_EQ(again.State(), wsClosed);
    }
    EXPECT_EQ(openDescriptors(), before) << "every failed bind gives its descriptor back";
}
