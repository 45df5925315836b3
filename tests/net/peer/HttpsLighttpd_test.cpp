// The HTTP client over TLS against lighttpd with a certificate the test
// makes: documents and conditional requests as over http, certificates
// that are not trusted or name another host, and servers that speak no TLS.
#include "net/HttpCli.h"
#include "peers/LighttpdServer.h"
#include "support/HttpRecorder.h"
#include "support/LoopbackPeer.h"
#include "support/MakeCertificate.h"
#include "support/TlsPeer.h"

#include <QRandomGenerator>
#include <QThread>
#include <gtest/gtest.h>
#include <openssl/ssl.h>

using namespace nettest;
using namespace peertest;

namespace {

const QByteArray kElements = "NOAA 19\n1 33591U 09005A   24122.50000000  .00000000  00000-0  00000-0 0  9993\n";
const QDateTime kModified(QDate(2024, 5, 2), QTime(10, 0, 0), Qt::UTC);

TEST(HttpsLighttpd, TrustedServerDeliversDocumentsAndAnswersConditionalRequests)
{
    TestCertificate cert;
    MAKE_CERTIFICATE(cert, "IP:127.0.0.1");
    LighttpdServer server;
    START_LIGHTTPD(server, {.tlsPemFile = cert.ServerPemFile()});
    ASSERT_TRUE(server.Url("/").startsWith("https://"));
    ASSERT_TRUE(server.Put("/NORAD/elements/weather.txt", kElements, kModified));
    // Many TLS records, more than the receive buffer holds at once.
    QByteArray large(700 * 1024, '\0');
    QRandomGenerator generator(7);
    for (char& c : large)
        c = static_cast<char>(generator.bounded(256));
    ASSERT_TRUE(server.Put("/large.bin", large));
    TrustedCertificates trust(cert.CertFile());

    THttpCli http;
    HttpRecorder rec;
    rec.Attach(http);
    http.URL = server.Url("/NORAD/elements/weather.txt");
    const GetResult first = RunGet(http);
    ASSERT_EQ(first.code, 200) << first.text.toStdString();
    EXPECT_EQ(rec.LastBody(), kElements);
    EXPECT_EQ(http.DocumentName, "weather.txt");
    EXPECT_EQ(LastModified(http), "Thu, 02 May 2024 10:00:00 GMT");

    rec.events.clear();
    http.ModifiedSince = RFC1123_StrToDate(LastModified(http));
    EXPECT_EQ(http.Get(), 304);
    EXPECT_EQ(rec.events, QStringList({"header end"}));

    http.ModifiedSince = 0;
    http.URL = server.Url("/large.bin");
    EXPECT_EQ(RunGet(http).code, 200);
    EXPECT_TRUE(rec.LastBody() == large) << "got " << rec.LastBody().size() << " of " << large.size() << " bytes";

    // HTTP/1.1 keeps the encrypted connection for the next request.
    THttpCli kept;
    int connects = 0;
    kept.OnSessionConnected = [&](THttpCli*) { ++connects; };
    kept.SetRequestVer("1.1");
    for (const char* path : {"/NORAD/elements/weather.txt", "/large.bin"}) {
        kept.URL = server.Url(path);
        EXPECT_EQ(RunGet(kept).code, 200) << path;
        EXPECT_EQ(kept.ReceivedCount, QString(path).endsWith("bin") ? large.size() : kElements.size());
    }
    EXPECT_EQ(connects, 1);
}

TEST(HttpsLighttpd, RelocationFromHttpToHttpsIsFollowed)
{
    TestCertificate cert;
    MAKE_CERTIFICATE(cert, "IP:127.0.0.1");
    LighttpdServer secure;
    START_LIGHTTPD(secure, {.tlsPemFile = cert.ServerPemFile()});
    ASSERT_TRUE(secure.Put("/gp.txt", kElements));
    LighttpdServer plain;
    START_LIGHTTPD(plain, {.redirects = {{"^/old/(.*)$", secure.Url("/$1")}}});
    TrustedCertificates trust(cert.CertFile());

    THttpCli http;
    HttpRecorder rec;
    rec.Attach(http);
    http.URL = plain.Url("/old/gp.txt");
    const GetResult r = RunGet(http);
    EXPECT_EQ(r.code, 200) << r.text.toStdString();
    EXPECT_EQ(rec.LastBody(), kElements);
    EXPECT_EQ(http.RelocationURL, secure.Url("/gp.txt"));
}

// Credentials belong to the origin (scheme, host, port) they were given for:
// a relocation to plain http is refused, one to another https origin does
// not take them along, one within the origin keeps them.
TEST(HttpsLighttpd, CredentialsStayWithTheirOriginAcrossRelocations)
{
    TestCertificate cert;
    MAKE_CERTIFICATE(cert, "IP:127.0.0.1");
    LighttpdOptions asking{.protectedFolder = "/private/"};
    LighttpdServer plain;
    START_LIGHTTPD(plain, asking);
    ASSERT_TRUE(plain.Put("/private/gp.txt", kElements));
    LighttpdServer otherSecure;
    START_LIGHTTPD(otherSecure, {.protectedFolder = "/private/", .tlsPemFile = cert.ServerPemFile()});
    ASSERT_TRUE(otherSecure.Put("/private/gp.txt", kElements));
    LighttpdServer secure;
    START_LIGHTTPD(secure, {.redirects = {{"^/to-http/(.*)$", plain.Url("/private/$1")},
                                          {"^/to-other/(.*)$", otherSecure.Url("/private/$1")},
                                          {"^/within/(.*)$", "/private/$1"}},
                            .protectedFolder = "/private/",
                            .tlsPemFile = cert.ServerPemFile()});
    ASSERT_TRUE(secure.Put("/private/gp.txt", kElements));
    TrustedCertificates trust(cert.CertFile());

    struct Case {
        const char* name;
        const char* path;
        int code;
        bool raises;
        QString text;
        QByteArray body;
    };
    const Case cases[] = {
        {"https to plain http", "/to-http/gp.txt", 404, true,
         "The server at 127.0.0.1 relocates the request to " + plain.Url("/private/gp.txt") +
             ": a relocation from https to plain http is refused",
         ""},
        {"to another https origin, which asks", "/to-other/gp.txt", 401, false, "Unauthorized", ""},
        {"within the origin", "/within/gp.txt", 200, false, "OK", kElements},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        THttpCli http;
        HttpRecorder rec;
        rec.Attach(http);
        http.URL = QStringLiteral("https://%1:%2@127.0.0.1:%3%4")
                       .arg(asking.user, asking.password)
                       .arg(secure.Port())
                       .arg(c.path);
        const GetResult r = RunGet(http);
        EXPECT_EQ(r.code, c.code) << r.text.toStdString();
        EXPECT_EQ(r.raised, c.raises);
        EXPECT_EQ(r.text.toStdString(), c.text.toStdString());
        if (c.code == 200)
            EXPECT_EQ(rec.LastBody(), c.body);
        EXPECT_EQ(http.HttpState(), httpReady);
    }
}

TEST(HttpsLighttpd, CertificateThatIsNotTrustedFailsSayingSo)
{
    TestCertificate cert;
    MAKE_CERTIFICATE(cert, "IP:127.0.0.1");
    LighttpdServer server;
    START_LIGHTTPD(server, {.tlsPemFile = cert.ServerPemFile()});
    ASSERT_TRUE(server.Put("/a.txt", kElements));
    TestCertificate other;
    MAKE_CERTIFICATE(other, "IP:127.0.0.1");

    struct Case {
        const char* name;
        QString trusted;  // empty: the system's store only
        QString url;
        const char* text;
    };
    const QString localhostUrl = QStringLiteral("https://localhost:%1/a.txt").arg(server.Port());
    const Case cases[] = {
        {"self-signed, trusted nowhere", QString(), server.Url("/a.txt"),
         "The certificate of 127.0.0.1 is not trusted: self-signed certificate"},
        {"another certificate trusted", other.CertFile(), server.Url("/a.txt"),
         "The certificate of 127.0.0.1 is not trusted: self-signed certificate"},
        {"trusted, for another name", cert.CertFile(), localhostUrl,
         "The certificate of localhost is not trusted: hostname mismatch"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TrustedCertificates trust(c.trusted);
        THttpCli http;
        HttpRecorder rec;
        rec.Attach(http);
        http.URL = c.url;
        const GetResult r = RunGet(http);
        EXPECT_TRUE(r.raised);
        EXPECT_EQ(r.code, 404);
        EXPECT_EQ(r.text.toStdString(), c.text);
        EXPECT_TRUE(rec.events.isEmpty()) << "nothing of the reply reached the owner";
        EXPECT_EQ(http.HttpState(), httpReady);
    }
}

TEST(HttpsLighttpd, ServerThatSpeaksNoTlsFailsSayingSo)
{
    struct Case {
        const char* name;
        Session session;
        const char* text;
    };
    const Case cases[] = {
        {"plain http reply", [](int fd) { WriteAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: 2\r\n\r\nok"); },
         "The TLS handshake with 127.0.0.1 failed: "},
        {"closes at once", [](int) {}, "The connection to 127.0.0.1 closed during the TLS handshake"},
    };
    for (const Case& c : cases) {
        SCOPED_TRACE(c.name);
        TcpPeer peer(c.session);
        THttpCli http;
        HttpRecorder rec;
        rec.Attach(http);
        http.URL = QStringLiteral("https://127.0.0.1:%1/a.txt").arg(peer.Port());
        const GetResult r = RunGet(http);
        EXPECT_TRUE(r.raised);
        EXPECT_EQ(r.code, 404);
        EXPECT_TRUE(r.text.startsWith(c.text)) << r.text.toStdString();
        EXPECT_TRUE(rec.events.isEmpty());
    }
}

// A server that sends the whole reply and closes while the client is busy:
// what the TLS session still holds when the close is seen is the end of
// the document, not lost.
TEST(HttpsLighttpd, ReplyStillHeldWhenTheServerClosesIsDelivered)
{
    TestCertificate cert;
    MAKE_CERTIFICATE(cert, "IP:127.0.0.1");
    const QByteArray body(100 * 1024, 'e');
    TlsPeer peer(cert.CertFile(), cert.KeyFile(), [&](SSL* ssl, int) {
        peer.ReadRequest(ssl);
        TlsWriteAll(ssl, "HTTP/1.0 200 OK\r\nContent-Length: " + QByteArray::number(body.size()) + "\r\n\r\n" + body);
    });
    TrustedCertificates trust(cert.CertFile());
    THttpCli http;
    HttpRecorder rec;
    rec.Attach(http);
    http.OnHeaderEnd = [&](THttpCli*) {
        rec.events << "header end";
        QThread::msleep(500);  // the server sends the rest and closes meanwhile
    };
    http.URL = peer.Url("/big.txt");
    const GetResult r = RunGet(http);
    EXPECT_EQ(r.code, 200) << r.text.toStdString();
    EXPECT_EQ(rec.LastBody().size(), body.size());
    EXPECT_TRUE(rec.LastBody() == body);
}

}  // namespace
