// The main window's members for the records it keeps: the station, the
// receiver link, the swath viewer's settings, the flat-earth view's data,
// the satellite catalogue's files and the pass-information files. Each
// forwards to the engine with the main window's folders and records and
// shows what went wrong.
#include "shell/ui/MainForm.h"

#include "maps/FlatEarthPersistence.h"
#include "maps/SwathViewPersistence.h"
#include "orbit/PassInfoFile.h"
#include "orbit/StationPersistence.h"
#include "radio/RigPersistence.h"
#include "shell/RegistryHelpers.h"

#include <QApplication>
#include <QMessageBox>

namespace {

QString VersionText()
{
    return ReadRegistryString("APT", "VersionStr");
}

const char kWriteError[] = "Error: Unable to write to file!";

}  // namespace

void TMainForm::PersistStation(bool load)
{
    ::PersistStation(Station, load);
}

void TMainForm::PersistRig(bool load)
{
    ::PersistRig(*Rig, load);
}

void TMainForm::PersistSwathView(bool load)
{
    ::PersistSwathView(*SwathProps, load, folders_.GetMapsDir());
}

void TMainForm::PersistFlatEarth(bool load)
{
    QString error;
    if (!::PersistFlatEarth(*EarthView, load, Station, &SatelliteList,
                            {folders_.GetFlatEarthFileName(), folders_.GetFlatEarthTemplateDir()},
                            &error))
        ShowError(error, kWriteError);
}

int TMainForm::LoadTLEFile(const QString& path, const QString& group, int* badSets,
                           int* duplicates, TSatCheckList* list)
{
    const TTLELoadResult result = ::LoadTLEFile(path, folders_.GetSatelliteDatabaseFileName(),
                                                group, list ? nullptr : &SatelliteList, list);
    if (badSets)
        *badSets = result.BadSets;
    if (duplicates)
        *duplicates = result.Duplicates;
    if (result.State == TTLELoadResult::Missing) {
        QMessageBox box(QMessageBox::Information, "Information",
                        path + " Doesn't exist!\nSelect from the menu Satellite->Keplerian "
                               "elements... to download the most recent!",
                        QMessageBox::Ok, this);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
        return 0;
    }
    if (result.State == TTLELoadResult::Unreadable) {
        ShowError(path, "Error: Unable to open TLE-file!");
        return 0;
    }
    if (!result.Problems.isEmpty()) {
        // Every damaged line was skipped and the rest kept; the list is cut
        // so the box still fits on the screen.
        QStringList shown = result.Problems.mid(0, 20);
        if (result.Problems.size() > shown.size())
            shown << QString("... and %1 more").arg(result.Problems.size() - shown.size());
        ShowError("Damaged lines were skipped:\n" + shown.join('\n'), "Satellite catalogue");
    }
    return result.Taken;
}

void TMainForm::SaveTLEFile(const QString& path, const TSatCheckList* downloadList)
{
    QString error;
    if (!::SaveTLEFile(SatelliteList, path, folders_.GetSatelliteDatabaseFileName(),
                       VersionText(), downloadList, error))
        ShowError(error, kWriteError);
}

void TMainForm::SaveSatelliteDatabase(const TSatCheckList* downloadList)
{
    QApplication::processEvents();
    QString error;
    if (!::SaveSatelliteDatabase(SatelliteList, folders_.GetSatelliteDatabaseFileName(),
                                 VersionText(), downloadList, error))
        ShowError(error, kWriteError);
}

TSat* TMainForm::FindSatellite(PList* list, const QString& name)
{
    return ::FindSatellite(list, name);
}

bool TMainForm::SavePassInfo(TSat* pass, const QString& folder, int flags)
{
    return pass && ::SavePassInfo(*pass, folder, &Station, VersionText(), flags);
}
