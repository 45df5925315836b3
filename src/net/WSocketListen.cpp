// Listening (TCP), receiving on a fixed local port (UDP, optionally in a
// multicast group) or capturing raw packets; adopting an accepted socket;
// pausing notifications; moving a component to another thread; and the
// address getters.
#include "net/CustomWSocket.h"

#include "net/WSocketResolve.h"

#include <QThread>

#include <arpa/inet.h>

using namespace wsock;

namespace {

QString ErrorText() { return QStringLiteral("error"); }

}  // namespace

// The socket is not bound yet, so Close() would see nothing to do: the
// descriptor is released here before the error is reported (which may
// throw), or every failed try would leak one.
void TCustomWSocket::ReleaseAndReport(const QString& sockFunc)
{
    const int code = WSAGetLastError();
    wsock::closesocket(SocketHandle);
    SocketHandle = INVALID_SOCKET;
    WSASetLastError(code);
    SocketError(sockFunc);
}

void TCustomWSocket::Listen()
{
    const char* missing = !PortSet ? "listen: port not assigned"
                          : !ProtoSet ? "listen: protocol not assigned"
                          : !AddrSet  ? "listen: address not assigned"
                                      : nullptr;
    if (missing) {
        WSASetLastError(WSAEINVAL);
        SocketError(QString::fromLatin1(missing));
        return;
    }
    try {
        if (!ProtoReady) {
            if (FProto.left(4).compare(QLatin1String("raw_"), Qt::CaseInsensitive) == 0) {
                SocketType = SOCK_RAW;
                ProtoNumber = WSocketResolveProto(FProto.mid(4, 10));
            } else {
                ProtoNumber = WSocketResolveProto(FProto);
                SocketType = ProtoNumber == IPPROTO_UDP ? SOCK_DGRAM : SOCK_STREAM;
            }
            ProtoReady = true;
        }
        if (!PortReady) {
            PortNumber = WSocketResolvePort(FPort, FProto);
            RemoteSockAddr.sin_port = htons(static_cast<uint16_t>(PortNumber));
            PortReady = true;
        }
        if (!AddrReady) {
            RemoteSockAddr.sin_addr.s_addr = WSocketResolveHost(FAddr);
            AddrReady = true;
        }
    } catch (const std::exception& e) {
        RaiseException(QStringLiteral("listen: ") + QString::fromStdString(e.what()));
        return;
    }

    DeleteBufferedData();
    SocketHandle = wsock::socket(AF_INET, SocketType, ProtoNumber);
    if (SocketHandle == INVALID_SOCKET) {
        SocketError(QStringLiteral("socket"));
        return;
    }
    const int on = 1;
    if (SocketType == SOCK_DGRAM && ReuseAddr && wsock::setsockopt(SocketHandle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
        ReleaseAndReport(QStringLiteral("wsock::setsockopt(SO_REUSEADDR)"));
        return;
    }
    if (wsock::bind(SocketHandle, RemoteSockAddr) != 0) {
        ReleaseAndReport(QStringLiteral("Bind"));
        return;
    }
    const TAliveGuard guard = AliveGuard();
    ChangeState(wsBound);
    if (Gone(guard))
        return;

    if (SocketType == SOCK_STREAM) {
        if (wsock::listen(SocketHandle, ListenBacklog) != 0) {
            SocketError(QStringLiteral("Listen"));
            return;
        }
        ChangeState(wsListening);
    } else if (SocketType == SOCK_DGRAM || SocketType == SOCK_RAW) {
        if (SocketType == SOCK_DGRAM && MultiCast) {
            ip_mreq request{};
            request.imr_multiaddr.s_addr = ::inet_addr(MultiCastAddrStr.trimmed().toLatin1().constData());
            request.imr_interface.s_addr = RemoteSockAddr.sin_addr.s_addr;
            if (wsock::setsockopt(SocketHandle, IPPROTO_IP, IP_ADD_MEMBERSHIP, &request, sizeof request) != 0) {
                SocketError(QStringLiteral("wsock::setsockopt(IP_ADD_MEMBERSHIP)"));
                return;
            }
        }
        // Receiving every packet of an interface is a Windows control; a
        // Linux raw socket already sees every packet of its protocol.
        ChangeState(wsListening);
        if (Gone(guard))
            return;
        ChangeState(wsConnected);
        if (Gone(guard))
            return;
        TriggerSessionConnectedSpecial(0);
    } else {
        SocketError(QStringLiteral("Listen: unexpected protocol."));
        return;
    }
    if (Gone(guard) || SocketHandle == INVALID_SOCKET)
        return;
    EventMask = FD_READ | FD_WRITE | FD_ACCEPT | FD_CLOSE;
    if (wsock::WSAAsyncSelect(SocketHandle, HiddenWindow, WM_ASYNCSELECT, EventMask) != 0)
        SocketError(QStringLiteral("WSAASyncSelect"));
}

TSocket TCustomWSocket::Accept()
{
    if (FState != wsListening) {
        WSASetLastError(WSAEINVAL);
        SocketError(QStringLiteral("not a listening socket"));
        return INVALID_SOCKET;
    }
    const TSocket accepted = wsock::accept(SocketHandle, &RemoteSockAddr);
    if (accepted == INVALID_SOCKET) {
        SocketError(QStringLiteral("Accept"));
        return INVALID_SOCKET;
    }
    AcceptedHandle = accepted;
    return accepted;
}

void TCustomWSocket::Dup(TSocket NewHSocket)
{
    if (NewHSocket == 0 || NewHSocket == INVALID_SOCKET) {
        WSASetLastError(WSAEINVAL);
        SocketError(QStringLiteral("Dup"));
        return;
    }
    const TAliveGuard guard = AliveGuard();
    if (FState != wsClosed) {
        const int r = wsock::closesocket(SocketHandle);
        SocketHandle = INVALID_SOCKET;
        if (r != 0) {
            SocketError(QStringLiteral("Dup (closesocket)"));
            return;
        }
        ChangeState(wsClosed);
        if (Gone(guard))
            return;
    }
    SocketHandle = NewHSocket;
    SetLingerOption();
    EventMask = FD_READ | FD_WRITE | FD_CONNECT | FD_CLOSE;
    if (wsock::WSAAsyncSelect(SocketHandle, HiddenWindow, WM_ASYNCSELECT, EventMask) != 0) {
        SocketError(QStringLiteral("WSAAsyncSelect"));
        return;
    }
    DupConnected();
}

void TCustomWSocket::DupConnected() { ChangeState(wsConnected); }

void TCustomWSocket::Pause()
{
    NotificationsPaused = true;
    wsock::WSAAsyncSelect(SocketHandle, HiddenWindow, WM_ASYNCSELECT, 0);
}

void TCustomWSocket::Resume()
{
    NotificationsPaused = false;
    wsock::WSAAsyncSelect(SocketHandle, HiddenWindow, WM_ASYNCSELECT, EventMask);
}

void TCustomWSocket::ThreadDetach()
{
    if (QThread::currentThread() != OwnerThreadId) {
        RaiseException(QStringLiteral("Cannot detach from other thread"));
        return;
    }
    if (SocketHandle != INVALID_SOCKET)
        wsock::WSAAsyncSelect(SocketHandle, HiddenWindow, WM_ASYNCSELECT, 0);
    DeallocateSocketHWnd();
}

void TCustomWSocket::ThreadAttach()
{
    if (HiddenWindow) {
        RaiseException(QStringLiteral("Cannot attach when not detached"));
        return;
    }
    AllocateSocketHWnd();
    if (SocketHandle != INVALID_SOCKET)
        wsock::WSAAsyncSelect(SocketHandle, HiddenWindow, WM_ASYNCSELECT, EventMask);
}

void TCustomWSocket::WaitForClose()
{
    const TAliveGuard guard = AliveGuard();
    while (SocketHandle != INVALID_SOCKET && FState != wsClosed) {
        MessagePump();
        if (Gone(guard) || QuitSeen || SocketHandle == INVALID_SOCKET)
            return;
        unsigned long waiting = 0;
        if (wsock::BytesWaiting(SocketHandle, &waiting) != 0)
            return;
        if (waiting > 0) {
            TriggerDataAvailable(0);
            if (Gone(guard) || SocketHandle == INVALID_SOCKET)
                return;
        }
        char none = 0;
        if (wsock::recv(SocketHandle, &none, 0, 0) <= 0) {
            FLastError = WSAGetLastError();
            if (FLastError != WSAEWOULDBLOCK)
                return;
        }
        MessagePump();
        if (Gone(guard) || QuitSeen)
            return;
    }
}

QString TCustomWSocket::GetXAddr()
{
    if (FState != wsBound && FState != wsConnected && FState != wsListening)
        return ErrorText();
    sockaddr_in local{};
    if (wsock::getsockname(SocketHandle, &local) != 0)
        return ErrorText();
    return WSocketAddrToStr(local.sin_addr.s_addr);
}

QString TCustomWSocket::GetXPort()
{
    if (FState != wsBound && FState != wsConnected && FState != wsListening)
        return ErrorText();
    sockaddr_in local{};
    if (wsock::getsockname(SocketHandle, &local) != 0)
        return ErrorText();
    return QString::number(ntohs(local.sin_port));
}

QString TCustomWSocket::GetPeerAddr()
{
    if (FState != wsConnected)
        return ErrorText();
    sockaddr_in peer{};
    if (wsock::getpeername(SocketHandle, &peer) != 0) {
        SocketError(QStringLiteral("GetPeerAddr"));
        return ErrorText();
    }
    return WSocketAddrToStr(peer.sin_addr.s_addr);
}

QString TCustomWSocket::GetPeerPort()
{
    if (FState != wsConnected)
        return ErrorText();
    sockaddr_in peer{};
    if (wsock::getpeername(SocketHandle, &peer) != 0) {
        SocketError(QStringLiteral("GetPeerPort"));
        return ErrorText();
    }
    return QString::number(ntohs(peer.sin_port));
}

int TCustomWSocket::GetPeerName(sockaddr_in& Name)
{
    if (FState != wsConnected)
        return SOCKET_ERROR;
    return wsock::getpeername(SocketHandle, &Name);
}

int TCustomWSocket::GetSockName(sockaddr_in& Name) { return wsock::getsockname(SocketHandle, &Name); }
