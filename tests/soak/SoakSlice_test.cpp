// The CI's slice of a day at the station: six passes with every kind of
// fault the whole day holds, one on each of the first five (the server gone
// for the first two passes, the receiver's port gone when the second is
// tuned, pure noise on the third, the station killed halfway through
// recording the fourth, the disk full for the fifth) and a clean pass after
// them, as in the day. Every pass that may be is recorded, decoded, logged
// and in the end uploaded, nothing is sent twice or left half-written, and
// the station is no bigger after the last pass than after the first. The
// table names each pass's fault.
#include "soak/SoakChecks.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using namespace soak;

TEST(SoakSlice, SixPassesWithEveryKindOfFaultOfTheDay)
{
    TSoakOptions options;
    options.StartUtc = QDateTime(QDate(2021, 11, 1), QTime(6, 0), Qt::UTC);
    options.Passes = 6;
    options.Faults = {{0, TFault::FtpDown}, {1, TFault::PortGone}, {2, TFault::Noise}, {3, TFault::Kill},
                      {4, TFault::DiskFull}};
    options.WindowElevationDeg = 25;  // short recordings: the slice is about the road, not the pictures
    options.SlowSpeed = 90;
    TSoakDay day(options);
    const QString prepared = day.Prepare();
    if (prepared.startsWith("missing"))
        SKIP_MISSING(prepared.toStdString());
    ASSERT_TRUE(prepared.isEmpty()) << prepared.toStdString();
    ASSERT_EQ(day.Expected().size(), 6u);
    const QString run = day.Run();
    const TDayTable table = JudgeDay(day);
    PrintTable(day, table, stdout);
    ASSERT_TRUE(run.isEmpty()) << run.toStdString();
    // The noise pass is recorded but not logged; the full disk's pass is
    // decoded and logged as it comes in, but not recorded.
    EXPECT_EQ(table.Recorded, 5);
    EXPECT_EQ(table.Logged, 5);
    EXPECT_EQ(table.Faults, 5);
    EXPECT_EQ(table.FaultsSurvived, 5);
    EXPECT_EQ(day.Restarts(), 1);
    EXPECT_TRUE(table.Problems.isEmpty()) << table.Problems.join('\n').toStdString() << "\n"
                                          << day.Report().join('\n').toStdString();
}
