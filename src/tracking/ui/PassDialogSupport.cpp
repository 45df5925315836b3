#include "tracking/ui/PassDialogSupport.h"

#include "platform/SystemTime.h"

#include <QApplication>
#include <QDateEdit>
#include <QHeaderView>
#include <QTableWidget>

QDateEdit* MakeDatePicker(const QString& format)
{
    auto* picker = new QDateEdit;
    picker->setObjectName("DatePicker");
    picker->setDisplayFormat(format);
    picker->setCalendarPopup(true);
    return picker;
}

void SetPickerToToday(QDateEdit* picker)
{
    const QDate today = systime::UtcNow().toLocalTime().date();
    const QSignalBlocker quiet(picker);
    picker->setDateRange(today.addYears(-1), today.addYears(1));
    picker->setDate(today);
}

TDateTime PickedTime(const QDateEdit* picker, bool addSystemTime)
{
    const QDate date = picker->date();
    TDateTime t = EncodeDateTime(date.year(), date.month(), date.day());
    if (!addSystemTime)
        return t;
    const QTime time = systime::UtcNow().toLocalTime().time();
    t += time.hour() / 24.0 + time.minute() / 1440.0 + time.second() / 86400.0;
    return LocalToUTC(t);
}

QTableWidget* MakePassTable(const QString& name, const QStringList& columns)
{
    auto* grid = new QTableWidget(1, columns.size());
    grid->setObjectName(name);
    grid->setHorizontalHeaderLabels(columns);
    grid->verticalHeader()->hide();
    grid->verticalHeader()->setDefaultSectionSize(16);
    grid->setEditTriggers(QAbstractItemView::NoEditTriggers);
    grid->setSelectionBehavior(QAbstractItemView::SelectRows);
    grid->horizontalHeader()->setSectionResizeMode(QHeaderView::Interactive);
    QPalette palette = grid->palette();
    palette.setColor(QPalette::Base, QColor(0xC0, 0xC0, 0xC0));
    grid->setPalette(palette);
    return grid;
}

TWaitCursor::TWaitCursor()
{
    QApplication::setOverrideCursor(Qt::WaitCursor);
}

TWaitCursor::~TWaitCursor()
{
    QApplication::restoreOverrideCursor();
}

void LetMessagesRun(bool closeRequested)
{
    if (!closeRequested)
        QApplication::processEvents();
}
