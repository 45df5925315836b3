#include "shell/ui/EndWin.h"

#include "shell/RegistryHelpers.h"

#include <QApplication>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QProgressBar>
#include <QStyle>
#include <QVBoxLayout>

TEndWin::TEndWin(QWidget* parent)
    : QDialog(parent, Qt::Dialog | Qt::WindowTitleHint | Qt::CustomizeWindowHint),
      ProcLabel(new QLabel(this)),
      ProgressBar(new QProgressBar(this)),
      BugURLLabel(new QLabel(this)),
      BugEdit(new QLineEdit(this))
{
    setWindowTitle("Terminating Orvanta");
    auto* picture = new QLabel(this);
    picture->setPixmap(style()->standardIcon(QStyle::SP_BrowserStop).pixmap(48, 48));
    picture->setFrameStyle(QFrame::Panel | QFrame::Sunken);
    ProcLabel->setWordWrap(true);
    ProcLabel->setFixedSize(260, 40);
    ProgressBar->setRange(0, 1);  // the shutdown sets the number of steps
    ProgressBar->setValue(0);
    ProgressBar->setTextVisible(false);
    BugURLLabel->setText(QString("<a href=\"%1\">%1</a>").arg(kBugReportURL));
    BugURLLabel->setOpenExternalLinks(true);
    BugURLLabel->hide();
    BugEdit->hide();

    auto* right = new QVBoxLayout;
    right->addWidget(ProcLabel);
    right->addWidget(ProgressBar);
    right->addWidget(BugURLLabel);
    right->addWidget(BugEdit);
    auto* layout = new QHBoxLayout(this);
    layout->addWidget(picture, 0, Qt::AlignTop);
    layout->addLayout(right);
}

void TEndWin::ShowStep(const QString& text)
{
    ProcLabel->setText("Process:\n" + text);
    ProgressBar->setValue(ProgressBar->value() + 1);
    repaint();
    QApplication::processEvents(QEventLoop::ExcludeUserInputEvents);
}

void TEndWin::ShowBugReport()
{
    const QString report = ReadRegistryString("APT", "VersionStr") + " " + ProcLabel->text();
    ProcLabel->setText("Bug! Copy and paste the message below and add it to the Bug reports at");
    BugEdit->setText(report);
    BugURLLabel->show();
    BugEdit->show();
    ProgressBar->hide();
}
