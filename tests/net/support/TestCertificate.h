#pragma once
// A self-signed certificate made by a test for its own TLS server, with the
// openssl program: the test trusts it (SSL_CERT_FILE) or leaves it untrusted.
#include <QString>
#include <QTemporaryDir>

namespace nettest {

class TestCertificate {
public:
    // Makes a certificate whose subjectAltName is altNames (e.g.
    // "IP:127.0.0.1"). Empty when made, otherwise why not (Missing() tells a
    // program that is not installed).
    QString Make(const QString& altNames);
    bool Missing() const { return missing_; }
    // The certificate alone, for a client to trust.
    QString CertFile() const { return dir_.filePath(QStringLiteral("cert.pem")); }
    QString KeyFile() const { return dir_.filePath(QStringLiteral("key.pem")); }
    // Certificate and key in one file, for the server.
    QString ServerPemFile() const { return dir_.filePath(QStringLiteral("server.pem")); }

private:
    QTemporaryDir dir_;
    bool missing_ = false;
};

// Trusts the given certificates for TLS in this process (empty: the system's
// own store only) while it lives.
class TrustedCertificates {
public:
    explicit TrustedCertificates(const QString& certFile);
    ~TrustedCertificates();
    TrustedCertificates(const TrustedCertificates&) = delete;
    TrustedCertificates& operator=(const TrustedCertificates&) = delete;

private:
    QByteArray old_;
    bool wasSet_ = false;
};

}  // namespace nettest
