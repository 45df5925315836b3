// The Settings menu's "General settings...": the general settings dialog on
// copies of the settings record and the receiver link, taken back on OK in
// an order that keeps the tracker thread off records being replaced.
#include "imaging/ViewRenderer.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/WaitCursor.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/RecordDlg.h"

#include <QCoreApplication>
#include <QTabWidget>

void TMainForm::Recordingandlogging1Click()
{
    if (!RecordDlg)
        new TRecordDlg(this);
    if (RaiseOpenDialog(RecordDlg))
        return;
    auto settings = std::make_unique<TSetting>();
    settings->Assign(*Settings);
    auto rig = std::make_unique<TRig>();
    rig->Assign(*Rig);
    TMDIChild* active = FindMDIChild(0);
    RecordDlg->ActiveChild = active && active->APT && active->APT->IsImageReady() ? active : nullptr;
    RecordDlg->Settings = settings.get();
    RecordDlg->Rig = rig.get();

    const int result = ShowDialogModal(RecordDlg);
    const int changes = RecordDlg->ChangeFlags;
    TMDIChild* child = RecordDlg->ActiveChild;
    RecordDlg->Settings = nullptr;
    RecordDlg->Rig = nullptr;
    RecordDlg->ActiveChild = nullptr;
    if (result != QDialog::Accepted)
        return;

    QCoreApplication::processEvents();
    WaitCursor wait;
    if (changes & (rcPassThresholds | rcAutoRecording | rcReceiver))
        RestartTracker(0x200);
    {
        // A tracker left running reads the record on its own thread.
        std::lock_guard lock(SettingsMutex);
        Settings->Assign(*settings);
    }
    PersistSettings(false);
    if (changes & rcReceiver) {
        Rig->Assign(*rig);
        PersistRig(false);
    }
    if (!TrackThread)
        RestartTracker(0);
    if ((changes & rcImage) && child && MDIChildren().contains(child)) {
        child->Flags &= ~mcLive;
        child->APT->Flags |= aptCalibrated;
        child->ShowView(child->View, vfForce | vfReloadRaw);
    }
    if (changes & rcReceiver)
        ReopenRadioWindow();
}

bool TMainForm::EditPassThresholds()
{
    if (!CheckNotRecording())
        return false;
    if (!RecordDlg)
        new TRecordDlg(this);
    RecordDlg->MainPageCtrl->setCurrentWidget(RecordDlg->PassThresholds);
    Recordingandlogging1Click();
    return RecordDlg->result() == QDialog::Accepted &&
           (RecordDlg->ChangeFlags & (rcPassThresholds | rcAutoRecording));
}
