// The Settings menu's "Ground station....": the station dialog on the main
// window's station. A change stops the tracker, is taken over, and the
// tracker starts again from the new place; the registry gets the station at
// shutdown.
#include "orbit/ui/StationDlg.h"
#include "shell/ui/MainForm.h"

#include <QCoreApplication>

void TMainForm::GroundstationClick()
{
    if (!CheckNotRecording())
        return;
    if (!StationDlg)
        new TStationDlg(this);
    if (RaiseOpenDialog(StationDlg))
        return;
    StationDlg->LoadStation(Station);
    if (ShowDialogModal(StationDlg) != QDialog::Accepted || !StationDlg->Modified)
        return;
    QCoreApplication::processEvents();
    RestartTracker(0x200);
    StationDlg->StoreStation(Station);
    RestartTracker(0);
}
