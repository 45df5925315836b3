// The swath's geometry scan line by scan line, on two real passes: the box
// holds the whole pass (across 180 degrees too), and each edge lies across
// the track's direction at its own moment, before and after a turn near 81 N.
#include "maps/SwathTrack.h"
#include "SwathPassFixture.h"

#include <cmath>
#include <gtest/gtest.h>

namespace {

constexpr double Rad = M_PI / 180;

// Initial great-circle bearing from one point to another, degrees from north.
double Bearing(double lat1, double lon1, double lat2, double lon2)
{
    const double dLon = (lon2 - lon1) * Rad;
    return std::atan2(std::sin(dLon) * std::cos(lat2 * Rad),
                      std::cos(lat1 * Rad) * std::sin(lat2 * Rad) -
                          std::sin(lat1 * Rad) * std::cos(lat2 * Rad) * std::cos(dLon)) /
           Rad;
}

double AngleBetween(double bearing1, double bearing2)
{
    return std::fabs(TSat::ReduceLongitude(bearing1 - bearing2));
}

}  // namespace

TEST(SwathTrack, TheBoxHoldsEverySubPointOfThePassAcross180DegreesToo)
{
    for (const swathpasses::Pass& pass : swathpasses::ReadPasses()) {
        TStation station;
        TSat sat;
        swathpasses::PredictPass(pass, station, sat);
        const TSwathBox box = swathtrack::PassBox(sat, pass.lonEast);
        const std::string name = pass.name.toStdString();
        // All longitudes only where the swath reaches over the pole.
        if (box.North < 85 && box.South > -85)
            EXPECT_LT(box.East - box.West, 60) << name << ": the box follows the pass, not the whole world";
        int inside = 0;
        for (const swathpasses::SubPoint& p : pass.points) {
            const double lon = swathtrack::LongitudeNear(p.lonEast, (box.West + box.East) / 2);
            const bool in = lon >= box.West && lon <= box.East && p.lat >= box.South && p.lat <= box.North;
            EXPECT_TRUE(in) << name << ": " << p.lat << " " << p.lonEast << " outside " << box.West << ".."
                            << box.East << " " << box.South << ".." << box.North;
            inside += in;
        }
        EXPECT_GT(inside, 50) << name;
    }
}

TEST(SwathTrack, EachEdgeLiesAcrossTheTrackAtItsOwnMoment)
{
    for (const swathpasses::Pass& pass : swathpasses::ReadPasses()) {
        TStation station;
        TSat sat;
        swathpasses::PredictPass(pass, station, sat);
        std::vector<TScanLine> lines;
        std::vector<std::array<double, 4>> edges;  // lat, lon at +angle; lat, lon at -angle
        swathtrack::ForEachScanLine(sat, [&](const TScanLine& line) {
            lines.push_back(line);
            std::array<double, 4> e{};
            sat.ComputeScanPoint(swathtrack::kHalfAngleDeg, e[1], e[0], line.PlusSide());
            sat.ComputeScanPoint(-swathtrack::kHalfAngleDeg, e[3], e[2], line.MinusSide());
            edges.push_back(e);
        });
        ASSERT_GT(lines.size(), 100u);
        int northbound = 0;
        for (size_t i = 0; i + 1 < lines.size(); ++i) {
            const TScanLine& a = lines[i];
            const TScanLine& b = lines[i + 1];
            northbound += a.Northbound;
            const double heading = Bearing(a.Lat, a.Lon, b.Lat, b.Lon);
            const double plus = Bearing(a.Lat, a.Lon, edges[i][0], edges[i][1]);
            const double minus = Bearing(a.Lat, a.Lon, edges[i][2], edges[i][3]);
            // The scan geometry ignores the earth's turning: a few degrees.
            EXPECT_NEAR(AngleBetween(plus, heading), 90, 10) << pass.name.toStdString() << " line " << i;
            EXPECT_NEAR(AngleBetween(minus, heading), 90, 10) << pass.name.toStdString() << " line " << i;
            EXPECT_NEAR(AngleBetween(plus, minus), 180, 10) << pass.name.toStdString() << " line " << i;
        }
        if (pass.name == "Tromso") {
            EXPECT_GT(northbound, 10) << "the track runs north before it turns";
            EXPECT_LT(northbound, static_cast<int>(lines.size()) - 10) << "and south after";
        }
    }
}
