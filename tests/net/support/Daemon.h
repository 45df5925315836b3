#pragma once
// A server program started by a test on loopback, with its own
// configuration file in a temporary folder, stopped when the test ends.
#include <QList>
#include <QPair>
#include <QProcess>
#include <QString>
#include <QStringList>
#include <QTemporaryDir>
#include <functional>
#include <memory>

namespace nettest {

class Daemon {
public:
    ~Daemon();
    // Finds the program (also in the sbin folders), writes config into the
    // temporary folder ("%DIR%" in it and in args becomes that folder),
    // writes the extra files (name, content) beside it, starts the program
    // and waits until ready() holds. False with Problem() set when the
    // program is missing or never became ready.
    bool Start(const QString& program, const QStringList& args, const QString& configName, const QString& config,
               const std::function<bool()>& ready, const QList<QPair<QString, QByteArray>>& extraFiles = {});
    QString Problem() const { return problem_; }
    bool Missing() const { return missing_; }

private:
    QTemporaryDir dir_;
    std::unique_ptr<QProcess> process_;
    QString problem_;
    bool missing_ = false;
};

// True once something accepts TCP connections on 127.0.0.1:port.
bool TcpPortOpen(int port);

}  // namespace nettest
