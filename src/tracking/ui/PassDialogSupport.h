#pragma once
// What the pass dialogs share: the date picker and the time it stands for,
// their grids, and the guard of a fill that lets window messages run.
#include "orbit/Satutil.h"

#include <QStringList>

class QDateEdit;
class QTableWidget;

// A date-only picker shown in format (QDate's format letters).
QDateEdit* MakeDatePicker(const QString& format);
// Today by the program's clock, the range one year before to one year after.
void SetPickerToToday(QDateEdit* picker);
// The picked date at 00:00 taken as UTC; with addSystemTime the current
// local time of day is added and the whole converted from local time to UTC.
TDateTime PickedTime(const QDateEdit* picker, bool addSystemTime);

// A pass grid: one header row, whole rows selected, resizable columns,
// silver background, 16-pixel rows, one empty data row.
QTableWidget* MakePassTable(const QString& name, const QStringList& columns);

// Marks a fill as running for its lifetime; clicks that would start another
// fill meanwhile are ignored by the dialog.
class TFillGuard {
public:
    explicit TFillGuard(bool& busy) : busy_(busy) { busy_ = true; }
    ~TFillGuard() { busy_ = false; }
    TFillGuard(const TFillGuard&) = delete;
    TFillGuard& operator=(const TFillGuard&) = delete;

private:
    bool& busy_;
};

// The hourglass for its lifetime.
class TWaitCursor {
public:
    TWaitCursor();
    ~TWaitCursor();
};

// Lets pending window messages run during a fill (unless a close is waiting).
void LetMessagesRun(bool closeRequested);
