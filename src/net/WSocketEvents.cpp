// The component's triggers (each fires its event only when set) and the
// pumping of the owning thread's messages for the blocking helpers.
#include "net/CustomWSocket.h"

#include <QCoreApplication>
#include <QThread>

namespace {
constexpr int kPumpRoundMs = 1000;  // the longest single wait of a blocking helper
}  // namespace

// --- events --------------------------------------------------------------------

void TCustomWSocket::ChangeState(TSocketState NewState)
{
    const TSocketState old = FState;
    FState = NewState;
    if (old != NewState)
        TriggerChangeState(old, NewState);
}

bool TCustomWSocket::TriggerDataAvailable(int ErrCode)
{
    if (!OnDataAvailable)
        return false;
    OnDataAvailable(this, ErrCode);
    return true;
}

void TCustomWSocket::TriggerSessionAvailable(int ErrCode)
{
    if (OnSessionAvailable)
        OnSessionAvailable(this, ErrCode);
}

void TCustomWSocket::TriggerSessionConnectedSpecial(int ErrCode) { TriggerSessionConnected(ErrCode); }

void TCustomWSocket::TriggerSessionConnected(int ErrCode)
{
    if (OnSessionConnected)
        OnSessionConnected(this, ErrCode);
}

void TCustomWSocket::TriggerSessionClosed(int ErrCode)
{
    if (OnSessionClosed)
        OnSessionClosed(this, ErrCode);
}

void TCustomWSocket::TriggerDataSent(int ErrCode)
{
    if (OnDataSent)
        OnDataSent(this, ErrCode);
}

void TCustomWSocket::TriggerChangeState(TSocketState OldState, TSocketState NewState)
{
    if (OnChangeState)
        OnChangeState(this, OldState, NewState);
}

void TCustomWSocket::TriggerDNSLookupDone(int ErrCode)
{
    if (OnDnsLookupDone)
        OnDnsLookupDone(this, ErrCode);
}

void TCustomWSocket::TriggerError()
{
    if (OnError)
        OnError(this);
}

void TCustomWSocket::TriggerSendData(int BytesSent)
{
    if (OnSendData)
        OnSendData(this, BytesSent);
}

void TCustomWSocket::TriggerDisplay(const QString& Msg)
{
    if (OnDisplay)
        OnDisplay(this, Msg);
}

// --- message pumping -----------------------------------------------------------

void TCustomWSocket::PumpOnce(int maxWaitMs)
{
    PumpMessages(std::min(maxWaitMs, kPumpRoundMs));
    QThread* thread = QThread::currentThread();
    if (QCoreApplication::closingDown() || (thread && thread->isInterruptionRequested()))
        QuitSeen = true;
}

// Every Qt thread has its own queue, so the thread's pump and the
// application's are the same here whatever MultiThreaded says.
void TCustomWSocket::MessagePump() { PumpOnce(kPumpRoundMs); }

void TCustomWSocket::ProcessMessages()
{
    QCoreApplication::processEvents(QEventLoop::AllEvents);
    QThread* thread = QThread::currentThread();
    if (QCoreApplication::closingDown() || (thread && thread->isInterruptionRequested()))
        QuitSeen = true;
}
