// The CI's slice of a day at the station: three passes with two faults (the
// server gone for the first two passes, the receiver's port gone when the
// second is tuned), each pass recorded, decoded, logged and in the end
// uploaded, nothing sent twice, nothing half-written, and the station no
// bigger after the last pass than after the first.
#include "soak/SoakChecks.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using namespace soak;

TEST(SoakSlice, ThreePassesWithTheServerAndTheReceiverPortGoneForAWhile)
{
    TSoakOptions options;
    options.StartUtc = QDateTime(QDate(2021, 11, 1), QTime(6, 0), Qt::UTC);
    options.Passes = 3;
    options.Faults = {{0, TFault::FtpDown}, {1, TFault::PortGone}};
    options.WindowElevationDeg = 25;  // short recordings: the slice is about the road, not the pictures
    options.SlowSpeed = 90;
    TSoakDay day(options);
    const QString prepared = day.Prepare();
    if (prepared.startsWith("missing"))
        SKIP_MISSING(prepared.toStdString());
    ASSERT_TRUE(prepared.isEmpty()) << prepared.toStdString();
    ASSERT_EQ(day.Expected().size(), 3u);
    const QString run = day.Run();
    const TDayTable table = JudgeDay(day);
    PrintTable(day, table, stdout);
    ASSERT_TRUE(run.isEmpty()) << run.toStdString();
    EXPECT_EQ(table.Recorded, 3);
    EXPECT_EQ(table.Logged, 3);
    EXPECT_EQ(table.FaultsSurvived, 2);
    EXPECT_TRUE(table.Problems.isEmpty()) << table.Problems.join('\n').toStdString() << "\n"
                                          << day.Report().join('\n').toStdString();
}
