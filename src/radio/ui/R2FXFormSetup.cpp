// The hand-over between the R2FX window and its setup dialog. In thread mode
// the polling thread carries out the dialog's requests; afterwards the
// window's memory lines take only what the thread stored in the receiver,
// and anything doubtful (a failure, a request that never ran) makes the
// window read the memory from the receiver again.
#include "radio/R2FXMemory.h"
#include "radio/ui/R2FXDlg.h"
#include "radio/ui/R2FXForm.h"
#include "radio/ui/R2FXThread.h"
#include "shell/ui/UDEdit.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QLabel>
#include <QPushButton>
#include <QSlider>
#include <QThread>
#include <QToolButton>

namespace {

constexpr int kRequestBits = rfProgramChannel | rfProgramThreshold | rfStatusWaiting;

// Lets the thread finish the requests queued before the dialog closed (a
// channel takes about 2.5 s), serving its steps meanwhile; false when one is
// still queued after waitMs or the thread ended first.
bool FinishSetupRequests(TR2FXThread& thread, int waitMs)
{
    QElapsedTimer waited;
    waited.start();
    while (thread.HasFlags(kRequestBits) && thread.IsRunning()) {
        if (waited.elapsed() >= waitMs)
            return false;
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        QThread::msleep(5);
    }
    return !thread.HasFlags(kRequestBits);
}

}  // namespace

void TR2FXForm::SetupR2FXBtnClick()
{
    QCoreApplication::processEvents();
    TR2FXDlg* dialog = R2FXDlg ? R2FXDlg : new TR2FXDlg(this);
    const bool haveLines = !MemoryLines.isEmpty();
    if (haveLines)
        dialog->ShowMemory(MemoryLines);
    else
        dialog->r2fx_threshold_label->setText("N/A");
    if (PollThread) {
        if (PollThread->IsRunning() && haveLines) {
            PollThread->ClearFlags(rfStatusWaiting | rfFailed);
            PollThread->ForgetProgrammed();
            PollThread->SetFlags(rfSetupMode);
        } else {
            StopPollThread();
        }
    }
    dialog->LoadR2FXBtn->setEnabled(!PollThread);
    dialog->Rig = Rig;
    dialog->Thread = haveLines ? PollThread : nullptr;
    dialog->ErrLabel->clear();
    if (PollThread)
        PollThread->StatusLabel = dialog->ErrLabel;
    dialog->Changed = false;

    dialog->exec();
    QCoreApplication::processEvents();

    if (PollThread && haveLines && PollThread->IsRunning()) {
        const bool finished = FinishSetupRequests(*PollThread, SetupRequestWaitMs);
        PollThread->StatusLabel = nullptr;
        if (finished && !PollThread->HasFlags(rfFailed | rfEnded)) {
            if (dialog->Changed) {
                for (int channel = 1; channel <= 6; ++channel) {
                    const double mhz = PollThread->ProgrammedMHz[channel];
                    if (mhz > 0 && channel <= MemoryLines.size())
                        MemoryLines[channel - 1] = R2FXChannelLine(channel, mhz);
                    ChannelButton(channel)->setToolTip(MemoryLines.value(channel - 1));
                }
                if (PollThread->ProgrammedThreshold >= 0 && MemoryLines.size() >= kR2FXMemoryLineCount)
                    MemoryLines[7] = R2FXThresholdLine(PollThread->ProgrammedThreshold);
                PollThread->SetFlags(rfRedrawChannel);
            }
            PollThread->ClearFlags(rfSetupMode);
            dialog->Thread = nullptr;
            return;
        }
    }
    dialog->Thread = nullptr;
    ConnectReceiver(true);
    update();
}
