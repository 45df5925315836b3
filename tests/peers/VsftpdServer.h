#pragma once
// vsftpd on a free loopback port for the upload tests: anonymous log-in
// (any password; the chrooted log-in folder is "/") with write rights below
// "pub" of a root folder that may outlive one server, passive data
// connections, and a protocol log to read the commands back. The server
// runs in a process group of its own, so that Vanish can take it away with
// every session, as a crashed or unplugged server would.
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <atomic>
#include <memory>

namespace uploadtest {

class VsftpdServer {
public:
    // root: the folder served; "pub" is made in it and given to the ftp user.
    explicit VsftpdServer(const QString& root) : root_(root) {}
    ~VsftpdServer();

    // Empty when running; otherwise why not (Missing() tells a skip).
    // bytesPerSecond > 0 slows every transfer down to that rate.
    QString Start(int bytesPerSecond = 0);
    bool Missing() const { return missing_; }
    int Port() const { return port_; }
    QString Pub() const { return root_ + "/pub"; }
    // Kills the server and all its sessions at once (SIGKILL); any thread.
    void Vanish();
    // The paths of the STOR commands received so far, in order.
    QStringList StoredPaths() const;

private:
    QString root_;
    QTemporaryDir config_;
    std::unique_ptr<QProcess> process_;
    qint64 group_ = 0;
    std::atomic<bool> vanished_{false};
    int port_ = 0;
    bool missing_ = false;
};

}  // namespace uploadtest

#define START_VSFTPD(server, ...)                                    \
    do {                                                             \
        const QString problem = (server).Start(__VA_ARGS__);        \
        if (!problem.isEmpty()) {                                    \
            if ((server).Missing())                                  \
                GTEST_SKIP() << "vsftpd cannot run here: " << problem.toStdString(); \
            FAIL() << problem.toStdString();                         \
        }                                                            \
    } while (0)
