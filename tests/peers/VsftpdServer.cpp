#include "peers/VsftpdServer.h"

#include "support/Daemon.h"
#include "support/LoopbackPeer.h"

#include <QDir>
#include <QElapsedTimer>
#include <QFile>
#include <QRegularExpression>
#include <QStandardPaths>
#include <QThread>
#include <csignal>
#include <pwd.h>
#include <unistd.h>

namespace peertest {
namespace {

const char kConfig[] = R"(listen=YES
listen_address=127.0.0.1
listen_port=%1
background=NO
anonymous_enable=YES
local_enable=NO
write_enable=YES
anon_upload_enable=YES
anon_mkdir_write_enable=YES
anon_other_write_enable=YES
anon_umask=022
anon_root=%2
no_anon_password=%3
secure_chroot_dir=%4
seccomp_sandbox=NO
isolate=NO
isolate_network=NO
pasv_enable=YES
port_enable=YES
connect_from_port_20=NO
anon_max_rate=%5
xferlog_enable=YES
xferlog_std_format=NO
log_ftp_protocol=YES
vsftpd_log_file=%6
)";

// vsftpd gives every session a process session (and group) of its own:
// the listener's group alone does not hold them. The sessions are the
// listener's children; each group is killed with all its processes.
void KillServer(pid_t listener, int signal)
{
    QList<pid_t> groups{listener};
    for (const QString& entry : QDir("/proc").entryList(QDir::Dirs)) {
        bool number = false;
        const pid_t pid = entry.toInt(&number);
        if (!number)
            continue;
        QFile stat("/proc/" + entry + "/stat");
        if (!stat.open(QIODevice::ReadOnly))
            continue;
        // "pid (comm) state ppid ...": the name may hold blanks, so read after ")".
        const QByteArray text = stat.readAll();
        const QList<QByteArray> fields = text.mid(text.lastIndexOf(')') + 2).split(' ');
        if (fields.size() > 1 && fields[1].toInt() == listener)
            groups << pid;
    }
    for (const pid_t group : groups)
        ::kill(-group, signal);
}

}  // namespace

VsftpdServer::VsftpdServer() : ownRoot_(std::make_unique<QTemporaryDir>()), root_(ownRoot_->path()) {}

VsftpdServer::VsftpdServer(const QString& root) : root_(root) {}

VsftpdServer::~VsftpdServer()
{
    if (group_ > 0 && vanished_) {
        process_->waitForFinished(5000);
    } else if (group_ > 0) {
        KillServer(static_cast<pid_t>(group_), SIGKILL);
        process_->waitForFinished(5000);
    }
}

QString VsftpdServer::Start(const VsftpdOptions& options)
{
    const QString program = QStandardPaths::findExecutable("vsftpd", {"/usr/sbin", "/usr/bin", "/sbin"});
    const passwd* ftpUser = ::getpwnam("ftp");
    if (program.isEmpty() || !ftpUser) {
        missing_ = true;
        return program.isEmpty() ? "vsftpd is not installed (scripts/setup-deps.sh installs it)"
                                 : "the system has no \"ftp\" user for anonymous log-in (the vsftpd package makes it)";
    }
    // vsftpd refuses a writable anonymous root: the root is the superuser's,
    // "pub" the anonymous user's.
    QFile::setPermissions(root_, QFileDevice::ReadOwner | QFileDevice::WriteOwner | QFileDevice::ExeOwner |
                                     QFileDevice::ReadGroup | QFileDevice::ExeGroup | QFileDevice::ReadOther |
                                     QFileDevice::ExeOther);
    QDir(root_).mkpath("pub");
    if (::chown(QFile::encodeName(Pub()).constData(), ftpUser->pw_uid, ftpUser->pw_gid) != 0) {
        missing_ = true;
        return "cannot give " + Pub() + " to the ftp user (the tests must run as root)";
    }
    port_ = options.port > 0 ? options.port : nettest::UnusedPort();
    QDir(config_.path()).mkdir("empty");
    const QString config = QString::fromLatin1(kConfig)
                               .arg(port_)
                               .arg(root_, options.loginWithoutPassword ? "YES" : "NO", config_.filePath("empty"))
                               .arg(options.bytesPerSecond)
                               .arg(config_.filePath("vsftpd.log"));
    QFile file(config_.filePath("vsftpd.conf"));
    if (!file.open(QIODevice::WriteOnly) || file.write(config.toUtf8()) < 0)
        return "cannot write " + file.fileName();
    file.close();

    process_ = std::make_unique<QProcess>();
    process_->setProcessChannelMode(QProcess::MergedChannels);
    process_->setChildProcessModifier([] { ::setsid(); });
    process_->start(program, {file.fileName()});
    if (!process_->waitForStarted(5000))
        return "vsftpd did not start: " + process_->errorString();
    group_ = process_->processId();
    QElapsedTimer timer;
    timer.start();
    while (!nettest::TcpPortOpen(port_)) {
        if (process_->state() == QProcess::NotRunning || timer.elapsed() > 10000) {
            process_->waitForReadyRead(100);
            return "vsftpd never became ready: " + QString::fromLocal8Bit(process_->readAll());
        }
        QThread::msleep(20);
    }
    return {};
}

void VsftpdServer::Vanish()
{
    // Any thread may call this: only the signal is sent here; the process
    // object is reaped by the destructor on its own thread.
    if (group_ > 0 && !vanished_.exchange(true))
        KillServer(static_cast<pid_t>(group_), SIGKILL);
}

QStringList VsftpdServer::StoredPaths() const
{
    QFile log(config_.filePath("vsftpd.log"));
    QStringList paths;
    if (!log.open(QIODevice::ReadOnly))
        return paths;
    static const QRegularExpression stor("FTP command: Client \"[^\"]*\", \"STOR ([^\"]+)\"");
    for (const QByteArray& line : log.readAll().split('\n')) {
        const QRegularExpressionMatch m = stor.match(QString::fromUtf8(line));
        if (m.hasMatch())
            paths << m.captured(1);
    }
    return paths;
}

}  // namespace peertest
