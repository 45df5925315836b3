#include "peers/TinyproxyServer.h"

#include "support/Daemon.h"
#include "support/LoopbackPeer.h"

namespace peertest {
namespace {

// In the foreground (-d); every CONNECT port is allowed when none is listed.
const char kConfig[] = R"(Port %1
Listen 127.0.0.1
Allow 127.0.0.1
Timeout 30
MaxClients 20
LogFile "%DIR%/tinyproxy.log"
LogLevel Info
PidFile "%DIR%/tinyproxy.pid"
)";

}  // namespace

TinyproxyServer::TinyproxyServer() = default;
TinyproxyServer::~TinyproxyServer() = default;

QString TinyproxyServer::Start(const TinyproxyOptions& options)
{
    port_ = nettest::UnusedPort();
    QString config = QString::fromLatin1(kConfig).arg(port_);
    if (!options.user.isEmpty() && !options.password.isEmpty())
        config += QStringLiteral("BasicAuth %1 %2\n").arg(options.user, options.password);
    daemon_ = std::make_unique<nettest::Daemon>();
    const int port = port_;
    if (!daemon_->Start(QStringLiteral("tinyproxy"), {QStringLiteral("-d"), QStringLiteral("-c"), QStringLiteral("%DIR%/tinyproxy.conf")},
                        QStringLiteral("tinyproxy.conf"), config, [port] { return nettest::TcpPortOpen(port); })) {
        missing_ = daemon_->Missing();
        return daemon_->Problem();
    }
    return {};
}

}  // namespace peertest
