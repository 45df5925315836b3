// The map renderer's two files: the raster land map, read strictly forward,
// and the vector map, read whole once and checked before a point is used.
#include "maps/Map.h"

#include "maps/SwathProp.h"

#include <QFile>
#include <QPainter>
#include <cmath>
#include <cstring>
#include <zlib.h>

namespace {

constexpr int kLandRowBytes = 43200;
constexpr int kHeaderBytes = 576;
constexpr int kSections = 140;
constexpr int kSegmentBytes = 16;
// Far beyond the world vector map; a larger count is a damaged file.
constexpr std::uint32_t kMaxSegments = 4u * 1024 * 1024;
constexpr std::int64_t kMaxPointBytes = 256LL * 1024 * 1024;

std::uint32_t U32(const std::uint8_t* p)
{
    return p[0] | (p[1] << 8) | (p[2] << 16) | (static_cast<std::uint32_t>(p[3]) << 24);
}

int S24(const std::uint8_t* p)
{
    const int value = p[0] | (p[1] << 8) | (p[2] << 16);
    return value & 0x800000 ? value - 0x1000000 : value;
}

QColor ToQColor(int c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

gzFile OpenMapFile(const QString& folder, const char* name)
{
    return gzopen(QFile::encodeName(folder + "/" + name).constData(), "rb");
}

bool ReadAll(gzFile file, void* buffer, std::int64_t bytes)
{
    auto* at = static_cast<char*>(buffer);
    while (bytes > 0) {
        const unsigned chunk = static_cast<unsigned>(std::min<std::int64_t>(bytes, 1 << 30));
        const int got = gzread(file, at, chunk);
        if (got <= 0)
            return false;
        at += got;
        bytes -= got;
    }
    return true;
}

}  // namespace

// ---- the land map ----

int TMap::LandRow(double lat)
{
    return std::abs(static_cast<int>(std::nearbyint((90 - lat) * 120)));
}

int TMap::LandColumn(double lon)
{
    return std::abs(static_cast<int>(std::nearbyint((-lon - 180) * 120)));
}

int TMap::OpenLandMap()
{
    RowBuffer.clear();
    Row = Column = 0;
    if (LandMap.IsOpen())
        LandMap.Rewind();
    else if (!LandMap.Open(Props->MapDir + "/world-1km.gz"))
        return mapNotFound;
    // A box across 180 degrees reads whole rows: its cells lie at both ends.
    RowSpan = CrossesDateLine() ? kLandRowBytes : LandColumn(LonMax) - LandColumn(LonMin);
    RowBuffer.assign(static_cast<size_t>(std::max(RowSpan, 0)), 0);
    return mapOk;
}

void TMap::CloseLandMap()
{
    RowBuffer.clear();
    RowSpan = 0;
    LandMap.Close();
}

bool TMap::SeekLandCell(double lat, double lon)
{
    const int r = LandRow(lat), c = LandColumn(lon);
    if (r == Row) {
        if (c < Column)
            return false;  // no going back
        if (c > Column && !LandMap.Skip(c - Column))
            return false;
        Column = c;
        return true;
    }
    if (r < Row)
        return false;
    if (Column > 0) {
        if (Column < kLandRowBytes && !LandMap.Skip(kLandRowBytes - Column))
            return false;
        Column = 0;
        ++Row;
    }
    // Passing the rows above a box far south reads most of the file: the
    // drawing reports its progress and can be stopped here too.
    for (; Row < r; ++Row)
        if (!Advance(LandProgress()) || !LandMap.Skip(kLandRowBytes))
            return false;
    if (c > 0 && !LandMap.Skip(c))
        return false;
    Column = c;
    return true;
}

int TMap::LandCell(int column) const
{
    const int at = column - Column;
    return at >= 0 && at < RowSpan ? RowBuffer[static_cast<size_t>(at)] : -1;
}

int TMap::LandProgress() const
{
    // Every row down to the box's south edge is read: the rows read so far.
    return static_cast<int>(static_cast<long long>(LandShare()) * Row / std::max(1, LandRow(LatMin)));
}

void TMap::DrawLand()
{
    if (!LandMap.IsOpen() || !Bitmap)
        return;
    const QRgb land = ToQColor(Props->Land).rgb();
    std::vector<double> lons;
    std::vector<int> columns;
    for (double lon = LonMin; lon <= LonMax; lon += Step) {
        lons.push_back(lon);
        columns.push_back(LandColumn(WrapLongitude(lon)));
    }
    const double rowStart = CrossesDateLine() ? -180 : LonMin;
    std::vector<std::uint8_t> isLand(lons.size());
    for (double lat = LatMax; lat >= LatMin; lat -= Step) {
        if (!SeekLandCell(lat, rowStart))
            return;
        if (RowSpan > 0 && !LandMap.Read(RowBuffer.data(), RowSpan))
            return;
        for (size_t k = 0; k < lons.size(); ++k)
            isLand[k] = LandCell(columns[k]) > 0;
        DrawLandRow(lat, lons, isLand, land);
        Column += RowSpan;
        if (!Advance(LandProgress()))
            return;
    }
}

// ---- the vector map ----

void TMap::FreeVectorMap()
{
    VectorHeader.clear();
    Segments.clear();
    Points.clear();
    PointsStart = 0;
}

int TMap::LoadVectorMap()
{
    if (!VectorHeader.empty() && !Segments.empty() && !Points.empty())
        return mapOk;
    FreeVectorMap();
    gzFile file = OpenMapFile(Props->MapDir, "CIA_WDB2.jpd.gz");
    if (!file)
        return mapNotFound;
    auto fail = [&] {
        gzclose(file);
        FreeVectorMap();
        return mapNotFound;
    };
    std::vector<std::uint8_t> header(kHeaderBytes);
    if (!ReadAll(file, header.data(), kHeaderBytes) || std::strcmp(reinterpret_cast<const char*>(header.data()), "!JPD1.0\n") != 0)
        return fail();
    // Every length is checked against the others before a point is read: a
    // short or inconsistent file is refused, never read past.
    const std::uint32_t count = U32(&header[16 + 4 * (kSections - 1)]);
    if (count == 0 || count > kMaxSegments)
        return fail();
    for (int i = 0; i < kSections; ++i)
        if (U32(&header[16 + 4 * i]) > count || (i > 0 && U32(&header[16 + 4 * i]) < U32(&header[12 + 4 * i])))
            return fail();
    std::vector<std::uint8_t> segments(static_cast<size_t>(count) * kSegmentBytes);
    if (!ReadAll(file, segments.data(), static_cast<std::int64_t>(segments.size())))
        return fail();
    const std::int64_t pointsStart = kHeaderBytes + static_cast<std::int64_t>(count) * kSegmentBytes;
    std::int64_t previousEnd = pointsStart;
    for (std::uint32_t j = 0; j < count; ++j) {
        const std::int64_t end = U32(&segments[j * kSegmentBytes + 12]);
        if (end - previousEnd < 6)  // a segment holds at least its first point
            return fail();
        previousEnd = end;
    }
    const std::int64_t pointBytes = previousEnd - pointsStart;
    if (pointBytes > kMaxPointBytes)
        return fail();
    std::vector<std::uint8_t> points(static_cast<size_t>(pointBytes));
    if (!ReadAll(file, points.data(), pointBytes))
        return fail();
    gzclose(file);
    VectorHeader = std::move(header);
    Segments = std::move(segments);
    Points = std::move(points);
    PointsStart = pointsStart;
    return mapOk;
}

void TMap::DrawVectorPiece(QPainter& painter, double lon1, double lat1, double lon2, double lat2, bool& penDown,
                           QPoint& at)
{
    auto inBox = [this](double lon, double lat) {
        if (lon < LonMin)
            lon += 360;  // the part of a box across 180 degrees beyond it
        return lon >= LonMin && lon <= LonMax && lat >= LatMin && lat <= LatMax;
    };
    if (!inBox(lon1, lat1) || !inBox(lon2, lat2)) {
        penDown = false;
        return;
    }
    if (!penDown && !LatLonToPixel(lon1, lat1, at))
        return;
    QPoint to;
    if (!LatLonToPixel(lon2, lat2, to)) {
        penDown = false;
        return;
    }
    painter.drawLine(at, to);
    at = to;
    penDown = true;
}

void TMap::DrawVectorMap()
{
    if (VectorHeader.empty() || !Bitmap)
        return;
    QPainter painter(Bitmap.get());
    std::uint32_t first = 0;
    for (int i = 0; i < kSections; ++i) {
        if (!Advance(LandShare() + (1000 - LandShare()) * i / kSections))
            return;
        const std::uint32_t last = U32(&VectorHeader[16 + 4 * i]);
        const int kind = i % 28;
        int colour = -1;
        if (kind <= 2)
            colour = Props->INT;
        else if (kind <= 4)
            colour = Props->NAT;
        else if (kind >= 16)
            colour = Props->CIL;
        if (colour >= 0) {
            painter.setPen(ToQColor(colour));
            for (std::uint32_t j = first; j < last; ++j) {
                const std::int64_t start = j == 0 ? PointsStart : U32(&Segments[(j - 1) * kSegmentBytes + 12]);
                const std::int64_t end = U32(&Segments[j * kSegmentBytes + 12]);
                const std::uint8_t* p = Points.data() + (start - PointsStart);
                int lonSec = S24(p), latSec = S24(p + 3);
                bool penDown = false;
                QPoint at;
                const std::int64_t steps = (end - start - 6) / 2;
                for (std::int64_t s = 0; s < steps; ++s) {
                    const int nextLon = lonSec + static_cast<signed char>(p[6 + 2 * s]);
                    const int nextLat = latSec + static_cast<signed char>(p[7 + 2 * s]);
                    DrawVectorPiece(painter, lonSec / 3600.0, latSec / 3600.0, nextLon / 3600.0, nextLat / 3600.0,
                                    penDown, at);
                    lonSec = nextLon;
                    latSec = nextLat;
                }
            }
        }
        first = last;
    }
}
