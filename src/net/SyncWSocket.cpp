#include "net/SyncWSocket.h"

#include <QCoreApplication>
#include <QDeadlineTimer>

namespace {
constexpr int kDefaultReadLineMs = 60000;
constexpr int kPumpRoundMs = 1000;
}  // namespace

int TCustomSyncWSocket::WaitUntilReady(bool& Done)
{
    const QDeadlineTimer deadline = WaitTimeout > 0 ? QDeadlineTimer(WaitTimeout) : QDeadlineTimer(QDeadlineTimer::Forever);
    const TAliveGuard guard = AliveGuard();
    for (;;) {
        if (Done)
            return WSOCKET_WAIT_DONE;
        if (deadline.hasExpired() || QCoreApplication::closingDown() || QuitSeen)
            return WSOCKET_WAIT_TIMEOUT;
        // Waits for the next message, not longer than the time left.
        const qint64 left = deadline.isForever() ? kPumpRoundMs : std::max<qint64>(deadline.remainingTime(), 1);
        PumpOnce(static_cast<int>(std::min<qint64>(left, kPumpRoundMs)));
        if (Gone(guard))
            return WSOCKET_WAIT_TIMEOUT;
    }
}

int TCustomSyncWSocket::Synchronize(const TWSocketSyncNextProc& Proc, bool& Done)
{
    Done = false;
    if (Proc)
        Proc();
    return WaitUntilReady(Done);
}

void TCustomSyncWSocket::ReadLine(int Timeout, QByteArray& Buffer)
{
    Buffer.clear();
    if (FState != wsConnected) {
        RaiseException(QStringLiteral("ReadLine failed: not connected"));
        return;
    }
    // A line that came in the same read as an earlier one is already here.
    if (TakeBufferedLine(Buffer))
        return;
    WaitTimeout = Timeout == 0 ? kDefaultReadLineMs : Timeout > 0 ? Timeout * 1000 : -Timeout;

    LineArrived = false;
    ReadLineTarget = &Buffer;
    ReadLineTaken = false;
    const TSocketEvent keptHandler = OnDataAvailable;
    const bool keptLineMode = FLineMode;
    OnDataAvailable = [this](TCustomWSocket*, int) { InternalDataAvailable(); };
    FLineMode = true;

    const TAliveGuard guard = AliveGuard();
    auto restore = [&] {
        if (Gone(guard))
            return;
        OnDataAvailable = keptHandler;
        FLineMode = keptLineMode;
        ReadLineTarget = nullptr;
        // Lines that came after ours go to the caller's handler as usual.
        if (LineBufferCount > 0)
            PostMessage(HiddenWindow, WM_TRIGGER_DATA_AVAILABLE, 0, 0);
    };
    try {
        const int r = Synchronize(nullptr, LineArrived);
        if (!Gone(guard) && r == WSOCKET_WAIT_TIMEOUT && !ReadLineTaken && LineBufferCount > 0 && !DiscardingLongLine) {
            Buffer = QByteArray(LineBuffer.data(), LineBufferCount);
            LineBufferCount = 0;
        }
    } catch (...) {
        restore();
        throw;
    }
    restore();
}

void TCustomSyncWSocket::InternalDataAvailable()
{
    if (!ReadLineTarget)
        return;
    ReadLineTarget->resize(PendingLineLength);
    const int n = Receive(ReadLineTarget->data(), PendingLineLength);
    ReadLineTarget->resize(std::max(n, 0));
    ReadLineTaken = n > 0;
}
