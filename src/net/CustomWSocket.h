#pragma once
// TCustomWSocket: the event-driven socket component under every network
// exchange of the program (FTP, HTTP, the SNTP time check). One object owns
// at most one IPv4 socket (TCP, UDP or raw) and a hidden message target of
// its own, made on the thread that creates it. The platform posts network
// events to that target; the component turns them into the user's events.
// Everything therefore runs on the creating thread, and only while that
// thread pumps messages. Nothing waits for the network except the host name
// resolution in Connect and Listen and the helpers that pump messages while
// they wait (Flush, WaitForClose, and the line layer's WaitUntilReady and
// ReadLine).
//
// Requests the caller got wrong are reported through RaiseException (an
// ESocketException, or OnError when it is set); failed platform calls
// through SocketError, whose text names the Winsock code, the call and the
// code's description. Network results (a finished connection attempt, a
// closed session, a lookup) arrive as events with a Winsock code, 0 for
// success. After every close the component falls back to its defaults:
// callers set Proto, Addr and Port before each Connect.
#include "net/WSockBuf.h"
#include "net/WSocketErrors.h"
#include "platform/Messages.h"
#include "platform/SocketApi.h"
#include "platform/SocketLookup.h"

#include <QByteArray>
#include <QStringList>
#include <deque>
#include <exception>
#include <functional>
#include <memory>

class QThread;

// Stored and compared by their ordinal values.
enum TSocketState {
    wsInvalidState,
    wsOpened,
    wsBound,
    wsConnecting,
    wsSocksConnected,
    wsConnected,
    wsAccepting,
    wsListening,
    wsClosed
};
enum TSocketSendFlags { wsSendNormal, wsSendUrgent };
enum TSocketLingerOnOff { wsLingerOff, wsLingerOn, wsLingerNoSet };
// Bits of ComponentOptions.
enum TWSocketOption : unsigned { wsoNoReceiveLoop = 1, wsoTcpNoDelay = 2, wsoSIO_RCVALL = 4 };
using TWSocketOptions = unsigned;

class TCustomWSocket;
using TChangeState = std::function<void(TCustomWSocket* Sender, TSocketState OldState, TSocketState NewState)>;
// OnSessionConnected, OnSessionClosed, OnSessionAvailable, OnDataAvailable,
// OnDataSent and OnDnsLookupDone: the sender and a Winsock code (0 = success).
using TSocketEvent = std::function<void(TCustomWSocket* Sender, int ErrCode)>;
using TSendData = std::function<void(TCustomWSocket* Sender, int BytesSent)>;
using TNotifyEvent = std::function<void(TCustomWSocket* Sender)>;
using TBgExceptionEvent = std::function<void(TCustomWSocket* Sender, const std::exception& E, bool& CanClose)>;
using TDebugDisplay = std::function<void(TCustomWSocket* Sender, const QString& Msg)>;

// Messages of the hidden target. The FTP and HTTP clients use the same
// numbers on their own targets for other meanings.
constexpr unsigned WM_ASYNCSELECT = WM_USER + 1;
constexpr unsigned WM_ASYNCGETHOSTBYNAME = WM_USER + 2;
constexpr unsigned WM_ASYNCGETHOSTBYADDR = WM_USER + 3;
constexpr unsigned WM_CLOSE_DELAYED = WM_USER + 4;
constexpr unsigned WM_WSOCKET_RELEASE = WM_USER + 5;
constexpr unsigned WM_TRIGGER_EXCEPTION = WM_USER + 6;
constexpr unsigned WM_TRIGGER_DATA_AVAILABLE = WM_USER + 20;

// The blocking waits' results.
constexpr int WSOCKET_WAIT_DONE = 0;
constexpr int WSOCKET_WAIT_TIMEOUT = 12001;

class TCustomWSocket {
public:
    TCustomWSocket();
    virtual ~TCustomWSocket();
    TCustomWSocket(const TCustomWSocket&) = delete;
    TCustomWSocket& operator=(const TCustomWSocket&) = delete;

    // Connection.
    virtual void Connect();
    virtual void Close();
    virtual void CloseDelayed();
    virtual void Release();
    virtual void Abort();
    virtual void Shutdown(int How);

    // Receiving; Receive returns the count, 0 when the peer closed, -1 with
    // LastError set (10035: nothing there now).
    virtual int Receive(void* Buffer, int BufferSize);
    virtual QByteArray ReceiveStr();
    virtual int ReceiveFrom(void* Buffer, int BufferSize, sockaddr_in& From);
    int PeekData(void* Buffer, int BufferSize);
    virtual int GetRcvdCount();

    // Sending through the queue (returns the bytes accepted, -1 when refused).
    virtual int Send(const void* Data, int Len);
    virtual int SendStr(const QByteArray& Str);
    int SendText(const QByteArray& Str) { return SendStr(Str); }
    virtual int SendTo(const sockaddr_in& Dest, const void* Data, int Len);
    void PutDataInSendBuffer(const void* Data, int Len);
    void PutStringInSendBuffer(const QByteArray& Str);
    virtual void Flush();
    void DeleteBufferedData();

    // Name lookups through the hidden target.
    virtual void DnsLookup(const QString& HostName);
    virtual void ReverseDnsLookup(const QString& HostAddr);
    virtual void CancelDnsLookup();

    // Listening, accepting, pausing and moving between threads.
    virtual void Listen();
    virtual wsock::TSocket Accept();
    virtual void Dup(wsock::TSocket NewHSocket);
    virtual void Pause();
    virtual void Resume();
    void ThreadDetach();
    void ThreadAttach();
    virtual void WaitForClose();

    // Addresses: "error" when the state or the platform does not allow them.
    virtual QString GetPeerAddr();
    virtual QString GetPeerPort();
    virtual int GetPeerName(sockaddr_in& Name);
    virtual QString GetXAddr();
    virtual QString GetXPort();
    virtual int GetSockName(sockaddr_in& Name);

    // Message pumping of the owning thread.
    virtual void MessagePump();
    void ProcessMessages();

    // Properties.
    QString Addr() const { return FAddr; }
    void SetAddr(const QString& Value);
    QString Port() const { return FPort; }
    void SetPort(const QString& Value) { SetRemotePort(Value); }
    QString Proto() const { return FProto; }
    virtual void SetProto(const QString& Value);
    QString LocalAddr() const { return FLocalAddr; }
    void SetLocalAddr(const QString& Value);
    QString LocalPort() const { return FLocalPort; }
    void SetLocalPort(const QString& Value);
    QString PeerAddr() { return GetPeerAddr(); }
    QString PeerPort() { return GetPeerPort(); }
    QString DnsResult() const { return FDnsResult; }
    const QStringList& DnsResultList() const { return FDnsResultList; }
    TSocketState State() const { return FState; }
    int ReadCount() const { return FReadCount; }
    int RcvdCount() { return GetRcvdCount(); }
    int LastError() const { return FLastError; }
    TSocketSendFlags SendFlags();
    void SetSendFlags(int Value);
    wsock::TSocket HSocket() const { return SocketHandle; }
    int SendChunkSize() const { return FSendChunkSize; }
    // The chunks of the send queue, oldest first (for callers that watch it).
    const std::deque<std::unique_ptr<TBuffer>>& SendQueueChunks() const { return SendQueue; }
    bool AllSent() const { return EverythingSent; }

    bool MultiThreaded = false;
    bool MultiCast = false;
    QString MultiCastAddrStr;
    int MultiCastIpTTL = 1;
    bool ReuseAddr = false;
    TWSocketOptions ComponentOptions = 0;
    int ListenBacklog = 5;
    int FlushTimeout = 60;  // kept for callers that set it; no wait reads it
    TSocketLingerOnOff LingerOnOff = wsLingerOn;
    int LingerTimeout = 0;  // seconds

    // Events; each fires only when set.
    TChangeState OnChangeState;
    TSocketEvent OnSessionConnected;
    TSocketEvent OnDataAvailable;
    TSocketEvent OnDataSent;
    TSendData OnSendData;
    TSocketEvent OnSessionClosed;
    TSocketEvent OnSessionAvailable;
    TSocketEvent OnDnsLookupDone;
    TNotifyEvent OnError;
    TBgExceptionEvent OnBgException;
    TDebugDisplay OnDisplay;

protected:
    // Is the component still alive after a handler ran? A handler may delete
    // the component it was called for; the code that called it checks this
    // before touching a member again.
    using TAliveGuard = std::weak_ptr<char>;
    TAliveGuard AliveGuard() const { return lifeToken_; }
    static bool Gone(const TAliveGuard& guard) { return guard.expired(); }

    virtual void WndProc(TMessage& Msg);
    virtual void AllocateSocketHWnd();
    virtual void DeallocateSocketHWnd();
    virtual void TryToSend();
    virtual void AssignDefaultValue();
    virtual void InternalClose(bool Shut, int ErrCode);
    virtual void InternalAbort(int ErrCode);
    virtual void SetRemotePort(const QString& Value);
    // False when the bind or the read-back failed (and was reported).
    virtual bool BindSocket();
    virtual int RealSend(const void* Data, int Len);
    virtual void RaiseException(const QString& Msg);
    virtual void HandleBackGroundException(const std::exception& E);
    virtual bool TriggerDataAvailable(int ErrCode);
    virtual void TriggerSessionAvailable(int ErrCode);
    virtual void TriggerSessionConnectedSpecial(int ErrCode);
    virtual void TriggerSessionConnected(int ErrCode);
    virtual void TriggerSessionClosed(int ErrCode);
    virtual void TriggerDataSent(int ErrCode);
    virtual void TriggerChangeState(TSocketState OldState, TSocketState NewState);
    virtual void TriggerDNSLookupDone(int ErrCode);
    virtual void TriggerError();
    virtual void TriggerSendData(int BytesSent);
    virtual void TriggerDisplay(const QString& Msg);
    virtual int DoRecv(void* Buffer, int BufferSize, int Flags);
    virtual int DoRecvFrom(wsock::TSocket Socket, void* Buffer, int BufferSize, int Flags, sockaddr_in& From);
    virtual void Do_FD_CONNECT(TMessage& Msg);
    virtual void Do_FD_READ(TMessage& Msg);
    virtual void Do_FD_WRITE(TMessage& Msg);
    virtual void Do_FD_ACCEPT(TMessage& Msg);
    virtual void Do_FD_CLOSE(TMessage& Msg);
    virtual void DupConnected();

    void ChangeState(TSocketState NewState);
    void SocketError(const QString& Where);
    void ReleaseAndReport(const QString& sockFunc);
    void RaiseExceptionFmt(const QString& Fmt, int Code);
    void SetLingerOption();
    void ASyncReceive(int ErrCode, TWSocketOptions Options);
    // Pumps the owning thread's queue, waiting at most maxWaitMs for something
    // to arrive; sets QuitSeen when the thread or the program is ending.
    void PumpOnce(int maxWaitMs);
    bool Destroying() const { return destroying_; }

    wsock::TSocket SocketHandle = wsock::INVALID_SOCKET;
    TMessageTarget* HiddenWindow = nullptr;  // owned; deleted late when destroyed from inside its own message
    QThread* OwnerThreadId = nullptr;
    sockaddr_in RemoteSockAddr{};
    QString FAddr, FPort, FProto = QStringLiteral("tcp"), FLocalAddr = QStringLiteral("0.0.0.0"), FLocalPort = QStringLiteral("0");
    bool AddrSet = false, PortSet = false, ProtoSet = true;
    bool AddrReady = false, PortReady = false, ProtoReady = false, LocalPortReady = false;
    int ProtoNumber = 6;
    int SocketType = SOCK_STREAM;
    int PortNumber = 0;
    int LocalPortNumber = 0;
    std::deque<std::unique_ptr<TBuffer>> SendQueue;
    int FSendChunkSize = 1460;  // one TCP segment on Ethernet
    bool EverythingSent = true;
    int SendFlagBits = 0;
    bool ClosedReported = false;
    bool NotificationsPaused = false;
    int EventMask = 0;
    bool QuitSeen = false;
    wsock::TLookupHandle LookupHandle = 0;
    wsock::TSocket AcceptedHandle = wsock::INVALID_SOCKET;
    TSocketState FState = wsClosed;
    int FReadCount = 0;
    int FLastError = 0;
    QString FDnsResult;
    QStringList FDnsResultList;

private:
    void WMASyncSelect(TMessage& Msg);
    void WMAsyncGetHostByName(TMessage& Msg);
    void WMAsyncGetHostByAddr(TMessage& Msg);
    void DispatchMessage(TMessage& Msg);

    std::shared_ptr<char> lifeToken_ = std::make_shared<char>(0);
    bool destroying_ = false;
    int dispatchDepth_ = 0;  // messages of HiddenWindow being handled right now
};
