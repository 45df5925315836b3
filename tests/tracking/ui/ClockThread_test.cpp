#include "platform/Messages.h"
#include "platform/SystemTime.h"
#include "tracking/ui/ClockThread.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QRegularExpression>
#include <atomic>
#include <gtest/gtest.h>
#include <memory>

TEST(ClockThread, WritesTheTimeIntoItsLabelAndFreesItselfWhenTerminated)
{
    QLabel label;
    auto* clock = new TClockThread(false, nullptr, &label, "ddd d MMM yyyy hh:mm:ss");
    QElapsedTimer timer;
    timer.start();
    while (label.text().isEmpty() && timer.elapsed() < 5000)
        PumpMessages(50);
    EXPECT_TRUE(QRegularExpression("^\\w{3} \\d{1,2} \\w{3} \\d{4} \\d\\d:\\d\\d:\\d\\d$").match(label.text()).hasMatch())
        << label.text().toStdString();
    clock->Terminate();
    // The thread deletes itself once terminated (a double delete would show under ASan).
    for (int i = 0; i < 20; ++i)
        PumpMessages(20);
}

TEST(ClockThread, FollowsTheClockAndRunsWithNothingToShow)
{
    // A clock that jumps a second: the label follows within a few sweeps.
    auto now = std::make_shared<std::atomic<qint64>>(QDateTime(QDate(2021, 11, 2), QTime(10, 0, 0), Qt::UTC).toMSecsSinceEpoch());
    systime::SetClockSource([now] { return QDateTime::fromMSecsSinceEpoch(now->load(), Qt::UTC); });
    QLabel label;
    auto* clock = new TClockThread(false, nullptr, &label, "ss");
    const auto waitFor = [&label](const QString& text) {
        QElapsedTimer timer;
        timer.start();
        while (label.text() != text && timer.elapsed() < 5000)
            PumpMessages(20);
        return label.text() == text;
    };
    EXPECT_TRUE(waitFor("00"));
    *now += 1000;
    EXPECT_TRUE(waitFor("01")) << "the next second is shown";
    clock->Terminate();

    // Neither label nor panel: it runs, shows nothing, and ends when told.
    auto* silent = new TClockThread(false, nullptr, nullptr, "ss");
    PumpMessages(300);
    EXPECT_FALSE(silent->Finished());
    silent->Terminate();
    for (int i = 0; i < 20; ++i)
        PumpMessages(20);
    systime::SetClockSource({});
}
