// The component against real servers that the tests start on loopback:
// dante as a SOCKS 4 and 5 proxy, chrony answering SNTP over UDP.
#include "net/WSocket.h"
#include "support/ChronyPeer.h"
#include "support/Daemon.h"
#include "support/EventLog.h"
#include "support/LoopbackPeer.h"
#include "support/TestEnv.h"

#include <QFile>
#include <gtest/gtest.h>

using namespace nettest;

namespace {

// Dante passes only loopback to loopback, so no test can reach further.
const char* const kDanteConfig = R"(logoutput: stderr
internal: 127.0.0.1 port = %1
external: 127.0.0.1
socksmethod: none
clientmethod: none
user.privileged: root
user.unprivileged: nobody
client pass { from: 127.0.0.0/8 to: 0.0.0.0/0 }
socks pass { from: 127.0.0.0/8 to: 127.0.0.0/8 }
socks block { from: 0.0.0.0/0 to: 0.0.0.0/0 }
)";

TEST(WSocketPeers, ThroughDanteAtEachSocksLevel)
{
    const int proxyPort = UnusedPort();
    Daemon dante;
    if (!dante.Start("danted", {"-f", "%DIR%/danted.conf", "-p", "%DIR%/danted.pid"}, "danted.conf",
                     QString::fromLatin1(kDanteConfig).arg(proxyPort), [&] { return TcpPortOpen(proxyPort); })) {
        if (dante.Missing())
            SKIP_MISSING(dante.Problem().toStdString());
        FAIL() << dante.Problem().toStdString();
    }
    // Dante has no SOCKS 4A (it takes 0.0.0.1 for the destination); the
    // scripted proxy of the unit tests covers that level.
    for (const char* level : {"5", "4"}) {
        TcpPeer peer([](int fd) {
            const QByteArray line = ReadUntil(fd, "\r\n");
            WriteAll(fd, "echo " + line);
            ReadToEnd(fd);
        });
        EventLog log;
        TWSocket s;
        log.Attach(s);
        s.OnSessionConnected = [&](TCustomWSocket* sender, int e) {
            log.events << QStringLiteral("connected %1").arg(e);
            if (e == 0)
                static_cast<TWSocket*>(sender)->SendLine(QByteArray("via ") + level);
        };
        s.SetSocksServer("localhost");
        s.SetSocksPort(QString::number(proxyPort));
        s.SetSocksLevel(level);
        // SOCKS 5 sends the name, which dante resolves itself.
        s.SetAddr(QByteArray(level) == "4" ? "127.0.0.1" : "localhost");
        s.SetPort(QString::number(peer.Port()));
        s.Connect();
        ASSERT_TRUE(PumpUntil([&] { return log.data.endsWith("\r\n"); })) << level << ": " << log.events.join(", ").toStdString();
        EXPECT_EQ(log.data, QByteArray("echo via ") + level + "\r\n");
        EXPECT_EQ(log.Count("connected 0"), 1) << level;
        s.Close();
    }
}

TEST(WSocketPeers, SntpExchangeWithChrony)
{
    const int ntpPort = UnusedPort();
    Daemon chrony;
    if (!StartChrony(chrony, ntpPort)) {
        if (chrony.Missing())
            SKIP_MISSING(chrony.Problem().toStdString());
        FAIL() << chrony.Problem().toStdString();
    }
    // As the time check uses it: settings each time, one 48-byte request
    // sent from OnSessionConnected inside Connect, the reply read in
    // OnDataAvailable, then Close.
    TWSocket s;
    QByteArray reply;
    s.OnSessionConnected = [](TCustomWSocket* sender, int) {
        char request[48] = {0x23};  // version 4, client
        sender->Send(request, sizeof request);
    };
    s.OnDataAvailable = [&](TCustomWSocket* sender, int) {
        char buffer[48];
        const int n = sender->Receive(buffer, sizeof buffer);
        reply = QByteArray(buffer, std::max(n, 0));
        sender->Close();
    };
    for (int round = 0; round < 2; ++round) {
        reply.clear();
        if (s.State() != wsClosed)
            s.Close();
        s.SetAddr("localhost");
        s.SetPort(QString::number(ntpPort));
        s.SetProto("udp");
        s.Connect();
        ASSERT_TRUE(PumpUntil([&] { return s.State() == wsClosed; })) << "round " << round;
        ASSERT_EQ(reply.size(), 48) << "round " << round;
        EXPECT_EQ(reply[0] & 7, 4) << "a server's answer";
        EXPECT_EQ(reply[1], 10) << "the stratum chrony was given";
    }
}

}  // namespace
