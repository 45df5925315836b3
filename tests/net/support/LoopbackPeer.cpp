#include "support/LoopbackPeer.h"

#include "platform/Messages.h"

#include <QElapsedTimer>

#include <arpa/inet.h>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <unistd.h>

namespace nettest {
namespace {

int BindLoopback(int type, int& port)
{
    const int fd = ::socket(AF_INET, type | SOCK_CLOEXEC, 0);
    sockaddr_in address{};
    address.sin_family = AF_INET;
    address.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
    ::bind(fd, reinterpret_cast<sockaddr*>(&address), sizeof address);
    socklen_t length = sizeof address;
    ::getsockname(fd, reinterpret_cast<sockaddr*>(&address), &length);
    port = ntohs(address.sin_port);
    return fd;
}

}  // namespace

TcpPeer::TcpPeer(Session session, int maxSessions) : session_(std::move(session))
{
    listenFd_ = BindLoopback(SOCK_STREAM, port_);
    ::listen(listenFd_, 8);
    acceptor_ = std::thread([this, maxSessions] {
        for (int i = 0; i < maxSessions; ++i) {
            const int fd = ::accept(listenFd_, nullptr, nullptr);
            if (fd < 0)
                return;  // the listener was shut down
            sessions_.emplace_back([this, fd] {
                session_(fd);
                ::close(fd);
            });
        }
    });
}

TcpPeer::~TcpPeer()
{
    ::shutdown(listenFd_, SHUT_RDWR);
    acceptor_.join();
    for (auto& t : sessions_)
        t.join();
    ::close(listenFd_);
}

QByteArray TcpPeer::Received() const
{
    std::lock_guard lock(mutex_);
    return received_;
}

void TcpPeer::Record(const QByteArray& bytes)
{
    std::lock_guard lock(mutex_);
    received_ += bytes;
}

UdpEchoPeer::UdpEchoPeer()
{
    fd_ = BindLoopback(SOCK_DGRAM, port_);
    thread_ = std::thread([this] {
        char buffer[2048];
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) <= 0)
                continue;
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (n > 0)
                ::sendto(fd_, buffer, static_cast<size_t>(n), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    });
}

UdpEchoPeer::~UdpEchoPeer()
{
    stop_ = true;
    thread_.join();
    ::close(fd_);
}

QByteArray ReadExactly(int fd, int count)
{
    QByteArray bytes;
    char buffer[4096];
    while (bytes.size() < count) {
        const ssize_t n = ::recv(fd, buffer, std::min<size_t>(sizeof buffer, static_cast<size_t>(count - bytes.size())), 0);
        if (n <= 0)
            break;
        bytes.append(buffer, static_cast<int>(n));
    }
    return bytes;
}

QByteArray ReadUntil(int fd, const QByteArray& end)
{
    QByteArray bytes;
    char c;
    while (!bytes.endsWith(end) && ::recv(fd, &c, 1, 0) == 1)
        bytes.append(c);
    return bytes;
}

void WriteAll(int fd, const QByteArray& bytes)
{
    qsizetype done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::send(fd, bytes.constData() + done, static_cast<size_t>(bytes.size() - done), MSG_NOSIGNAL);
        if (n <= 0)
            return;
        done += n;
    }
}

QByteArray ReadToEnd(int fd)
{
    QByteArray bytes;
    char buffer[65536];
    for (;;) {
        const ssize_t n = ::recv(fd, buffer, sizeof buffer, 0);
        if (n <= 0)
            return bytes;
        bytes.append(buffer, static_cast<int>(n));
    }
}

void ResetConnection(int fd)
{
    linger li{1, 0};
    ::setsockopt(fd, SOL_SOCKET, SO_LINGER, &li, sizeof li);
}

int UnusedPort()
{
    int port = 0;
    const int fd = BindLoopback(SOCK_STREAM, port);
    ::close(fd);  // bound, never listened: connections are refused
    return port;
}

bool PumpUntil(const std::function<bool()>& done, int timeoutMs)
{
    QElapsedTimer timer;
    timer.start();
    while (!done()) {
        if (timer.elapsed() > timeoutMs)
            return false;
        PumpMessages(20);
    }
    return true;
}

void PumpFor(int ms)
{
    QElapsedTimer timer;
    timer.start();
    while (timer.elapsed() < ms)
        PumpMessages(10);
}

}  // namespace nettest
