// Recording windows by elevation and by path loss, the tracker's tests, the
// recording's length and file name, and the bounds of the searches.
#include "PassFixtures.h"
#include "shell/Setting.h"

#include <cmath>
#include <gtest/gtest.h>
#include <vector>

using namespace passfixtures;

namespace {

struct Found {
    double day;  // a moment before the pass
    double aos, tca, los, maxElevation;
    bool northbound;
};

// The passes of a satellite over a station from start on, for two days.
std::vector<Found> Passes(const SetLines& set, TStation& station, double start)
{
    TSat sat;
    Load(sat, set);
    std::vector<Found> out;
    for (double t = start; sat.PredictPass(&station, t, 0) && sat.AOS < start + 2;
         t = sat.LOS + 60 * Second)
        if (sat.AOS >= t)
            out.push_back({t, sat.AOS, sat.TCA, sat.LOS, sat.MaxElevation, sat.Northbound != 0});
    return out;
}

const Found* FirstPass(const std::vector<Found>& passes, double minDeg, double maxDeg, int northbound = -1)
{
    for (const Found& p : passes)
        if (p.maxElevation >= minDeg && p.maxElevation < maxDeg &&
            (northbound < 0 || p.northbound == (northbound == 1)))
            return &p;
    return nullptr;
}

double ElevationAt(TSat& sat, double day)
{
    sat.Time = day;
    sat.ComputePosition();
    return sat.Elevation;
}

TSetting Thresholds(int passModes)
{
    TSetting s;
    s.PassModes = passModes;
    s.PassElev = 30;
    s.AOSElev = 10;
    s.LOSElev = 5;
    s.AOSPathLoss = 143;
    s.LOSPathLoss = 143.5;
    s.Duration = 60;
    s.IRSunEle = 0;
    return s;
}

class PassSearch : public ::testing::Test {
protected:
    TStation berlin = Station(52.52, 13.40, 34.0, "Berlin");
    std::vector<Found> passes = Passes(Noaa18, berlin, Day(2021, 10, 31));
};

}  // namespace

TEST_F(PassSearch, WithoutThresholdsTheWindowIsTheWholePass)
{
    ASSERT_GT(passes.size(), 6u);
    const Found& p = passes.front();
    TSat sat;
    ASSERT_TRUE(Load(sat, Noaa18, "137.9125"));
    TSetting settings = Thresholds(0);
    ASSERT_TRUE(sat.PredictRecordingWindow(&berlin, &settings, p.day));
    EXPECT_EQ(sat.WindowStart, p.aos);
    EXPECT_EQ(sat.WindowStop, p.los);
    EXPECT_EQ(sat.Scheduled, 1);
    // The tracker: open while the satellite is up, closed once it has set.
    ElevationAt(sat, p.tca);
    EXPECT_TRUE(sat.IsWindowOpen(&settings, p.aos));
    EXPECT_FALSE(sat.IsWindowClosed(&settings, p.los + 600 * Second));
    ElevationAt(sat, p.los + 30 * Second);
    EXPECT_FALSE(sat.IsWindowOpen(&settings, p.tca));
    EXPECT_TRUE(sat.IsWindowClosed(&settings, p.tca));
    EXPECT_TRUE(sat.IsPassOver());
}

TEST_F(PassSearch, ElevationThresholdsAndTheLeastMaximum)
{
    const Found* low = FirstPass(passes, 5, 29);
    const Found* high = FirstPass(passes, 40, 90);
    ASSERT_TRUE(low && high);
    TSat sat;
    ASSERT_TRUE(Load(sat, Noaa18, "137.9125"));

    TSetting byElevation = Thresholds(0x1 | 0x2);
    EXPECT_FALSE(sat.PredictRecordingWindow(&berlin, &byElevation, low->day))
        << "a pass below PassElev is refused";
    EXPECT_EQ(sat.Scheduled, 0);

    TSetting lowByPathLoss = Thresholds(0x1 | 0x2 | 0x4);
    lowByPathLoss.AOSPathLoss = lowByPathLoss.LOSPathLoss = 144.5;  // a low pass is far away
    ASSERT_TRUE(sat.PredictRecordingWindow(&berlin, &lowByPathLoss, low->day))
        << "with bit 2 it is windowed by path loss";
    sat.Time = sat.WindowStart;
    sat.ComputePosition();
    EXPECT_GT(sat.GetPathLoss(), 0);
    EXPECT_LE(sat.GetPathLoss(), 144.5);

    // The least maximum is inclusive: PassElev at the pass's whole degrees.
    byElevation.PassElev = static_cast<int>(std::floor(high->maxElevation));
    ASSERT_TRUE(sat.PredictRecordingWindow(&berlin, &byElevation, high->day));
    const double start = sat.WindowStart, stop = sat.WindowStop;
    EXPECT_GE(ElevationAt(sat, start), 10 - 0.03);
    EXPECT_LT(ElevationAt(sat, start - Second), 10 - 0.03) << "the first second at 10 deg";
    EXPECT_GE(ElevationAt(sat, stop), 5 - 0.03);
    EXPECT_LT(ElevationAt(sat, stop + Second), 5 - 0.03) << "the last second at 5 deg";
    byElevation.PassElev += 1;
    EXPECT_FALSE(sat.PredictRecordingWindow(&berlin, &byElevation, high->day));
}

TEST_F(PassSearch, NorthSouthSwapsTheThresholdsOfANorthboundPass)
{
    TSetting settings = Thresholds(0x1 | 0x2 | 0x8);
    settings.AOSElev = 20;
    settings.LOSElev = 5;
    settings.PassElev = 0;
    for (int northbound : {1, 0}) {
        const Found* p = FirstPass(passes, 35, 90, northbound);
        ASSERT_NE(p, nullptr);
        TSat sat;
        ASSERT_TRUE(Load(sat, Noaa18));
        ASSERT_TRUE(sat.PredictRecordingWindow(&berlin, &settings, p->day));
        const double startDeg = northbound ? 5 : 20, stopDeg = northbound ? 20 : 5;
        EXPECT_NEAR(ElevationAt(sat, sat.WindowStart), startDeg, 0.6) << "northbound " << northbound;
        EXPECT_NEAR(ElevationAt(sat, sat.WindowStop), stopDeg, 0.6) << "northbound " << northbound;
    }
}

TEST_F(PassSearch, PathLossWindowsAndMissingDownlink)
{
    const Found* p = FirstPass(passes, 30, 90);
    ASSERT_NE(p, nullptr);
    TSat sat;
    ASSERT_TRUE(Load(sat, Noaa18, "137.9125"));
    TSetting settings = Thresholds(0x1);
    ASSERT_TRUE(sat.PredictRecordingWindow(&berlin, &settings, p->day));
    const double start = sat.WindowStart, stop = sat.WindowStop;
    EXPECT_GT(start, p->aos);
    EXPECT_LT(stop, p->los);
    const auto lossAt = [&](double day) {
        ElevationAt(sat, day);
        return sat.GetPathLoss();
    };
    EXPECT_LE(lossAt(start), 143.0);
    EXPECT_GT(lossAt(start - Second), 143.0);
    EXPECT_LE(lossAt(stop), 143.5);
    EXPECT_GT(lossAt(stop + Second), 143.5);
    // Free-space loss of 137.9125 MHz over the range.
    const double atTca = lossAt(p->tca);
    EXPECT_NEAR(atTca, 32.4 + 20 * std::log10(137.9125) + 20 * std::log10(sat.Range), 1e-9);
    EXPECT_EQ(lossAt(p->los + 60 * Second), 0) << "below the horizon";

    TSat silent;
    ASSERT_TRUE(Load(silent, Noaa18));
    ASSERT_TRUE(silent.PredictRecordingWindow(&berlin, &settings, p->day));
    EXPECT_EQ(silent.WindowStart, p->aos) << "no downlink: the path-loss window is the pass";
    EXPECT_EQ(silent.WindowStop, p->los);
    EXPECT_EQ(silent.GetPathLoss(), 0);
}

TEST_F(PassSearch, WindowInProgressAndLeastDuration)
{
    const Found* p = FirstPass(passes, 30, 90);
    ASSERT_NE(p, nullptr);
    TSat sat;
    ASSERT_TRUE(Load(sat, Noaa18));
    TSetting settings = Thresholds(0x1 | 0x2);
    settings.PassElev = 0;
    ASSERT_TRUE(sat.PredictRecordingWindow(&berlin, &settings, p->day));
    const int seconds = sat.GetRecordingSeconds();
    const double thresholdStart = sat.WindowStart;

    // Asked in the middle of the window: it opens now.
    const double now = p->tca;
    ASSERT_TRUE(sat.PredictRecordingWindow(&berlin, &settings, now));
    EXPECT_EQ(sat.WindowStart, now);
    EXPECT_GT(sat.WindowStart, thresholdStart);

    settings.Duration = seconds + 1;
    EXPECT_FALSE(sat.PredictRecordingWindow(&berlin, &settings, p->day)) << "one second short";
    EXPECT_EQ(sat.Scheduled, 0);
    settings.Duration = seconds;
    EXPECT_TRUE(sat.PredictRecordingWindow(&berlin, &settings, p->day));
}

TEST_F(PassSearch, PassInProgressTcaAndGrazes)
{
    const Found& p = passes.front();
    TSat sat;
    ASSERT_TRUE(Load(sat, Noaa18));
    const double upAt = p.tca - 60 * Second;
    const double aos = sat.PredictNextAOS(&berlin, TSat::DayNumberToDateTime(upAt));
    EXPECT_NEAR(aos, p.aos, Second) << "the AOS of the pass in progress, before the moment";
    EXPECT_LT(aos, upAt);

    // The TCA is the first second no higher than the one before.
    ASSERT_GT(sat.PredictTCA(p.aos), 0);
    const double tca = sat.TCA, top = sat.MaxElevation;
    EXPECT_EQ(ElevationAt(sat, tca - Second), top);
    EXPECT_LE(ElevationAt(sat, tca), top);
    EXPECT_LT(ElevationAt(sat, tca - 2 * Second), top);

    // The same as a walk in whole seconds from the AOS, pass after pass.
    for (const Found& f : passes) {
        TSat walker;
        ASSERT_TRUE(Load(walker, Noaa18));
        walker.SetStation(&berlin);
        int k = 0;
        double highest = ElevationAt(walker, f.aos);
        while (k < 1800 && ElevationAt(walker, f.aos + (k + 1) * Second) > highest) {
            highest = walker.Elevation;
            ++k;
        }
        sat.PredictTCA(f.aos);
        EXPECT_NEAR(sat.TCA, f.aos + std::min(k + 1, 1800) * Second, 1e-9) << "pass at " << f.aos;
        EXPECT_NEAR(sat.MaxElevation, highest, 1e-9) << "pass at " << f.aos;
    }

    // NOAA 18 comes within 0.02 deg of Singapore's horizon without rising
    // at day 15280.049; the search goes on to the pass after it.
    TStation singapore = Station(1.35, 103.82, 15.0);
    ASSERT_TRUE(sat.PredictPass(&singapore, 15280.0, 0));
    EXPECT_NEAR(sat.AOS, 15280.11366, 2 * Second);
    EXPECT_NEAR(sat.MaxElevation, 63.77, 0.05);
}

TEST(PassSearchBounds, NeverSettingSatelliteHasNoLOS)
{
    // Meteosat 8 over the point below it: up for ever.
    TSat sat;
    ASSERT_TRUE(Load(sat, Meteosat8));
    TStation below = Station(0, 41.5, 0);
    sat.SetStation(&below);
    sat.Time = Day(2021, 11, 1);
    sat.ComputePosition();
    ASSERT_GT(sat.Elevation, 45);
    EXPECT_EQ(sat.SearchLOS(), 0);
    EXPECT_EQ(sat.LOS, 0);
    sat.AOS = sat.Time;
    EXPECT_EQ(sat.PredictLOS(), 0);
    EXPECT_FALSE(sat.PredictPass(&below, Day(2021, 11, 1), 0)) << "geostationary: no pass";
    EXPECT_TRUE(sat.IsFlagSet(SatGeostationary));
    EXPECT_EQ(sat.PredictNextAOS(&below, TSat::DayNumberToDateTime(Day(2021, 11, 1))), 0);
}

TEST(PassSearchBounds, RecordingSecondsAreRoundedAndLimited)
{
    struct Case {
        const char* name;
        double seconds;
        int expected;
    };
    const Case cases[] = {{"63 s", 63, 63},          {"59.6 s rounds up", 59.6, 60},
                          {"20 minutes", 1200, 1200}, {"25 minutes", 1500, 1200},
                          {"nothing", 0, 0},         {"stop before start", -30, 0}};
    TSat sat;
    for (const Case& c : cases) {
        sat.WindowStart = 15280.5;
        sat.WindowStop = sat.WindowStart + c.seconds * Second;
        EXPECT_EQ(sat.GetRecordingSeconds(), c.expected) << c.name;
    }
}

TEST(PassSearchBounds, FileBaseNames)
{
    struct Case {
        const char* name;
        const char* expected;
    };
    // Names come from downloaded files: nothing may leave the folder.
    const Case cases[] = {{"NOAA 18", "050605_140307_NOAA_18"},
                          {"../../etc", "050605_140307_______etc"},
                          {"A/B:C\\D", "050605_140307_A_B_C_D"},
                          {"NOAA-19 [+]", "050605_140307_NOAA-19_[+]"},
                          {"x\x01y*?", "050605_140307_x_y__"},
                          {"V.1 sat", "050605_140307_V.1_sat"}};
    for (const Case& c : cases) {
        TSat sat;
        std::snprintf(sat.Name, sizeof sat.Name, "%s", c.name);
        sat.WindowStart = Day(2005, 6, 5, 14, 3, 7);
        sat.MakeFileBaseName();
        EXPECT_EQ(sat.FileBaseName.toStdString(), c.expected) << c.name;
    }
}

TEST(PassSearchBounds, TrackerTestsFollowTheWindow)
{
    TSat sat;
    TSetting settings = Thresholds(0x1);
    sat.Scheduled = 1;
    sat.Elevation = 12;
    sat.WindowStart = 15280.5;
    sat.WindowStop = 15280.51;
    EXPECT_FALSE(sat.IsWindowOpen(&settings, 15280.5 - Second));
    EXPECT_TRUE(sat.IsWindowOpen(&settings, 15280.5));
    EXPECT_FALSE(sat.IsWindowClosed(&settings, 15280.505));
    EXPECT_TRUE(sat.IsWindowClosed(&settings, 15280.51));
    sat.Scheduled = 0;
    EXPECT_FALSE(sat.IsWindowOpen(&settings, 15280.505));
    EXPECT_TRUE(sat.IsWindowClosed(&settings, 15280.505));

    // Marking a recording stamps the clock and names the files after the start.
    std::snprintf(sat.Name, sizeof sat.Name, "NOAA 19");
    const double before = TSat::CurrentDayNumber();
    sat.MarkRecording(true);
    EXPECT_NEAR(sat.WindowStart, before, 2 * Second);
    EXPECT_EQ(sat.FileBaseName, TSat::DayNumberToText(sat.WindowStart, 40) + "_NOAA_19");
    sat.MarkRecording(false);
    EXPECT_GE(sat.WindowStop, sat.WindowStart);
}

TEST_F(PassSearch, NextPassOnADateAndElevationNow)
{
    const Found& p = passes[1];
    TSat sat;
    ASSERT_TRUE(Load(sat, Noaa18));
    EXPECT_TRUE(sat.IsAboveElevation(&berlin, TSat::DayNumberToDateTime(p.tca), p.maxElevation - 0.1));
    EXPECT_FALSE(sat.IsAboveElevation(&berlin, TSat::DayNumberToDateTime(p.aos - 60 * Second), 0));

    // From inside one pass, the next pass on the same date.
    ASSERT_TRUE(sat.PredictPass(&berlin, passes[0].day, 0));
    const double next = sat.PredictNextPassOnDate(std::trunc(TSat::DayNumberToDateTime(p.aos)));
    EXPECT_NEAR(next, p.aos, 10 * Second);
    EXPECT_EQ(sat.PredictNextPassOnDate(EncodeDateTime(2030, 1, 1)), 0) << "not on that date";

    // Now: without automatic recording the window is the pass, not scheduled.
    TSetting settings = Thresholds(0);
    settings.LogModes = 0;
    sat.UpdateNow(&berlin, &settings, 1);
    EXPECT_EQ(sat.Scheduled, 0);
    EXPECT_EQ(sat.WindowStart, sat.AOS);
    EXPECT_EQ(sat.WindowStop, sat.LOS);
    EXPECT_GT(sat.LOS, sat.AOS);
    EXPECT_TRUE(sat.FileBaseName.endsWith("_NOAA_18"));
    settings.LogModes = 1;
    sat.UpdateNow(&berlin, &settings, 1);
    EXPECT_EQ(sat.Scheduled, 1) << "automatic recording: windowed for the thresholds";
    sat.UpdateNow(&berlin, &settings, 0);
    EXPECT_NEAR(sat.Time, TSat::CurrentDayNumber(), 2 * Second);

    // Daylight of the window: the sun above IRSunEle at either end.
    settings.IRSunEle = 90;
    EXPECT_FALSE(sat.UpdateDaylight(&settings));
    settings.IRSunEle = -90;
    EXPECT_TRUE(sat.UpdateDaylight(&settings));
    EXPECT_EQ(sat.Daylight, 1);
}
