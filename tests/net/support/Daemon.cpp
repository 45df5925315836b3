#include "support/Daemon.h"

#include <QElapsedTimer>
#include <QStandardPaths>
#include <QThread>

#include <arpa/inet.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nettest {

Daemon::~Daemon()
{
    if (process_ && process_->state() != QProcess::NotRunning) {
        process_->terminate();
        if (!process_->waitForFinished(5000))
            process_->kill();
        process_->waitForFinished(2000);
    }
}

bool Daemon::Start(const QString& program, const QStringList& args, const QString& configName, const QString& config,
                   const std::function<bool()>& ready, const QList<QPair<QString, QByteArray>>& extraFiles)
{
    const QString path = QStandardPaths::findExecutable(program, {"/usr/sbin", "/usr/bin", "/sbin", "/bin"});
    if (path.isEmpty()) {
        missing_ = true;
        problem_ = program + " is not installed (scripts/setup-deps.sh installs it)";
        return false;
    }
    QFile file(dir_.filePath(configName));
    if (!file.open(QIODevice::WriteOnly) || file.write(QString(config).replace("%DIR%", dir_.path()).toUtf8()) < 0) {
        problem_ = "cannot write " + file.fileName();
        return false;
    }
    file.close();
    for (const auto& [name, content] : extraFiles) {
        QFile extra(dir_.filePath(name));
        if (!extra.open(QIODevice::WriteOnly) || extra.write(content) != content.size()) {
            problem_ = "cannot write " + extra.fileName();
            return false;
        }
    }
    QStringList arguments;
    for (const auto& a : args)
        arguments << QString(a).replace("%DIR%", dir_.path());
    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->start(path, arguments);
    if (!process_->waitForStarted(5000)) {
        problem_ = program + " did not start: " + process_->errorString();
        return false;
    }
    QElapsedTimer timer;
    timer.start();
    while (!ready()) {
        if (process_->state() == QProcess::NotRunning || timer.elapsed() > 10000) {
            process_->waitForReadyRead(100);
            problem_ = program + " never became ready: " + QString::fromLocal8Bit(process_->readAll());
            return false;
        }
        QThread::msleep(50);
    }
    return true;
}

bool TcpPortOpen(int port)
{
    const int fd = ::socket(AF_INET, SOCK_STREAM | SOCK_CLOEXEC, 0);
    sockaddr_in a{};
    a.sin_family = AF_INET;
    a.sin_port = htons(static_cast<uint16_t>(port));
    a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    const bool open = ::connect(fd, reinterpret_cast<sockaddr*>(&a), sizeof a) == 0;
    ::close(fd);
    return open;
}

}  // namespace nettest
