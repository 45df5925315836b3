// The flat-earth view: background, night shading, rings, mouse answers and
// the drawing of sun, moon, station and satellites.
#include "EarthViewFixture.h"
#include "imaging/ImageFixtures.h"

#include <QFile>
#include <cmath>
#include <utility>
#include <vector>

using namespace earthfixture;

namespace {

// The dark spans of a work-image row as [first, last] columns; a pixel that
// is neither white nor night blue fails the test.
std::vector<std::pair<int, int>> DarkSpans(const QImage& image, int row)
{
    std::vector<std::pair<int, int>> spans;
    const auto* line = reinterpret_cast<const QRgb*>(image.constScanLine(row));
    for (int x = 0; x < image.width(); ++x) {
        EXPECT_TRUE(line[x] == White || line[x] == NightBlue) << "row " << row << " column " << x;
        if (line[x] != NightBlue)
            continue;
        if (!spans.empty() && spans.back().second == x - 1)
            spans.back().second = x;
        else
            spans.push_back({x, x});
    }
    return spans;
}

}  // namespace

TEST_F(EarthViewTest, NightShadingByDateAndTime)
{
    using Spans = std::vector<std::pair<int, int>>;
    const Spans dayRow, darkRow = {{0, 359}};
    // Row 90 lies on the equator (89.9999 - 90 degrees), where the day is 12
    // hours, A = 180 columns. The sub-solar column is 360 - 360 x (time of
    // day), the day band starts at L = that - 90:
    //  12:33 -> 171.75, L = 81.75: night from 0 to trunc(L - 1) = 80 and
    //           from trunc(L + A) = 261 to the end.
    //  01:15 -> 341.25, L = 251.25, L + A = 431.25 >= 360: night from
    //           trunc(71.25) = 71 up to trunc(250.25) = 250.
    //  20:15 ->  56.25, L = -33.75: night from trunc(146.25) = 146 up to
    //           trunc(326.25) = 326.
    // At the solstices (declination about +-23.44) rows nearer the pole than
    // 66.56 degrees have the sun all day or never: rows 0..23 (down to
    // 66.9999 N) and 157..179 (from 67.0001 S).
    const QDate equinox(2005, 3, 20), june(2005, 6, 21), december(2005, 12, 21);
    const struct Case {
        const char* name;
        QDateTime utc;
        int row;
        Spans dark;
    } cases[] = {
        {"equinox epoch, band inside the map", {equinox, QTime(12, 33), Qt::UTC}, 90, {{0, 79}, {261, 359}}},
        {"band across the right edge", {equinox, QTime(1, 15), Qt::UTC}, 90, {{71, 249}}},
        {"band across the left edge", {equinox, QTime(20, 15), Qt::UTC}, 90, {{146, 325}}},
        {"June: northern summer, top row", {june, QTime(6, 46), Qt::UTC}, 0, dayRow},
        {"June: last row of midnight sun", {june, QTime(6, 46), Qt::UTC}, 23, dayRow},
        {"June: first row of polar night", {june, QTime(6, 46), Qt::UTC}, 157, darkRow},
        {"June: bottom row", {june, QTime(6, 46), Qt::UTC}, 179, darkRow},
        {"December: top row", {december, QTime(18, 35), Qt::UTC}, 0, darkRow},
        {"December: last row of polar night", {december, QTime(18, 35), Qt::UTC}, 23, darkRow},
        {"December: first row of midnight sun", {december, QTime(18, 35), Qt::UTC}, 157, dayRow},
    };
    for (const Case& c : cases) {
        SetClock(c.utc);
        view.DayNightStamp = 0;
        ASSERT_TRUE(view.DrawDayNight()) << c.name;
        EXPECT_EQ(DarkSpans(*view.WorkImage, c.row), c.dark) << c.name;
    }
    // Next to the polar rows the sun rises and sets.
    SetClock({june, QTime(6, 46), Qt::UTC});
    view.DayNightStamp = 0;
    ASSERT_TRUE(view.DrawDayNight());
    for (int row : {24, 156}) {
        const Spans spans = DarkSpans(*view.WorkImage, row);
        EXPECT_FALSE(spans.empty() || spans == darkRow) << "row " << row;
    }
}

TEST_F(EarthViewTest, NightIsRenewedOnlyAfterItsPeriod)
{
    SetClock({QDate(2005, 3, 20), QTime(12, 33), Qt::UTC});
    view.DayNightStamp = tick;
    tick += kDayNightPeriodMs - 1;
    EXPECT_FALSE(view.DrawDayNight()) << "119999 ms is not yet due";
    tick += 1;
    EXPECT_TRUE(view.DrawDayNight());
    EXPECT_EQ(view.DayNightStamp, tick);
    // Without the day/night bit the renewal is a plain copy of the background.
    view.Modes &= ~evDayNight;
    tick += kDayNightPeriodMs;
    EXPECT_TRUE(view.DrawDayNight());
    EXPECT_TRUE(DarkSpans(*view.WorkImage, 90).empty());
}

TEST_F(EarthViewTest, RingAroundAPoleGoesThroughTheFarSide)
{
    // A 3000 km ring (13.475 degrees of arc) around a point 5 degrees from
    // the pole holds the pole: the ring's point beyond the pole lies at
    // longitude 10 + 180 = -170 (column 10) and latitude 90 - 8.475.
    TSat sat;
    sat.Footprint = 3000;
    sat.Longitude = 10;
    sat.Latitude = 85;
    TEarthView::TRing ring = view.FootprintRing(sat);
    ASSERT_EQ(ring.Points.size(), 360u);
    EXPECT_EQ(ring.Points[0].At, QPoint(10, 8)) << "north: point 0";
    sat.Latitude = -85;
    ring = view.FootprintRing(sat);
    EXPECT_EQ(ring.Points[180].At, QPoint(10, 172)) << "south: point 180";
    // Far from the pole, point 0 is due north of the satellite.
    sat.Latitude = 60;
    ring = view.FootprintRing(sat);
    EXPECT_EQ(ring.Points[0].At, QPoint(view.LonToX(10), view.LatToY(73.475)));
    EXPECT_TRUE(ring.Closed);
}

TEST_F(EarthViewTest, RingCutByTheMapEdgeIsDrawnInPiecesAndNotClosed)
{
    // Centred at 179.9 E: the ring starts (due north) on the right edge and
    // ends, one degree further round, at 180.335 E on the left edge.
    TSat sat;
    sat.Footprint = 3000;
    sat.Longitude = 179.9;
    sat.Latitude = 0;
    sat.Elevation = 10;
    const TEarthView::TRing ring = view.FootprintRing(sat);
    EXPECT_EQ(ring.Points.front().At.x(), 359);
    EXPECT_EQ(ring.Points.back().At.x(), 0);
    EXPECT_FALSE(ring.Closed);
    int pieces = 1;
    for (size_t i = 1; i < ring.Points.size(); ++i)
        pieces += !ring.Points[i].PenDown;
    EXPECT_EQ(pieces, 2);

    view.Modes = evFootprintsAlways;
    QImage canvas(view.GetMapSize(), QImage::Format_RGB32);
    canvas.fill(Qt::white);
    {
        QPainter painter(&canvas);
        view.DrawFootprint(&sat, painter);
    }
    int left = 0, middle = 0, right = 0;
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (canvas.pixel(x, y) == Yellow)
                ++(x < 30 ? left : x >= 330 ? right : middle);
    EXPECT_GT(left, 0);
    EXPECT_GT(right, 0);
    EXPECT_EQ(middle, 0) << "no line across the map";
}

TEST_F(EarthViewTest, RingWhenAboveTheHorizonOnly)
{
    TSat sat;
    sat.Footprint = 5000;
    sat.Longitude = 20;
    sat.Latitude = 40;
    const struct {
        const char* name;
        int modes;
        double elevation;
        bool ring;
    } cases[] = {
        {"exactly on the horizon", evFootprintsWhenUp, 0.0, true},
        {"just below it", evFootprintsWhenUp, -0.001, false},
        {"always, below the horizon", evFootprintsAlways, -30.0, true},
    };
    for (const auto& c : cases) {
        view.Modes = c.modes;
        sat.Elevation = c.elevation;
        sat.FootprintRect = Coords(0, 0, 0, 0);
        QImage canvas(view.GetMapSize(), QImage::Format_RGB32);
        canvas.fill(Qt::white);
        {
            QPainter painter(&canvas);
            view.DrawFootprint(&sat, painter);
        }
        EXPECT_EQ(sat.FootprintRect != Coords(0, 0, 0, 0), c.ring) << c.name;
        QImage white(canvas.size(), QImage::Format_RGB32);
        white.fill(Qt::white);
        EXPECT_EQ(canvas != white, c.ring) << c.name;
    }
}

TEST_F(EarthViewTest, GeometryIsClampedToTheMap)
{
    EXPECT_EQ(view.LatToY(90), 0);
    EXPECT_EQ(view.LatToY(-90), 179) << "180 is beyond the last row";
    EXPECT_EQ(view.LonToX(-180), 0);
    EXPECT_EQ(view.LonToX(180), 359);
    EXPECT_EQ(view.LonToX(0.4), 180);
    EXPECT_EQ(view.RectAround(5, 170, 18, 13), Coords(0, 157, 23, 179));
    EXPECT_EQ(view.GrowRect(Coords(1, 1, 358, 178), 2, 2), Coords(0, 0, 359, 179));
    EXPECT_EQ(TEarthView::UnionRects(Coords(5, 6, 7, 8), Coords(1, 9, 3, 20)), Coords(1, 6, 7, 20));
    // The visible part of a 36 x 26 icon centred near each corner.
    EXPECT_EQ(view.IconSourceRect(5, 4, 18, 13), Coords(13, 9, 36, 26));
    EXPECT_EQ(view.IconSourceRect(355, 175, 18, 13), Coords(0, 0, 22, 17));
    EXPECT_EQ(view.IconSourceRect(100, 100, 18, 13), Coords(0, 0, 36, 26));
    EXPECT_DOUBLE_EQ(TEarthView::CosineTable()[90], 0.0);
    EXPECT_DOUBLE_EQ(TEarthView::CosineTable()[60], 0.5);
    EXPECT_DOUBLE_EQ(TEarthView::CosineTable()[360], 1.0);
}

TEST_F(EarthViewTest, FindObjectAtHoldsLeftAndTopEdgesOnly)
{
    auto* sat = MakeSat(Noaa18);
    view.Satellites.Add(sat);
    sat->IconRect = Coords(10, 20, 30, 40);
    view.Moon->IconRect = Coords(25, 35, 50, 60);
    const struct {
        int x, y;
        TSat* expected;
    } cases[] = {
        {10, 20, sat}, {29, 34, sat}, {9, 20, nullptr}, {10, 19, nullptr},
        {30, 25, nullptr}, {15, 40, nullptr},
        {29, 39, view.Moon.get()},  // the moon comes before the satellites
        {49, 59, view.Moon.get()}, {50, 59, nullptr},
    };
    view.Modes = evMoon;
    for (const auto& c : cases)
        EXPECT_EQ(view.FindObjectAt(c.x, c.y), c.expected) << c.x << "," << c.y;
    view.Modes = 0;
    EXPECT_EQ(view.FindObjectAt(29, 39), sat) << "a hidden moon is not hit";
}

TEST_F(EarthViewTest, HintTexts)
{
    TSat& sun = *view.Sun;
    sun.SunAzimuth = 123.456;
    sun.SunElevation = -7.5;
    sun.SunLongitude = -350;
    sun.SunLatitude = -12.34;
    EXPECT_EQ(view.GetHintText(&sun), "The Sun\nAz:123.46 El:-7.50\nLon: 10.00\nLat: -12.34");
    TSat& moon = *view.Moon;
    moon.MoonAzimuth = 10;
    moon.MoonElevation = 20.5;
    moon.Longitude = 200;  // the point under the moon
    moon.Latitude = 5;
    EXPECT_EQ(view.GetHintText(&moon), "The Moon\nAz:10.00 El:20.50\nLon: -160.00\nLat: 5.00");
    EXPECT_EQ(view.GetHintText(nullptr), "");

    auto dayNumber = [](int day, int h, int n, int s) {
        return DateTimeToDayNumber(EncodeDateTime(2021, 10, day, h, n, s));
    };
    TSat sat;
    std::snprintf(sat.Name, sizeof sat.Name, "NOAA 18");
    sat.Latitude = 45.5;
    sat.Longitude = 350;
    sat.Elevation = 12.5;
    sat.Azimuth = 200.25;
    sat.MaxElevation = 40;
    sat.LOS = dayNumber(31, 12, 34, 56);
    EXPECT_EQ(view.GetHintText(&sat), "NOAA 18\n45.50N 10.00W\nEl: 12.50\nAz: 200.25\nEl max: 40.00\nLOS: 12:34:56");
    sat.Elevation = 0;
    sat.AOS = dayNumber(31, 13, 0, 0);
    sat.TCA = dayNumber(31, 13, 6, 30);
    sat.LOS = dayNumber(31, 13, 13, 0);
    EXPECT_EQ(view.GetHintText(&sat),
              "NOAA 18\n45.50N 10.00W\nAOS: 13:00:00\nTCA: 13:06:30\nLOS: 13:13:00\nEl max: 40.00");
    // An AOS on another day than today carries its date.
    SetClock({QDate(2021, 10, 30), QTime(23, 0), Qt::UTC});
    EXPECT_EQ(view.GetHintText(&sat),
              "NOAA 18\n45.50N 10.00W\nAOS: Sun 31 Oct 2021 13:00:00\nTCA: 13:06:30\nLOS: 13:13:00\nEl max: 40.00");
    sat.AOS = 0;
    EXPECT_EQ(view.GetHintText(&sat), "NOAA 18\n45.50N 10.00W");
}

TEST_F(EarthViewTest, LonLatText)
{
    EXPECT_EQ(view.GetLonLatText(359, 179), "Lon: 179.0000 Lat: -89.0000") << "the last pixel";
    EXPECT_EQ(view.GetLonLatText(0, 0), "Lon: -180.0000 Lat: 90.0000");
    EXPECT_EQ(view.GetLonLatText(90, 45), "Lon: -90.0000 Lat: 45.0000");
    // One pixel beyond the map's right or bottom edge is off the map.
    EXPECT_EQ(view.GetLonLatText(360, 0), "");
    EXPECT_EQ(view.GetLonLatText(0, 180), "");
    EXPECT_EQ(view.GetLonLatText(0, -1), "");
    view.FreeBitmaps();
    EXPECT_EQ(view.GetLonLatText(10, 10), "") << "not ready";
}

TEST_F(EarthViewTest, RedrawDueAcrossATickWrap)
{
    view.DayNightStamp = view.SatelliteStamp = 0xFFFFFC18u;  // 1000 ms before the wrap
    tick = 2000;
    EXPECT_FALSE(view.IsRedrawDue()) << "3000 ms since the stamps";
    tick = 2001;
    EXPECT_TRUE(view.IsRedrawDue());
    view.SatelliteStamp = tick;
    EXPECT_FALSE(view.IsRedrawDue());
    view.FreeBitmaps();
    tick += kDayNightPeriodMs;
    EXPECT_FALSE(view.IsRedrawDue()) << "not ready";
}

TEST_F(EarthViewTest, BackgroundThatCannotBeReadKeepsTheOldOne)
{
    view.Modes = 0;
    const QString forged = testenv::ProgramDir() + "forged.png";
    const QString text = testenv::ProgramDir() + "notes.jpg";
    ASSERT_TRUE(fixtures::WriteBytes(forged, fixtures::ForgedPngHeader(200000, 200000)));
    ASSERT_TRUE(fixtures::WriteBytes(text, "not a picture at all"));
    for (const QString& bad : {QString(), testenv::ProgramDir() + "missing.png", forged, text}) {
        EXPECT_FALSE(view.LoadBackground(bad)) << bad.toStdString();
        ASSERT_TRUE(view.IsReady()) << bad.toStdString();
        EXPECT_EQ(view.GetMapSize(), QSize(360, 180));
        EXPECT_EQ(view.EarthImage, backgroundPath);
    }
}

TEST_F(EarthViewTest, PrepareNeedsBitmapsAndBindsTheStation)
{
    view.FreeBitmaps();
    EXPECT_FALSE(view.IsReady());
    EXPECT_FALSE(view.Prepare(&station, QFont()));
    ASSERT_TRUE(view.LoadBackground(backgroundPath));
    auto* sat = MakeSat(Noaa18);
    sat->IconRect = Coords(1, 2, 3, 4);
    view.Satellites.Add(sat);
    view.PassStamp = 5;
    ASSERT_TRUE(view.Prepare(&station, QFont()));
    EXPECT_EQ(view.StationLongitude, 25.0);
    EXPECT_EQ(view.StationLatitude, 60.0);
    EXPECT_EQ(view.StationName, "Home");
    EXPECT_EQ(sat->Station, &station);
    EXPECT_EQ(sat->IconRect, Coords(0, 0, 0, 0));
    EXPECT_EQ(view.PassStamp, 0u);
    EXPECT_EQ(view.DayNightStamp, tick) << "the first picture is shaded";
    EXPECT_TRUE(view.Modes & evRedrawAll);
}

class EarthViewDrawTest : public EarthViewTest {
protected:
    void SetUp() override
    {
        EarthViewTest::SetUp();
        sunIcon = QImage(32, 33, QImage::Format_ARGB32);
        sunIcon.fill(Qt::red);
        moonIcon = QImage(32, 32, QImage::Format_ARGB32);
        moonIcon.fill(Qt::gray);
        satIcon = MakeSatIcon();
        view.SunIcon = &sunIcon;
        view.MoonIcon = &moonIcon;
        view.SatIcon = &satIcon;
    }
    QImage sunIcon, moonIcon, satIcon;
};

TEST_F(EarthViewDrawTest, FullDrawShowsSunMoonStationAndSatellites)
{
    view.Satellites.Add(MakeSat(Noaa18));
    view.Satellites.Add(MakeSat(Noaa15));
    view.Modes = evDayNight | evSun | evMoon | evFootprintsAlways;
    ASSERT_TRUE(view.Prepare(&station, QFont()));
    QImage canvas = Canvas();
    view.Draw(canvas, false);
    EXPECT_FALSE(view.Modes & evRedrawAll);

    const QImage& work = *view.WorkImage;
    const QPoint sun(view.LonToX(TSat::NormalizeLongitude(view.Sun->SunLongitude)),
                     view.LatToY(view.Sun->SunLatitude));
    EXPECT_EQ(work.pixel(sun), QColor(Qt::red).rgb());
    EXPECT_EQ(view.Sun->IconRect, view.RectAround(sun.x(), sun.y(), 16, 16));
    const QPoint moon(view.LonToX(TSat::NormalizeLongitude(view.Moon->Longitude)),
                      view.LatToY(view.Moon->Latitude));
    EXPECT_EQ(work.pixel(moon), QColor(Qt::gray).rgb());
    EXPECT_EQ(work.pixel(view.LonToX(25) + 3, view.LatToY(60) + 3), Yellow) << "the station's cross";

    for (int i = 0; i < view.Satellites.Count; ++i) {
        const auto* sat = static_cast<const TSat*>(view.Satellites.Get(i));
        const QPoint at(view.LonToX(TSat::NormalizeLongitude(sat->Longitude)), view.LatToY(sat->Latitude));
        EXPECT_EQ(canvas.pixel(at), QColor(Qt::green).rgb()) << sat->Name;
        EXPECT_TRUE(sat->IconRect.contains(at)) << sat->Name;
        EXPECT_TRUE(sat->FootprintRect.contains(sat->IconRect)) << sat->Name;
        EXPECT_GT(sat->AOS, 0) << "passes were predicted";
    }
    // Outside the satellites' rectangles the canvas is the work image.
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x) {
            bool covered = false;
            for (int i = 0; i < view.Satellites.Count; ++i)
                covered |= static_cast<const TSat*>(view.Satellites.Get(i))->FootprintRect.contains(x, y);
            if (!covered)
                ASSERT_EQ(canvas.pixel(x, y), work.pixel(x, y)) << x << "," << y;
        }
}

TEST_F(EarthViewDrawTest, TheMoonIsDrawnOverThePointItStandsAbove)
{
    // The angle from the station to the point under the moon is the moon's
    // distance from the zenith there; its sky place on the ecliptic would
    // not be (at 10:30 UTC that lies some 170 degrees further east).
    view.Modes = evMoon;
    ASSERT_TRUE(view.Prepare(&station, QFont()));
    const double toRad = Pi / 180.0;
    for (const QTime& time : {QTime(10, 30), QTime(16, 30), QTime(22, 30)}) {
        SetClock({QDate(2021, 10, 31), time, Qt::UTC});
        view.DrawMoon();
        const TSat& moon = *view.Moon;
        const double lat = moon.Latitude * toRad, lon = moon.Longitude * toRad;
        const double stationLat = view.StationLatitude * toRad, stationLon = view.StationLongitude * toRad;
        const double angle = std::acos(std::sin(lat) * std::sin(stationLat) +
                                       std::cos(lat) * std::cos(stationLat) * std::cos(lon - stationLon));
        EXPECT_NEAR(90.0 - angle / toRad, moon.MoonElevation, 0.5) << time.toString().toStdString();
        const int x = view.LonToX(TSat::NormalizeLongitude(moon.Longitude)), y = view.LatToY(moon.Latitude);
        EXPECT_EQ(moon.IconRect, view.RectAround(x, y, 16, 16));
        EXPECT_EQ(view.WorkImage->pixel(x, y), QColor(Qt::gray).rgb());
    }
}

TEST_F(EarthViewDrawTest, SatellitesMoveAndTheirOldMarksAreRestored)
{
    view.Satellites.Add(MakeSat(Noaa18));
    view.Modes = evFootprintsAlways;
    ASSERT_TRUE(view.Prepare(&station, QFont()));
    QImage canvas = Canvas();
    view.Draw(canvas, true);
    auto* sat = static_cast<TSat*>(view.Satellites.Get(0));
    const QRect before = sat->FootprintRect;

    SetClock(QDateTime(QDate(2021, 10, 31), QTime(12, 20), Qt::UTC));
    tick += kSatellitePeriodMs - 1;
    view.Draw(canvas, false);
    EXPECT_EQ(sat->FootprintRect, before) << "3 s have not passed";
    tick += 1;
    view.Draw(canvas, false);
    ASSERT_NE(sat->FootprintRect, before);
    // Every pixel the old ring drew is restored, those on the map's last
    // column and row included.
    for (int y = 0; y < canvas.height(); ++y)
        for (int x = 0; x < canvas.width(); ++x)
            if (!sat->FootprintRect.contains(x, y))
                ASSERT_EQ(canvas.pixel(x, y), view.WorkImage->pixel(x, y)) << x << "," << y;
}

TEST_F(EarthViewDrawTest, WithoutSatelliteIconOrSatellitesOnlyTheWorkImageIsShown)
{
    view.Satellites.Add(MakeSat(Noaa18));
    view.SatIcon = nullptr;
    ASSERT_TRUE(view.Prepare(&station, QFont()));
    QImage canvas = Canvas();
    view.Draw(canvas, true);
    EXPECT_EQ(canvas, *view.WorkImage);
    EXPECT_EQ(static_cast<TSat*>(view.Satellites.Get(0))->IconRect, Coords(0, 0, 0, 0));

    view.ClearSatellites();
    EXPECT_EQ(view.Satellites.Count, 0);
    view.SatIcon = &satIcon;
    canvas = Canvas();
    view.Draw(canvas, true);
    EXPECT_EQ(canvas, *view.WorkImage);
}

TEST_F(EarthViewDrawTest, SatelliteWithoutRoomForItsNameGetsNoRing)
{
    // On the last row the name would start below the map.
    auto* sat = MakeSat(Noaa18);
    view.Satellites.Add(sat);
    view.Modes = evFootprintsAlways;
    ASSERT_TRUE(view.Prepare(&station, QFont()));
    QImage canvas = Canvas();
    // A moment when NOAA 18 is so far south (row 166 or below) that the
    // name, starting 13 rows below the satellite, would start on the last row.
    for (int minute = 0; minute < 102; ++minute) {
        SetClock(QDateTime(QDate(2021, 10, 31), QTime(12, 0), Qt::UTC).addSecs(60 * minute));
        sat->Time = DateTimeToDayNumber(0);
        sat->ComputePosition();
        if (view.LatToY(sat->Latitude) >= 166)
            break;
    }
    ASSERT_GE(view.LatToY(sat->Latitude), 166);
    view.Draw(canvas, true);
    EXPECT_EQ(sat->FootprintRect, Coords(0, 0, 0, 0));
    const int x = view.LonToX(TSat::NormalizeLongitude(sat->Longitude)), y = view.LatToY(sat->Latitude);
    EXPECT_EQ(sat->IconRect, view.RectAround(x, y, 18, 13)) << "the icon's rectangle, not grown";
}
