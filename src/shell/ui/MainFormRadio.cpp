// The main window's side of the radio windows: "Radio control..." opens the
// window of the configured receiver (the R2FX window, or the ten-channel
// tuner for the RIG RX2 and the EMGO), and while one is open the tracker
// tunes through it instead of through the link.
#include "radio/Rig.h"
#include "radio/ui/R2FXDlg.h"
#include "radio/ui/R2FXForm.h"
#include "radio/ui/RXTuner.h"
#include "shell/ui/MainForm.h"

#include <QCoreApplication>

namespace {
enum TRadioModel { rmR2FX = 0, rmRX2 = 1, rmEMGO = 3 };
}  // namespace

void TMainForm::CreateRadioWindows()
{
    new TR2FXForm(this);
    // The dialog opens over the always-on-top R2FX window.
    new TR2FXDlg(R2FXForm);
    new TRXTuner(this);
}

QString TMainForm::NextPassDownlink()
{
    // The pass is the tracker's; only a copy of its text leaves the lock.
    std::lock_guard lock(NextPassLock);
    return NextPass ? NextPass->Downlink : QString();
}

void TMainForm::Radiocontrol1Click()
{
    QCoreApplication::processEvents();
    const QString downlink = Settings && (Settings->RIGModes & 1) ? NextPassDownlink() : QString();
    switch (Rig->Radio) {
    case rmR2FX:
        if (R2FXForm->isVisible()) {
            BringDialogToFront(R2FXForm);
            return;
        }
        Rig->Close();
        R2FXForm->Rig = Rig.get();
        if (!R2FXForm->ConnectReceiver(true))
            return;
        if (!downlink.isEmpty())
            R2FXForm->SelectChannelByFrequency(downlink);
        R2FXForm->show();
        return;
    case rmRX2:
    case rmEMGO:
        if (RXTuner->isVisible()) {
            BringDialogToFront(RXTuner);
            return;
        }
        RXTuner->Rig = Rig.get();
        RXTuner->show();
        if (!downlink.isEmpty())
            RXTuner->SelectChannelByFrequency(downlink);
        return;
    default:
        ShowInfo("Unsupported radio control", "Info: No radio control support");
    }
}

bool TMainForm::IsRadioWindowOpen()
{
    if (!R2FXForm || !RXTuner)
        return false;
    switch (Rig->Radio) {
    case rmR2FX: return R2FXForm->isVisible();
    case rmRX2:
    case rmEMGO: return RXTuner->isVisible();
    default: return false;
    }
}

bool TMainForm::TuneRadioToNextPass()
{
    const QString downlink = NextPassDownlink();
    if (downlink.isEmpty() || !IsRadioWindowOpen())
        return true;
    switch (Rig->Radio) {
    case rmR2FX: return R2FXForm->SelectChannelByFrequency(downlink);
    case rmRX2:
    case rmEMGO: return RXTuner->SelectChannelByFrequency(downlink);
    default: return true;
    }
}

void TMainForm::CloseRadioWindow()
{
    if (RXTuner && RXTuner->isVisible())
        RXTuner->close();
    else if (R2FXForm)
        R2FXForm->close();
}

void TMainForm::ReopenRadioWindow()
{
    // The window of the newly chosen receiver opens in place of the old one.
    const bool r2fxOpen = R2FXForm && R2FXForm->isVisible();
    const bool tunerOpen = RXTuner && RXTuner->isVisible();
    if (r2fxOpen)
        R2FXForm->close();
    if (tunerOpen)
        RXTuner->close();
    if (r2fxOpen || tunerOpen)
        Radiocontrol1Click();
}
