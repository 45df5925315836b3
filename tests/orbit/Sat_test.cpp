#include "orbit/Sat.h"

#include <cmath>
#include <cstring>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

using orbitmath::ToRadians;

namespace {

const char* const Noaa18Line1 =
    "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990";
const char* const Noaa18Line2 =
    "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778";

void LoadNoaa18(TSat& sat)
{
    char name[] = "NOAA 18";
    ASSERT_TRUE(sat.ParseTLE(name, Noaa18Line1, Noaa18Line2));
}

double EpochDayNumber(const TSat& sat)
{
    return TSat::DayNumberOfDate(1, 0, sat.EpochYear) + sat.EpochDay;
}

}  // namespace

TEST(Sat, NoaaCalibrationIndex)
{
    struct Case { const char* name; int index; };
    const Case cases[] = {{"NOAA 12", 0}, {"NOAA-14", 1}, {"NOAA 15", 2}, {"NOAA-17", 3},
                          {"NOAA 18", 4}, {"NOAA 19", -1}, {"noaa 18", -1}, {"NOAA 18 ", -1},
                          {"METEOR", -1}, {"", -1}};
    for (const Case& c : cases)
        EXPECT_EQ(TSat::GetNOAAIndex(c.name), c.index) << c.name;
    EXPECT_EQ(TSat::GetNOAAIndex(nullptr), -1);
}

TEST(Sat, GeostationaryAndRising)
{
    struct Case { double meanMotion, eccentricity; bool geostationary; };
    const Case cases[] = {{1.0025, 0, true}, {2.0, 0.74, true}, {2.0, 0, false},
                          {14.1, 0.001, false}, {0, 0, true}};
    for (const Case& c : cases) {
        TSat sat;
        sat.MeanMotion = c.meanMotion;
        sat.Eccentricity = c.eccentricity;
        EXPECT_EQ(sat.IsGeostationary(), c.geostationary) << c.meanMotion << " " << c.eccentricity;
    }
    TSat leo;
    leo.MeanMotion = 15.5;
    leo.Inclination = 10;
    EXPECT_TRUE(leo.CanEverRise(ToRadians(20)));
    EXPECT_FALSE(leo.CanEverRise(ToRadians(60)));
    leo.Inclination = 170;  // retrograde counts like 10 degrees
    EXPECT_FALSE(leo.CanEverRise(ToRadians(60)));
    leo.MeanMotion = 0;
    EXPECT_FALSE(leo.CanEverRise(0));
}

TEST(Sat, DecayDates)
{
    TSat sat;
    LoadNoaa18(sat);
    const double epoch = EpochDayNumber(sat);
    // (16.67 - 14.13) / (10 x 1.19e-6) days after the epoch: far beyond 2038.
    EXPECT_DOUBLE_EQ(sat.GetDecayDate(0), epoch + (16.666666666666668 - sat.MeanMotion) / (10 * 0.00000119));
    EXPECT_EQ(sat.GetDecayText(0), "N/A");
    EXPECT_FALSE(sat.IsDecayed(epoch + 10));

    sat.DecayRate = 0.01;  // decays about 25 days after its epoch
    EXPECT_FALSE(sat.IsDecayed(epoch + 20));
    EXPECT_TRUE(sat.IsDecayed(epoch + 30));
    EXPECT_EQ(sat.GetDecayText(0), TSat::DayNumberToText(sat.GetDecayDate(0), 12) + " UTC");
    sat.APTSatellite = 1;  // an active APT satellite is never counted as decayed
    EXPECT_FALSE(sat.IsDecayed(epoch + 30));
    sat.APTSatellite = 0;

    // A rate of zero or below is no decay: not decayed from the epoch on.
    for (double rate : {0.0, -0.00000084}) {
        sat.DecayRate = rate;
        EXPECT_FALSE(sat.IsDecayed(epoch + 1)) << rate;
        EXPECT_FALSE(sat.IsDecayed(epoch + 3650)) << rate;
        EXPECT_EQ(sat.GetDecayText(0), "N/A") << rate;
    }
}

TEST(Sat, PredictabilityScreensBadElements)
{
    TSat sat;
    LoadNoaa18(sat);
    const double day = EpochDayNumber(sat) + 1;
    EXPECT_TRUE(sat.IsPredictable(ToRadians(52), day, 1));
    EXPECT_TRUE(sat.IsPredictable(ToRadians(52), day, 0));

    struct Case { const char* name; double eccentricity, meanMotion; };
    const Case cases[] = {{"parabolic", 1.0, 14}, {"hyperbolic", 1.2, 14},
                          {"negative eccentricity", -0.1, 14}, {"no mean motion", 0.001, 0},
                          {"negative mean motion", 0.001, -3}};
    for (const Case& c : cases) {
        TSat bad;
        LoadNoaa18(bad);
        bad.Eccentricity = c.eccentricity;
        bad.MeanMotion = c.meanMotion;
        bad.PrepareElements();
        EXPECT_FALSE(bad.IsPredictable(ToRadians(52), day, 1)) << c.name;
        EXPECT_TRUE(bad.IsFlagSet(SatBadElements)) << c.name;
        EXPECT_FALSE(bad.IsPredictable(ToRadians(52), day, 0)) << c.name;
        TStation station;
        bad.SetStation(&station);
        bad.Time = day;
        bad.ComputePosition();
        EXPECT_NE(bad.PropagationError, PropOk) << c.name;
        EXPECT_EQ(bad.Elevation, -90) << c.name;
        EXPECT_TRUE(std::isfinite(bad.Latitude) && std::isfinite(bad.Longitude) &&
                    std::isfinite(bad.Range) && std::isfinite(bad.Footprint)) << c.name;
    }
    EXPECT_FALSE(sat.IsPredictable(0, day, 2)) << "an unknown mode answers false";
}

TEST(Sat, StationBindingAndText)
{
    TStation station;
    station.Name = QString::fromUtf8("Växjö Station");
    station.Latitude = 56.88;
    station.Longitude = -14.81;  // east
    station.Altitude = 165;
    TSat sat;
    sat.SetStation(&station);
    EXPECT_EQ(sat.Station, &station);
    EXPECT_DOUBLE_EQ(sat.StationGeodetic.Latitude, 56.88 * DegreesToRadians);
    EXPECT_DOUBLE_EQ(sat.StationGeodetic.Longitude, 14.81 * DegreesToRadians);
    EXPECT_DOUBLE_EQ(sat.StationGeodetic.Altitude, 0.165);
    EXPECT_EQ(sat.GetStationText(0), QString::fromUtf8("Växjö Station 56.88N 14.81E Altitude 165 m"));
    EXPECT_EQ(sat.GetStationText(1), "Vaxjo Station 56.88N 14.81E Altitude 165 m");
    station.Name.clear();
    station.Latitude = -33.9;
    station.Longitude = 18.07;  // west
    sat.SetStation(&station);
    EXPECT_EQ(sat.GetStationText(0), "33.9S 18.07W Altitude 165 m");
}

TEST(Sat, CopiesTakeTheSetThePassAndTheStationValues)
{
    TStation station;
    station.Name = "Home";
    station.Latitude = 52;
    TSat source;
    LoadNoaa18(source);
    source.SetStation(&station);
    source.Group = "Weather";
    source.Downlink = "137.9125";
    source.APTSatellite = 1;
    source.AOS = 15280.5;
    source.TCA = 15280.503;
    source.LOS = 15280.51;
    source.MaxElevation = 42;
    source.WindowStart = 15280.501;
    source.WindowStop = 15280.509;
    source.Northbound = 1;
    source.Scheduled = 1;
    source.FileBaseName = "211031_120000_NOAA_18";
    source.Time = 15280.5;
    source.ComputePosition();

    const auto same = [&](const TSat& copy) {
        EXPECT_STREQ(copy.Name, "NOAA 18");
        EXPECT_STREQ(copy.Line1, source.Line1);
        EXPECT_STREQ(copy.Line2, source.Line2);
        EXPECT_EQ(copy.MeanMotion, source.MeanMotion);
        EXPECT_EQ(copy.Group, "Weather");
        EXPECT_EQ(copy.Downlink, "137.9125");
        EXPECT_EQ(copy.APTSatellite, 1);
        EXPECT_EQ(copy.AOS, source.AOS);
        EXPECT_EQ(copy.TCA, source.TCA);
        EXPECT_EQ(copy.LOS, source.LOS);
        EXPECT_EQ(copy.MaxElevation, 42);
        EXPECT_EQ(copy.WindowStart, source.WindowStart);
        EXPECT_EQ(copy.WindowStop, source.WindowStop);
        EXPECT_EQ(copy.Northbound, 1);
        EXPECT_EQ(copy.Scheduled, 1);
        EXPECT_EQ(copy.FileBaseName, source.FileBaseName);
        EXPECT_EQ(copy.StationName, "Home");
        EXPECT_EQ(copy.StationGeodetic.Latitude, source.StationGeodetic.Latitude);
        EXPECT_EQ(copy.Station, nullptr) << "the station pointer is not copied";
        EXPECT_EQ(copy.Time, 0) << "the time is set by the first search";
        EXPECT_TRUE(copy.IsFlagSet(SatPrepared));
    };
    const TSat copy(source);
    same(copy);
    TSat assigned;
    char other[] = "OTHER";
    ASSERT_TRUE(assigned.ParseTLE(other, Noaa18Line1, Noaa18Line2));
    assigned = source;
    same(assigned);
    assigned = TSat();  // an empty satellite leaves nothing of the old one
    EXPECT_STREQ(assigned.Name, "");
    EXPECT_EQ(assigned.Group, "");
    EXPECT_EQ(assigned.MeanMotion, 0);

    // A pass read from a file without its element set keeps its name in copies.
    TSat nameOnly;
    std::snprintf(nameOnly.Name, sizeof nameOnly.Name, "%s", "NOAA 19");
    nameOnly.Downlink = "137.1";
    const TSat nameCopy(nameOnly);
    EXPECT_STREQ(nameCopy.Name, "NOAA 19");
    EXPECT_EQ(nameCopy.Downlink, "137.1");
    EXPECT_FALSE(nameCopy.IsFlagSet(SatPrepared)) << "no orbit without an element set";

    // The copy computes the same positions on its own.
    TSat again(source);
    again.Time = source.Time;
    again.ComputePosition();
    EXPECT_EQ(again.Latitude, source.Latitude);
    EXPECT_EQ(again.Longitude, source.Longitude);
}

TEST(Sat, DayNumberTexts)
{
    const double day = 15136 + 37094.0 / 86400;  // 9 June 2021 10:18:14 UTC
    EXPECT_EQ(TSat::DayNumberToText(day, 12), "Wed 9 Jun 2021 10:18:14");
    EXPECT_EQ(TSat::DayNumberToText(day, 40), "210609_101814");
    EXPECT_EQ(TSat::DayNumberToText(day, 0), "N/A");
    EXPECT_EQ(TSat::DayNumberToText(day, 8), "N/A");
    const double today = TSat::CurrentDayNumber();
    const QString localTime = TSat::DayNumberToText(today, 18);
    EXPECT_EQ(TSat::DayNumberToText(today, 17), localTime) << "today: the local time alone";
    EXPECT_EQ(localTime.size(), 8);
    EXPECT_EQ(TSat::DayNumberToText(today - 3, 17),
              FormatDateTime("ddd d mmm yyyy hh:nn:ss", UTCToLocal(TSat::DayNumberToDateTime(today - 3))))
        << "another day: the local long date";
    EXPECT_TRUE(TSat::IsSameDate(day, EncodeDateTime(2021, 6, 9, 23, 59, 59)));
    EXPECT_FALSE(TSat::IsSameDate(day, EncodeDateTime(2021, 6, 10)));
    EXPECT_EQ(TSat::DayNumberToDateTime(0), EncodeDateTime(1979, 12, 31));
}

TEST(Sat, OrbitGridCells)
{
    TSat sat;
    LoadNoaa18(sat);
    const QStringList cells = sat.OrbitGridCells();
    ASSERT_EQ(cells.size(), OrbitGridRows - 1);
    EXPECT_EQ(cells[0], "NOAA 18");
    EXPECT_EQ(cells[1], "28654");
    EXPECT_EQ(cells[4], "21 304.72123285");
    EXPECT_EQ(cells[6], "98.9797 deg");
    EXPECT_EQ(cells[8], "0.001337");
    EXPECT_EQ(cells[11], "14.12652139 rev/day");
    EXPECT_EQ(cells[14], "8.8668e-05 1/earth radii");
    EXPECT_EQ(cells[18], QString::asprintf("%.4f mins", 1440 / 14.12652139));
    EXPECT_EQ(cells[20], "N/A");
    const double a = sat.SemiMajorAxis();
    EXPECT_NEAR(a, 7228.376, 0.001);
    EXPECT_EQ(cells[16], QString::asprintf("%.4f km", 1.001337 * a - 6378.135));
}
