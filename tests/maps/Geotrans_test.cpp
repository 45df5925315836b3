// The projection wrapper against PROJ's own command-line tool (the table of
// tests/tools/make_projection_table.py), and the settings it refuses.
#include "maps/Geotrans.h"
#include "support/TestEnv.h"

#include <QFile>
#include <QTextStream>
#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr double Rad = M_PI / 180.0;

struct Row {
    int index;
    double stationLat, stationLon, lon, lat, easting, northing;
};

std::vector<Row> ReferenceRows()
{
    std::vector<Row> rows;
    QFile file(testenv::FixturePath("maps/projections.txt"));
    EXPECT_TRUE(file.open(QIODevice::ReadOnly)) << file.fileName().toStdString();
    QTextStream in(&file);
    while (!in.atEnd()) {
        const QString line = in.readLine();
        if (line.startsWith('#') || line.trimmed().isEmpty())
            continue;
        QTextStream fields(const_cast<QString*>(&line), QIODevice::ReadOnly);
        Row r;
        fields >> r.index >> r.stationLat >> r.stationLon >> r.lon >> r.lat >> r.easting >> r.northing;
        rows.push_back(r);
    }
    return rows;
}

}  // namespace

TEST(Geotrans, EveryProjectionMatchesProj)
{
    const std::vector<Row> rows = ReferenceRows();
    ASSERT_EQ(rows.size(), 24u * 4);
    TGeotrans geotrans;
    for (const Row& r : rows) {
        ASSERT_TRUE(geotrans.SetProjection(r.stationLat * Rad, r.stationLon * Rad, 0, 0, r.index)) << r.index;
        EXPECT_EQ(geotrans.Projection, r.index);
        double e = 0, n = 0;
        ASSERT_TRUE(geotrans.Convert(r.lon * Rad, r.lat * Rad, e, n, r.index))
            << TGeotrans::ProjectionName(r.index).toStdString() << " at " << r.stationLat;
        EXPECT_NEAR(e, r.easting, 0.01) << TGeotrans::ProjectionName(r.index).toStdString() << " at " << r.stationLat;
        EXPECT_NEAR(n, r.northing, 0.01) << TGeotrans::ProjectionName(r.index).toStdString() << " at " << r.stationLat;
    }
}

TEST(Geotrans, InvalidIndexFailsEverything)
{
    TGeotrans geotrans;
    TGeotransParams params;
    double e = 0, n = 0;
    for (int index : {-1, 24}) {
        EXPECT_FALSE(TGeotrans::IsValidProjection(index));
        EXPECT_FALSE(geotrans.GetParameters(params, index));
        EXPECT_FALSE(geotrans.SetParameters(params, index));
        EXPECT_FALSE(geotrans.SetProjection(0, 0, 0, 0, index));
        EXPECT_FALSE(geotrans.Convert(0, 0, e, n, index));
        EXPECT_EQ(geotrans.LastError, gtInvalidIndex);
    }
    EXPECT_EQ(geotrans.Projection, -1);
    EXPECT_TRUE(TGeotrans::IsValidProjection(0));
    EXPECT_TRUE(TGeotrans::IsValidProjection(23));
    EXPECT_EQ(TGeotrans::ProjectionName(16), "Orthographic");
}

TEST(Geotrans, RefusalsOfTheProjections)
{
    TGeotrans geotrans;
    double e = 0, n = 0;
    // Oblique Mercator: a centre line starting on the equator, on one
    // parallel, or across the equator.
    const struct {
        const char* name;
        double lat1, lat2;
    } lines[] = {{"from the equator", 0, 40}, {"one parallel", 40, 40}, {"across the equator", -10, 30}};
    TGeotransParams params;
    ASSERT_TRUE(geotrans.GetParameters(params, 15));
    for (const auto& line : lines) {
        params.Latitude1 = line.lat1 * Rad;
        params.Latitude2 = line.lat2 * Rad;
        EXPECT_FALSE(geotrans.SetParameters(params, 15)) << line.name;
        EXPECT_EQ(geotrans.LastError, gtRefused) << line.name;
    }
    params.Latitude1 = -50 * Rad;
    params.Latitude2 = -30 * Rad;
    EXPECT_TRUE(geotrans.SetParameters(params, 15)) << "both points south";

    // Universal Polar Stereographic: only poleward of 83.5 N and 79.5 S.
    ASSERT_TRUE(geotrans.SetProjection(85 * Rad, 0, 0, 0, 0));
    EXPECT_TRUE(geotrans.Convert(0, 83.6 * Rad, e, n, 0));
    EXPECT_FALSE(geotrans.Convert(0, 83.4 * Rad, e, n, 0));
    EXPECT_TRUE(geotrans.Convert(0, -79.6 * Rad, e, n, 0));
    EXPECT_FALSE(geotrans.Convert(0, -79.4 * Rad, e, n, 0));
    EXPECT_EQ(geotrans.LastError, gtConversion);

    // Polar stereographic keeps to the hemisphere of its true scale.
    ASSERT_TRUE(geotrans.SetProjection(60 * Rad, 10 * Rad, 0, 0, 17));
    TGeotransParams polar;
    ASSERT_TRUE(geotrans.GetParameters(polar, 17));
    EXPECT_DOUBLE_EQ(polar.OriginLatitude, 60 * Rad) << "the station's latitude is the latitude of true scale";
    EXPECT_TRUE(geotrans.Convert(10 * Rad, 1 * Rad, e, n, 17));
    EXPECT_FALSE(geotrans.Convert(10 * Rad, -1 * Rad, e, n, 17));

    // The far side of an orthographic globe does not project.
    ASSERT_TRUE(geotrans.SetProjection(50 * Rad, 10 * Rad, 0, 0, 16));
    EXPECT_FALSE(geotrans.Convert(-170 * Rad, -50 * Rad, e, n, 16));
    // Transverse Mercator far from its central meridian still converts.
    ASSERT_TRUE(geotrans.SetProjection(50 * Rad, 10 * Rad, 0, 0, 22));
    EXPECT_TRUE(geotrans.Convert(60 * Rad, 50 * Rad, e, n, 22));
}

TEST(Geotrans, SettingKeepsTheOtherParameters)
{
    TGeotrans geotrans;
    TGeotransParams params;
    ASSERT_TRUE(geotrans.GetParameters(params, 22));
    params.ScaleFactor = 0.9996;
    ASSERT_TRUE(geotrans.SetParameters(params, 22));
    ASSERT_TRUE(geotrans.SetProjection(0, 9 * Rad, 500000, 0, 22));
    TGeotransParams back;
    ASSERT_TRUE(geotrans.GetParameters(back, 22));
    EXPECT_DOUBLE_EQ(back.ScaleFactor, 0.9996);
    EXPECT_DOUBLE_EQ(back.CentralMeridian, 9 * Rad);
    EXPECT_DOUBLE_EQ(back.FalseEasting, 500000);
    double e = 0, n = 0;
    // UTM zone 32 on the equator at 9 E: easting 500 km, northing 0.
    ASSERT_TRUE(geotrans.Convert(9 * Rad, 0, e, n, 22));
    EXPECT_NEAR(e, 500000, 0.001);
    EXPECT_NEAR(n, 0, 0.001);
}
