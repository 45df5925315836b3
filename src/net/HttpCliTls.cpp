// The HTTP client over TLS (https without a proxy): the handshake after the
// socket connects, the request encrypted into the socket's send buffer, the
// reply decrypted as it arrives. Everything else of a request is as over
// plain TCP.
#include "net/HttpCli.h"

#include "net/TlsSession.h"

namespace {

// Ciphertext the session may hold before the socket is read again: a few
// of the largest TLS records.
constexpr int kMaxBufferedCiphertext = 64 * 1024;
constexpr int kSocketReadBytes = 16 * 1024;

}  // namespace

bool THttpCli::UsesTls() const
{
    return Proxy.isEmpty() && FProtocol == QLatin1String("https");
}

void THttpCli::StartTls()
{
    FTlsReadPosted = false;
    FTlsCloseNotify = false;
    FTls = std::make_unique<TTlsSession>(FTargetHost);
    if (!FTls->Start()) {
        FailReply(FTls->ErrorText());
        return;
    }
    FlushTls();
}

void THttpCli::TlsHandshakeStep()
{
    PullCiphertext();
    const TTlsSession::TStep step = FTls->Handshake();
    // Also after a failure: the alert tells the server why.
    FlushTls();
    if (step == TTlsSession::tlsFailed) {
        FailReply(FTls->ErrorText());
    } else if (step == TTlsSession::tlsDone) {
        FNext = nlHeader;
        StateChange(httpWaitingHeader);
        SendRequest(QString(), FRequestVer);
    }
}

void THttpCli::PullCiphertext()
{
    char bytes[kSocketReadBytes];
    while (FTls->BufferedCiphertext() < kMaxBufferedCiphertext) {
        const int n = FCtrlSocket->Receive(bytes, sizeof bytes);
        if (n <= 0)
            return;
        FTls->PutCiphertext(bytes, n);
    }
}

int THttpCli::ReceiveInto(char* Buffer, int Size)
{
    if (!FTls)
        return FCtrlSocket->Receive(Buffer, Size);
    PullCiphertext();
    const int n = FTls->Read(Buffer, Size);
    // A read may have to answer: a renegotiation's handshake, a key update,
    // the alert of a failure. Nothing else sends what it made.
    FlushTls();
    if (n == TTlsSession::kFailed) {
        FailReply(FTls->ErrorText());
        return -1;
    }
    if (n == TTlsSession::kClosedByPeer) {
        // The stream ends here by the server's word; the socket's close
        // still comes as its own event.
        FTlsCloseNotify = true;
        return 0;
    }
    if (n == TTlsSession::kNothingYet)
        return -1;
    FTlsPlainBytes += n;
    // The socket tells of new bytes only; what the session already holds
    // is read on the next round.
    if (!FTlsReadPosted && (FTls->PlaintextPending() || FTls->BufferedCiphertext() > 0)) {
        FTlsReadPosted = true;
        PostMessage(FWindowHandle, WM_HTTP_TLS_READ, FRequestSerial, 0);
    }
    return n;
}

void THttpCli::PutOut(const char* Data, int Len)
{
    if (!FTls) {
        FCtrlSocket->PutDataInSendBuffer(Data, Len);
        return;
    }
    if (!FTls->Write(Data, Len))
        throw std::runtime_error(FTls->ErrorText().toStdString());
    const QByteArray cipher = FTls->TakeCiphertext();
    FCtrlSocket->PutDataInSendBuffer(cipher.constData(), static_cast<int>(cipher.size()));
}

void THttpCli::FlushTls()
{
    const QByteArray cipher = FTls->TakeCiphertext();
    // What is read after the server closed (DrainTls) has nowhere to go.
    if (cipher.isEmpty() || (FCtrlSocket->State() != wsConnected && FCtrlSocket->State() != wsSocksConnected))
        return;
    FCtrlSocket->PutDataInSendBuffer(cipher.constData(), static_cast<int>(cipher.size()));
    FCtrlSocket->Send(nullptr, 0);
}

void THttpCli::DrainTls()
{
    const auto guard = AliveGuard();
    const unsigned serial = FRequestSerial;
    // Not after a failure or an abort: what is left there is not wanted.
    while (FTls && FTls->Established() && !FFailed && FState != httpAborting &&
           (FNext == nlHeader || FNext == nlBody)) {
        const qint64 before = FTlsPlainBytes;
        SocketDataAvailable(0);
        if (guard.expired() || serial != FRequestSerial || FTlsPlainBytes == before)
            return;
    }
}
