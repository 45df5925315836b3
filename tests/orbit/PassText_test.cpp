// Pass texts and grid rows.
#include "PassFixtures.h"
#include "shell/Setting.h"

#include <QRegularExpression>
#include <cmath>
#include <gtest/gtest.h>

using namespace passfixtures;

namespace {

// A satellite up over the station with the fields the texts read.
TSat UpSatellite(const char* downlink, double rangeRateKmS)
{
    TSat sat;
    std::snprintf(sat.Name, sizeof sat.Name, "NOAA 18");
    sat.Downlink = downlink;
    sat.Elevation = 20;
    sat.Azimuth = 123.456;
    sat.Range = 1500;
    sat.RangeRate = rangeRateKmS;
    sat.MaxElevation = 45.5;
    sat.Latitude = 50.5;
    sat.Longitude = 350;
    sat.Northbound = 1;
    return sat;
}

// Seconds between two "hh:nn:ss" texts of the same day.
int SecondsApart(const QString& a, const QString& b)
{
    const auto seconds = [](const QString& t) {
        return t.mid(0, 2).toInt() * 3600 + t.mid(3, 2).toInt() * 60 + t.mid(6, 2).toInt();
    };
    return std::abs(seconds(a) - seconds(b));
}

}  // namespace

TEST(PassText, PositionTexts)
{
    struct Case {
        double degrees;
        const char* latitude;
        const char* longitude;
    };
    const Case cases[] = {{-0.004, "0.00S", "0.00W"},  {359.5, "359.50N", "0.50W"},
                          {180, "180.00N", "180.00W"}, {-180, "180.00S", "180.00E"},
                          {12.345, "12.35N", "12.35E"}, {-179.99, "179.99S", "179.99W"}};
    for (const Case& c : cases) {
        EXPECT_EQ(TSat::LatitudeText(c.degrees).toStdString(), c.latitude) << c.degrees;
        EXPECT_EQ(TSat::LongitudeText(c.degrees).toStdString(), c.longitude) << c.degrees;
    }
    TSat sat = UpSatellite("", 0);
    EXPECT_EQ(sat.GetPositionText(), "50.50N 10.00W");
}

TEST(PassText, TrackingStatusLine)
{
    struct Case {
        const char* downlink;
        double rangeRate;
        const char* pattern;
    };
    const Case cases[] = {
        {"137.9125", 0.05, "^Tracking TCA northbound NOAA 18 on 137.9125 MHz 50.50N 10.00W "
                           "Az:123.46 El:20.00 Max El:45.50 RX:137.9125 MHz Pathloss:[0-9.]{7} dB "
                           "Delay:5.003 ms$"},
        {"137.62", 5.0, "RX:137.62 MHz"},
        {"137.62", 5.0, "Tracking receding"},
        {"137.62", -5.0, "Tracking approaching"},
        {"", -5.0, "NOAA 18  50.50N 10.00W Az:123.46 El:20.00 Max El:45.50 $"},
    };
    for (const Case& c : cases) {
        const TSat sat = UpSatellite(c.downlink, c.rangeRate);
        const QString text = sat.GetTrackingStatusText(nullptr, 0);
        EXPECT_TRUE(text.contains(QRegularExpression(c.pattern))) << text.toStdString();
    }
    // The received frequency moves by the Doppler shift: 5 km/s receding is
    // 137.62 * (1 - 5000 / c) MHz.
    TSat receding = UpSatellite("137.620000", 5.0);
    EXPECT_TRUE(receding.GetTrackingStatusText(nullptr, 0).contains("RX:137.617705 MHz"));

    TSat below = UpSatellite("137.62", 0);
    below.Elevation = -3;
    below.Scheduled = 1;
    below.AOS = 15280.5;
    const QString pending = below.GetTrackingStatusText(nullptr, 0);
    EXPECT_TRUE(pending.startsWith("->Tracking NOAA 18 on 137.62 MHz")) << pending.toStdString();
    EXPECT_TRUE(pending.contains("El max:45.50 AOS:" + TSat::DayNumberToText(15280.5, 17)));
    EXPECT_TRUE(below.GetTrackingStatusText(nullptr, 1).startsWith("Recording NOAA 18"));
}

TEST(PassText, TrayHintsAndDescriptions)
{
    TSat sat = UpSatellite("137.9125", -2);
    std::snprintf(sat.Name, sizeof sat.Name, "%s", "A VERY LONG SATELLITE NA");
    sat.AOS = 15280.5;
    QString text, title;
    sat.GetTrayHint(text, nullptr, 1);
    EXPECT_LE(text.size(), 62) << "the tool-tip fits the tray's 63 characters";
    EXPECT_TRUE(text.startsWith("A VERY LONG SATELLITE NA Recording\nAOS "));
    sat.GetTrayHint(text, &title, 2);
    EXPECT_EQ(title, "A VERY LONG SATELLITE NA Tracking: Northbound approaching");
    EXPECT_EQ(text, "50.50N 10.00W\nAz 123.46 El 20.00\nMax elevation 45.50");
    sat.Elevation = -1;
    sat.GetTrayHint(text, nullptr, 2);
    EXPECT_TRUE(text.endsWith("\n50.50N 10.00W\nMax elevation 45.50"));
    EXPECT_LE(text.size(), 126);

    sat.WindowStart = Day(2005, 6, 5, 14, 3, 7);
    sat.WindowStop = Day(2005, 6, 5, 14, 15, 30);
    EXPECT_EQ(sat.GetPassDescription(0),
              "A VERY LONG SATELLITE NA APT 137.9125 MHz, Northbound On Sun 5 Jun 2005 "
              "14:03:07-14:15:30 UTC");
    EXPECT_EQ(sat.GetPassDescription(1),
              "<p class=\"mainp\"><b>A VERY LONG SATELLITE NA APT 137.9125 MHz</b></p><p "
              "class=\"mainp\"><b> Northbound, On Sun 5 Jun 2005 At 14:03:07-14:15:30 UTC</b></p>");
    EXPECT_EQ(sat.GetPassDescription(2), "");
    sat.Downlink.clear();
    sat.Northbound = 0;
    EXPECT_TRUE(sat.GetPassDescription(0).startsWith("A VERY LONG SATELLITE NA APT Southbound On"));
}

TEST(PassText, PassGridListsTheDaysPasses)
{
    TStation berlin = Station(52.52, 13.40, 34.0);
    TSat sat;
    ASSERT_TRUE(Load(sat, Noaa18, "137.9125"));
    const TDateTime date = EncodeDateTime(2021, 11, 1);
    QList<QStringList> rows;
    int pumped = 0;
    sat.FillPassGrid(&berlin, rows, date, [&] { ++pumped; });

    // The same passes, walked one by one.
    TSat walker;
    ASSERT_TRUE(Load(walker, Noaa18));
    QList<double> starts;
    for (double t = Day(2021, 11, 1); walker.PredictPass(&berlin, t, 0) && walker.AOS < Day(2021, 11, 2);
         t = walker.LOS + 60 * Second)
        if (walker.AOS >= Day(2021, 11, 1))
            starts << walker.AOS;
    ASSERT_GT(starts.size(), 5);
    ASSERT_EQ(rows.size(), starts.size());
    EXPECT_EQ(pumped, rows.size()) << "window messages run once per pass";
    for (int i = 0; i < rows.size(); ++i) {
        ASSERT_EQ(rows[i].size(), 13);
        EXPECT_EQ(rows[i][0], "NOAA 18");
        EXPECT_EQ(rows[i][2], "137.9125");
        // Within the horizon band of 0.03 deg, which a low pass takes seconds to cross.
        EXPECT_LE(SecondsApart(rows[i][3], TSat::DayNumberToText(starts[i], 18)), 10) << i;
        EXPECT_TRUE(rows[i][4].contains(QRegularExpression("^[0-9]+:[0-5][0-9]$"))) << rows[i][4].toStdString();
        EXPECT_TRUE(rows[i][5] == "Northbound" || rows[i][5] == "Southbound");
        EXPECT_TRUE(rows[i][7].contains(QRegularExpression("^1[34][0-9]\\.[0-9]{3}$")))
            << "path loss at TCA " << rows[i][7].toStdString();
        EXPECT_TRUE(rows[i][9].endsWith('N') || rows[i][9].endsWith('S'));
    }

    // One pass with its recording window.
    TSetting settings;
    settings.PassModes = 0x1 | 0x2;
    settings.PassElev = 0;
    settings.AOSElev = settings.LOSElev = 5;
    settings.Duration = 60;
    QList<QStringList> one;
    ASSERT_TRUE(sat.AddPassRow(&berlin, one, Day(2021, 11, 1), &settings));
    ASSERT_EQ(one.size(), 1);
    EXPECT_EQ(one[0][3], TSat::DayNumberToText(sat.WindowStart, 18));
    EXPECT_EQ(one[0][4], TSat::FormatDuration(sat.WindowStop - sat.WindowStart));
}

TEST(PassText, PassGridRowsAllBelongToTheirDay)
{
    // A graze that stays just below the horizon, inside its tolerance, is
    // taken for a rise; the pass found from there lies on the next day and
    // must not be listed under this one.
    struct Case {
        const char* name;
        const SetLines& set;
        TStation station;
        int day;  // of November 2021
    };
    const Case cases[] = {
        {"NOAA 18 over the Indian Ocean", Noaa18, Station(-10.5, 80, 0), 1},
        {"NOAA 15 over Central America", Noaa15, Station(14, -80, 0), 2},
    };
    for (Case c : cases) {
        TSat sat;
        ASSERT_TRUE(Load(sat, c.set));
        QList<QStringList> rows;
        sat.FillPassGrid(&c.station, rows, EncodeDateTime(2021, 11, c.day));

        TSat walker;
        ASSERT_TRUE(Load(walker, c.set));
        const double dayStart = Day(2021, 11, c.day), dayEnd = Day(2021, 11, c.day + 1);
        QList<double> starts;
        for (double t = dayStart; walker.PredictPass(&c.station, t, 0) && walker.AOS < dayEnd;
             t = walker.LOS + 60 * Second)
            if (walker.AOS >= dayStart)
                starts << walker.AOS;
        ASSERT_GT(starts.size(), 2) << c.name;
        ASSERT_EQ(rows.size(), starts.size()) << c.name << ": one row for each pass of the day, no more";
        for (int i = 0; i < rows.size(); ++i)
            EXPECT_LE(SecondsApart(rows[i][3], TSat::DayNumberToText(starts[i], 18)), 10) << c.name << ": row " << i;
    }
}

TEST(PassText, DayStartingInsideAPassStillListsItsPasses)
{
    // A station under NOAA 18 at midnight UTC of 1 November 2021.
    TSat sat;
    ASSERT_TRUE(Load(sat, Noaa18));
    const double midnight = Day(2021, 11, 1);
    TStation anywhere;
    sat.SetStation(&anywhere);
    sat.Time = midnight;
    sat.ComputePosition();
    TStation station = Station(sat.Latitude, sat.Longitude, 0);
    ASSERT_TRUE(sat.PredictPass(&station, midnight, 0));
    ASSERT_LT(sat.AOS, midnight) << "the pass in progress began the day before";
    const double inProgressLOS = sat.LOS;

    QList<QStringList> rows;
    sat.FillPassGrid(&station, rows, EncodeDateTime(2021, 11, 1));
    ASSERT_GT(rows.size(), 3) << "the day's own passes are listed";
    TSat walker;
    ASSERT_TRUE(Load(walker, Noaa18));
    ASSERT_TRUE(walker.PredictPass(&station, inProgressLOS + 60 * Second, 0));
    EXPECT_LE(SecondsApart(rows[0][3], TSat::DayNumberToText(walker.AOS, 18)), 10)
        << "starting after midnight";
}

TEST(PassText, TrackingRowShowsStatusOrNextAOS)
{
    TStation berlin = Station(52.52, 13.40, 34.0);
    TSat noaa, geo;
    ASSERT_TRUE(Load(noaa, Noaa18));
    ASSERT_TRUE(Load(geo, Meteosat8));
    QStringList row;
    noaa.FillTrackingRow(row, &berlin, true);
    EXPECT_TRUE(row.isEmpty()) << "binding fills nothing";
    noaa.FillTrackingRow(row, &berlin, false);
    ASSERT_EQ(row.size(), 14);
    EXPECT_EQ(row[0], "NOAA 18");
    EXPECT_EQ(row[13], "SGP4");
    EXPECT_NE(row[6], "N/A");
    EXPECT_EQ(row[6], TSat::DayNumberToText(noaa.AOS, 17));

    geo.FillTrackingRow(row, &berlin, true);
    geo.FillTrackingRow(row, &berlin, false);
    EXPECT_EQ(row[6], "Geostationary");
    EXPECT_EQ(row[13], "SDP4");
    EXPECT_FALSE(geo.IsFlagSet(SatGeostationary)) << "the status bits are cleared again";
}
