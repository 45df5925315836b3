// The image window's life: its form, the close rules and teardown, the
// progress panel and the pictures it paints.
#include "imaging/ui/MDIChild.h"

#include "imaging/LookupTables.h"
#include "maps/EarthView.h"
#include "imaging/MagickSupport.h"
#include "orbit/Sat.h"
#include "platform/ProgramFolder.h"
#include "shell/AppFolders.h"
#include "shell/ui/GraphicLabel.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QCloseEvent>
#include <QFrame>
#include <QGridLayout>
#include <QLabel>
#include <QMdiArea>
#include <QFileInfo>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPainter>
#include <QPushButton>
#include <QScrollArea>
#include <QScrollBar>
#include <QVBoxLayout>

namespace {
// The window's colour (maroon), also the colour of an empty picture.
const QColor kWindowColour(0x80, 0x00, 0x00);
// The progress panel's backdrop: dark, so its white texts read on any picture.
const QColor kProgressColour(0x20, 0x28, 0x38);
}  // namespace

TMDIChild::TPassIdentifier TMDIChild::IdentifyRecording = [](TMDIChild*, const QString& audioPath, TSat* pass) {
    if (!pass)
        return false;
    const QFileInfo audio(audioPath);
    return pass->ReadPassInfoFile(audio.path() + "/" + audio.completeBaseName() + ".txt");
};

TMDIChild::TTableFinder TMDIChild::LUTFileName = [](int view) {
    if (MainForm)
        return MainForm->GetLUTFileName(view);
    return LookupTableFileName(view, TAppFolders(programfolder::Path(), nullptr).GetLUTDir());
};

TPaintBox::TPaintBox(TMDIChild* owner) : QWidget(owner), owner_(owner)
{
    setObjectName("pb");
    setAttribute(Qt::WA_OpaquePaintEvent);
}

void TPaintBox::paintEvent(QPaintEvent* event)
{
    if (owner_->Flags & (mcClosing | mcScrollChanging))
        return;
    if (owner_->Flags & mcFlatEarth)
        owner_->DrawMap();
    if (owner_->DisplayBitmap.isNull())
        return;
    QPainter painter(this);
    painter.fillRect(event->rect(), palette().window());
    painter.drawImage(event->rect().topLeft(), owner_->DisplayBitmap, event->rect());
}

TMDIChild::TMDIChild(QWidget* parent)
    : QWidget(parent), APT(std::make_unique<TAPT>()), Exception(AcquireExceptionInfo())
{
    EnsureMagickCore();
    setAttribute(Qt::WA_DeleteOnClose);
    BuildForm();
    BuildMenus();
    // The engine's own failures: topmost boxes without an owner.
    APT->OnError = [this](const QString& text, const QString& caption) { ShowBox(text, caption, true, false); };
}

TMDIChild::~TMDIChild()
{
    Flags |= mcClosing;
    Teardown();
}

void TMDIChild::BuildForm()
{
    setObjectName("MDIChild");
    resize(640, 480);
    QPalette colours = palette();
    colours.setColor(QPalette::Window, kWindowColour);
    setPalette(colours);
    setAutoFillBackground(true);

    sb = new QScrollArea(this);
    sb->setObjectName("sb");
    sb->setFrameShape(QFrame::NoFrame);
    sb->setWidgetResizable(false);
    sb->setPalette(colours);
    pb = new TPaintBox(this);
    pb->setPalette(colours);
    QFont font("Verdana");
    font.setPixelSize(11);
    pb->setFont(font);
    sb->setWidget(pb);
    // The read-outs follow the pointer without a button held.
    pb->setMouseTracking(true);
    sb->viewport()->installEventFilter(this);
    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(0, 0, 0, 0);
    layout->addWidget(sb);

    // The decode progress sits on a backdrop of its own over the picture,
    // sized to its texts so that a long path is shown whole.
    ProgressPanel = new QFrame(this);
    ProgressPanel->setObjectName("ProgressPanel");
    ProgressPanel->setFrameShape(QFrame::StyledPanel);
    ProgressPanel->setAutoFillBackground(true);
    QPalette backdrop = ProgressPanel->palette();
    backdrop.setColor(QPalette::Window, kProgressColour);
    backdrop.setColor(QPalette::WindowText, QColor(Qt::white));
    ProgressPanel->setPalette(backdrop);
    auto* rows = new QGridLayout(ProgressPanel);
    rows->setContentsMargins(8, 6, 10, 8);
    rows->setHorizontalSpacing(6);
    rows->setVerticalSpacing(0);
    // The panel follows its contents as texts change.
    rows->setSizeConstraint(QLayout::SetFixedSize);

    auto makeLabel = [this](const char* name, const QString& text, TGLTextHorzAlign align) {
        auto* label = new TGraphicLabel(ProgressPanel);
        label->setObjectName(name);
        label->setText(text);
        label->FSetHorzAlign(align);
        label->SetTransparent(true);
        // The layout makes a label as wide as its text: no offset, or the
        // text would be cut at the far side.
        label->FSetxOffset(0);
        label->setMinimumHeight(17);
        return label;
    };
    Label1 = makeLabel("Label1", "Target:", thRight);
    Label2 = makeLabel("Label2", "Payload:", thRight);
    Label3 = makeLabel("Label3", "Status:", thRight);
    LbTarget = makeLabel("LbTarget", QString(), thLeft);
    LbPayload = makeLabel("LbPayload", QString(), thLeft);
    LbStatus = makeLabel("LbStatus", QString(), thLeft);

    GaugePanel = new QFrame(ProgressPanel);
    GaugePanel->setObjectName("GaugePanel");
    GaugePanel->setFrameShape(QFrame::Panel);
    GaugePanel->setFrameShadow(QFrame::Sunken);
    GaugePanel->setFixedSize(246, 20);
    gauge = new QFrame(GaugePanel);
    gauge->setObjectName("gauge");
    gauge->setStyleSheet("background: #3060c0;");
    gauge->setGeometry(2, 2, 1, 16);
    LbGaugePos = new QLabel("Val", GaugePanel);
    LbGaugePos->setObjectName("LbGaugePos");
    LbGaugePos->setAlignment(Qt::AlignRight | Qt::AlignVCenter);
    LbGaugePos->setGeometry(204, 2, 38, 16);
    CancelBtn = new QPushButton("Cancel", ProgressPanel);
    CancelBtn->setObjectName("CancelBtn");
    rows->addWidget(Label1, 0, 0);
    rows->addWidget(LbTarget, 0, 1);
    rows->addWidget(Label2, 1, 0);
    rows->addWidget(LbPayload, 1, 1);
    rows->addWidget(Label3, 2, 0);
    rows->addWidget(LbStatus, 2, 1);
    rows->addWidget(GaugePanel, 3, 1, Qt::AlignLeft);
    rows->addItem(new QSpacerItem(0, 6), 4, 1);
    rows->addWidget(CancelBtn, 5, 1, Qt::AlignLeft);
    ProgressPanel->hide();
    connect(CancelBtn, &QPushButton::clicked, this, &TMDIChild::CancelBtnClick);
}

const TSetting& TMDIChild::Settings() const
{
    static const TSetting defaults;
    return MainForm && MainForm->Settings ? *MainForm->Settings : defaults;
}

TAppFolders TMDIChild::Folders() const
{
    return MainForm ? MainForm->Folders() : TAppFolders(programfolder::Path(), nullptr);
}

void TMDIChild::ShowBox(const QString& text, const QString& caption, bool topmost, bool owned)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, owned ? this : nullptr);
    if (topmost)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

// ---- the form's events ----

void TMDIChild::closeEvent(QCloseEvent* event)
{
    if (!FormCloseQuery()) {
        event->ignore();
        return;
    }
    FormClose();
    event->accept();
}

bool TMDIChild::FormCloseQuery()
{
    if (Flags & mcFlatEarth)
        return true;
    const bool threadLogBusy = APTThread && !(APTThread->Flags & aptThreadTerminated) && APTThread->IsLogBusy();
    if (threadLogBusy || dailyLogBusy_) {
        QMessageBox box(QMessageBox::Information, windowTitle(),
                        "Orvanta is processing the log.\nPlease wait for the process to finish!", QMessageBox::Ok,
                        this);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
        return false;
    }
    if (Flags & mcModified) {
        QMessageBox box(QMessageBox::Information, "File needs to be saved. Save?", windowTitle(),
                        QMessageBox::Yes | QMessageBox::No, this);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        // Escape and the close button keep the window and its change, as
        // Yes does: only an explicit No throws the change away.
        box.setEscapeButton(box.button(QMessageBox::Yes));
        if (box.exec() == QMessageBox::Yes)
            return false;  // kept open for the user to save it first
        Flags &= ~mcModified;
    }
    return true;
}

void TMDIChild::FormClose()
{
    // Closing the live window discards the recording it shows.
    if ((Flags & (mcLive | mcRecording)) == (mcLive | mcRecording) && MainForm &&
        (MainForm->StateFlags & msRecording)) {
        StopAPTThread(4);
        MainForm->StateFlags |= msLiveWindowClosed;
        Flags &= ~(mcLive | mcRecording);
        MainForm->StopButton->trigger();
    }
    Flags |= mcClosing;
    if (MainForm) {
        MainForm->UpdateFileCommands(nullptr, false);
        // The next window to be activated enables it for its own stack.
        MainForm->UndoBtn->setEnabled(false);
        MainForm->UndoBtn->setToolTip("Undo");
    }
    Teardown();
}

void TMDIChild::CancelBtnClick()
{
    StopAPTThread(4);
    if ((Flags & mcRecording) && MainForm) {
        MainForm->StateFlags |= msLiveWindowClosed;
        MainForm->StopButton->trigger();
    }
    Flags &= ~mcRecording;
    Flags |= mcClosing;
    // Inside the main window the frame goes too: closing only this widget
    // would leave an empty frame on screen and in the Window menu.
    if (auto* frame = qobject_cast<QMdiSubWindow*>(parentWidget()))
        frame->close();
    else
        close();
}

void TMDIChild::Teardown()
{
    if (Flags & mcTornDown)
        return;
    Flags |= mcClosing | mcTornDown;
    StopAPTThread(4);
    ClearundolistClick(nullptr);
    DisplayBitmap = QImage();
    Image.reset();
    ImageInfo.reset();
    Pass.reset();
    DeleteRawImage();
    APT.reset();
    StopMapThread();
    delete HintWindow;
    HintWindow = nullptr;
    HintObject = nullptr;
}

// ---- progress panel ----

void TMDIChild::LayoutProgress()
{
    // Near the top left of the picture, as far in as the window's width allows.
    const QSize size = ProgressPanel->sizeHint();
    ProgressPanel->move(std::max(4, std::min(48, width() - size.width() - 4)), 90);
}

void TMDIChild::ShowProgress(bool show)
{
    for (QWidget* w : std::initializer_list<QWidget*>{Label1, Label2, Label3, LbTarget, LbPayload, LbStatus,
                                                      LbGaugePos, GaugePanel, CancelBtn})
        w->setVisible(show);
    if (show)
        LayoutProgress();
    ProgressPanel->setVisible(show);
    if (show)
        ProgressPanel->raise();
}

void TMDIChild::SetGauge(int lines)
{
    LbGaugePos->setText(lines > 0 ? QString::number(lines) : QString());
    SetGaugeBar(PassProgressPermille(lines, APT ? APT->MaxLines : 0, 0, 0));
}

void TMDIChild::ShowFinishing(int done, int steps)
{
    if (APT)
        SetGaugeBar(PassProgressPermille(APT->Lines, APT->MaxLines, done, steps));
}

void TMDIChild::SetGaugeBar(int permille)
{
    gauge->resize(std::max(1, permille * kGaugeWidth / 1000), gauge->height());
}

// ---- pictures ----

bool TMDIChild::CreateDisplayBitmap(int width, int height)
{
    DisplayBitmap = QImage();
    if (width < 1 || height < 1)
        return true;
    DisplayBitmap = QImage(width, height, QImage::Format_RGB32);
    if (DisplayBitmap.isNull()) {
        ShowBox("Failed to create the bitmap!", "Fatal Error: No memory!", true, false);
        if (APT)
            APT->StopFlags |= aptStopNoMemory;
        return false;
    }
    DisplayBitmap.fill(kWindowColour);
    return true;
}

bool TMDIChild::PrepareImage(int rows, int columns, int flags)
{
    Image.reset();
    ImageInfo.reset();
    if (!(flags & 2)) {
        ImageInfo.reset(CloneImageInfo(nullptr));
        if (!ImageInfo)
            return false;
        MagickImagePtr image(AcquireImage(ImageInfo.get()));
        if (!image || SetImageExtent(image.get(), std::max(columns, 1), std::max(rows, 1)) == MagickFalse) {
            ShowBox("Insufficient memory!\nUnable to create the image!", "FATAL Error", true, false);
            if (APT)
                APT->StopFlags |= aptStopNoMemory;
            return false;
        }
        image->storage_class = DirectClass;
        image->depth = 8;
        image->gamma = 1.0;
        Image = std::move(image);
    }
    if (flags & 2) {
        if (!CreateDisplayBitmap(columns, rows))
            return false;
    } else if (!(flags & 0x10)) {
        DisplayBitmap = QImage();
    }
    if (flags & 1)
        UpdateScrollRange();
    return true;
}

bool TMDIChild::ShowImage(const QString& caption, bool activate)
{
    if (!Image)
        return false;
    QImage picture = MagickToQImage(Image.get(), Exception.get());
    if (picture.isNull()) {
        QMessageBox::critical(this, "Fatal Error", "Failed to get HBITMAP\nProbably out of memory?");
        return false;
    }
    DisplayBitmap = picture.convertToFormat(QImage::Format_RGB32);
    UpdateScrollRange();
    pb->update();
    if (!caption.isEmpty())
        setWindowTitle(caption);
    if (activate && MainForm && MainForm->MDIArea()->currentSubWindow() &&
        MainForm->MDIArea()->currentSubWindow()->widget() == this)
        FormActivate();
    return true;
}

void TMDIChild::SetPreviewImage(::Image* image)
{
    QImage picture = MagickToQImage(image, Exception.get());
    if (picture.isNull()) {
        ShowImageError(Exception.get());
        return;
    }
    DisplayBitmap = picture.convertToFormat(QImage::Format_RGB32);
    pb->update();
}

MagickImagePtr TMDIChild::DuplicateImage(const ::Image* image, bool quiet)
{
    if (!image)
        return nullptr;
    MagickImagePtr copy(CloneImage(image, 0, 0, MagickTrue, Exception.get()));
    if (!copy && !quiet)
        ShowImageError(Exception.get());
    return copy;
}

void TMDIChild::ShowImageError(ExceptionInfo* exception)
{
    if (!exception || exception->severity == UndefinedException)
        return;
    const QString text = QString("%1\n%2\n%3")
                             .arg(windowTitle(), QString::fromLocal8Bit(exception->reason),
                                  QString::fromLocal8Bit(exception->description));
    QMessageBox box(QMessageBox::Critical, "Error", text, QMessageBox::Ok, this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
    ClearMagickException(exception);
}

bool TMDIChild::IsEditable() const
{
    return !DisplayBitmap.isNull() && Image && ImageInfo && APT && (APT->Flags & aptComplete) &&
           APT->StopFlags == 0;
}

void TMDIChild::UpdateScrollRange()
{
    QSize size;
    if ((Flags & mcFlatEarth) && EarthView)
        size = EarthView->GetMapSize();
    else if (Image)
        size = QSize(static_cast<int>(Image->columns), static_cast<int>(Image->rows));
    else if (!DisplayBitmap.isNull())
        size = DisplayBitmap.size();
    else
        return;
    const bool pausing = Flags & mcScrollChanging;
    pb->resize(size);
    if (pausing) {
        sb->horizontalScrollBar()->setValue(0);
        sb->verticalScrollBar()->setValue(0);
        Flags &= ~mcScrollChanging;
    }
}

void TMDIChild::HideGaugePanel() { GaugePanel->hide(); }

void TMDIChild::ShowStatus(const QString& caption) { LbStatus->setText(caption); }

void TMDIChild::HideProgress() { ShowProgress(false); }

void TMDIChild::AddLogLines(const QStringList& lines)
{
    if (LogForm)
        LogForm->AddLines(lines);
}
