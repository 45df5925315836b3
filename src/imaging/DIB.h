#pragma once
// TDIB: a 24-bit device-independent bitmap in memory, the magnifier's
// picture. Rows are stored bottom-up (memory row 0 is the bottom line of the
// picture), each Stride bytes long, 4-byte aligned; a pixel is blue, green,
// red. Colours are exchanged as TColor (0x00BBGGRR, red in the low byte).
// Owned by one window; not locked.
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>

#include "platform/Color.h"

class QPainter;


class TDIB {
public:
    // Shows a failure: text first, caption second. Without one, failures are
    // only answered with false.
    using ErrorReporter = std::function<void(const QString& text, const QString& caption)>;

    static constexpr int kHeaderBytes = 40;  // BITMAPINFOHEADER

    explicit TDIB(ErrorReporter reporter = {});
    ~TDIB();
    TDIB(const TDIB&) = delete;
    TDIB& operator=(const TDIB&) = delete;

    // Sizes 0, no buffer, scale 1.0 (Clear); Free releases the buffer first.
    void Clear();
    void Free();

    // Makes a width x height bitmap (pixels not cleared). False, with the
    // bitmap as it was, for a size below 1; false and empty without memory.
    bool Allocate(int width, int height);

    bool IsEmpty() const;
    int Width() const { return width_; }
    int Height() const { return height_; }
    int Stride() const { return stride_; }
    static int StrideFor(int width) { return (width * 3 + 3) & ~3; }

    // The header and the pixel rows, for whoever hands the bitmap on.
    const std::uint8_t* Buffer() const { return buffer_.get(); }
    std::uint8_t* Bits() { return buffer_ ? buffer_.get() + kHeaderBytes : nullptr; }

    // Memory row (0 = bottom line); null when empty or out of range.
    std::uint8_t* GetRow(int row);
    const std::uint8_t* GetRow(int row) const;
    bool GetPixel(int x, int row, TColor& colour) const;
    bool SetPixel(int x, int row, TColor colour);

    // Above 100 a percentage, above 0 a factor, else 1.0.
    void SetScale(double value);
    double Scale() const { return scale_; }
    int GetScale() const { return static_cast<int>(scale_); }

    // Draws the whole bitmap with its top-left corner at (x, y).
    void Draw(int x, int y, QPainter* painter) const;

    // This bitmap becomes source enlarged by Scale(), its origin at the
    // source's bottom-left; the top rows and right columns that the rounded
    // scale leaves over are black.
    void ZoomFrom(const TDIB& source);
    // The colour at the fractional source position (x, row), each channel
    // interpolated from the four neighbours; false when one is missing.
    static bool Bilinear(const TDIB& source, double x, double y, TColor& colour);

private:
    void ShowError(const QString& text, const QString& caption) const;

    int width_ = 0;
    int height_ = 0;
    int stride_ = 0;
    double scale_ = 1.0;
    std::unique_ptr<std::uint8_t[]> buffer_;
    ErrorReporter reporter_;
};
