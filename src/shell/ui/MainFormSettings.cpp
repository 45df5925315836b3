// The Settings menu's "General settings...": the general settings dialog on
// copies of the settings record and the receiver link, taken back on OK in
// an order that keeps the tracker thread off records being replaced.
#include "imaging/ViewRenderer.h"
#include "imaging/ui/MDIChild.h"
#include "platform/ui/WaitCursor.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/RecordDlg.h"

#include <QAction>
#include <QCoreApplication>
#include <QMenu>
#include <QMenuBar>
#include <QTabWidget>

void TMainForm::ConnectSettingsCommands()
{
    auto* item = findChild<QAction*>("Recordingandlogging1");
    if (!item) {
        auto* menu = findChild<QMenu*>("Settings1");
        if (!menu) {
            menu = new QMenu("Settings", this);
            menu->setObjectName("Settings1");
            menuBar()->insertMenu(Window1->menuAction(), menu);
        }
        item = new QAction("General settings...", this);
        item->setObjectName("Recordingandlogging1");
        const QString hint = "Control recording, recording start/stop, logging, image annotaion and radio";
        item->setToolTip(hint);
        item->setStatusTip(hint);
        menu->insertAction(menu->actions().value(0), item);
    }
    item->setEnabled(true);
    connect(item, &QAction::triggered, this, &TMainForm::Recordingandlogging1Click);
}

void TMainForm::Recordingandlogging1Click()
{
    if (!RecordDlg)
        new TRecordDlg(this);
    if (RecordDlg->isVisible()) {
        BringDialogToFront(RecordDlg);
        return;
    }
    auto settings = std::make_unique<TSetting>();
    settings->Assign(*Settings);
    auto rig = std::make_unique<TRig>();
    rig->Assign(*Rig);
    TMDIChild* active = FindMDIChild(0);
    RecordDlg->ActiveChild = active && active->APT && active->APT->IsImageReady() ? active : nullptr;
    RecordDlg->Settings = settings.get();
    RecordDlg->Rig = rig.get();

    ActiveWindow = RecordDlg;
    const int result = RecordDlg->exec();
    ActiveWindow = this;
    const int changes = RecordDlg->ChangeFlags;
    TMDIChild* child = RecordDlg->ActiveChild;
    RecordDlg->Settings = nullptr;
    RecordDlg->Rig = nullptr;
    RecordDlg->ActiveChild = nullptr;
    if (result != QDialog::Accepted)
        return;

    QCoreApplication::processEvents();
    TWaitCursor wait;
    if (changes & (rcPassThresholds | rcAutoRecording | rcReceiver))
        RestartTracker(0x200);
    {
        // A tracker left running reads the record on its own thread.
        std::lock_guard lock(SettingsMutex);
        Settings->Assign(*settings);
    }
    if (changes & rcReceiver)
        Rig->Assign(*rig);
    if (!TrackThread)
        RestartTracker(0);
    if ((changes & rcImage) && child && MDIChildren().contains(child)) {
        child->Flags &= ~mcLive;
        child->APT->Flags |= aptCalibrated;
        child->ShowView(child->View, vfForce | vfReloadRaw);
    }
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
