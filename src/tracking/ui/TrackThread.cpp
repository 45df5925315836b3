#include "tracking/ui/TrackThread.h"

#include "orbit/Sat.h"
#include "orbit/Satutil.h"
#include "radio/Rig.h"
#include "shell/Setting.h"

#include <QLabel>
#include <QThread>
#include <algorithm>

namespace {

const char kLogTimeFormat[] = "ddd d mmm yyyy hh:nn:ss";
constexpr int kNapSliceMs = 50;  // a stop is noticed within one slice

QString LocalTimeText()
{
    return FormatDateTime(kLogTimeFormat, NowLocal());
}

}  // namespace

TTrackThread::TTrackThread(bool createSuspended, TTrackHost* host, const TLabels& labels,
                           const TSetting* settings, TSat* pass)
    : TThread(true), host_(host), labels_(labels), settings_(settings), pass_(pass)
{
    OnTerminate = [this] { HandleTerminate(); };
    SetPriority(TThreadPriority::Lowest);
    if (!createSuspended)
        Resume();
}

TTrackThread::~TTrackThread()
{
    // Stops a thread still running (starting one never started, which ends
    // at once) while this object is whole: its end handler frees the pass.
    SetFlags(tfStop);
    Terminate();
    Resume();
    WaitFor();
}

bool TTrackThread::IsStopping() const
{
    return Terminated() || host_->IsClosing() || HasFlags(tfStop);
}

void TTrackThread::Sync(void (TTrackThread::*step)())
{
    Synchronize([this, step] { (this->*step)(); });
}

void TTrackThread::Nap()
{
    const int cycle = CycleMs;
    for (int slept = 0; slept < cycle && !IsStopping(); slept += kNapSliceMs)
        QThread::msleep(static_cast<unsigned long>(std::min(kNapSliceMs, cycle - slept)));
}

void TTrackThread::Execute()
{
    TRecordState state = TRecordState::Waiting;
    while (!IsStopping()) {
        bool over;
        {
            std::lock_guard lock(host_->PassLock());
            over = !pass_ || pass_->IsPassOver();
        }
        if (HasFlags(tfNewPass) || (!HasFlags(tfIdle) && over)) {
            Sync(&TTrackThread::FreePass);
            state = TRecordState::Waiting;
            ClearFlags(tfNewPass);
            SetFlags(tfIdle);
            Sync(&TTrackThread::SelectNextPass);
        }
        // pass_ changes only on the GUI thread while this thread waits in a
        // synchronised step, so reading the pointer here is safe.
        if (!pass_ || HasFlags(tfIdle))
            Nap();
        if (pass_) {
            std::lock_guard lock(host_->PassLock());
            pass_->UpdateNow(nullptr, nullptr, 0);
        }
        if (HasFlags(tfTuneError))
            Sync(&TTrackThread::LogTunerError);

        if (pass_) {
            if (HasFlags(tfTune)) {
                Sync(&TTrackThread::TuneReceiver);
                if (IsStopping())
                    break;
            }
            if (HasFlags(tfTuneWindow)) {
                Sync(&TTrackThread::TuneReceiverWindow);
                if (IsStopping())
                    break;
            }
            if (HasFlags(tfOverlap)) {
                Sync(&TTrackThread::LogOverlapWarning);
                Sync(&TTrackThread::ShowOverlapWarning);
                if (IsStopping())
                    break;
            }
            if (state == TRecordState::Waiting && host_->CanRecord() && !IsStopping()) {
                bool open;
                {
                    std::scoped_lock lock(host_->PassLock(), host_->SettingsLock());
                    open = pass_->IsWindowOpen(settings_);
                }
                if (open) {
                    state = TRecordState::Started;
                    Sync(&TTrackThread::StartRecording);
                }
            } else if (state == TRecordState::Started && host_->IsRecording() && !IsStopping()) {
                bool closed;
                {
                    std::scoped_lock lock(host_->PassLock(), host_->SettingsLock());
                    closed = pass_->IsWindowClosed(settings_);
                }
                if (closed) {
                    state = TRecordState::Stopped;
                    Sync(&TTrackThread::StopRecording);
                    SetFlags(tfNewPass);
                }
            }
        }
        for (auto step : {&TTrackThread::ShowTrackLabel, &TTrackThread::ShowSun, &TTrackThread::ShowMoon,
                          &TTrackThread::ShowKeplerAge, &TTrackThread::UpdateTray}) {
            if (IsStopping())
                break;
            Sync(step);
        }
        if (!IsStopping())
            Nap();
    }
}

void TTrackThread::FreePass()
{
    if (!pass_)
        return;
    std::lock_guard lock(host_->PassLock());
    host_->ForgetNextPass();
    delete pass_;
    pass_ = nullptr;
}

void TTrackThread::HandleTerminate()
{
    Finished = true;
    FreePass();
}

void TTrackThread::SelectNextPass()
{
    TSat* chosen = host_->ChooseNextPass();
    {
        std::lock_guard lock(host_->PassLock());
        pass_ = chosen;
    }
    host_->ClearTrayBalloon();
    if (pass_) {
        ClearFlags(tfIdle);
        SetFlags(tfTune | tfOverlap);
    }
}

void TTrackThread::TuneReceiver()
{
    ClearFlags(tfTune | tfTuneError | tfTuneWindow);
    TRig* rig = host_->Receiver();
    if (!pass_ || !settings_ || !(settings_->RIGModes & 1) || !rig)
        return;
    // An open receiver window owns the port; it tunes in this same cycle.
    if (host_->IsRadioWindowOpen()) {
        SetFlags(tfTuneWindow);
        return;
    }
    const bool wasOpen = rig->IsOpen();
    if (!rig->SetFrequencyText(pass_->Downlink))
        SetFlags(tfTuneError);
    if (!wasOpen)
        rig->Close();
}

void TTrackThread::TuneReceiverWindow()
{
    ClearFlags(tfTuneWindow);
    if (!host_->TuneRadioToNextPass())
        SetFlags(tfTuneError);
}

void TTrackThread::LogTunerError()
{
    const QString when = pass_ ? LocalTimeText() + ": " + QString::fromLatin1(pass_->Name) : LocalTimeText();
    const TRig* rig = host_->Receiver();
    const QStringList lines = {"Tuner error", when, "Error:" + (rig ? rig->GetErrorText() : QString()), ""};
    if (host_->AddLogLines(lines))
        ClearFlags(tfTuneError);
}

void TTrackThread::LogOverlapWarning()
{
    const QString overlap = host_->TrackedOverlapText();
    if (!pass_ || overlap.isEmpty())
        return;
    host_->AddLogLines({LocalTimeText(),
                        QString("Warning %1 footprint overlap AOS: %2")
                            .arg(QString::fromLatin1(pass_->Name), TSat::DayNumberToText(pass_->AOS, 0x2 | 0x10)),
                        "Overlapping satellites: " + overlap, ""});
}

void TTrackThread::ShowOverlapWarning()
{
    ClearFlags(tfOverlap);
    const QString overlap = host_->TrackedOverlapText();
    if (labels_.OverlapLabel)
        labels_.OverlapLabel->setText(overlap.isEmpty() ? QString() : "Warning overlap: " + overlap);
}

void TTrackThread::StartRecording()
{
    if (!IsStopping())
        host_->RecButtonClick();
}

void TTrackThread::StopRecording()
{
    if (!IsStopping() && host_->IsRecording())
        host_->StopButtonClick();
}

void TTrackThread::ShowTrackLabel()
{
    if (IsStopping() || !labels_.TrackLabel)
        return;
    QLabel* label = labels_.TrackLabel;
    if (!pass_) {
        label->setText("N/A");
        return;
    }
    label->setStyleSheet(pass_->Elevation >= 0 ? "color: lime" : "color: #a6caf0");  // sky blue
    const int recordingMark = pass_->Scheduled && host_->IsRecording() ? 1 : 0;
    label->setText(pass_->GetTrackingStatusText(settings_, recordingMark));
}

void TTrackThread::ShowSun()
{
    if (!IsStopping() && labels_.TheSun)
        labels_.TheSun->setText(pass_ ? pass_->GetSunText() : QString("N/A"));
}

void TTrackThread::ShowMoon()
{
    if (!IsStopping() && labels_.TheMoon)
        labels_.TheMoon->setText(pass_ ? pass_->GetMoonText() : QString("N/A"));
}

void TTrackThread::ShowKeplerAge()
{
    if (!IsStopping() && labels_.KeplerAge)
        labels_.KeplerAge->setText(pass_ ? pass_->GetEpochAgeText(false) : QString("N/A"));
}

void TTrackThread::UpdateTray()
{
    if (!IsStopping())
        host_->RefreshTray();
}
