// The HTTP client's reply side: reading the socket, the header lines, the
// body (known length, ended by the close, or chunked), the end of the
// session, relocation and the document name.
//
// A chunked body, as the decoder reads it:
//   "1a;name=value\r\n" 26 bytes "\r\n"  "0\r\n"  "\r\n"
// the size in hexadecimal (extensions skipped with the rest of the line),
// the data, the line end right after it; after the zero-size chunk come
// trailer lines, if any, and an empty line that ends the document. A size
// line without a number, or data longer than its size, fails the request:
// the owner must not keep such a body as a whole document.
#include "net/HttpCli.h"

#include "net/TlsSession.h"
#include "net/UrlParser.h"

#include <algorithm>
#include <climits>
#include <cstring>
#include <utility>

namespace {

constexpr int kMaxPending = 8190;     // bytes of pending input the receive buffer holds
constexpr int kLongLineProbe = 25;    // bytes read at a time while an over-long line is skipped
constexpr int kMaxDocNameChars = 255;

constexpr int kMaxChunkLine = 4096;  // a size line with its extensions, or a trailer line
constexpr int kQuotedChars = 40;     // of a bad line, in a failure text

enum TChunkState { chunkSizeLine, chunkData, chunkDataEnd, chunkTrailer, chunkDone };

// A line of the reply as a failure text quotes it.
QString Quoted(const QByteArray& Line)
{
    return QLatin1Char('"') + QString::fromLatin1(Line.left(kQuotedChars)) + QLatin1Char('"');
}

}  // namespace

// --- reading the socket ---------------------------------------------------------

void THttpCli::SocketDataAvailable(int)
{
    FLastActivityMs = TickMs();
    if (FTls && !FTls->Established()) {
        TlsHandshakeStep();
        return;
    }
    char* const buffer = FReceiveBuffer.data();
    if (FReceiveLen >= kMaxPending) {
        // A line longer than the buffer: its tail is skipped up to the next
        // line end, which takes the place of the buffer's last bytes.
        char probe[kLongLineProbe];
        const int n = ReceiveInto(probe, sizeof probe);
        if (n <= 0)
            return;
        const char* lf = static_cast<const char*>(std::memchr(probe, '\n', static_cast<size_t>(n)));
        const int tail = lf ? n - static_cast<int>(lf - probe) : 0;
        if (FNext == nlHeader && !CountHeaderBytes(n - tail))
            return;
        if (!lf)
            return;
        std::memcpy(buffer + FReceiveLen - tail, lf, static_cast<size_t>(tail));
    } else {
        const int n = ReceiveInto(buffer + FReceiveLen, kMaxPending - FReceiveLen);
        if (n <= 0)
            return;
        FReceiveLen += n;
    }

    const auto guard = AliveGuard();
    const unsigned serial = FRequestSerial;
    while (FState != httpWaitingBody && FReceiveLen > 0) {
        const char* lf = static_cast<const char*>(std::memchr(buffer, '\n', static_cast<size_t>(FReceiveLen)));
        if (!lf)
            break;
        const int rawLen = static_cast<int>(lf - buffer) + 1;
        int lineLen = rawLen - 1;
        if (lineLen > 0 && buffer[lineLen - 1] == '\r')
            --lineLen;
        const QByteArray raw(buffer, rawLen);
        const QByteArray line(buffer, lineLen);
        FReceiveLen -= rawLen;
        std::memmove(buffer, buffer + rawLen, static_cast<size_t>(FReceiveLen));
        if (FNext == nlHeader) {
            if (!CountHeaderBytes(rawLen))
                return;
            GetHeaderLineNext(line, raw);
        } else if (FState == httpWaitingHeader) {
            SetReady();
        } else {
            FPushedLine = line;
            if (OnDataPush)
                OnDataPush(this, 0);
        }
        if (guard.expired() || serial != FRequestSerial)
            return;
    }
    if (FState == httpWaitingBody && FNext == nlBody)
        DeliverBody();
}

void THttpCli::DeliverBody()
{
    if (FRequestType == httpHEAD) {
        FReceiveLen = 0;
        FCtrlSocket->Abort();
        return;
    }
    const auto guard = AliveGuard();
    const bool chunked = Chunked();
    char block[kMaxPending];
    while (FReceiveLen > 0 && FNext == nlBody) {
        int n = FReceiveLen;
        if (!chunked && ExpectedLength >= 0)
            n = std::min(n, ExpectedLength - ReceivedCount);
        if (n <= 0)
            break;
        // Handed over from a copy: the handlers may start over and empty the buffer.
        std::memcpy(block, FReceiveBuffer.data(), static_cast<size_t>(n));
        FReceiveLen -= n;
        std::memmove(FReceiveBuffer.data(), FReceiveBuffer.data() + n, static_cast<size_t>(FReceiveLen));
        GetBodyLineNext(block, n);
        if (guard.expired())
            return;
    }
    // Bytes after the end of the document belong to no request.
    if (FNext != nlBody)
        FReceiveLen = 0;
}

// --- the header -------------------------------------------------------------------------

QString THttpCli::NoStatusLineText(const QByteArray& Line) const
{
    return QStringLiteral("The reply from %1 has no HTTP/1.0 or 1.1 status line: %2").arg(FHostName, Quoted(Line));
}

void THttpCli::GetHeaderLineNext(const QByteArray& Line, const QByteArray& RawLine)
{
    const auto guard = AliveGuard();
    if (FHeaderLineCount == 0) {
        if (Line.isEmpty())
            return;  // stray line ends before a reply
        if (OnHeaderBegin)
            OnHeaderBegin(this);
        if (guard.expired())
            return;
        if (Line.left(6).toUpper() == "<HTML>") {
            // No header at all: the line is the first of the document, which
            // is delivered, but without a status nothing tells a document
            // from an error page: the request fails.
            Fail(NoStatusLineText(Line));
            FHeaderLineCount = 1;
            if (ResponseContentType.isEmpty())
                ResponseContentType = QStringLiteral("text/html");
            StateChange(httpWaitingBody);
            FNext = nlBody;
            if (OnHeaderEnd)
                OnHeaderEnd(this);
            if (guard.expired() || FNext != nlBody)
                return;
            GetBodyLineNext(RawLine.constData(), static_cast<int>(RawLine.size()));
            return;
        }
    }
    if (Line.isEmpty()) {
        if (FContinueSeen) {
            // An interim "100 Continue": the real header follows.
            FContinueSeen = false;
            ResponseHeaders.clear();
            FHeaderLineCount = 0;
            if (++FInterimReplies > kHttpMaxInterimReplies)
                FailReply(QStringLiteral("The server at %1 sent more than %2 interim replies")
                              .arg(FHostName)
                              .arg(kHttpMaxInterimReplies));
            return;
        }
        HeaderEnd();
        return;
    }

    if (FHeaderLineCount >= kHttpMaxHeaderLines) {
        FailReply(QStringLiteral("The reply header from %1 has more than %2 lines").arg(FHostName).arg(kHttpMaxHeaderLines));
        return;
    }
    ++FHeaderLineCount;
    const QString text = QString::fromLatin1(Line);
    ResponseHeaders << text;
    if (FHeaderLineCount == 1) {
        if (text.startsWith(QLatin1String("HTTP/1.0")) || text.startsWith(QLatin1String("HTTP/1.1"))) {
            // "HTTP/1.1 404 Not Found": the status in characters 10-12.
            bool number = text.size() >= 12 && text[8] == QLatin1Char(' ');
            int status = 0;
            for (int i = 9; number && i < 12; ++i) {
                number = text[i].isDigit() && text[i].unicode() < 128;
                status = status * 10 + (number ? text[i].unicode() - '0' : 0);
            }
            if (!number) {
                FailReply(QStringLiteral("Bad status line from %1: \"%2\"").arg(FHostName, text.left(80)));
                return;
            }
            ResponseCode = status;
            ResponseText = text.mid(13);
            FContinueSeen = status == 100 && text.startsWith(QLatin1String("HTTP/1.1"));
        } else {
            if (OnDataPush2)
                OnDataPush2(this);
            if (guard.expired() || FNext != nlHeader)
                return;
            // Without a status there is nothing to tell a document from an
            // error page.
            FailReply(NoStatusLineText(Line));
            return;
        }
    } else {
        const int colon = static_cast<int>(text.indexOf(QLatin1Char(':')));
        if (colon > 0) {
            int from = colon + 1;
            while (from < text.size() && text[from] == QLatin1Char(' '))
                ++from;
            HeaderField(text.left(colon).trimmed().toLower(), text.mid(from));
            if (guard.expired() || FNext != nlHeader)
                return;
        }
    }
    if (OnHeaderData)
        OnHeaderData(this);
}

void THttpCli::HeaderField(const QString& Name, const QString& Value)
{
    if (Name == QLatin1String("location")) {
        if (FRequestType == httpPUT)
            RelocationURL = Value;
        else if (FollowRelocation)
            SetLocation(Value);
    } else if (Name == QLatin1String("content-length")) {
        const QString value = Value.trimmed();
        const bool sign = value.startsWith(QLatin1Char('-')) || value.startsWith(QLatin1Char('+'));
        const QStringView digits = QStringView(value).mid(sign ? 1 : 0);
        const bool number = !digits.isEmpty() && std::all_of(digits.begin(), digits.end(), [](QChar c) {
            return c.unicode() >= '0' && c.unicode() <= '9';
        });
        bool ok = false;
        const qlonglong length = number ? digits.toLongLong(&ok) : -1;
        if (!number)
            ExpectedLength = -1;  // no number: as good as none
        else if (!sign && ok && length <= INT_MAX)
            ExpectedLength = static_cast<int>(length);
        else
            // A length the body cannot have (negative, or more than the
            // counts hold): taken as none, a short body would pass as whole.
            FailReply(QStringLiteral("Bad Content-Length from %1: %2").arg(FHostName, Quoted(value.toLatin1())));
    } else if (Name == QLatin1String("transfer-encoding")) {
        ResponseTransferEncoding = Value;
    } else if (Name == QLatin1String("content-range")) {
        // "bytes 0-99/1000"
        const int dash = static_cast<int>(Value.indexOf(QLatin1Char('-')));
        const int slash = static_cast<int>(Value.indexOf(QLatin1Char('/')));
        if (dash >= 6 && slash > dash) {
            ContentRangeBegin = Value.mid(6, dash - 6);
            ContentRangeEnd = Value.mid(dash + 1, slash - dash - 1);
        }
    } else if (Name == QLatin1String("accept-ranges")) {
        FAcceptRanges = Value;
    } else if (Name == QLatin1String("content-type")) {
        ResponseContentType = Value.toLower();
    } else if (Name == QLatin1String("www-authenticate") || Name == QLatin1String("proxy-authenticate")) {
        AuthChallenges << Value;
    } else if (Name == QLatin1String("set-cookie")) {
        bool accept = true;
        if (OnCookie)
            OnCookie(this, Value, accept);
    } else if (Name == QLatin1String("connection") || Name == QLatin1String("proxy-connection")) {
        const QString v = Value.trimmed().toLower();
        if (v == QLatin1String("close"))
            FCloseReq = true;
        else if (v == QLatin1String("keep-alive"))
            FCloseReq = false;
    }
}

void THttpCli::HeaderEnd()
{
    const auto guard = AliveGuard();
    if (FTooManyRelocations)
        Fail(QStringLiteral("Too many relocations: more than %1 for %2").arg(kHttpMaxRelocations).arg(UrlWithoutPassword(URL)));
    if (OnHeaderEnd)
        OnHeaderEnd(this);
    if (guard.expired() || FNext != nlHeader)
        return;
    const int status = ResponseCode;
    const bool noBody =
        (ExpectedLength == -1 && (status < 200 || status == 204 || status == 301 || status == 302 || status == 304)) ||
        ExpectedLength == 0 || FRequestType == httpHEAD;
    if (noBody) {
        FNext = nlNone;
        ReplyComplete();
        return;
    }
    // A page sent for a program's name is saved as a page.
    const int dot = static_cast<int>(DocumentName.lastIndexOf(QLatin1Char('.')));
    const QString ext = dot >= 0 ? DocumentName.mid(dot).toLower() : QString();
    if ((ext.isEmpty() || ext == QLatin1String(".exe")) && ResponseContentType == QLatin1String("text/html"))
        DocumentName = (dot >= 0 ? DocumentName.left(dot + 1) : DocumentName + QLatin1Char('.')) + QStringLiteral("htm");
    StateChange(httpWaitingBody);
    FNext = nlBody;
    DeliverBody();
}

// --- the body -----------------------------------------------------------------------------

void THttpCli::GetBodyLineNext(const char* Data, int Len)
{
    const auto guard = AliveGuard();
    if (FBodyLineCount++ == 0) {
        FChunkState = chunkSizeLine;
        FChunkLength = 0;
        FChunkRcvd = 0;
        FChunkLine.clear();
        if (OnDocBegin)
            OnDocBegin(this);
        if (guard.expired() || FNext != nlBody)
            return;
    }
    if (!Chunked()) {
        DeliverDocData(Data, Len);
        if (!guard.expired() && FNext == nlBody && ExpectedLength >= 0 && ReceivedCount >= ExpectedLength)
            EndOfDocument();
        return;
    }
    ChunkedData(Data, Len);
}

void THttpCli::ChunkedData(const char* Data, int Len)
{
    const auto guard = AliveGuard();
    const char* p = Data;
    const char* const end = Data + Len;
    QByteArray line;
    while (p < end && FChunkState != chunkDone && FNext == nlBody) {
        switch (FChunkState) {
        case chunkSizeLine:
            if (TakeChunkLine(p, end, line) && ChunkSizeLine(line))
                FChunkState = FChunkLength == 0 ? chunkTrailer : chunkData;
            break;
        case chunkData: {
            const int n = static_cast<int>(std::min<qint64>(end - p, FChunkLength - FChunkRcvd));
            DeliverDocData(p, n);
            if (guard.expired() || FNext != nlBody)
                return;
            p += n;
            FChunkRcvd += n;
            if (FChunkRcvd >= FChunkLength)
                FChunkState = chunkDataEnd;
            break;
        }
        case chunkDataEnd:
            if (!TakeChunkLine(p, end, line))
                break;
            if (!line.isEmpty()) {
                FailReply(QStringLiteral("Bad chunked body: a chunk from %1 is longer than its size").arg(FHostName));
                return;
            }
            FChunkState = chunkSizeLine;
            break;
        case chunkTrailer:
            // Trailer fields are read as header lines would be, and dropped.
            if (TakeChunkLine(p, end, line) && line.isEmpty())
                FChunkState = chunkDone;
            break;
        default:
            break;
        }
    }
    if (FChunkState == chunkDone && FNext == nlBody)
        EndOfDocument();
}

bool THttpCli::TakeChunkLine(const char*& P, const char* End, QByteArray& Line)
{
    const char* lf = static_cast<const char*>(std::memchr(P, '\n', static_cast<size_t>(End - P)));
    const char* const stop = lf ? lf + 1 : End;
    const int count = static_cast<int>(stop - P);
    if (FChunkState == chunkTrailer && !CountHeaderBytes(count))
        return false;
    if (FChunkLine.size() + count > kMaxChunkLine) {
        FailReply(QStringLiteral("Bad chunked body from %1: a line of its framing is longer than %2 bytes")
                      .arg(FHostName)
                      .arg(kMaxChunkLine));
        return false;
    }
    FChunkLine.append(P, count);
    P = stop;
    if (!lf)
        return false;
    FChunkLine.chop(1);
    if (FChunkLine.endsWith('\r'))
        FChunkLine.chop(1);
    Line = std::exchange(FChunkLine, QByteArray());
    return true;
}

bool THttpCli::ChunkSizeLine(const QByteArray& Line)
{
    // "1a", "1a;name=value", "1a  ": hexadecimal digits, then blanks, a chunk
    // extension or nothing.
    qint64 size = 0;
    int i = 0;
    for (; i < Line.size() && IsXDigit(Line[i]); ++i) {
        size = size * 16 + XDigit(Line[i]);
        if (size > INT_MAX) {
            FailReply(QStringLiteral("Bad chunk size from %1: the chunk is too large").arg(FHostName));
            return false;
        }
    }
    int rest = i;
    while (rest < Line.size() && (Line[rest] == ' ' || Line[rest] == '\t'))
        ++rest;
    if (i == 0 || (rest < Line.size() && Line[rest] != ';')) {
        FailReply(QStringLiteral("Bad chunk size line from %1: %2").arg(FHostName, Quoted(Line)));
        return false;
    }
    FChunkLength = static_cast<int>(size);
    FChunkRcvd = 0;
    return true;
}

void THttpCli::DeliverDocData(const char* Data, int Len)
{
    if (Len <= 0)
        return;
    if (ReceivedCount > INT_MAX - Len) {
        FailReply(QStringLiteral("The document from %1 is larger than %2 bytes").arg(FHostName).arg(INT_MAX));
        return;
    }
    if (ReceiveStream)
        ReceiveStream->Write(Data, Len);
    ReceivedCount += Len;
    if (OnDocData)
        OnDocData(this, Data, Len);
}

void THttpCli::EndOfDocument()
{
    const auto guard = AliveGuard();
    FNext = nlNone;
    FDocEnded = true;
    StateChange(httpBodyReceived);
    if (OnDocEnd)
        OnDocEnd(this);
    if (guard.expired() || FState != httpBodyReceived)
        return;
    ReplyComplete();
}

void THttpCli::ReplyComplete()
{
    if (FLocationFlag)
        StartRelocation();
    else if (FCloseReq)
        FCtrlSocket->CloseDelayed();  // the request ends when the close is reported
    else
        SetReady();
}

bool THttpCli::Chunked() const
{
    return ResponseTransferEncoding.trimmed().compare(QLatin1String("chunked"), Qt::CaseInsensitive) == 0;
}

void THttpCli::FailReply(const QString& Text)
{
    Fail(Text);
    // A document that began still ends (OnDocEnd, with the failure known)
    // when the close is reported; a header that failed ends there.
    if (FNext != nlBody)
        FNext = nlNone;
    FLocationFlag = false;
    FReceiveLen = 0;
    FTls.reset();  // nothing more of this reply is read
    FCtrlSocket->Abort();  // the request ends with the close this reports
}

bool THttpCli::CountHeaderBytes(int Count)
{
    FHeaderBytes += Count;
    if (FHeaderBytes <= kHttpMaxHeaderBytes)
        return true;
    FailReply(QStringLiteral("The reply header from %1 is larger than %2 KiB").arg(FHostName).arg(kHttpMaxHeaderBytes / 1024));
    return false;
}

void THttpCli::CheckBodyComplete(bool EndMarked)
{
    const bool chunked = Chunked();
    if (chunked && FChunkState != chunkDone)
        Fail(QStringLiteral("The document from %1 was cut short: %2 bytes came, the last chunk did not")
                 .arg(FHostName)
                 .arg(ReceivedCount));
    else if (!chunked && ExpectedLength >= 0 && ReceivedCount < ExpectedLength)
        Fail(QStringLiteral("The document from %1 was cut short: %2 of %3 bytes came")
                 .arg(FHostName)
                 .arg(ReceivedCount)
                 .arg(ExpectedLength));
    else if (!chunked && ExpectedLength < 0 && !EndMarked)
        // Anyone on the path can cut a TCP stream; only the server can end
        // a TLS one.
        Fail(QStringLiteral("The document from %1 was cut short: %2 bytes came, the TLS close_notify that ends it did not")
                 .arg(FHostName)
                 .arg(ReceivedCount));
}

// --- the end of the session ----------------------------------------------------------------

void THttpCli::SocketSessionClosed(int ErrCode)
{
    const auto guard = AliveGuard();
    DrainTls();
    if (guard.expired())
        return;
    if (FTls && !FTls->Established())
        Fail(QStringLiteral("The connection to %1 closed during the TLS handshake").arg(FHostName));
    const bool endMarked = !FTls || FTlsCloseNotify;
    FTls.reset();
    if (ErrCode != 0)
        FRequestDoneError = ErrCode;
    FConnected = false;
    FTunnelOpen = false;
    if (FState == httpReady) {
        // A kept connection that the server closed between requests.
        if (OnSessionClosed)
            OnSessionClosed(this);
        return;
    }
    if (FNext == nlHeader && FState == httpWaitingHeader) {
        FNext = nlNone;
        if (FHeaderLineCount > 0) {
            if (OnHeaderEnd)
                OnHeaderEnd(this);
            if (guard.expired())
                return;
            if (FLocationFlag) {
                RestartAfterRelocation();
                return;
            }
            Fail(QStringLiteral("The connection to %1 closed in the middle of the reply header").arg(FHostName));
        } else {
            Fail(QStringLiteral("The connection to %1 closed before a reply came").arg(FHostName));
        }
    } else if (FNext == nlBody) {
        FNext = nlNone;
        CheckBodyComplete(endMarked);
        if (FBodyLineCount > 0 && !FDocEnded) {
            FDocEnded = true;
            if (OnDocEnd)
                OnDocEnd(this);
            if (guard.expired())
                return;
        }
    }
    if (FLocationFlag && FState != httpAborting) {
        RestartAfterRelocation();
        return;
    }
    if (OnSessionClosed)
        OnSessionClosed(this);
    if (guard.expired())
        return;
    SetReady();
}

// --- relocation -------------------------------------------------------------------------------

void THttpCli::SetLocation(const QString& Location)
{
    if (FRelocations >= kHttpMaxRelocations) {
        FTooManyRelocations = true;
        return;
    }
    QString location = Location.trimmed();
    const bool toHttp = location.startsWith(QLatin1String("http://"), Qt::CaseInsensitive);
    const bool absolute = toHttp || location.startsWith(QLatin1String("https://"), Qt::CaseInsensitive);
    if (toHttp && TargetOrigin().startsWith(QLatin1String("https://"))) {
        // What was asked for over TLS is not fetched in clear, whoever asks.
        FailReply(QStringLiteral("The server at %1 relocates the request to %2: a relocation from https to plain http is refused")
                      .arg(FTargetHost, UrlWithoutPassword(location).left(200)));
        return;
    }
    ++FRelocations;
    FLocationFlag = true;
    if (Proxy.isEmpty()) {
        if (location.startsWith(QLatin1Char('/'))) {
            FPath = location;
        } else if (!absolute) {
            const QString beforeQuery = FPath.left(FPath.indexOf(QLatin1Char('?')) < 0 ? FPath.size() : FPath.indexOf(QLatin1Char('?')));
            const int cut = static_cast<int>(std::max(beforeQuery.lastIndexOf(QLatin1Char('/')), beforeQuery.lastIndexOf(QLatin1Char(':'))));
            FPath = FPath.left(cut + 1) + location;
        } else {
            QString proto, user, pass, host, port, path;
            ParseURL(location, proto, user, pass, host, port, path);
            if (!port.isEmpty() && PortNumber(port) == 0) {
                FailReply(QStringLiteral("The relocation to %1 names no port from 1 to 65535").arg(UrlWithoutPassword(location).left(200)));
                return;
            }
            FHostName = host;
            FTargetHost = host;
            FPort = port.isEmpty() ? DefaultPort(proto) : port;
            FTargetPort = FPort;
            FProtocol = proto;
            FPath = path.isEmpty() ? QStringLiteral("/") : path;
            if (!user.isEmpty() && !pass.isEmpty()) {
                Username = user;
                Password = pass;
                FAuthOrigin = TargetOrigin();
            }
            RelocationURL = location;
        }
        if (!absolute) {
            const QString proto = FProtocol.isEmpty() ? QStringLiteral("http") : FProtocol;
            RelocationURL = proto + QStringLiteral("://") + FHostName +
                            (FPort == DefaultPort(proto) ? QString() : QLatin1Char(':') + FPort) + FPath;
        }
    } else {
        // Through a proxy the request line carries the new absolute URL.
        QString proto, user, pass, host, port, path;
        ParseURL(FPath, proto, user, pass, host, port, path);
        const QString origin = (proto.isEmpty() ? QStringLiteral("http") : proto) + QStringLiteral("://") + host +
                               (port.isEmpty() ? QString() : QStringLiteral(":") + port);
        if (location.startsWith(QLatin1Char('/'))) {
            FPath = origin + location;
        } else if (!absolute) {
            const QString beforeQuery = path.left(path.indexOf(QLatin1Char('?')) < 0 ? path.size() : path.indexOf(QLatin1Char('?')));
            FPath = origin + beforeQuery.left(beforeQuery.lastIndexOf(QLatin1Char('/')) + 1) + location;
        } else {
            FPath = location;
            ParseURL(location, proto, user, pass, host, port, path);
            FTargetHost = host;
            FTargetPort = port.isEmpty() ? DefaultPort(proto) : port;
        }
        RelocationURL = FPath;
    }
    // Credentials stay with their origin: another one has not asked for them.
    if (TargetOrigin() != FAuthOrigin)
        FAuthBasicState = 0;
    // The fragment names a place in the document; servers never see it.
    const int hash = static_cast<int>(FPath.indexOf(QLatin1Char('#')));
    if (hash >= 0)
        FPath.truncate(hash);
}

void THttpCli::StartRelocation()
{
    FHeaderLineCount = 0;
    FBodyLineCount = 0;
    if (FHostName != FCurrentHost || FPort != FCurrentPort || FProtocol != FCurrentProtocol || FCloseReq ||
        FCtrlSocket->State() != wsConnected) {
        // The new request starts when this connection has closed.
        if (FCtrlSocket->State() == wsClosed)
            RestartAfterRelocation();
        else
            FCtrlSocket->CloseDelayed();
        return;
    }
    if (!ResetForRelocation())
        return;
    DocumentName = AdjustDocName(FPath);
    PostMessage(FWindowHandle, WM_HTTP_LOGIN, FRequestSerial, 1);
}

bool THttpCli::ResetForRelocation()
{
    const auto guard = AliveGuard();
    FLocationFlag = false;
    if (OnLocationChange)
        OnLocationChange(this);
    if (guard.expired())
        return false;
    CleanupRcvdStream();
    CleanupSndStream();
    ClearReplyState(true);
    return true;
}

void THttpCli::RestartAfterRelocation()
{
    const int hash = static_cast<int>(RelocationURL.indexOf(QLatin1Char('#')));
    if (hash >= 0)
        RelocationURL.truncate(hash);
    if (FRequestType == httpPOST)
        FRequestType = httpGET;
    if (!ResetForRelocation())
        return;
    QString proto, user, pass, host, port, path;
    ParseURL(RelocationURL, proto, user, pass, host, port, path);
    DocumentName = AdjustDocName(path);
    FCloseReq = FRequestVer == QLatin1String("1.0");
    StateChange(httpNotConnected);
    PostMessage(FWindowHandle, WM_HTTP_LOGIN, FRequestSerial, 0);
}

void THttpCli::CleanupRcvdStream()
{
    // Body bytes of the reply that is given up are taken back.
    if (ReceiveStream && ReceivedCount > 0)
        ReceiveStream->SetSize(std::max<qint64>(ReceiveStream->Size() - ReceivedCount, 0));
    ReceivedCount = 0;
}

void THttpCli::CleanupSndStream()
{
    if (SendStream && SentCount > 0)
        SendStream->SetPosition(SendStream->Position() - SentCount);
    SentCount = 0;
}

// --- the document name -----------------------------------------------------------------------

QString THttpCli::AdjustDocName(const QString& Path) const
{
    QString path = Path;
    const int query = static_cast<int>(path.indexOf(QLatin1Char('?')));
    if (query >= 0)
        path.truncate(query);
    QString name;
    if (!path.isEmpty() && !path.endsWith(QLatin1Char('/')))
        name = path.mid(path.lastIndexOf(QLatin1Char('/')) + 1).left(kMaxDocNameChars);
    // After a relocation the server chooses this name, and owners save the
    // document under it: no control characters, no "." or "..".
    QString clean;
    for (const QChar c : name)
        if (c.unicode() >= 0x20 && c.unicode() != 0x7f)
            clean += c;
    if (clean.isEmpty() || clean == QLatin1String(".") || clean == QLatin1String(".."))
        return QStringLiteral("document.htm");
    return clean;
}
