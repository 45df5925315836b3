#pragma once
// TEarthView: the Flat Earth Monitor's model and renderer, one owned by the
// main window. An equirectangular background picture, on a private 32-bit
// copy of which (the work image) the night side is shaded and the sun, the
// moon and the ground station are drawn; the satellites, with their names
// and footprint rings, are drawn onto the host's back buffer, restoring only
// the rectangles they covered before. It also answers the mouse: the object
// under a point, its hint text, the longitude and latitude of a point.
//
// Periods (millisecond tick counts, 32-bit differences): night shading every
// 120 s, satellites every 3 s, pass predictions every 120 s.
//
// Files: EarthView.cpp (life, background, preparing, drawing order, mouse
// answers), EarthViewDraw.cpp (night, sun, moon, station, satellites, rings
// and the pixel geometry).
//
// Rectangles (TSat::IconRect, TSat::FootprintRect and the helpers below) are
// kept as left, top, right, bottom with right and bottom outside the area,
// stored through QRect::setCoords; an empty one is all zero.
//
// Threads: GUI thread only; the refresh thread reaches it through
// TThread::Synchronize.
#include "platform/Color.h"
#include "shell/PList.h"

#include <QFont>
#include <QImage>
#include <QPoint>
#include <QRect>
#include <QSize>
#include <QString>
#include <array>
#include <cstdint>
#include <memory>
#include <vector>

class QPainter;
class TSat;
struct TStation;

// Bits of TEarthView::Modes.
enum TEarthViewMode : int {
    evDayNight = 0x1,
    evSun = 0x2,
    evMoon = 0x4,
    evFootprintsAlways = 0x8,
    evFootprintsWhenUp = 0x10,
    evRedrawAll = 0x400,  // redraw everything at the next draw, which clears it
};

// The periods of the view's work, in milliseconds.
inline constexpr std::uint32_t kDayNightPeriodMs = 120000;
inline constexpr std::uint32_t kSatellitePeriodMs = 3000;
inline constexpr std::uint32_t kPassPeriodMs = 120000;

class TEarthView {
public:
    TEarthView();
    ~TEarthView();
    TEarthView(const TEarthView&) = delete;
    TEarthView& operator=(const TEarthView&) = delete;

    // Reads an image file as the new background; false (old bitmaps kept)
    // for an empty or missing name or a picture the reader refuses, false
    // without bitmaps when the work image cannot be made.
    bool LoadBackground(const QString& file);
    // Binds the view to the station (its pointer is kept by the satellites)
    // and takes the host's font; shades the first picture and asks for a
    // full redraw. False when not ready or the work image cannot be made.
    bool Prepare(TStation* station, const QFont& font);
    // Refreshes the host's back buffer (the size of the map); full redraws
    // the whole picture.
    void Draw(QImage& canvas, bool full);

    bool IsReady() const { return Background && WorkImage; }
    bool IsRedrawDue() const;
    QSize GetMapSize() const;

    // The sun, the moon or the satellite drawn at (x, y), or null.
    TSat* FindObjectAt(int x, int y) const;
    QString GetHintText(TSat* object) const;
    // "Lon: %.4f Lat: %.4f" of a point of the map, "" off the map.
    QString GetLonLatText(int x, int y) const;

    // Deletes every satellite copy, newest first, and empties the list.
    void ClearSatellites();
    void FreeBitmaps();

    // ---- the drawing steps (EarthViewDraw.cpp) ----
    // The work image becomes a 32-bit copy of the background.
    bool ResetWorkImage();
    // Every 120 s: a fresh work image with the night side shaded. True when
    // the work image was renewed.
    bool DrawDayNight();
    // ANDs the night colour into the pixels [from, to) of a work-image row.
    void DarkenSpan(std::uint32_t* row, int from, int to) const;
    void DrawSun();
    void DrawMoon();
    void DrawStation();
    // now: draw at once, without restoring the old marks.
    void DrawSatellites(QImage& canvas, bool now);
    void DrawFootprint(TSat* sat, QPainter& canvas);
    // The 360 points of a satellite's footprint ring in map pixels; a point
    // with PenDown false starts a new piece (the ring crossed the map's
    // edge). Closed: the ring ends with a line back to its first point.
    struct TRingPoint {
        QPoint At;
        bool PenDown;
    };
    struct TRing {
        std::vector<TRingPoint> Points;
        QRect Bounds;  // of the points: left, top, right, bottom as reached
        bool Closed = false;
    };
    TRing FootprintRing(const TSat& sat) const;

    // ---- pixel geometry on the work image (W x H), clamped into it ----
    int LatToY(double latitudeDeg) const;
    int LonToX(double longitudeDegEast) const;
    QRect RectAround(int x, int y, int halfWidth, int halfHeight) const;
    QRect GrowRect(const QRect& r, int dx, int dy) const;
    static QRect UnionRects(const QRect& a, const QRect& b);
    // The part of a 2hw x 2hh icon centred at (x, y) that lies on the map,
    // in icon pixels.
    QRect IconSourceRect(int x, int y, int halfWidth, int halfHeight) const;
    // cos(i degrees), i = 0..360, rounded to 15 decimals.
    static const std::array<double, 361>& CosineTable();

    QString EarthImage;  // full path of the background picture; storing it loads nothing
    PList Satellites;    // TSat copies shown on the map, owned by the view
    int Modes = evDayNight | evSun | evMoon | evFootprintsWhenUp;
    TColor clNight = 0xFF0000;  // 0x00BBGGRR; only these bits survive in the night
    TColor clSat = 0xFFFF;      // names, rings, the station mark and name
    // The main window's pictures; not owned.
    const QImage* SunIcon = nullptr;   // 32 x 33
    const QImage* MoonIcon = nullptr;  // 32 x 32
    const QImage* SatIcon = nullptr;   // 37 x 26, white is transparent
    std::unique_ptr<TSat> Sun;   // holder named "sun": its IconRect is the sun's mark
    std::unique_ptr<TSat> Moon;  // holder named "moon"; Latitude, Longitude: the point under the moon
    std::unique_ptr<QImage> Background;
    std::unique_ptr<QImage> WorkImage;  // 32 bits, the size of Background
    double StationLongitude = 0;  // degrees east
    double StationLatitude = 0;   // degrees north
    QString StationName;
    QFont Font;  // of the station's name on the work image and the satellites' names
    // Tick counts of the last night shading, satellite redraw and pass prediction.
    std::uint32_t DayNightStamp = 0;
    std::uint32_t SatelliteStamp = 0;
    std::uint32_t PassStamp = 0;

private:
    void PredictPasses();
    void DrawHolder(TSat& holder, const QImage* icon, double latitudeDeg, double longitudeDeg);
    // SatIcon with its white pixels made transparent, made again when the
    // icon changes.
    const QImage& MaskedSatIcon();
    QImage maskedSatIcon_;
    qint64 maskedSatIconKey_ = 0;
};

// A colour as the map draws it: a system colour (negative) resolved to its
// RGB value through the desktop's palette, others as they are.
TColor ResolveColor(TColor colour);
// 0x00BBGGRR as a 32-bit pixel (blue in the lowest byte, opaque).
std::uint32_t PixelOfColor(TColor colour);
