// The FTP client's control connection and request machine: properties,
// sending a command, reading and judging replies, ending a request, opening,
// quitting and aborting.
//
// One command:  -> "CWD /pub"   <- "250 Directory successfully changed."
// A multi-line reply ends at the line whose code is not followed by '-':
//   <- "211-Features:"  <- " MDTM"  <- " SIZE"  <- "211 End"
#include "net/FtpCli.h"

#include <QCoreApplication>
#include <chrono>
#include <climits>
#include <cstring>
#include <typeinfo>

namespace {

constexpr int kMaxReplyLine = 4095;            // bytes held for one reply line
constexpr int kAllResponsesLimit = 65536;      // characters kept of a command's reply lines

// The leading number of a reply line (after blanks, tabs, CR and LF, an
// optional sign); Continued tells whether a '-' follows it.
int LeadingNumber(const QString& line, bool* continued)
{
    int i = 0;
    const int n = static_cast<int>(line.size());
    while (i < n && (line[i] == QLatin1Char(' ') || line[i] == QLatin1Char('\t') || line[i] == QLatin1Char('\r') ||
                     line[i] == QLatin1Char('\n')))
        ++i;
    bool negative = false;
    if (i < n && (line[i] == QLatin1Char('-') || line[i] == QLatin1Char('+')))
        negative = line[i++] == QLatin1Char('-');
    long long value = 0;
    while (i < n && line[i].isDigit() && line[i].unicode() < 128) {
        value = std::min<long long>(value * 10 + (line[i].unicode() - '0'), 1000000000);
        ++i;
    }
    if (continued)
        *continued = i < n && line[i] == QLatin1Char('-');
    return static_cast<int>(negative ? -value : value);
}

bool BeginsWithDigit(const QString& line) { return !line.isEmpty() && line[0].unicode() >= '0' && line[0].unicode() <= '9'; }

// The double-quoted text after the code ("" when there is none); a doubled
// quote inside stands for one.
QString QuotedText(const QString& line, int from)
{
    int i = from;
    while (i < line.size() && line[i] == QLatin1Char(' '))
        ++i;
    if (i >= line.size() || line[i] != QLatin1Char('"'))
        return {};
    QString text;
    for (++i; i < line.size(); ++i) {
        if (line[i] == QLatin1Char('"')) {
            if (i + 1 < line.size() && line[i + 1] == QLatin1Char('"')) {
                text += QLatin1Char('"');
                ++i;
                continue;
            }
            break;
        }
        text += line[i];
    }
    return text;
}

// The text after the reply code.
QString AfterCode(const QString& line)
{
    int i = 0;
    while (i < line.size() && line[i].isDigit())
        ++i;
    return line.mid(i);
}

}  // namespace

QString ExceptionText(const std::exception& E)
{
    const char* kind = dynamic_cast<const FtpException*>(&E)      ? "FtpException"
                       : dynamic_cast<const ESocketException*>(&E) ? "ESocketException"
                                                                   : "Exception";
    return QString::fromLatin1(kind) + QStringLiteral(": ") + QString::fromStdString(E.what());
}

qint64 FtpTickMs()
{
    using namespace std::chrono;
    return duration_cast<milliseconds>(steady_clock::now().time_since_epoch()).count();
}

// --- construction and properties ----------------------------------------------

TCustomFtpCli::TCustomFtpCli()
{
    FHiddenWindow = new TMessageTarget([this](TMessage& msg) { WndProc(msg); });
    FControlSocket = std::make_unique<TWSocket>();
    FDataSocket = std::make_unique<TWSocket>();
    FControlSocket->OnSessionConnected = [this](TCustomWSocket*, int e) { Guarded([&] { ControlSocketSessionConnected(e); }); };
    FControlSocket->OnDataAvailable = [this](TCustomWSocket*, int e) { Guarded([&] { ControlSocketDataAvailable(e); }); };
    FControlSocket->OnSessionClosed = [this](TCustomWSocket*, int e) { Guarded([&] { ControlSocketSessionClosed(e); }); };
    FControlSocket->OnDnsLookupDone = [this](TCustomWSocket*, int e) { Guarded([&] { ControlSocketDnsLookupDone(e); }); };
}

TCustomFtpCli::~TCustomFtpCli()
{
    FLifeToken.reset();
    // The sockets' handlers point here: they must not run any more.
    for (TWSocket* s : {FControlSocket.get(), FDataSocket.get()}) {
        s->OnSessionConnected = nullptr;
        s->OnSessionClosed = nullptr;
        s->OnDataAvailable = nullptr;
        s->OnDataSent = nullptr;
        s->OnSessionAvailable = nullptr;
        s->OnDnsLookupDone = nullptr;
    }
    FDataSocket.reset();
    FControlSocket.reset();
    DestroyLocalStream();
    FHiddenWindow->SetHandler({});
    FHiddenWindow->deleteLater();  // a message of it may be being handled right now
}

bool TCustomFtpCli::GetConnected() const { return FControlSocket->State() != wsClosed; }

void TCustomFtpCli::SetDataPortRangeStart(unsigned Value)
{
    if (Value > 65535) {
        HandleError(QStringLiteral("DataPortRangeStart must be in the range 0..65535"));
        return;
    }
    FDataPortRangeStart = Value;
}

void TCustomFtpCli::SetDataPortRangeEnd(unsigned Value)
{
    if (Value > 65535) {
        HandleError(QStringLiteral("DataPortRangeEnd must be in the range 0..65535"));
        return;
    }
    FDataPortRangeEnd = Value;
}

TFtpShareMode TCustomFtpCli::GetShareMode() const
{
    switch (FShareFlags) {
    case 0x00: return ftpShareCompat;
    case 0x20: return ftpShareDenyWrite;
    case 0x30: return ftpShareDenyRead;
    case 0x40: return ftpShareDenyNone;
    default: return ftpShareExclusive;
    }
}

void TCustomFtpCli::SetShareMode(TFtpShareMode Value)
{
    static const unsigned flags[] = {0x00, 0x10, 0x20, 0x30, 0x40};
    FShareFlags = Value >= ftpShareCompat && Value <= ftpShareDenyNone ? flags[Value] : 0x10;
}

void TCustomFtpCli::SetConnectionType(TFtpConnectionType Value)
{
    if (FConnected) {
        HandleError(QStringLiteral("FTP component connected"));
        return;
    }
    FConnectionType = Value;
    switch (Value) {
    case ftpProxy:
        FPassive = true;
        FSocksAuthentication = socksNoAuthentication;
        break;
    case ftpSocks4:
    case ftpSocks4A:
    case ftpSocks5:
        FPassive = true;
        FSocksLevel = Value == ftpSocks4 ? QStringLiteral("4") : Value == ftpSocks4A ? QStringLiteral("4A") : QStringLiteral("5");
        FSocksAuthentication = socksAuthenticateUsercode;
        break;
    default:
        FConnectionType = ftpDirect;
        FSocksAuthentication = socksNoAuthentication;
        break;
    }
}

void TCustomFtpCli::SetPassive(bool Value) { FPassive = FConnectionType == ftpDirect ? Value : true; }

// Every close resets a socket's SOCKS settings, so they are written anew
// before each connection.
void TCustomFtpCli::ApplySocks(TWSocket& Socket)
{
    if (FConnectionType < ftpSocks4 || FSocksServer.isEmpty())
        return;
    Socket.SetSocksServer(FSocksServer);
    Socket.SetSocksPort(FSocksPort);
    Socket.SetSocksLevel(FSocksLevel);
    Socket.SocksUsercode = FSocksUserCode;
    Socket.SocksPassword = FSocksPassword;
    Socket.SocksAuthentication = FSocksAuthentication;
}

// --- checks, errors, events ------------------------------------------------------

bool TCustomFtpCli::CheckReady()
{
    if (FState == ftpReady || FState == ftpInternalReady || FState == ftpPasvReady)
        return true;
    HandleError(QStringLiteral("FTP component not ready"));
    return false;
}

void TCustomFtpCli::HandleError(const QString& Msg)
{
    FRefused = true;
    FRefusalText = Msg;
    if (OnError) {
        TriggerError(Msg);
        return;
    }
    throw FtpException(Msg);
}

void TCustomFtpCli::TriggerError(const QString& Msg)
{
    QString text = Msg;
    if (OnError)
        OnError(this, text);
}

void TCustomFtpCli::TriggerDisplay(const QString& Msg)
{
    QString text = Msg;
    if (OnDisplay)
        OnDisplay(this, text);
}

void TCustomFtpCli::TriggerDisplayFile(const QString& Msg)
{
    QString text = Msg;
    if (OnDisplayFile)
        OnDisplayFile(this, text);
}

void TCustomFtpCli::TriggerReadyToTransmit(bool& bCancel)
{
    if (OnReadyToTransmit)
        OnReadyToTransmit(this, bCancel);
}

void TCustomFtpCli::SetErrorMessage()
{
    if (FErrorMessage.isEmpty())
        FErrorMessage = FLastResponse;
}

void TCustomFtpCli::StateChange(TFtpState NewState)
{
    if (FState == NewState)
        return;
    FState = NewState;
    if (OnStateChange)
        OnStateChange(this);
}

void TCustomFtpCli::DisplayLastResponse() { TriggerDisplay(QStringLiteral("< ") + FLastResponse); }

void TCustomFtpCli::Guarded(const std::function<void()>& Fn)
{
    const auto guard = AliveGuard();
    try {
        Fn();
    } catch (const std::exception& e) {
        if (!guard.expired())
            FailRequest(426, QStringLiteral("426 ") + QString::fromStdString(e.what()));
    } catch (...) {
        if (!guard.expired())
            FailRequest(426, QStringLiteral("426 Unknown exception"));
    }
}

void TCustomFtpCli::FailRequest(int Code, const QString& Text)
{
    AbortDataSocket();
    // An idle component has no request to end.
    if (FState == ftpReady)
        return;
    FLastResponse = Text;
    FStatusCode = Code;
    FRequestResult = Code;
    SetErrorMessage();
    DestroyLocalStream();
    FNext = nullptr;
    FDoneAsync = nullptr;
    FWhenConnected = nullptr;
    FRequestDoneFlag = false;
    TriggerRequestDone(Code);
}

// --- sending commands -------------------------------------------------------------

void TCustomFtpCli::SendCommand(const QString& Cmd)
{
    QString command = Cmd;
    if (OnCommand)
        OnCommand(this, command);
    TriggerDisplay(QStringLiteral("> ") + command);
    if (FControlSocket->State() == wsConnected)
        FControlSocket->SendStr(command.toUtf8() + "\r\n");
}

void TCustomFtpCli::ExecAsync(TFtpRequest RqType, const QString& Cmd, std::initializer_list<int> OkResponses,
                              TFtpNextProc DoneAsync)
{
    if (Cmd != QLatin1String("ABOR") && Cmd != QLatin1String("STAT") && Cmd != QLatin1String("QUIT")) {
        if (!CheckReady())
            return;
        if (!FConnected) {
            HandleError(QStringLiteral("FTP component not connected"));
            return;
        }
    }
    if (!FHighLevelFlag)
        FRequestType = RqType;
    FOkResponses.fill(0);
    int i = 0;
    for (const int code : OkResponses)
        if (i < static_cast<int>(FOkResponses.size()) - 1)
            FOkResponses[i++] = code;
    FAllResponses.clear();
    FRequestDoneFlag = false;
    FNext = &TCustomFtpCli::NextExecAsync;
    FDoneAsync = DoneAsync;
    FErrorMessage.clear();
    StateChange(ftpWaitingResponse);
    SendCommand(Cmd);
}

// --- reading replies ----------------------------------------------------------------

void TCustomFtpCli::ControlSocketDataAvailable(int)
{
    const auto guard = AliveGuard();
    const int room = kMaxReplyLine - FReceiveLen;
    if (room > 0) {
        const int n = FControlSocket->Receive(FReceiveBuffer.data() + FReceiveLen, room);
        if (n <= 0)
            return;
        FReceiveLen += n;
        FReceiveBuffer[FReceiveLen] = 0;
    }
    while (FReceiveLen > 0) {
        const char* begin = FReceiveBuffer.data();
        const char* end = begin + FReceiveLen;
        int lineLen = -1, markLen = 0;
        for (const char* p = begin; p < end; ++p) {
            if (*p != '\n')
                continue;
            if (Options & ftpAcceptLF) {
                lineLen = static_cast<int>(p - begin);
                markLen = 1;
                break;
            }
            if (p > begin && p[-1] == '\r') {
                lineLen = static_cast<int>(p - begin) - 1;
                markLen = 2;
                break;
            }
        }
        if (lineLen < 0) {
            // A line longer than the buffer is taken in pieces, so the
            // reader never stalls on it.
            if (FReceiveLen < kMaxReplyLine)
                return;
            lineLen = FReceiveLen;
        }
        FLastResponse = QString::fromUtf8(begin, lineLen);
        while (FLastResponse.endsWith(QLatin1Char('\r')) || FLastResponse.endsWith(QLatin1Char('\n')))
            FLastResponse.chop(1);
        const int used = lineLen + markLen;
        std::memmove(FReceiveBuffer.data(), begin + used, FReceiveLen - used);
        FReceiveLen -= used;
        FReceiveBuffer[FReceiveLen] = 0;
        if (FAllResponses.size() < kAllResponsesLimit)
            FAllResponses += FLastResponse + QStringLiteral("\r\n");
        if (OnResponse)
            OnResponse(this);
        if (guard.expired())
            return;
        HandleReplyLine();
        if (guard.expired() || FControlSocket->State() != wsConnected)
            return;
    }
}

void TCustomFtpCli::HandleReplyLine()
{
    bool continued = false;
    const bool numbered = BeginsWithDigit(FLastResponse);
    const int code = numbered ? LeadingNumber(FLastResponse, &continued) : 0;
    const bool final = numbered && !continued;
    if (numbered)
        FStatusCode = code;
    DisplayLastResponse();

    if (FState == ftpWaitingBanner) {
        if (!final)
            return;
        if (code == 220) {
            StateChange(ftpConnected);
            if (OnSessionConnected)
                OnSessionConnected(this, 0);
            TriggerRequestDone(0);
            return;
        }
        SetErrorMessage();
        FRequestResult = code;
        FControlSocket->Close();  // ends the request through the session-closed handling
        return;
    }
    if (FState != ftpWaitingResponse)
        return;

    if (FFctPrv == ftpFctFeat) {
        const QString feature = FLastResponse.trimmed();
        if (feature.startsWith(QLatin1String("MDTM YYYYMMDDHHMMSS[+-TZ]")))
            FFeatures |= ftpFeatMDTMYY;
        else if (feature == QLatin1String("MDTM"))
            FFeatures |= ftpFeatMDTM;
        else if (feature == QLatin1String("SIZE"))
            FFeatures |= ftpFeatSize;
        else if (feature == QLatin1String("REST STREAM"))
            FFeatures |= ftpFeatRest;
        else if (feature.startsWith(QLatin1String("MLST"))) {
            FFeatures |= ftpFeatMLST;
            if (feature.size() > 6)
                FMlstFacts = feature.mid(5, 99).trimmed();
        } else if (feature == QLatin1String("MFMT"))
            FFeatures |= ftpFeatMFMT;
        else if (feature == QLatin1String("MD5"))
            FFeatures |= ftpFeatMD5;
    } else if (FFctPrv == ftpFctMlst && FLastResponse.size() > 4 && FLastResponse.startsWith(QLatin1Char(' ')) &&
               FStatusCode == 250) {
        FRemoteFacts = FLastResponse.trimmed();
    }
    if (!final)
        return;
    if (!FNext) {
        HandleError(QStringLiteral("Program error: FNext is nil"));
        return;
    }
    (this->*FNext)();
}

void TCustomFtpCli::NextExecAsync()
{
    const int code = FStatusCode;
    bool ok;
    if (FOkResponses[0] == 0) {
        ok = code < 500;
    } else {
        ok = false;
        for (const int okCode : FOkResponses) {
            if (okCode == 0)
                break;
            if (okCode == code) {
                ok = true;
                break;
            }
        }
    }
    if (ok) {
        FRequestResult = 0;
    } else {
        FRequestResult = code;
        SetErrorMessage();
    }
    if (FPassive && code == 227) {
        StateChange(ftpPasvReady);
        FPasvReply = FLastResponse;
    }
    ExtractMoreResults();
    if (FDoneAsync)
        (this->*FDoneAsync)();
    else
        TriggerRequestDone(FRequestResult);
}

void TCustomFtpCli::ExtractMoreResults()
{
    if (FRequestResult != 0)
        return;
    switch (FFctPrv) {
    case ftpFctSize: {
        const QString rest = AfterCode(FLastResponse).trimmed();
        FSizeResult = 0;
        bool usable = !rest.isEmpty() && rest[0].unicode() >= '0' && rest[0].unicode() <= '9';
        for (const QChar c : rest) {
            if (c.unicode() < '0' || c.unicode() > '9')
                break;
            if (FSizeResult > (LLONG_MAX - 9) / 10) {
                usable = false;
                break;
            }
            FSizeResult = FSizeResult * 10 + (c.unicode() - '0');
        }
        if (!usable) {
            // A size taken as 0 would read as an empty file.
            FSizeResult = 0;
            FRequestResult = 426;
            FErrorMessage = QStringLiteral("426 Unusable SIZE reply: ") + FLastResponse.left(80);
        }
        break;
    }
    case ftpFctMdtm:
        if (FStatusCode == 213)
            RemoteFileTime = MDTM2Date(AfterCode(FLastResponse).trimmed().section(QLatin1Char(' '), 0, 0));
        break;
    case ftpFctCwd:
    case ftpFctMkd:
    case ftpFctPwd:
    case ftpFctCDup:
        FDirResult = QuotedText(FLastResponse, static_cast<int>(FLastResponse.size() - AfterCode(FLastResponse).size()));
        break;
    case ftpFctMd5: {
        FDirResult.clear();
        FMd5Result.clear();
        if (FStatusCode != 251)
            break;
        QString rest = AfterCode(FLastResponse).trimmed();
        if (rest.startsWith(QLatin1Char('"'))) {
            FDirResult = QuotedText(rest, 0);
            const int close = rest.indexOf(QLatin1Char('"'), 1 + static_cast<int>(FDirResult.size()));
            rest = close < 0 ? QString() : rest.mid(close + 1).trimmed();
        } else {
            FDirResult = rest.section(QLatin1Char(' '), 0, 0);
            rest = rest.section(QLatin1Char(' '), 1).trimmed();
        }
        FMd5Result = rest.section(QLatin1Char(' '), 0, 0);
        break;
    }
    default: break;
    }
}

// --- ending a request ---------------------------------------------------------------

void TCustomFtpCli::TriggerRequestDone(int Error)
{
    if (FRequestDoneFlag)
        return;
    FRequestDoneFlag = true;
    if (Error == 0 && FWhenConnected) {
        if (FState != ftpAbort && FState != ftpPasvReady)
            StateChange(ftpInternalReady);
        (this->*FWhenConnected)();
        return;
    }
    StateChange(ftpReady);
    if (FDataSocket->State() != wsClosed)
        FDataSocket->Close();
    if (FHighLevelFlag && FSavedStatusCode >= 0) {
        FLastResponse = FSavedResponse;
        FStatusCode = FSavedStatusCode;
    }
    FHighLevelFlag = false;
    FWhenConnected = nullptr;
    // The type goes with the message: another request may have started by
    // the time it is handled.
    PostMessage(FHiddenWindow, WM_FTP_REQUEST_DONE, static_cast<WPARAM>(FRequestType), Error & 0xFFFF);
}

void TCustomFtpCli::WndProc(TMessage& Msg)
{
    const auto guard = AliveGuard();
    try {
        if (Msg.Msg == WM_FTP_REQUEST_DONE) {
            if (OnRequestDone)
                OnRequestDone(this, static_cast<TFtpRequest>(Msg.WParam), static_cast<int>(Msg.LParam & 0xFFFF));
        } else if (Msg.Msg == WM_FTP_SENDDATA) {
            WMFtpSendData();
        }
    } catch (const std::exception& e) {
        if (!guard.expired())
            HandleBackGroundException(e);
    } catch (...) {
        if (!guard.expired())
            HandleBackGroundException(FtpException(QStringLiteral("Unknown exception")));
    }
}

void TCustomFtpCli::HandleBackGroundException(const std::exception& E)
{
    const auto guard = AliveGuard();
    bool canClose = true;
    if (OnBgException) {
        try {
            OnBgException(this, E, canClose);
        } catch (...) {
        }
    }
    if (guard.expired() || !canClose)
        return;
    try {
        AbortAsync();
    } catch (...) {
    }
}

// --- opening, quitting, aborting ---------------------------------------------------------

void TCustomFtpCli::OpenAsync()
{
    if (!CheckReady())
        return;
    if (FConnected) {
        HandleError(QStringLiteral("FTP component already connected"));
        return;
    }
    if (!FHighLevelFlag)
        FRequestType = ftpOpenAsync;
    FFctPrv = ftpFctOpen;
    FRequestDoneFlag = false;
    FReceiveLen = 0;
    FRequestResult = 0;
    FMlstFacts.clear();
    FFeatures = 0;
    StateChange(ftpDnsLookup);
    try {
        FControlSocket->DnsLookup(FConnectionType == ftpProxy ? ProxyServer : HostName);
    } catch (const std::exception& e) {
        // An empty or malformed host name: the request fails, the component stays usable.
        FLastResponse = QStringLiteral("500 ") + ExceptionText(e);
        FStatusCode = FRequestResult = 500;
        SetErrorMessage();
        TriggerRequestDone(500);
    }
}

void TCustomFtpCli::ControlSocketDnsLookupDone(int ErrCode)
{
    if (FState != ftpDnsLookup)
        return;
    if (ErrCode != 0) {
        FLastResponse = QStringLiteral("500 %1 (Winsock error #%2)").arg(WSocketErrorDesc(ErrCode)).arg(ErrCode);
        FStatusCode = FRequestResult = 500;
        SetErrorMessage();
        TriggerRequestDone(ErrCode);
        return;
    }
    try {
        TWSocket& s = *FControlSocket;
        s.SetAddr(s.DnsResult());
        s.SetLocalAddr(LocalAddr);
        s.SetProto(QStringLiteral("tcp"));
        s.SetPort(FConnectionType == ftpProxy && !ProxyPort.isEmpty() ? ProxyPort : Port);
        ApplySocks(s);
        StateChange(ftpWaitingBanner);
        s.Connect();
    } catch (const std::exception& e) {
        FLastResponse = QStringLiteral("500 ") + ExceptionText(e);
        FStatusCode = FRequestResult = 500;
        SetErrorMessage();
        TriggerRequestDone(500);
    }
}

void TCustomFtpCli::ControlSocketSessionConnected(int ErrCode)
{
    if (ErrCode == 0) {
        FConnected = true;
        return;
    }
    FLastResponse = QStringLiteral("500 %1 (Winsock error #%2)").arg(WSocketErrorDesc(ErrCode)).arg(ErrCode);
    FStatusCode = FRequestResult = 500;
    SetErrorMessage();
    FWhenConnected = nullptr;
    TriggerRequestDone(ErrCode);
    if (FControlSocket->State() != wsClosed)
        FControlSocket->Close();
    StateChange(ftpReady);
}

void TCustomFtpCli::ControlSocketSessionClosed(int ErrCode)
{
    if (FConnected) {
        FConnected = false;
        if (FState != ftpAbort)
            StateChange(ftpNotConnected);
        if (OnSessionClosed)
            OnSessionClosed(this, ErrCode);
    }
    if (FState != ftpAbort)
        StateChange(ftpInternalReady);
    if (ErrCode != 0) {
        FLastResponse = QStringLiteral("500 Control connection closed. %1 (Winsock error #%2)")
                            .arg(WSocketErrorDesc(ErrCode))
                            .arg(ErrCode);
        FStatusCode = FRequestResult = 500;
        SetErrorMessage();
    } else if (!FRequestDoneFlag && FRequestResult == 0 && FFctPrv != ftpFctQuit && FState != ftpAbort) {
        // The server went away in the middle of a request: whatever the
        // replies so far said, this request did not complete.
        FLastResponse = QStringLiteral("500 Control connection closed.");
        FStatusCode = FRequestResult = 500;
        SetErrorMessage();
    }
    FReceiveLen = 0;
    TriggerRequestDone(FRequestResult);
}

void TCustomFtpCli::QuitAsync()
{
    DestroyLocalStream();
    FFctPrv = ftpFctQuit;
    ExecAsync(ftpQuitAsync, QStringLiteral("QUIT"), {221}, &TCustomFtpCli::DoneQuitAsync);
}

void TCustomFtpCli::DoneQuitAsync()
{
    // The request ends through the session-closed handling.
    if (FControlSocket->State() != wsClosed)
        FControlSocket->Close();
    else
        TriggerRequestDone(FRequestResult);
}

void TCustomFtpCli::AbortAsync()
{
    const TFtpState before = FState;
    StateChange(ftpAbort);
    DestroyLocalStream();
    if (before == ftpDnsLookup)
        FControlSocket->CancelDnsLookup();
    if (FControlSocket->State() != wsClosed)
        FControlSocket->Close();
    if (FDataSocket->State() != wsClosed)
        FDataSocket->Close();
    DestroyLocalStream();
    FConnected = false;
    StateChange(ftpReady);
}
