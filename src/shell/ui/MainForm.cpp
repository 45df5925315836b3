#include "shell/ui/MainForm.h"

#include "imaging/ui/MDIChild.h"
#include "orbit/ui/SatOrbDlg.h"
#include "orbit/ui/SatOrgDlg.h"
#include "platform/Messages.h"
#include "platform/ProgramFolder.h"
#include "platform/WaveIn.h"
#include "publishing/ui/RSSForm.h"
#include "shell/RegistryHelpers.h"
#include "shell/TextHelpers.h"
#include "shell/SettingsPersistence.h"
#include "shell/ui/AboutBox.h"
#include "shell/ui/MDIBackground.h"
#include "shell/ui/Pictures.h"
#include "shell/ui/WindowState.h"
#include "tracking/ui/APTSatDlg.h"
#include "tracking/ui/ClockThread.h"
#include "tracking/ui/KeplerDlg.h"
#include "tracking/ui/OverlapDlg.h"
#include "tracking/ui/SatPass4Dlg.h"
#include "tracking/ui/SatPassDlg.h"
#include "tracking/ui/TrackDlg.h"

#include <QApplication>
#include <QCloseEvent>
#include <QFileInfo>
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
    waveTarget_ = new TMessageTarget(
        [this](TMessage& message) {
            if (message.Msg == MM_WIM_DATA)
                MMWimData(message);
        },
        this);
    setWindowTitle("Orvanta");
    setMinimumSize(kMainFormMinimumSide, kMainFormMinimumSide);
    setGeometry(188, 185, 940, 692);
    setCentralWidget(mdiArea_);
    mdiArea_->MayPaint = [this] { return !(StateFlags & msClosing) && isVisible(); };
    mdiArea_->SetOriginRule([this](const QSize& size) { return BackgroundOrigin(size); });
    BuildLayout();
    BuildMenus();
    BuildCommandMenus();
    ConnectRecorderCommands();
    FormCreate();
    ConnectFileCommands();
    ConnectMenuCommands();
}

TMainForm::~TMainForm()
{
    FormDestroy();
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
    new TAboutBox(this);
    new TAPTSatDlg(this);
    SatPass4Dlg = new TSatPass4Dlg(this);
    SatPassDlg = new TSatPassDlg(this);
    OverlapDlg = new TOverlapDlg(this);
    TrackDlg = new TTrackDlg(this);
    SatOrbDlg = new TSatOrbDlg(this);
    SatOrgDlg = new TSatOrgDlg(this);
    KeplerDlg = new TKeplerDlg(this);
    CreateRadioWindows();
    TMDIChild::IdentifyRecording = [this](TMDIChild* window, const QString& audioPath, TSat* pass) {
        return IdentifyRecording(window, audioPath, pass);
    };
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

    folders_.CreateAppFolders();
    new TRSSForm(this);  // reads the subscriptions from the folders just recorded

    PersistStation(true);
    Settings = std::make_unique<TSetting>();
    PersistSettings(true);

    RecButton->setEnabled(false);
    StopButton->setEnabled(false);
    if (CheckWaveInDevice())
        RecButton->setEnabled(true);
    else
        StateFlags |= msRecordingUnsupported;

    // A missing element file is what a first start has: the start-up guide
    // says what to do about it, once.
    if (QFileInfo::exists(folders_.GetTLEFileName()))
        LoadTLEFile(folders_.GetTLEFileName(), QString(), nullptr, nullptr, nullptr);
    PersistRig(true);
    PersistSwathView(true);

    TrackLabel->clear();
    for (QLabel* label : {KeplerAge, TheSun, TheMoon})
        label->setText("N/A");
    ClockThread = new TClockThread(false, nullptr, TheTime, "ddd d MMM yyyy hh:mm:ss");
    Magnifier = std::make_unique<TDIB>([this](const QString& text, const QString& caption) { ShowError(text, caption); });
    CreateFlatEarthParts();
    PersistFlatEarth(true);
    UpdateTrayIcon(NIM_ADD);
    if (SatelliteList.Count > 0)
        RestartTracker(0);
}

bool TMainForm::IsVersionChanged(const QString& caption)
{
    return ReadRegistryString(kMainKey, "VersionStr") != caption;
}

void TMainForm::PersistSettings(bool load)
{
    ::PersistSettings(*Settings, load, folders_.GetLogosDir());
}

bool TMainForm::CheckWaveInDevice()
{
    const char unsupported[] = "The waveform-audio input device does not support 11025 Hz 8 bit mono.";
    auto fail = [&](const QString& text) {
        recordingProblem_ = text;
        return false;
    };
    TWaveInCaps caps;
    if (const int code = TWaveIn::GetDevCaps(caps)) {
        QString reason = TWaveIn::ErrorText(code);
        if (reason.isEmpty())
            reason = "Unknown error!";
        return fail("Unable to retrieve the capabilities of the waveform-audio input device.\nError: " + reason);
    }
    if (!(caps.Formats & WAVE_FORMAT_1M08))
        return fail(unsupported);
    if (const int code = TWaveIn::QueryFormat(WaveFormat))
        return fail(QString(unsupported) + "\nError: " + TWaveIn::ErrorText(code));
    return true;
}

void TMainForm::showEvent(QShowEvent* event)
{
    QMainWindow::showEvent(event);
    // Only the program's own show: the window system's (a restore, or an
    // expose of a minimised window) is followed through the window state.
    if (!event->spontaneous())
        FormShow();
}

void TMainForm::FormShow()
{
    StateFlags |= msShown;
    const bool showAbout = (StateFlags & msVersionChanged) && (Settings->WinModes & 0x4) && AboutBox;
    StateFlags &= ~msVersionChanged;
    if (showAbout)
        AboutBox->exec();
}

void TMainForm::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
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
