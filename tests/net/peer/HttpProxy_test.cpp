// The HTTP client through tinyproxy to lighttpd, both on 127.0.0.1: the
// absolute URL on the request line, proxy credentials after a 407, and the
// tunnel request of an "https" URL.
#include "net/HttpCli.h"
#include "peers/LighttpdServer.h"
#include "peers/TinyproxyServer.h"
#include "support/EventLog.h"
#include "support/HttpRecorder.h"
#include "support/LoopbackPeer.h"

#include <gtest/gtest.h>

using namespace nettest;
using namespace peertest;

namespace {

struct ProxiedClient {
    THttpCli http;
    HttpRecorder rec;
    QStringList sent;  // request lines as sent

    explicit ProxiedClient(const TinyproxyServer& proxy)
    {
        rec.Attach(http);
        http.Proxy = "127.0.0.1";
        http.ProxyPort = QString::number(proxy.Port());
        http.OnCommand = [this](THttpCli*, QString& line) { sent << line; };
    }
    QStringList Sent(const QString& prefix) const
    {
        QStringList lines;
        for (const QString& l : sent)
            if (l.startsWith(prefix))
                lines << l;
        return lines;
    }
};

TEST(HttpProxy, GetCarriesTheAbsoluteUrlAndReachesTheServer)
{
    LighttpdServer web;
    START_LIGHTTPD(web);
    ASSERT_TRUE(web.Put("/kepler/noaa.txt", "elements"));
    TinyproxyServer proxy;
    START_TINYPROXY(proxy);
    ProxiedClient c(proxy);
    c.http.URL = web.Url("/kepler/noaa.txt");
    EXPECT_EQ(c.http.Get(), 200);
    EXPECT_EQ(c.rec.LastBody(), "elements");
    EXPECT_EQ(c.Sent("GET "), QStringList({"GET " + web.Url("/kepler/noaa.txt") + " HTTP/1.0"}));
    EXPECT_EQ(c.Sent("Host: "), QStringList({"Host: 127.0.0.1"}));
    EXPECT_EQ(c.http.DocumentName, "noaa.txt");
}

TEST(HttpProxy, ProxyCredentialsAreSentOnceAfterA407)
{
    LighttpdServer web;
    START_LIGHTTPD(web);
    ASSERT_TRUE(web.Put("/a.txt", "through"));
    TinyproxyServer proxy;
    START_TINYPROXY(proxy, {.user = "relay", .password = "s3cret"});

    ProxiedClient c(proxy);
    c.http.URL = web.Url("/a.txt");
    c.http.ProxyUsername = "relay";
    c.http.ProxyPassword = "s3cret";
    EXPECT_EQ(c.http.Get(), 200);
    EXPECT_EQ(c.rec.LastBody(), "through");
    EXPECT_EQ(c.Sent("GET ").size(), 2) << "the first request was refused";
    EXPECT_EQ(c.Sent("Proxy-Authorization: "), QStringList({"Proxy-Authorization: Basic cmVsYXk6czNjcmV0"}));

    ProxiedClient wrong(proxy);
    wrong.http.URL = web.Url("/a.txt");
    wrong.http.ProxyUsername = "relay";
    wrong.http.ProxyPassword = "guess";
    // tinyproxy refuses wrong credentials with 401 (and a WWW-Authenticate
    // challenge); without server credentials that reply stands.
    EXPECT_EQ(wrong.http.Get(), 401) << "refused credentials are returned, not raised";
    EXPECT_EQ(wrong.Sent("GET ").size(), 2) << "one retry only";
    EXPECT_EQ(wrong.Sent("Proxy-Authorization: ").size(), 1);
}

TEST(HttpProxy, HttpsSendsOnlyTheTunnelRequestAndPushesTheAnswer)
{
    LighttpdServer web;
    START_LIGHTTPD(web);
    TinyproxyServer proxy;
    START_TINYPROXY(proxy);
    ProxiedClient c(proxy);
    QList<QByteArray> pushed;
    c.http.OnDataPush = [&](THttpCli* h, int) { pushed << h->PushedLine(); };
    c.http.URL = QStringLiteral("https://127.0.0.1:%1/secure.txt").arg(web.Port());
    c.http.GetASync();
    EXPECT_TRUE(PumpUntil([&] { return pushed.contains(QByteArray()); }, 10000)) << "the answer's empty line";
    ASSERT_FALSE(pushed.isEmpty());
    EXPECT_TRUE(pushed.front().startsWith("HTTP/1.")) << pushed.front().toStdString();
    EXPECT_TRUE(pushed.front().contains(" 200 ")) << pushed.front().toStdString();
    EXPECT_EQ(c.sent, QStringList({QStringLiteral("CONNECT 127.0.0.1:%1 HTTP/1.0").arg(web.Port()), ""}));
    EXPECT_EQ(c.http.HttpState(), httpWaitingProxyConnect);
    c.http.Abort();
    EXPECT_EQ(c.http.HttpState(), httpReady);
    EXPECT_EQ(c.http.ResponseText, "Connection aborted on request");
}

}  // namespace
