#include "maps/FlatEarthPersistence.h"

#include "orbit/Catalogue.h"
#include "platform/AtomicFile.h"
#include "platform/CNumbers.h"
#include "shell/RegistryHelpers.h"

#include <QFile>
#include <QFileInfo>

namespace {

constexpr int NameLineLimit = 1023;
// The file holds a name a line for each satellite shown: this is thousands.
constexpr qint64 LargestFileBytes = 1 << 20;
const char SatellitesSection[] = "[Satellites]";

int ReadInt(const char* name)
{
    return static_cast<int>(cnum::ParseInt(ReadRegistryString(kFlatEarthKey, name)));
}

QString DefaultBackground(const QString& templateDir)
{
    const QString path = templateDir + "/" + kDefaultEarthImage;
    return QFileInfo::exists(path) ? path : QString();
}

void AddCopy(TEarthView& view, const TSat& sat)
{
    view.Satellites.Add(new TSat(sat));
}

void AddActiveAPTSatellites(TEarthView& view, const TStation& station, PList* catalogue)
{
    const double latitudeRad = station.Latitude * DegreesToRadians;
    for (int i = 0; catalogue && i < catalogue->Count; ++i) {
        auto* sat = static_cast<TSat*>(catalogue->Get(i));
        if (sat->APTSatellite && sat->IsPredictable(latitudeRad, 0, 1))
            AddCopy(view, *sat);
    }
}

}  // namespace

void ShowDefaultSatellitesWhenEmpty(TEarthView& view, const TStation& station, PList* catalogue)
{
    if (view.Satellites.Count == 0)
        AddActiveAPTSatellites(view, station, catalogue);
}

void ReadFlatEarthSatellites(TEarthView& view, const QString& path, PList* catalogue)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return;
    QList<QByteArray> lines = file.read(LargestFileBytes).split('\n');
    for (QByteArray& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    const int section = lines.indexOf(QByteArray(SatellitesSection));
    if (section < 0)
        return;
    for (int i = section + 1; i < lines.size(); ++i) {
        const QByteArray name = lines[i].left(NameLineLimit);
        if (name.startsWith('['))
            break;
        if (name.isEmpty())
            continue;
        // A name listed twice is one satellite: it is shown and saved once.
        const TSat* sat = FindSatellite(catalogue, QString::fromLatin1(name));
        if (sat && !FindSatellite(&view.Satellites, QString::fromLatin1(name)))
            AddCopy(view, *sat);
    }
}

bool PersistFlatEarth(TEarthView& view, bool load, const TStation& station, PList* catalogue,
                      const TFlatEarthFiles& files, QString* error)
{
    if (load) {
        const QString defaultImage = DefaultBackground(files.TemplateDir);
        const QString marker = ReadRegistryString(kFlatEarthKey, "");
        if (marker.isEmpty() || marker == "0") {
            view.EarthImage = defaultImage;
            AddActiveAPTSatellites(view, station, catalogue);
            return true;
        }
        view.Modes = ReadInt("Modes");
        const QString image = ReadRegistryString(kFlatEarthKey, "EarthImage");
        const bool stale = image.isEmpty() || !QFileInfo::exists(image);
        view.EarthImage = stale && !defaultImage.isEmpty() ? defaultImage : image;
        view.clNight = ReadInt("clNight");
        view.clSat = ReadInt("clSat");
        ReadFlatEarthSatellites(view, files.SatelliteFile, catalogue);
        return true;
    }

    WriteRegistryString(kFlatEarthKey, "", "1");
    WriteRegistryString(kFlatEarthKey, "Modes", QString::number(view.Modes));
    WriteRegistryString(kFlatEarthKey, "EarthImage", view.EarthImage);
    WriteRegistryString(kFlatEarthKey, "clNight", QString::number(view.clNight));
    WriteRegistryString(kFlatEarthKey, "clSat", QString::number(view.clSat));
    QByteArray out = QByteArray(SatellitesSection) + '\n';
    for (int i = 0; i < view.Satellites.Count; ++i)
        out += QByteArray(static_cast<const TSat*>(view.Satellites.Get(i))->Name) + '\n';
    QString reason;
    if (!WriteFileAtomically(files.SatelliteFile, out, reason)) {
        if (error)
            *error = reason;
        return false;
    }
    return true;
}
