#include "shell/Setting.h"

#include "platform/CNumbers.h"
#include "shell/MagickLegacy.h"
#include "shell/MagickNames.h"

#include <QFileInfo>
#include <algorithm>
#include <climits>
#include <cmath>
#include <initializer_list>

namespace {

// The formats images may be written in, with the compression chosen when the
// user picks one and the compressions a check accepts for it (compression 1,
// none, is accepted for every format before this table is consulted).
struct FormatRule {
    std::initializer_list<const char*> extensions;
    int chosen;                      // set when the user picks the format
    std::initializer_list<int> kept; // accepted as they are by Validate
    int corrected;                   // what Validate sets otherwise
};

const FormatRule kFormatMap[] = {
    {{".jpg", ".jpeg", ".jp2", ".jbig", ".jpc"}, 7, {5, 7}, 7},
    {{".jng"}, 5, {5, 10}, 10},
    {{".png"}, 10, {10}, 10},
    {{".mng"}, 10, {5, 10}, 10},
    {{".tiff"}, 10, {5, 8, 9, 10}, 10},
    {{".gif"}, 1, {8}, 1},
    {{".pnm"}, 1, {}, 1},
    {{".bmp", ".dib"}, 9, {9}, 9},
};

// Case-sensitive, as the stored extension is compared.
const FormatRule* FindFormat(const QString& ext)
{
    for (const FormatRule& rule : kFormatMap)
        for (const char* e : rule.extensions)
            if (ext == QLatin1String(e))
                return &rule;
    return nullptr;
}

const int kNoCompression = 1;
const double kDefaultGamma = 1.15;
const double kMaxGamma = 5.0;
const int kDefaultPercent = 100;
const int kMaxPercent = 400;

// Replaces the extension of the file part of name (or appends one).
QString WithExtension(const QString& name, const QString& ext)
{
    const qsizetype slash = name.lastIndexOf('/');
    const qsizetype dot = name.lastIndexOf('.');
    if (dot > slash)
        return name.left(dot) + ext;
    return name + ext;
}

}  // namespace

// --- TLogImage -------------------------------------------------------------

TLogImage::TLogImage() : TLogImage(QString(), -1) {}

TLogImage::TLogImage(const QString& name, int type) : Name(name), Type(type)
{
    Clear();
}

void TLogImage::Clear()
{
    FileName.clear();
    Width = Height = ThumbWidth = ThumbHeight = FileSize = 0;
}

void TLogImage::ReadFileSize(const QString& path)
{
    const QFileInfo info(path);
    FileSize = info.exists() ? static_cast<int>(std::min<qint64>(info.size(), INT_MAX)) : 0;
}

QString TLogImage::GetSizeText() const
{
    const double kilobytes = std::ceil(static_cast<double>(FileSize) / 1024.0);
    return QString::fromStdString(cnum::Format("%gkb", kilobytes));
}

// --- TLogImageList ---------------------------------------------------------

TLogImageList::~TLogImageList()
{
    TSetting::FreeLogImages(this, false);
}

TLogImageList::TLogImageList(const TLogImageList& other) : PList()
{
    AddCopiesOf(other);
}

TLogImageList& TLogImageList::operator=(const TLogImageList& other)
{
    if (this != &other) {
        TSetting::FreeLogImages(this, false);
        AddCopiesOf(other);
    }
    return *this;
}

void TLogImageList::AddCopiesOf(const TLogImageList& other)
{
    for (int i = 0; i < other.Count; ++i)
        Add(new TLogImage(*other.At(i)));
}

// --- TSetting --------------------------------------------------------------

TSetting::TSetting()
    : ImageModes(0),
      RIGModes(0),
      WinModes(0),
      LogModes(0x22),
      PassModes(3),
      PassElev(30),
      AOSElev(10),
      LOSElev(10),
      Duration(64),
      AOSPathLoss(142.5),
      LOSPathLoss(142.5),
      IRSunEle(-6),
      AnnotateModes(5),
      AnnotateText(QStringLiteral("Received at my station ") + QChar(0xA9)),
      FontName("Verdana"),
      TextPos(1),
      FontColor(0xFFFFFF),
      FontBkColor(0xFF0000),
      FontSize(10.0),
      TextBkOpacity(50),
      LogoPos(0),
      FTPDir("/html/apt/logs"),
      LowTempValue(-15.0)
{
    SetImageFormatDefaults();
}

void TSetting::FreeLogImages(PList* list, bool deleteList)
{
    if (!list)
        return;
    while (void* newest = list->Last()) {
        list->Remove(newest);
        delete static_cast<TLogImage*>(newest);
    }
    if (deleteList)
        delete list;
}

void TSetting::SetFormatFieldDefaults()
{
    ImageExt = ".jpg";
    Compression = 7;
    Quality = 75;
    ImageType = 6;
    Interlace = 1;
}

void TSetting::SetImageFormatDefaults()
{
    SetFormatFieldDefaults();
    RawExt = ".gz";
    Contrast = 0;
    Gamma = kDefaultGamma;
    Brightness = 130;
    Saturation = 180;
    Hue = 100;
    ThumbSize = 12;
    ImageModes = 0;
}

double TSetting::ClampGamma(double value)
{
    if (value != 0.0)
        Gamma = value;
    if (!(Gamma > 0.0))  // also catches a stored "nan"
        Gamma = kDefaultGamma;
    else if (Gamma >= kMaxGamma)
        Gamma = kMaxGamma;
    return Gamma;
}

int TSetting::ClampPercent(int& field, int value)
{
    if (value != 0)
        field = value;
    if (field <= 0)
        field = kDefaultPercent;
    else if (field > kMaxPercent)
        field = kMaxPercent;
    return field;
}

QString TSetting::GetRawExt()
{
    if (RawExt.isEmpty())
        RawExt = ".gz";
    return RawExt;
}

void TSetting::Validate()
{
    ThumbSize = std::clamp(ThumbSize, 5, 50);
    if (Quality < 0)
        Quality = 75;
    else if (Quality > 100)
        Quality = 100;
    if (ImageType < 1 || ImageType > 10)
        ImageType = 6;
    if (Interlace < 1)
        Interlace = 1;
    GetRawExt();
    ClampGamma(0);
    ClampBrightness(0);
    ClampSaturation(0);
    ClampHue(0);
    Contrast = std::clamp(Contrast, 0, 3);

    if (Compression == kNoCompression)
        return;
    const FormatRule* rule = FindFormat(ImageExt);
    if (!rule) {
        SetFormatFieldDefaults();
        return;
    }
    if (std::find(rule->kept.begin(), rule->kept.end(), Compression) == rule->kept.end())
        Compression = rule->corrected;
}

bool TSetting::SetCompressionForExt(const QString& ext)
{
    const FormatRule* rule = FindFormat(ext);
    if (!rule) {
        SetFormatFieldDefaults();
        return true;
    }
    Quality = 75;
    ImageType = 6;
    Compression = rule->chosen;
    return false;
}

void TSetting::ApplyImageFormat(Image* image, ImageInfo* info) const
{
    if (!image || !info)
        return;
    CopyMagickString(info->filename, image->filename, MaxTextExtent);
    const CompressionType compression = magicknames::CompressionFromStored(Compression);
    image->compression = compression;
    info->compression = compression;
    const size_t quality = static_cast<size_t>(std::clamp(Quality, 0, 100));
    image->quality = quality;
    info->quality = quality;
    const InterlaceType interlace = magicknames::InterlaceFromStored(Interlace);
    image->interlace = interlace;
    info->interlace = interlace;
    const ::ImageType type = magicknames::ImageTypeFromStored(ImageType);
    info->type = type;
    if (type != UndefinedType)
        SetImageType(image, type);
}

void TSetting::ApplyImageFormatAs(Image* image, ImageInfo* info, const QString& ext) const
{
    if (!image || !info || image->filename[0] == '\0')
        return;
    TSetting format(*this);
    const QString lowerExt = ext.toLower();
    format.ImageExt = lowerExt;
    format.Validate();
    if (format.ImageExt != lowerExt) {
        // Not a format the program writes: the default format takes its
        // place, and the file's name must say so.
        const QByteArray renamed =
            WithExtension(QString::fromUtf8(image->filename), format.ImageExt).toUtf8();
        if (renamed.size() < MaxTextExtent)
            CopyMagickString(image->filename, renamed.constData(), MaxTextExtent);
    }
    format.ApplyImageFormat(image, info);
}

bool TSetting::ApplyContrast(Image* image)
{
    if (!image)
        return false;
    int sign = 0;
    switch (Contrast) {
    case 1: sign = -1; break;
    case 2: sign = -3; break;
    case 3: sign = -5; break;
    default:
        Contrast = 0;
        return true;
    }
    // A palette image would keep its colour map and lose the changed pixels.
    if (SetImageStorageClass(image, DirectClass) == MagickFalse)
        return true;
    const ssize_t rows = static_cast<ssize_t>(image->rows);
    for (ssize_t y = 0; y < rows; ++y) {
        PixelPacket* pixel = GetAuthenticPixels(image, 0, y, image->columns, 1, &image->exception);
        if (!pixel)
            break;
        for (size_t x = 0; x < image->columns; ++x, ++pixel)
            magicklegacy::Contrast(sign, &pixel->red, &pixel->green, &pixel->blue);
        if (SyncAuthenticPixels(image, &image->exception) == MagickFalse)
            break;
    }
    return true;
}
