#include "shell/ui/MainForm.h"

#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "shell/RegistryHelpers.h"
#include "shell/TextHelpers.h"
#include "shell/ui/MDIBackground.h"
#include "shell/ui/Pictures.h"
#include "shell/ui/WindowState.h"
#include "tracking/ui/ClockThread.h"

#include <QApplication>
#include <QCloseEvent>
#include <QLabel>
#include <QMessageBox>
#include <QStatusBar>
#include <QToolBar>

TMainForm* MainForm = nullptr;

namespace {
const char kMainKey[] = "APT";
// The colour of the empty MDI area (red 0x10, green 0x08, blue 0x20).
const QColor kBackgroundColour(0x10, 0x08, 0x20);
}  // namespace

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent),
      folders_(programfolder::Path(), [this](const QString& text, const QString& caption) { ShowError(text, caption); }),
      mdiArea_(new TMDIBackground(MakeBackgroundPicture(), kBackgroundColour, this))
{
    MainForm = this;
    setWindowTitle("Orvanta");
    setMinimumSize(kMainFormMinimumSide, kMainFormMinimumSide);
    setGeometry(188, 185, 940, 692);
    setCentralWidget(mdiArea_);
    mdiArea_->MayPaint = [this] { return !(StateFlags & msClosing) && isVisible(); };
    mdiArea_->SetOriginRule([this](const QSize& size) { return BackgroundOrigin(size); });
    BuildLayout();
    BuildMenus();
    FormCreate();
}

TMainForm::~TMainForm()
{
    if (MainForm == this)
        MainForm = nullptr;
}

QMdiArea* TMainForm::MDIArea() const
{
    return mdiArea_;
}

void TMainForm::FormCreate()
{
    StateFlags = 0;
    ActiveWindow = this;
    for (QLabel* label : {TemperatureLabel, WavePosLabel, LonLatLabel, OverlapLabel})
        label->clear();
    OneInstanceMessage = RegisterWindowMessage("OneAPTInstance");
    RestoreFormPlacement(this, kMainKey);
    setAcceptDrops(true);

    const QString caption = QString("Orvanta %1").arg(GetFileVersionText(QCoreApplication::applicationFilePath()));
    if (IsVersionChanged(caption))
        StateFlags |= msVersionChanged;
    WriteRegistryString(kMainKey, "VersionStr", caption);
    setWindowTitle(caption);
    QApplication::setApplicationDisplayName(caption);

    folders_.CreateAppFolders();

    RecButton->setEnabled(false);
    StopButton->setEnabled(false);

    TrackLabel->clear();
    for (QLabel* label : {KeplerAge, TheSun, TheMoon})
        label->setText("N/A");
    ClockThread = new TClockThread(false, nullptr, TheTime, "ddd d MMM yyyy hh:mm:ss");
}

bool TMainForm::IsVersionChanged(const QString& caption)
{
    return ReadRegistryString(kMainKey, "VersionStr") != caption;
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    FormShow();
}

void TMainForm::FormShow()
{
    StateFlags |= msShown;
    StateFlags &= ~msVersionChanged;
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    StateFlags |= msClosing;
    SaveFormPlacement(this, kMainKey);
    if (ClockThread) {
        // The clock frees itself once it has stopped; waiting here (which
        // serves its last synchronized call) and then running the queued
        // deletion keeps it from outliving the event loop.
        ClockThread->Terminate();
        ClockThread->WaitFor();
        ClockThread = nullptr;
        QCoreApplication::sendPostedEvents(nullptr, QEvent::MetaCall);
    }
    event->accept();
}

void TMainForm::BringToFront()
{
    setWindowState((windowState() & ~Qt::WindowMinimized) | Qt::WindowActive);
    show();
    raise();
    activateWindow();
}

QPoint TMainForm::BackgroundOrigin(const QSize& pictureSize) const
{
    // Centred on the window's client area less the tool bar and status bar,
    // never left of or above the area's corner.
    const QSize client = size();
    const int x = (client.width() - pictureSize.width()) / 2;
    const int y = (client.height() - pictureSize.height()) / 2 - ToolBar->height() - StatusBar->height();
    return {std::max(0, x), std::max(0, y)};
}

void TMainForm::ShowError(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void TMainForm::ShowInfo(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}
