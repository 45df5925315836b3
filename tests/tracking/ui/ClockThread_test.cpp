#include "platform/Messages.h"
#include "tracking/ui/ClockThread.h"

#include <QElapsedTimer>
#include <QLabel>
#include <QRegularExpression>
#include <gtest/gtest.h>

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
