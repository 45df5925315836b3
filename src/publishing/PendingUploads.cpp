#include "publishing/PendingUploads.h"

#include "publishing/DailyLogFiles.h"

#include <QFile>
#include <QFileInfo>

namespace pending {

bool ReadPendingList(const QString& path, QStringList& names, QString& error)
{
    names.clear();
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "Cannot read " + path + ": " + file.errorString();
        return false;
    }
    const QByteArray data = file.readAll();
    if (file.error() != QFile::NoError) {
        error = "Cannot read " + path + ": " + file.errorString();
        return false;
    }
    for (QByteArray line : data.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString name = QString::fromUtf8(line);
        if (!name.isEmpty() && !names.contains(name))
            names << name;
    }
    return true;
}

bool WritePendingList(const QString& path, const QStringList& names, QString& error)
{
    if (names.isEmpty()) {
        QFile file(path);
        if (!file.exists() || file.remove())
            return true;
        error = "Cannot delete " + path + ": " + file.errorString();
        return false;
    }
    QByteArray text;
    for (const QString& name : names)
        text += name.toUtf8() + '\n';
    return dailylog::WriteDailyFile(path, text, error);
}

bool AppendPendingNames(const QString& path, const QStringList& names, QString& error)
{
    QStringList listed;
    if (!ReadPendingList(path, listed, error))
        return false;
    const qsizetype before = listed.size();
    for (const QString& name : names)
        if (!name.isEmpty() && !listed.contains(name))
            listed << name;
    if (listed.size() == before)
        return true;
    return WritePendingList(path, listed, error);
}

}  // namespace pending
