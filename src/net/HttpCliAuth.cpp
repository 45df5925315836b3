// The HTTP client's request body (POST, PUT), Basic authentication towards
// the server and the proxy, and aborting a request.
//
// A refused request repeated once with credentials, on a new connection:
//   -> "GET /private/ HTTP/1.0" ...     <- "HTTP/1.0 401 Unauthorized"  "WWW-Authenticate: Basic realm=..."
//   -> "GET /private/ HTTP/1.0" ... "Authorization: Basic dXNlcjpwYXNz"   <- "HTTP/1.0 200 OK"
#include "net/HttpCli.h"

#include "net/UrlParser.h"

// --- the request body ---------------------------------------------------------------

void THttpCli::SocketDataSent(int)
{
    if (!FSending)
        return;
    FLastActivityMs = TickMs();
    SendBodyBlock();
}

void THttpCli::SendBodyBlock()
{
    const auto guard = AliveGuard();
    const qint64 n = SendStream ? SendStream->Read(FSendBuffer.data(), static_cast<qint64>(FSendBuffer.size())) : 0;
    if (n <= 0) {
        FSending = false;
        if (OnSendEnd)
            OnSendEnd(this);
        return;
    }
    SentCount += static_cast<int>(n);
    if (OnSendData)
        OnSendData(this, FSendBuffer.data(), static_cast<int>(n));
    if (guard.expired() || !FSending)
        return;
    PutOut(FSendBuffer.data(), static_cast<int>(n));
    FCtrlSocket->Send(nullptr, 0);
}

// --- Basic authentication ---------------------------------------------------------------

bool THttpCli::PrepareBasicAuth()
{
    if (Options & httpoNoBasicAuth)
        return false;
    if (FAuthBasicState == 1 && ResponseCode != 401)
        FAuthBasicState = 2;
    else if (FAuthBasicState == 2 && ResponseCode == 401)
        FAuthBasicState = 0;
    if (FProxyAuthBasicState == 1 && ResponseCode != 407) {
        FProxyAuthBasicState = 2;
    } else if (FProxyAuthBasicState == 2 && ResponseCode == 407) {
        FProxyAuthBasicState = 0;
        FAuthBasicState = 0;
    }

    auto hasBasicChallenge = [this] {
        for (auto it = AuthChallenges.crbegin(); it != AuthChallenges.crend(); ++it)
            if (it->left(5) == QLatin1String("Basic"))
                return true;
        return false;
    };
    // A 401 from an origin the credentials were not given for (after a
    // relocation) is the request's answer.
    if (ResponseCode == 401 && !AuthChallenges.isEmpty() && !Username.isEmpty() && !Password.isEmpty() &&
        TargetOrigin() == FAuthOrigin) {
        if (!hasBasicChallenge())
            return false;
        StartAuthBasic();  // repeats the request, or ends it when the credentials were refused
        return true;
    }
    if (ResponseCode == 407 && !AuthChallenges.isEmpty() && !ProxyUsername.isEmpty() && !ProxyPassword.isEmpty()) {
        if (!hasBasicChallenge())
            return false;
        StartProxyAuthBasic();
        return true;
    }
    return false;
}

QString THttpCli::TargetOrigin() const
{
    QString proto = FProtocol;
    if (!Proxy.isEmpty()) {
        // Through a proxy the request line carries the URL, relocations included.
        QString user, pass, host, port, path;
        ParseURL(FPath, proto, user, pass, host, port, path);
    }
    if (proto.isEmpty())
        proto = QStringLiteral("http");
    return proto + QStringLiteral("://") + FTargetHost.toLower() + QLatin1Char(':') +
           QString::number(PortNumber(FTargetPort));
}

void THttpCli::StartAuthBasic()
{
    if (FAuthBasicState == 0) {
        FAuthFor = authServer;
        FAuthBasicState = 1;
        RestartForAuth();
    } else if (FAuthBasicState == 1) {
        // The credentials were refused: the 401 stands.
        AuthChallenges.clear();
        FAuthBasicState = 0;
        PostMessage(FWindowHandle, WM_HTTP_REQUEST_DONE, FRequestSerial, 0);
    } else {
        throw EHttpException(QStringLiteral("Unexpected AuthBasicState"), 6);
    }
}

void THttpCli::StartProxyAuthBasic()
{
    if (FProxyAuthBasicState == 0) {
        FAuthFor = authProxy;
        FProxyAuthBasicState = 1;
        RestartForAuth();
    } else if (FProxyAuthBasicState == 1) {
        AuthChallenges.clear();
        FProxyAuthBasicState = 0;
        PostMessage(FWindowHandle, WM_HTTP_REQUEST_DONE, FRequestSerial, 0);
    } else {
        throw EHttpException(QStringLiteral("Unexpected ProxyAuthBasicState"), 6);
    }
}

void THttpCli::RestartForAuth()
{
    CleanupRcvdStream();
    CleanupSndStream();
    const QString name = DocumentName;
    ClearReplyState(true);
    DocumentName = name;
    FFailed = false;
    FReadyPosted = false;
    FCloseReq = FRequestVer == QLatin1String("1.0");
    // Busy again at once: a blocking call keeps waiting for the repetition.
    StateChange(httpNotConnected);
    PostMessage(FWindowHandle, WM_HTTP_LOGIN, FRequestSerial, 0);
}

// --- abort -----------------------------------------------------------------------------------

void THttpCli::Abort()
{
    const auto guard = AliveGuard();
    if (FState == httpReady) {
        StateChange(httpAborting);
        if (FCtrlSocket->State() != wsClosed)
            FCtrlSocket->Abort();
        FConnected = false;
        if (guard.expired())
            return;
        ResponseCode = 200;
        ResponseText = QStringLiteral("OK");
        FRequestDoneError = 0;
        StateChange(httpReady);
        if (!guard.expired() && OnRequestDone)
            OnRequestDone(this, FRequestType, 0);
        return;
    }
    const bool lookingUp = FState == httpDnsLookup;
    StateChange(httpAborting);
    if (lookingUp) {
        try {
            FCtrlSocket->CancelDnsLookup();
        } catch (...) {
        }
    }
    if (guard.expired())
        return;
    FLocationFlag = false;
    FSending = false;
    FFailed = false;
    Fail(QStringLiteral("Connection aborted on request"));
    FRequestDoneError = 3;
    if (lookingUp)
        SocketSessionClosed(0);
    else if (FCtrlSocket->State() != wsClosed)
        FCtrlSocket->Abort();
    else
        SocketSessionClosed(0);
    if (guard.expired())
        return;
    FRequestDoneError = 3;
    // Ready at once; a set-ready still queued belongs to the aborted request.
    ++FRequestSerial;
    FReadyPosted = true;
    StateChange(httpReady);
    PostMessage(FWindowHandle, WM_HTTP_REQUEST_DONE, FRequestSerial, 0);
}
