#include "maps/Map.h"

#include "maps/SwathProp.h"

#include <QPainter>
#include <QPolygon>
#include <algorithm>
#include <cfenv>
#include <cmath>

namespace {

constexpr double Rad = 3.14159265358979323846 / 180.0;

// The projections whose box is a rectangle: all of it is water.
bool IsCylindrical(int projection)
{
    return projection == 5 || projection == 8 || projection == 11 || projection == 12;
}

int Round(double value)
{
    return static_cast<int>(std::nearbyint(value));
}

// A pixel distance rounded, held within a few bitmap sides so it always fits
// an int: near a projection's horizon (gnomonic almost 90 degrees from the
// centre) distances reach 1e14 pixels, and anything beyond the largest
// bitmap is too large anyway. NaN counts as too large.
int RoundBounded(double pixels)
{
    constexpr double bound = 4.0 * TMap::kMaxSide;
    return Round(std::isnan(pixels) ? bound : std::clamp(pixels, -bound, bound));
}

QColor ToQColor(int c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

}  // namespace

TMap::TMap(TSwathProp* props) : Geotrans(std::make_unique<TGeotrans>()), Props(props)
{
    std::fesetround(FE_TONEAREST);
}

TMap::~TMap()
{
    Clear();
}

QString TMap::ErrorText(int code)
{
    switch (code) {
    case mapOutOfMemory: return "Out of memory";
    case mapProjectionFailed: return "Failed to set projection. Please try another projection.";
    case mapNotFound: return "Map not found!";
    default: return {};
    }
}

void TMap::Clear()
{
    Flags &= ~1;
    MapType = -1;
    CloseLandMap();
    Bitmap.reset();
    LonMin = LonMax = LatMin = LatMax = 0;
    XMin = XMax = YMin = YMax = 0;
    Width = Height = TopOffset = 0;
    Row = Column = 0;
    FreeVectorMap();
}

double TMap::ClampLatitude(double degrees)
{
    return std::clamp(degrees, -89.5, 89.5);
}

double TMap::ClampLongitude(double degrees)
{
    return std::clamp(degrees, -179.5, 179.5);
}

double TMap::WrapLongitude(double degrees)
{
    return degrees > 180 ? degrees - 360 * std::ceil((degrees - 180) / 360)
                         : degrees < -180 ? degrees + 360 * std::ceil((-180 - degrees) / 360) : degrees;
}

double TMap::FirstGridLine(double min, int spacing)
{
    return (std::trunc(min / spacing) + 1) * spacing;
}

bool TMap::Project(double lon, double lat, double& easting, double& northing)
{
    return Geotrans->Convert(lon * Rad, lat * Rad, easting, northing, Projection);
}

void TMap::ExtendExtent(double easting, double northing)
{
    XMin = std::min(XMin, easting);
    XMax = std::max(XMax, easting);
    YMin = std::min(YMin, northing);
    YMax = std::max(YMax, northing);
}

bool TMap::Advance(int permille)
{
    if (!Stopped && OnProgress && !OnProgress(permille)) {
        Stopped = true;
        Flags &= ~1;
    }
    return !Stopped;
}

int TMap::LandShare() const
{
    // Reading the 1 km land map costs most; the vector map, read whole in
    // one go, draws quickly.
    return MapType == 1 ? 1000 : MapType == 2 ? 900 : 0;
}

int TMap::Setup(double lonMin, double lonMax, double latMin, double latMax, double stationLon, double stationLat)
{
    Flags &= ~1;
    Stopped = false;
    Bitmap.reset();
    Projection = Props->Projection;
    Scale = Props->Scale;
    MapType = Props->MapType;
    // Pixels per metre and the sampling step in degrees by scale.
    if (Scale == 1) {
        PixelsPerMetre = 0.00025;
        Step = 1.0 / 60;
    } else if (Scale == 2) {
        PixelsPerMetre = 0.0001;
        Step = 1.0 / 24;
    } else {
        PixelsPerMetre = 0.001;
        Step = 1.0 / 120;
    }
    LatMin = ClampLatitude(std::min(latMin, latMax));
    LatMax = ClampLatitude(std::max(latMin, latMax));
    stationLat = ClampLatitude(stationLat);
    stationLon = ClampLongitude(stationLon);
    // The projections are centred on the station, so their seam lies
    // opposite it: the box is taken whole around the station (across 180
    // degrees too) and cut 179.5 degrees from it on either side; then moved
    // by a whole turn where needed so that its west edge lies in -180..180.
    LonMin = std::min(lonMin, lonMax);
    LonMax = std::max(lonMin, lonMax);
    const double middle = (LonMin + LonMax) / 2;
    const double toStation = stationLon + WrapLongitude(middle - stationLon) - middle;
    LonMin = std::max(LonMin + toStation, stationLon - 179.5);
    LonMax = std::min(LonMax + toStation, stationLon + 179.5);
    if (LonMin < -180) {
        LonMin += 360;
        LonMax += 360;
    }
    XMax = YMax = -1e13;
    XMin = YMin = 1e13;

    if (Projection == 15) {
        // Oblique Mercator: the centre line from the box's south edge below
        // the station to its north edge.
        TGeotransParams params;
        if (!Geotrans->GetParameters(params, 15))
            return mapProjectionFailed;
        params.OriginLatitude = stationLat * Rad;
        params.Latitude1 = LatMin * Rad;
        params.Longitude1 = stationLon * Rad;
        params.Latitude2 = LatMax * Rad;
        params.FalseEasting = params.FalseNorthing = 0;
        if (!Geotrans->SetParameters(params, 15))
            return mapProjectionFailed;
    } else if (!Geotrans->SetProjection(stationLat * Rad, stationLon * Rad, 0, 0, Projection)) {
        return mapProjectionFailed;
    }
    const double corners[4][2] = {{LonMin, LatMax}, {LonMin, LatMin}, {LonMax, LatMax}, {LonMax, LatMin}};
    for (const auto& corner : corners) {
        double e = 0, n = 0;
        if (!Project(corner[0], corner[1], e, n))
            return mapProjectionFailed;
        ExtendExtent(e, n);
    }
    ExtendExtentAlongOutline();
    Width = RoundBounded(std::fabs(XMin - XMax) * PixelsPerMetre);
    Height = RoundBounded(std::fabs(YMax - YMin) * PixelsPerMetre);
    TopOffset = 0;
    Height = FitParallel(LatMax, Height);
    Height = FitParallel(LatMin, Height);
    if (Width <= 0 || Height <= 0)
        return mapProjectionFailed;
    if (!CreateBitmap()) {
        Clear();
        return mapOutOfMemory;
    }
    DrawWater();
    if (MapType == 1 || MapType == 2) {
        if (const int result = OpenLandMap())
            return result;
        DrawLand();
        if (Stopped)
            return mapStopped;
    } else {
        CloseLandMap();
    }
    if (MapType == 0 || MapType == 2) {
        if (const int result = LoadVectorMap())
            return result;
        DrawVectorMap();
        if (Stopped)
            return mapStopped;
    } else {
        FreeVectorMap();
    }
    DrawGraticule();
    Flags |= 1;
    return mapOk;
}

void TMap::ExtendExtentAlongOutline()
{
    // A box's image is widest on its outline, though not always at its
    // corners: the edges of a box reaching round a pole bulge far beyond
    // them. A point of the outline that does not project is passed over
    // (the corners, which must, are taken before).
    constexpr double stepDeg = 0.25;
    auto edge = [&](double lon0, double lat0, double lon1, double lat1) {
        const int steps = static_cast<int>(std::ceil(std::max(std::fabs(lon1 - lon0), std::fabs(lat1 - lat0)) / stepDeg));
        for (int i = 1; i < steps; ++i) {
            double e = 0, n = 0;
            if (Project(lon0 + (lon1 - lon0) * i / steps, lat0 + (lat1 - lat0) * i / steps, e, n))
                ExtendExtent(e, n);
        }
    };
    edge(LonMin, LatMin, LonMin, LatMax);
    edge(LonMin, LatMax, LonMax, LatMax);
    edge(LonMax, LatMax, LonMax, LatMin);
    edge(LonMax, LatMin, LonMin, LatMin);
}

int TMap::FitParallel(double lat, int height)
{
    if (IsCylindrical(Projection)) {
        TopOffset = 0;
        return height;
    }
    bool first = true;
    int previous = 0;
    for (double lon = LonMin; lon <= LonMax; lon += Step) {
        double e = 0, n = 0;
        if (!Project(lon, lat, e, n))
            break;
        const int below = RoundBounded((YMax - n) * PixelsPerMetre);  // pixels below the top extent
        if (first)
            previous = below;
        first = false;
        if (below < 0) {
            if (below < TopOffset) {
                TopOffset = below;
                height -= below;
            } else if (below > previous) {
                break;
            }
        } else if (below > height) {
            height = below;
        } else if (below < previous) {
            break;
        }
        previous = below;
    }
    return height;
}

bool TMap::CreateBitmap()
{
    // A projection that blows the box up must not exhaust the memory.
    if (Width > kMaxSide || Height > kMaxSide || 4LL * Width * Height > kMaxBitmapBytes)
        return false;
    auto bitmap = std::make_unique<QImage>(Width, Height, QImage::Format_RGB32);
    if (bitmap->isNull())
        return false;
    Bitmap = std::move(bitmap);
    return true;
}

bool TMap::LatLonToPixel(double lon, double lat, QPoint& point)
{
    point = QPoint(0, 0);
    double x = 0, y = 0;
    if (!Bitmap || !ProjectToPixel(lon, lat, x, y))
        return false;
    point = RoundPixel(x, y);
    return true;
}

bool TMap::PixelOnMap(double lon, double lat, QPoint& point)
{
    point = QPoint(0, 0);
    double x = 0, y = 0;
    if (!Bitmap || !ProjectToPixel(lon, lat, x, y))
        return false;
    const double column = std::nearbyint(x), row = std::nearbyint(y) - TopOffset;
    if (!(column >= 0 && column < Width && row >= 0 && row < Height))
        return false;
    point = QPoint(static_cast<int>(column), static_cast<int>(row));
    return true;
}

bool TMap::ProjectToPixel(double lon, double lat, double& x, double& y)
{
    double e = 0, n = 0;
    if (!Project(lon, lat, e, n))
        return false;
    x = (e - XMin) * PixelsPerMetre;
    y = (YMax - n) * PixelsPerMetre;
    return true;
}

QPoint TMap::RoundPixel(double x, double y) const
{
    return QPoint(std::clamp(RoundBounded(x), 0, Width - 1), std::clamp(RoundBounded(y) - TopOffset, 0, Height - 1));
}

void TMap::DrawWater()
{
    QPainter painter(Bitmap.get());
    if (IsCylindrical(Projection)) {
        painter.fillRect(Bitmap->rect(), ToQColor(Props->Water));
        return;
    }
    painter.fillRect(Bitmap->rect(), ToQColor(Props->Bkgnd));
    const int count = Round((std::fabs(LatMin - LatMax) + std::fabs(LonMin - LonMax)) * 2 / Step) + 1;
    if (count < 2)
        return;
    // The box's outline: west edge north, north edge east, east edge south,
    // south edge west; an edge stops at its first point that does not project.
    QPolygon outline;
    auto edge = [&](double lon0, double lat0, double dLon, double dLat) {
        for (double lon = lon0, lat = lat0; outline.size() < count; lon += dLon, lat += dLat) {
            if (lon < LonMin || lon > LonMax || lat < LatMin || lat > LatMax)
                break;
            QPoint point;
            if (!LatLonToPixel(lon, lat, point))
                break;
            outline << point;
        }
    };
    edge(LonMin, LatMin, 0, Step);
    edge(LonMin, LatMax, Step, 0);
    edge(LonMax, LatMax, 0, -Step);
    edge(LonMax, LatMin, -Step, 0);
    if (outline.size() > 2) {
        painter.setPen(ToQColor(Props->Water));
        painter.setBrush(ToQColor(Props->Water));
        painter.drawPolygon(outline, Qt::OddEvenFill);
    }
}

void TMap::DrawGraticule()
{
    QPainter painter(Bitmap.get());
    painter.setPen(ToQColor(Props->LonLat));
    painter.setBrush(Qt::NoBrush);
    const QColor fontColor = ToQColor(Props->LonLatFont);
    const QFontMetrics metrics(painter.font());
    const int h = metrics.height();
    auto label = [&](const QString& text, QPoint topLeft) {
        const QPen line = painter.pen();
        painter.setPen(fontColor);
        painter.drawText(topLeft.x(), topLeft.y() + metrics.ascent(), text);
        painter.setPen(line);
    };
    if (Props->MPDelta2 > 4) {
        const int d = Props->MPDelta2;
        for (double lat = FirstGridLine(LatMin, d); lat <= LatMax; lat += d) {
            QPoint from;
            if (!LatLonToPixel(LonMin, lat, from))
                continue;
            label(QString::asprintf("%.0f", lat), from);
            for (double lon = LonMin; lon <= LonMax; lon += Step) {
                QPoint to;
                if (!LatLonToPixel(lon, lat, to))
                    break;
                painter.drawLine(from, to);
                from = to;
            }
        }
    }
    if (Props->MPDelta > 4) {
        const int d = Props->MPDelta;
        for (double lon = FirstGridLine(LonMin, d); lon <= LonMax; lon += d) {
            QPoint from;
            if (!LatLonToPixel(lon, LatMin, from))
                break;  // the meridians stop at the first whose south end does not project
            const QString text = QString::asprintf("%.0f", WrapLongitude(lon));
            for (double lat = LatMin; lat <= LatMax; lat += Step) {
                QPoint to;
                if (!LatLonToPixel(lon, lat, to))
                    break;
                painter.drawLine(from, to);
                if (lat == LatMin)
                    label(text, QPoint(to.x(), to.y() - h));
                from = to;
            }
        }
    }
}

void TMap::Redraw()
{
    if (!IsValid() || !Bitmap)
        return;
    Stopped = false;
    if (LandMap.IsOpen()) {
        LandMap.Rewind();
        Row = Column = 0;
    }
    DrawWater();
    if (MapType == 1 || MapType == 2)
        DrawLand();
    if (!Stopped && (MapType == 0 || MapType == 2))
        DrawVectorMap();
    if (!Stopped)
        DrawGraticule();
}
