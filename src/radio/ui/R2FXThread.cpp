#include "radio/ui/R2FXThread.h"

#include "radio/R2FXProtocol.h"
#include "radio/Rig.h"
#include "radio/ui/R2FXForm.h"
#include "shell/ui/UDEdit.h"

#include <QLabel>

namespace {
constexpr int kNormalPauseMs = 500;
constexpr int kSetupPauseMs = 250;
}  // namespace

TR2FXThread::TR2FXThread(TRig* rig, TR2FXForm* form) : TThread(true), Rig(rig), form_(form)
{
    OnTerminate = [this] { SetFlags(rfEnded); };
    SetPriority(TThreadPriority::Idle);
    Resume();
}

TR2FXThread::~TR2FXThread()
{
    // The base class waits too, but by then this object's steps are gone.
    if (!Finished()) {
        Terminate();
        WaitFor();
    }
}

void TR2FXThread::ForgetProgrammed()
{
    ProgrammedMHz.fill(0.0);
    ProgrammedThreshold = -1;
}

bool TR2FXThread::Sync(void (TR2FXThread::*step)())
{
    if (Terminated())
        return false;
    Synchronize([this, step] { (this->*step)(); });
    return !Terminated();
}

void TR2FXThread::Execute()
{
    while (!Terminated()) {
        if (HasFlags(rfSetupMode)) {
            if (HasFlags(rfProgramChannel) && !Sync(&TR2FXThread::ProgramChannel))
                break;
            if (HasFlags(rfProgramThreshold) && !Sync(&TR2FXThread::ProgramThreshold))
                break;
            if (HasFlags(rfStatusWaiting) && !Sync(&TR2FXThread::ShowStatus))
                break;
            SleepUnlessTerminated(kSetupPauseMs);
            continue;
        }
        const int lastSignal = Signal;
        if (HasFlags(rfRedrawChannel) && !Sync(&TR2FXThread::SelectChannel))
            break;
        if (!Sync(&TR2FXThread::ReadSignal))
            break;
        if (Signal != lastSignal && !(Sync(&TR2FXThread::ShowSignal) && Sync(&TR2FXThread::DrawMeter)))
            break;
        if (HasFlags(rfTune)) {
            ClearFlags(rfTune);
            if (!Sync(&TR2FXThread::Tune))
                break;
        }
        if (HasFlags(rfSelectChannel)) {
            ClearFlags(rfSelectChannel);
            if (!Sync(&TR2FXThread::SelectChannel))
                break;
        }
        SleepUnlessTerminated(kNormalPauseMs);
    }
}

void TR2FXThread::ReadSignal()
{
    Signal = ReadR2FXSignal(*Rig);
}

void TR2FXThread::ShowSignal()
{
    const int signal = Signal;
    form_->signalLabel->setText(signal > 0 ? QString::number(signal) : QString());
}

void TR2FXThread::DrawMeter()
{
    form_->DrawMeter(Signal, [this] { return Terminated(); });
}

void TR2FXThread::Tune()
{
    // A failed tuning is silent: the link keeps its message.
    Rig->SetFrequency(form_->Freq->Value());
}

void TR2FXThread::SelectChannel()
{
    if (Channel < 1 || Channel > 6)
        return;
    if (!HasFlags(rfRedrawChannel) && !Rig->SetFrequency(Frequency))
        return;
    ClearFlags(rfRedrawChannel);
    form_->ShowChannel(Channel, Frequency);
}

void TR2FXThread::ProgramChannel()
{
    ClearFlags(rfProgramChannel);
    const int channel = Channel;
    const double mhz = Frequency;
    const bool ok = ProgramR2FXChannel(*Rig, channel, mhz);
    if (ok)
        ProgrammedMHz[channel] = mhz;
    ReportResult(ok);
}

void TR2FXThread::ProgramThreshold()
{
    ClearFlags(rfProgramThreshold);
    const int threshold = Threshold;
    const bool ok = SetR2FXThreshold(*Rig, threshold);
    if (ok)
        ProgrammedThreshold = threshold;
    ReportResult(ok);
}

void TR2FXThread::ReportResult(bool ok)
{
    if (ok) {
        StatusText = "... Success ...";
    } else {
        StatusText = Rig->GetErrorText();
        SetFlags(rfFailed);
    }
    SetFlags(rfStatusWaiting);
}

void TR2FXThread::ShowStatus()
{
    if (StatusLabel)
        StatusLabel->setText(StatusText);
    ClearFlags(rfStatusWaiting);
}
