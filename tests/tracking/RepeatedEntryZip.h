#pragma once
// An archive whose central directory lists its one entry many times, the
// shape that once made opening a recording read a 16 MiB entry 60 times:
// Debian's zip writes the single entry, then its directory record is
// repeated and the end record counts the copies.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QtEndian>

namespace trackingfixtures {

// Writes entryName holding content into a new archive at zipPath, listed
// times times; false when zip failed or the archive is not of the shape.
inline bool WriteRepeatedEntryZip(const QString& zipPath, const QString& entryName, const QByteArray& content,
                                  int times)
{
    const QString work = QFileInfo(zipPath).absolutePath() + "/repeat-work/";
    QDir(work).removeRecursively();
    QDir().mkpath(work);
    QFile entry(work + entryName);
    if (!entry.open(QIODevice::WriteOnly) || entry.write(content) != content.size())
        return false;
    entry.close();
    QProcess zip;
    zip.setWorkingDirectory(work);
    zip.start("zip", {"-q", "-9", "-X", "one.zip", entryName});
    if (!zip.waitForFinished(120000) || zip.exitCode() != 0)
        return false;
    QFile one(work + "one.zip");
    if (!one.open(QIODevice::ReadOnly))
        return false;
    QByteArray bytes = one.readAll();
    QDir(work).removeRecursively();

    const qsizetype end = bytes.lastIndexOf(QByteArray("PK\x05\x06", 4));
    if (end < 0 || bytes.size() - end < 22)
        return false;
    auto* eocd = reinterpret_cast<uchar*>(bytes.data() + end);
    const quint32 directorySize = qFromLittleEndian<quint32>(eocd + 12);
    const quint32 directoryOffset = qFromLittleEndian<quint32>(eocd + 16);
    if (qFromLittleEndian<quint16>(eocd + 10) != 1 || directoryOffset + directorySize != quint32(end))
        return false;
    const QByteArray record = bytes.mid(directoryOffset, directorySize);
    QByteArray tail = bytes.mid(end);
    auto* out = reinterpret_cast<uchar*>(tail.data());
    qToLittleEndian<quint16>(quint16(times), out + 8);
    qToLittleEndian<quint16>(quint16(times), out + 10);
    qToLittleEndian<quint32>(directorySize * quint32(times), out + 12);
    QFile file(zipPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes.left(directoryOffset) + record.repeated(times) + tail);
    return true;
}

}  // namespace trackingfixtures
