#include "imaging/ImageAnnotation.h"

#include "apt/MagickImage.h"
#include "imaging/MagickSupport.h"
#include "platform/CNumbers.h"
#include "shell/TextHelpers.h"

#include <QFile>
#include <QFileInfo>
#include <algorithm>

namespace {

struct DrawInfoDeleter {
    void operator()(DrawInfo* info) const
    {
        if (info)
            DestroyDrawInfo(info);
    }
};
using DrawInfoPtr = std::unique_ptr<DrawInfo, DrawInfoDeleter>;

int Trunc(double v) { return static_cast<int>(v); }

bool IsTopPosition(int position) { return position >= 0 && position <= 2; }

// Draws one line with its baseline at (x, y). AnnotateImage takes the text
// as it is: no drawing command is parsed from it.
bool DrawTextLine(Image* image, DrawInfo* draw, const QString& text, int x, int y)
{
    if (text.isEmpty())
        return false;
    CloneString(&draw->text, text.toUtf8().constData());
    CloneString(&draw->geometry, cnum::Format("%+d%+d", x, y).c_str());
    const bool drawn = AnnotateImage(image, draw) != MagickFalse;
    CloneString(&draw->geometry, nullptr);
    return drawn;
}

}  // namespace

PixelPacket ColorToPixel(TColor colour)
{
    PixelPacket pixel{};
    pixel.red = ByteToQuantum(static_cast<unsigned char>(colour & 0xFF));
    pixel.green = ByteToQuantum(static_cast<unsigned char>((colour >> 8) & 0xFF));
    pixel.blue = ByteToQuantum(static_cast<unsigned char>((colour >> 16) & 0xFF));
    pixel.opacity = OpaqueOpacity;
    return pixel;
}

TTextBlock DrawAnnotationText(Image* image, const ImageInfo* info, TSetting settings, const QString& passDescription)
{
    TTextBlock block;
    if (!image || !info || !(settings.AnnotateModes & 0x1))
        return block;
    const QString line1 = passDescription;
    const QString line2 = settings.AnnotateText;
    const int lines = line1.isEmpty() ? 1 : line2.isEmpty() ? 1 : 2;
    if (line1.isEmpty() && line2.isEmpty())
        return block;

    if (settings.FontName.isEmpty()) {
        settings.FontName = "Verdana";
        settings.FontFile.clear();
    }
    if (settings.FontFile.isEmpty() && !FindFontFile(settings.FontName, settings.FontFile))
        return block;
    if (!settings.FontFile.startsWith('@'))
        settings.FontFile.prepend('@');
    if (settings.FontSize <= 0)
        settings.FontSize = 10.0;

    EnsureMagickCore();
    DrawInfoPtr draw(CloneDrawInfo(info, nullptr));
    if (!draw)
        return block;
    // The stored name keeps its "@"; MagickCore gets the plain path, as its
    // security policy refuses "@" names (they read files for any option).
    CloneString(&draw->font, settings.FontFile.mid(1).toUtf8().constData());
    draw->pointsize = settings.FontSize;
    CloneString(&draw->density, "96x96");

    // Measured on the line or lines that will be drawn; the wider one counts.
    TypeMetric metrics{};
    double w = 0, h = 0;
    for (const QString& text : {line1, line2}) {
        if (text.isEmpty())
            continue;
        CloneString(&draw->text, text.toUtf8().constData());
        if (GetTypeMetrics(image, draw.get(), &metrics) == MagickFalse)
            return block;
        w = std::max(w, metrics.width);
        h = std::max(h, metrics.height);
    }
    const int th = Trunc(h);
    const double W = static_cast<double>(image->columns);
    const double H = static_cast<double>(image->rows);
    int x = 0, y = 0;
    switch (settings.TextPos) {
    case 1: x = Trunc((W - w) / 2); y = th; break;
    case 2: x = Trunc(W - w - h / 2); y = th; break;
    case 3: x = Trunc(h / 2); y = Trunc(H - lines * h); break;
    case 4: x = Trunc((W - w) / 2); y = Trunc(H - lines * h); break;
    case 5: x = Trunc(W - w - h / 2); y = Trunc(H - lines * h); break;
    default: x = Trunc(h / 2); y = th; break;
    }
    if (x < 0 || y < 0) {
        x = Trunc(h / 2);
        y = th;
    }

    if (!(settings.AnnotateModes & 0x4)) {
        draw->fill = ColorToPixel(settings.FontBkColor);
        const std::string box = cnum::Format("fill-opacity %d%% rectangle %d,%d,%d,%d", settings.TextBkOpacity,
                                             x - th / 2, y - th, x + Trunc(w) + th / 2, y + lines * th - th / 2);
        CloneString(&draw->primitive, box.c_str());
        DrawImage(image, draw.get());
        CloneString(&draw->primitive, nullptr);
        draw->fill.opacity = OpaqueOpacity;
    }
    draw->fill = ColorToPixel(settings.FontColor);
    block.X = x;
    for (const QString& text : {line1, line2}) {
        if (DrawTextLine(image, draw.get(), text, x, y))
            y = Trunc(y + h);
    }
    block.Drawn = true;
    block.FreeY = IsTopPosition(settings.TextPos) || settings.TextPos < 0 || settings.TextPos > 5
                      ? Trunc((lines + 1) * h)
                      : Trunc(H - (lines + 1) * h);
    return block;
}

void DrawLogo(Image* image, const TSetting& settings, const TTextBlock& block, ExceptionInfo* exception)
{
    if (!image || !(settings.AnnotateModes & 0x2) || settings.LogoFilename.isEmpty() ||
        !QFileInfo(settings.LogoFilename).isFile())
        return;
    EnsureMagickCore();
    MagickImageInfoPtr info(CloneImageInfo(nullptr));
    if (!info)
        return;
    CopyMagickString(info->filename, QFile::encodeName(settings.LogoFilename).constData(), MaxTextExtent);
    MagickImagePtr logo(ReadImage(info.get(), exception));
    if (!logo)
        return;
    // Signed sizes: a logo larger than the image is clipped at its edges
    // instead of being thrown far outside it.
    const long W = static_cast<long>(image->columns), H = static_cast<long>(image->rows);
    const long w = static_cast<long>(logo->columns), h = static_cast<long>(logo->rows);
    long x = 0, y = 0;
    if (block.Drawn && settings.LogoPos == settings.TextPos) {
        x = block.X;
        y = IsTopPosition(settings.TextPos) ? block.FreeY : block.FreeY - h;
    } else {
        switch (settings.LogoPos) {
        case 1: x = (W - w) / 2; break;
        case 2: x = W - w; break;
        case 3: y = H - h; break;
        case 4: x = (W - w) / 2; y = H - h; break;
        case 5: x = W - w; y = H - h; break;
        default: break;
        }
    }
    CompositeImage(image, OverCompositeOp, logo.get(), x, y);
    if (logo->exception.severity != UndefinedException && exception->severity == UndefinedException)
        InheritException(exception, &logo->exception);
}

void AnnotateView(Image* image, const ImageInfo* info, const TSetting& settings, const QString& passDescription,
                  ExceptionInfo* logoException)
{
    const TTextBlock block = DrawAnnotationText(image, info, settings, passDescription);
    DrawLogo(image, settings, block, logoException);
}
