#include "platform/ProgramFolder.h"

#include <QCoreApplication>
#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QFileInfo>

namespace programfolder {

QString Path()
{
    QString path = qEnvironmentVariable("ORVANTA_HOME");
    if (path.isEmpty()) {
        QString data = qEnvironmentVariable("XDG_DATA_HOME");
        if (data.isEmpty())
            data = QDir::homePath() + "/.local/share";
        path = data + "/Orvanta";
    }
    path = QDir::cleanPath(QDir(path).absolutePath());
    return path.endsWith('/') ? path : path + "/";
}

QString ShippedFilesFolder()
{
    const QString overridden = qEnvironmentVariable("ORVANTA_DATA");
    if (!overridden.isEmpty())
        return overridden;
    if (QCoreApplication::instance()) {
        const QString installed = QCoreApplication::applicationDirPath() + "/../share/orvanta";
        if (QFileInfo::exists(installed))
            return QDir::cleanPath(installed);
    }
    return ORVANTA_DATA_DIR;
}

QString InstallShippedFiles(const QString& sourceFolder)
{
    QString firstError;
    const QDir source(sourceFolder);
    const QString target = Path();
    QDirIterator it(sourceFolder, QDir::Files | QDir::NoDotAndDotDot, QDirIterator::Subdirectories);
    while (it.hasNext()) {
        const QString file = it.next();
        const QString destination = target + source.relativeFilePath(file);
        if (QFileInfo::exists(destination))
            continue;
        QDir().mkpath(QFileInfo(destination).absolutePath());
        if (!QFile::copy(file, destination) && firstError.isEmpty())
            firstError = QString("Unable to copy %1 to %2").arg(file, destination);
        QFile(destination).setPermissions(QFileDevice::ReadOwner | QFileDevice::WriteOwner |
                                          QFileDevice::ReadGroup | QFileDevice::ReadOther);
    }
    return firstError;
}

}  // namespace programfolder
