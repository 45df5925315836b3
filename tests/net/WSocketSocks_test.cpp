// The SOCKS client layer against a scripted proxy on loopback: the exact
// bytes of each request and the handling of each reply.
#include "net/WSocket.h"
#include "support/EventLog.h"
#include "support/LoopbackPeer.h"

#include <gtest/gtest.h>

using namespace nettest;

namespace {

QByteArray Bytes(std::initializer_list<int> values)
{
    QByteArray b;
    for (int v : values)
        b.append(static_cast<char>(v));
    return b;
}

struct SocksLog : EventLog {
    void AttachSocks(TWSocket& s)
    {
        Attach(s);
        s.OnSocksConnected = [this](TCustomWSocket*, int e) { events << QStringLiteral("socks connected %1").arg(e); };
        s.OnSocksError = [this](TCustomWSocket*, int e, const QString& m) { events << QStringLiteral("socks error %1 %2").arg(e).arg(m); };
        s.OnSocksAuthState = [this](TCustomWSocket*, TSocksAuthState a) { events << QStringLiteral("auth %1").arg(a); };
    }
};

void ThroughProxy(TWSocket& s, const TcpPeer& proxy, const char* level, const char* host = "peer.example", const char* port = "4321")
{
    s.SetSocksServer("127.0.0.1");
    s.SetSocksPort(QString::number(proxy.Port()));
    s.SetSocksLevel(level);
    s.SetAddr(host);
    s.SetPort(port);
    s.Connect();
}

TEST(WSocketSocks, LevelsAreCheckedAndStoredUpperCase)
{
    TWSocket s;
    s.SetSocksLevel("4a");
    EXPECT_EQ(s.SocksLevel(), "4A");
    try {
        s.SetSocksLevel("3");
        FAIL() << "nothing raised";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "Invalid socks level. Must be 4, 4A or 5.");
    }
    EXPECT_EQ(s.SocksLevel(), "4A");
}

TEST(WSocketSocks, Socks5WithPasswordAndANamedGrantCarryingData)
{
    TcpPeer* self = nullptr;
    TcpPeer proxy([&](int fd) {
        self->Record(ReadExactly(fd, 3));
        WriteAll(fd, Bytes({5, 2}));
        self->Record(ReadExactly(fd, 3 + 4 + 6));  // 1, 4, "user", 6, "secret"
        WriteAll(fd, Bytes({1, 0}));
        self->Record(ReadExactly(fd, 7 + 12));
        // The grant names the proxy's end by a name longer than 128 bytes.
        const QByteArray name = QByteArray(190, 'p') + ".example";
        WriteAll(fd, Bytes({5, 0, 0, 3, static_cast<int>(name.size())}) + name + Bytes({0x1F, 0x90}) + "HELLO");
        ReadToEnd(fd);
    });
    self = &proxy;
    SocksLog log;
    TWSocket s;
    log.AttachSocks(s);
    s.SocksAuthentication = socksAuthenticateUsercode;
    s.SocksUsercode = "user";
    s.SocksPassword = "secret";
    ThroughProxy(s, proxy, "5");
    ASSERT_TRUE(PumpUntil([&] { return log.data == "HELLO"; })) << log.events.join(", ").toStdString();
    // (OnDataSent also fires after each request of the negotiation.)
    EXPECT_EQ(log.Without("sent"), QStringList({"state closed>opened", "state opened>connecting", "state connecting>connected",
                                       "socks connected 0", "auth 0", "auth 1", "connected 0", "data 5"}));
    EXPECT_EQ(s.ProxyBindAddr(), QString(190, u'p') + ".example");
    EXPECT_EQ(s.ProxyBindPort(), "8080");
    EXPECT_EQ(proxy.Received(), Bytes({5, 1, 2}) + Bytes({1, 4}) + "user" + Bytes({6}) + "secret" +
                                    Bytes({5, 1, 0, 3, 12}) + "peer.example" + Bytes({0x10, 0xE1}));
    s.Close();
}

TEST(WSocketSocks, Socks4ARequestCarriesTheNameForTheProxyToResolve)
{
    TcpPeer* self = nullptr;
    TcpPeer proxy([&](int fd) {
        self->Record(ReadExactly(fd, 11));
        WriteAll(fd, Bytes({0, 90, 0, 0, 0, 0, 0, 0}));
        ReadToEnd(fd);
    });
    self = &proxy;
    SocksLog log;
    TWSocket s;
    log.AttachSocks(s);
    ThroughProxy(s, proxy, "4A", "h", "80");
    ASSERT_TRUE(PumpUntil([&] { return log.Count("connected 0") == 1; }));
    EXPECT_EQ(proxy.Received(), Bytes({4, 1, 0, 80, 0, 0, 0, 1, 0, 'h', 0}));
    s.Close();
    EXPECT_TRUE(s.SocksServer().isEmpty()) << "the proxy is set again before every Connect";
    EXPECT_EQ(s.SocksLevel(), "5");
}

TEST(WSocketSocks, RefusalsReachTheUserThreeTimesAndClose)
{
    struct Case {
        const char* name;
        const char* level;
        QByteArray methodReply;  // empty for SOCKS 4
        QByteArray connectReply;
        int code;
        const char* text;
    };
    const Case cases[] = {
        {"no acceptable method", "5", Bytes({5, 255}), {}, 20003, "authentification method not acceptable"},
        {"socks 5 refused", "5", Bytes({5, 0}), Bytes({5, 5, 0, 1, 0, 0, 0, 0, 0, 0}), 20008, "connection refused"},
        {"socks 5 unknown status", "5", Bytes({5, 0}), Bytes({5, 42, 0, 1, 0, 0, 0, 0, 0, 0}), 20012, "unassigned error #42"},
        {"socks 4 rejected", "4", {}, Bytes({0, 91, 0, 0, 0, 0, 0, 0}), 20016, "request rejected or failed"},
        {"wrong version", "5", Bytes({4, 0}), {}, 20002, "socks version error"},
    };
    for (const auto& c : cases) {
        TcpPeer proxy([&](int fd) {
            if (!c.methodReply.isEmpty()) {
                ReadExactly(fd, 3);
                WriteAll(fd, c.methodReply);
            }
            if (!c.connectReply.isEmpty()) {
                ReadExactly(fd, c.methodReply.isEmpty() ? 9 : 7 + 12);
                WriteAll(fd, c.connectReply);
            }
            ReadToEnd(fd);
        });
        SocksLog log;
        TWSocket s;
        log.AttachSocks(s);
        ThroughProxy(s, proxy, c.level, c.methodReply.isEmpty() ? "127.0.0.1" : "peer.example");
        ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; })) << c.name;
        const QString error = QStringLiteral("socks error %1 %2").arg(c.code).arg(c.text);
        const QStringList tail = log.events.mid(log.events.indexOf(error));
        EXPECT_EQ(tail, QStringList({error, QStringLiteral("connected %1").arg(c.code), "state connected>closed",
                                     QStringLiteral("closed %1").arg(c.code)}))
            << c.name << ": " << log.events.join(", ").toStdString();
    }
}

TEST(WSocketSocks, RequestsTheProtocolCannotCarryAreRefusedBeforeConnecting)
{
    TcpPeer proxy([](int fd) { ReadToEnd(fd); });
    struct Case {
        const char* name;
        const char* level;
        QString host;
        QString user;
        QString password;
        const char* text;
    };
    const QString longName = QString(300, u'h');
    const Case cases[] = {
        {"socks 5 host", "5", longName, {}, {}, "Host name too long for the socks server (300 bytes, at most 255)"},
        {"socks 4A host", "4A", longName, {}, {}, "Host name too long for the socks server (300 bytes, at most 255)"},
        {"socks 4 user id", "4", "127.0.0.1", longName, {}, "Socks user code too long (300 bytes, at most 255)"},
        {"socks 5 password", "5", "peer", "user", longName, "Socks user code or password too long (at most 255 bytes each)"},
    };
    for (const auto& c : cases) {
        TWSocket s;
        s.SocksAuthentication = socksAuthenticateUsercode;
        s.SocksUsercode = c.user;
        s.SocksPassword = c.password;
        try {
            ThroughProxy(s, proxy, c.level, c.host.toLatin1().constData());
            ADD_FAILURE() << c.name << ": nothing raised";
        } catch (const ESocketException& e) {
            EXPECT_EQ(e.Message(), c.text) << c.name;
        }
        EXPECT_EQ(s.State(), wsClosed) << c.name;
    }
}

TEST(WSocketSocks, OnlyTcpGoesThroughAProxy)
{
    TWSocket s;
    s.SetProto("udp");
    s.SetSocksServer("127.0.0.1");
    s.SetSocksPort("1080");
    s.SetAddr("127.0.0.1");
    s.SetPort("123");
    try {
        s.Connect();
        FAIL() << "nothing raised";
    } catch (const ESocketException& e) {
        EXPECT_EQ(e.Message(), "tcp is the only protocol supported thru socks server");
    }
}

}  // namespace
