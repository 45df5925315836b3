#include "tracking/ui/ClockThread.h"

#include "platform/SystemTime.h"

#include <QDateTime>
#include <QLabel>
#include <QLocale>
#include <QStatusBar>
#include <QThread>

TClockThread::TClockThread(bool createSuspended, QStatusBar* panel, QLabel* label, const QString& format)
    : TThread(true), panel_(panel), label_(label), format_(format)
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
    const QString text = QLocale::c().toString(systime::UtcNow().toLocalTime(), format_);
    if (label_)
        label_->setText(text);
    else if (panel_)
        panel_->showMessage(text);
}
