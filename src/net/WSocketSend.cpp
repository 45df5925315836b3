// The send queue: Send copies the caller's bytes into chunks of
// SendChunkSize and hands the platform as much as it takes at once; the rest
// goes out on the following write notifications. The caller never waits and
// never keeps its buffer.
#include "net/CustomWSocket.h"

using namespace wsock;

void TCustomWSocket::PutDataInSendBuffer(const void* Data, int Len)
{
    if (Len <= 0 || !Data)
        return;
    if (SendQueue.empty())
        SendQueue.push_back(std::make_unique<TBuffer>(FSendChunkSize));
    const char* bytes = static_cast<const char*>(Data);
    for (;;) {
        const int n = SendQueue.back()->Write(bytes, Len);
        if (n >= Len)
            return;
        bytes += n;
        Len -= n;
        SendQueue.push_back(std::make_unique<TBuffer>(FSendChunkSize));
    }
}

void TCustomWSocket::PutStringInSendBuffer(const QByteArray& Str) { PutDataInSendBuffer(Str.constData(), static_cast<int>(Str.size())); }

void TCustomWSocket::DeleteBufferedData() { SendQueue.clear(); }

int TCustomWSocket::Send(const void* Data, int Len)
{
    if (FState != wsConnected && FState != wsSocksConnected) {
        WSASetLastError(WSAENOTCONN);
        SocketError(QStringLiteral("Send"));
        return -1;
    }
    EverythingSent = false;
    int result = 0;
    if (Len > 0) {
        PutDataInSendBuffer(Data, Len);
        result = Len;
    }
    const TAliveGuard guard = AliveGuard();
    TryToSend();
    if (Gone(guard))
        return result;
    // OnDataSent fires from the message loop, after Send has returned.
    if (EverythingSent)
        PostMessage(HiddenWindow, WM_ASYNCSELECT, static_cast<WPARAM>(SocketHandle), MakeSelectLParam(FD_WRITE, 0));
    return result;
}

int TCustomWSocket::SendStr(const QByteArray& Str)
{
    if (Str.isEmpty())
        return 0;
    return Send(Str.constData(), static_cast<int>(Str.size()));
}

void TCustomWSocket::TryToSend()
{
    if (SocketHandle == INVALID_SOCKET)
        return;
    if (SendQueue.empty()) {
        EverythingSent = true;
        return;
    }
    const TAliveGuard guard = AliveGuard();
    for (;;) {
        // A handler of OnSendData may have closed the socket.
        if (SocketHandle == INVALID_SOCKET || SendQueue.empty())
            return;
        TBuffer& chunk = *SendQueue.front();
        int waiting = 0;
        const char* data = chunk.Peek(waiting);
        if (waiting <= 0) {
            if (SendQueue.size() == 1) {
                EverythingSent = true;  // the last chunk stays for reuse
                return;
            }
            SendQueue.pop_front();
            continue;
        }
        const int sent = RealSend(data, waiting);
        if (Gone(guard))
            return;
        if (sent == 0)
            return;
        if (sent < 0) {
            const int code = WSAGetLastError();
            switch (code) {
            case WSAECONNRESET:
            case WSAENOTSOCK:
            case WSAENOTCONN:
            case WSAEINVAL:
            case WSAECONNABORTED:
                ClosedReported = true;
                Close();
                if (!Gone(guard))
                    TriggerSessionClosed(code);
                return;
            case WSAEWOULDBLOCK:
                return;  // the next write notification resumes
            default:
                SocketError(QStringLiteral("TryToSend failed"));
                return;
            }
        }
        if (SendQueue.empty())
            return;
        SendQueue.front()->Remove(sent);
        if (sent < waiting)
            return;  // the platform's buffer is full
    }
}

int TCustomWSocket::RealSend(const void* Data, int Len)
{
    const int sent = SocketType == SOCK_DGRAM ? wsock::sendto(SocketHandle, Data, Len, SendFlagBits, RemoteSockAddr)
                                              : wsock::send(SocketHandle, Data, Len, SendFlagBits);
    if (sent > 0)
        TriggerSendData(sent);
    return sent;
}

int TCustomWSocket::SendTo(const sockaddr_in& Dest, const void* Data, int Len)
{
    const int sent = wsock::sendto(SocketHandle, Data, Len, SendFlagBits, Dest);
    if (sent > 0) {
        const TAliveGuard guard = AliveGuard();
        TriggerSendData(sent);
        if (!Gone(guard) && EverythingSent && SocketType == SOCK_DGRAM)
            PostMessage(HiddenWindow, WM_ASYNCSELECT, static_cast<WPARAM>(SocketHandle), MakeSelectLParam(FD_WRITE, 0));
    }
    return sent;
}

void TCustomWSocket::Flush()
{
    const TAliveGuard guard = AliveGuard();
    while (SocketHandle != INVALID_SOCKET && !EverythingSent) {
        TryToSend();
        if (Gone(guard) || SocketHandle == INVALID_SOCKET || EverythingSent)
            return;
        MessagePump();
        if (Gone(guard) || QuitSeen)
            return;
    }
}
