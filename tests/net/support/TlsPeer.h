#pragma once
// A scripted TLS server on 127.0.0.1, for what a real server never does on
// purpose: each session completes the handshake with the test's certificate
// and then runs its script on the TLS connection. How the session ends is
// the script's choice: TlsCloseNotify for an orderly end, or returning
// without it, which cuts the TCP stream as anyone on the path could.
#include "support/LoopbackPeer.h"

#include <QList>
#include <QString>
#include <memory>

struct ssl_ctx_st;
struct ssl_st;

namespace nettest {

// What a session does once the handshake is done.
using TlsScript = std::function<void(ssl_st* ssl, int fd)>;

class TlsPeer {
public:
    // maxVersion: the highest protocol offered (e.g. TLS1_2_VERSION), 0 for
    // the library's highest.
    TlsPeer(const QString& certFile, const QString& keyFile, TlsScript script, int maxSessions = 1,
            int maxVersion = 0);
    ~TlsPeer();
    TlsPeer(const TlsPeer&) = delete;
    TlsPeer& operator=(const TlsPeer&) = delete;

    int Port() const { return tcp_->Port(); }
    QString Url(const QString& path) const;
    // Reads one request header in a session and keeps it.
    QByteArray ReadRequest(ssl_st* ssl);
    // The request headers read so far, in order.
    QList<QByteArray> Requests() const;

private:
    ssl_ctx_st* ctx_ = nullptr;
    TlsScript script_;
    std::unique_ptr<TcpPeer> tcp_;
    mutable std::mutex mutex_;
    QList<QByteArray> requests_;
};

// Session helpers (blocking).
QByteArray TlsReadUntil(ssl_st* ssl, const QByteArray& end);
void TlsWriteAll(ssl_st* ssl, const QByteArray& bytes);
// Sends close_notify: the end of the stream, as TLS marks it.
void TlsCloseNotify(ssl_st* ssl);

}  // namespace nettest
