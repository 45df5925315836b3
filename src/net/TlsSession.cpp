#include "net/TlsSession.h"

#include <arpa/inet.h>
#include <openssl/err.h>
#include <openssl/ssl.h>
#include <openssl/x509v3.h>

namespace {

bool IsAddress(const char* host)
{
    unsigned char address[16];
    return inet_pton(AF_INET, host, address) == 1 || inet_pton(AF_INET6, host, address) == 1;
}

}  // namespace

TTlsSession::TTlsSession(const QString& Host) : host_(Host) {}

TTlsSession::~TTlsSession()
{
    SSL_free(ssl_);  // frees both buffers too
    SSL_CTX_free(ctx_);
}

bool TTlsSession::Start()
{
    ERR_clear_error();
    ctx_ = SSL_CTX_new(TLS_client_method());
    if (!ctx_) {
        TakeError("TLS to %1 cannot be set up");
        return false;
    }
    SSL_CTX_set_min_proto_version(ctx_, TLS1_2_VERSION);
    SSL_CTX_set_verify(ctx_, SSL_VERIFY_PEER, nullptr);
    if (SSL_CTX_set_default_verify_paths(ctx_) != 1) {
        TakeError("The trusted certificates cannot be read for %1");
        return false;
    }
    ssl_ = SSL_new(ctx_);
    in_ = BIO_new(BIO_s_mem());
    out_ = BIO_new(BIO_s_mem());
    if (!ssl_ || !in_ || !out_) {
        BIO_free(in_);
        BIO_free(out_);
        in_ = out_ = nullptr;
        TakeError("TLS to %1 cannot be set up");
        return false;
    }
    // A read buffer that runs dry is not the end of the connection.
    BIO_set_mem_eof_return(in_, -1);
    SSL_set_bio(ssl_, in_, out_);
    SSL_set_connect_state(ssl_);

    const QByteArray host = host_.toUtf8();
    X509_VERIFY_PARAM* param = SSL_get0_param(ssl_);
    bool named = false;
    if (!IsAddress(host.constData())) {
        // The name goes to the server (it may serve several) and is checked
        // against the certificate.
        named = SSL_set_tlsext_host_name(ssl_, host.constData()) == 1 && SSL_set1_host(ssl_, host.constData()) == 1;
    } else {
        named = X509_VERIFY_PARAM_set1_ip_asc(param, host.constData()) == 1;
    }
    if (!named) {
        TakeError("The name %1 cannot be checked");
        return false;
    }
    return Handshake() != tlsFailed;
}

TTlsSession::TStep TTlsSession::Handshake()
{
    if (established_)
        return tlsDone;
    ERR_clear_error();
    const int result = SSL_do_handshake(ssl_);
    if (result == 1) {
        established_ = true;
        return tlsDone;
    }
    const int error = SSL_get_error(ssl_, result);
    if (error == SSL_ERROR_WANT_READ || error == SSL_ERROR_WANT_WRITE)
        return tlsWantMore;
    TakeError("The TLS handshake with %1 failed");
    return tlsFailed;
}

void TTlsSession::PutCiphertext(const char* Data, int Len)
{
    if (Len > 0)
        BIO_write(in_, Data, Len);
}

QByteArray TTlsSession::TakeCiphertext()
{
    QByteArray bytes(static_cast<qsizetype>(BIO_ctrl_pending(out_)), Qt::Uninitialized);
    if (bytes.isEmpty())
        return bytes;
    const int n = BIO_read(out_, bytes.data(), static_cast<int>(bytes.size()));
    bytes.resize(std::max(n, 0));
    return bytes;
}

int TTlsSession::BufferedCiphertext() const { return static_cast<int>(BIO_ctrl_pending(in_)); }

int TTlsSession::Read(char* Buffer, int Size)
{
    ERR_clear_error();
    const int n = SSL_read(ssl_, Buffer, Size);
    if (n > 0)
        return n;
    switch (SSL_get_error(ssl_, n)) {
    case SSL_ERROR_WANT_READ:
    case SSL_ERROR_WANT_WRITE:
        return kNothingYet;
    case SSL_ERROR_ZERO_RETURN:
        return kClosedByPeer;
    default:
        TakeError("Reading from %1 over TLS failed");
        return kFailed;
    }
}

bool TTlsSession::PlaintextPending() const { return SSL_pending(ssl_) > 0; }

bool TTlsSession::Write(const char* Data, int Len)
{
    if (Len <= 0)
        return true;
    ERR_clear_error();
    // A memory buffer takes everything: the whole block is encrypted at once.
    if (SSL_write(ssl_, Data, Len) == Len)
        return true;
    TakeError("Writing to %1 over TLS failed");
    return false;
}

void TTlsSession::TakeError(const char* What)
{
    const long verify = ssl_ ? SSL_get_verify_result(ssl_) : X509_V_OK;
    if (verify != X509_V_OK) {
        error_ = QStringLiteral("The certificate of %1 is not trusted: %2")
                     .arg(host_, QString::fromLatin1(X509_verify_cert_error_string(verify)));
        ERR_clear_error();
        return;
    }
    const unsigned long code = ERR_get_error();
    QString reason = QStringLiteral("the connection ended");
    if (code != 0) {
        const char* text = ERR_reason_error_string(code);
        char full[256];
        if (!text) {
            ERR_error_string_n(code, full, sizeof full);
            text = full;
        }
        reason = QString::fromLatin1(text);
    }
    error_ = QString::fromLatin1(What).arg(host_) + QStringLiteral(": ") + reason;
    ERR_clear_error();
}
