#include "imaging/ViewRenderer.h"

#include "apt/APT.h"
#include "imaging/MagickSupport.h"
#include "imaging/ViewRendererModulate.h"
#include "platform/CNumbers.h"
#include "shell/MagickNames.h"

#include <algorithm>
#include <cmath>
#include <thread>

namespace {

constexpr double kZeroCelsius = 273.15;
constexpr double kColdestKelvin = kZeroCelsius - 60;
constexpr double kWarmestKelvin = kZeroCelsius + 40;
// Columns of a channel before its video: sync and space.
constexpr int kVideoStart = 86;
constexpr int kVideoWidth = 909;
constexpr int kChannelWidth = 1040;

const TViewInfo kViews[kViewCount] = {
    {"Normal", "Normal [", false, false, true},
    {"Video A", "Video A [", false, false, true},
    {"Video B", "Video B [", false, false, false},
    {"False colour (A, B)", "False Colour Video A, B [", false, true, true},
    {"False colour temperature enhanced (ch 2, 4)", "False Colour (ch 2, 4) [", true, true, true},
    {"False colour low temperature enhanced (ch 2, 4)", "False Colour Low Temperatures (ch 2, 4) [", true, true,
     true},
    {"IR Brightness temperatures (ch 4)", "IR Brightness Temperatures [", true, false, false},
    {"IR Low temperature enhanced (ch 4)", "IR Low Temperatures [", true, true, false},
};

double ClampKelvin(double kelvin) { return std::clamp(kelvin, kColdestKelvin, kWarmestKelvin); }

void MirrorRow(PixelPacket* row, int first, int end) { std::reverse(row + first, row + end); }

}  // namespace

const TViewInfo* GetViewInfo(int view)
{
    return view >= 0 && view < kViewCount ? &kViews[view] : nullptr;
}

TLookupTable::TLookupTable(Image* image)
{
    if (!image || image->columns == 0 || image->rows == 0 || image->columns > 4096 || image->rows > 4096)
        return;
    const int width = static_cast<int>(image->columns);
    const int height = static_cast<int>(image->rows);
    std::vector<std::uint8_t> rgb(static_cast<size_t>(3 * width * height));
    MagickExceptionPtr exception(AcquireExceptionInfo());
    for (int y = 0; y < height; ++y) {
        const PixelPacket* pixels = GetVirtualPixels(image, 0, y, image->columns, 1, exception.get());
        if (!pixels)
            return;
        std::uint8_t* out = &rgb[static_cast<size_t>(3 * y * width)];
        for (int x = 0; x < width; ++x) {
            *out++ = ScaleQuantumToChar(GetPixelRed(pixels + x));
            *out++ = ScaleQuantumToChar(GetPixelGreen(pixels + x));
            *out++ = ScaleQuantumToChar(GetPixelBlue(pixels + x));
        }
    }
    width_ = width;
    height_ = height;
    rgb_ = std::move(rgb);
}

int LookupTableColumn(double kelvin)
{
    if (std::isnan(kelvin))
        kelvin = kColdestKelvin;
    // Column c holds the degree from c - 60 up to c - 59 Celsius, as the
    // table editor labels it; +40 itself falls on the last column.
    const double celsius = ClampKelvin(kelvin) - kZeroCelsius;
    return std::clamp(static_cast<int>(std::floor(celsius)) + 60, 0, 99);
}

void LookupColour(const TLookupTable* table, double value, double kelvin, double& red, double& green, double& blue,
                  int flags)
{
    red = green = blue = value;
    if (!table || table->IsEmpty())
        return;
    const int column = LookupTableColumn(kelvin);
    const int grey = static_cast<int>(std::clamp(std::isnan(value) ? 0.0 : value, 0.0, 255.0));
    const int row = (flags & 1) ? grey : 255 - grey;
    if (column >= table->Width() || row >= table->Height())
        return;
    const std::uint8_t* rgb = table->At(column, row);
    red = rgb[0];
    green = rgb[1];
    blue = rgb[2];
}

TRenderOptions RenderOptionsFrom(const TSetting& settings, int view)
{
    TRenderOptions options;
    options.View = view;
    options.ChopToVideo = (settings.LogModes & 0x40) != 0;
    options.VisibleLines = (settings.ImageModes & 0x2) != 0;
    options.FilterNoise = (settings.ImageModes & 0x1) != 0;
    options.LowTempCelsius = settings.LowTempValue;
    return options;
}

namespace {

// What every row of one rendering shares.
struct TRowRender {
    const TAPT* apt;
    const TLookupTable* table;
    int view;
    bool chop;
    int width;
    int c1, c2;
    double lowKelvin;

    // The row's pixels, opaque, each colour a byte scaled to a quantum.
    void Render(int lineRow, const double* line, PixelPacket* out) const;
};

std::uint8_t ToByte(double v)
{
    // NaN counts as black; truncated toward zero like the bytes of a bitmap.
    const double clamped = !(v > 0) ? 0 : v > 255 ? 255 : v;
    return static_cast<std::uint8_t>(clamped);
}

void TRowRender::Render(int lineRow, const double* line, PixelPacket* out) const
{
    for (int x = 0; x < width; ++x) {
        double r = 255, g = 255, b = 255;
        switch (view) {
        case ivNormal:
        case ivVideoA:
        case ivVideoB: r = g = b = line[c1 + x]; break;
        case ivFalseColour: {
            const double kelvin = (255 - line[c2 + x]) * 100 / 255 - 60 + kZeroCelsius;
            LookupColour(table, line[c1 + x], ClampKelvin(kelvin), r, g, b);
            break;
        }
        case ivFalseColourTemp:
        case ivFalseColourLowTemp: {
            double grey = 0, kelvin = kZeroCelsius;
            apt->GetTemperature(lineRow, c2 + x, grey, kelvin);
            LookupColour(table, line[c1 + x], kelvin, r, g, b);
            break;
        }
        case ivIRTemperatures: {
            r = g = b = line[c1 + x];
            // Sync and space of an unchopped channel are no temperatures.
            if (chop || x > kVideoStart) {
                double kelvin = 0;
                apt->GetTemperature(lineRow, c1 + x, r, kelvin);
                g = b = r;
            }
            break;
        }
        case ivIRLowTemp: {
            r = g = b = line[c1 + x];
            if (chop || x > kVideoStart) {
                double grey = 0, kelvin = 0;
                apt->GetTemperature(lineRow, c1 + x, grey, kelvin);
                if (kelvin <= lowKelvin)
                    LookupColour(table, grey, kelvin, r, g, b);
                else
                    r = g = b = grey;
            }
            break;
        }
        }
        SetPixelRed(out, ByteToQuantum(ToByte(r)));
        SetPixelGreen(out, ByteToQuantum(ToByte(g)));
        SetPixelBlue(out, ByteToQuantum(ToByte(b)));
        SetPixelOpacity(out, OpaqueOpacity);
        ++out;
    }
}

// Threads for the rows of a view: a temperature costs a logarithm a pixel,
// and a 15-minute pass has two million of them.
int RenderThreads(int rows)
{
    const int cores = static_cast<int>(std::thread::hardware_concurrency());
    return std::clamp(std::min(cores, rows / 64), 1, 4);
}

}  // namespace

MagickImagePtr RenderViewPixels(TAPT& apt, const TLookupTable* table, const TRenderOptions& options)
{
    const int view = options.View;
    if (!GetViewInfo(view))
        return nullptr;
    const int rows = apt.GetLineCount(options.VisibleLines);
    const int first = options.VisibleLines ? apt.FirstLine : 0;
    if (rows <= 0 || first < 0 || first > rows)
        return nullptr;

    TRowRender render{&apt, table, view, false, 0, 0, 0, ClampKelvin(options.LowTempCelsius + kZeroCelsius)};
    // View 0 is never chopped: it is the whole transmission.
    render.chop = view != ivNormal && options.ChopToVideo;
    const int v = render.chop ? kVideoStart : 0;
    render.width = view == ivNormal ? TAPT::kLineWidth : render.chop ? kVideoWidth : kChannelWidth;
    render.c1 = v;
    render.c2 = kChannelWidth + v;
    int lineFlags = options.FilterNoise ? lfFilter : 0;
    switch (view) {
    case ivNormal: render.c1 = 0; lineFlags |= lfBoth; break;
    case ivVideoA: lineFlags |= lfChannelA; break;
    case ivVideoB:
    case ivIRTemperatures:
    case ivIRLowTemp: render.c1 = kChannelWidth + v; lineFlags |= lfChannelB; break;
    default: lineFlags |= lfBoth; break;
    }
    const int width = render.width;

    EnsureMagickCore();
    MagickImageInfoPtr info(CloneImageInfo(nullptr));
    if (!info)
        return nullptr;
    MagickImagePtr image(AcquireImage(info.get()));
    if (!image || SetImageExtent(image.get(), width, rows) == MagickFalse)
        return nullptr;
    image->storage_class = DirectClass;
    image->depth = 8;
    image->gamma = 1.0;
    MagickExceptionPtr exception(AcquireExceptionInfo());

    // Rows up to the first missing line; those after it stay as allocated.
    int rendered = 0;
    while (rendered < rows && apt.GetLine(first + rendered, 0))
        ++rendered;
    if (rendered == 0)
        return image;
    // The rows in one piece: the image's own memory when it holds its pixels
    // there, so the threads write them in place.
    PixelPacket* pixels = GetAuthenticPixels(image.get(), 0, 0, width, rendered, exception.get());
    if (!pixels)
        return image;
    auto renderRows = [&](int begin, int end) {
        for (int j = begin; j < end; ++j)
            render.Render(first + j, apt.GetLine(first + j, lineFlags), pixels + static_cast<size_t>(width) * j);
    };
    // A filtered line is the engine's own buffer, one at a time: one thread.
    const int threads = (lineFlags & lfFilter) ? 1 : RenderThreads(rendered);
    if (threads == 1) {
        renderRows(0, rendered);
    } else {
        std::vector<std::thread> workers;
        for (int t = 1; t < threads; ++t)
            workers.emplace_back(renderRows, rendered * t / threads, rendered * (t + 1) / threads);
        renderRows(0, rendered / threads);
        for (std::thread& worker : workers)
            worker.join();
    }

    SyncAuthenticPixels(image.get(), exception.get());
    return image;
}

void FlipNorthbound(Image* image, int view)
{
    if (!image || image->columns == 0 || image->rows == 0)
        return;
    MagickExceptionPtr exception(AcquireExceptionInfo());
    const size_t width = image->columns;
    const ssize_t rows = static_cast<ssize_t>(image->rows);
    std::vector<PixelPacket> top(width), bottom(width);
    auto mirror = [&](PixelPacket* row) {
        if (view == ivNormal && width == static_cast<size_t>(TAPT::kLineWidth)) {
            MirrorRow(row, 0, kChannelWidth);
            MirrorRow(row, kChannelWidth, TAPT::kLineWidth);
        } else {
            MirrorRow(row, 0, static_cast<int>(width));
        }
    };
    // Row i and its partner are swapped and mirrored together; the middle
    // row of an odd height is only mirrored.
    for (ssize_t i = 0; i < (rows + 1) / 2; ++i) {
        const ssize_t partner = rows - 1 - i;
        const PixelPacket* a = GetVirtualPixels(image, 0, i, width, 1, exception.get());
        if (!a)
            return;
        std::copy(a, a + width, top.begin());
        const PixelPacket* b = GetVirtualPixels(image, 0, partner, width, 1, exception.get());
        if (!b)
            return;
        std::copy(b, b + width, bottom.begin());
        mirror(top.data());
        mirror(bottom.data());
        PixelPacket* out = GetAuthenticPixels(image, 0, i, width, 1, exception.get());
        if (!out)
            return;
        std::copy(bottom.begin(), bottom.end(), out);
        if (SyncAuthenticPixels(image, exception.get()) == MagickFalse)
            return;
        if (partner == i)
            continue;
        out = GetAuthenticPixels(image, 0, partner, width, 1, exception.get());
        if (!out)
            return;
        std::copy(top.begin(), top.end(), out);
        if (SyncAuthenticPixels(image, exception.get()) == MagickFalse)
            return;
    }
}

TEnhanceResult EnhanceView(Image* image, TSetting settings, bool modulate)
{
    if (!image)
        return TEnhanceResult::Ok;
    const ImageType type = magicknames::ImageTypeFromStored(settings.ImageType);
    if (type != UndefinedType)
        SetImageType(image, type);
    if (modulate) {
        const int brightness = settings.ClampBrightness(0);
        const int saturation = settings.ClampSaturation(0);
        const int hue = settings.ClampHue(0);
        if (brightness != 100 || saturation != 100 || hue != 100) {
            const std::string text = cnum::Format("%d,%d,%d", brightness, saturation, hue);
            if (!ModulateViewColours(image, text.c_str()))
                return TEnhanceResult::ModulateFailed;
        }
    }
    settings.ApplyContrast(image);
    const double gamma = settings.ClampGamma(0);
    if (gamma != 1.0) {
        const std::string text = cnum::Format("%.2f,%.2f,%.2f", gamma, gamma, gamma);
        if (GammaImage(image, text.c_str()) == MagickFalse)
            return TEnhanceResult::GammaFailed;
    }
    if (settings.ImageModes & 0x4)
        EqualizeImage(image);
    return TEnhanceResult::Ok;
}

void ModulatePixel(int brightness, int saturation, int hue, std::uint8_t& red, std::uint8_t& green,
                   std::uint8_t& blue)
{
    Quantum r = ByteToQuantum(red), g = ByteToQuantum(green), b = ByteToQuantum(blue);
    double h = 0, s = 0, l = 0;
    ConvertRGBToHSL(r, g, b, &h, &s, &l);
    h += 0.5 * (0.01 * hue - 1.0);
    while (h < 0.0)
        h += 1.0;
    while (h >= 1.0)
        h -= 1.0;
    s = std::clamp(s * 0.01 * saturation, 0.0, 1.0);
    l = std::clamp(l * 0.01 * brightness, 0.0, 1.0);
    ConvertHSLToRGB(h, s, l, &r, &g, &b);
    red = ScaleQuantumToChar(r);
    green = ScaleQuantumToChar(g);
    blue = ScaleQuantumToChar(b);
}
