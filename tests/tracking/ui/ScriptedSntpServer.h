#pragma once
// A UDP server on 127.0.0.1 for the time check's tests: each request is
// handed to a script, whose bytes (if any) go back as one datagram. It
// answers what chronyd never would: shifted clocks, forged or short
// replies, or nothing at all.
#include "tracking/NtpTime.h"

#include <QByteArray>
#include <QString>
#include <arpa/inet.h>
#include <atomic>
#include <functional>
#include <netinet/in.h>
#include <poll.h>
#include <sys/socket.h>
#include <thread>
#include <unistd.h>

class ScriptedSntpServer {
public:
    using Script = std::function<QByteArray(const QByteArray& request)>;

    explicit ScriptedSntpServer(Script script) : script_(std::move(script))
    {
        fd_ = ::socket(AF_INET, SOCK_DGRAM | SOCK_CLOEXEC, 0);
        sockaddr_in a{};
        a.sin_family = AF_INET;
        a.sin_addr.s_addr = htonl(INADDR_LOOPBACK);
        ::bind(fd_, reinterpret_cast<sockaddr*>(&a), sizeof a);
        socklen_t length = sizeof a;
        ::getsockname(fd_, reinterpret_cast<sockaddr*>(&a), &length);
        port_ = ntohs(a.sin_port);
        thread_ = std::thread([this] { Run(); });
    }
    ~ScriptedSntpServer()
    {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    QString Port() const { return QString::number(port_); }
    int Requests() const { return requests_; }

    // A server's reply to request: mode 4, stratum 2, the request's transmit
    // stamp as originate, and receive and transmit stamps of the server's
    // clock, which is the requester's moved by offsetSeconds.
    static QByteArray Reply(const QByteArray& request, double offsetSeconds)
    {
        QByteArray reply(48, '\0');
        reply[0] = 0x1C;  // version 3, server
        reply[1] = 2;
        auto* bytes = reinterpret_cast<std::uint8_t*>(reply.data());
        const auto* asked = reinterpret_cast<const std::uint8_t*>(request.constData());
        const NtpTimestamp sent = NtpFromNetwork(asked + 40);
        NtpToNetwork(sent, bytes + 24);
        const NtpTimestamp server = NtpAddSeconds(sent, offsetSeconds);
        NtpToNetwork(server, bytes + 32);
        NtpToNetwork(server, bytes + 40);
        return reply;
    }

private:
    void Run()
    {
        while (!stop_) {
            pollfd p{fd_, POLLIN, 0};
            if (::poll(&p, 1, 50) != 1)
                continue;
            char buffer[512];
            sockaddr_in from{};
            socklen_t length = sizeof from;
            const ssize_t n = ::recvfrom(fd_, buffer, sizeof buffer, 0, reinterpret_cast<sockaddr*>(&from), &length);
            if (n <= 0)
                continue;
            ++requests_;
            const QByteArray answer = script_(QByteArray(buffer, static_cast<int>(n)));
            if (!answer.isEmpty())
                ::sendto(fd_, answer.constData(), answer.size(), 0, reinterpret_cast<sockaddr*>(&from), length);
        }
    }

    Script script_;
    int fd_ = -1;
    int port_ = 0;
    std::atomic<int> requests_{0};
    std::atomic<bool> stop_{false};
    std::thread thread_;
};
