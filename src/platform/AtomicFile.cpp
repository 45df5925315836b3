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
    QString reason;
    if (!WriteTemporaryFile(temporary, data, reason, permissions)) {
        error = QString("Unable to write %1: %2").arg(path, reason);
        return false;
    }
    return ReplaceFile(temporary, path, error);
}

bool WriteTemporaryFile(const QString& temporaryPath, const QByteArray& data, QString& reason,
                        QFileDevice::Permissions permissions)
{
    QFile file(temporaryPath);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        reason = file.errorString();
        return false;
    }
    file.setPermissions(permissions);
    bool written = WriteWhole(file, data.constData(), data.size());
    if (!written)
        reason = file.errorString();
    else if (::fsync(file.handle()) != 0) {
        written = false;
        reason = QString::fromLocal8Bit(std::strerror(errno));
    }
    file.close();
    if (!written)
        QFile::remove(temporaryPath);
    return written;
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
