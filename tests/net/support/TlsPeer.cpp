#include "support/TlsPeer.h"

#include <QFile>
#include <openssl/ssl.h>
#include <pthread.h>
#include <signal.h>

namespace nettest {

TlsPeer::TlsPeer(const QString& certFile, const QString& keyFile, TlsScript script, int maxSessions, int maxVersion)
    : script_(std::move(script))
{
    ctx_ = SSL_CTX_new(TLS_server_method());
    SSL_CTX_use_certificate_chain_file(ctx_, QFile::encodeName(certFile).constData());
    SSL_CTX_use_PrivateKey_file(ctx_, QFile::encodeName(keyFile).constData(), SSL_FILETYPE_PEM);
    if (maxVersion != 0)
        SSL_CTX_set_max_proto_version(ctx_, maxVersion);
    tcp_ = std::make_unique<TcpPeer>(
        [this](int fd) {
            // OpenSSL writes without MSG_NOSIGNAL: a client that has gone
            // must give this thread EPIPE, not end the test with SIGPIPE.
            sigset_t pipe;
            sigemptyset(&pipe);
            sigaddset(&pipe, SIGPIPE);
            pthread_sigmask(SIG_BLOCK, &pipe, nullptr);
            SSL* ssl = SSL_new(ctx_);
            SSL_set_fd(ssl, fd);
            if (SSL_accept(ssl) == 1)
                script_(ssl, fd);
            SSL_free(ssl);  // no close_notify unless the script sent one
        },
        maxSessions);
}

TlsPeer::~TlsPeer()
{
    tcp_.reset();  // joins the sessions, which use the context
    SSL_CTX_free(ctx_);
}

QString TlsPeer::Url(const QString& path) const { return QStringLiteral("https://127.0.0.1:%1%2").arg(Port()).arg(path); }

QByteArray TlsPeer::ReadRequest(SSL* ssl)
{
    const QByteArray request = TlsReadUntil(ssl, "\r\n\r\n");
    std::lock_guard lock(mutex_);
    requests_ << request;
    return request;
}

QList<QByteArray> TlsPeer::Requests() const
{
    std::lock_guard lock(mutex_);
    return requests_;
}

QByteArray TlsReadUntil(SSL* ssl, const QByteArray& end)
{
    QByteArray bytes;
    char c;
    while (!bytes.endsWith(end) && SSL_read(ssl, &c, 1) == 1)
        bytes.append(c);
    return bytes;
}

void TlsWriteAll(SSL* ssl, const QByteArray& bytes)
{
    if (!bytes.isEmpty())
        SSL_write(ssl, bytes.constData(), static_cast<int>(bytes.size()));
}

void TlsCloseNotify(SSL* ssl) { SSL_shutdown(ssl); }

}  // namespace nettest
