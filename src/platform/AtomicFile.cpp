#include "platform/AtomicFile.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstdio>
#include <cstring>
#include <unistd.h>

bool WriteFileAtomically(const QString& path, const QByteArray& data, QString& error,
                         QFileDevice::Permissions permissions)
{
    const QString folder = QFileInfo(path).absolutePath();
    if (!QDir().mkpath(folder)) {
        error = QString("Unable to create the folder %1").arg(folder);
        return false;
    }
    const QString temporary = path + ".tmp";
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        error = QString("Unable to write %1: %2").arg(path, file.errorString());
        return false;
    }
    file.setPermissions(permissions);
    QString writeError;
    if (!WriteWhole(file, data.constData(), data.size()))
        writeError = file.errorString();
    else if (::fsync(file.handle()) != 0)
        writeError = QString::fromLocal8Bit(std::strerror(errno));
    const bool written = writeError.isEmpty();
    file.close();
    if (!written) {
        error = QString("Unable to write %1: %2").arg(path, writeError);
        QFile::remove(temporary);
        return false;
    }
    return ReplaceFile(temporary, path, error);
}

bool WriteWhole(QFileDevice& file, const char* data, qint64 size)
{
    while (size > 0) {
        const qint64 n = file.write(data, size);
        if (n <= 0)
            return false;
        data += n;
        size -= n;
    }
    return true;
}

bool ReplaceFile(const QString& temporaryPath, const QString& finalPath, QString& error)
{
    if (std::rename(QFile::encodeName(temporaryPath).constData(), QFile::encodeName(finalPath).constData()) != 0) {
        error = QString("Unable to replace %1: %2").arg(finalPath, QString::fromLocal8Bit(std::strerror(errno)));
        QFile::remove(temporaryPath);
        return false;
    }
    return true;
}
