// The HTTP client against servers that never finish their reply: endless
// header lines, endless interim replies, a trickle of bytes. Each request
// ends with a text that names the bound it crossed.
#include "net/HttpCli.h"
#include "support/HttpRecorder.h"
#include "support/LoopbackPeer.h"

#include <QThread>
#include <gtest/gtest.h>
#include <sys/socket.h>

using namespace nettest;

namespace {

// Reads the request, writes head once, then piece again and again (every
// pauseMs) until the client has gone.
Session Endless(QByteArray head, QByteArray piece, int pauseMs = 0)
{
    return [head, piece, pauseMs](int fd) {
        ReadUntil(fd, "\r\n\r\n");
        if (::send(fd, head.constData(), static_cast<size_t>(head.size()), MSG_NOSIGNAL) < 0)
            return;
        // Bounded too, so that a client that never gives up fails the test
        // instead of hanging it.
        for (int i = 0; i < 1000000; ++i) {
            if (::send(fd, piece.constData(), static_cast<size_t>(piece.size()), MSG_NOSIGNAL) < 0)
                return;
            if (pauseMs > 0)
                QThread::msleep(static_cast<unsigned long>(pauseMs));
        }
    };
}

struct EndlessCase {
    const char* name;
    QByteArray head;
    QByteArray piece;
    int pauseMs;
    int requestMs;  // the whole request's bound
    const char* text;
};

TEST(HttpReplyBounds, AReplyThatNeverEndsFailsWithTheBoundItCrossed)
{
    const QByteArray bigLine = "X-Filler: " + QByteArray(4000, 'f') + "\r\n";
    const EndlessCase cases[] = {
        {"header lines", "HTTP/1.0 200 OK\r\n", "X-A: b\r\n", 0, 60000,
         "The reply header from 127.0.0.1 has more than 256 lines"},
        {"long header lines", "HTTP/1.0 200 OK\r\n", bigLine, 0, 60000,
         "The reply header from 127.0.0.1 is larger than 64 KiB"},
        {"one header line without end", "HTTP/1.0 200 OK\r\nX-Long: ", QByteArray(1000, 'x'), 0, 60000,
         "is larger than 64 KiB"},
        {"blank lines before a reply", "", "\r\n", 0, 60000, "is larger than 64 KiB"},
        {"interim replies", "", "HTTP/1.1 100 Continue\r\n\r\n", 0, 60000,
         "The server at 127.0.0.1 sent more than 10 interim replies"},
        {"a byte at a time", "HTTP/1.0 200 OK\r\n\r\n", "x", 100, 1500,
         "The request to 127.0.0.1 took longer than 1.5 s: it was aborted"},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.name);
        TcpPeer peer(Endless(c.head, c.piece, c.pauseMs));
        THttpCli http;
        HttpRecorder rec;
        rec.Attach(http);
        http.RequestTimeoutMs = c.requestMs;
        http.URL = QStringLiteral("http://127.0.0.1:%1/doc.txt").arg(peer.Port());
        const GetResult r = RunGet(http);
        EXPECT_TRUE(r.raised);
        EXPECT_EQ(r.code, 404);
        EXPECT_TRUE(r.text.contains(QString::fromLatin1(c.text))) << r.text.toStdString();
        EXPECT_LE(http.ResponseHeaders.size(), kHttpMaxHeaderLines) << "what was kept stayed bounded";
        EXPECT_EQ(http.HttpState(), httpReady);
        if (!rec.documents.empty()) {
            EXPECT_EQ(rec.statusAtDocEnd.back(), 404) << "a document cut off by a bound is no whole document";
        }
    }
}

// The whole-request bound counts from the start: a server that answers in
// time is not cut off, and a relocation does not start the clock anew.
TEST(HttpReplyBounds, TheRequestTimeCoversRelocations)
{
    std::atomic<int> sessions{0};
    TcpPeer* self = nullptr;
    TcpPeer peer(
        [&](int fd) {
            ReadUntil(fd, "\r\n\r\n");
            ++sessions;
            QThread::msleep(400);
            const QByteArray reply = "HTTP/1.0 302 Found\r\nLocation: http://127.0.0.1:" + self->PortText() + "/again\r\n\r\n";
            ::send(fd, reply.constData(), static_cast<size_t>(reply.size()), MSG_NOSIGNAL);
        },
        kHttpMaxRelocations + 1);
    self = &peer;
    THttpCli http;
    http.RequestTimeoutMs = 1500;
    http.URL = QStringLiteral("http://127.0.0.1:%1/start").arg(peer.Port());
    const GetResult r = RunGet(http);
    EXPECT_TRUE(r.raised);
    EXPECT_TRUE(r.text.contains("took longer than 1.5 s")) << r.text.toStdString();
    EXPECT_LT(sessions.load(), kHttpMaxRelocations + 1) << "the relocations did not all run";
}

}  // namespace
