#include "support/TestCertificate.h"

#include <QFile>
#include <QProcess>
#include <QStandardPaths>

namespace nettest {

QString TestCertificate::Make(const QString& altNames)
{
    const QString openssl = QStandardPaths::findExecutable(QStringLiteral("openssl"));
    if (openssl.isEmpty()) {
        missing_ = true;
        return QStringLiteral("openssl is not installed (scripts/setup-deps.sh installs it)");
    }
    QProcess process;
    process.setProcessChannelMode(QProcess::MergedChannels);
    process.start(openssl, {"req", "-x509", "-newkey", "ec", "-pkeyopt", "ec_paramgen_curve:prime256v1", "-nodes",
                            "-days", "2", "-subj", "/CN=Orvanta test server", "-addext",
                            "subjectAltName=" + altNames, "-keyout", KeyFile(), "-out", CertFile()});
    if (!process.waitForFinished(30000) || process.exitStatus() != QProcess::NormalExit || process.exitCode() != 0)
        return "openssl req failed: " + QString::fromLocal8Bit(process.readAll());
    QFile cert(CertFile()), key(KeyFile()), pem(ServerPemFile());
    if (!cert.open(QIODevice::ReadOnly) || !key.open(QIODevice::ReadOnly) || !pem.open(QIODevice::WriteOnly) ||
        pem.write(cert.readAll() + key.readAll()) < 0)
        return "cannot write " + ServerPemFile();
    return {};
}

TrustedCertificates::TrustedCertificates(const QString& certFile)
    : old_(qgetenv("SSL_CERT_FILE")), wasSet_(qEnvironmentVariableIsSet("SSL_CERT_FILE"))
{
    if (certFile.isEmpty())
        qunsetenv("SSL_CERT_FILE");
    else
        qputenv("SSL_CERT_FILE", QFile::encodeName(certFile));
}

TrustedCertificates::~TrustedCertificates()
{
    if (wasSet_)
        qputenv("SSL_CERT_FILE", old_);
    else
        qunsetenv("SSL_CERT_FILE");
}

}  // namespace nettest
