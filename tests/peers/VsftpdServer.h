#pragma once
// vsftpd on a free loopback port for the peer tests: anonymous log-in (the
// chrooted log-in folder is "/") with write rights below "pub" of a root
// folder, passive and active data connections, and a protocol log to read
// the commands back. The server runs in a process group of its own, so that
// Vanish can take it away with every session, as a crashed or unplugged
// server would.
#include <QProcess>
#include "peers/StartPeer.h"

#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <memory>

namespace peertest {

struct VsftpdOptions {
    // USER is answered with 230: no password is asked for.
    bool loginWithoutPassword = false;
    // > 0 slows every transfer down to this rate.
    int bytesPerSecond = 0;
    // The port to listen on; 0 takes a free one. A server started again on
    // its predecessor's port stands for the same server coming back.
    int port = 0;
};

class VsftpdServer {
public:
    // Serves a temporary root of its own.
    VsftpdServer();
    // Serves root, which may outlive one server; "pub" is made in it and
    // given to the ftp user.
    explicit VsftpdServer(const QString& root);
    ~VsftpdServer();

    // Empty when running; otherwise why not (Missing() tells a skip).
    QString Start(const VsftpdOptions& options = {});
    bool Missing() const { return missing_; }
    int Port() const { return port_; }
    QString Pub() const { return root_ + "/pub"; }
    // Kills the server and all its sessions at once (SIGKILL); any thread.
    void Vanish();
    // The paths of the STOR commands received so far, in order.
    QStringList StoredPaths() const;

private:
    std::unique_ptr<QTemporaryDir> ownRoot_;
    QString root_;
    QTemporaryDir config_;
    std::unique_ptr<QProcess> process_;
    qint64 group_ = 0;
    std::atomic<bool> vanished_{false};
    int port_ = 0;
    bool missing_ = false;
};

}  // namespace peertest

// Starts the server with the given options; skips the test when vsftpd
// cannot run here, fails it when the server does not come up.
#define START_VSFTPD(server, ...) START_PEER(server, "vsftpd", __VA_ARGS__)
