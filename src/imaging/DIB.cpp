#include "imaging/DIB.h"

#include <QImage>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <new>

namespace {

void PutLE32(std::uint8_t* p, std::int32_t value)
{
    const auto u = static_cast<std::uint32_t>(value);
    p[0] = static_cast<std::uint8_t>(u);
    p[1] = static_cast<std::uint8_t>(u >> 8);
    p[2] = static_cast<std::uint8_t>(u >> 16);
    p[3] = static_cast<std::uint8_t>(u >> 24);
}

bool HasFraction(double value)
{
    return value != std::trunc(value + 0.5);
}

}  // namespace

TDIB::TDIB(ErrorReporter reporter) : reporter_(std::move(reporter))
{
    Clear();
}

TDIB::~TDIB()
{
    Free();
}

void TDIB::Clear()
{
    width_ = height_ = stride_ = 0;
    buffer_.reset();
    scale_ = 1.0;
}

void TDIB::Free()
{
    buffer_.reset();
    Clear();
}

bool TDIB::Allocate(int width, int height)
{
    if (width < 1 || height < 1) {
        ShowError("Undefined image size!", "Error");
        return false;
    }
    Free();
    const long long stride = (static_cast<long long>(width) * 3 + 3) & ~3LL;
    const long long bytes = kHeaderBytes + stride * height;
    std::uint8_t* memory = nullptr;
    if (stride <= INT_MAX && bytes / height >= stride)
        memory = new (std::nothrow) std::uint8_t[static_cast<size_t>(bytes)];
    if (!memory) {
        ShowError(QString("Insufficient memory!\nToo large image!\nWidth = %1, Height = %2").arg(width).arg(height),
                  "FATAL ERROR! Failed to create the DIB!");
        return false;
    }
    buffer_.reset(memory);
    width_ = width;
    height_ = height;
    stride_ = static_cast<int>(stride);
    std::memset(memory, 0, kHeaderBytes);
    PutLE32(memory, kHeaderBytes);  // biSize
    PutLE32(memory + 4, width);     // biWidth
    PutLE32(memory + 8, height);    // biHeight: positive, rows bottom-up
    memory[12] = 1;                 // biPlanes
    memory[14] = 24;                // biBitCount; biCompression 0 = BI_RGB
    return true;
}

bool TDIB::IsEmpty() const
{
    return !buffer_ || width_ < 1 || height_ < 1;
}

std::uint8_t* TDIB::GetRow(int row)
{
    if (IsEmpty() || row < 0 || row >= height_)
        return nullptr;
    return Bits() + static_cast<size_t>(row) * stride_;
}

const std::uint8_t* TDIB::GetRow(int row) const
{
    return const_cast<TDIB*>(this)->GetRow(row);
}

bool TDIB::GetPixel(int x, int row, TColor& colour) const
{
    const std::uint8_t* line = GetRow(row);
    if (!line || x < 0 || x >= width_)
        return false;
    const std::uint8_t* p = line + x * 3;
    colour = TColor(p[2]) | TColor(p[1]) << 8 | TColor(p[0]) << 16;
    return true;
}

bool TDIB::SetPixel(int x, int row, TColor colour)
{
    std::uint8_t* line = GetRow(row);
    if (!line || x < 0 || x >= width_)
        return false;
    std::uint8_t* p = line + x * 3;
    p[0] = static_cast<std::uint8_t>(colour >> 16);
    p[1] = static_cast<std::uint8_t>(colour >> 8);
    p[2] = static_cast<std::uint8_t>(colour);
    return true;
}

void TDIB::SetScale(double value)
{
    if (!(value > 0))
        scale_ = 1.0;
    else if (value > 100)
        scale_ = value / 100;
    else
        scale_ = value;
}

void TDIB::Draw(int x, int y, QPainter* painter) const
{
    if (IsEmpty() || !painter)
        return;
    // A view of the buffer; mirrored turns the bottom-up rows upright.
    const QImage rows(Buffer() + kHeaderBytes, width_, height_, stride_, QImage::Format_BGR888);
    painter->drawImage(x, y, rows.mirrored(false, true));
}

void TDIB::ZoomFrom(const TDIB& source)
{
    if (IsEmpty())
        return;
    const double s = scale_;
    const int m = static_cast<int>(std::trunc(s + 0.5));
    for (int p = 0; p < height_; ++p) {
        std::uint8_t* line = GetRow(p);
        if (p >= height_ - m) {
            std::memset(line, 0, static_cast<size_t>(stride_));
            continue;
        }
        const double y = p / s;
        for (int q = 0; q < width_; ++q) {
            TColor colour = 0;
            if (q < width_ - m) {
                const double x = q / s;
                TColor read = 0;
                const bool ok = (HasFraction(x) || HasFraction(y))
                                    ? Bilinear(source, x, y, read)
                                    : source.GetPixel(static_cast<int>(x), static_cast<int>(y), read);
                if (ok)
                    colour = read;
            }
            SetPixel(q, p, colour);
        }
    }
}

bool TDIB::Bilinear(const TDIB& source, double x, double y, TColor& colour)
{
    const int x0 = static_cast<int>(x);
    const int y0 = static_cast<int>(y);
    TColor c00, c10, c01, c11;
    if (!source.GetPixel(x0, y0, c00) || !source.GetPixel(x0 + 1, y0, c10) || !source.GetPixel(x0, y0 + 1, c01) ||
        !source.GetPixel(x0 + 1, y0 + 1, c11))
        return false;
    const double fx = x - x0;
    const double fy = y - y0;
    colour = 0;
    // Each channel on its own, so a colour view stays in colour when enlarged.
    for (int shift = 0; shift <= 16; shift += 8) {
        auto sample = [shift](TColor c) { return static_cast<double>((c >> shift) & 0xFF); };
        const double g = (1 - fx) * (1 - fy) * sample(c00) + fx * (1 - fy) * sample(c10) +
                         (1 - fx) * fy * sample(c01) + fx * fy * sample(c11);
        int v = static_cast<int>(std::trunc(g + 0.5));
        if (v > 255)
            v = 255;
        colour |= TColor(v) << shift;
    }
    return true;
}

void TDIB::ShowError(const QString& text, const QString& caption) const
{
    if (reporter_)
        reporter_(text, caption);
}
