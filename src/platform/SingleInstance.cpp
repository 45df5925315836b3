#include "platform/SingleInstance.h"

#include <QByteArray>
#include <QDeadlineTimer>
#include <QFile>
#include <QObject>
#include <QSocketNotifier>
#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <fcntl.h>
#include <sys/file.h>
#include <sys/socket.h>
#include <sys/stat.h>
#include <sys/un.h>
#include <thread>
#include <unistd.h>

namespace {

// A start message is a short name; anything longer is not one of ours.
constexpr qsizetype kMaxMessageBytes = 256;
// Connections waiting for their message at once; more are refused.
constexpr std::size_t kMaxConnections = 8;

QString SystemError(int code)
{
    return QString::fromLocal8Bit(std::strerror(code));
}

bool FillAddress(const QString& path, sockaddr_un& address)
{
    const QByteArray encoded = QFile::encodeName(path);
    std::memset(&address, 0, sizeof address);
    address.sun_family = AF_UNIX;
    if (encoded.size() >= qsizetype(sizeof address.sun_path))
        return false;
    std::memcpy(address.sun_path, encoded.constData(), encoded.size());
    return true;
}

}  // namespace

struct TSingleInstance::Connection {
    QSocketNotifier* notifier = nullptr;  // owned by home_
    QByteArray data;
};

TSingleInstance::TSingleInstance(const QString& name, const QString& folder) : name_(name), folder_(folder) {}

TSingleInstance::~TSingleInstance()
{
    home_.reset();  // the notifiers go before their descriptors
    for (const auto& entry : connections_)
        ::close(entry.first);
    if (listenFd_ >= 0) {
        ::close(listenFd_);
        // Removed while the lock is still held, so it can never remove the
        // socket of a copy that starts next.
        ::unlink(QFile::encodeName(socketPath_).constData());
    }
    if (lockFd_ >= 0)
        ::close(lockFd_);
}

bool TSingleInstance::ResolvePaths()
{
    if (!socketPath_.isEmpty())
        return true;
    QString folder = folder_;
    if (folder.isEmpty())
        folder = qEnvironmentVariable("XDG_RUNTIME_DIR");
    if (folder.isEmpty()) {
        // Without a runtime folder: a folder of this user's alone, so no one
        // else can plant a socket or a lock under our name.
        folder = QString("/tmp/orvanta-%1").arg(::getuid());
        const QByteArray encoded = QFile::encodeName(folder);
        struct stat st {};
        if ((::mkdir(encoded.constData(), 0700) != 0 && errno != EEXIST) || ::lstat(encoded.constData(), &st) != 0) {
            error_ = QString("Unable to create the folder %1: %2").arg(folder, SystemError(errno));
            return false;
        }
        if (!S_ISDIR(st.st_mode) || st.st_uid != ::getuid() || (st.st_mode & 077) != 0) {
            error_ = QString("The folder %1 is not a private folder of this user").arg(folder);
            return false;
        }
    }
    const QString socketPath = folder + "/orvanta-" + name_ + ".socket";
    sockaddr_un address;
    if (!FillAddress(socketPath, address)) {
        error_ = QString("The socket path %1 is too long").arg(socketPath);
        return false;
    }
    socketPath_ = socketPath;
    lockPath_ = folder + "/orvanta-" + name_ + ".lock";
    return true;
}

TSingleInstance::TClaim TSingleInstance::Claim()
{
    if (listenFd_ >= 0)
        return First;
    if (!ResolvePaths())
        return Failed;
    lockFd_ = ::open(QFile::encodeName(lockPath_).constData(), O_RDWR | O_CREAT | O_CLOEXEC, 0600);
    if (lockFd_ < 0) {
        error_ = QString("Unable to open %1: %2").arg(lockPath_, SystemError(errno));
        return Failed;
    }
    if (::flock(lockFd_, LOCK_EX | LOCK_NB) != 0) {
        const int code = errno;
        ::close(lockFd_);
        lockFd_ = -1;
        if (code == EWOULDBLOCK)
            return Running;
        error_ = QString("Unable to lock %1: %2").arg(lockPath_, SystemError(code));
        return Failed;
    }
    // We hold the lock: whatever socket file is there was left by a copy
    // that ended without removing it.
    const QByteArray encodedSocket = QFile::encodeName(socketPath_);
    ::unlink(encodedSocket.constData());
    sockaddr_un address;
    FillAddress(socketPath_, address);
    listenFd_ = ::socket(AF_UNIX, SOCK_STREAM | SOCK_NONBLOCK | SOCK_CLOEXEC, 0);
    if (listenFd_ < 0 || ::bind(listenFd_, reinterpret_cast<sockaddr*>(&address), sizeof address) != 0 ||
        ::listen(listenFd_, int(kMaxConnections)) != 0) {
        error_ = QString("Unable to listen on %1: %2").arg(socketPath_, SystemError(errno));
        if (listenFd_ >= 0)
            ::close(listenFd_);
        listenFd_ = -1;
        ::close(lockFd_);
        lockFd_ = -1;
        return Failed;
    }
    home_ = std::make_unique<QObject>();
    listenNotifier_ = new QSocketNotifier(listenFd_, QSocketNotifier::Read, home_.get());
    QObject::connect(listenNotifier_, &QSocketNotifier::activated, home_.get(), [this] { Accept(); });
    return First;
}

bool TSingleInstance::Signal(const QString& message, int waitMs)
{
    if (!ResolvePaths())
        return false;
    sockaddr_un address;
    FillAddress(socketPath_, address);
    const QDeadlineTimer deadline(waitMs);
    int fd = -1;
    for (;;) {
        fd = ::socket(AF_UNIX, SOCK_STREAM | SOCK_CLOEXEC, 0);
        if (fd < 0) {
            error_ = QString("Unable to make a socket: %1").arg(SystemError(errno));
            return false;
        }
        const timeval timeout{std::max<long>(1, deadline.remainingTime() / 1000), 0};
        ::setsockopt(fd, SOL_SOCKET, SO_SNDTIMEO, &timeout, sizeof timeout);
        if (::connect(fd, reinterpret_cast<sockaddr*>(&address), sizeof address) == 0)
            break;
        const int code = errno;
        ::close(fd);
        // The running copy may hold the lock but not listen yet: there is
        // nothing to wait on but time.
        if ((code == ENOENT || code == ECONNREFUSED || code == EAGAIN) && !deadline.hasExpired()) {
            std::this_thread::sleep_for(std::chrono::milliseconds(50));
            continue;
        }
        error_ = QString("Unable to reach the running copy at %1: %2").arg(socketPath_, SystemError(code));
        return false;
    }
    const QByteArray bytes = message.toUtf8().left(kMaxMessageBytes);
    qsizetype sent = 0;
    while (sent < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + sent, bytes.size() - sent, MSG_NOSIGNAL);
        if (n < 0 && errno == EINTR)
            continue;
        if (n <= 0) {
            error_ = QString("Unable to send to the running copy at %1: %2").arg(socketPath_, SystemError(errno));
            ::close(fd);
            return false;
        }
        sent += n;
    }
    ::shutdown(fd, SHUT_WR);
    ::close(fd);
    return true;
}

void TSingleInstance::Accept()
{
    for (;;) {
        const int fd = ::accept4(listenFd_, nullptr, nullptr, SOCK_NONBLOCK | SOCK_CLOEXEC);
        if (fd < 0)
            return;  // EAGAIN: all taken; anything else: the next round retries
        if (connections_.size() >= kMaxConnections) {
            ::close(fd);
            continue;
        }
        auto connection = std::make_unique<Connection>();
        connection->notifier = new QSocketNotifier(fd, QSocketNotifier::Read, home_.get());
        QObject::connect(connection->notifier, &QSocketNotifier::activated, home_.get(), [this, fd] { ReadFrom(fd); });
        connections_[fd] = std::move(connection);
        ReadFrom(fd);  // the message is usually there already
    }
}

void TSingleInstance::ReadFrom(int fd)
{
    auto it = connections_.find(fd);
    if (it == connections_.end())
        return;
    char chunk[kMaxMessageBytes];
    for (;;) {
        const ssize_t n = ::recv(fd, chunk, sizeof chunk, 0);
        if (n > 0) {
            it->second->data.append(chunk, n);
            if (it->second->data.size() > kMaxMessageBytes)
                return Drop(fd);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && (errno == EAGAIN || errno == EWOULDBLOCK))
            return;
        // End of the message (or a broken sender: nothing to deliver).
        const QByteArray message = it->second->data;
        Drop(fd);
        if (n == 0 && !message.isEmpty() && OnMessage)
            OnMessage(QString::fromUtf8(message));
        return;
    }
}

void TSingleInstance::Drop(int fd)
{
    auto it = connections_.find(fd);
    if (it == connections_.end())
        return;
    // Called from the notifier's own signal: it is deleted later, not here.
    it->second->notifier->setEnabled(false);
    it->second->notifier->deleteLater();
    ::close(fd);
    connections_.erase(it);
}
