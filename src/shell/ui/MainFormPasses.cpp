// Satellite > "Pass list...", "Track..." and "Predict APT footprint
// overlaps...": the pass dialogs, filled with the station and the satellites
// that can pass over it; the pass list's passes in the swath viewer.
#include "maps/ui/SwathForm.h"
#include "orbit/Sat.h"
#include "shell/ui/MainForm.h"
#include "tracking/ui/OverlapDlg.h"
#include "tracking/ui/SatPassDlg.h"
#include "tracking/ui/TrackDlg.h"

#include <QComboBox>
#include <QListWidget>

namespace {

// The catalogue's satellites that can be predicted for the station. Each
// satellite left out keeps the reason in its status bits.
QList<TSat*> PredictableSatellites(PList& catalogue, const TStation& station)
{
    QList<TSat*> out;
    const double latitudeRad = station.Latitude * M_PI / 180.0;
    const double now = TSat::CurrentDayNumber();
    for (int i = 0; i < catalogue.Count; ++i) {
        auto* sat = static_cast<TSat*>(catalogue.Get(i));
        if (sat->IsPredictable(latitudeRad, now, 1))
            out << sat;
    }
    return out;
}

}  // namespace

void TMainForm::Passlist1Click()
{
    if (!SatPassDlg || RaiseOpenDialog(SatPassDlg) || CheckSatellitesLoaded() == 0)
        return;
    SatPassDlg->SatList->clear();
    SatPassDlg->Station = &Station;
    SatPassDlg->ShowSwath = [this](TSat* sat) { ShowPassSwath(sat); };
    SatPassDlg->SwathVisible = [] { return SwathForm && SwathForm->isVisible(); };
    FillGroupCombo(SatPassDlg->GroupCb);
    SatPassDlg->Satellites = PredictableSatellites(SatelliteList, Station);
    if (SatPassDlg->Satellites.isEmpty()) {
        ShowInfo("You need to download satellites...", "No satellite pass found over you!");
        return;
    }
    ShowDialogModal(SatPassDlg);
}

void TMainForm::ShowPassSwath(TSat* sat)
{
    if (!sat)
        return;
    if (!SwathForm)
        new TSwathForm(this);
    SwathForm->ShowPass(SatPassDlg, *sat, &Station, SwathProps.get(), false);
}

void TMainForm::PredictAPTfootprintowerlaps1Click()
{
    if (!OverlapDlg || RaiseOpenDialog(OverlapDlg) || CheckSatellitesLoaded() == 0)
        return;
    OverlapDlg->APTSatellites.clear();
    OverlapDlg->SatList->clear();
    OverlapDlg->Station = &Station;
    for (TSat* sat : PredictableSatellites(SatelliteList, Station)) {
        if (sat->APTSatellite) {
            OverlapDlg->APTSatellites << sat;
            continue;
        }
        auto* item = new QListWidgetItem(QString::fromLatin1(sat->Name));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(sat)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Unchecked);
        OverlapDlg->SatList->addItem(item);
    }
    if (OverlapDlg->APTSatellites.isEmpty()) {
        ShowInfo("You need to download and activate APT-satellites...", "No APT satellite pass found over you!");
        return;
    }
    ShowDialogModal(OverlapDlg);
}

void TMainForm::Track1Click()
{
    if (!TrackDlg || RaiseOpenDialog(TrackDlg))
        return;
    TrackDlg->SatList->clear();
    TrackDlg->Station = &Station;
    TrackDlg->Satellites = &SatelliteList;
    FillGroupCombo(TrackDlg->GroupCb);
    ShowDialogModal(TrackDlg);
}
