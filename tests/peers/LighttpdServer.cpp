#include "peers/LighttpdServer.h"

#include "support/Daemon.h"
#include "support/LoopbackPeer.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace peertest {
namespace {

// lighttpd runs in the foreground (-D) as the user that starts it; without
// its stat cache a file a test rewrites is served anew at once.
const char kConfig[] = R"(server.document-root = "%1"
server.bind = "127.0.0.1"
server.port = %2
server.errorlog = "%DIR%/error.log"
server.stat-cache-engine = "disable"
server.modules = ( "mod_redirect", "mod_auth", "mod_authn_file" )
mimetype.assign = ( ".html" => "text/html", ".htm" => "text/html", ".txt" => "text/plain",
                    ".tle" => "text/plain", ".xml" => "application/xml", "" => "application/octet-stream" )
)";

// A text between double quotes in lighttpd's configuration syntax.
QString Quoted(const QString& text)
{
    return QLatin1Char('"') + QString(text).replace(QLatin1Char('\\'), QLatin1String("\\\\")).replace(QLatin1Char('"'), QLatin1String("\\\"")) +
           QLatin1Char('"');
}

}  // namespace

LighttpdServer::LighttpdServer() = default;
LighttpdServer::~LighttpdServer() = default;

QString LighttpdServer::Start(const LighttpdOptions& options)
{
    port_ = nettest::UnusedPort();
    QString config = QString::fromLatin1(kConfig).arg(root_.path()).arg(port_);
    if (!options.redirects.isEmpty()) {
        QStringList rules;
        for (const auto& [pattern, target] : options.redirects)
            rules << Quoted(pattern) + QStringLiteral(" => ") + Quoted(target);
        config += QStringLiteral("url.redirect = ( %1 )\n").arg(rules.join(QStringLiteral(", ")));
    }
    daemon_ = std::make_unique<nettest::Daemon>();
    tls_ = !options.tlsPemFile.isEmpty();
    if (tls_) {
        if (!QFile::exists(QStringLiteral(LIGHTTPD_MODULE_DIR "/mod_openssl.so"))) {
            missing_ = true;
            return QStringLiteral("lighttpd's mod_openssl is not installed (scripts/setup-deps.sh installs it)");
        }
        config += QStringLiteral("server.modules += ( \"mod_openssl\" )\nssl.engine = \"enable\"\nssl.pemfile = %1\n")
                      .arg(Quoted(options.tlsPemFile));
    }
    if (!options.protectedFolder.isEmpty()) {
        config += QStringLiteral(
                      "auth.backend = \"plain\"\n"
                      "auth.backend.plain.userfile = \"%DIR%/users\"\n"
                      "auth.require = ( %1 => ( \"method\" => \"basic\", \"realm\" => \"station\", "
                      "\"require\" => \"valid-user\" ) )\n")
                      .arg(Quoted(options.protectedFolder));
    }
    // The user file goes beside the configuration, in the daemon's folder.
    const QString users = options.user + QLatin1Char(':') + options.password + QLatin1Char('\n');
    const int port = port_;
    const bool started = daemon_->Start(
        QStringLiteral("lighttpd"), {QStringLiteral("-D"), QStringLiteral("-f"), QStringLiteral("%DIR%/lighttpd.conf")},
        QStringLiteral("lighttpd.conf"), config, [port] { return nettest::TcpPortOpen(port); },
        {{QStringLiteral("users"), users.toUtf8()}});
    if (!started) {
        missing_ = daemon_->Missing();
        return daemon_->Problem();
    }
    return {};
}

QString LighttpdServer::Url(const QString& path) const
{
    return QStringLiteral("%1://127.0.0.1:%2%3").arg(tls_ ? "https" : "http").arg(port_).arg(path);
}

bool LighttpdServer::Put(const QString& path, const QByteArray& content, const QDateTime& modified)
{
    const QString file = root_.path() + path;
    if (!QDir().mkpath(QFileInfo(file).path()))
        return false;
    QFile f(file);
    if (!f.open(QIODevice::WriteOnly) || f.write(content) != content.size())
        return false;
    // Written out first: the close would otherwise stamp the file anew.
    if (modified.isValid() && (!f.flush() || !f.setFileTime(modified, QFileDevice::FileModificationTime)))
        return false;
    return true;
}

}  // namespace peertest
