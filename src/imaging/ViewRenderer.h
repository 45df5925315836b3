#pragma once
// The views of a decoded pass: the lines of a window's engine (TAPT) turned
// into an ImageMagick image in one of eight views, then the user's image
// settings and the northbound turn. No widget is involved, so the log writer
// can render a pass's products off screen with the same code as the window.
//
// Threads: a rendering reads the engine's lines; the caller makes sure no
// processing thread writes them meanwhile (the window renders on the GUI
// thread, the log writer before the pass is marked complete).
#include "apt/MagickImage.h"
#include "shell/Setting.h"

#include <QString>
#include <array>
#include <cstdint>
#include <vector>

class TAPT;

// The view of a decoded pass.
enum TImageView : int {
    ivNormal = 0,               // both channels side by side, raw lines
    ivVideoA = 1,
    ivVideoB = 2,
    ivFalseColour = 3,          // channel A against channel B through a table
    ivFalseColourTemp = 4,      // channel A against channel B's temperature
    ivFalseColourLowTemp = 5,
    ivIRTemperatures = 6,       // calibrated channel B
    ivIRLowTemp = 7,            // channel B, cold pixels through a table
    ivIRFalseColour = 8,        // a table of its own, no view yet
};
inline constexpr int kViewCount = 8;

// Flags of TMDIChild::ShowView and TMDIChild::RenderView.
enum TViewFlag : int {
    vfSilent = 0x1,          // no message boxes of ShowView itself
    vfForce = 0x2,           // render even when the view is shown; check its menu item
    vfReloadRaw = 0x4,       // reload the raw lines before preparing
    vfRefreshMenus = 0x8,    // FormActivate afterwards
    vfPreview = 0x100,       // the settings dialog's preview: its settings, scroll kept as is
    vfTestTable = 0x200,     // ShowView: the table editor's test file is the table
    vfOffScreen = 0x200,     // RenderView: no bitmap, no caption
    vfKeepBitmap = 0x400,    // RenderView: keep the shown picture while rebuilding
    vfToggleChop = 0x1000,   // toggle "chop to video"
};

struct TViewInfo {
    const char* MenuCaption;
    const char* TitlePrefix;  // the window caption: prefix, audio file, "]"
    bool NeedsThermal;        // needs the thermal calibration of channel B
    bool NeedsTable;          // needs a colour look-up table
    bool Modulated;           // takes the brightness, saturation and hue setting
};
// Null for a number that is no view.
const TViewInfo* GetViewInfo(int view);

// A colour look-up table read once into memory: the column stands for a
// temperature from -60 to +40 degrees C, the row for a grey value counted
// from 255 at the top. Tables of any size are kept; look-ups outside them
// stay grey.
class TLookupTable {
public:
    TLookupTable() = default;
    // The table's pixels; an empty table when the image is null or unreadable.
    explicit TLookupTable(Image* image);
    bool IsEmpty() const { return width_ == 0; }
    int Width() const { return width_; }
    int Height() const { return height_; }
    // Red, green and blue bytes of the pixel; the caller keeps inside the table.
    const std::uint8_t* At(int column, int row) const { return &rgb_[3 * (row * width_ + column)]; }

private:
    int width_ = 0;
    int height_ = 0;
    std::vector<std::uint8_t> rgb_;
};

// The table column of a temperature (kelvin): the whole degree Celsius
// below it, plus 60, held to 0..99 (NaN counts as the coldest).
int LookupTableColumn(double kelvin);

// The colour of a grey value at a temperature (kelvin): grey without a
// table or outside it. flags bit 0 takes the value itself as the row.
void LookupColour(const TLookupTable* table, double value, double kelvin, double& red, double& green,
                  double& blue, int flags = 0);

// What a rendering reads besides the engine and the table.
struct TRenderOptions {
    int View = ivNormal;
    bool ChopToVideo = false;     // views 1..7: only the 909 video columns
    bool VisibleLines = false;    // only the noise-free lines of the pass
    bool FilterNoise = false;     // replace noisy video pixels first
    double LowTempCelsius = -15;  // threshold of the IR low-temperature view
};

// The options a rendering takes from the settings: chop to video from the
// web log's setting (the window passes its own toggle instead).
TRenderOptions RenderOptionsFrom(const TSetting& settings, int view);

// The pixels of a view: one image row per engine line, 2080 columns for
// view 0, else 909 (chopped) or 1040. Null for an unknown view, no lines or
// no memory. Rows after a failing pixel row stay as allocated.
MagickImagePtr RenderViewPixels(TAPT& apt, const TLookupTable* table, const TRenderOptions& options);

// Turns the image of a northbound pass the right way up: upside down, and
// each row mirrored (view 0: each channel by itself, so A stays left).
void FlipNorthbound(Image* image, int view);

// The user's image settings after the pixels: image type, modulation (only
// for modulated views), contrast, gamma, equalisation. Works on its own copy
// of the settings.
enum class TEnhanceResult { Ok, ModulateFailed, GammaFailed };
TEnhanceResult EnhanceView(Image* image, TSetting settings, bool modulate);

// Brightness, saturation and hue (percent, 100 leaves it) applied to one
// 8-bit colour the way ModulateImage changes an image.
void ModulatePixel(int brightness, int saturation, int hue, std::uint8_t& red, std::uint8_t& green,
                   std::uint8_t& blue);
