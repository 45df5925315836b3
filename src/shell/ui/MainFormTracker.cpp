// The next-pass choice and the tracker's control: which pass of which
// active APT satellite the program follows and records next, and the start,
// refresh and stop of the tracker thread that follows it. GUI thread only;
// the tracker reaches the choice through a synchronised step.
#include "orbit/Satutil.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "tracking/NextPassChoice.h"


int TMainForm::CheckSatellitesLoaded()
{
    if (SatelliteList.Count == 0)
        ShowInfo("No satellites loaded. Select from the menu Satellite->Keplerian elements... to download!",
                 "Information");
    return SatelliteList.Count;
}

TSat* TMainForm::ChooseNextPass()
{
    OverlapText.clear();
    if (CheckSatellitesLoaded() == 0)
        return nullptr;
    {
        std::lock_guard lock(NextPassLock);
        // Only a pass no tracker follows is ours to free here.
        if (!TrackThread || TrackThread->Pass() != NextPass)
            delete NextPass;
        NextPass = nullptr;
    }
    TNextPassChoice choice = ::ChooseNextPass(SatelliteList, &Station, *Settings, LocalToUTC(0));
    if (choice.AptSatellites == 0) {
        ShowInfo("No active APT-satellites Selected!\nSelect from the menu Satellite->Keplerian elements... to "
                 "download!",
                 "Information");
        return nullptr;
    }
    OverlapText = choice.OverlapNames.join(", ");
    std::lock_guard lock(NextPassLock);
    NextPass = choice.Pass.release();
    return NextPass;
}

void TMainForm::RestartTracker(int flags)
{
    if (flags & 0x200) {
        if (TrackThread) {
            TrackThread->SetFlags(tfStop);
            if (!TrackThread->Finished) {
                TrackThread->Terminate();
                TrackThread->WaitFor();  // serves its synchronised steps; its end frees the pass
            }
            TrackThread.reset();
        }
        std::lock_guard lock(NextPassLock);
        delete NextPass;
        NextPass = nullptr;
        return;
    }
    if (TrackThread) {
        if (!TrackThread->Finished) {
            TrackThread->SetFlags(tfNewPass);
            return;
        }
        TrackThread.reset();
    }
    TSat* pass = ChooseNextPass();
    if (!pass)
        return;
    const TTrackThread::TLabels labels{TheMoon, TheSun, KeplerAge, TrackLabel, OverlapLabel};
    TrackThread = std::make_unique<TTrackThread>(true, this, labels, Settings.get(), pass);
    TrackThread->SetFlags(tfTune | tfOverlap);
    TrackThread->Resume();
}

bool TMainForm::CheckNotRecording()
{
    if (!(StateFlags & msRecording))
        return true;
    ShowInfo("Core can not be changed during a record.", "Info: Recording...");
    return false;
}

void TMainForm::ForgetNextPass()
{
    NextPass = nullptr;  // the caller holds NextPassLock and frees the pass
}

bool TMainForm::AddLogLines(const QStringList& lines)
{
    if (!LogForm)
        return false;
    LogForm->AddLines(lines);
    return true;
}
