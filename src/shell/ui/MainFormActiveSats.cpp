// The Satellite menu's "Active APT satellites...": the catalogue handed to
// the dialog, and a change saved and given to the tracker.
#include "shell/ui/MainForm.h"
#include "tracking/ui/APTSatDlg.h"

#include <QListWidget>

namespace {
constexpr double kRadiansPerDegree = 0.017453292519943295;
}

void TMainForm::ActiveAPTsatellites1Click()
{
    if (!APTSatDlg || RaiseOpenDialog(APTSatDlg))
        return;
    if (CheckSatellitesLoaded() == 0 || !CheckNotRecording())
        return;
    APTSatDlg->Satellites = &SatelliteList;
    APTSatDlg->SatList->clear();
    APTSatDlg->StationLatitude = Station.Latitude * kRadiansPerDegree;
    APTSatDlg->ConfigDir = folders_.GetConfigDir(true);
    FillGroupCombo(APTSatDlg->GroupCb);
    ShowDialogModal(APTSatDlg);
    if (!APTSatDlg->Changed)
        return;
    SaveSatelliteDatabase();
    RestartTracker(0);
}
