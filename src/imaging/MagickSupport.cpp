#include "imaging/MagickSupport.h"

#include "imaging/FileTypes.h"

#include <QFile>
#include <QFileInfo>
#include <magick/MagickCore.h>
#include <mutex>

namespace {

// Owners of MagickCore's records, so every path out frees them.
struct ExceptionOwner {
    ExceptionInfo* p = AcquireExceptionInfo();
    ~ExceptionOwner() { DestroyExceptionInfo(p); }
};
struct InfoOwner {
    ImageInfo* p = CloneImageInfo(nullptr);
    ~InfoOwner() { if (p) DestroyImageInfo(p); }
};
struct ImageOwner {
    Image* p = nullptr;
    ~ImageOwner() { if (p) DestroyImageList(p); }
};

QString FromMagick(const char* text)
{
    return text ? QString::fromLocal8Bit(text) : QString();
}

void Fail(TDisplayImage& result, const QString& reason, const QString& description)
{
    result = TDisplayImage{};
    result.Reason = reason;
    result.Description = description;
}

void FailFromException(TDisplayImage& result, const ExceptionInfo* exception, const QString& path)
{
    QString reason = FromMagick(exception->reason);
    QString description = FromMagick(exception->description);
    if (reason.isEmpty())
        reason = "Unable to read image";
    if (description.isEmpty())
        description = path;
    Fail(result, reason, description);
}

// The stored numbers are those of the 6.2 interface; the names are
// MagickCore's option names, which did not change.
struct CompressionName {
    int stored;
    const char* name;
};
const CompressionName kCompressions[] = {{1, "None"},     {2, "BZip"}, {3, "Fax"},          {4, "Group4"},
                                         {5, "JPEG"},     {6, "JPEG2000"}, {7, "LosslessJPEG"}, {8, "LZW"},
                                         {9, "RLE"},      {10, "Zip"}};

}  // namespace

QString MagickVersionText()
{
    EnsureMagickCore();
    size_t number = 0;
    return FromMagick(GetMagickVersion(&number));
}

QImage MagickToQImage(Image* image, ExceptionInfo* exception)
{
    if (!image || image->columns == 0 || image->rows == 0 || image->columns > INT_MAX || image->rows > INT_MAX)
        return {};
    if (image->colorspace == CMYKColorspace)
        TransformImageColorspace(image, sRGBColorspace);
    const int width = static_cast<int>(image->columns);
    const int height = static_cast<int>(image->rows);
    const bool matte = image->matte != MagickFalse;
    // An opaque image is made in the format the windows draw from, so that
    // their conversion to it costs nothing.
    QImage picture(width, height, matte ? QImage::Format_ARGB32 : QImage::Format_RGB32);
    if (picture.isNull())
        return {};
    for (int y = 0; y < height; ++y) {
        const PixelPacket* pixels = GetVirtualPixels(image, 0, y, image->columns, 1, exception);
        if (!pixels)
            return {};
        auto* line = reinterpret_cast<QRgb*>(picture.scanLine(y));
        for (int x = 0; x < width; ++x) {
            const PixelPacket& p = pixels[x];
            // Q16 samples scaled to 8 bits; opacity 0 is opaque in MagickCore 6.
            const int alpha = matte ? 255 - ScaleQuantumToChar(p.opacity) : 255;
            line[x] = qRgba(ScaleQuantumToChar(p.red), ScaleQuantumToChar(p.green), ScaleQuantumToChar(p.blue), alpha);
        }
    }
    return picture;
}

TDisplayImage ReadDisplayImage(const QString& path, long long maxPixels)
{
    TDisplayImage result;
    const QString extension = FileExtension(path);
    if (extension.size() < 2) {
        Fail(result, "No image format", "The file name has no extension: " + path);
        return result;
    }
    QFile file(path);
    if (!file.open(QIODevice::ReadOnly)) {
        Fail(result, "Unable to open image", path + ": " + file.errorString());
        return result;
    }
    if (file.size() > kMaxDisplayFileBytes) {
        Fail(result, "Image file too large", QString("%1: %2 bytes").arg(path).arg(file.size()));
        return result;
    }
    const QByteArray blob = file.readAll();
    file.close();
    if (blob.isEmpty()) {
        Fail(result, "Empty image file", path);
        return result;
    }

    EnsureMagickCore();
    ExceptionOwner exception;
    InfoOwner info;
    if (!info.p) {
        Fail(result, "Failed to allocate image info", "Out of memory?");
        result.Result = TDisplayImage::NoMemory;
        return result;
    }
    // The format named by the extension, set explicitly: MagickCore then
    // neither parses the name for prefixes nor sniffs the content.
    const QByteArray magick = extension.mid(1).toUpper().toLatin1();
    CopyMagickString(info.p->magick, magick.constData(), MaxTextExtent);
    CopyMagickString(info.p->filename, "display", MaxTextExtent);

    {
        ImageOwner ping;
        ping.p = PingBlob(info.p, blob.constData(), static_cast<size_t>(blob.size()), exception.p);
        if (!ping.p) {
            FailFromException(result, exception.p, path);
            return result;
        }
        const long long pixels = static_cast<long long>(ping.p->columns) * static_cast<long long>(ping.p->rows);
        if (pixels > maxPixels || ping.p->columns > INT_MAX || ping.p->rows > INT_MAX) {
            Fail(result, "Image too large to show",
                 QString("%1: %2 x %3 pixels").arg(path).arg(ping.p->columns).arg(ping.p->rows));
            return result;
        }
    }
    ClearMagickException(exception.p);

    ImageOwner image;
    image.p = BlobToImage(info.p, blob.constData(), static_cast<size_t>(blob.size()), exception.p);
    // A damaged file may still give an image with a warning; that is shown.
    if (!image.p || image.p->columns == 0 || image.p->rows == 0) {
        FailFromException(result, exception.p, path);
        return result;
    }
    if (static_cast<long long>(image.p->columns) * static_cast<long long>(image.p->rows) > maxPixels) {
        Fail(result, "Image too large to show",
             QString("%1: %2 x %3 pixels").arg(path).arg(image.p->columns).arg(image.p->rows));
        return result;
    }
    result.Picture = MagickToQImage(image.p, exception.p);
    if (result.Picture.isNull()) {
        Fail(result, "Failed to get the bitmap", "Out of memory?");
        result.Result = TDisplayImage::NoMemory;
        return result;
    }
    result.Width = result.Picture.width();
    result.Height = result.Picture.height();
    result.Result = TDisplayImage::Ok;
    return result;
}

int MagickCompressionFromStored(int stored)
{
    for (const CompressionName& c : kCompressions)
        if (c.stored == stored) {
            const ssize_t type = ParseCommandOption(MagickCompressOptions, MagickFalse, c.name);
            return type < 0 ? UndefinedCompression : static_cast<int>(type);
        }
    return UndefinedCompression;
}

int StoredCompressionFromMagick(int compressionType)
{
    for (const CompressionName& c : kCompressions)
        if (ParseCommandOption(MagickCompressOptions, MagickFalse, c.name) == compressionType)
            return c.stored;
    return 0;
}
