#include "publishing/DailyLogFiles.h"

#include "platform/AtomicFile.h"
#include "platform/SystemTime.h"

#include <QDate>
#include <QDir>
#include <QFile>
#include <QFileInfo>

namespace dailylog {

QString DailyDir(const QString& logDir) { return logDir + "/" + kDailyFolder; }

bool IsFromToday(const QString& path)
{
    const QFileInfo info(path);
    return info.isFile() && info.lastModified().toLocalTime().date() == systime::UtcNow().toLocalTime().date();
}

bool DateNow(const QString& path)
{
    QFile file(path);
    // setFileTime needs the file open; a missing or read-only file fails.
    return file.open(QIODevice::ReadWrite | QIODevice::ExistingOnly) &&
           file.setFileTime(systime::UtcNow(), QFileDevice::FileModificationTime);
}

bool WriteDailyFile(const QString& path, const QByteArray& data, QString& error)
{
    if (!WriteFileAtomically(path, data, error))
        return false;
    // A file that keeps the time of its writing still counts as today's
    // unless the clock was replaced; the content is what matters here.
    DateNow(path);
    return true;
}

QString WorkingCopyPath(const QString& path)
{
    const QFileInfo info(path);
    return info.path() + "/" + info.completeBaseName() + ".txt";
}

bool PrepareContinue(const QString& path)
{
    if (IsFromToday(path)) {
        QFile file(path);
        QString error;
        if (file.open(QIODevice::ReadOnly))
            return WriteDailyFile(WorkingCopyPath(path), file.readAll(), error) && file.error() == QFile::NoError;
        return false;
    }
    // The pending list is given up only with a new day: when the file is
    // one of an earlier day, or the list itself is. A file of today that
    // cannot be continued, or one missing, keeps today's list.
    const QString list = QFileInfo(path).path() + "/" + kUploadList;
    if (QFileInfo::exists(path) || !IsFromToday(list))
        QFile::remove(list);
    return false;
}

bool ReadLines(const QString& path, QStringList& lines)
{
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly))
        return false;
    const QByteArray data = file.readAll();
    if (file.error() != QFile::NoError)
        return false;
    lines = QString::fromUtf8(data).split('\n');
    // A final line end gives no extra empty line.
    if (!lines.isEmpty() && lines.last().isEmpty())
        lines.removeLast();
    for (QString& line : lines)
        if (line.endsWith('\r'))
            line.chop(1);
    return true;
}

}  // namespace dailylog
