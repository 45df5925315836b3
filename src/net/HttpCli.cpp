// The HTTP client's request side: construction, starting a request, the
// connection (look-up, connect, reuse), the request text, the blocking wait
// and the hidden target's messages.
#include "net/HttpCli.h"

#include "net/TlsSession.h"
#include "net/UrlParser.h"

#include <QCoreApplication>
#include <QThread>
#include <chrono>
#include <thread>

namespace {

constexpr int kPumpRoundMs = 1000;  // the longest single wait for messages

bool ProgramEnding()
{
    QThread* thread = QThread::currentThread();
    return QCoreApplication::closingDown() || (thread && thread->isInterruptionRequested());
}

}  // namespace

qint64 THttpCli::TickMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

THttpCli::THttpCli()
{
    FWindowHandle = new TMessageTarget([this](TMessage& msg) { WndProc(msg); });
    FCtrlSocket = std::make_unique<TWSocket>();
    TWSocket& s = *FCtrlSocket;
    s.OnDnsLookupDone = [this](TCustomWSocket*, int e) { Guarded([&] { SocketDNSLookupDone(e); }); };
    s.OnSessionConnected = [this](TCustomWSocket*, int e) { Guarded([&] { SocketSessionConnected(e); }); };
    s.OnDataAvailable = [this](TCustomWSocket*, int e) { Guarded([&] { SocketDataAvailable(e); }); };
    s.OnDataSent = [this](TCustomWSocket*, int e) { Guarded([&] { SocketDataSent(e); }); };
    s.OnSessionClosed = [this](TCustomWSocket*, int e) { Guarded([&] { SocketSessionClosed(e); }); };
    s.OnSocksConnected = [this](TCustomWSocket*, int e) {
        if (OnSocksConnected)
            OnSocksConnected(this, e);
    };
    s.OnSocksAuthState = [this](TCustomWSocket*, TSocksAuthState st) {
        if (OnSocksAuthState)
            OnSocksAuthState(this, st);
    };
    s.OnSocksError = [this](TCustomWSocket*, int e, const QString& msg) {
        if (OnSocksError)
            OnSocksError(this, e, msg);
    };
}

THttpCli::~THttpCli()
{
    FLifeToken.reset();
    TWSocket& s = *FCtrlSocket;
    s.OnDnsLookupDone = nullptr;
    s.OnSessionConnected = nullptr;
    s.OnDataAvailable = nullptr;
    s.OnDataSent = nullptr;
    s.OnSessionClosed = nullptr;
    s.OnError = nullptr;
    s.OnSocksConnected = nullptr;
    s.OnSocksAuthState = nullptr;
    s.OnSocksError = nullptr;
    FCtrlSocket.reset();
    delete FWindowHandle;
}

void THttpCli::SetMultiThreaded(bool Value)
{
    FMultiThreaded = Value;
    FCtrlSocket->MultiThreaded = Value;
}

void THttpCli::SetRequestVer(const QString& Value)
{
    if (Value == FRequestVer)
        return;
    if (Value != QLatin1String("1.0") && Value != QLatin1String("1.1"))
        throw EHttpException(QStringLiteral("Insupported HTTP version"), 5);
    FRequestVer = Value;
}

void THttpCli::StateChange(THttpState NewState)
{
    if (FState == NewState)
        return;
    FState = NewState;
    if (OnStateChange)
        OnStateChange(this);
}

void THttpCli::Guarded(const std::function<void()>& Fn)
{
    const auto guard = AliveGuard();
    try {
        Fn();
    } catch (const std::exception& e) {
        if (guard.expired())
            return;
        Fail(QString::fromStdString(e.what()));
        FLocationFlag = false;
        if (FCtrlSocket->State() != wsClosed)
            FCtrlSocket->Abort();
        else if (FState != httpReady)
            SetReady();
    }
}

void THttpCli::Fail(const QString& Text)
{
    if (FFailed)
        return;
    FFailed = true;
    ResponseCode = 404;
    ResponseText = Text;
}

// --- starting a request ------------------------------------------------------

void THttpCli::DoRequestAsync(THttpRequest Rq)
{
    if (FState != httpReady)
        throw EHttpException(QStringLiteral("HTTP component is busy"), 1);
    if ((Rq == httpPOST || Rq == httpPUT) && (!SendStream || SendStream->Position() >= SendStream->Size()))
        throw EHttpException(QStringLiteral("HTTP component has nothing to post or put"), 2);

    ++FRequestSerial;
    FRequestType = Rq;
    FReadyPosted = false;
    FFailed = false;
    FRequestDoneError = 0;
    FRelocations = 0;
    FTooManyRelocations = false;
    FLocationFlag = false;
    FTunnelOpen = false;
    SentCount = 0;
    FLastActivityMs = TickMs();
    ClearReplyState(false);
    AuthChallenges.clear();
    FCloseReq = FRequestVer == QLatin1String("1.0");

    if (Rq == httpCLOSE) {
        ResponseCode = 200;
        ResponseText = QStringLiteral("OK");
        StateChange(httpClosing);
        if (FCtrlSocket->State() == wsClosed) {
            FConnected = false;
            SetReady();
        } else {
            FCtrlSocket->CloseDelayed();
        }
        return;
    }

    QString proto, user, pass, host, port, path;
    ParseURL(URL, proto, user, pass, host, port, path);
    if (Proxy.isEmpty()) {
        FPath = path;
        FTargetHost = host;
        FTargetPort = port.isEmpty() ? DefaultPort(proto) : port;
        if (!user.isEmpty())
            Username = user;
        if (!pass.isEmpty())
            Password = pass;
        FHostName = FTargetHost;
        FPort = FTargetPort;
    } else {
        FTargetHost = host;
        FTargetPort = !port.isEmpty() ? port : DefaultPort(proto);
        FPath = (proto.isEmpty() ? QStringLiteral("http") : proto) + QStringLiteral("://") + host +
                (port.isEmpty() ? QString() : QStringLiteral(":") + port) + path;
        QString pProto, pUser, pPass, pHost, pPort, pPath;
        ParseURL(Proxy, pProto, pUser, pPass, pHost, pPort, pPath);
        FHostName = pHost.isEmpty() ? Proxy : pHost;
        FPort = pPort.isEmpty() ? ProxyPort : pPort;
    }
    if (FPath.isEmpty())
        FPath = QStringLiteral("/");
    FProtocol = proto;
    // Credentials go to the origin they were given for; at another one they
    // start unasked.
    const QString origin = TargetOrigin();
    if (origin != FAuthOrigin)
        FAuthBasicState = 0;
    FAuthOrigin = origin;
    DocumentName = AdjustDocName(path);
    if (PortNumber(FPort) == 0) {
        // A socket given such a port fails with no reason of its own.
        StateChange(httpNotConnected);
        Fail(QStringLiteral("%1 names no port from 1 to 65535").arg(UrlWithoutPassword(Proxy.isEmpty() ? URL : Proxy)));
        SetReady();
        return;
    }

    if (FConnected && FCtrlSocket->State() == wsConnected && FHostName == FCurrentHost && FPort == FCurrentPort &&
        FProtocol == FCurrentProtocol) {
        FNext = nlHeader;
        StateChange(httpWaitingHeader);
        SendRequest(QString(), FRequestVer);
        return;
    }
    if (FCtrlSocket->State() != wsClosed)
        FCtrlSocket->Abort();
    FConnected = false;
    StateChange(httpNotConnected);
    Login();
}

void THttpCli::ClearReplyState(bool KeepRelocationURL)
{
    ResponseHeaders.clear();
    ResponseCode = 0;
    if (!KeepRelocationURL)
        RelocationURL = URL;
    ReceivedCount = 0;
    FHeaderLineCount = 0;
    FBodyLineCount = 0;
    FDocEnded = false;
    FContinueSeen = false;
    FHeaderBytes = 0;
    FInterimReplies = 0;
    ExpectedLength = -1;
    ResponseContentType.clear();
    ResponseTransferEncoding.clear();
    FNext = nlNone;
    FReceiveLen = 0;
    if (!KeepRelocationURL)
        DocumentName.clear();
}

void THttpCli::Login()
{
    FTls.reset();
    FReadyPosted = false;
    FLastActivityMs = TickMs();
    StateChange(httpDnsLookup);
    // Without a handler of ours the socket raises its failures, which end
    // the request with their text.
    if (OnSocketError)
        FCtrlSocket->OnError = [this](TCustomWSocket*) {
            if (OnSocketError)
                OnSocketError(this);
        };
    else
        FCtrlSocket->OnError = nullptr;
    try {
        FCtrlSocket->SetLocalAddr(LocalAddr);
        FCtrlSocket->DnsLookup(FHostName);
    } catch (const std::exception& e) {
        Fail(QString::fromStdString(e.what()));
        SetReady();
    }
}

void THttpCli::Logout()
{
    FCtrlSocket->Close();
    FConnected = false;
}

void THttpCli::ApplySocks()
{
    if (FSocksServer.isEmpty())
        return;
    FCtrlSocket->SetSocksServer(FSocksServer);
    FCtrlSocket->SetSocksPort(FSocksPort);
    FCtrlSocket->SetSocksLevel(FSocksLevel);
    FCtrlSocket->SocksUsercode = FSocksUsercode;
    FCtrlSocket->SocksPassword = FSocksPassword;
    FCtrlSocket->SocksAuthentication = FSocksAuthentication;
}

void THttpCli::SocketDNSLookupDone(int ErrCode)
{
    if (FState != httpDnsLookup)
        return;  // a look-up of an aborted request
    FLastActivityMs = TickMs();
    if (ErrCode != 0) {
        FRequestDoneError = ErrCode;
        Fail(QStringLiteral("can't resolve hostname to IP address"));
        SetReady();
        return;
    }
    // Accepted credentials are asked for again after a new look-up.
    if (FAuthBasicState == 2)
        FAuthBasicState = 0;
    if (FProxyAuthBasicState == 2)
        FProxyAuthBasicState = 0;
    StateChange(httpDnsLookupDone);
    FDnsResult = FCtrlSocket->DnsResult();
    try {
        FCtrlSocket->SetAddr(FDnsResult);
        FCtrlSocket->SetLocalAddr(LocalAddr);
        FCtrlSocket->SetPort(FPort);
        FCtrlSocket->SetProto(QStringLiteral("tcp"));
        ApplySocks();
        FCurrentHost = FHostName;
        FCurrentPort = FPort;
        FCurrentProtocol = FProtocol;
        FCtrlSocket->Connect();
    } catch (const std::exception&) {
        const int code = FCtrlSocket->LastError();
        Fail(QStringLiteral("can't connect: %1 (Error #%2)").arg(WSocketErrorDesc(code)).arg(code));
        FCtrlSocket->Abort();
        SetReady();
    }
}

void THttpCli::SocketSessionConnected(int ErrCode)
{
    FLastActivityMs = TickMs();
    if (ErrCode != 0) {
        // The socket closes itself next; the request ends with that close.
        Fail(QStringLiteral("%1 (Error #%2)").arg(WSocketErrorDesc(ErrCode)).arg(ErrCode));
        if (OnSessionConnected)
            OnSessionConnected(this);
        return;
    }
    FLocationFlag = false;
    FConnected = true;
    const auto guard = AliveGuard();
    StateChange(httpConnected);
    if (OnSessionConnected)
        OnSessionConnected(this);
    if (guard.expired() || FState != httpConnected)
        return;
    if (TunnelWanted()) {
        StateChange(httpWaitingProxyConnect);
        FNext = nlNone;
        FTunnelOpen = true;
        SendCommand(QStringLiteral("CONNECT %1:%2 HTTP/%3").arg(FTargetHost, FTargetPort, FRequestVer));
        SendCommand(QString());
        FCtrlSocket->Send(nullptr, 0);
        return;
    }
    if (UsesTls()) {
        StartTls();  // the request goes when the handshake is done
        return;
    }
    FNext = nlHeader;
    StateChange(httpWaitingHeader);
    SendRequest(QString(), FRequestVer);
}

bool THttpCli::TunnelWanted() const
{
    return !Proxy.isEmpty() && FProtocol == QLatin1String("https") && !FTunnelOpen;
}

// --- the request text ------------------------------------------------------------

void THttpCli::SendCommand(const QString& Line)
{
    QString line = Line;
    if (OnCommand)
        OnCommand(this, line);
    const QByteArray bytes = line.toLatin1() + "\r\n";
    PutOut(bytes.constData(), static_cast<int>(bytes.size()));
}

void THttpCli::SendRequest(const QString& Method, const QString& Version)
{
    static const char* const kMethods[] = {"", "GET", "POST", "PUT", "HEAD", ""};
    const QString method = Method.isEmpty() ? QString::fromLatin1(kMethods[FRequestType]) : Method;
    const bool withBody = FRequestType == httpPOST || FRequestType == httpPUT;
    const auto guard = AliveGuard();
    if (OnRequestHeaderBegin)
        OnRequestHeaderBegin(this);
    if (guard.expired())
        return;

    QStringList headers;
    auto add = [&](const char* name, const QString& value) {
        if (!value.isEmpty())
            headers << QString::fromLatin1(name) + value;
    };
    add("From: ", Sender);
    add("Accept: ", Accept);
    add("Referer: ", Reference);
    add("Connection: ", Connection);
    add("Proxy-Connection: ", ProxyConnection);
    add("Accept-Language: ", AcceptLanguage);
    if (withBody)
        add("Content-Type: ", ContentTypePost);
    add("User-Agent: ", Agent);
    headers << QStringLiteral("Host: ") + FTargetHost;
    if (NoCache)
        headers << QStringLiteral("Pragma: no-cache");
    if (withBody && SendStream)
        headers << QStringLiteral("Content-Length: %1").arg(SendStream->Size() - SendStream->Position());
    // HTTP dates end in "GMT"; servers take any other zone as no date at all.
    if (ModifiedSince != 0)
        headers << QStringLiteral("If-Modified-Since: ") + RFC1123_Date(ModifiedSince) + QStringLiteral(" GMT");
    if (FAuthFor == authServer && FAuthBasicState == 1)
        headers << QStringLiteral("Authorization: Basic ") +
                       EncodeStr(encBase64, (Username + QLatin1Char(':') + Password).toUtf8());
    else if (FAuthFor == authProxy && FProxyAuthBasicState == 1)
        headers << QStringLiteral("Proxy-Authorization: Basic ") +
                       EncodeStr(encBase64, (ProxyUsername + QLatin1Char(':') + ProxyPassword).toUtf8());
    add("Cookie: ", Cookie);
    if (!ContentRangeBegin.isEmpty() || !ContentRangeEnd.isEmpty()) {
        headers << QStringLiteral("Range: bytes=%1-%2").arg(ContentRangeBegin, ContentRangeEnd);
        ContentRangeBegin.clear();
        ContentRangeEnd.clear();
    }
    FAcceptRanges.clear();
    if (OnBeforeHeaderSend)
        OnBeforeHeaderSend(this, method, headers);
    if (guard.expired())
        return;

    try {
        SendCommand(method + QLatin1Char(' ') + FPath + QStringLiteral(" HTTP/") + Version);
        for (const QString& h : headers)
            SendCommand(h);
        SendCommand(QString());
        if (guard.expired())
            return;
        if (OnRequestHeaderEnd)
            OnRequestHeaderEnd(this);
        if (guard.expired())
            return;
        FSending = withBody;
        if (withBody && OnSendBegin)
            OnSendBegin(this);
        FCtrlSocket->Send(nullptr, 0);
    } catch (const std::exception&) {
        if (!guard.expired())
            Logout();  // the request ends through the closed session
    }
}

// --- ready, request done, login ------------------------------------------------------

void THttpCli::SetReady()
{
    if (FReadyPosted)
        return;
    FReadyPosted = true;
    PostMessage(FWindowHandle, WM_HTTP_SET_READY, FRequestSerial, 0);
}

void THttpCli::WndProc(TMessage& Msg)
{
    const bool current = Msg.WParam == FRequestSerial;
    Guarded([&] {
        switch (Msg.Msg) {
        case WM_HTTP_SET_READY:
            if (current)
                WMHttpSetReady();
            break;
        case WM_HTTP_REQUEST_DONE:
            if (current && OnRequestDone)
                OnRequestDone(this, FRequestType, FRequestDoneError);
            break;
        case WM_HTTP_TLS_READ:
            FTlsReadPosted = false;
            if (current && FTls && FCtrlSocket->State() == wsConnected)
                SocketDataAvailable(0);
            break;
        case WM_HTTP_LOGIN:
            if (!current || FState == httpReady)
                break;
            if (Msg.LParam == 1 && FConnected && FCtrlSocket->State() == wsConnected) {
                FNext = nlHeader;
                StateChange(httpWaitingHeader);
                SendRequest(QString(), FRequestVer);
            } else {
                if (FCtrlSocket->State() != wsClosed)
                    FCtrlSocket->Abort();
                FConnected = false;
                StateChange(httpNotConnected);
                Login();
            }
            break;
        default:
            break;
        }
    });
}

void THttpCli::WMHttpSetReady()
{
    const auto guard = AliveGuard();
    StateChange(httpReady);
    if (guard.expired() || FState != httpReady)
        return;
    if (PrepareBasicAuth())
        return;
    PostMessage(FWindowHandle, WM_HTTP_REQUEST_DONE, FRequestSerial, 0);
}

// --- the blocking wait ----------------------------------------------------------------

int THttpCli::DoRequestSync(THttpRequest Rq)
{
    const qint64 startMs = TickMs();
    DoRequestAsync(Rq);
    const auto guard = AliveGuard();
    while (FState != httpReady) {
        if (ProgramEnding()) {
            Abort();
            break;
        }
        const qint64 nowMs = TickMs();
        const qint64 idleMs = nowMs - FLastActivityMs;
        const qint64 takenMs = nowMs - startMs;
        if (IdleTimeoutMs > 0 && idleMs >= IdleTimeoutMs) {
            Abort();
            ResponseText = QStringLiteral("No answer from %1 for %2 s: the request was aborted")
                               .arg(FHostName)
                               .arg(IdleTimeoutMs / 1000.0);
            break;
        }
        if (RequestTimeoutMs > 0 && takenMs >= RequestTimeoutMs) {
            Abort();
            ResponseText = QStringLiteral("The request to %1 took longer than %2 s: it was aborted")
                               .arg(FHostName)
                               .arg(RequestTimeoutMs / 1000.0);
            break;
        }
        if (FMultiThreaded) {
            FCtrlSocket->ProcessMessages();
            std::this_thread::yield();
        } else {
            qint64 leftMs = kPumpRoundMs;
            if (IdleTimeoutMs > 0)
                leftMs = std::min<qint64>(leftMs, IdleTimeoutMs - idleMs);
            if (RequestTimeoutMs > 0)
                leftMs = std::min<qint64>(leftMs, RequestTimeoutMs - takenMs);
            PumpMessages(static_cast<int>(std::clamp<qint64>(leftMs, 1, kPumpRoundMs)));
        }
        if (guard.expired())
            return 0;
    }
    if (ResponseCode >= 400 && ResponseCode != 401 && ResponseCode != 407)
        throw EHttpException(ResponseText, static_cast<std::uint16_t>(ResponseCode));
    return ResponseCode;
}
