#include "publishing/PendingUploads.h"

#include "publishing/DailyLogFiles.h"

#include <QFile>
#include <QFileInfo>
#include <QSet>

namespace pending {

namespace {

bool IsPlainFileName(const QString& name)
{
    return name != "." && name != ".." && !name.contains('/') && !name.contains('\\');
}

}  // namespace

bool ReadPendingList(const QString& path, QStringList& names, QString& error, QStringList* refused)
{
    names.clear();
    if (!QFileInfo::exists(path))
        return true;
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        error = "Cannot read " + path + ": " + file.errorString();
        return false;
    }
    const QByteArray data = file.read(kMaxPendingListBytes + 1);
    if (file.error() != QFile::NoError) {
        error = "Cannot read " + path + ": " + file.errorString();
        return false;
    }
    if (data.size() > kMaxPendingListBytes) {
        error = QString("Cannot read %1: it is larger than %2 bytes, more than a pending-upload list can be")
                    .arg(path)
                    .arg(kMaxPendingListBytes);
        return false;
    }
    QSet<QString> listed;
    for (QByteArray line : data.split('\n')) {
        if (line.endsWith('\r'))
            line.chop(1);
        const QString name = QString::fromUtf8(line);
        if (name.isEmpty() || listed.contains(name))
            continue;
        if (!IsPlainFileName(name)) {
            if (refused)
                *refused << name;
            continue;
        }
        listed.insert(name);
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

bool AppendPendingNames(const QString& path, const QStringList& names, QString& error, QStringList* refused)
{
    QStringList listed;
    if (!ReadPendingList(path, listed, error, refused))
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
