#include "shell/LogTime.h"
#include "shell/StartupReport.h"

#include <gtest/gtest.h>

TEST(StartupReport, ZoneLinesFollowTheBiasRules)
{
    const QDateTime local(QDate(2026, 12, 8), QTime(9, 5, 3));
    const QDateTime utc(QDate(2026, 12, 8), QTime(8, 5, 3), Qt::UTC);
    struct Case {
        const char* name;
        systime::ZoneInfo zone;
        const char* bias;
        const char* daylightName;
        const char* daylightBias;
    };
    const Case cases[] = {
        {"central Europe", {-60, "CET", 0, "CEST", -60}, "Bias : +1 h", "Daylight name: CEST", "Daylight bias: +60 min"},
        {"US east", {300, "EST", 0, "EDT", -60}, "Bias : -5 h", "Daylight name: EDT", "Daylight bias: +60 min"},
        {"India, no daylight time", {-330, "IST", 0, "", 0}, "Bias : +5.5 h", "Daylight name: N/A",
         "Daylight bias: +0 min"},
        {"UTC", {0, "UTC", 0, "", 0}, "Bias : +0 h", "Daylight name: N/A", "Daylight bias: +0 min"},
    };
    for (const Case& c : cases) {
        const QStringList lines = StartupTimeReport(local, utc, c.zone);
        EXPECT_EQ(lines[0], "Tue 8 Dec 2026 09:05:03") << c.name;
        EXPECT_EQ(lines[1], "Application startup");
        EXPECT_EQ(lines[5], "Local time to UTC: Tue 8 Dec 2026 08:05:03");
        EXPECT_EQ(lines[7], "Timezone information used to predict satellites:");
        EXPECT_EQ(lines[8], c.bias) << c.name;
        EXPECT_EQ(lines[9], "Standard name: " + c.zone.StandardName) << c.name;
        EXPECT_EQ(lines[10], "Standard bias: +0 min");
        EXPECT_EQ(lines[11], c.daylightName) << c.name;
        EXPECT_EQ(lines[12], c.daylightBias) << c.name;
        EXPECT_EQ(lines.mid(13), QStringList({"Ok!", "", "...done!", ""})) << c.name;
    }
    const QStringList failed = StartupTimeReport(local, utc, std::nullopt);
    EXPECT_EQ(failed[7], "Fatal Error: Failed to get timezone information");
    EXPECT_EQ(failed.mid(8), QStringList({"", "...done!", ""}));
}

TEST(StartupReport, ZoneInfoFromTheSystemRules)
{
    qputenv("TZ", "Europe/Berlin");
    tzset();
    const systime::ZoneInfo berlin = systime::CurrentZoneInfo(1796000000);  // a moment of 2026
    EXPECT_EQ(berlin.Bias, -60);
    EXPECT_EQ(berlin.StandardName, "CET");
    EXPECT_EQ(berlin.DaylightName, "CEST");
    EXPECT_EQ(berlin.DaylightBias, -60);
    qputenv("TZ", "UTC");
    tzset();
    const systime::ZoneInfo utc = systime::CurrentZoneInfo(1796000000);
    EXPECT_EQ(utc.Bias, 0);
    EXPECT_EQ(utc.DaylightName, "");
}
