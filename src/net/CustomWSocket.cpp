#include "net/CustomWSocket.h"

#include "net/WSocketResolve.h"

#include <QDeadlineTimer>
#include <QThread>

#include <arpa/inet.h>
#include <netinet/tcp.h>

using namespace wsock;

namespace {
constexpr int kDiscardChunkBytes = 1024;  // unread data is drained this much at a time
// A peer that never stops sending would keep the receive loop going for as
// long as it sends; after this long the loop hands back to the event loop,
// so a blocking caller pumping it sees its own deadline. The socket stays
// armed: the bytes still waiting are reported again at once.
constexpr int kReceiveRoundMs = 100;
}  // namespace

// --- construction and the hidden target ------------------------------------

TCustomWSocket::TCustomWSocket()
{
    AllocateSocketHWnd();
    AssignDefaultValue();
}

TCustomWSocket::~TCustomWSocket()
{
    destroying_ = true;
    try {
        CancelDnsLookup();
    } catch (...) {
    }
    // Frames further up the stack may be inside a handler of this object.
    lifeToken_.reset();
    if (FState != wsClosed) {
        try {
            Close();
        } catch (...) {
        }
    }
    if (SocketHandle != INVALID_SOCKET)
        wsock::closesocket(SocketHandle);
    DeleteBufferedData();
    DeallocateSocketHWnd();
}

void TCustomWSocket::AllocateSocketHWnd()
{
    HiddenWindow = new TMessageTarget([this](TMessage& msg) { DispatchMessage(msg); });
    OwnerThreadId = QThread::currentThread();
}

void TCustomWSocket::DeallocateSocketHWnd()
{
    if (!HiddenWindow)
        return;
    HiddenWindow->SetHandler({});
    if (dispatchDepth_ > 0)
        HiddenWindow->deleteLater();  // we are inside its event handler
    else
        delete HiddenWindow;
    HiddenWindow = nullptr;
}

void TCustomWSocket::DispatchMessage(TMessage& msg)
{
    const TAliveGuard guard = AliveGuard();
    ++dispatchDepth_;
    WndProc(msg);
    if (!Gone(guard))
        --dispatchDepth_;
}

void TCustomWSocket::WndProc(TMessage& Msg)
{
    const TAliveGuard guard = AliveGuard();
    try {
        switch (Msg.Msg) {
        case WM_ASYNCSELECT: WMASyncSelect(Msg); break;
        case WM_ASYNCGETHOSTBYNAME: WMAsyncGetHostByName(Msg); break;
        case WM_ASYNCGETHOSTBYADDR: WMAsyncGetHostByAddr(Msg); break;
        case WM_CLOSE_DELAYED: Close(); break;
        case WM_WSOCKET_RELEASE: delete this; break;
        case WM_TRIGGER_EXCEPTION: throw ESocketException(QStringLiteral("Test exception in WSocket"));
        default: break;
        }
    } catch (const std::exception& e) {
        // No exception may cross the event loop.
        if (!Gone(guard))
            HandleBackGroundException(e);
    } catch (...) {
        if (!Gone(guard))
            HandleBackGroundException(ESocketException(QStringLiteral("Unknown exception in WSocket")));
    }
}

void TCustomWSocket::CloseDelayed() { PostMessage(HiddenWindow, WM_CLOSE_DELAYED, 0, 0); }

void TCustomWSocket::Release() { PostMessage(HiddenWindow, WM_WSOCKET_RELEASE, 0, 0); }

// --- properties -------------------------------------------------------------

void TCustomWSocket::SetAddr(const QString& Value)
{
    const QString addr = Value.trimmed();
    if (AddrSet && addr == FAddr)
        return;
    if (FState != wsClosed) {
        RaiseException(QStringLiteral("Cannot change Addr if not closed"));
        return;
    }
    FAddr = addr;
    AddrSet = !FAddr.isEmpty();
    AddrReady = false;
}

void TCustomWSocket::SetRemotePort(const QString& Value)
{
    const QString port = Value.trimmed();
    if (PortSet && port == FPort)
        return;
    if (FState != wsClosed) {
        RaiseException(QStringLiteral("Cannot change Port if not closed"));
        return;
    }
    FPort = port;
    PortSet = !FPort.isEmpty();
    PortReady = false;
}

void TCustomWSocket::SetProto(const QString& Value)
{
    const QString proto = Value.trimmed();
    if (ProtoSet && proto == FProto)
        return;
    if (FState != wsClosed) {
        RaiseException(QStringLiteral("Cannot change Proto if not closed"));
        return;
    }
    FProto = proto;
    ProtoSet = !FProto.isEmpty();
    ProtoReady = false;
}

void TCustomWSocket::SetLocalAddr(const QString& Value)
{
    if (FState != wsClosed) {
        RaiseException(QStringLiteral("Cannot change LocalAddr if not closed"));
        return;
    }
    FLocalAddr = Value.isEmpty() ? QStringLiteral("0.0.0.0") : Value;
}

void TCustomWSocket::SetLocalPort(const QString& Value)
{
    if (FState != wsClosed) {
        RaiseException(QStringLiteral("Cannot change LocalPort if not closed"));
        return;
    }
    FLocalPort = Value;
    LocalPortReady = false;
}

TSocketSendFlags TCustomWSocket::SendFlags()
{
    if (SendFlagBits == 0)
        return wsSendNormal;
    if (SendFlagBits == MSG_OOB)
        return wsSendUrgent;
    RaiseException(QStringLiteral("Invalid internal SendFlags"));
    return wsSendNormal;
}

void TCustomWSocket::SetSendFlags(int Value)
{
    if (Value == wsSendNormal)
        SendFlagBits = 0;
    else if (Value == wsSendUrgent)
        SendFlagBits = MSG_OOB;
    else
        RaiseException(QStringLiteral("Invalid SendFlags"));
}

void TCustomWSocket::AssignDefaultValue()
{
    RemoteSockAddr = sockaddr_in{};
    RemoteSockAddr.sin_family = AF_INET;
    AddrSet = PortSet = false;
    AddrReady = PortReady = ProtoReady = LocalPortReady = false;
    ProtoSet = true;
    ProtoNumber = IPPROTO_TCP;
    FProto = QStringLiteral("tcp");
    SocketType = SOCK_STREAM;
    FLocalPort = QStringLiteral("0");
    FLocalAddr = QStringLiteral("0.0.0.0");
    LingerOnOff = wsLingerOn;
    LingerTimeout = 0;
    SocketHandle = INVALID_SOCKET;
    EventMask = 0;
    FState = wsClosed;
    EverythingSent = true;
    NotificationsPaused = false;
    FReadCount = 0;
    ClosedReported = false;
    FlushTimeout = 60;
}

// --- connecting -------------------------------------------------------------

void TCustomWSocket::Connect()
{
    if (SocketHandle != INVALID_SOCKET && FState != wsClosed) {
        RaiseException(QStringLiteral("Connect: Socket already in use"));
        return;
    }
    if (!PortSet) {
        RaiseException(QStringLiteral("Connect: No Port Specified"));
        return;
    }
    if (!AddrSet) {
        RaiseException(QStringLiteral("Connect: No IP Address Specified"));
        return;
    }
    if (!ProtoSet) {
        RaiseException(QStringLiteral("Connect: No Protocol Specified"));
        return;
    }
    try {
        if (!ProtoReady) {
            ProtoNumber = WSocketResolveProto(FProto);
            SocketType = ProtoNumber == IPPROTO_TCP ? SOCK_STREAM : ProtoNumber == IPPROTO_UDP ? SOCK_DGRAM : SOCK_RAW;
            ProtoReady = true;
        }
        if (!PortReady) {
            PortNumber = WSocketResolvePort(FPort, FProto);
            RemoteSockAddr.sin_port = htons(static_cast<uint16_t>(PortNumber));
            PortReady = true;
        }
        if (!LocalPortReady) {
            LocalPortNumber = WSocketResolvePort(FLocalPort, FProto);
            LocalPortReady = true;
        }
        if (!AddrReady) {
            RemoteSockAddr.sin_addr.s_addr = WSocketResolveHost(FAddr);
            AddrReady = true;
        }
    } catch (const std::exception& e) {
        RaiseException(QStringLiteral("connect: ") + QString::fromStdString(e.what()));
        return;
    }

    DeleteBufferedData();
    SocketHandle = wsock::socket(AF_INET, SocketType, ProtoNumber);
    if (SocketHandle == INVALID_SOCKET) {
        SocketError(QStringLiteral("Connect (socket)"));
        return;
    }
    const TAliveGuard guard = AliveGuard();
    ChangeState(wsOpened);
    if (Gone(guard))
        return;
    if (FState != wsOpened) {
        WSASetLastError(WSAEINVAL);
        SocketError(QStringLiteral("Connect (Invalid operation in OnChangeState)"));
        return;
    }

    const int on = 1;
    if (SocketType == SOCK_DGRAM) {
        if (!BindSocket())
            return;
        if (MultiCast) {
            if (MultiCastIpTTL != 1) {
                const unsigned char ttl = static_cast<unsigned char>(MultiCastIpTTL);
                if (wsock::setsockopt(SocketHandle, IPPROTO_IP, IP_MULTICAST_TTL, &ttl, sizeof ttl) != 0) {
                    SocketError(QStringLiteral("wsock::setsockopt(IP_MULTICAST_TTL)"));
                    return;
                }
            }
            if (FLocalAddr != QLatin1String("0.0.0.0")) {
                in_addr interfaceAddr{};
                interfaceAddr.s_addr = WSocketResolveHost(FLocalAddr);
                if (wsock::setsockopt(SocketHandle, IPPROTO_IP, IP_MULTICAST_IF, &interfaceAddr, sizeof interfaceAddr) != 0) {
                    SocketError(QStringLiteral("wsock::setsockopt(IP_MULTICAST_IF)"));
                    return;
                }
            }
        }
        if (RemoteSockAddr.sin_addr.s_addr == INADDR_BROADCAST &&
            wsock::setsockopt(SocketHandle, SOL_SOCKET, SO_BROADCAST, &on, sizeof on) != 0) {
            SocketError(QStringLiteral("wsock::setsockopt(SO_BROADCAST)"));
            return;
        }
    } else {
        if (wsock::setsockopt(SocketHandle, SOL_SOCKET, SO_REUSEADDR, &on, sizeof on) != 0) {
            SocketError(QStringLiteral("wsock::setsockopt(SO_REUSEADDR)"));
            return;
        }
        if ((ComponentOptions & wsoTcpNoDelay) && wsock::setsockopt(SocketHandle, IPPROTO_TCP, TCP_NODELAY, &on, sizeof on) != 0) {
            SocketError(QStringLiteral("wsock::setsockopt(IPPROTO_TCP, TCP_NODELAY)"));
            return;
        }
        SetLingerOption();
        if (wsock::setsockopt(SocketHandle, SOL_SOCKET, SO_KEEPALIVE, &on, sizeof on) != 0) {
            SocketError(QStringLiteral("wsock::setsockopt(SO_KEEPALIVE)"));
            return;
        }
        if ((LocalPortNumber != 0 || FLocalAddr != QLatin1String("0.0.0.0")) && !BindSocket())
            return;
    }

    EventMask = FD_READ | FD_WRITE | FD_ACCEPT | FD_CONNECT | FD_CLOSE;
    if (wsock::WSAAsyncSelect(SocketHandle, HiddenWindow, WM_ASYNCSELECT, EventMask) != 0) {
        SocketError(QStringLiteral("WSAAsyncSelect"));
        return;
    }

    if (SocketType == SOCK_DGRAM) {
        // No connect call: datagrams go to RemoteSockAddr with sendto.
        ChangeState(wsConnected);
        if (Gone(guard))
            return;
        TriggerSessionConnectedSpecial(0);
        return;
    }
    if (wsock::connect(SocketHandle, RemoteSockAddr) == 0 || WSAGetLastError() == WSAEWOULDBLOCK) {
        ChangeState(wsConnecting);
        return;
    }
    FLastError = WSAGetLastError();
    SocketError(QStringLiteral("Connect"));
}

bool TCustomWSocket::BindSocket()
{
    sockaddr_in local{};
    local.sin_family = AF_INET;
    local.sin_port = htons(static_cast<uint16_t>(LocalPortNumber));
    local.sin_addr.s_addr = WSocketResolveHost(FLocalAddr);
    if (wsock::bind(SocketHandle, local) != 0) {
        RaiseExceptionFmt(QStringLiteral("winsock.bind failed, error #%1"), WSAGetLastError());
        return false;
    }
    sockaddr_in bound{};
    if (wsock::getsockname(SocketHandle, &bound) != 0) {
        RaiseExceptionFmt(QStringLiteral("winsock.getsockname failed, error #%1"), WSAGetLastError());
        return false;
    }
    LocalPortNumber = ntohs(bound.sin_port);
    FLocalPort = QString::number(LocalPortNumber);
    return true;
}

void TCustomWSocket::SetLingerOption()
{
    if (LingerOnOff == wsLingerNoSet)
        return;
    if (SocketHandle == INVALID_SOCKET) {
        RaiseException(QStringLiteral("Cannot set linger option at this time"));
        return;
    }
    linger li{};
    li.l_onoff = LingerOnOff == wsLingerOn ? 1 : 0;
    li.l_linger = LingerTimeout;
    if (wsock::setsockopt(SocketHandle, SOL_SOCKET, SO_LINGER, &li, sizeof li) != 0)
        SocketError(QStringLiteral("wsock::setsockopt(SO_LINGER)"));
}

void TCustomWSocket::Shutdown(int How)
{
    if (SocketHandle != INVALID_SOCKET)
        wsock::shutdown(SocketHandle, How);
}

// --- network events ----------------------------------------------------------

void TCustomWSocket::WMASyncSelect(TMessage& Msg)
{
    // A handle that is not ours belongs to a socket closed since.
    if (static_cast<TSocket>(Msg.WParam) != SocketHandle || NotificationsPaused)
        return;
    const int events = SelectEvent(Msg.LParam);
    const TAliveGuard guard = AliveGuard();
    if (events & FD_CONNECT)
        Do_FD_CONNECT(Msg);
    if (!Gone(guard) && (events & FD_READ))
        Do_FD_READ(Msg);
    if (!Gone(guard) && (events & FD_WRITE))
        Do_FD_WRITE(Msg);
    if (!Gone(guard) && (events & FD_ACCEPT))
        Do_FD_ACCEPT(Msg);
    if (!Gone(guard) && (events & FD_CLOSE))
        Do_FD_CLOSE(Msg);
}

void TCustomWSocket::Do_FD_CONNECT(TMessage& Msg)
{
    if (FState == wsConnected)
        return;
    const int error = SelectError(Msg.LParam);
    const TAliveGuard guard = AliveGuard();
    ChangeState(wsConnected);
    if (Gone(guard))
        return;
    TriggerSessionConnectedSpecial(error);
    if (!Gone(guard) && error != 0 && FState != wsClosed)
        Close();
}

void TCustomWSocket::Do_FD_READ(TMessage& Msg)
{
    const int error = SelectError(Msg.LParam);
    if (FState != wsConnected) {
        // Data can come before the connect notification is handled.
        const TAliveGuard guard = AliveGuard();
        ChangeState(wsConnected);
        if (Gone(guard))
            return;
        TriggerSessionConnectedSpecial(error);
        if (Gone(guard))
            return;
    }
    ASyncReceive(error, ComponentOptions);
}

void TCustomWSocket::Do_FD_WRITE(TMessage& Msg)
{
    const TAliveGuard guard = AliveGuard();
    TryToSend();
    if (!Gone(guard) && EverythingSent)
        TriggerDataSent(SelectError(Msg.LParam));
}

void TCustomWSocket::Do_FD_ACCEPT(TMessage& Msg) { TriggerSessionAvailable(SelectError(Msg.LParam)); }

void TCustomWSocket::Do_FD_CLOSE(TMessage& Msg)
{
    if (FState == wsConnecting)
        return;
    const TSocket closing = SocketHandle;
    const TAliveGuard guard = AliveGuard();
    // Everything still buffered reaches the user before the session ends.
    ASyncReceive(0, ComponentOptions & ~wsoNoReceiveLoop);
    // A handler that closed the component has ended (and reported) the session.
    if (Gone(guard) || SocketHandle != closing)
        return;
    if (!ClosedReported) {
        ClosedReported = true;
        TriggerSessionClosed(SelectError(Msg.LParam));
        if (Gone(guard))
            return;
    }
    if (FState != wsClosed)
        Close();
}

void TCustomWSocket::ASyncReceive(int ErrCode, TWSocketOptions Options)
{
    const TAliveGuard guard = AliveGuard();
    const QDeadlineTimer roundEnd(kReceiveRoundMs);
    for (;;) {
        FLastError = 0;
        const int readBefore = FReadCount;
        bool handled = false;
        try {
            handled = TriggerDataAvailable(ErrCode);
            if (!handled && !Gone(guard)) {
                char discard[kDiscardChunkBytes];
                if (DoRecv(discard, sizeof discard, 0) < 0) {
                    FLastError = WSAGetLastError();
                    if (FLastError == WSAEWOULDBLOCK) {
                        FLastError = 0;
                        break;
                    }
                }
            }
        } catch (...) {
            // An exception of OnDataAvailable only ends this round.
            break;
        }
        if (Gone(guard))
            return;
        if (Options & wsoNoReceiveLoop)
            break;
        if (FLastError == -1)
            FLastError = 0;
        if (FLastError != 0)
            break;
        unsigned long waiting = 0;
        if (wsock::BytesWaiting(SocketHandle, &waiting) != 0) {
            FLastError = WSAGetLastError();
            break;
        }
        // A handler that took nothing would be called forever; the next
        // notification comes after it reads.
        if (waiting == 0 || (handled && FReadCount == readBefore) || roundEnd.hasExpired())
            break;
    }
}

// --- receiving --------------------------------------------------------------

int TCustomWSocket::DoRecv(void* Buffer, int BufferSize, int Flags) { return wsock::recv(SocketHandle, Buffer, BufferSize, Flags); }

int TCustomWSocket::DoRecvFrom(TSocket Socket, void* Buffer, int BufferSize, int Flags, sockaddr_in& From)
{
    return wsock::recvfrom(Socket, Buffer, BufferSize, Flags, &From);
}

int TCustomWSocket::Receive(void* Buffer, int BufferSize)
{
    const int n = DoRecv(Buffer, BufferSize, 0);
    if (n < 0)
        FLastError = WSAGetLastError();
    else
        FReadCount += n;
    return n;
}

int TCustomWSocket::ReceiveFrom(void* Buffer, int BufferSize, sockaddr_in& From)
{
    const int n = DoRecvFrom(SocketHandle, Buffer, BufferSize, 0, From);
    if (n < 0)
        FLastError = WSAGetLastError();
    else
        FReadCount += n;
    return n;
}

int TCustomWSocket::PeekData(void* Buffer, int BufferSize)
{
    const int n = DoRecv(Buffer, BufferSize, MSG_PEEK);
    if (n < 0)
        FLastError = WSAGetLastError();
    return n;
}

int TCustomWSocket::GetRcvdCount()
{
    unsigned long waiting = 0;
    if (wsock::BytesWaiting(SocketHandle, &waiting) != 0) {
        SocketError(QStringLiteral("ioctlSocket"));
        return -1;
    }
    return static_cast<int>(waiting);
}

QByteArray TCustomWSocket::ReceiveStr()
{
    int n = GetRcvdCount();
    if (n < 0)
        return {};
    if (n == 0)
        n = 255;
    QByteArray text(n, '\0');
    const int got = Receive(text.data(), n);
    if (got < 1)
        return {};
    text.resize(got);
    return text;
}

// --- closing ------------------------------------------------------------------

void TCustomWSocket::Close() { InternalClose(true, 0); }

void TCustomWSocket::Abort() { InternalAbort(0); }

void TCustomWSocket::InternalAbort(int ErrCode)
{
    CancelDnsLookup();
    DeleteBufferedData();
    if (FState == wsConnected && ProtoNumber == IPPROTO_TCP) {
        LingerOnOff = wsLingerOff;
        SetLingerOption();
    }
    InternalClose(false, ErrCode);
}

void TCustomWSocket::InternalClose(bool Shut, int ErrCode)
{
    const TAliveGuard guard = AliveGuard();
    if (SocketHandle == INVALID_SOCKET) {
        if (FState != wsClosed) {
            ChangeState(wsClosed);
            if (!Gone(guard))
                AssignDefaultValue();
        }
        return;
    }
    if (FState == wsClosed)
        return;
    if (Shut)
        Shutdown(SHUT_WR);
    // Linux never asks to retry a close of a non-blocking socket.
    if (wsock::closesocket(SocketHandle) != 0) {
        const int code = WSAGetLastError();
        FLastError = code;
        SocketHandle = INVALID_SOCKET;
        if (code != WSANOTINITIALISED) {
            SocketError(QStringLiteral("Disconnect (closesocket)"));
            return;
        }
    }
    SocketHandle = INVALID_SOCKET;
    ChangeState(wsClosed);
    if (Gone(guard))
        return;
    if (!destroying_ && !ClosedReported) {
        ClosedReported = true;
        TriggerSessionClosed(ErrCode);
        if (Gone(guard))
            return;
    }
    try {
        AssignDefaultValue();
    } catch (...) {
    }
}

// --- errors ---------------------------------------------------------------------

void TCustomWSocket::SocketError(const QString& Where)
{
    const int code = WSAGetLastError();
    const QString message =
        QStringLiteral("Error %1 in function %2\r\n%3").arg(code).arg(Where, WSocketErrorDesc(code));
    if (code == WSAECONNRESET || code == WSAENOTCONN) {
        if (SocketHandle != INVALID_SOCKET) {
            wsock::closesocket(SocketHandle);
            SocketHandle = INVALID_SOCKET;
        }
        const TAliveGuard guard = AliveGuard();
        if (FState != wsClosed)
            TriggerSessionClosed(code);
        if (Gone(guard))
            return;
        ChangeState(wsClosed);
        if (Gone(guard))
            return;
    }
    FLastError = code;
    RaiseException(message);
}

void TCustomWSocket::RaiseException(const QString& Msg)
{
    if (OnError) {
        TriggerError();
        return;
    }
    throw ESocketException(Msg);
}

void TCustomWSocket::RaiseExceptionFmt(const QString& Fmt, int Code) { RaiseException(Fmt.arg(Code)); }

void TCustomWSocket::HandleBackGroundException(const std::exception& E)
{
    const TAliveGuard guard = AliveGuard();
    bool canClose = true;
    if (OnBgException) {
        try {
            OnBgException(this, E, canClose);
        } catch (...) {
        }
    }
    if (Gone(guard) || !canClose)
        return;
    try {
        Abort();
    } catch (...) {
    }
}
