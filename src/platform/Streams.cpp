#include "platform/Streams.h"

#include <cstring>

TFileStream::TFileStream(const QString& FileName, Mode OpenMode) : file_(FileName)
{
    const QIODevice::OpenMode mode = OpenMode == fmCreate     ? QIODevice::WriteOnly | QIODevice::Truncate
                                     : OpenMode == fmOpenRead ? QIODevice::ReadOnly
                                                              : QIODevice::ReadWrite;
    if (!file_.open(mode))
        throw EStreamError(QStringLiteral("Cannot open \"%1\": %2").arg(FileName, file_.errorString()));
}

qint64 TFileStream::Read(char* Buffer, qint64 Count)
{
    const qint64 n = file_.read(Buffer, Count);
    if (n < 0)
        throw EStreamError(QStringLiteral("Cannot read \"%1\": %2").arg(file_.fileName(), file_.errorString()));
    return n;
}

void TFileStream::Write(const char* Buffer, qint64 Count)
{
    if (Count > 0 && file_.write(Buffer, Count) != Count)
        throw EStreamError(QStringLiteral("Cannot write \"%1\": %2").arg(file_.fileName(), file_.errorString()));
}

void TFileStream::SetPosition(qint64 Pos)
{
    if (!file_.seek(std::clamp<qint64>(Pos, 0, file_.size())))
        throw EStreamError(QStringLiteral("Cannot seek in \"%1\": %2").arg(file_.fileName(), file_.errorString()));
}

void TFileStream::SetSize(qint64 NewSize)
{
    const qint64 keep = std::min(file_.pos(), std::max<qint64>(NewSize, 0));
    if (!file_.flush() || !file_.resize(std::max<qint64>(NewSize, 0)) || !file_.seek(keep))
        throw EStreamError(QStringLiteral("Cannot cut \"%1\": %2").arg(file_.fileName(), file_.errorString()));
}

qint64 TMemoryStream::Read(char* Buffer, qint64 Count)
{
    const qint64 n = std::clamp<qint64>(bytes_.size() - pos_, 0, Count);
    std::memcpy(Buffer, bytes_.constData() + pos_, static_cast<size_t>(n));
    pos_ += n;
    return n;
}

void TMemoryStream::Write(const char* Buffer, qint64 Count)
{
    if (Count <= 0)
        return;
    if (pos_ + Count > bytes_.size())
        bytes_.resize(pos_ + Count);
    std::memcpy(bytes_.data() + pos_, Buffer, static_cast<size_t>(Count));
    pos_ += Count;
}

void TMemoryStream::SetSize(qint64 NewSize)
{
    const qint64 size = std::max<qint64>(NewSize, 0);
    const qint64 old = bytes_.size();
    bytes_.resize(size);
    if (size > old)
        std::memset(bytes_.data() + old, 0, static_cast<size_t>(size - old));
    pos_ = std::min(pos_, size);
}
