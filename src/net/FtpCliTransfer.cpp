// The FTP client's data connection: PASV or PORT, uploads (STOR, APPE) and
// downloads (RETR, LIST, NLST, MLSD), resuming, progress and statistics.
//
// A passive upload:
//   -> "PASV"  <- "227 Entering Passive Mode (127,0,0,1,156,64)."
//   (data connection to the control connection's peer, port 156*256+64)
//   -> "STOR name"  <- "150 Ok to send data."  (the file in 1460-byte blocks, then close)
//   <- "226 Transfer complete."
// A transfer ends at the second of two events: the data connection's close
// and the transfer reply. A local failure (read error, send error, an abort
// by OnProgress, a connection that closes before the end of the file) resets
// the data connection and fails the request whatever the server says then,
// so a cut-short file is never reported as stored.
#include "net/FtpCli.h"

#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>

using namespace wsock;

namespace {

constexpr int kReceiveChunk = 4096;
constexpr int kDiscardChunk = 2048;

// The port of a 227 reply: the last two of its six comma-separated numbers.
// Only the port is used: the data connection goes to the host the control
// connection is connected to, never to an address the reply names.
bool PassivePort(const QString& reply, quint16& port)
{
    if (!reply.startsWith(QLatin1String("227")))
        return false;
    static const QRegularExpression numbers(QStringLiteral("(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3}),(\\d{1,3})"));
    const QRegularExpressionMatch m = numbers.match(reply, 3);
    if (!m.hasMatch())
        return false;
    for (int i = 1; i <= 6; ++i)
        if (m.captured(i).toInt() > 255)
            return false;
    const int value = m.captured(5).toInt() * 256 + m.captured(6).toInt();
    if (value == 0)
        return false;
    port = static_cast<quint16>(value);
    return true;
}

}  // namespace

// --- the local stream -----------------------------------------------------------------

void TCustomFtpCli::SetLocalFileName(const QString& Value)
{
    FLocalFileName = Value;
    if (!Value.isEmpty())
        FStreamOwnedByCaller = false;  // a stream still set is ours from now on
}

void TCustomFtpCli::SetLocalStream(QIODevice* Value)
{
    FLocalStream = Value;
    FStreamOwnedByCaller = Value != nullptr;
    if (Value)
        FLocalFileName.clear();
}

void TCustomFtpCli::DestroyLocalStream()
{
    if (FLocalStream && !FStreamOwnedByCaller) {
        delete FLocalStream;
        FLocalStream = nullptr;
    }
}

// --- shared pieces -------------------------------------------------------------------------

void TCustomFtpCli::AbortDataSocket()
{
    TWSocket& d = *FDataSocket;
    if (d.State() == wsClosed)
        return;
    // A reset, not an orderly close: the server must not take what it got
    // so far for the whole file.
    if (d.HSocket() != INVALID_SOCKET) {
        const linger reset{1, 0};
        wsock::setsockopt(d.HSocket(), SOL_SOCKET, SO_LINGER, &reset, sizeof reset);
    }
    d.DeleteBufferedData();
    d.Close();
}

void TCustomFtpCli::FailTransfer(int Code, const QString& Text)
{
    if (FTransferFailCode == 0) {
        FTransferFailCode = Code;
        FLastResponse = Text;
        FStatusCode = Code;
        SetErrorMessage();
        TriggerDisplay(QStringLiteral("! ") + Text);
    }
    AbortDataSocket();
}

bool TCustomFtpCli::Progress()
{
    bool abort = false;
    if (OnProgress)
        OnProgress(this, static_cast<int>(FByteCount + ResumeAt), abort);
    if (!abort)
        return true;
    TriggerDisplay(QStringLiteral("! Abort requested"));
    FailTransfer(426, QStringLiteral("426 Transfer aborted by the application"));
    return false;
}

void TCustomFtpCli::TransfertStats()
{
    FStopTime = FtpTickMs();
    const qint64 ms = FStopTime - FStartTime;
    QString text = QStringLiteral("! %1 bytes received/sent in %2 seconds").arg(FByteCount).arg(ms / 1000);
    if (ms > 0) {
        const long long rate = FByteCount <= 32767 ? FByteCount * 1000 / ms : FByteCount / ms * 1000;
        text += QStringLiteral(" (%1 Bytes/sec)").arg(rate);
    }
    TriggerDisplay(text);
}

// The data connection to the port of the last 227 reply. False when the
// request has been ended (FailCode: 426 for uploads, 550 for downloads).
bool TCustomFtpCli::ConnectPassiveData(bool Upload, int FailCode)
{
    TWSocket& d = *FDataSocket;
    quint16 port = 0;
    if (!PassivePort(FPasvReply, port)) {
        // PASV answered otherwise than with a readable 227.
        FLastResponse = QStringLiteral("426 Unusable passive mode reply: ") +
                        (FPasvReply.isEmpty() ? FLastResponse : FPasvReply);
        FStatusCode = FRequestResult = 426;
        SetErrorMessage();
        DestroyLocalStream();
        TriggerRequestDone(426);
        return false;
    }
    try {
        // Through SOCKS the control peer is the proxy; the server's address
        // is the one the control connection asked the proxy for.
        const QString host = FConnectionType >= ftpSocks4 ? FControlSocket->Addr() : FControlSocket->GetPeerAddr();
        if (d.State() != wsClosed)
            d.Close();
        d.SetProto(QStringLiteral("tcp"));
        d.SetAddr(host);
        d.SetPort(QString::number(port));
        d.SetLocalAddr(LocalAddr);
        d.OnSessionConnected = [this, Upload](TCustomWSocket*, int e) {
            Guarded([&] { Upload ? DataSocketPutSessionConnected(e) : DataSocketGetSessionConnected(e); });
        };
        // An orderly close that keeps sending what is queued: the default
        // (a reset on close) could cut an upload short.
        d.LingerOnOff = wsLingerOff;
        d.LingerTimeout = 0;
        d.ComponentOptions = wsoNoReceiveLoop;
        ApplySocks(d);
        d.Connect();
    } catch (const std::exception& e) {
        FLastResponse = QString::number(FailCode) + QLatin1Char(' ') + ExceptionText(e);
        FStatusCode = FRequestResult = FailCode;
        SetErrorMessage();
        AbortDataSocket();
        DestroyLocalStream();
        TriggerRequestDone(FailCode);
        return false;
    }
    return true;
}

// --- the Port step -----------------------------------------------------------------------------

void TCustomFtpCli::PortAsync()
{
    if (!CheckReady())
        return;
    if (!FConnected) {
        HandleError(QStringLiteral("FTP component not connected"));
        return;
    }
    TWSocket& d = *FDataSocket;
    if (d.State() != wsClosed)
        d.Close();
    d.SetProto(QStringLiteral("tcp"));
    d.SetAddr(QStringLiteral("0.0.0.0"));
    d.SetPort(QStringLiteral("0"));
    d.OnSessionAvailable = nullptr;
    d.OnSessionClosed = nullptr;
    d.OnDataAvailable = nullptr;
    d.OnDataSent = nullptr;

    unsigned dataPort = 0;
    if (FPassive) {
        FPasvReply.clear();  // a reply of an earlier transfer must never be used
    } else {
        constexpr TFtpFctSet downloads = FctBit(ftpFctGet) | FctBit(ftpFctDir) | FctBit(ftpFctLs) | FctBit(ftpFctMlsd);
        const bool download = (FFctSet & downloads) != 0;
        d.OnSessionAvailable = [this, download](TCustomWSocket*, int e) {
            Guarded([&] { download ? DataSocketGetSessionAvailable(e) : DataSocketPutSessionAvailable(e); });
        };
        d.LingerOnOff = wsLingerOn;
        d.LingerTimeout = 10;
        if (FDataPortRangeStart == 0 && FDataPortRangeEnd == 0) {
            d.Listen();
            dataPort = d.GetXPort().toUInt();
        } else {
            if (FDataPortRangeEnd < FDataPortRangeStart) {
                HandleError(QStringLiteral("DataPortRangeEnd must be greater than DataPortRangeStart"));
                return;
            }
            if (FLastDataPort < FDataPortRangeStart || FLastDataPort > FDataPortRangeEnd)
                FLastDataPort = FDataPortRangeStart;
            const unsigned first = FLastDataPort;
            auto next = [this](unsigned p) { return p + 1 > FDataPortRangeEnd ? FDataPortRangeStart : p + 1; };
            for (;;) {
                const unsigned tried = FLastDataPort;
                try {
                    d.SetPort(QString::number(tried));
                    d.Listen();
                    dataPort = tried;
                    FLastDataPort = next(tried);
                    break;
                } catch (const ESocketException&) {
                    const int code = d.LastError();
                    if (code != WSAEADDRINUSE) {
                        HandleError(QStringLiteral("Data connection winsock.bind failed, error #%1").arg(code));
                        return;
                    }
                    FLastDataPort = next(tried);
                    if (FLastDataPort == first) {
                        HandleError(QStringLiteral("All ports in DataPortRange are in use"));
                        return;
                    }
                }
            }
        }
    }

    QString command = QStringLiteral("PASV");
    if (!FPassive) {
        QString local = FControlSocket->GetPeerAddr() == QLatin1String("127.0.0.1") ? QStringLiteral("127.0.0.1")
                                                                                   : FControlSocket->GetXAddr();
        command = QStringLiteral("PORT %1,%2,%3").arg(local.replace(QLatin1Char('.'), QLatin1Char(','))).arg(dataPort >> 8).arg(dataPort & 0xFF);
    }
    FByteCount = 0;
    FFctPrv = ftpFctPort;
    ExecAsync(ftpPortAsync, command, {200, 227}, nullptr);
}

// --- REST --------------------------------------------------------------------------------------

void TCustomFtpCli::RestAsync()
{
    if (FRequestType != ftpRestPutAsync && FRequestType != ftpRestartPutAsync && !(Options & ftpNoAutoResumeAt)) {
        const QFileInfo info(QFileInfo(FLocalFileName).absoluteFilePath());
        ResumeAt = info.exists() ? static_cast<int>(info.size()) : -1;
    }
    FFctPrv = ftpFctRest;
    if (ResumeAt <= 0) {
        FNext = nullptr;
        FRequestDoneFlag = false;
        TriggerRequestDone(0);
        return;
    }
    ExecAsync(ftpRestAsync, QStringLiteral("REST ") + QString::number(ResumeAt), {}, nullptr);
}

// --- uploads -------------------------------------------------------------------------------------

void TCustomFtpCli::DoPutAppendAsync()
{
    if (!FConnected) {
        HandleError(QStringLiteral("STOR/APPE: not connected"));
        return;
    }
    if (!FLocalStream && FLocalFileName.isEmpty()) {
        HandleError(QStringLiteral("LocalFileName empty"));
        return;
    }
    FTransferReplyOk = FDataClosed = FStorAnswered = FPutSessionOpened = FEofFound = false;
    FTransferFailCode = 0;
    FRequestDoneFlag = false;
    FStartTime = 0;
    FByteCount = 0;
    FCloseCode = 0;

    bool cancel = false;
    TriggerReadyToTransmit(cancel);
    if (cancel) {
        FErrorMessage = QStringLiteral("426 Transmit cancelled by application");
        FStatusCode = FRequestResult = 426;
        TriggerDisplay(QStringLiteral("! ") + FErrorMessage);
        TriggerRequestDone(426);
        return;
    }

    if (!FPassive)
        FDataSocket->OnSessionAvailable = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketPutSessionAvailable(e); }); };
    DestroyLocalStream();
    bool opened = true;
    if (!FLocalStream) {
        auto file = std::make_unique<QFile>(FLocalFileName);
        opened = file->open(QIODevice::ReadOnly);
        if (opened) {
            FLocalStream = file.release();
            FStreamOwnedByCaller = false;
        }
    }
    if (opened && ResumeAt > 0)
        opened = FLocalStream->seek(ResumeAt);
    if (!opened) {
        FErrorMessage = QStringLiteral("426 Unable to open local file ") + FLocalFileName;
        FStatusCode = FRequestResult = 426;
        TriggerDisplay(QStringLiteral("! ") + FErrorMessage);
        DestroyLocalStream();
        AbortDataSocket();
        TriggerRequestDone(426);
        return;
    }

    if (FPassive) {
        // STOR goes out once the data connection is up.
        FNext = nullptr;
        StateChange(ftpWaitingResponse);
        ConnectPassiveData(true, 426);
        return;
    }
    StateChange(ftpWaitingResponse);
    FNext = &TCustomFtpCli::Next1PutAsync;
    SendCommand((FAppendFlag ? QStringLiteral("APPE ") : QStringLiteral("STOR ")) + HostFileName);
}

void TCustomFtpCli::DataSocketPutSessionConnected(int ErrCode)
{
    TWSocket& d = *FDataSocket;
    if (ErrCode != 0) {
        FLastResponse = QStringLiteral("Unable to establish data connection, error #%1").arg(ErrCode);
        FStatusCode = FRequestResult = 550;
        SetErrorMessage();
        AbortDataSocket();
        DestroyLocalStream();
        TriggerRequestDone(550);
        return;
    }
    d.OnSessionClosed = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketPutSessionClosed(e); }); };
    d.OnDataAvailable = nullptr;
    d.OnDataSent = nullptr;
    FPutSessionOpened = true;
    FStartTime = FtpTickMs();
    StateChange(ftpWaitingResponse);
    FNext = &TCustomFtpCli::Next1PutAsync;
    SendCommand((FAppendFlag ? QStringLiteral("APPE ") : QStringLiteral("STOR ")) + HostFileName);
}

void TCustomFtpCli::DataSocketPutSessionAvailable(int ErrCode)
{
    TWSocket& d = *FDataSocket;
    if (ErrCode != 0) {
        FailRequest(550, QStringLiteral("Unable to establish data connection, error #%1").arg(ErrCode));
        return;
    }
    const TSocket accepted = d.Accept();
    d.OnSessionClosed = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketPutSessionClosed(e); }); };
    d.OnDataAvailable = [](TCustomWSocket* s, int) {
        char discard[kDiscardChunk];
        s->Receive(discard, sizeof discard);
    };
    d.OnDataSent = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketPutDataSent(e); }); };
    d.ComponentOptions = wsoNoReceiveLoop;
    d.LingerOnOff = wsLingerOff;  // an orderly close that keeps sending what is queued
    d.LingerTimeout = 10;
    d.Dup(accepted);  // closes the listening socket
    FPutSessionOpened = true;
    if (FStorAnswered && FStartTime == 0)
        PostMessage(FHiddenWindow, WM_FTP_SENDDATA, 0, 0);
}

void TCustomFtpCli::Next1PutAsync()
{
    const int code = FStatusCode;
    if (code == 150 || code == 125) {
        FStorAnswered = true;
        FNext = &TCustomFtpCli::Next2PutAsync;
        if (FPassive) {
            FDataSocket->OnDataSent = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketPutDataSent(e); }); };
            DataSocketPutDataSent(0);
        } else if (FPutSessionOpened && FStartTime == 0) {
            PostMessage(FHiddenWindow, WM_FTP_SENDDATA, 0, 0);
        }
        return;
    }
    RefuseTransfer(code);
}

void TCustomFtpCli::WMFtpSendData()
{
    FStartTime = FtpTickMs();
    // The data-sent event of the new connection may have started the pump already.
    if (FByteCount == 0)
        Guarded([&] { DataSocketPutDataSent(0); });
}

// The send pump: one block in flight, the next read when it has gone out.
void TCustomFtpCli::DataSocketPutDataSent(int ErrCode)
{
    if (!FLocalStream || !Progress())
        return;
    if (ErrCode != 0) {
        FailTransfer(426, QStringLiteral("426 Error #%1 sending data").arg(ErrCode));
        return;
    }
    TWSocket& d = *FDataSocket;
    if (FEofFound || !FStorAnswered || !FPutSessionOpened || FDataClosed || d.State() != wsConnected)
        return;
    const qint64 n = FLocalStream->read(FSendBuffer.data(), static_cast<qint64>(FSendBuffer.size()));
    if (n > 0) {
        FByteCount += n;
        d.Send(FSendBuffer.data(), static_cast<int>(n));
        return;
    }
    if (n == 0) {
        // Nothing of the file is left in the socket's queue now (this runs
        // after the last block went out), so the close loses nothing.
        FEofFound = true;
        d.CloseDelayed();
        return;
    }
    FailTransfer(426, QStringLiteral("426 Error reading local file ") + FLocalFileName);
}

void TCustomFtpCli::Next2PutAsync()
{
    const int code = FStatusCode;
    if (code == 226 || code == 250) {
        FTransferReplyOk = true;
        Next3PutAsync();
        return;
    }
    SetErrorMessage();
    FStorAnswered = false;  // the server's refusal, not the close, tells what failed
    DestroyLocalStream();
    AbortDataSocket();
    TriggerDisplay(QStringLiteral("! STOR Failed"));
    FRequestResult = code;
    TriggerRequestDone(code);
}

void TCustomFtpCli::DataSocketPutSessionClosed(int ErrCode)
{
    if (FStorAnswered && !FEofFound && !FRequestDoneFlag)
        FailTransfer(426, QStringLiteral("426 Data connection closed before the whole file was sent"));
    DestroyLocalStream();
    FDataClosed = true;
    FCloseCode = ErrCode;
    Next3PutAsync();
}

void TCustomFtpCli::Next3PutAsync()
{
    if (!FTransferReplyOk || !FDataClosed)
        return;
    FinishTransfer();
}

// Both the transfer reply and the close are in: the transfer's result.
void TCustomFtpCli::FinishTransfer()
{
    TransfertStats();
    ResumeAt = 0;
    if (FTransferFailCode != 0) {
        FRequestResult = FTransferFailCode;
    } else {
        FRequestResult = FCloseCode;
        if (FCloseCode != 0) {
            FLastResponse = QStringLiteral("426 Data connection closed. %1 (Winsock error #%2)").arg(WSocketErrorDesc(FCloseCode)).arg(FCloseCode);
            SetErrorMessage();
        }
    }
    TriggerRequestDone(FRequestResult);
}

// --- downloads and listings ----------------------------------------------------------------------

void TCustomFtpCli::DoGetAsync(TFtpRequest RqType)
{
    const QString verb = RqType == ftpDirAsync ? QStringLiteral("LIST")
                         : RqType == ftpLsAsync ? QStringLiteral("NLST")
                         : RqType == ftpMlsdAsync ? QStringLiteral("MLSD")
                                                  : QStringLiteral("RETR");
    if (!FConnected) {
        HandleError(verb + QStringLiteral(": not connected"));
        return;
    }
    if (FLocalFileName.isEmpty() && !DisplayFileFlag && !FLocalStream) {
        HandleError(QStringLiteral("LocalFileName empty"));
        return;
    }
    if (!FHighLevelFlag)
        FRequestType = RqType;
    FDataVerb = verb;
    FTransferReplyOk = FDataClosed = false;
    FTransferFailCode = 0;
    FRequestDoneFlag = false;
    FByteCount = 0;
    FCloseCode = 0;
    FStartTime = FtpTickMs();
    if (!FPassive)
        FDataSocket->OnSessionAvailable = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketGetSessionAvailable(e); }); };

    if (!DisplayFileFlag) {
        DestroyLocalStream();
        bool opened = true;
        if (ResumeAt > 0) {
            if (!FLocalStream) {
                auto file = std::make_unique<QFile>(FLocalFileName);
                opened = file->exists() && file->open(QIODevice::ReadWrite);
                if (opened)
                    FLocalStream = file.release();
            }
            opened = opened && FLocalStream->seek(ResumeAt);
        } else if (!FLocalStream) {
            auto file = std::make_unique<QFile>(FLocalFileName);
            opened = file->open(QIODevice::WriteOnly | QIODevice::Truncate);
            if (opened)
                FLocalStream = file.release();
        }
        if (!opened) {
            FLastResponse = QStringLiteral("Unable to open local file ") + FLocalFileName;
            FStatusCode = FRequestResult = 550;
            SetErrorMessage();
            DestroyLocalStream();
            AbortDataSocket();
            TriggerRequestDone(550);
            return;
        }
    }
    if (FPassive && !ConnectPassiveData(false, 550))
        return;
    // The command goes out without waiting for the data connection.
    StateChange(ftpWaitingResponse);
    FNext = &TCustomFtpCli::Next1GetAsync;
    SendCommand(HostFileName.isEmpty() ? verb : verb + QLatin1Char(' ') + HostFileName);
}

void TCustomFtpCli::DataSocketGetSessionConnected(int ErrCode)
{
    if (ErrCode != 0) {
        FailRequest(550, QStringLiteral("Unable to establish data connection, error #%1").arg(ErrCode));
        return;
    }
    TWSocket& d = *FDataSocket;
    d.OnSessionClosed = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketGetSessionClosed(e); }); };
    d.OnDataAvailable = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketGetDataAvailable(e); }); };
    d.OnDataSent = nullptr;
    FStartTime = FtpTickMs();
}

void TCustomFtpCli::DataSocketGetSessionAvailable(int ErrCode)
{
    if (ErrCode != 0) {
        FailRequest(550, QStringLiteral("Unable to establish data connection, error #%1").arg(ErrCode));
        return;
    }
    TWSocket& d = *FDataSocket;
    const TSocket accepted = d.Accept();
    d.OnSessionClosed = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketGetSessionClosed(e); }); };
    d.OnDataAvailable = [this](TCustomWSocket*, int e) { Guarded([&] { DataSocketGetDataAvailable(e); }); };
    d.OnDataSent = nullptr;
    d.ComponentOptions = wsoNoReceiveLoop;
    d.LingerOnOff = wsLingerOff;
    d.LingerTimeout = 0;
    d.Dup(accepted);  // closes the listening socket
    FStartTime = FtpTickMs();
}

void TCustomFtpCli::DataSocketGetDataAvailable(int)
{
    if (!Progress())
        return;
    TWSocket& d = *FDataSocket;
    char buffer[kReceiveChunk];
    const int n = d.Receive(buffer, sizeof buffer);
    if (n > 0) {
        FByteCount += n;
        if (FLocalStream && FLocalStream->write(buffer, n) != n) {
            FailTransfer(426, QStringLiteral("426 Error writing local file ") + FLocalFileName);
            return;
        }
        if (!DisplayFileFlag)
            return;
        if (FDisplayFileMode == ftpBinary) {
            TriggerDisplayFile(QString::fromUtf8(buffer, n));
            return;
        }
        int start = 0;
        for (int i = 0; i <= n; ++i) {
            if (i == n || buffer[i] == '\r' || buffer[i] == '\n') {
                if (i > start)
                    TriggerDisplayFile(QString::fromUtf8(buffer + start, i - start));
                start = i + 1;
            }
        }
        return;
    }
    if (n < 0 && d.State() == wsConnected && d.LastError() != WSAEWOULDBLOCK)
        FailTransfer(426, QStringLiteral("426 Data: Receive error %1").arg(d.LastError()));
}

// The server refused to start a transfer: the request ends with its reply.
void TCustomFtpCli::RefuseTransfer(int code)
{
    SetErrorMessage();
    FNext = nullptr;
    AbortDataSocket();
    DestroyLocalStream();
    ResumeAt = 0;
    FRequestResult = code;
    TriggerRequestDone(code);
}

void TCustomFtpCli::Next1GetAsync()
{
    const int code = FStatusCode;
    if ((code >= 150 && code <= 159) || code == 125) {
        FNext = &TCustomFtpCli::Next2GetAsync;
        return;
    }
    RefuseTransfer(code);
}

void TCustomFtpCli::Next2GetAsync()
{
    const int code = FStatusCode;
    if (code == 125 || code == 226 || code == 250) {
        FTransferReplyOk = true;
        Next3GetAsync();
        return;
    }
    SetErrorMessage();
    DestroyLocalStream();
    AbortDataSocket();
    TriggerDisplay(QStringLiteral("! RETR/LIST/NLST Failed"));
    FRequestResult = code;
    TriggerRequestDone(code);
}

void TCustomFtpCli::DataSocketGetSessionClosed(int ErrCode)
{
    // Buffered bytes that cannot reach the disk make the file incomplete.
    if (auto* file = qobject_cast<QFileDevice*>(FLocalStream); file && !FStreamOwnedByCaller && !file->flush())
        FailTransfer(426, QStringLiteral("426 Error writing local file ") + FLocalFileName);
    DestroyLocalStream();
    FDataClosed = true;
    FCloseCode = ErrCode;
    Next3GetAsync();
}

void TCustomFtpCli::Next3GetAsync()
{
    if (!FTransferReplyOk || !FDataClosed)
        return;
    FinishTransfer();
}
