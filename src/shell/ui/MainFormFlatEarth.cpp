// The main window's side of the Flat Earth Monitor: opening the window, and
// the "Flat Earth Monitor..." command, which fills the settings dialog from
// the view, shows it, and applies what the user changed.
#include "imaging/ui/MDIChild.h"
#include "maps/FlatEarthPersistence.h"
#include "maps/ui/BkSetupDialog.h"
#include "orbit/OrbitMath.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/Pictures.h"

#include <QApplication>
#include <QCheckBox>
#include <QFileInfo>
#include <QLineEdit>
#include <QListWidget>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QScrollArea>
#include <algorithm>

namespace {

// The whole map when the workspace holds it, else the whole workspace: a
// smaller window shows no more than a continent of it.
void FitToMap(QMdiArea* area, TMDIChild* monitor)
{
    auto* window = qobject_cast<QMdiSubWindow*>(monitor->parentWidget());
    if (!window || !monitor->EarthView)
        return;
    const QSize frame = window->size() - monitor->sb->maximumViewportSize();
    const QSize space = area->viewport()->size();
    window->resize((monitor->EarthView->GetMapSize() + frame).boundedTo(space));
    const QSize room = space - window->size();
    window->move(std::min(window->x(), room.width()), std::min(window->y(), room.height()));
}

}  // namespace

void TMainForm::CreateFlatEarthParts()
{
    SunImage = MakeSunImage();
    MoonImage = MakeMoonImage();
    SatImage = MakeSatImage();
    EarthView->SunIcon = &SunImage;
    EarthView->MoonIcon = &MoonImage;
    EarthView->SatIcon = &SatImage;
    if (!BkSetupDlg)
        new TBkSetupDlg(this);
}

void TMainForm::FlatEarthTracker1Click()
{
    TBkSetupDlg* dialog = BkSetupDlg;
    if (!dialog || !CheckSatellitesLoaded())
        return;
    // Without a list of its own the monitor will open on the active APT
    // satellites, so they are the ones ticked; an open monitor shows what it
    // draws.
    const bool defaults = EarthView->Satellites.Count == 0 && !FindMDIChild(0x10);
    {
        // Filling the list is not a change of the user's.
        const QSignalBlocker quiet(dialog->SatList);
        dialog->SatList->clear();
        const double stationLatitudeRad = Station.Latitude * DegreesToRadians;
        for (int i = 0; i < SatelliteList.Count; ++i) {
            auto* sat = static_cast<TSat*>(SatelliteList.Get(i));
            if (!sat->IsPredictable(stationLatitudeRad, 0, 1))
                continue;
            const QString name = QString::fromLatin1(sat->Name);
            auto* item = new QListWidgetItem(name);
            item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
            item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(sat)));
            const bool shown =
                defaults ? sat->APTSatellite : FindSatellite(&EarthView->Satellites, name) != nullptr;
            item->setCheckState(shown ? Qt::Checked : Qt::Unchecked);
            dialog->SatList->addItem(item);
        }
    }
    if (dialog->SatList->count() == 0) {
        ShowInfo("You need to download and activate APT-satellites...", "No APT satellite pass found over you!");
        return;
    }
    if (!QFileInfo(EarthView->EarthImage).isFile())
        EarthView->EarthImage.clear();
    dialog->bkimage->setText(EarthView->EarthImage);
    const int modes = EarthView->Modes;
    dialog->SetFootprintIndex(modes & evFootprintsAlways ? 0 : modes & evFootprintsWhenUp ? 1 : 2);
    dialog->clSat->SetColor(EarthView->clSat);
    dialog->ShowDayNightCb->setChecked(modes & evDayNight);
    dialog->clNight->SetColor(EarthView->clNight);
    dialog->ShowSunCb->setChecked(modes & evSun);
    dialog->ShowMoonCb->setChecked(modes & evMoon);

    if (dialog->exec() != QDialog::Accepted || dialog->ChangeFlags == 0)
        return;
    QApplication::processEvents();
    const QString path = dialog->bkimage->text();
    if (path.isEmpty() || !QFileInfo(path).isFile()) {
        ShowError(path, "Background image Error: File not found!");
        return;
    }
    if (TMDIChild* monitor = FindMDIChild(0x10)) {
        if (!monitor->InitFlatEarthMonitor(1)) {
            ShowError("Failed to reinitialize!", "Error: Flat Earth Monitor!");
            if (auto* window = qobject_cast<QMdiSubWindow*>(monitor->parentWidget()))
                window->close();
            else
                monitor->close();
        }
    } else {
        // No monitor open: stored now, loaded when the monitor is next opened.
        ApplyFlatEarthSettings(0x2);
    }
    PersistFlatEarth(false);
}

void TMainForm::FlatEarthTrackerClick()
{
    TMDIChild* monitor = FindMDIChild(0x10);
    if (!monitor) {
        // Shown first: a hidden window's workspace has no size to fit to.
        if (!(StateFlags & msShown))
            TrayShowClick();
        ShowDefaultSatellitesWhenEmpty(*EarthView, Station, &SatelliteList);
        if ((monitor = CreateMDIChild("The Flat Earth Monitor", mcFlatEarth)))
            FitToMap(MDIArea(), monitor);
        return;
    }
    auto* window = qobject_cast<QMdiSubWindow*>(monitor->parentWidget());
    if (window && window != MDIArea()->currentSubWindow() && ActiveWindow == this) {
        MDIArea()->setActiveSubWindow(window);
        monitor->setFocus();
    }
}

int TMainForm::ApplyFlatEarthSettings(int flags)
{
    const TBkSetupDlg* dialog = BkSetupDlg;
    if (!dialog)
        return 0;
    int result = 0;
    TEarthView& view = *EarthView;
    if ((dialog->ChangeFlags & bkBackground) || !view.IsReady()) {
        const QString path = dialog->bkimage->text();
        if (flags & 0x2) {
            view.EarthImage = path;
        } else if (!view.LoadBackground(path)) {
            if (!(flags & 0x1))
                ShowError(path, "Failed to load the background map!");
            return -1;
        } else {
            result = 1;
        }
    }
    if (dialog->ChangeFlags & bkOptions) {
        static const int footprintModes[] = {evFootprintsAlways, evFootprintsWhenUp};
        const int index = dialog->FootprintIndex();
        int modes = index == 0 || index == 1 ? footprintModes[index] : 0;
        if (dialog->ShowDayNightCb->isChecked())
            modes |= evDayNight;
        if (dialog->ShowSunCb->isChecked())
            modes |= evSun;
        if (dialog->ShowMoonCb->isChecked())
            modes |= evMoon;
        view.Modes = modes;
        view.clSat = dialog->clSat->Color();
        view.clNight = dialog->clNight->Color();
    }
    if (dialog->ChangeFlags & bkSatellites) {
        view.ClearSatellites();
        for (int row = 0; row < dialog->SatList->count(); ++row) {
            const QListWidgetItem* item = dialog->SatList->item(row);
            if (item->checkState() != Qt::Checked)
                continue;
            if (const auto* sat = static_cast<const TSat*>(item->data(Qt::UserRole).value<void*>()))
                view.Satellites.Add(new TSat(*sat));
        }
    }
    return result;
}
