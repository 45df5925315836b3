#pragma once
// Keeps a clock label (or a status-bar panel) showing the local time, four
// times a second. Lowest priority; frees itself when terminated, so its
// owner only ever calls Terminate().
#include "platform/Thread.h"

#include <QPointer>
#include <QString>

class QLabel;
class QStatusBar;

class TClockThread : public TThread {
public:
    // format: a date-time format of QDateTime ("ddd d MMM yyyy hh:mm:ss"),
    // shown with English names.
    TClockThread(bool createSuspended, QStatusBar* panel, QLabel* label, const QString& format);

    const QString Format;
    QPointer<QLabel> Label;      // not owned; null-checked on every write
    QPointer<QStatusBar> Panel;  // not owned; used when there is no label

protected:
    void Execute() override;

private:
    void ShowTime();
};
