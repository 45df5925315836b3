// The land cells of a map land on exactly the pixels their own projections
// give, though most cells are placed between projected neighbours: every
// projection at 10 km, and the ones most curved at 4 and 1 km, over a land
// map of solid land and scattered single cells between 63 and 75 N. Where a
// projection stretches a cell over more than a pixel, the cell fills its area
// and no more: solid land shows no rows or columns of water.
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <QPointF>
#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr int kRowBytes = 43200;
constexpr int kFirstLandRow = (90 - 75) * 120, kLastLandRow = (90 - 63) * 120;
constexpr int kFirstLandColumn = (180 - 30) * 120, kLastLandColumn = (180 + 60) * 120;

// Squares of land half a degree wide, and in the sea between them cells
// scattered by a hash, so that a pixel off by one shows.
bool IsLand(int row, int column)
{
    if (row < kFirstLandRow || row > kLastLandRow || column < kFirstLandColumn || column > kLastLandColumn)
        return false;
    if ((row / 60 + column / 60) % 2 == 0)
        return true;
    const unsigned hash = (static_cast<unsigned>(row) * 73856093u) ^ (static_cast<unsigned>(column) * 19349663u);
    return (hash >> 7) % 5 < 2;
}

void WriteLandMap(const QString& path)
{
    gzFile file = gzopen(QFile::encodeName(path).constData(), "wb1");
    ASSERT_NE(file, nullptr);
    std::vector<char> row(kRowBytes, 0);
    for (int r = 0; r <= kLastLandRow; ++r) {
        for (int c = kFirstLandColumn; c <= kLastLandColumn; ++c)
            row[c] = IsLand(r, c) ? 1 : 0;
        ASSERT_EQ(gzwrite(file, row.data(), kRowBytes), kRowBytes);
    }
    gzclose(file);
}

QRgb Rgb(int colour)
{
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

class MapLandRowTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = QDir::tempPath() + "/orvanta-land-row-test-" + QString::number(QCoreApplication::applicationPid());
        QDir().mkpath(folder);
        WriteLandMap(folder + "/world-1km.gz");
    }
    static void TearDownTestSuite() { QDir(folder).removeRecursively(); }

    // The pixels of the land cells, each cell projected on its own, in the
    // order the map samples them; a cell that does not project ends its row.
    // The map reads a row's cells up to the east edge's, not that one. In the
    // mask of the bitmap's size a pixel is kOwnPixel, or kStretchedPixel when
    // a cell on it spans more than a pixel across or down: only such a cell
    // fills the area around its pixel.
    static constexpr char kOwnPixel = 1, kStretchedPixel = 2;
    static std::vector<char> ProjectedLand(TMap& map)
    {
        std::vector<char> mask(static_cast<size_t>(map.Width) * map.Height, 0);
        const int eastColumn = TMap::LandColumn(map.LonMax);
        for (double lat = map.LatMax; lat >= map.LatMin; lat -= map.Step) {
            for (double lon = map.LonMin; lon <= map.LonMax; lon += map.Step) {
                const int column = TMap::LandColumn(lon);
                if (column >= eastColumn || !IsLand(TMap::LandRow(lat), column))
                    continue;
                QPoint p;
                if (!map.LatLonToPixel(lon, lat, p))
                    break;
                char& pixel = mask[static_cast<size_t>(p.y()) * map.Width + p.x()];
                pixel = std::max(pixel, Stretched(map, lon, lat) ? kStretchedPixel : kOwnPixel);
            }
        }
        return mask;
    }

    // The cell at (lon, lat) spans more than a pixel: the distances between
    // the projections of its west and east edges, and of its north and south
    // edges, reach past a pixel across or down. (The map measures this once a
    // block of cells; over a block it changes by a small part of a pixel.)
    static bool Stretched(TMap& map, double lon, double lat)
    {
        const double half = map.Step / 2;
        QPointF w, e, n, s;
        if (!ExactPixel(map, lon - half, lat, w) || !ExactPixel(map, lon + half, lat, e) ||
            !ExactPixel(map, lon, lat + half, n) || !ExactPixel(map, lon, lat - half, s))
            return false;
        const QPointF across = e - w, down = s - n;
        return std::fabs(across.x()) + std::fabs(down.x()) > 1 || std::fabs(across.y()) + std::fabs(down.y()) > 1;
    }

    // Where a position falls in pixels before rounding.
    static bool ExactPixel(TMap& map, double lon, double lat, QPointF& pixel)
    {
        double easting = 0, northing = 0;
        constexpr double rad = 3.14159265358979323846 / 180;
        if (!map.Geotrans->Convert(lon * rad, lat * rad, easting, northing, map.Projection))
            return false;
        pixel = QPointF((easting - map.XMin) * map.PixelsPerMetre, (map.YMax - northing) * map.PixelsPerMetre);
        return true;
    }

    static std::vector<char> DrawnLand(const TMap& map, QRgb land)
    {
        std::vector<char> mask(static_cast<size_t>(map.Width) * map.Height, 0);
        for (int y = 0; y < map.Height; ++y) {
            const auto* line = reinterpret_cast<const QRgb*>(map.Bitmap->constScanLine(y));
            for (int x = 0; x < map.Width; ++x)
                mask[static_cast<size_t>(y) * map.Width + x] = line[x] == land;
        }
        return mask;
    }

    static QString folder;
};
QString MapLandRowTest::folder;

}  // namespace

TEST_F(MapLandRowTest, EveryCellOnThePixelOfItsOwnProjectionAndNoLandAwayFromTheCells)
{
    struct Case {
        int projection, scale;
        double lonMin, lonMax, latMin, latMax;
    };
    std::vector<Case> cases;
    for (int projection = 0; projection < TGeotrans::kProjectionCount; ++projection)
        cases.push_back({projection, 2, -10, 40, 64, 74});
    for (const int projection : {16, 10, 9}) {  // orthographic, Lambert, gnomonic
        cases.push_back({projection, 1, 0, 30, 64, 72});
        cases.push_back({projection, 0, 10, 14, 66, 69});
    }
    TSwathProp props;
    props.MapDir = folder;
    props.MapType = 1;
    props.MPDelta = props.MPDelta2 = 4;  // no grid
    int drawn = 0, stretchedCases = 0, exactCases = 0;
    for (const Case& c : cases) {
        props.Projection = c.projection;
        props.Scale = c.scale;
        TMap map(&props);
        const QString name = TGeotrans::ProjectionName(c.projection) + " at scale " + QString::number(c.scale);
        if (map.Setup(c.lonMin, c.lonMax, c.latMin, c.latMax, 15, 69) != mapOk)
            continue;  // a projection that cannot show this box
        ++drawn;
        const std::vector<char> expected = ProjectedLand(map), drawnLand = DrawnLand(map, Rgb(props.Land));
        EXPECT_GT(std::count(expected.begin(), expected.end(), 1), 1000) << name.toStdString();
        // Every cell on its own pixel. Land beyond that is allowed only
        // within the area of a stretched cell beside it (these span at most 3
        // pixels); where no cell spans more than a pixel, the land drawn is
        // exactly the cells' own pixels.
        size_t missing = 0, stray = 0;
        auto nearStretchedCell = [&](int x, int y) {
            for (int dy = -2; dy <= 2; ++dy)
                for (int dx = -2; dx <= 2; ++dx)
                    if (x + dx >= 0 && x + dx < map.Width && y + dy >= 0 && y + dy < map.Height &&
                        expected[static_cast<size_t>(y + dy) * map.Width + x + dx] == kStretchedPixel)
                        return true;
            return false;
        };
        for (int y = 0; y < map.Height; ++y) {
            for (int x = 0; x < map.Width; ++x) {
                const size_t i = static_cast<size_t>(y) * map.Width + x;
                missing += expected[i] && !drawnLand[i];
                stray += drawnLand[i] && !expected[i] && !nearStretchedCell(x, y);
            }
        }
        stretchedCases += std::count(expected.begin(), expected.end(), kStretchedPixel) > 0;
        exactCases += std::count(expected.begin(), expected.end(), kStretchedPixel) == 0;
        EXPECT_EQ(missing, 0u) << name.toStdString() << ": cells not drawn on their own pixels";
        EXPECT_EQ(stray, 0u) << name.toStdString() << ": land drawn away from every cell";
    }
    EXPECT_GE(drawn, 26) << "most projections show the box";
    // Both kinds of map are checked: some exactly, some with their fill.
    EXPECT_GT(exactCases, 10);
    EXPECT_GT(stretchedCases, 0);
}

TEST_F(MapLandRowTest, SolidLandStretchedOverSeveralPixelsShowsNoWater)
{
    // Mercator true at 30 N and Equidistant Cylindrical true at the equator
    // stretch a cell at 70 N over more than two pixels, down or across, at
    // 10 and 4 km alike (both sample a cell every 0.46 pixels unstretched).
    TSwathProp props;
    props.MapDir = folder;
    props.MapType = 1;
    props.MPDelta = props.MPDelta2 = 4;
    for (const int projection : {11, 8}) {
        for (const int scale : {2, 1}) {
            props.Projection = projection;
            props.Scale = scale;
            TMap map(&props);
            const std::string name =
                TGeotrans::ProjectionName(projection).toStdString() + " at scale " + std::to_string(scale);
            ASSERT_EQ(map.Setup(0, 30, 64, 74, 15, 30), mapOk) << name;
            const QRgb land = Rgb(props.Land);
            int squares = 0, water = 0;
            // The solid half-degree squares inside the box, each without its
            // outer two pixels (its neighbours' cells share those).
            for (int row = kFirstLandRow; row + 60 <= kLastLandRow; row += 60) {
                for (int column = (180 + 1) * 120; column + 60 <= (180 + 29) * 120; column += 60) {
                    if ((row / 60 + column / 60) % 2 != 0)
                        continue;  // a square of scattered cells
                    const double north = 90 - (row - 0.5) / 120.0, south = 90 - (row + 59.5) / 120.0;
                    const double west = -180 + (column - 0.5) / 120.0, east = -180 + (column + 59.5) / 120.0;
                    if (north > 74 || south < 64)
                        continue;
                    QPoint topLeft, bottomRight;
                    ASSERT_TRUE(map.LatLonToPixel(west, north, topLeft));
                    ASSERT_TRUE(map.LatLonToPixel(east, south, bottomRight));
                    ++squares;
                    for (int y = topLeft.y() + 2; y <= bottomRight.y() - 2; ++y)
                        for (int x = topLeft.x() + 2; x <= bottomRight.x() - 2; ++x)
                            water += map.Bitmap->pixel(x, y) != land;
                }
            }
            EXPECT_GT(squares, 50) << name;
            EXPECT_EQ(water, 0) << name << ": pixels of water inside solid land";
        }
    }
}
