#pragma once
// TMap: a projected map of a longitude/latitude box around the ground
// station, drawn into a 32-bit bitmap: water and background, the land cells
// of the raster land map, the coastlines and borders of the vector map, and a
// graticule with labels. It also turns positions into pixels of the bitmap,
// so the swath viewer can draw a pass on top. Projection, scale, map type,
// colours and grid spacing come from the swath viewer's settings.
//
// Map files, in the settings' map folder, gzip files:
//  "world-1km.gz": rows of 43200 bytes, row r at latitude 90 - r/120 (north
//    first), byte c at longitude -180 + c/120; a byte above 0 is land. Read
//    strictly forward through TGzipReader: only the span of a sampled row
//    inside the box.
//  "CIA_WDB2.jpd.gz": "!JPD1.0\n\0", 7 bytes unused, 140 section ends (u32
//    LE) at 16, the last of which (offset 572) is the segment count N; N
//    segment records of 16 bytes from 576 (offset 12: u32 end of the
//    segment's points); then the points: per segment a first point of two
//    signed 24-bit arc-second values (longitude, latitude), then pairs of
//    signed byte steps. Section i's sub-layer i mod 28 is its kind: 0-2
//    international borders, 3-4 national borders, 16-27 coasts and lakes.
//
// Files: Map.cpp (set-up, geometry, water, graticule), MapFiles.cpp (the
// two map files), MapLandRow.cpp (a row's land cells to pixels). Threads:
// one at a time (the swath viewer draws a map on a thread of its own and hands
// it back when done); the projections are process-wide (Geotrans.h), so no
// other map is used while one is drawn. Rounding is to the nearest integer
// with halves to even (the constructor sets that mode).
#include "maps/Geotrans.h"
#include "maps/GzipReader.h"

#include <QImage>
#include <QPoint>
#include <QString>
#include <cstdint>
#include <functional>
#include <memory>
#include <vector>

class QPainter;
class QWidget;
struct TSwathProp;

// Results of TMap::Setup.
enum TMapResult : int {
    mapOk = 0,
    mapOutOfMemory = -1,
    mapProjectionFailed = -2,
    mapNotFound = -3,
    mapStopped = -4,  // the draw was stopped through OnProgress; never shown
};

class TMap {
public:
    explicit TMap(TSwathProp* props);
    ~TMap();
    TMap(const TMap&) = delete;
    TMap& operator=(const TMap&) = delete;

    // Degrees; stationLon east positive. TMapResult. A box across 180
    // degrees comes with its east edge beyond 180 (or its west edge below
    // -180) and is kept whole, up to 359 degrees wide.
    int Setup(double lonMin, double lonMax, double latMin, double latMax, double stationLon, double stationLat);
    // Draws everything again with the settings' colours and spacing.
    void Redraw();
    // Called by the thread drawing the map as it goes, with the part done in
    // permille; false stops the draw: Setup returns mapStopped, Redraw
    // returns early, and the map is not valid until set up again.
    std::function<bool(int permille)> OnProgress;
    // False (point (0, 0)) without a bitmap or when the position does not project.
    bool LatLonToPixel(double lon, double lat, QPoint& point);
    // As LatLonToPixel, but false (point (0, 0)) for a position beyond the
    // bitmap instead of its pixel clamped onto the border.
    bool PixelOnMap(double lon, double lat, QPoint& point);
    // The box runs across 180 degrees: LonMax lies beyond 180.
    bool CrossesDateLine() const { return LonMax > 180; }
    bool IsValid() const { return Flags & 1; }
    // The error box of a Setup result, "Swath Viewer Error"; other codes show
    // nothing. (maps/ui)
    static void ShowError(QWidget* owner, int code);
    static QString ErrorText(int code);
    void Clear();

    static double ClampLatitude(double degrees);   // into -89.5..89.5
    static double ClampLongitude(double degrees);  // into -179.5..179.5
    static double WrapLongitude(double degrees);   // by whole turns into -180..180
    // The first grid line after trunc(min / spacing) x spacing.
    static double FirstGridLine(double min, int spacing);
    void ExtendExtent(double easting, double northing);
    void ExtendExtentAlongOutline();
    int FitParallel(double lat, int height);
    bool CreateBitmap();
    void DrawWater();
    int OpenLandMap();
    bool SeekLandCell(double lat, double lon);
    static int LandRow(double lat);
    static int LandColumn(double lon);
    int LandCell(int column) const;
    void DrawLand();
    void CloseLandMap();
    int LoadVectorMap();
    void DrawVectorMap();
    void FreeVectorMap();
    void DrawGraticule();

    // The bitmap of the last Setup: largest side and bytes.
    static constexpr int kMaxSide = 16384;
    static constexpr long long kMaxBitmapBytes = 256LL * 1024 * 1024;

    int Flags = 0;  // bit 0: the last Setup succeeded
    std::unique_ptr<TGeotrans> Geotrans;
    std::unique_ptr<QImage> Bitmap;
    TSwathProp* Props;  // not owned
    TGzipReader LandMap;
    double LonMin = 0, LonMax = 0, LatMin = 0, LatMax = 0;
    double XMin = 0, XMax = 0, YMin = 0, YMax = 0;  // metres
    double PixelsPerMetre = 0;
    double Step = 0;  // degrees
    std::vector<signed char> RowBuffer;
    int RowSpan = 0;
    int Row = 0, Column = 0;  // where the land-map stream stands
    int Width = 0, Height = 0;
    int TopOffset = 0;  // 0 or negative: the bitmap grew upwards for a bulging parallel
    std::vector<std::uint8_t> VectorHeader, Segments, Points;
    std::int64_t PointsStart = 0;
    int Projection = 0, Scale = 0, MapType = -1;

private:
    // Reports progress; false once the draw is to stop.
    bool Advance(int permille);
    // The part of the drawing done before the vector map (permille): what the
    // land map takes.
    int LandShare() const;
    // Permille done while the land map is read, by the rows passed.
    int LandProgress() const;
    bool Stopped = false;  // OnProgress said stop during this Setup or Redraw

    bool Project(double lon, double lat, double& easting, double& northing);
    // Where a position falls before rounding: pixels from the left and from
    // the top extent (TopOffset not applied).
    bool ProjectToPixel(double lon, double lat, double& x, double& y);
    QPoint RoundPixel(double x, double y) const;
    void DrawLandRow(double lat, const std::vector<double>& lons, const std::vector<std::uint8_t>& isLand, QRgb land);
    // A piece is drawn when both ends lie in the box and project; at is where
    // the pen stands.
    void DrawVectorPiece(QPainter& painter, double lon1, double lat1, double lon2, double lat2, bool& penDown,
                         QPoint& at);
};
