#include "shell/ui/LogForm.h"

#include "shell/LogTime.h"
#include "shell/StartupReport.h"
#include "shell/ui/WindowState.h"

#include <QDateTime>
#include <QShowEvent>
#include <QVBoxLayout>
#include <ctime>

TLogForm* LogForm = nullptr;

namespace {
const char kPlacementKey[] = "APT\\LogForm";
}

// Only the close box among the border icons: a log to glance at, not a
// window to minimise or fill the screen with.
TLogForm::TLogForm(QWidget* parent)
    : QWidget(parent, Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowCloseButtonHint),
      m(new QPlainTextEdit(this))
{
    setWindowTitle("Process information");
    setObjectName("LogForm");
    resize(325, 395);
    m->setReadOnly(true);
    m->setVerticalScrollBarPolicy(Qt::ScrollBarAlwaysOn);
    m->setStyleSheet("QPlainTextEdit { background: #000080; color: #F0FBFF; font-family: Verdana; font-size: 8pt; }");
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(m);
    if (!LogForm)
        LogForm = this;
    FormCreate();
}

TLogForm::~TLogForm()
{
    FormDestroy();
    if (LogForm == this)
        LogForm = nullptr;
}

void TLogForm::FormCreate()
{
    placed_ = RestoreFormPlacement(this, kPlacementKey);
    const QDateTime now = QDateTime::currentDateTime();
    AddLines(StartupTimeReport(now, now.toUTC(), systime::CurrentZoneInfo(std::time(nullptr))));
}

void TLogForm::FormDestroy()
{
    SaveFormPlacement(this, kPlacementKey);
}

void TLogForm::showEvent(QShowEvent* event)
{
    // Never placed before: over the middle of the main window, clear of its
    // menus and tool bars, rather than in the screen's corner on top of them.
    if (!placed_)
        PlaceOverOwner(this);
    placed_ = true;
    QWidget::showEvent(event);
}

void TLogForm::AddEntry(const QString& message, const QStringList& lines)
{
    const QString stamp = FormatLogTime(QDateTime::currentDateTime());
    AddLines(QStringList{message.isEmpty() ? stamp : stamp + ": " + message} + lines + QStringList{""});
}

void TLogForm::AddLines(const QStringList& lines)
{
    for (const QString& line : lines)
        m->appendPlainText(line);
}

QStringList TLogForm::Lines() const
{
    QStringList lines = m->toPlainText().split('\n');
    return lines;
}
