#include "radio/ui/R2FXForm.h"

#include "platform/CNumbers.h"
#include "radio/R2FXMemory.h"
#include "radio/R2FXProtocol.h"
#include "radio/Rig.h"
#include "radio/ui/R2FXPictures.h"
#include "radio/ui/R2FXThread.h"
#include "shell/ui/ColorConvert.h"
#include "shell/ui/UDEdit.h"
#include "shell/ui/WindowState.h"

#include <QCloseEvent>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPaintEvent>
#include <QPainter>
#include <QToolButton>
#include <algorithm>
#include <cmath>
#include <optional>

TR2FXForm* R2FXForm = nullptr;

namespace {

const char kPlacementKey[] = "APT\\R2FXTuner";
constexpr TColor kDisplayColour = 6976108;  // RGB 108, 114, 106
constexpr TColor kFigureColour = 780459;    // RGB 171, 232, 11
// Lamp rows and the panel rectangles the steps redraw.
constexpr int kChannelLampLeft = 217;
constexpr int kChannelLampTop = 90;
constexpr int kMeterLampLeft = 47;
constexpr int kMeterLampTop = 91;
const QRect kChannelArea(QPoint(216, 91), QPoint(324, 108));
const QRect kMeterArea(QPoint(47, 91), QPoint(119, 108));

// The meter's lamp index up to which lamps are lit: one lamp per 22.5 above 40.
int MeterLevel(int signal)
{
    return static_cast<int>(std::trunc((signal - 40) / 22.5));
}

}  // namespace

TR2FXForm::TR2FXForm(QWidget* parent) : QWidget(parent)
{
    R2FXForm = this;
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowMinimizeButtonHint | Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint |
                   Qt::MSWindowsFixedSizeDialogHint);
    setWindowTitle("R2FX Tuner and Programmer");
    setObjectName("R2FXForm");
    BuildLayout();
    FormCreate();
}

TR2FXForm::~TR2FXForm()
{
    FormDestroy();
    if (R2FXForm == this)
        R2FXForm = nullptr;
}

void TR2FXForm::BuildLayout()
{
    r2fx_Image = MakeR2FXFrontPanel();
    s_0_image = MakeR2FXSignalLamp(false);
    s_1_image = MakeR2FXSignalLamp(true);
    ch_0_image = MakeR2FXChannelLamp(false);
    ch_1_image = MakeR2FXChannelLamp(true);
    setFixedSize(r2fx_Image.size());
    surface_ = r2fx_Image.copy();

    QToolButton** channelButtons[] = {&ch_1_btn, &ch_2_btn, &ch_3_btn, &ch_4_btn, &ch_5_btn, &ch_6_btn};
    for (int i = 0; i < 6; ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString("ch_%1_btn").arg(i + 1));
        button->setProperty("Tag", i + 1);
        button->setGeometry(216 + 18 * i, 89, 18, 20);
        button->setAutoRaise(true);
        button->setCursor(Qt::PointingHandCursor);
        button->setStyleSheet("QToolButton { background: transparent; border: none; }"
                              "QToolButton:hover { border: 1px solid rgb(171, 232, 11); }");
        connect(button, &QToolButton::clicked, this, [this, button] { ToggleChannelClick(button); });
        *channelButtons[i] = button;
    }

    Freq = new TUDEdit(this);
    Freq->setObjectName("Freq");
    Freq->SetMinValue(134);
    Freq->SetMaxValue(139.99);
    Freq->SetStep(0.01);
    Freq->SetDigits(3);
    Freq->SetValue(137.5);
    Freq->move(268, 24);

    tuneBtn = new QToolButton(this);
    tuneBtn->setObjectName("tuneBtn");
    tuneBtn->setText("TUNE");
    tuneBtn->setToolTip("Tune to frequency");
    tuneBtn->setGeometry(352, 24, 42, 22);
    connect(tuneBtn, &QToolButton::clicked, this, [this] { tuneBtnClick(); });

    SetupR2FXBtn = new QToolButton(this);
    SetupR2FXBtn->setObjectName("SetupR2FXBtn");
    SetupR2FXBtn->setText("SETUP");
    SetupR2FXBtn->setGeometry(340, 118, 58, 20);
    SpeedButton1 = new QToolButton(this);
    SpeedButton1->setObjectName("SpeedButton1");
    SpeedButton1->setText("...");
    SpeedButton1->setGeometry(14, 118, 24, 20);
    for (QToolButton* button : {SetupR2FXBtn, SpeedButton1}) {
        button->setToolTip("R2FX Receiver Setup...");
        connect(button, &QToolButton::clicked, this, [this] { SetupR2FXBtnClick(); });
    }

    signalLabel = new QLabel(this);
    signalLabel->setObjectName("signalLabel");
    QFont bold = signalLabel->font();
    bold.setBold(true);
    signalLabel->setFont(bold);
    QPalette colours = signalLabel->palette();
    colours.setColor(QPalette::WindowText, ToQColor(kFigureColour));
    signalLabel->setPalette(colours);
    signalLabel->setGeometry(119, 112, 40, 16);
}

void TR2FXForm::showEvent(QShowEvent* event)
{
    if (!placed_)
        PlaceOverOwner(this);
    placed_ = true;
    QWidget::showEvent(event);
}

void TR2FXForm::FormCreate()
{
    placed_ = RestoreFormPlacement(this, kPlacementKey, 0);
    Freq->SetEditColor(ToQColor(kDisplayColour));
    Freq->SetEditFontColor(ToQColor(kFigureColour));
    Freq->SetEditFontStyle(TUDEdit::fsBold);
    Freq->resize(78, Freq->height());
    MemoryLines.clear();
    PollThread = nullptr;
    Rig = nullptr;
}

void TR2FXForm::FormDestroy()
{
    SaveFormPlacement(this, kPlacementKey);
    StopPollThread();
    MemoryLines.clear();
}

void TR2FXForm::FormClose()
{
    StopPollThread();
    if (Rig)
        Rig->Close();
}

void TR2FXForm::closeEvent(QCloseEvent* event)
{
    FormClose();
    QWidget::closeEvent(event);
}

bool TR2FXForm::FormCanResize(const QSize& requested) const
{
    return requested == r2fx_Image.size();
}

void TR2FXForm::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    if (!FormCanResize(size()))
        resize(r2fx_Image.size());
}

bool TR2FXForm::IsPolling() const
{
    return PollThread && PollThread->IsRunning();
}

void TR2FXForm::StopPollThread()
{
    if (!PollThread)
        return;
    if (PollThread->IsRunning())
        PollThread->Terminate();
    // The destructor waits for the thread, running its pending steps.
    delete PollThread;
    PollThread = nullptr;
}

QToolButton* TR2FXForm::ChannelButton(int channel) const
{
    const QToolButton* buttons[] = {ch_1_btn, ch_2_btn, ch_3_btn, ch_4_btn, ch_5_btn, ch_6_btn};
    return channel >= 1 && channel <= 6 ? const_cast<QToolButton*>(buttons[channel - 1]) : nullptr;
}

bool TR2FXForm::ConnectReceiver(bool showError)
{
    StopPollThread();
    CurrentChannel = 0;
    MemoryLines.clear();
    signalLabel->clear();
    Freq->Edit()->clear();
    std::optional<QStringList> lines;
    if (Rig)
        lines = ReadR2FXMemory(*Rig);
    if (!lines) {
        if (showError) {
            const QString reason = Rig ? Rig->GetErrorText() : QString("No receiver link");
            // Before the window is first shown the box stands over the program.
            QMessageBox box(QMessageBox::Critical, "R2FX Error",
                            reason + "\nUse the General Settings-dialog to configure your radio.", QMessageBox::Ok,
                            isVisible() || !parentWidget() ? this : parentWidget()->window());
            box.exec();
        }
        if (Rig)
            Rig->Close();
        update();
        return false;
    }
    MemoryLines = *lines;
    for (int channel = 1; channel <= 6; ++channel)
        ChannelButton(channel)->setToolTip(MemoryLines[channel - 1]);
    CurrentChannel = R2FXCurrentChannel(MemoryLines);
    // The edit converts the text and holds it to its range.
    Freq->SetValue(CurrentChannel ? R2FXChannelText(MemoryLines, CurrentChannel) : QString("137.500"));
    Freq->Edit()->setFocus();
    PollThread = new TR2FXThread(Rig, this);
    update();
    return true;
}

bool TR2FXForm::SelectChannelByFrequency(const QString& mhz)
{
    if (!IsPolling())
        return true;
    const double requested = cnum::ParseFloat(mhz);
    if (!CheckR2FXFrequency(*Rig, requested))
        return false;
    // The memory holds 10 kHz steps: 137.9125 is found as 137.91.
    const double rounded = cnum::ParseFloat(cnum::Format("%.2f", requested));
    const int lines = std::min<int>(6, MemoryLines.size());
    for (int channel = 1; channel <= lines; ++channel) {
        if (R2FXChannelMHz(MemoryLines, channel) == rounded) {
            PollThread->Channel = channel;
            PollThread->Frequency = rounded;
            PollThread->SetFlags(rfSelectChannel);
            return true;
        }
    }
    // The link itself did nothing wrong: without this the tracker's report
    // would read only "Unknown error".
    Rig->SetErrorText(QString("Tuning the R2FX on COM %1 to %2 MHz: no line of its memory holds %3 MHz")
                          .arg(Rig->Port)
                          .arg(mhz, QString::fromStdString(cnum::Format("%.3f", rounded))));
    return false;
}

void TR2FXForm::tuneBtnClick()
{
    if (IsPolling())
        PollThread->SetFlags(rfTune);
}

void TR2FXForm::ToggleChannelClick(QObject* sender)
{
    auto* button = qobject_cast<QToolButton*>(sender);
    if (!button)
        return;
    const int tag = button->property("Tag").toInt();
    if (tag < 1 || tag > 6 || MemoryLines.size() < 6 || !IsPolling())
        return;
    PollThread->Channel = tag;
    PollThread->Frequency = R2FXChannelMHz(MemoryLines, tag);
    PollThread->SetFlags(rfSelectChannel);
}

void TR2FXForm::DrawChannelLamps(int channel)
{
    QPainter p(&surface_);
    for (int i = 1; i <= 6; ++i) {
        const QImage& lamp = i == channel ? ch_1_image : ch_0_image;
        p.drawImage(kChannelLampLeft + (i - 1) * (lamp.width() + 1), kChannelLampTop, lamp);
    }
}

void TR2FXForm::DrawMeterLamps(int litUpTo, const std::function<bool()>& stop)
{
    QPainter p(&surface_);
    for (int j = 0; j < 4; ++j) {
        if (stop && stop())
            return;
        const QImage& lamp = j <= litUpTo ? s_1_image : s_0_image;
        p.drawImage(kMeterLampLeft + j * (lamp.width() + 1), kMeterLampTop, lamp);
    }
}

void TR2FXForm::DrawMeter(int signal, const std::function<bool()>& stop)
{
    {
        QPainter p(&surface_);
        p.drawImage(kMeterArea.topLeft(), r2fx_Image, kMeterArea);
    }
    // The thread's drawing lights nothing below 40 (a full repaint does).
    DrawMeterLamps(signal >= 40 ? MeterLevel(signal) : -1, stop);
    update(kMeterArea);
}

void TR2FXForm::ShowChannel(int channel, double mhz)
{
    {
        QPainter p(&surface_);
        p.drawImage(kChannelArea.topLeft(), r2fx_Image, kChannelArea);
    }
    DrawChannelLamps(channel);
    CurrentChannel = channel;
    Freq->SetValue(mhz);
    update(kChannelArea.adjusted(0, -1, 0, 0));
}

void TR2FXForm::FormPaint()
{
    surface_ = r2fx_Image.copy();
    DrawChannelLamps(CurrentChannel);
    const int signal = IsPolling() ? PollThread->Signal.load() : 0;
    DrawMeterLamps(MeterLevel(signal), {});
}

void TR2FXForm::paintEvent(QPaintEvent* event)
{
    // A step redraws only its own rectangle on the surface; anything more
    // (showing, uncovering) repaints the whole panel.
    if (!kMeterArea.contains(event->rect()) && !kChannelArea.adjusted(0, -1, 0, 0).contains(event->rect()))
        FormPaint();
    QPainter p(this);
    p.drawImage(event->rect(), surface_, event->rect());
}
