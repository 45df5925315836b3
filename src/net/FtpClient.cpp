#include "net/FtpClient.h"

#include "platform/Messages.h"

#include <QCoreApplication>
#include <QThread>
#include <algorithm>
#include <thread>

namespace {
constexpr int kPumpRoundMs = 1000;  // the longest single wait for messages
}  // namespace

TFtpClient::TFtpClient() = default;

bool TFtpClient::Synchronize(void (TCustomFtpCli::*Proc)())
{
    try {
        FRefused = false;
        (this->*Proc)();
        // Refused through OnError: nothing was started.
        if (FRefused && (FState == ftpReady || FState == ftpInternalReady))
            return false;
        return WaitUntilReady();
    } catch (...) {
        return false;
    }
}

int TFtpClient::PumpRoundMs() const
{
    if (Timeout <= 0)
        return kPumpRoundMs;
    return static_cast<int>(std::clamp<qint64>(FTimeStop - FtpTickMs(), 1, kPumpRoundMs));
}

void TFtpClient::MessagePump()
{
    if (MultiThreaded && OnMessagePump) {
        OnMessagePump();
        return;
    }
    if (Options & ftpWaitUsingSleep) {
        std::this_thread::yield();
        QCoreApplication::processEvents(QEventLoop::AllEvents);
        return;
    }
    PumpMessages(PumpRoundMs());
}

bool TFtpClient::WaitUntilReady()
{
    FTimeStop = FtpTickMs() + static_cast<qint64>(Timeout) * 1000;
    const auto guard = AliveGuard();
    for (;;) {
        if (FState == ftpReady || FState == ftpInternalReady)
            return FRequestResult == 0;
        MessagePump();
        if (guard.expired())
            return false;
        QThread* thread = QThread::currentThread();
        const bool ending = QCoreApplication::closingDown() || (thread && thread->isInterruptionRequested());
        if (ending || (Timeout > 0 && FtpTickMs() - FTimeStop > 0))
            break;
    }
    // The state may have become ready in the last round.
    if (FState == ftpReady || FState == ftpInternalReady)
        return FRequestResult == 0;
    AbortAsync();
    FErrorMessage = QStringLiteral("426 Timeout");
    FStatusCode = 426;
    return false;
}

bool TFtpClient::Progress()
{
    const bool goOn = TCustomFtpCli::Progress();
    if (Timeout > 0)
        FTimeStop = FtpTickMs() + static_cast<qint64>(Timeout) * 1000;
    return goOn;
}
