#pragma once
// tinyproxy on a free loopback port for the HTTP proxy tests: it listens on
// 127.0.0.1 and serves 127.0.0.1 only, optionally asking for Basic
// credentials (answered with 407 until they come).
#include "support/TestEnv.h"

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

#define START_TINYPROXY(server, ...)                                                     \
    do {                                                                                 \
        const QString problem = (server).Start(__VA_ARGS__);                            \
        if (!problem.isEmpty()) {                                                        \
            if ((server).Missing())                                                      \
                SKIP_MISSING("tinyproxy cannot run here: " << problem.toStdString());    \
            FAIL() << problem.toStdString();                                             \
        }                                                                                \
    } while (0)
