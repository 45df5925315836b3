#include "publishing/RemotePaths.h"

#include "publishing/DailyLogFiles.h"

namespace remotepath {

QStringList FolderParts(const QString& ftpDir) { return ftpDir.split('/', Qt::SkipEmptyParts); }

QString Join(const QString& base, const QStringList& parts)
{
    QString path = base;
    // "//" in a reported folder would stay; only the seams are made exact.
    for (const QString& part : parts) {
        QString inner = part;
        while (inner.startsWith('/'))
            inner.remove(0, 1);
        while (inner.endsWith('/'))
            inner.chop(1);
        if (inner.isEmpty())
            continue;
        if (path.isEmpty())
            path = inner;
        else if (path.endsWith('/'))
            path += inner;
        else
            path += '/' + inner;
    }
    return path;
}

QString DailyDir(const QString& startDir, const QString& ftpDir)
{
    return Join(startDir, FolderParts(ftpDir) << dailylog::kDailyFolder);
}

}  // namespace remotepath
