#pragma once
// Small image files for tests, written through MagickCore in any format it
// writes by extension, with a pixel pattern the test can predict.
#include "imaging/MagickSupport.h"

#include <QByteArray>
#include <QFile>
#include <QString>
#include <cstdint>
#include <functional>
#include <magick/MagickCore.h>
#include <vector>

namespace fixtures {

// The default pattern: red 3x, green 5y, blue x + y (mod 256).
inline std::uint32_t Pattern(int x, int y)
{
    return std::uint32_t((3 * x) & 0xFF) << 16 | std::uint32_t((5 * y) & 0xFF) << 8 | std::uint32_t((x + y) & 0xFF);
}

// Writes a width x height RGB image (colours as 0xRRGGBB); true on success.
inline bool WriteImage(const QString& path, int width, int height,
                       const std::function<std::uint32_t(int, int)>& colour = Pattern)
{
    EnsureMagickCore();
    std::vector<unsigned char> pixels;
    pixels.reserve(static_cast<size_t>(width) * height * 3);
    for (int y = 0; y < height; ++y)
        for (int x = 0; x < width; ++x) {
            const std::uint32_t c = colour(x, y);
            pixels.push_back(static_cast<unsigned char>(c >> 16));
            pixels.push_back(static_cast<unsigned char>(c >> 8));
            pixels.push_back(static_cast<unsigned char>(c));
        }
    ExceptionInfo* exception = AcquireExceptionInfo();
    Image* image = ConstituteImage(width, height, "RGB", CharPixel, pixels.data(), exception);
    bool ok = false;
    if (image) {
        ImageInfo* info = CloneImageInfo(nullptr);
        const QByteArray name = QFile::encodeName(path);
        CopyMagickString(image->filename, name.constData(), MaxTextExtent);
        CopyMagickString(info->filename, name.constData(), MaxTextExtent);
        ok = WriteImage(info, image) != MagickFalse;
        DestroyImageInfo(info);
        DestroyImage(image);
    }
    DestroyExceptionInfo(exception);
    return ok;
}

inline bool WriteBytes(const QString& path, const QByteArray& bytes)
{
    QFile file(path);
    return file.open(QIODevice::WriteOnly) && file.write(bytes) == bytes.size();
}

// A PNG whose header claims width x height pixels (valid CRC) and holds no
// image data: what a forged or damaged download looks like.
QByteArray ForgedPngHeader(quint32 width, quint32 height);

}  // namespace fixtures

inline QByteArray fixtures::ForgedPngHeader(quint32 width, quint32 height)
{
    auto be32 = [](quint32 v) {
        QByteArray b(4, '\0');
        b[0] = char(v >> 24); b[1] = char(v >> 16); b[2] = char(v >> 8); b[3] = char(v);
        return b;
    };
    QByteArray chunk = "IHDR" + be32(width) + be32(height) + QByteArray("\x08\x02\x00\x00\x00", 5);
    quint32 crc = 0xFFFFFFFFu;  // the PNG chunk CRC (CRC-32, reflected)
    for (const char byte : chunk) {
        crc ^= static_cast<unsigned char>(byte);
        for (int bit = 0; bit < 8; ++bit)
            crc = (crc >> 1) ^ (0xEDB88320u & (0u - (crc & 1u)));
    }
    crc ^= 0xFFFFFFFFu;
    QByteArray png("\x89PNG\r\n\x1a\n", 8);
    png += be32(13) + chunk + be32(crc);
    png += be32(0) + QByteArray("IEND") + be32(0xAE426082);
    return png;
}
