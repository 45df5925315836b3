// The component's TCP and UDP exchanges against real peers on loopback.
#include "net/WSocket.h"
#include "support/EventLog.h"
#include "support/LoopbackPeer.h"

#include <gtest/gtest.h>
#include <netinet/in.h>
#include <sys/socket.h>

using namespace nettest;

namespace {

void Target(TWSocket& s, int port, const char* proto = "tcp")
{
    s.SetProto(proto);
    s.SetAddr("127.0.0.1");
    s.SetPort(QString::number(port));
}

Session Echo(TcpPeer*& self)
{
    return [&self](int fd) {
        char buffer[4096];
        for (;;) {
            const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
            if (n <= 0)
                return;
            self->Record(QByteArray(buffer, static_cast<int>(n)));
            WriteAll(fd, QByteArray(buffer, static_cast<int>(n)));
        }
    };
}

TEST(WSocketTcp, ConnectSendReceiveAndCloseWithTheEventsInOrder)
{
    TcpPeer* peerRef = nullptr;
    TcpPeer peer(Echo(peerRef));
    peerRef = &peer;
    EventLog log;
    TWSocket s;
    log.Attach(s);
    s.OnSessionConnected = [&](TCustomWSocket* sender, int e) {
        log.events << QStringLiteral("connected %1").arg(e);
        EXPECT_EQ(sender->SendStr("hello"), 5);
    };
    Target(s, peer.Port());
    s.Connect();
    EXPECT_EQ(s.State(), wsConnecting);
    ASSERT_TRUE(PumpUntil([&] { return log.data == "hello"; }));
    EXPECT_EQ(s.PeerAddr(), "127.0.0.1");
    EXPECT_EQ(s.PeerPort(), QString::number(peer.Port()));
    s.Close();
    EXPECT_EQ(s.State(), wsClosed);
    PumpFor(50);
    const QStringList expected = {"state closed>opened", "state opened>connecting", "state connecting>connected",
                                  "connected 0", "state connected>closed", "closed 0"};
    QStringList seen = log.WithoutData();
    seen.removeAll("sent 0");  // once at connection, once after the send
    EXPECT_EQ(seen, expected);
    EXPECT_GE(log.Count("sent 0"), 1);
    EXPECT_EQ(peer.Received(), "hello");
}

TEST(WSocketTcp, CloseFallsBackToDefaultsSoEachConnectSetsItsTarget)
{
    TcpPeer peer([](int fd) { ReadToEnd(fd); });
    TWSocket s;
    Target(s, peer.Port());
    s.Connect();
    s.Close();
    EXPECT_EQ(s.Proto(), "tcp");
    EXPECT_EQ(s.Addr(), "127.0.0.1") << "the old text reads back but no longer counts as set";
    try {
        s.Connect();
        FAIL() << "Connect without a port";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "Connect: No Port Specified");
    }
    s.SetPort(QString::number(peer.Port()));
    try {
        s.Connect();
        FAIL() << "Connect without an address";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "Connect: No IP Address Specified");
    }
}

TEST(WSocketTcp, PropertyChangesWhileOpenAreRefused)
{
    TcpPeer peer([](int fd) { ReadToEnd(fd); });
    TWSocket s;
    Target(s, peer.Port());
    s.Connect();
    struct Case {
        const char* name;
        std::function<void()> change;
        const char* text;
    };
    const Case cases[] = {
        {"addr", [&] { s.SetAddr("127.0.0.2"); }, "Cannot change Addr if not closed"},
        {"port", [&] { s.SetPort("1"); }, "Cannot change Port if not closed"},
        {"proto", [&] { s.SetProto("udp"); }, "Cannot change Proto if not closed"},
        {"local addr", [&] { s.SetLocalAddr("127.0.0.1"); }, "Cannot change LocalAddr if not closed"},
        {"local port", [&] { s.SetLocalPort("1"); }, "Cannot change LocalPort if not closed"},
        {"send flags", [&] { s.SetSendFlags(7); }, "Invalid SendFlags"},
        {"connect again", [&] { s.Connect(); }, "Connect: Socket already in use"},
    };
    for (const auto& c : cases) {
        try {
            c.change();
            ADD_FAILURE() << c.name << ": nothing raised";
        } catch (const ESocketException& e) {
            EXPECT_EQ(e.Message(), c.text) << c.name;
        }
    }
    s.SetAddr("127.0.0.1");  // the same value is no change
    EXPECT_NE(s.State(), wsClosed) << "the refused Connect left the connection alone";
    s.Close();
    s.SetLocalAddr("");
    EXPECT_EQ(s.LocalAddr(), "0.0.0.0");
}

TEST(WSocketTcp, ARefusedConnectionIsAnEventNotAnException)
{
    EventLog log;
    TWSocket s;
    log.Attach(s);
    Target(s, UnusedPort());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return log.Count("closed 0") == 1; }));
    EXPECT_EQ(log.WithoutData(), QStringList({"state closed>opened", "state opened>connecting",
                                               "state connecting>connected", "connected 10061",
                                               "state connected>closed", "closed 0"}));
    EXPECT_EQ(s.State(), wsClosed);
}

TEST(WSocketTcp, DataBufferedWhenThePeerClosesComesBeforeTheClose)
{
    for (bool noReceiveLoop : {false, true}) {
        TcpPeer peer([](int fd) { WriteAll(fd, QByteArray(20000, 'x')); });
        EventLog log;
        TWSocket s;
        log.Attach(s);
        if (noReceiveLoop)
            s.ComponentOptions = wsoNoReceiveLoop;
        s.OnDataAvailable = [&](TCustomWSocket* sender, int) {
            char buffer[1000];  // small reads: several calls per notification
            const int n = sender->Receive(buffer, sizeof buffer);
            if (n > 0)
                log.data.append(buffer, n);
            log.events << "data";
        };
        Target(s, peer.Port());
        s.Connect();
        ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; })) << noReceiveLoop;
        EXPECT_EQ(log.data.size(), 20000) << noReceiveLoop;
        // The session ends, then the component closes.
        EXPECT_EQ(log.events.mid(log.events.size() - 2), QStringList({"closed 0", "state connected>closed"})) << noReceiveLoop;
        EXPECT_EQ(log.Count("closed 0"), 1);
    }
}

TEST(WSocketTcp, APeerResetGivesTheResetCode)
{
    TcpPeer peer([](int fd) {
        ReadExactly(fd, 1);
        ResetConnection(fd);
    });
    EventLog log;
    TWSocket s;
    log.Attach(s);
    s.OnSessionConnected = [](TCustomWSocket* sender, int) { sender->SendStr("x"); };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; }));
    EXPECT_EQ(log.Count("closed 10054"), 1) << log.events.join(", ").toStdString();
}

TEST(WSocketTcp, SendingToAPeerThatWentAwayClosesTheSessionAndNeverKillsTheProcess)
{
    // The peer leaves without reading; our large send meets its reset.
    TcpPeer peer([](int fd) { ResetConnection(fd); });
    EventLog log;
    TWSocket s;
    log.Attach(s, false);
    s.OnSessionConnected = [](TCustomWSocket* sender, int) {
        const QByteArray block(1 << 20, 'z');
        sender->Send(block.constData(), static_cast<int>(block.size()));
    };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; }));
    // Whether the reset is met by a send or by the close notification, the
    // session ends once, with the reset code.
    PumpFor(100);
    EXPECT_EQ(log.Count("closed 10054"), 1) << log.events.join(", ").toStdString();
}

TEST(WSocketTcp, SendBeforeTheConnectionIsMadeClosesAndReports)
{
    TcpPeer peer([](int fd) { ReadToEnd(fd); });
    EventLog log;
    TWSocket s;
    log.Attach(s);
    int errors = 0;
    s.OnError = [&](TCustomWSocket*) { ++errors; };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_EQ(s.State(), wsConnecting);
    EXPECT_EQ(s.SendStr("early"), -1);
    EXPECT_EQ(errors, 1);
    EXPECT_EQ(s.LastError(), 10057);
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(log.Count("closed 10057"), 1);
    PumpFor(50);
    EXPECT_EQ(log.Count("connected 0"), 0) << "the old socket's notifications are ignored";
}

TEST(WSocketTcp, SocketErrorMessagesNameTheCodeTheCallAndTheText)
{
    TWSocket s;
    try {
        s.SendStr("x");
        FAIL() << "Send on a closed component";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "Error 10057 in function Send\r\nSocket is not connected");
    }
    EXPECT_EQ(s.LastError(), 10057);
}

TEST(WSocketTcp, LargeSendsGoOutInChunksAndOnDataSentFiresOnceAtTheEnd)
{
    // More than loopback's socket buffers hold, to a slow reader: the
    // platform takes only part at first.
    QByteArray block(24 * 1024 * 1024, '\0');
    for (int i = 0; i < block.size(); ++i)
        block[i] = static_cast<char>(i * 7 + i / 1000);
    TcpPeer peer([&](int fd) {
        QByteArray got;
        while (got.size() < block.size()) {
            const QByteArray part = ReadExactly(fd, 256 * 1024);
            if (part.isEmpty())
                break;
            got += part;
            ::usleep(1000);
        }
        WriteAll(fd, got == block ? "same" : "different");
    });
    EventLog log;
    TWSocket s;
    log.Attach(s);
    int sendCalls = 0;
    qint64 bytesHanded = 0;
    s.OnSendData = [&](TCustomWSocket*, int n) {
        ++sendCalls;
        bytesHanded += n;
    };
    bool queuedAtReturn = false;
    s.OnSessionConnected = [&](TCustomWSocket* sender, int) {
        EXPECT_EQ(sender->Send(block.constData(), static_cast<int>(block.size())), block.size());
        queuedAtReturn = !sender->AllSent();
    };
    QList<qint64> handedAtDataSent;
    s.OnDataSent = [&](TCustomWSocket*, int) { handedAtDataSent << bytesHanded; };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return log.data.size() >= 4; }, 30000)) << bytesHanded << " bytes handed over";
    EXPECT_EQ(log.data, "same");
    EXPECT_TRUE(queuedAtReturn) << "Send returned before the platform had taken everything";
    EXPECT_EQ(bytesHanded, block.size());
    EXPECT_GT(sendCalls, 1);
    // The write notification of the new connection found data queued: only
    // the drained queue fires OnDataSent.
    EXPECT_EQ(handedAtDataSent, QList<qint64>({block.size()}));
}

TEST(WSocketTcp, SendWithoutDataStartsWhatWasQueued)
{
    TcpPeer* peerRef = nullptr;
    TcpPeer peer(Echo(peerRef));
    peerRef = &peer;
    EventLog log;
    TWSocket s;
    log.Attach(s);
    s.OnSessionConnected = [](TCustomWSocket* sender, int) {
        sender->PutStringInSendBuffer("GET / HTTP/1.0\r\n\r\n");
        EXPECT_EQ(sender->Send(nullptr, 0), 0);
    };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return log.data == "GET / HTTP/1.0\r\n\r\n"; }));
}

TEST(WSocketTcp, TheQueueFillsTheLastChunkBeforeMakingANewOne)
{
    TWSocket s;
    s.PutDataInSendBuffer(QByteArray(3000, 'a').constData(), 3000);
    s.PutDataInSendBuffer(QByteArray(100, 'b').constData(), 100);
    std::vector<int> sizes;
    for (const auto& chunk : s.SendQueueChunks())
        sizes.push_back(chunk->WritePos());
    EXPECT_EQ(sizes, (std::vector<int>{1460, 1460, 180}));
}

TEST(WSocketTcp, UnreadDataIsDrainedWhenNoHandlerIsSet)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, QByteArray(5000, 'd'));
        ReadToEnd(fd);
    });
    TWSocket s;
    bool connected = false;
    s.OnSessionConnected = [&](TCustomWSocket*, int) { connected = true; };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return connected; }));
    PumpFor(200);
    EXPECT_EQ(s.RcvdCount(), 0);
    EXPECT_EQ(s.ReadCount(), 0) << "drained, not received";
    s.Close();
}

TEST(WSocketTcp, CloseInsideOnDataAvailableEndsTheSessionOnce)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, QByteArray(3000, 'q'));
        ReadToEnd(fd);
    });
    EventLog log;
    TWSocket s;
    log.Attach(s, false);
    s.OnDataAvailable = [&](TCustomWSocket* sender, int) {
        char c;
        sender->Receive(&c, 1);
        sender->Close();
    };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; }));
    PumpFor(100);
    EXPECT_EQ(log.Count("closed 0"), 1);
}

TEST(WSocketTcp, AHandlerClosingOnThePeersCloseReportsTheSessionOnce)
{
    TcpPeer peer([](int fd) { WriteAll(fd, "x"); });
    EventLog log;
    TWSocket s;
    log.Attach(s, false);
    s.OnDataAvailable = [&](TCustomWSocket* sender, int) {
        char c;
        if (sender->Receive(&c, 1) <= 0)  // the end of the stream: done with it
            sender->Close();
    };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; }));
    PumpFor(100);
    EXPECT_EQ(log.Count("closed 0"), 1) << log.events.join(", ").toStdString();
}

TEST(WSocketTcp, AHandlerThatTakesNothingIsNotCalledOverAndOver)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, "ignored");
        ReadToEnd(fd);
    });
    TWSocket s;
    int calls = 0;
    s.OnDataAvailable = [&](TCustomWSocket*, int) {
        if (++calls > 1000)
            throw std::runtime_error("spinning");  // ends the round instead of hanging the test
    };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return calls > 0; }));
    PumpFor(200);
    EXPECT_EQ(calls, 1);
    s.Close();
}

TEST(WSocketTcp, AHandlerMayDeleteItsOwnComponent)
{
    struct Case {
        const char* name;
        bool inData;
    };
    for (const Case c : {Case{"in OnDataAvailable", true}, Case{"in OnSessionClosed", false}}) {
        TcpPeer peer([](int fd) { WriteAll(fd, "bye"); });
        auto* s = new TWSocket;
        bool deleted = false;
        auto drop = [&](TCustomWSocket* sender) {
            delete sender;
            deleted = true;
        };
        if (c.inData)
            s->OnDataAvailable = [&](TCustomWSocket* sender, int) { drop(sender); };
        else
            s->OnSessionClosed = [&](TCustomWSocket* sender, int) { drop(sender); };
        Target(*s, peer.Port());
        s->Connect();
        EXPECT_TRUE(PumpUntil([&] { return deleted; })) << c.name;
        PumpFor(50);  // late notifications for the deleted component go nowhere
    }
}

TEST(WSocketTcp, DestroyingAConnectedComponentClosesItWithoutTheSessionEvent)
{
    TcpPeer* self = nullptr;
    TcpPeer peer([&](int fd) { self->Record(ReadToEnd(fd).isEmpty() ? "ended" : "data"); });
    self = &peer;
    EventLog log;
    {
        TWSocket s;
        log.Attach(s);
        Target(s, peer.Port());
        s.Connect();
        ASSERT_TRUE(PumpUntil([&] { return s.State() == wsConnected; }));
    }
    EXPECT_EQ(log.Count("closed 0"), 0);
    EXPECT_EQ(log.events.last(), "state connected>closed");
    ASSERT_TRUE(PumpUntil([&] { return !peer.Received().isEmpty(); })) << "the peer sees the connection end";
}

TEST(WSocketTcp, ReleaseFreesTheComponentFromTheMessageLoop)
{
    TcpPeer peer([](int fd) { ReadToEnd(fd); });
    auto* s = new TWSocket;
    bool released = false;
    s->OnSessionConnected = [&](TCustomWSocket* sender, int) { sender->Release(); };
    s->OnChangeState = [&](TCustomWSocket*, TSocketState, TSocketState to) { released = released || to == wsClosed; };
    Target(*s, peer.Port());
    s->Connect();
    ASSERT_TRUE(PumpUntil([&] { return released; })) << "the destructor closes the connection";
}

TEST(WSocketTcp, AnExceptionInAHandlerRunFromTheLoopAbortsUnlessTheBackgroundHandlerKeepsIt)
{
    for (bool keep : {false, true}) {
        TcpPeer peer([](int fd) { ReadToEnd(fd); });
        TWSocket s;
        QString seen;
        s.OnSessionConnected = [](TCustomWSocket*, int) { throw std::runtime_error("handler failed"); };
        s.OnBgException = [&](TCustomWSocket*, const std::exception& e, bool& canClose) {
            seen = QString::fromLatin1(e.what());
            canClose = !keep;
        };
        Target(s, peer.Port());
        s.Connect();
        ASSERT_TRUE(PumpUntil([&] { return !seen.isEmpty(); }));
        EXPECT_EQ(seen, "handler failed");
        EXPECT_EQ(s.State(), keep ? wsConnected : wsClosed) << keep;
        s.Close();
    }
}

TEST(WSocketTcp, AnExceptionInOnDataAvailableOnlyEndsThatRound)
{
    TcpPeer peer([](int fd) {
        WriteAll(fd, "one");
        ::usleep(100000);
        WriteAll(fd, "two");
        ReadToEnd(fd);
    });
    TWSocket s;
    int calls = 0;
    bool bg = false;
    s.OnBgException = [&](TCustomWSocket*, const std::exception&, bool&) { bg = true; };
    s.OnDataAvailable = [&](TCustomWSocket* sender, int) {
        sender->ReceiveStr();
        ++calls;
        throw std::runtime_error("bad data");
    };
    Target(s, peer.Port());
    s.Connect();
    ASSERT_TRUE(PumpUntil([&] { return calls >= 2; }));
    EXPECT_FALSE(bg);
    EXPECT_EQ(s.State(), wsConnected);
    s.Close();
}

TEST(WSocketUdp, ConnectIsReadyAtOnceAndADatagramComesBack)
{
    UdpEchoPeer peer;
    EventLog log;
    TWSocket s;
    log.Attach(s, false);
    QByteArray reply;
    TSocketState stateInHandler = wsInvalidState;
    s.OnSessionConnected = [&](TCustomWSocket* sender, int e) {
        log.events << QStringLiteral("connected %1").arg(e);
        stateInHandler = sender->State();
        const QByteArray request(48, '\x1B');
        EXPECT_EQ(sender->Send(request.constData(), 48), 48);
    };
    s.OnDataAvailable = [&](TCustomWSocket* sender, int) {
        char buffer[48];
        const int n = sender->Receive(buffer, sizeof buffer);
        reply = QByteArray(buffer, std::max(n, 0));
        sender->Close();
    };
    Target(s, peer.Port(), "udp");
    s.Connect();
    EXPECT_EQ(stateInHandler, wsConnected) << "OnSessionConnected ran inside Connect";
    EXPECT_NE(s.LocalPort(), "0");
    ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; }));
    EXPECT_EQ(reply, QByteArray(48, '\x1B'));
}

TEST(WSocketUdp, OnlyTheAllOnesAddressGetsBroadcast)
{
    // Nothing is sent: only the option set at Connect is read.
    for (const char* addr : {"255.255.255.255", "127.255.255.255"}) {
        TWSocket s;
        s.SetProto("udp");
        s.SetAddr(addr);
        s.SetPort("9");
        s.Connect();
        int on = 0;
        socklen_t length = sizeof on;
        ::getsockopt(wsock::DescriptorOf(s.HSocket()), SOL_SOCKET, SO_BROADCAST, &on, &length);
        EXPECT_EQ(on != 0, QByteArray(addr) == "255.255.255.255") << addr;
        s.Close();
    }
}

TEST(WSocketUdp, AnUnresolvableNameFailsConnectWithTheResolverText)
{
    wsock::SetHostResolver([](const QString&, wsock::THostRecord&) { return 11001; });
    TWSocket s;
    s.SetProto("udp");
    s.SetAddr("time.invalid");
    s.SetPort("123");
    try {
        s.Connect();
        ADD_FAILURE() << "nothing raised";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "connect: WSocketResolveHost: Cannot convert host address 'time.invalid', Error #11001");
    }
    wsock::SetHostResolver({});
    EXPECT_EQ(s.State(), wsClosed);
    EXPECT_EQ(s.HSocket(), wsock::INVALID_SOCKET);
}

}  // namespace
