#include "orbit/Sat.h"
#include "orbit/Satutil.h"

#include <cmath>
#include <cstdlib>
#include <ctime>
#include <vector>
#include <gtest/gtest.h>

namespace {

// Each test case runs in a process of its own, so a zone set here stays here.
void UseZone(const char* zone)
{
    setenv("TZ", zone, 1);
    tzset();
}

}  // namespace

TEST(Satutil, DayNumbersAndCalendarDates)
{
    EXPECT_EQ(DateTimeToDayNumber(EncodeDateTime(1979, 12, 31)), 0.0);
    EXPECT_EQ(DateTimeToDayNumber(EncodeDateTime(1980, 1, 1, 12)), 1.5);
    // The milliseconds vanish: whole seconds only.
    EXPECT_DOUBLE_EQ(DateTimeToDayNumber(EncodeDateTime(2021, 6, 9, 10, 18, 14, 999)),
                     15136 + 37094.0 / 86400);
    EXPECT_EQ(TSat::DayNumberOfDate(6, 9, 21), 15136);
    EXPECT_EQ(TSat::DayNumberOfDate(1, 0, 70), -3652);
    EXPECT_EQ(TSat::DayNumberOfDate(1, 1, 80), 1);
    EXPECT_EQ(TSat::DayNumberOfDate(1, 19, 38), 21204);

    // The two-digit pivot applies to the year after January and February
    // were moved to the year before.
    struct Case { int month, day, year; const char* date; };
    const Case cases[] = {{3, 1, 51, "1951-03-01"}, {3, 1, 50, "2050-03-01"},
                          {1, 1, 51, "2051-01-01"}, {12, 31, 99, "1999-12-31"}};
    for (const Case& c : cases) {
        const TDateTime t = TSat::DayNumberToDateTime(TSat::DayNumberOfDate(c.month, c.day, c.year));
        EXPECT_EQ(FormatDateTime("yyyy-mm-dd", t), c.date);
    }
    EXPECT_EQ(TSat::JulianDateOfYear(2000), 2451543.5);
    EXPECT_EQ(TSat::JulianDateOfYear(1980), 2444238.5);
    EXPECT_EQ(TSat::EpochJulianDate(56001.5), TSat::JulianDateOfYear(2056) + 1.5);
    EXPECT_EQ(TSat::EpochJulianDate(57001.5), TSat::JulianDateOfYear(1957) + 1.5);
    EXPECT_NEAR(TSat::EpochJulianDate(21304.72123285) - DayNumberJulianOffset,
                TSat::DayNumberOfDate(1, 0, 21) + 304.72123285, 1e-8);
}

TEST(Satutil, DatesBeforeDayZeroDecodeAsTheyWereEncoded)
{
    struct Case { int year, month, day, hour, minute, second, ms; const char* text; };
    const Case cases[] = {
        {1002, 3, 8, 14, 5, 9, 0, "Mon, 08 Mar 1002 14:05:09 GMT"},  // the proleptic calendar's weekday
        {1899, 12, 29, 6, 0, 0, 0, "Fri, 29 Dec 1899 06:00:00 GMT"},
        {1899, 12, 29, 23, 59, 59, 999, "Fri, 29 Dec 1899 23:59:59 GMT"},
        {1899, 12, 30, 6, 0, 0, 0, "Sat, 30 Dec 1899 06:00:00 GMT"},
    };
    for (const Case& c : cases) {
        const TDateParts p = DecodeDateTime(EncodeDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second, c.ms));
        EXPECT_EQ(FormatRFC822Date(EncodeDateTime(c.year, c.month, c.day, c.hour, c.minute, c.second)).toStdString(), c.text);
        EXPECT_EQ((std::vector<int>{p.Year, p.Month, p.Day, p.Hour, p.Minute, p.Second, p.MilliSecond}),
                  (std::vector<int>{c.year, c.month, c.day, c.hour, c.minute, c.second, c.ms}))
            << c.text;
    }
}

TEST(Satutil, FormatsWithEnglishNames)
{
    const TDateTime t = EncodeDateTime(2021, 6, 9, 10, 18, 14);
    EXPECT_EQ(FormatDateTime("ddd d mmm yyyy hh:nn:ss", t), "Wed 9 Jun 2021 10:18:14");
    EXPECT_EQ(FormatDateTime("yymmdd_hhnnss", t), "210609_101814");
    EXPECT_EQ(FormatDateTime("dddd d mmmm", t), "Wednesday 9 June");
    EXPECT_EQ(FormatRFC822Date(t), "Wed, 09 Jun 2021 10:18:14 GMT");
    EXPECT_EQ(FormatRFC822Date(EncodeDateTime(2021, 1, 5, 1, 2, 3)), "Tue, 05 Jan 2021 01:02:03 GMT");
    EXPECT_EQ(FormatRFC822Date(EncodeDateTime(999, 12, 26, 0, 0, 0)), "Thu, 26 Dec 999 00:00:00 GMT");
    EXPECT_EQ(TSat::FormatDuration(EncodeDateTime(1899, 12, 30, 1, 5, 7)), "1:5:07");
    EXPECT_EQ(TSat::FormatDuration(12.0 * 60 / 86400 + 3.0 / 86400), "12:03");
}

TEST(Satutil, LastModifiedHeaders)
{
    const QString line = "Last-Modified: Wed, 09 Jun 2021 10:18:14 GMT";
    EXPECT_EQ(GetLastModifiedText(line), "Wed, 09 Jun 2021 10:18:14 GMT");
    EXPECT_EQ(GetLastModifiedText("Last-Modified: "), "");
    TDateTime t = -1;
    ASSERT_TRUE(ParseLastModified(GetLastModifiedText(line), t));
    EXPECT_EQ(t, EncodeDateTime(2021, 6, 9, 10, 18, 14));

    struct Case { const char* name; const char* text; };
    const Case bad[] = {
        {"unknown month", "Wed, 09 Jux 2021 10:18:14 GMT"},
        {"month across two abbreviations", "Wed, 09 anF 2021 10:18:14 GMT"},
        {"lower-case month", "Wed, 09 jun 2021 10:18:14 GMT"},
        {"garbage", "yesterday, around noon, I think"},
        {"too short", "Wed, 09 Jun 2021"},
        {"RFC 850 form", "Wednesday, 09-Jun-21 10:18:14 GMT"},
        {"no such day", "Thu, 31 Feb 2021 10:18:14 GMT"},
        {"hour 25", "Wed, 09 Jun 2021 25:18:14 GMT"},
        {"letters in the year", "Wed, 09 Jun 20x1 10:18:14 GMT"},
        {"before the calendar's day 0", "Tue, 08 Mar 1002 14:05:09 GMT"},
        {"the day before day 0", "Fri, 29 Dec 1899 00:00:00 GMT"},
        {"empty", ""},
    };
    for (const Case& c : bad) {
        t = 12345;
        EXPECT_FALSE(ParseLastModified(c.text, t)) << c.name;
        EXPECT_EQ(t, 0) << c.name;
    }
    ASSERT_TRUE(ParseLastModified("Sat, 30 Dec 1899 23:59:59 GMT", t)) << "day 0 itself is a date";
    EXPECT_EQ(FormatRFC822Date(t), "Sat, 30 Dec 1899 23:59:59 GMT");

    // The program's own date texts are not changed by a parse.
    EXPECT_EQ(FormatDateTime("ddd d mmm yyyy hh:nn:ss", EncodeDateTime(2021, 6, 9, 10, 18, 14)),
              "Wed 9 Jun 2021 10:18:14");
}

TEST(Satutil, NowInAZoneAnHourEast)
{
    UseZone("CET-1");  // an hour east of Greenwich, no daylight saving
    const double utcDay = DateTimeToDayNumber(0);
    const double localDay = DateTimeToDayNumber(NowLocal());
    EXPECT_NEAR(localDay - utcDay, 1.0 / 24, 2.0 / 86400);
    EXPECT_NEAR(UTCToLocal(0) - LocalToUTC(0), 1.0 / 24, 2.0 / 86400);
    EXPECT_NEAR(TSat::CurrentDayNumber(), utcDay, 2.0 / 86400);
}

TEST(Satutil, ConversionsUseTheOffsetOfThatInstant)
{
    UseZone("Europe/Berlin");
    const TDateTime winter = EncodeDateTime(2021, 1, 15, 12, 0, 0);
    const TDateTime summer = EncodeDateTime(2021, 7, 15, 12, 0, 0);
    EXPECT_DOUBLE_EQ(UTCToLocal(winter), EncodeDateTime(2021, 1, 15, 13, 0, 0));
    EXPECT_DOUBLE_EQ(UTCToLocal(summer), EncodeDateTime(2021, 7, 15, 14, 0, 0));
    EXPECT_DOUBLE_EQ(LocalToUTC(EncodeDateTime(2021, 7, 15, 14, 0, 0)), summer);
    EXPECT_DOUBLE_EQ(LocalToUTC(EncodeDateTime(2021, 1, 15, 13, 0, 0)), winter);
    // Around the change to summer time (01:00 UTC on 28 March 2021).
    EXPECT_DOUBLE_EQ(UTCToLocal(EncodeDateTime(2021, 3, 28, 0, 59, 0)),
                     EncodeDateTime(2021, 3, 28, 1, 59, 0));
    EXPECT_DOUBLE_EQ(UTCToLocal(EncodeDateTime(2021, 3, 28, 1, 0, 0)),
                     EncodeDateTime(2021, 3, 28, 3, 0, 0));
    EXPECT_DOUBLE_EQ(LocalToUTC(EncodeDateTime(2021, 3, 28, 3, 30, 0)),
                     EncodeDateTime(2021, 3, 28, 1, 30, 0));
}

TEST(Satutil, OrbitGridCaptions)
{
    EXPECT_EQ(OrbitGridCaption(0), "Description");
    EXPECT_EQ(OrbitGridCaption(1), "Spacecraft Name");
    EXPECT_EQ(OrbitGridCaption(15), "Bstar Drag Term");
    EXPECT_EQ(OrbitGridCaption(21), "Decay date");
    EXPECT_EQ(OrbitGridCaption(22), "");
}
