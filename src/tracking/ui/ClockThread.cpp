#include "tracking/ui/ClockThread.h"

#include "platform/SystemTime.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QStatusBar>
#include <QThread>

TClockThread::TClockThread(bool createSuspended, QStatusBar* panel, QLabel* label, const QString& format)
    : TThread(true), Format(format), Label(label), Panel(panel)
{
    FreeOnTerminate = true;
    SetPriority(TThreadPriority::Lowest);
    if (!createSuspended)
        Resume();
}

void TClockThread::Execute()
{
    while (!Terminated()) {
        Synchronize([this] { ShowTime(); });
        // Short naps keep Terminate() answered quickly.
        for (int i = 0; i < 5 && !Terminated(); ++i)
            QThread::msleep(50);
    }
}

void TClockThread::ShowTime()
{
    const QString text = QLocale::c().toString(systime::UtcNow().toLocalTime(), Format);
    if (Label)
        Label->setText(text);
    else if (Panel)
        Panel->showMessage(text);
}
