#include "platform/WaveFile.h"

#include "platform/AtomicFile.h"

#include <QByteArray>
#include <QFile>
#include <QFileInfo>
#include <cerrno>
#include <cstring>
#include <unistd.h>

namespace {

// Size of everything after the RIFF size field but the samples: "WAVE",
// the "fmt " chunk (8 + 18) and the "data" chunk's header (8).
constexpr std::uint32_t kRiffOverhead = 4 + 8 + 18 + 8;

void PutTag(QByteArray& out, const char* tag)
{
    out.append(tag, 4);
}

void Put16(QByteArray& out, std::uint16_t v)
{
    out.append(static_cast<char>(v & 0xFF));
    out.append(static_cast<char>(v >> 8));
}

void Put32(QByteArray& out, std::uint32_t v)
{
    for (int shift = 0; shift < 32; shift += 8)
        out.append(static_cast<char>((v >> shift) & 0xFF));
}

QByteArray Header(const TWaveFormat& format, std::uint32_t byteCount)
{
    QByteArray out;
    PutTag(out, "RIFF");
    Put32(out, kRiffOverhead + byteCount + (byteCount & 1));
    PutTag(out, "WAVE");
    PutTag(out, "fmt ");
    Put32(out, 18);
    Put16(out, format.FormatTag);
    Put16(out, format.Channels);
    Put32(out, format.SamplesPerSec);
    Put32(out, format.AvgBytesPerSec);
    Put16(out, format.BlockAlign);
    Put16(out, format.BitsPerSample);
    Put16(out, format.ExtraSize);
    PutTag(out, "data");
    Put32(out, byteCount);
    return out;
}

}  // namespace

bool WriteWaveFile(const QString& path, const TWaveFormat& format, const std::uint8_t* samples,
                   std::uint32_t byteCount, QString& error)
{
    if (!IsConsistentPcm(format)) {
        error = QString("Unable to write %1: the sound format is not a PCM format of 8 or 16 bits").arg(path);
        return false;
    }
    if (byteCount % format.BlockAlign != 0 || (byteCount > 0 && !samples)) {
        error = QString("Unable to write %1: %2 bytes are not whole samples").arg(path).arg(byteCount);
        return false;
    }
    if (byteCount > 0xFFFFFFFFu - kRiffOverhead - 1) {
        error = QString("Unable to write %1: %2 bytes are too many for a WAV file").arg(path).arg(byteCount);
        return false;
    }
    const QString folder = QFileInfo(path).absolutePath();
    if (!QFileInfo(folder).isDir()) {
        error = QString("Unable to write %1: the folder %2 does not exist").arg(path, folder);
        return false;
    }
    const QString temporary = path + ".tmp";
    QFile file(temporary);
    if (!file.open(QIODevice::WriteOnly | QIODevice::Truncate | QIODevice::Unbuffered)) {
        error = QString("Unable to write %1: %2").arg(temporary, file.errorString());
        return false;
    }
    const QByteArray header = Header(format, byteCount);
    const char pad = '\0';
    bool written = WriteWhole(file, header.constData(), header.size()) &&
                   WriteWhole(file, reinterpret_cast<const char*>(samples), qint64(byteCount));
    if (written && (byteCount & 1))
        written = WriteWhole(file, &pad, 1);
    QString writeError;
    if (!written)
        writeError = file.errorString();
    else if (::fsync(file.handle()) != 0)
        writeError = QString::fromLocal8Bit(std::strerror(errno));
    written = writeError.isEmpty();
    file.close();
    if (!written) {
        error = QString("Unable to write %1: %2").arg(temporary, writeError);
        QFile::remove(temporary);
        return false;
    }
    return ReplaceFile(temporary, path, error);
}
