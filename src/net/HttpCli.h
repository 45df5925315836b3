#pragma once
// THttpCli: the HTTP/1.0 and 1.1 client component over the socket
// component. It lives on the thread that creates it: a request advances as
// its socket's events and its own hidden target's messages arrive, so it
// only moves while that thread pumps messages. An ...ASync request returns
// at once and ends with OnRequestDone; the blocking calls (Get, Post, Put,
// Head, Close) pump the thread's messages until the component is ready
// again, and raise EHttpException for a status of 400 or more (but 401 and
// 407).
//
// One GET with the program's settings (HTTP/1.0, the server closes):
//   -> "GET /kepler/weather.txt HTTP/1.0"  "Accept: ..."  "User-Agent: ..."
//      "Host: example.org"  "If-Modified-Since: Tue, 08 Mar 2005 14:05:09 GMT"  ""
//   <- "HTTP/1.1 200 OK"  "Last-Modified: ..."  "Content-Length: 5"  ""  "hello"  (close)
// The body goes to ReceiveStream in blocks as it comes: nothing of it is kept
// beyond the 8193-byte receive buffer.
//
// An https URL (without a proxy) goes over TLS, the server's certificate
// checked against the system's trusted certificates and the host name; a
// certificate that fails the check fails the request with the reason. A
// body that ends at the close is whole there only after the server's
// close_notify.
//
// Credentials (the URL's user part, or Username and Password) belong to the
// URL's origin (scheme, host, port): a relocation to another origin does not
// take them along, and a relocation from https to plain http is refused.
#include "net/FtpSrvT.h"  // TDateTime
#include "net/HttpEncoding.h"
#include "net/WSocket.h"
#include "platform/Messages.h"
#include "platform/Streams.h"

#include <QByteArray>
#include <QString>
#include <QStringList>
#include <array>
#include <cstdint>
#include <functional>
#include <memory>
#include <stdexcept>

// The failure of a request: an HTTP status for a failed blocking request
// (404 for the component's own connection failures), or one of the
// component's codes (1 busy, 2 nothing to post, 5 version, 6 authentication).
class EHttpException : public std::runtime_error {
public:
    EHttpException(const QString& message, std::uint16_t errorCode)
        : std::runtime_error(message.toStdString()), ErrorCode(errorCode)
    {
    }
    QString Message() const { return QString::fromStdString(what()); }
    std::uint16_t ErrorCode;
};

// Stored and compared by their ordinal values.
enum THttpState {
    httpReady,
    httpNotConnected,
    httpConnected,
    httpDnsLookup,
    httpDnsLookupDone,
    httpWaitingHeader,
    httpWaitingBody,
    httpBodyReceived,
    httpWaitingProxyConnect,
    httpClosing,
    httpAborting
};
enum THttpRequest { httpABORT, httpGET, httpPOST, httpPUT, httpHEAD, httpCLOSE };
// Bits of Options.
enum THttpCliOption : unsigned { httpoNoBasicAuth = 1, httpoNoNTLMAuth = 2 };
using THttpCliOptions = unsigned;

class THttpCli;
class TTlsSession;
using THttpNotify = std::function<void(THttpCli* Sender)>;
using THttpDataEvent = std::function<void(THttpCli* Sender, const char* Buffer, int Len)>;
using THttpCommandEvent = std::function<void(THttpCli* Sender, QString& Line)>;
using THttpBeforeHeaderSend = std::function<void(THttpCli* Sender, const QString& Method, QStringList& Headers)>;
using THttpCookieEvent = std::function<void(THttpCli* Sender, const QString& Data, bool& Accept)>;
using THttpRequestDone = std::function<void(THttpCli* Sender, THttpRequest RqType, int ErrCode)>;
using THttpErrorEvent = std::function<void(THttpCli* Sender, int ErrCode)>;
using THttpSocksError = std::function<void(THttpCli* Sender, int Error, const QString& Msg)>;
using THttpSocksAuthState = std::function<void(THttpCli* Sender, TSocksAuthState AuthState)>;

// Messages of the component's own hidden target.
constexpr unsigned WM_HTTP_REQUEST_DONE = WM_USER + 1;
constexpr unsigned WM_HTTP_SET_READY = WM_USER + 2;
constexpr unsigned WM_HTTP_LOGIN = WM_USER + 3;
constexpr unsigned WM_HTTP_TLS_READ = WM_USER + 4;

// Seconds a blocking request may go without a byte from the peer.
constexpr int kHttpIdleTimeoutMs = 30000;
// The longest a blocking request may take in all, relocations included: a
// server that trickles bytes never trips the idle bound.
constexpr int kHttpRequestTimeoutMs = 300000;
// Relocations followed for one request.
constexpr int kHttpMaxRelocations = 10;
// What a reply header may hold (interim replies and a chunked body's
// trailer count towards the bytes); past a bound the request fails.
constexpr int kHttpMaxHeaderLines = 256;
constexpr int kHttpMaxHeaderBytes = 64 * 1024;
constexpr int kHttpMaxInterimReplies = 10;

class THttpCli {
public:
    THttpCli();
    virtual ~THttpCli();
    THttpCli(const THttpCli&) = delete;
    THttpCli& operator=(const THttpCli&) = delete;

    // --- properties -----------------------------------------------------------
    QString URL;
    QString LocalAddr = QStringLiteral("0.0.0.0");
    QString Proxy;  // empty: connect directly
    QString ProxyPort = QStringLiteral("80");
    QString Sender;
    QString Agent = QStringLiteral("Mozilla/4.0 (compatible)");
    QString Accept = QStringLiteral("image/gif, image/x-xbitmap, image/jpeg, image/pjpeg, */*");
    QString AcceptLanguage;
    QString Reference;
    QString Connection;
    QString ProxyConnection;
    QString Username, Password;
    QString ProxyUsername, ProxyPassword;
    bool NoCache = false;
    // 0: unconditional. A UTC time: the server answers 304 when the document
    // has not changed since.
    TDateTime ModifiedSince = 0;
    QString Cookie;
    QString ContentTypePost = QStringLiteral("application/x-www-form-urlencoded");
    QString ContentRangeBegin, ContentRangeEnd;
    QString AcceptRanges() const { return FAcceptRanges; }
    bool MultiThreaded() const { return FMultiThreaded; }
    void SetMultiThreaded(bool Value);
    QString RequestVer() const { return FRequestVer; }
    // "1.0" or "1.1"; anything else raises code 5 and keeps the old value.
    void SetRequestVer(const QString& Value);
    bool FollowRelocation = true;
    THttpCliOptions Options = 0;
    // The blocking calls abort a request that gets no byte for this long
    // (0 or less: no limit).
    int IdleTimeoutMs = kHttpIdleTimeoutMs;
    // ... and one that takes longer than this in all (0 or less: no limit).
    int RequestTimeoutMs = kHttpRequestTimeoutMs;

    // SOCKS settings of the socket (reset by the socket's every close, so
    // they are applied again before each connection).
    QString SocksServer() const { return FSocksServer; }
    void SetSocksServer(const QString& Value) { FSocksServer = Value; }
    QString SocksLevel() const { return FSocksLevel; }
    void SetSocksLevel(const QString& Value) { FSocksLevel = Value; }
    QString SocksPort() const { return FSocksPort; }
    void SetSocksPort(const QString& Value) { FSocksPort = Value; }
    QString SocksUsercode() const { return FSocksUsercode; }
    void SetSocksUsercode(const QString& Value) { FSocksUsercode = Value; }
    QString SocksPassword() const { return FSocksPassword; }
    void SetSocksPassword(const QString& Value) { FSocksPassword = Value; }
    TSocksAuthentication SocksAuthentication() const { return FSocksAuthentication; }
    void SetSocksAuthentication(TSocksAuthentication Value) { FSocksAuthentication = Value; }

    // --- events -----------------------------------------------------------------
    THttpNotify OnTrace;  // never fired
    THttpNotify OnSessionConnected, OnSessionClosed;
    THttpNotify OnHeaderData;
    THttpCommandEvent OnCommand;
    THttpNotify OnHeaderBegin, OnHeaderEnd;
    THttpNotify OnRequestHeaderBegin, OnRequestHeaderEnd;
    THttpNotify OnDocBegin;
    THttpDataEvent OnDocData;
    THttpNotify OnDocEnd;
    THttpNotify OnSendBegin;
    THttpDataEvent OnSendData;
    THttpNotify OnSendEnd;
    THttpNotify OnStateChange;
    THttpRequestDone OnRequestDone;
    THttpNotify OnLocationChange;
    THttpCookieEvent OnCookie;
    // A received line that no request reads (PushedLine()), and the proxy's
    // answer to a tunnel request, line by line.
    THttpErrorEvent OnDataPush;
    // A first reply line that is not an HTTP/1.0 or 1.1 status line.
    THttpNotify OnDataPush2;
    THttpErrorEvent OnSocksConnected;
    THttpSocksAuthState OnSocksAuthState;
    THttpSocksError OnSocksError;
    THttpNotify OnSocketError;
    THttpBeforeHeaderSend OnBeforeHeaderSend;

    // --- request and reply state --------------------------------------------------
    int ResponseCode = 0;
    QString ResponseText;
    QStringList ResponseHeaders;  // the status line first, no line ends
    TStream* ReceiveStream = nullptr;  // not owned; null discards the body
    TStream* SendStream = nullptr;     // not owned; body of POST and PUT, from its position
    QString DocumentName;
    int ExpectedLength = -1;  // -1: not given (or not usable)
    QString ResponseContentType;
    QString ResponseTransferEncoding;
    QString RelocationURL;
    int ReceivedCount = 0;
    int SentCount = 0;
    QStringList AuthChallenges;  // values of www-authenticate and proxy-authenticate
    int AuthBasicState() const { return FAuthBasicState; }
    int ProxyAuthBasicState() const { return FProxyAuthBasicState; }
    THttpState HttpState() const { return FState; }
    THttpRequest PendingRequest() const { return FRequestType; }
    // The line OnDataPush reports.
    QByteArray PushedLine() const { return FPushedLine; }
    TWSocket* CtrlSocket() const { return FCtrlSocket.get(); }

    // --- requests -------------------------------------------------------------------
    int Get() { return DoRequestSync(httpGET); }
    int Post() { return DoRequestSync(httpPOST); }
    int Put() { return DoRequestSync(httpPUT); }
    int Head() { return DoRequestSync(httpHEAD); }
    int Close() { return DoRequestSync(httpCLOSE); }
    void GetASync() { DoRequestAsync(httpGET); }
    void PostASync() { DoRequestAsync(httpPOST); }
    void PutASync() { DoRequestAsync(httpPUT); }
    void HeadASync() { DoRequestAsync(httpHEAD); }
    void CloseAsync() { DoRequestAsync(httpCLOSE); }
    // Stops the request in progress (404 "Connection aborted on request"),
    // or, when idle, drops the connection and reports 200 at once.
    void Abort();

protected:
    enum TNextLine { nlNone, nlHeader, nlBody };

    virtual void DoRequestAsync(THttpRequest Rq);
    virtual int DoRequestSync(THttpRequest Rq);
    virtual void SendRequest(const QString& Method, const QString& Version);
    void SendCommand(const QString& Line);
    void Login();
    void Logout();
    void StateChange(THttpState NewState);
    void SetReady();
    void WndProc(TMessage& Msg);
    void WMHttpSetReady();

    // Socket events.
    void SocketDNSLookupDone(int ErrCode);
    void SocketSessionConnected(int ErrCode);
    void SocketDataAvailable(int ErrCode);
    void SocketDataSent(int ErrCode);
    void SocketSessionClosed(int ErrCode);
    // Runs a socket-event handler; an exception (a stream that cannot be
    // written, a user's handler) fails the request instead of reaching the socket.
    void Guarded(const std::function<void()>& Fn);

    // Reply.
    void GetHeaderLineNext(const QByteArray& Line, const QByteArray& RawLine);
    void HeaderField(const QString& Name, const QString& Value);
    // The failure of a reply whose first line is Line, not a status line.
    QString NoStatusLineText(const QByteArray& Line) const;
    void HeaderEnd();
    void DeliverBody();
    void GetBodyLineNext(const char* Data, int Len);
    void DeliverDocData(const char* Data, int Len);
    void EndOfDocument();
    // The reply is over: relocate, let the server's close end the request,
    // or end it now.
    void ReplyComplete();
    bool Chunked() const;
    // The body ended before its length or its last chunk, or, when it ends
    // at the close, without the close marked as the server's (EndMarked:
    // always over TCP, only after close_notify over TLS): the request fails.
    void CheckBodyComplete(bool EndMarked);
    void Fail(const QString& Text);
    // The reply cannot be used: the request fails with Text and the
    // connection is dropped.
    void FailReply(const QString& Text);
    // Counts header bytes; false (the reply failed) past the bound.
    bool CountHeaderBytes(int Count);
    // Chunked bodies: collects one line of the framing (size line, line end
    // after the data, trailer line); true with Line (no line end) when it is
    // complete.
    bool TakeChunkLine(const char*& P, const char* End, QByteArray& Line);
    // Takes the chunk size from its line; false (the reply failed) when bad.
    bool ChunkSizeLine(const QByteArray& Line);
    void ChunkedData(const char* Data, int Len);
    void ClearReplyState(bool KeepRelocationURL);
    QString AdjustDocName(const QString& Path) const;

    // Relocation.
    void SetLocation(const QString& Location);
    void StartRelocation();
    void RestartAfterRelocation();
    // Tells the owner and takes back what the given-up reply left; false
    // when the owner's handler deleted the component.
    bool ResetForRelocation();
    void CleanupRcvdStream();
    void CleanupSndStream();

    // Request body and authentication.
    void SendBodyBlock();
    // "scheme://host:port" of the document asked for now.
    QString TargetOrigin() const;
    bool PrepareBasicAuth();
    void StartAuthBasic();
    void StartProxyAuthBasic();
    void RestartForAuth();

    // https without a proxy: TLS over the socket, certificates checked.
    bool UsesTls() const;
    void StartTls();
    void TlsHandshakeStep();
    // What the socket brings, as the reply's bytes: as it comes, or
    // decrypted. -1 when there is nothing now; 0 when the server ended the
    // stream (a TLS close_notify: FTlsCloseNotify).
    int ReceiveInto(char* Buffer, int Size);
    // Moves ciphertext from the socket into the TLS session while it holds
    // little, so a fast server is held back by the socket, not by memory.
    void PullCiphertext();
    // Puts request bytes in the socket's send buffer (encrypted with TLS).
    void PutOut(const char* Data, int Len);
    void FlushTls();
    // Decrypted bytes still held when the server closed are read first.
    void DrainTls();
    void ApplySocks();
    // Milliseconds of a steady clock, for the idle time-out.
    static qint64 TickMs();
    bool TunnelWanted() const;

    std::unique_ptr<TWSocket> FCtrlSocket;
    std::unique_ptr<TTlsSession> FTls;  // on an https connection
    bool FTlsReadPosted = false;
    qint64 FTlsPlainBytes = 0;  // decrypted so far, to see a drain move on
    bool FTlsCloseNotify = false;  // the server ended the TLS stream (not just the TCP one)
    TMessageTarget* FWindowHandle = nullptr;  // owned

    bool FMultiThreaded = false;
    QString FRequestVer = QStringLiteral("1.0");
    QString FAcceptRanges;
    QString FSocksServer, FSocksLevel = QStringLiteral("5"), FSocksPort, FSocksUsercode, FSocksPassword;
    TSocksAuthentication FSocksAuthentication = socksNoAuthentication;

    THttpState FState = httpReady;
    THttpRequest FRequestType = httpGET;
    unsigned FRequestSerial = 0;  // tells a posted message which request it belongs to
    bool FReadyPosted = false;
    bool FFailed = false;  // the first failure text of a request stays
    int FRequestDoneError = 0;
    QString FPath;        // request path, or the absolute URL through a proxy
    QString FTargetHost, FTargetPort;
    QString FProtocol;
    QString FHostName, FPort;  // where to connect (the proxy's when one is set)
    QString FCurrentHost, FCurrentPort, FCurrentProtocol;  // of the open connection
    QString FDnsResult;
    bool FConnected = false;
    bool FTunnelOpen = false;
    int FHeaderLineCount = 0;
    int FBodyLineCount = 0;
    bool FDocEnded = false;
    bool FContinueSeen = false;  // a "100" reply was read: its empty line starts the next header
    int FHeaderBytes = 0;      // of the whole reply, interim replies included
    int FInterimReplies = 0;
    int FChunkState = 0;
    int FChunkLength = 0;
    int FChunkRcvd = 0;
    QByteArray FChunkLine;     // the framing line being collected, without its end yet
    bool FCloseReq = false;
    bool FLocationFlag = false;
    int FRelocations = 0;
    bool FTooManyRelocations = false;
    TNextLine FNext = nlNone;
    bool FSending = false;
    int FAuthBasicState = 0, FProxyAuthBasicState = 0;
    QString FAuthOrigin;  // the origin Username and Password were given for
    enum { authNone, authServer, authProxy } FAuthFor = authNone;
    qint64 FLastActivityMs = 0;
    QByteArray FPushedLine;
    std::array<char, 8193> FSendBuffer{};
    std::array<char, 8193> FReceiveBuffer{};
    int FReceiveLen = 0;

    std::weak_ptr<char> AliveGuard() const { return FLifeToken; }

private:
    std::shared_ptr<char> FLifeToken = std::make_shared<char>(0);
};
