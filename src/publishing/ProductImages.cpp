// The product images of a log run: each chosen product rendered, written as
// "images/img_NNN" plus the settings' extension with its thumbnail in
// "images/thumbs", numbered on from today's highest number.
#include "publishing/Logger.h"

#include "publishing/DailyLogFiles.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

struct ExceptionHolder {
    ExceptionInfo* e = AcquireExceptionInfo();
    ~ExceptionHolder()
    {
        if (e)
            DestroyExceptionInfo(e);
    }
    bool Failed() const { return !e || e->severity >= ErrorException; }
};

// The number of "img_NNN.ext", -1 for any other name.
int ImageNumber(const QString& fileName)
{
    if (!fileName.startsWith("img_"))
        return -1;
    int number = -1;
    for (int i = 4; i < fileName.size() && fileName[i].isDigit() && number < 100000000; ++i)
        number = std::max(number, 0) * 10 + fileName[i].digitValue();
    return number;
}

bool NeedsLookUpTable(int type) { return type == 3 || type == 4 || type == 5 || type == 7; }

// Encodes with the format of the bare file name's extension. The folder is
// left out on purpose: the image library would read characters such as
// "[" or "%" in a user's folder name as options of its own.
QByteArray Encode(Image* image, ImageInfo* info, const QString& bareName)
{
    const QByteArray name = bareName.toUtf8();
    CopyMagickString(info->filename, name.constData(), MaxTextExtent);
    CopyMagickString(info->magick, "", MaxTextExtent);
    ExceptionHolder exception;
    size_t length = 0;
    void* blob = exception.e ? ImageToBlob(info, image, &length, exception.e) : nullptr;
    QByteArray data;
    if (blob && length > 0 && !exception.Failed())
        data = QByteArray(static_cast<const char*>(blob), qsizetype(length));
    if (blob)
        RelinquishMagickMemory(blob);
    return data;
}

// A colour table file, read by its own extension's format.
MagickImagePtr ReadTableImage(const QString& path, const ImageInfo* info)
{
    QFile file(path);
    const QString suffix = QFileInfo(path).suffix();
    if (suffix.isEmpty() || !file.open(QIODevice::ReadOnly))
        return nullptr;
    const QByteArray data = file.readAll();
    MagickImageInfoPtr readInfo(CloneImageInfo(info));
    ExceptionHolder exception;
    if (!readInfo || data.isEmpty() || !exception.e)
        return nullptr;
    CopyMagickString(readInfo->filename, ("lut." + suffix).toUtf8().constData(), MaxTextExtent);
    MagickImagePtr image(BlobToImage(readInfo.get(), data.constData(), size_t(data.size()), exception.e));
    if (exception.Failed())
        return nullptr;
    return image;
}

// Writes the image as path in the settings' format; the image's file name
// is the path, as the format settings expect.
bool WriteImage(Image* image, ImageInfo* info, const TSetting& settings, const QString& path)
{
    const QByteArray full = path.toUtf8();
    if (full.size() >= MaxTextExtent)
        return false;
    CopyMagickString(image->filename, full.constData(), MaxTextExtent);
    settings.ApplyImageFormat(image, info);
    const QByteArray data = Encode(image, info, QFileInfo(path).fileName());
    QString error;
    return !data.isEmpty() && dailylog::WriteDailyFile(path, data, error);
}

}  // namespace

int TLogger::GetNextImageNumber() const
{
    const QString images = localDir_ + "/" + dailylog::kImages;
    const QString thumbs = localDir_ + "/" + dailylog::kThumbs;
    // A page that goes on today still shows its images, whatever their date
    // ("Add to existing" continues an earlier day's page): keep them and
    // number after them, or new images would overwrite what the page shows.
    const bool pageContinues = dailylog::IsFromToday(localDir_ + "/" + dailylog::kPage);
    int highest = -1;
    const QStringList names = QDir(images).entryList(QDir::Files);
    for (const QString& name : names) {
        const int number = ImageNumber(name);
        if (number < 0)
            continue;
        if (pageContinues || dailylog::IsFromToday(images + "/" + name)) {
            highest = std::max(highest, number);
        } else {
            QFile::remove(images + "/" + name);
            QFile::remove(thumbs + "/" + name);
        }
    }
    return highest + 1;
}

bool TLogger::WriteProduct(TLogImage& product, int number, ImageInfo* info)
{
    product.Clear();
    if (product.Type == 0)
        engine_->RestoreRawLines();
    else
        engine_->Calibrate();

    MagickImagePtr table;
    if (NeedsLookUpTable(product.Type)) {
        const QString tableFile = renderer_->GetLUTFileName(product.Type);
        if (tableFile.isEmpty())
            return false;
        table = ReadTableImage(tableFile, info);
        if (!table)
            return false;
    }
    MagickImagePtr image = renderer_->RenderView(table.get(), product.Type);
    table.reset();
    if (!image)
        return false;

    const QString fileName = QString("img_%1%2").arg(number, 3, 10, QChar('0')).arg(settings_.ImageExt);
    const QString path = localDir_ + "/" + dailylog::kImages + "/" + fileName;
    if (!WriteImage(image.get(), info, settings_, path))
        return false;
    product.FileName = fileName;
    product.Width = int(image->columns);
    product.Height = int(image->rows);
    product.ReadFileSize(path);

    const size_t thumbWidth = std::max<size_t>(1, image->columns * size_t(settings_.ThumbSize) / 100);
    const size_t thumbHeight = std::max<size_t>(1, image->rows * size_t(settings_.ThumbSize) / 100);
    ExceptionHolder exception;
    MagickImagePtr thumb(exception.e ? ResizeImage(image.get(), thumbWidth, thumbHeight, LanczosFilter, 1.0,
                                                   exception.e)
                                     : nullptr);
    if (thumb && WriteImage(thumb.get(), info, settings_, localDir_ + "/" + dailylog::kThumbs + "/" + fileName)) {
        product.ThumbWidth = int(thumb->columns);
        product.ThumbHeight = int(thumb->rows);
    }
    return true;
}

bool TLogger::WriteProductImages()
{
    EnsureMagickCore();
    const int first = GetNextImageNumber();
    if (!QDir().mkpath(localDir_ + "/" + dailylog::kThumbs))
        return false;
    MagickImageInfoPtr info(AcquireImageInfo());
    for (int i = 0; info && i < images_.Count; ++i) {
        // A skipped product still uses up its number.
        WriteProduct(*images_.At(i), first + i, info.get());
    }
    // Only products with both files on disk stay in the run.
    const QString images = localDir_ + "/" + dailylog::kImages + "/";
    const QString thumbs = localDir_ + "/" + dailylog::kThumbs + "/";
    for (int i = images_.Count - 1; i >= 0; --i) {
        TLogImage* product = images_.At(i);
        if (product->FileName.isEmpty() || !QFile::exists(images + product->FileName) ||
            !QFile::exists(thumbs + product->FileName)) {
            images_.Remove(product);
            delete product;
        }
    }
    return images_.Count > 0;
}
