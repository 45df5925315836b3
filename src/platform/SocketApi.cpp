#include "platform/SocketApi.h"

#include "platform/Messages.h"

#include <QMetaObject>
#include <QPointer>
#include <QSocketNotifier>
#include <QThread>

#include <algorithm>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <memory>
#include <mutex>
#include <netdb.h>
#include <sys/ioctl.h>
#include <unistd.h>
#include <unordered_map>

namespace wsock {
namespace {

thread_local int lastError = 0;

// One open socket. The select fields are used on the thread that registered
// the notifications, like every call on the socket.
struct Entry {
    int fd = -1;
    int type = SOCK_STREAM;
    QPointer<TMessageTarget> target;
    unsigned msg = 0;
    int events = 0;
    std::unique_ptr<QSocketNotifier> readNotifier;
    std::unique_ptr<QSocketNotifier> writeNotifier;
    bool connectPending = false;  // FD_CONNECT still owed
    bool closePosted = false;     // FD_CLOSE (or a failed FD_CONNECT) was posted: nothing more to read
    bool writeOwed = false;       // FD_WRITE due when the socket can take data
};

// Never destroyed: sockets left open at exit must not outlive the event loop
// in a static destructor.
std::mutex& TableMutex()
{
    static auto* mutex = new std::mutex;
    return *mutex;
}
std::unordered_map<TSocket, std::shared_ptr<Entry>>& Table()
{
    static auto* table = new std::unordered_map<TSocket, std::shared_ptr<Entry>>;
    return *table;
}
std::atomic<std::int64_t> nextGeneration{1};

std::shared_ptr<Entry> Find(TSocket s)
{
    std::lock_guard lock(TableMutex());
    auto it = Table().find(s);
    if (it == Table().end()) {
        lastError = WSAENOTSOCK;
        return nullptr;
    }
    return it->second;
}

int Fail(int error)
{
    lastError = error;
    return SOCKET_ERROR;
}

int FailErrno() { return Fail(ErrorFromErrno(errno)); }

void SetEnabled(QSocketNotifier* notifier, bool on)
{
    if (!notifier || notifier->isEnabled() == on)
        return;
    if (notifier->thread() == QThread::currentThread())
        notifier->setEnabled(on);
    else
        QMetaObject::invokeMethod(notifier, [notifier, on] { notifier->setEnabled(on); }, Qt::QueuedConnection);
}

void DropNotifier(std::unique_ptr<QSocketNotifier>& notifier)
{
    if (!notifier)
        return;
    if (notifier->thread() == QThread::currentThread()) {
        notifier->setEnabled(false);
        notifier.reset();
    } else {
        notifier.release()->deleteLater();
    }
}

// Matches the notifiers to what is owed: a level-triggered notifier left on
// would fire again and again until someone reads.
void Rearm(Entry& e)
{
    const bool wantRead = !e.connectPending && !e.closePosted && (e.events & (FD_READ | FD_ACCEPT | FD_CLOSE));
    const bool wantWrite = e.connectPending || (e.writeOwed && (e.events & FD_WRITE));
    SetEnabled(e.readNotifier.get(), wantRead);
    SetEnabled(e.writeNotifier.get(), wantWrite);
}

void Post(Entry& e, TSocket s, int event, int error)
{
    if (e.target && (e.events & event))
        PostMessage(e.target, e.msg, static_cast<WPARAM>(s), MakeSelectLParam(event, error));
}

bool IsListening(int fd)
{
    int on = 0;
    socklen_t length = sizeof on;
    return ::getsockopt(fd, SOL_SOCKET, SO_ACCEPTCONN, &on, &length) == 0 && on;
}

void OnReadable(TSocket s)
{
    auto e = Find(s);
    if (!e || !e->readNotifier)
        return;
    e->readNotifier->setEnabled(false);
    if (e->connectPending || e->closePosted)
        return;
    if (IsListening(e->fd)) {
        Post(*e, s, FD_ACCEPT, 0);  // again after the next accept
        return;
    }
    if (e->type != SOCK_STREAM) {
        Post(*e, s, FD_READ, 0);
        return;
    }
    // Readable means data, the peer's close or a reset: a peek tells which.
    char byte = 0;
    const ssize_t r = ::recv(e->fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
    if (r > 0) {
        Post(*e, s, FD_READ, 0);
    } else if (r == 0) {
        e->closePosted = true;
        Post(*e, s, FD_CLOSE, 0);
    } else if (errno == EAGAIN || errno == EWOULDBLOCK || errno == EINTR) {
        Rearm(*e);
    } else {
        e->closePosted = true;
        Post(*e, s, FD_CLOSE, ErrorFromErrno(errno));
    }
}

void OnWritable(TSocket s)
{
    auto e = Find(s);
    if (!e || !e->writeNotifier)
        return;
    e->writeNotifier->setEnabled(false);
    if (e->connectPending) {
        int error = 0;
        socklen_t length = sizeof error;
        if (::getsockopt(e->fd, SOL_SOCKET, SO_ERROR, &error, &length) != 0)
            error = errno;
        e->connectPending = false;
        const int code = error ? ErrorFromErrno(error) : 0;
        if (code)
            e->closePosted = true;  // a failed attempt gives nothing more
        Post(*e, s, FD_CONNECT, code);
        if (!code) {
            e->writeOwed = false;
            Post(*e, s, FD_WRITE, 0);  // a new connection can take data at once
        }
        Rearm(*e);
        return;
    }
    e->writeOwed = false;
    Post(*e, s, FD_WRITE, 0);
}

void MakeNotifiers(Entry& e, TSocket s)
{
    e.readNotifier = std::make_unique<QSocketNotifier>(e.fd, QSocketNotifier::Read);
    e.writeNotifier = std::make_unique<QSocketNotifier>(e.fd, QSocketNotifier::Write);
    e.readNotifier->setEnabled(false);
    e.writeNotifier->setEnabled(false);
    QObject::connect(e.readNotifier.get(), &QSocketNotifier::activated, e.readNotifier.get(), [s] { OnReadable(s); });
    QObject::connect(e.writeNotifier.get(), &QSocketNotifier::activated, e.writeNotifier.get(), [s] { OnWritable(s); });
}

TSocket Adopt(int fd)
{
    auto e = std::make_shared<Entry>();
    e->fd = fd;
    socklen_t length = sizeof e->type;
    ::getsockopt(fd, SOL_SOCKET, SO_TYPE, &e->type, &length);
    const TSocket handle = (nextGeneration++ << 32) | static_cast<std::uint32_t>(fd);
    std::lock_guard lock(TableMutex());
    Table()[handle] = std::move(e);
    return handle;
}

void AfterRead(Entry& e)
{
    if (e.readNotifier)
        Rearm(e);
}

}  // namespace

int WSAGetLastError() { return lastError; }
void WSASetLastError(int error) { lastError = error; }

int ErrorFromErrno(int error)
{
    switch (error) {
    case 0: return 0;
    case EINTR: return WSAEINTR;
    case EBADF: return WSAEBADF;
    case EACCES:
    case EPERM: return WSAEACCES;
    case EFAULT: return WSAEFAULT;
    case EINVAL: return WSAEINVAL;
    case EMFILE:
    case ENFILE: return WSAEMFILE;
#if EAGAIN != EWOULDBLOCK
    case EWOULDBLOCK:
#endif
    case EAGAIN: return WSAEWOULDBLOCK;
    case EINPROGRESS: return WSAEINPROGRESS;
    case EALREADY: return WSAEALREADY;
    case ENOTSOCK: return WSAENOTSOCK;
    case EDESTADDRREQ: return WSAEDESTADDRREQ;
    case EMSGSIZE: return WSAEMSGSIZE;
    case EPROTOTYPE: return WSAEPROTOTYPE;
    case ENOPROTOOPT: return WSAENOPROTOOPT;
    case EPROTONOSUPPORT: return WSAEPROTONOSUPPORT;
    case ESOCKTNOSUPPORT: return WSAESOCKTNOSUPPORT;
    case EOPNOTSUPP: return WSAEOPNOTSUPP;
    case EPFNOSUPPORT: return WSAEPFNOSUPPORT;
    case EAFNOSUPPORT: return WSAEAFNOSUPPORT;
    case EADDRINUSE: return WSAEADDRINUSE;
    case EADDRNOTAVAIL: return WSAEADDRNOTAVAIL;
    case ENETDOWN: return WSAENETDOWN;
    case ENETUNREACH: return WSAENETUNREACH;
    case ENETRESET: return WSAENETRESET;
    case ECONNABORTED: return WSAECONNABORTED;
    // Linux reports a send to a connection the peer has ended as EPIPE;
    // Winsock calls that a reset.
    case EPIPE:
    case ECONNRESET: return WSAECONNRESET;
    case ENOBUFS:
    case ENOMEM: return WSAENOBUFS;
    case EISCONN: return WSAEISCONN;
    case ENOTCONN: return WSAENOTCONN;
    case ESHUTDOWN: return WSAESHUTDOWN;
    case ETOOMANYREFS: return WSAETOOMANYREFS;
    case ETIMEDOUT: return WSAETIMEDOUT;
    case ECONNREFUSED: return WSAECONNREFUSED;
    case ELOOP: return WSAELOOP;
    case ENAMETOOLONG: return WSAENAMETOOLONG;
    case EHOSTDOWN: return WSAEHOSTDOWN;
    case EHOSTUNREACH: return WSAEHOSTUNREACH;
    case ENOTEMPTY: return WSAENOTEMPTY;
    case EUSERS: return WSAEUSERS;
    case EDQUOT: return WSAEDQUOT;
    case ESTALE: return WSAESTALE;
    case EREMOTE: return WSAEREMOTE;
    default: return error;  // no Winsock counterpart: its text says so
    }
}

int ErrorFromGai(int error)
{
    switch (error) {
    case 0: return 0;
    case EAI_NONAME: return WSAHOST_NOT_FOUND;
    case EAI_AGAIN: return WSATRY_AGAIN;
#ifdef EAI_NODATA
    case EAI_NODATA:
#endif
#ifdef EAI_ADDRFAMILY
    case EAI_ADDRFAMILY:
#endif
        return WSANO_DATA;
    case EAI_MEMORY: return WSAENOBUFS;
    case EAI_SYSTEM: return ErrorFromErrno(errno);
    default: return WSANO_RECOVERY;
    }
}

TSocket socket(int family, int type, int protocol)
{
    const int fd = ::socket(family, type | SOCK_NONBLOCK | SOCK_CLOEXEC, protocol);
    if (fd < 0) {
        FailErrno();
        return INVALID_SOCKET;
    }
    return Adopt(fd);
}

int closesocket(TSocket s)
{
    std::shared_ptr<Entry> e;
    {
        std::lock_guard lock(TableMutex());
        auto it = Table().find(s);
        if (it == Table().end())
            return Fail(WSAENOTSOCK);
        e = std::move(it->second);
        Table().erase(it);
    }
    // Notifiers go before the descriptor: its number may be reused at once.
    DropNotifier(e->readNotifier);
    DropNotifier(e->writeNotifier);
    if (::close(e->fd) != 0 && errno != EINTR)
        return FailErrno();
    return 0;
}

int shutdown(TSocket s, int how)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    return ::shutdown(e->fd, how) == 0 ? 0 : FailErrno();
}

int bind(TSocket s, const sockaddr_in& address)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    return ::bind(e->fd, reinterpret_cast<const sockaddr*>(&address), sizeof address) == 0 ? 0 : FailErrno();
}

int connect(TSocket s, const sockaddr_in& address)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    const int r = ::connect(e->fd, reinterpret_cast<const sockaddr*>(&address), sizeof address);
    if (r != 0 && errno != EINPROGRESS)
        return FailErrno();
    if (e->type == SOCK_STREAM) {
        // Also an immediate success ends with FD_CONNECT, as on Windows.
        e->connectPending = true;
        Rearm(*e);
    }
    return r == 0 ? 0 : Fail(WSAEWOULDBLOCK);
}

int listen(TSocket s, int backlog)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    if (::listen(e->fd, backlog) != 0)
        return FailErrno();
    Rearm(*e);
    return 0;
}

TSocket accept(TSocket s, sockaddr_in* from)
{
    auto e = Find(s);
    if (!e)
        return INVALID_SOCKET;
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    const int fd = ::accept4(e->fd, reinterpret_cast<sockaddr*>(&peer), &length, SOCK_NONBLOCK | SOCK_CLOEXEC);
    const int error = errno;
    AfterRead(*e);
    if (fd < 0) {
        lastError = ErrorFromErrno(error);
        return INVALID_SOCKET;
    }
    if (from)
        *from = peer;
    return Adopt(fd);
}

int send(TSocket s, const void* data, int length, int flags)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    const ssize_t r = ::send(e->fd, data, static_cast<size_t>(std::max(length, 0)), flags | MSG_NOSIGNAL | MSG_DONTWAIT);
    if (r >= 0) {
        // Linux takes part of a send where Winsock would have said "would
        // block": the caller waits for FD_WRITE either way.
        if (r < length) {
            e->writeOwed = true;
            Rearm(*e);
        }
        return static_cast<int>(r);
    }
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK) {
        e->writeOwed = true;
        Rearm(*e);
    }
    return Fail(ErrorFromErrno(error));
}

int sendto(TSocket s, const void* data, int length, int flags, const sockaddr_in& to)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    const ssize_t r = ::sendto(e->fd, data, static_cast<size_t>(std::max(length, 0)), flags | MSG_NOSIGNAL | MSG_DONTWAIT,
                               reinterpret_cast<const sockaddr*>(&to), sizeof to);
    if (r >= 0)
        return static_cast<int>(r);
    const int error = errno;
    if (error == EAGAIN || error == EWOULDBLOCK) {
        e->writeOwed = true;
        Rearm(*e);
    }
    return Fail(ErrorFromErrno(error));
}

int recv(TSocket s, void* buffer, int length, int flags)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    ssize_t r;
    if (length <= 0 && e->type == SOCK_STREAM) {
        // Linux answers a zero-length read with 0 even when nothing came;
        // Winsock says "would block" then, and 0 only after the peer's close.
        char byte = 0;
        r = ::recv(e->fd, &byte, 1, MSG_PEEK | MSG_DONTWAIT);
        if (r > 0)
            r = 0;
    } else {
        r = ::recv(e->fd, buffer, static_cast<size_t>(std::max(length, 0)), flags | MSG_DONTWAIT);
    }
    const int error = errno;
    AfterRead(*e);
    if (r < 0)
        return Fail(ErrorFromErrno(error));
    return static_cast<int>(r);
}

int recvfrom(TSocket s, void* buffer, int length, int flags, sockaddr_in* from)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    sockaddr_in peer{};
    socklen_t peerLength = sizeof peer;
    const ssize_t r = ::recvfrom(e->fd, buffer, static_cast<size_t>(std::max(length, 0)), flags | MSG_DONTWAIT,
                                 reinterpret_cast<sockaddr*>(&peer), &peerLength);
    const int error = errno;
    AfterRead(*e);
    if (r < 0)
        return Fail(ErrorFromErrno(error));
    if (from)
        *from = peer;
    return static_cast<int>(r);
}

int setsockopt(TSocket s, int level, int name, const void* value, socklen_t length)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    return ::setsockopt(e->fd, level, name, value, length) == 0 ? 0 : FailErrno();
}

int getsockopt(TSocket s, int level, int name, void* value, socklen_t* length)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    return ::getsockopt(e->fd, level, name, value, length) == 0 ? 0 : FailErrno();
}

int getsockname(TSocket s, sockaddr_in* address)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    socklen_t length = sizeof *address;
    return ::getsockname(e->fd, reinterpret_cast<sockaddr*>(address), &length) == 0 ? 0 : FailErrno();
}

int getpeername(TSocket s, sockaddr_in* address)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    socklen_t length = sizeof *address;
    return ::getpeername(e->fd, reinterpret_cast<sockaddr*>(address), &length) == 0 ? 0 : FailErrno();
}

int BytesWaiting(TSocket s, unsigned long* count)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    int waiting = 0;
    if (::ioctl(e->fd, FIONREAD, &waiting) != 0)
        return FailErrno();
    *count = static_cast<unsigned long>(std::max(waiting, 0));
    return 0;
}

int WSAAsyncSelect(TSocket s, TMessageTarget* target, unsigned msg, int events)
{
    auto e = Find(s);
    if (!e)
        return SOCKET_ERROR;
    if (!target || events == 0) {
        DropNotifier(e->readNotifier);
        DropNotifier(e->writeNotifier);
        e->target = nullptr;
        e->events = 0;
        return 0;
    }
    if (e->readNotifier && e->readNotifier->thread() != QThread::currentThread()) {
        DropNotifier(e->readNotifier);
        DropNotifier(e->writeNotifier);
    }
    if (!e->readNotifier)
        MakeNotifiers(*e, s);
    e->target = target;
    e->msg = msg;
    e->events = events;
    // Winsock posts FD_WRITE at registration when a send could go out now:
    // a connected stream or any datagram socket.
    sockaddr_in peer{};
    socklen_t length = sizeof peer;
    e->writeOwed = e->type != SOCK_STREAM || ::getpeername(e->fd, reinterpret_cast<sockaddr*>(&peer), &length) == 0;
    Rearm(*e);
    return 0;
}

int DescriptorOf(TSocket s)
{
    auto e = Find(s);
    return e ? e->fd : -1;
}

}  // namespace wsock
