#pragma once
// lighttpd on a free loopback port for the HTTP peer tests: a temporary
// document root (Put writes files into it, with a chosen modification time),
// mimetype.assign set (without it lighttpd sends no Last-Modified), redirect
// rules, and Basic authentication from a plain user file for one folder.
#include <QByteArray>
#include <QDateTime>
#include <QList>
#include <QPair>
#include "peers/StartPeer.h"

#include <QString>
#include <QTemporaryDir>
#include <memory>

namespace nettest {
class Daemon;
}

namespace peertest {

struct LighttpdOptions {
    // url.redirect rules: a regular expression of the path and its target
    // ("$1" takes the first group); lighttpd answers them with 301.
    QList<QPair<QString, QString>> redirects;
    // Folder (e.g. "/private/") that asks for Basic credentials; empty: none.
    QString protectedFolder;
    QString user = QStringLiteral("station");
    QString password = QStringLiteral("apt-137");
    // Certificate and key (PEM) in one file: the server answers https only.
    QString tlsPemFile;
};

class LighttpdServer {
public:
    LighttpdServer();
    ~LighttpdServer();

    // Empty when running; otherwise why not (Missing() tells a skip).
    QString Start(const LighttpdOptions& options = {});
    bool Missing() const { return missing_; }
    int Port() const { return port_; }
    QString Root() const { return root_.path(); }
    // "http://127.0.0.1:<port>" (https with TLS) followed by path (which
    // begins with "/").
    QString Url(const QString& path) const;
    // Writes a document below the root (folders made as needed); a valid
    // modified time becomes the file's time, which lighttpd sends as
    // Last-Modified. False when it cannot be written.
    bool Put(const QString& path, const QByteArray& content, const QDateTime& modified = {});

private:
    QTemporaryDir root_;
    std::unique_ptr<nettest::Daemon> daemon_;
    int port_ = 0;
    bool missing_ = false;
    bool tls_ = false;
};

}  // namespace peertest

// Starts the server with the given options; skips the test when lighttpd is
// not installed, fails it when the server does not come up.
#define START_LIGHTTPD(server, ...) START_PEER(server, "lighttpd", __VA_ARGS__)
