#pragma once
// tinyproxy on a free loopback port for the HTTP proxy tests: it listens on
// 127.0.0.1 and serves 127.0.0.1 only, optionally asking for Basic
// credentials (answered with 407 until they come).
#include "peers/StartPeer.h"

#include <QString>
#include <memory>

namespace nettest {
class Daemon;
}

namespace peertest {

struct TinyproxyOptions {
    // Both set: the proxy asks for them.
    QString user;
    QString password;
};

class TinyproxyServer {
public:
    TinyproxyServer();
    ~TinyproxyServer();

    // Empty when running; otherwise why not (Missing() tells a skip).
    QString Start(const TinyproxyOptions& options = {});
    bool Missing() const { return missing_; }
    int Port() const { return port_; }

private:
    std::unique_ptr<nettest::Daemon> daemon_;
    int port_ = 0;
    bool missing_ = false;
};

}  // namespace peertest

#define START_TINYPROXY(server, ...) START_PEER(server, "tinyproxy", __VA_ARGS__)
