#include "shell/AppFolders.h"

#include "shell/RegistryHelpers.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLocale>

namespace {

const char kPathsKey[] = "APT\\Paths";

bool MakeFolder(const QString& folder)
{
    return QFileInfo(folder).isDir() || (QDir().mkpath(folder) && QFileInfo(folder).isDir());
}

QString WithoutTrailingSeparator(QString path)
{
    while (path.size() > 1 && (path.endsWith('/') || path.endsWith('\\')))
        path.chop(1);
    return path;
}

}  // namespace

TAppFolders::TAppFolders(const QString& appDir, ErrorReporter showError)
    : appDir_(appDir.endsWith('/') ? appDir : appDir + "/"), showError_(std::move(showError))
{
}

QString TAppFolders::Enter(const QString& folder, bool enter) const
{
    if (!enter)
        return folder;
    if (MakeFolder(folder)) {
        QDir::setCurrent(folder);
    } else {
        if (showError_)
            showError_(folder, kFolderErrorCaption);
        QDir::setCurrent(appDir_);
    }
    return folder;
}

QString TAppFolders::GetConfigDir(bool enter) const { return Enter(Sub("config"), enter); }
QString TAppFolders::GetTempDir(bool enter) const { return Enter(Sub("temp"), enter); }
QString TAppFolders::GetKeplerDir(bool enter) const { return Enter(Sub("kepler"), enter); }
QString TAppFolders::GetKeplerArchiveDir(bool enter) const { return Enter(Sub("kepler/archive"), enter); }

QString TAppFolders::GetLUTDir() const { return Sub("config/lut"); }
QString TAppFolders::GetImagesDir() const { return Sub("images"); }
QString TAppFolders::GetLogosDir() const { return Sub("logos"); }
QString TAppFolders::GetRawAudioDir() const { return Sub("audio/raw"); }
QString TAppFolders::GetFlatEarthTemplateDir() const { return Sub("templates/flatearth"); }
QString TAppFolders::GetMapsDir() const { return Sub("templates/maps"); }

QString TAppFolders::GetAudioDir() const
{
    const QString audio = ReadRegistryString(kPathsKey, "Audio");
    return audio.isEmpty() ? Sub("audio") : audio;
}

QString TAppFolders::GetLogDir() const
{
    const QString log = ReadRegistryString(kPathsKey, "Log");
    return log.isEmpty() ? Sub("html") : log;
}

QString TAppFolders::GetRSSDir() const
{
    const QString log = ReadRegistryString(kPathsKey, "Log");
    if (log.isEmpty())
        return Sub("html/rss");
    // The path part of the log folder: up to and including its last separator.
    const int last = std::max(log.lastIndexOf('/'), log.lastIndexOf('\\'));
    return log.left(last + 1) + "html/rss";
}

QString TAppFolders::GetTLEFileName() const { return GetConfigDir() + "/sattrack.tle"; }
QString TAppFolders::GetSatelliteDatabaseFileName() const { return GetConfigDir() + "/sattrack.db"; }
QString TAppFolders::GetTimeServersFileName() const { return GetConfigDir() + "/timeservers.txt"; }
QString TAppFolders::GetKepURLFileName() const { return GetConfigDir() + "/kepurl.txt"; }
QString TAppFolders::GetKepArchiveURLFileName() const { return GetConfigDir() + "/keparcurl.txt"; }
QString TAppFolders::GetFlatEarthFileName() const { return GetConfigDir() + "/flatearth.txt"; }

QString TAppFolders::GetTestImageFileName(bool deleteFirst) const
{
    const QString name = GetTempDir() + "/test.png";
    if (deleteFirst)
        QFile::remove(name);
    return name;
}

void TAppFolders::CreateAppFolders() const
{
    struct Folder {
        QString path;
        const char* registryValue;  // null: not recorded
    };
    const Folder folders[] = {
        {GetKeplerDir(), nullptr},
        // Archived element sets identify opened recordings: the folder must
        // be there before the first download or merge archives a set.
        {GetKeplerArchiveDir(), nullptr},
        {GetTempDir(), nullptr},
        {GetConfigDir(), "Config"},
        {GetImagesDir(), nullptr},
        {GetLUTDir(), nullptr},
        {GetLogosDir(), nullptr},
        {GetRawAudioDir(), nullptr},
        {GetFlatEarthTemplateDir(), nullptr},
        {GetAudioDir(), "Audio"},
        {GetLogDir(), "Log"},
        {GetRSSDir(), "RSS"},
        {GetMapsDir(), nullptr},
    };
    for (const Folder& folder : folders) {
        if (!MakeFolder(folder.path)) {
            if (showError_)
                showError_(folder.path, kFolderErrorCaption);
            continue;
        }
        if (folder.registryValue)
            WriteRegistryString(kPathsKey, folder.registryValue, folder.path);
    }
}

bool TAppFolders::MakeDatedPath(const QString& base, const QDateTime& when, QString& path)
{
    const QLocale locale = QLocale::system();
    path = WithoutTrailingSeparator(base) + "/" + locale.toString(when, kDatedYearFormat) + "/" +
           locale.toString(when, kDatedMonthFormat) + "/" + locale.toString(when, kDatedDayFormat);
    return MakeFolder(path);
}
