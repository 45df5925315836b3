// The HTTP client's other requests against scripted servers: POST and PUT
// bodies, HEAD, closing and aborting, the refusals with their codes.
#include "net/HttpCli.h"
#include "platform/SocketLookup.h"
#include "support/EventLog.h"
#include "support/HttpRecorder.h"
#include "support/LoopbackPeer.h"

#include <QThread>
#include <atomic>
#include <arpa/inet.h>
#include <gtest/gtest.h>

using namespace nettest;

namespace {

QString Url(const TcpPeer& peer, const QString& path) { return QStringLiteral("http://127.0.0.1:%1%2").arg(peer.Port()).arg(path); }

// Reads a request with its body (by its Content-Length), keeps it, answers.
Session AnswerWithBody(TcpPeer*& peer, QByteArray reply)
{
    return [&peer, reply](int fd) {
        QByteArray request = ReadUntil(fd, "\r\n\r\n");
        const int at = static_cast<int>(request.indexOf("Content-Length: "));
        if (at >= 0)
            request += ReadExactly(fd, request.mid(at + 16, request.indexOf("\r\n", at) - at - 16).toInt());
        peer->Record(request);
        WriteAll(fd, reply);
    };
}

template <typename F>
int RaisedCode(F&& f)
{
    try {
        f();
    } catch (const EHttpException& e) {
        return e.ErrorCode;
    }
    return 0;
}

TEST(HttpRequests, PostSendsTheStreamFromItsPosition)
{
    TcpPeer* p = nullptr;
    TcpPeer peer(AnswerWithBody(p, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"));
    p = &peer;
    THttpCli http;
    HttpRecorder rec;
    rec.Attach(http);
    TMemoryStream body;
    const QByteArray big(20000, 'q');  // more than one block of the send buffer
    body.Write("skip", 4);
    body.Write(big.constData(), big.size());
    body.SetPosition(4);
    QStringList sendEvents;
    qint64 sentBytes = 0;
    http.OnSendBegin = [&](THttpCli*) { sendEvents << "begin"; };
    http.OnSendData = [&](THttpCli*, const char*, int len) { sentBytes += len; };
    http.OnSendEnd = [&](THttpCli*) { sendEvents << "end"; };
    http.SendStream = &body;
    http.URL = Url(peer, "/form");
    EXPECT_EQ(http.Post(), 200);
    const QByteArray request = peer.Received();
    EXPECT_TRUE(request.startsWith("POST /form HTTP/1.0\r\n"));
    EXPECT_TRUE(request.contains("Content-Type: application/x-www-form-urlencoded\r\n"));
    EXPECT_TRUE(request.contains("Content-Length: 20000\r\n"));
    EXPECT_TRUE(request.endsWith("\r\n\r\n" + big));
    EXPECT_EQ(sendEvents, QStringList({"begin", "end"}));
    EXPECT_EQ(sentBytes, 20000);
    EXPECT_EQ(http.SentCount, 20000);
    EXPECT_EQ(rec.LastBody(), "ok");
}

TEST(HttpRequests, PutAndHeadUseTheirMethods)
{
    TcpPeer* p = nullptr;
    TcpPeer peer(AnswerWithBody(p, "HTTP/1.0 201 Created\r\nLocation: /stored/x\r\nContent-Length: 0\r\n\r\n"), 2);
    p = &peer;
    THttpCli http;
    TMemoryStream body;
    body.Write("data", 4);
    body.SetPosition(0);
    http.SendStream = &body;
    http.URL = Url(peer, "/up/x");
    EXPECT_EQ(http.Put(), 201);
    EXPECT_TRUE(peer.Received().startsWith("PUT /up/x HTTP/1.0\r\n"));
    EXPECT_EQ(http.RelocationURL, "/stored/x") << "a PUT's location is only reported";

    TcpPeer* h = nullptr;
    TcpPeer head(AnswerWithBody(h, "HTTP/1.0 200 OK\r\nContent-Length: 100\r\n\r\nbody that is dropped"));
    h = &head;
    THttpCli probe;
    HttpRecorder rec;
    rec.Attach(probe);
    probe.URL = Url(head, "/big.bin");
    EXPECT_EQ(probe.Head(), 200);
    EXPECT_TRUE(head.Received().startsWith("HEAD /big.bin HTTP/1.0\r\n"));
    EXPECT_EQ(probe.ExpectedLength, 100);
    EXPECT_EQ(rec.events, QStringList({"header end"})) << "no document for HEAD";
}

TEST(HttpRequests, OptionalHeaderLinesAndTheHooksThatEditThem)
{
    TcpPeer* p = nullptr;
    TcpPeer peer(AnswerWithBody(p, "HTTP/1.0 206 Partial Content\r\nSet-Cookie: id=7; path=/\r\n"
                                   "Accept-Ranges: bytes\r\nContent-Range: bytes 10-19/100\r\nContent-Length: 10\r\n\r\n0123456789"));
    p = &peer;
    THttpCli http;
    http.URL = Url(peer, "/r");
    http.Sender = "op@example.org";
    http.Reference = "http://example.org/";
    http.Connection = "close";
    http.AcceptLanguage = "en";
    http.NoCache = true;
    http.Cookie = "session=1";
    http.ContentRangeBegin = "10";
    QStringList cookies;
    QString methodSeen;
    http.OnCookie = [&](THttpCli*, const QString& data, bool& accept) {
        cookies << data;
        EXPECT_TRUE(accept);
    };
    http.OnBeforeHeaderSend = [&](THttpCli*, const QString& method, QStringList& headers) {
        methodSeen = method;
        headers << "X-Station: test";
    };
    http.OnCommand = [](THttpCli*, QString& line) {
        if (line.startsWith("Accept-Language"))
            line = "Accept-Language: de";
    };
    EXPECT_EQ(http.Get(), 206);
    EXPECT_EQ(peer.Received(),
              "GET /r HTTP/1.0\r\n"
              "From: op@example.org\r\n"
              "Accept: image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*\r\n"
              "Referer: http://example.org/\r\n"
              "Connection: close\r\n"
              "Accept-Language: de\r\n"
              "User-Agent: Mozilla/4.0 (compatible)\r\n"
              "Host: 127.0.0.1\r\n"
              "Pragma: no-cache\r\n"
              "Cookie: session=1\r\n"
              "Range: bytes=10-\r\n"
              "X-Station: test\r\n"
              "\r\n");
    EXPECT_EQ(methodSeen, "GET");
    EXPECT_EQ(cookies, QStringList({"id=7; path=/"}));
    EXPECT_EQ(http.AcceptRanges(), "bytes");
    EXPECT_EQ(http.ContentRangeBegin, "10") << "taken from the reply's range";
    EXPECT_EQ(http.ContentRangeEnd, "19");
}

TEST(HttpRequests, A401WithoutABasicChallengeIsNotRepeated)
{
    std::atomic<int> requests{0};
    TcpPeer peer(
        [&](int fd) {
            ReadUntil(fd, "\r\n\r\n");
            ++requests;
            WriteAll(fd, "HTTP/1.0 401 Unauthorized\r\nWWW-Authenticate: Digest realm=\"x\"\r\nContent-Length: 0\r\n\r\n");
        },
        2);
    THttpCli http;
    http.URL = Url(peer, "/private");
    http.Username = "station";
    http.Password = "apt-137";
    EXPECT_EQ(http.Get(), 401);
    EXPECT_EQ(requests, 1);
    EXPECT_EQ(http.AuthChallenges, QStringList({"Digest realm=\"x\""}));
}

TEST(HttpRequests, RefusalsCarryTheirCodes)
{
    THttpCli http;
    http.URL = "http://127.0.0.1:1/x";
    EXPECT_EQ(RaisedCode([&] { http.Post(); }), 2) << "no send stream";
    TMemoryStream empty;
    http.SendStream = &empty;
    EXPECT_EQ(RaisedCode([&] { http.PutASync(); }), 2) << "stream at its end";
    EXPECT_EQ(http.HttpState(), httpReady) << "nothing was started";

    EXPECT_EQ(RaisedCode([&] { http.SetRequestVer("2.0"); }), 5);
    EXPECT_EQ(http.RequestVer(), "1.0");
    http.SetRequestVer("1.1");
    EXPECT_EQ(http.RequestVer(), "1.1");
}

TEST(HttpRequests, AbortDuringTheLookupAndWhenIdle)
{
    // A look-up that takes its time, so the abort meets it.
    wsock::SetHostResolver([](const QString&, wsock::THostRecord& record) {
        QThread::msleep(300);
        record.Addresses = {htonl(INADDR_LOOPBACK)};
        return 0;
    });
    THttpCli http;
    HttpRecorder rec;
    rec.Attach(http);
    http.URL = "http://slow.example/x";
    http.GetASync();
    EXPECT_EQ(http.HttpState(), httpDnsLookup);
    http.Abort();
    wsock::SetHostResolver({});
    EXPECT_EQ(http.HttpState(), httpReady);
    EXPECT_EQ(http.ResponseCode, 404);
    EXPECT_EQ(http.ResponseText, "Connection aborted on request");
    EXPECT_TRUE(PumpUntil([&] { return rec.requestsDone == 1; }));
    EXPECT_EQ(rec.lastRequestError, 3);
    PumpFor(400);
    EXPECT_EQ(rec.requestsDone, 1) << "the cancelled look-up reports nothing later";

    http.Abort();
    EXPECT_EQ(rec.requestsDone, 2) << "idle: done at once, not posted";
    EXPECT_EQ(rec.lastRequestError, 0);
    EXPECT_EQ(http.ResponseCode, 200);
}

TEST(HttpRequests, CloseReleasesAKeptConnection)
{
    TcpPeer peer([](int fd) {
        ReadUntil(fd, "\r\n\r\n");
        WriteAll(fd, "HTTP/1.1 200 OK\r\nContent-Length: 1\r\n\r\nx");
        ReadToEnd(fd);
    });
    THttpCli http;
    http.SetRequestVer("1.1");
    http.URL = Url(peer, "/a");
    EXPECT_EQ(http.Get(), 200);
    EXPECT_EQ(http.CtrlSocket()->State(), wsConnected) << "kept for the next request";
    EXPECT_EQ(http.Close(), 200);
    EXPECT_EQ(http.ResponseText, "OK");
    EXPECT_EQ(http.CtrlSocket()->State(), wsClosed);
    EXPECT_EQ(http.Close(), 200) << "closing a closed connection is done at once";
}

}  // namespace
