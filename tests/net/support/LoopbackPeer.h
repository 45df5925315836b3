#pragma once
// Real peers for the socket tests, on 127.0.0.1 only: a TCP listener whose
// sessions run a script on their own thread with plain blocking sockets,
// and a UDP echo. The component under test runs on the test's thread and is
// driven by pumping that thread's messages.
#include <QByteArray>
#include <atomic>
#include <functional>
#include <mutex>
#include <thread>
#include <vector>

namespace nettest {

// What a session does with its accepted connection (a blocking descriptor).
using Session = std::function<void(int fd)>;

class TcpPeer {
public:
    // Accepts up to maxSessions connections, each running session.
    explicit TcpPeer(Session session, int maxSessions = 1);
    ~TcpPeer();
    int Port() const { return port_; }
    QByteArray PortText() const { return QByteArray::number(port_); }
    // Everything the sessions received so far (sessions that record it).
    QByteArray Received() const;
    void Record(const QByteArray& bytes);

private:
    int listenFd_ = -1;
    int port_ = 0;
    Session session_;
    std::thread acceptor_;
    std::vector<std::thread> sessions_;
    mutable std::mutex mutex_;
    QByteArray received_;
};

class UdpEchoPeer {
public:
    UdpEchoPeer();
    ~UdpEchoPeer();
    int Port() const { return port_; }

private:
    int fd_ = -1;
    int port_ = 0;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

// Session helpers (blocking).
QByteArray ReadExactly(int fd, int count);
QByteArray ReadUntil(int fd, const QByteArray& end);
void WriteAll(int fd, const QByteArray& bytes);
// Reads until the other side closes; returns everything.
QByteArray ReadToEnd(int fd);
// Ends the connection with a reset instead of an orderly close.
void ResetConnection(int fd);

// A port on 127.0.0.1 where nothing listens.
int UnusedPort();

// Pumps the calling thread's messages until done() or the time-out; false
// on time-out.
bool PumpUntil(const std::function<bool()>& done, int timeoutMs = 5000);
// Pumps for a while (to show that something does not happen).
void PumpFor(int ms);

}  // namespace nettest
