// The grey image of a decoded pass: wedge flattening, repair of values the
// signal chain left out of range, the noise-free crop, and the image form of
// the raw-line cache (any extension but ".gz", through MagickCore).
#include "apt/APT.h"

#include "platform/AtomicFile.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>
#include <cstring>

namespace {

bool IsTextCache(const QString& path)
{
    return QFileInfo(path).suffix().toLower() == "gz";
}

// Steps of a line of the text cache, a row of the image being one: the cache
// costs about twice the image.
constexpr int kCacheLineSteps = 2;

unsigned char ToByte(double v)
{
    if (!(v >= 0))
        return 0;
    return v >= 255 ? 255 : static_cast<unsigned char>(v);
}

}  // namespace

MagickImagePtr TAPT::SaveImage(int imageModes)
{
    return BuildImage(imageModes);
}

MagickImagePtr TAPT::BuildImage(int imageModes)
{
    rawLinesExact_ = 0;  // the wedges are flattened and bad values repaired in place
    WorkColumn.reset();
    const int start = FindTelemetryFrame(995, false);
    FlattenWedges(995, start);
    FlattenWedges(2035, start);
    FramePhase = start >= 0 ? start % 128 : -1;
    FirstLine = 0;
    LastLine = Lines;
    WorkColumn.reset();
    if (Lines <= 0)
        return nullptr;

    EnsureMagickCore();
    MagickImageInfoPtr info(CloneImageInfo(nullptr));
    if (!info) {
        StopFlags |= aptStopNoMemory;
        return nullptr;
    }
    MagickImagePtr image(AcquireImage(info.get()));
    if (!image || SetImageExtent(image.get(), kLineWidth, Lines) == MagickFalse) {
        StopFlags |= aptStopNoMemory;
        RawImageName.clear();
        return nullptr;
    }
    image->storage_class = DirectClass;
    image->depth = 8;
    MagickExceptionPtr exception(AcquireExceptionInfo());
    // The last step is the end of it all, after the cache is in place.
    const int finishSteps = (1 + kCacheLineSteps) * Lines + 1;
    auto finishStep = [&](int done) {
        if (OnFinishStep)
            OnFinishStep(done, finishSteps);
    };
    for (int y = 0; y < Lines; ++y) {
        PixelPacket* pixels = GetAuthenticPixels(image.get(), 0, y, kLineWidth, 1, exception.get());
        if (!pixels)
            break;
        double* line = LineStore[y].get();
        for (int x = 0; x < kLineWidth; ++x) {
            double v = line ? line[x] : 0;
            if (!(v >= 0 && v <= 255)) {
                v = MedianPixel(x, y, v);
                v = FilterPixel(x, y, v);
                if (line)
                    line[x] = v;
            }
            const Quantum q = ByteToQuantum(ToByte(v));
            SetPixelRed(pixels + x, q);
            SetPixelGreen(pixels + x, q);
            SetPixelBlue(pixels + x, q);
            SetPixelOpacity(pixels + x, OpaqueOpacity);
        }
        if (SyncAuthenticPixels(image.get(), exception.get()) == MagickFalse)
            break;
        finishStep(y + 1);
    }
    FirstLine = FindCropLine(true);
    LastLine = FindCropLine(false);
    if (FramePhase >= 0)
        FirstLine = std::max(FirstLine, FramePhase);
    SetImageType(image.get(), TrueColorType);

    if (!RawImageName.isEmpty()) {
        if (IsTextCache(RawImageName))
            WriteRawCache([&](int lines) { finishStep(Lines + kCacheLineSteps * lines); });
        else
            WriteImageCache(image.get());
    }
    finishStep(finishSteps);
    if (imageModes & 2)
        return nullptr;
    return image;
}

bool TAPT::WriteImageCache(Image* image)
{
    // Written under a temporary name and renamed, so that a reader never
    // finds half an image; the format is named explicitly because the
    // temporary name's extension says nothing.
    const QString finalPath = RawImageName;
    const QString temporaryPath = finalPath + ".tmp";
    const QByteArray target = (QFileInfo(finalPath).suffix().toUpper() + ":" + temporaryPath).toLocal8Bit();
    MagickImageInfoPtr info(CloneImageInfo(nullptr));
    if (!info) {
        RawImageName.clear();
        return false;
    }
    CopyMagickString(image->filename, target.constData(), MaxTextExtent);
    CopyMagickString(info->filename, target.constData(), MaxTextExtent);
    const bool written = WriteImage(info.get(), image) != MagickFalse &&
                         image->exception.severity < ErrorException;
    QString error;
    if (!written || !ReplaceFile(temporaryPath, finalPath, error)) {
        QFile::remove(temporaryPath);
        RawImageName.clear();
        return false;
    }
    CopyMagickString(image->filename, QFile::encodeName(finalPath).constData(), MaxTextExtent);
    return true;
}

bool TAPT::LoadRawImage(bool reuseLines)
{
    if (RawImageName.isEmpty() || !QFileInfo::exists(RawImageName))
        return false;
    FramePhase = -1;
    FirstLine = LastLine = 0;
    if (IsTextCache(RawImageName))
        return ReadRawCache(reuseLines);
    return ReadImageCache(reuseLines);
}

void TAPT::DiscardCache(bool deleteFile)
{
    if (deleteFile)
        QFile::remove(RawImageName);
    RawImageName.clear();
}

bool TAPT::ReadImageCache(bool reuseLines)
{
    EnsureMagickCore();
    MagickImageInfoPtr info(CloneImageInfo(nullptr));
    MagickExceptionPtr exception(AcquireExceptionInfo());
    if (!info || !exception)
        return false;
    CopyMagickString(info->filename, QFile::encodeName(RawImageName).constData(), MaxTextExtent);
    MagickImagePtr image(ReadImage(info.get(), exception.get()));
    // An image that is not 2080 words wide cannot be a pass: refused like an
    // unreadable one. So is one cut short: the JPEG reader reports a missing
    // end only as a warning on the image and fills the rest with guesses.
    const bool damaged = exception->severity >= ErrorException ||
                         (image && image->exception.severity == CorruptImageWarning);
    if (!image || damaged || image->columns != static_cast<size_t>(kLineWidth) || image->rows == 0 ||
        image->rows > static_cast<size_t>(kMaxCacheLines)) {
        DiscardCache(true);
        return false;
    }
    const int rows = static_cast<int>(image->rows);
    if (reuseLines && rows != Lines)
        reuseLines = false;  // a different pass: loaded anew at its own size
    if (!reuseLines && !AllocLines(rows))
        return false;
    for (int y = 0; y < Lines; ++y) {
        const PixelPacket* pixels = GetVirtualPixels(image.get(), 0, y, kLineWidth, 1, exception.get());
        if (!pixels)
            break;
        double* line = LineStore[y].get();
        std::fill(line, line + kLineStride, 0.0);
        for (int x = 0; x < kLineWidth; ++x)
            line[x] = ScaleQuantumToChar(GetPixelRed(pixels + x));
    }
    FirstLine = FindCropLine(true);
    LastLine = FindCropLine(false);
    return true;
}

void TAPT::RestoreRawLines()
{
    Flags &= ~aptNoTelemetry;
    if ((Flags & aptCalibrated) && (RestoreRawLinesFromMemory() || LoadRawImage(true)))
        Flags &= ~(aptCalibrated | aptThermalValid);
}
