// Satellite > "Orbit data..." and "Organize...": the catalogue dialogs.
#include "orbit/ui/SatOrbDlg.h"
#include "orbit/ui/SatOrgDlg.h"
#include "shell/ui/MainForm.h"

#include <QComboBox>
#include <QListWidget>

void TMainForm::Orbitdata1Click()
{
    if (!SatOrbDlg || RaiseOpenDialog(SatOrbDlg) || CheckSatellitesLoaded() == 0)
        return;
    SatOrbDlg->SatelliteList = &SatelliteList;
    SatOrbDlg->SatList->clear();
    FillGroupCombo(SatOrbDlg->GroupCb);
    ShowDialogModal(SatOrbDlg);
}

void TMainForm::Organize1Click()
{
    if (!SatOrgDlg || RaiseOpenDialog(SatOrgDlg) || CheckSatellitesLoaded() == 0 || !CheckNotRecording())
        return;
    SatOrgDlg->SatelliteList = &SatelliteList;
    FillGroupCombo(SatOrgDlg->GroupCb);
    const bool accepted = ShowDialogModal(SatOrgDlg) == QDialog::Accepted;
    if (SatOrgDlg->Modified) {
        if (accepted) {
            SaveTLEFile(folders_.GetTLEFileName());
        } else {
            // Throw the changes away: the catalogue as its files hold it.
            FreeSatellites(SatelliteList);
            LoadTLEFile(folders_.GetTLEFileName(), QString(), nullptr, nullptr, nullptr);
        }
    }
    RestartTracker(0);
}
