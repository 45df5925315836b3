// The map renderer on map files the tests make: a land map with zero rows
// down to 40 N, a land block and a one-cell island, and a small vector map.
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "support/TestEnv.h"

#include <QCoreApplication>
#include <QDir>
#include <QFile>
#include <cstring>
#include <gtest/gtest.h>
#include <vector>
#include <zlib.h>

namespace {

constexpr int kRowBytes = 43200;

int Row(double lat) { return static_cast<int>(std::lround((90 - lat) * 120)); }
int Column(double lon) { return static_cast<int>(std::lround((lon + 180) * 120)); }

// Land from 32 to 38 N and 10 to 20 E, island cells at 35.5 N 25 E and on
// either side of 180 degrees (179 E, 178 W); the file ends at 30 N.
void WriteLandMap(const QString& path)
{
    gzFile file = gzopen(QFile::encodeName(path).constData(), "wb1");
    ASSERT_NE(file, nullptr);
    std::vector<char> row(kRowBytes);
    for (int r = 0; r <= Row(30); ++r) {
        std::fill(row.begin(), row.end(), 0);
        if (r >= Row(38) && r <= Row(32))
            std::fill(row.begin() + Column(10), row.begin() + Column(20) + 1, 1);
        if (r == Row(35.5))
            row[Column(25)] = row[Column(179)] = row[Column(-178)] = 1;
        ASSERT_EQ(gzwrite(file, row.data(), kRowBytes), kRowBytes);
    }
    gzclose(file);
}

void Put32(std::vector<std::uint8_t>& b, size_t at, std::uint32_t v)
{
    for (int i = 0; i < 4; ++i)
        b[at + i] = static_cast<std::uint8_t>(v >> (8 * i));
}

void Put24(std::vector<std::uint8_t>& b, int v)
{
    for (int i = 0; i < 3; ++i)
        b.push_back(static_cast<std::uint8_t>(v >> (8 * i)));
}

// Three segments: a border in section 0, a national border in section 3, a
// coast in section 16, each from its start 100 steps of (+100", 0) east.
std::vector<std::uint8_t> MakeJpd(const char* magic = "!JPD1.0\n")
{
    const int count = 3;
    std::vector<std::uint8_t> file(576, 0);
    std::memcpy(file.data(), magic, std::strlen(magic) + 1);
    for (int i = 0; i < 140; ++i)
        Put32(file, 16 + 4 * i, i < 3 ? 1 : i < 16 ? 2 : 3);
    const struct {
        double lon, lat;
    } starts[count] = {{12, 36}, {12, 34}, {21, 35}};
    std::vector<std::uint8_t> points;
    std::vector<std::uint8_t> segments(16 * count, 0);
    const size_t pointsStart = 576 + 16 * count;
    for (int j = 0; j < count; ++j) {
        Put24(points, static_cast<int>(starts[j].lon * 3600));
        Put24(points, static_cast<int>(starts[j].lat * 3600));
        for (int s = 0; s < 100; ++s) {
            points.push_back(100);
            points.push_back(0);
        }
        Put32(segments, 16 * j + 12, static_cast<std::uint32_t>(pointsStart + points.size()));
    }
    file.insert(file.end(), segments.begin(), segments.end());
    file.insert(file.end(), points.begin(), points.end());
    return file;
}

void WriteGz(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    gzFile file = gzopen(QFile::encodeName(path).constData(), "wb");
    ASSERT_NE(file, nullptr);
    ASSERT_EQ(gzwrite(file, bytes.data(), static_cast<unsigned>(bytes.size())), static_cast<int>(bytes.size()));
    gzclose(file);
}

QRgb Rgb(int colour)
{
    return qRgb(colour & 0xFF, (colour >> 8) & 0xFF, (colour >> 16) & 0xFF);
}

class MapTest : public ::testing::Test {
protected:
    static void SetUpTestSuite()
    {
        folder = QDir::tempPath() + "/orvanta-map-test-" + QString::number(QCoreApplication::applicationPid());
        QDir().mkpath(folder);
        WriteLandMap(folder + "/world-1km.gz");
        WriteGz(folder + "/CIA_WDB2.jpd.gz", MakeJpd());
    }
    static void TearDownTestSuite() { QDir(folder).removeRecursively(); }
    void SetUp() override
    {
        props.MapDir = folder;
        props.Projection = 8;  // equidistant cylindrical: all of the box is water
        props.Scale = 0;       // 1 km, every cell sampled
        props.MapType = 1;
        props.MPDelta = props.MPDelta2 = 4;  // no grid
    }
    QRgb PixelAt(TMap& map, double lon, double lat)
    {
        QPoint p;
        EXPECT_TRUE(map.LatLonToPixel(lon, lat, p));
        return map.Bitmap->pixel(p);
    }

    static QString folder;
    TSwathProp props;
};
QString MapTest::folder;

}  // namespace

TEST_F(MapTest, LandCellsAndTheIslandAtOneKilometre)
{
    TMap map(&props);
    ASSERT_EQ(map.Setup(8, 27, 31, 39, 17, 35), mapOk);
    EXPECT_TRUE(map.IsValid());
    EXPECT_EQ(PixelAt(map, 15, 35), Rgb(props.Land));
    EXPECT_EQ(PixelAt(map, 23, 33), Rgb(props.Water));
    EXPECT_EQ(PixelAt(map, 25, 35.5), Rgb(props.Land)) << "the one-cell island";
    EXPECT_EQ(PixelAt(map, 25, 36.5), Rgb(props.Water));

    // Redraw reads the land map again from its start, in the new colour.
    props.Land = 0x0000FF;
    map.Redraw();
    EXPECT_EQ(PixelAt(map, 15, 35), Rgb(0x0000FF));
    EXPECT_EQ(PixelAt(map, 25, 35.5), Rgb(0x0000FF));
}

TEST_F(MapTest, ABoxAcross180DegreesHoldsBothSides)
{
    // A station at 178 E: its box runs from 175 E to 175 W, given either way.
    for (const double west : {175.0, -185.0}) {
        TMap map(&props);
        ASSERT_EQ(map.Setup(west, west + 10, 33, 38, 178, 35), mapOk) << west;
        EXPECT_TRUE(map.CrossesDateLine());
        EXPECT_DOUBLE_EQ(map.LonMin, 175);
        EXPECT_DOUBLE_EQ(map.LonMax, 185);
        EXPECT_EQ(PixelAt(map, 179, 35.5), Rgb(props.Land)) << "west of 180";
        EXPECT_EQ(PixelAt(map, -178, 35.5), Rgb(props.Land)) << "east of 180";
        EXPECT_EQ(PixelAt(map, -179, 35.5), Rgb(props.Water));
        QPoint west179, east178;
        ASSERT_TRUE(map.PixelOnMap(179, 35.5, west179));
        ASSERT_TRUE(map.PixelOnMap(-178, 35.5, east178));
        // Equidistant cylindrical true at the equator, 1 km a pixel.
        EXPECT_NEAR(east178.x() - west179.x(), 3 * 111.32, 2) << "three degrees apart, the short way";
    }
    // A box far beyond the station's reach is cut 179.5 degrees from it.
    TMap map(&props);
    props.Scale = 2;
    ASSERT_EQ(map.Setup(-170, 200, 33, 38, 0, 35), mapOk);
    EXPECT_DOUBLE_EQ(map.LonMin, -170);
    EXPECT_DOUBLE_EQ(map.LonMax, 179.5);
}

TEST_F(MapTest, VectorMapKindsInTheirColours)
{
    props.MapType = 0;
    props.Scale = 1;
    TMap map(&props);
    ASSERT_EQ(map.Setup(8, 27, 31, 39, 17, 35), mapOk);
    EXPECT_EQ(PixelAt(map, 13, 36), Rgb(props.INT));
    EXPECT_EQ(PixelAt(map, 13, 34), Rgb(props.NAT));
    EXPECT_EQ(PixelAt(map, 22, 35), Rgb(props.CIL));
    EXPECT_EQ(PixelAt(map, 13, 33), Rgb(props.Water));
}

TEST_F(MapTest, BrokenOrMissingMapFiles)
{
    props.MapType = 0;
    props.Scale = 2;
    const QString broken = QDir::tempPath() + "/orvanta-map-broken-" + QString::number(QCoreApplication::applicationPid());
    QDir().mkpath(broken);
    props.MapDir = broken;
    std::vector<std::uint8_t> shortPoints = MakeJpd();
    shortPoints.resize(shortPoints.size() - 50);
    std::vector<std::uint8_t> backwards = MakeJpd();
    Put32(backwards, 576 + 16 + 12, 600);  // the second segment ends before it starts
    std::vector<std::uint8_t> hugeCount = MakeJpd();
    Put32(hugeCount, 572, 0x7FFFFFFF);
    std::vector<std::uint8_t> headerOnly = MakeJpd();
    headerOnly.resize(576);
    const struct {
        const char* name;
        std::vector<std::uint8_t> bytes;
    } cases[] = {
        {"another header", MakeJpd("!JPD2.0\n")},
        {"points cut short", shortPoints},
        {"a segment ending before it starts", backwards},
        {"a segment count beyond the file", hugeCount},
        {"only a header", headerOnly},
    };
    for (const auto& c : cases) {
        WriteGz(broken + "/CIA_WDB2.jpd.gz", c.bytes);
        TMap map(&props);
        EXPECT_EQ(map.Setup(8, 27, 31, 39, 17, 35), mapNotFound) << c.name;
        EXPECT_FALSE(map.IsValid()) << c.name;
    }
    QFile::remove(broken + "/CIA_WDB2.jpd.gz");
    TMap map(&props);
    EXPECT_EQ(map.Setup(8, 27, 31, 39, 17, 35), mapNotFound) << "no vector map";
    props.MapType = 1;
    EXPECT_EQ(map.Setup(8, 27, 31, 39, 17, 35), mapNotFound) << "no land map";
    EXPECT_EQ(TMap::ErrorText(mapNotFound), "Map not found!");
    QDir(broken).removeRecursively();
}

TEST_F(MapTest, ProjectionFailuresAndAnOversizedBitmap)
{
    props.MapType = 1;
    props.Scale = 2;
    props.Projection = 15;  // Oblique Mercator
    TMap map(&props);
    EXPECT_EQ(map.Setup(0, 20, -5, 10, 10, 2), mapProjectionFailed) << "a box across the equator";
    EXPECT_EQ(map.Setup(0, 20, 30, 40, 10, 35), mapOk);
    props.Projection = 0;  // UPS: the box lies outside both zones
    EXPECT_EQ(map.Setup(0, 20, 30, 40, 10, 35), mapProjectionFailed);
    EXPECT_EQ(TMap::ErrorText(mapProjectionFailed), "Failed to set projection. Please try another projection.");

    // The whole world in Mercator at 1 km a pixel is 40000 pixels wide.
    props.Projection = 11;
    props.Scale = 0;
    EXPECT_EQ(map.Setup(-179, 179, -80, 80, 0, 0), mapOutOfMemory);
    EXPECT_FALSE(map.IsValid());
    EXPECT_EQ(map.Bitmap, nullptr);
    EXPECT_EQ(TMap::ErrorText(mapOutOfMemory), "Out of memory");
}

TEST_F(MapTest, ABoxNearlyAQuarterTurnFromTheStationInGnomonicIsTooLarge)
{
    // Gnomonic distances grow without bound towards 90 degrees from the
    // centre: sizes far beyond any integer must fail as too large, not wrap.
    props.Projection = 9;
    props.MapType = 1;
    const struct {
        const char* name;
        double lonMin, lonMax, latMin, latMax, stationLat;
    } boxes[] = {
        {"east edge a hair short of 90 degrees", 80, 89.999999, -5, 5, 0},
        {"north edge a hair short of 90 degrees", -5, 5, 80, 89.5, -0.49},
        {"a sliver near the horizon", 89.99999, 89.999999, 0, 1e-7, 0},
    };
    for (const int scale : {0, 1, 2}) {
        props.Scale = scale;
        for (const auto& box : boxes) {
            TMap map(&props);
            EXPECT_EQ(map.Setup(box.lonMin, box.lonMax, box.latMin, box.latMax, 0, box.stationLat), mapOutOfMemory)
                << box.name << " at scale " << scale;
            EXPECT_FALSE(map.IsValid());
        }
    }
}

TEST_F(MapTest, GraticuleOnlyAboveFourDegrees)
{
    EXPECT_EQ(TMap::FirstGridLine(-37, 15), -15);
    EXPECT_EQ(TMap::FirstGridLine(30, 15), 45);
    EXPECT_EQ(TMap::FirstGridLine(0, 10), 10);
    props.Scale = 2;
    props.LonLat = 0x00FFFF;
    auto gridPixels = [&](int spacing) {
        props.MPDelta = props.MPDelta2 = spacing;
        TMap map(&props);
        EXPECT_EQ(map.Setup(8, 27, 31, 39, 17, 35), mapOk);
        int count = 0;
        for (int y = 0; y < map.Height; ++y)
            for (int x = 0; x < map.Width; ++x)
                count += map.Bitmap->pixel(x, y) == Rgb(props.LonLat);
        return count;
    };
    EXPECT_EQ(gridPixels(4), 0);
    EXPECT_GT(gridPixels(5), 0);
}

TEST_F(MapTest, TheFirstParallelFollowsTheBoxsSouthEdge)
{
    props.MapType = 0;
    props.Scale = 2;
    props.LonLat = 0x00FFFF;
    props.MPDelta = 0;  // parallels only
    props.MPDelta2 = 15;
    // Equidistant cylindrical: a parallel is one row of pixels.
    auto onParallel = [&](TMap& map, double lat) {
        QPoint p;
        EXPECT_TRUE(map.LatLonToPixel(0, lat, p));
        int count = 0;
        for (int x = 0; x < map.Width; ++x)
            count += map.Bitmap->pixel(x, p.y()) == Rgb(props.LonLat);
        return count;
    };
    const struct {
        double latMin, latMax, drawn, notDrawn;
    } boxes[] = {{-37, -5, -15, -30}, {30, 50, 45, 30}};
    for (const auto& box : boxes) {
        TMap map(&props);
        ASSERT_EQ(map.Setup(-10, 10, box.latMin, box.latMax, 0, 0), mapOk);
        EXPECT_GT(onParallel(map, box.drawn), map.Width / 2) << box.latMin;
        EXPECT_EQ(onParallel(map, box.notDrawn), 0) << box.latMin;
    }
}

TEST_F(MapTest, PixelsOfPositions)
{
    props.Scale = 2;
    props.MapType = 1;
    TMap map(&props);
    QPoint p;
    EXPECT_FALSE(map.LatLonToPixel(10, 35, p)) << "no bitmap yet";
    EXPECT_EQ(p, QPoint(0, 0));
    EXPECT_FALSE(map.PixelOnMap(10, 35, p));
    ASSERT_EQ(map.Setup(8, 27, 31, 39, 17, 35), mapOk);
    ASSERT_TRUE(map.LatLonToPixel(8, 39, p));
    EXPECT_EQ(p, QPoint(0, 0)) << "the north-west corner";
    ASSERT_TRUE(map.LatLonToPixel(27, 31, p));
    EXPECT_EQ(p, QPoint(map.Width - 1, map.Height - 1)) << "the south-east corner, clamped";
    ASSERT_TRUE(map.LatLonToPixel(60, 10, p));
    EXPECT_EQ(p, QPoint(map.Width - 1, map.Height - 1)) << "outside the box: clamped";
    // Beyond the bitmap a swath is left out, never drawn along the border.
    QPoint inside;
    ASSERT_TRUE(map.PixelOnMap(15, 35, inside));
    ASSERT_TRUE(map.LatLonToPixel(15, 35, p));
    EXPECT_EQ(inside, p);
    EXPECT_FALSE(map.PixelOnMap(60, 10, p));
    EXPECT_FALSE(map.PixelOnMap(15, 45, p)) << "north of the map";
    EXPECT_EQ(p, QPoint(0, 0));
}
