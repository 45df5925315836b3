#pragma once
// Archives whose central directory lists one stored stream many times, the
// shapes that once made opening a recording read a 16 MiB entry 60 or 120
// times: Debian's zip writes the single entry, then its directory record is
// repeated (under its own name or others of the same length) and the end
// record counts the copies.
#include <QByteArray>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QProcess>
#include <QStringList>
#include <QtEndian>

namespace trackingfixtures {

// Writes an archive at zipPath whose directory lists one stream holding
// content once per name of names, all of one length (the entry's own header
// gives only the length of its name); false when zip failed or the archive
// is not of the shape.
inline bool WriteSharedStreamZip(const QString& zipPath, const QStringList& names, const QByteArray& content)
{
    const QString entryName = names.value(0);
    for (const QString& name : names)
        if (name.toLatin1().size() != entryName.toLatin1().size())
            return false;
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
    const int nameLength = qFromLittleEndian<quint16>(reinterpret_cast<const uchar*>(record.constData()) + 28);
    QByteArray directory;
    for (const QString& name : names)
        directory += QByteArray(record).replace(46, nameLength, name.toLatin1());
    const auto times = quint32(names.size());
    QByteArray tail = bytes.mid(end);
    auto* out = reinterpret_cast<uchar*>(tail.data());
    qToLittleEndian<quint16>(quint16(times), out + 8);
    qToLittleEndian<quint16>(quint16(times), out + 10);
    qToLittleEndian<quint32>(directorySize * times, out + 12);
    QFile file(zipPath);
    if (!file.open(QIODevice::WriteOnly))
        return false;
    file.write(bytes.left(directoryOffset) + directory + tail);
    return true;
}

// Writes entryName holding content into a new archive at zipPath, listed
// times times; false when zip failed or the archive is not of the shape.
inline bool WriteRepeatedEntryZip(const QString& zipPath, const QString& entryName, const QByteArray& content,
                                  int times)
{
    return WriteSharedStreamZip(zipPath, QStringList(QList<QString>(times, entryName)), content);
}

}  // namespace trackingfixtures
