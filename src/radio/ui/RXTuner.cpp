#include "radio/ui/RXTuner.h"

#include "imaging/ui/WaitCursor.h"
#include "platform/CNumbers.h"
#include "radio/RX2Protocol.h"
#include "radio/Rig.h"
#include "shell/ui/ColorConvert.h"
#include "shell/ui/WindowState.h"

#include <QCloseEvent>
#include <QCoreApplication>
#include <QLabel>
#include <QLinearGradient>
#include <QMessageBox>
#include <QPainter>
#include <QToolButton>

TRXTuner* RXTuner = nullptr;

namespace {

const char kPlacementKey[] = "APT\\RXTuner";
constexpr TColor kFreqColour = 15749135;  // RGB 15, 80, 240
const char kNoChannel[] = "--- SELECT ---";
// The row of channel keys, centred on the front.
constexpr int kKeySize = 34;
constexpr int kKeyPitch = 38;
constexpr int kKeysLeft = (TRXTuner::kClientWidth - (kRX2ChannelCount - 1) * kKeyPitch - kKeySize) / 2;
constexpr int kKeysTop = 58;

// The receiver's front: a dark body with the display window and the rows
// where the name, the buttons and the frequency sit.
QPixmap MakeFrontPicture()
{
    QImage front(TRXTuner::kClientWidth, TRXTuner::kClientHeight, QImage::Format_RGB32);
    QPainter p(&front);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(0, 0, 0, front.height());
    body.setColorAt(0, QColor(222, 224, 226));
    body.setColorAt(1, QColor(170, 174, 178));
    p.fillRect(front.rect(), body);
    p.setPen(QColor(120, 124, 128));
    p.drawRect(front.rect().adjusted(2, 2, -3, -3));
    p.setPen(QColor(60, 64, 70));
    p.setBrush(QColor(232, 238, 246));
    p.drawRoundedRect(QRectF(140, 104, 175, 26), 4, 4);
    // A key face under each flat channel button, so that they read as keys.
    p.setPen(QColor(110, 114, 120));
    p.setBrush(QColor(238, 240, 242));
    for (int i = 0; i < kRX2ChannelCount; ++i)
        p.drawRoundedRect(QRectF(kKeysLeft + kKeyPitch * i + 1.5, kKeysTop + 1.5, kKeySize - 3, kKeySize - 3), 5, 5);
    return QPixmap::fromImage(front);
}

}  // namespace

TRXTuner::TRXTuner(QWidget* parent) : QWidget(parent)
{
    RXTuner = this;
    setObjectName("RXTuner");
    setWindowFlags(Qt::Window | Qt::CustomizeWindowHint | Qt::WindowTitleHint | Qt::WindowSystemMenuHint |
                   Qt::WindowCloseButtonHint | Qt::WindowStaysOnTopHint | Qt::MSWindowsFixedSizeDialogHint);
    BuildLayout();
    FormCreate();
}

TRXTuner::~TRXTuner()
{
    FormDestroy();
    if (RXTuner == this)
        RXTuner = nullptr;
}

void TRXTuner::BuildLayout()
{
    setFixedSize(kClientWidth, kClientHeight);
    rximage = new QLabel(this);
    rximage->setObjectName("rximage");
    rximage->setAlignment(Qt::AlignCenter);
    rximage->setPixmap(MakeFrontPicture());
    rximage->setGeometry(rect());

    RXName = new QLabel(this);
    RXName->setObjectName("RXName");
    RXName->setAlignment(Qt::AlignCenter);
    QFont nameFont("Arial Black", 12);
    RXName->setFont(nameFont);
    RXName->setGeometry(0, 8, kClientWidth, 26);

    ChannelCaption = new QLabel("CHANNEL", this);
    ChannelCaption->setAlignment(Qt::AlignCenter);
    QFont small = ChannelCaption->font();
    small.setBold(true);
    small.setPointSize(7);
    ChannelCaption->setFont(small);
    ChannelCaption->setGeometry(0, 40, kClientWidth, 14);

    QToolButton** buttons[] = {&ch_0_btn, &ch_1_btn, &ch_2_btn, &ch_3_btn, &ch_4_btn,
                               &ch_5_btn, &ch_6_btn, &ch_7_btn, &ch_8_btn, &ch_9_btn};
    for (int i = 0; i < kRX2ChannelCount; ++i) {
        auto* button = new QToolButton(this);
        button->setObjectName(QString("ch_%1_btn").arg(i));
        button->setText(QString::number(i + 1));
        button->setProperty("Tag", i);
        button->setToolTip(QString::fromStdString(cnum::Format("%.3f MHz", kRX2ChannelMHz[i])));
        button->setAutoRaise(true);
        button->setGeometry(kKeysLeft + kKeyPitch * i, kKeysTop, kKeySize, kKeySize);
        connect(button, &QToolButton::clicked, this, [this, button] { TuneRXClick(button); });
        *buttons[i] = button;
    }

    FreqLabel = new QLabel(kNoChannel, this);
    FreqLabel->setObjectName("FreqLabel");
    FreqLabel->setAlignment(Qt::AlignCenter);
    QFont freqFont = FreqLabel->font();
    freqFont.setBold(true);
    FreqLabel->setFont(freqFont);
    QPalette colours = FreqLabel->palette();
    colours.setColor(QPalette::WindowText, ToQColor(kFreqColour));
    FreqLabel->setPalette(colours);
    FreqLabel->setGeometry(140, 104, 175, 26);

    ScanBtn = new QToolButton(this);
    ScanBtn->setObjectName("ScanBtn");
    ScanBtn->setText("SCAN");
    ScanBtn->setGeometry(360, 104, 60, 26);
    connect(ScanBtn, &QToolButton::clicked, this, [this] { ScanBtnClick(); });
}

void TRXTuner::FormCreate()
{
    placed_ = RestoreFormPlacement(this, kPlacementKey, 0);
}

void TRXTuner::FormDestroy()
{
    SaveFormPlacement(this, kPlacementKey);
}

void TRXTuner::showEvent(QShowEvent* event)
{
    if (!placed_)
        PlaceOverOwner(this);
    placed_ = true;
    FormShow();
    QWidget::showEvent(event);
}

void TRXTuner::FormShow()
{
    const QString name = QString("%1 RECEIVER").arg(Rig ? Rig->GetRadioName() : QString());
    setWindowTitle(name);
    RXName->setText(name);
    ScanBtn->setVisible(Rig && Rig->Radio == 1);
    FreqLabel->setText(kNoChannel);
}

void TRXTuner::closeEvent(QCloseEvent* event)
{
    FormClose();
    QWidget::closeEvent(event);
}

void TRXTuner::FormClose()
{
    if (Rig)
        Rig->Close();
}

QToolButton* TRXTuner::ChannelButton(int index) const
{
    const QToolButton* buttons[] = {ch_0_btn, ch_1_btn, ch_2_btn, ch_3_btn, ch_4_btn,
                                    ch_5_btn, ch_6_btn, ch_7_btn, ch_8_btn, ch_9_btn};
    return index >= 0 && index < kRX2ChannelCount ? const_cast<QToolButton*>(buttons[index]) : nullptr;
}

void TRXTuner::FailureBox(const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, Rig->GetErrorText(), QMessageBox::Ok, this);
    box.exec();
}

void TRXTuner::TuneRXClick(QObject* sender)
{
    auto* button = qobject_cast<QToolButton*>(sender);
    if (!button || !Rig)
        return;
    QCoreApplication::processEvents();
    bool tuned;
    {
        WaitCursor wait;
        tuned = Rig->SetChannel(button->property("Tag").toInt());
    }
    if (tuned)
        FreqLabel->setText(button->toolTip());
    else
        FailureBox("Error: Failed to tune!");
}

void TRXTuner::ScanBtnClick()
{
    if (!Rig)
        return;
    QCoreApplication::processEvents();
    bool scanning;
    {
        WaitCursor wait;
        scanning = StartRX2Scan(*Rig);
    }
    if (scanning)
        FreqLabel->setText("... SCAN ...");
    else
        FailureBox("Error: Failed to scan!");
}

bool TRXTuner::SelectChannelByFrequency(const QString& mhz)
{
    if (!Rig)
        return false;
    const int index = GetRX2ChannelOfText(*Rig, mhz);
    if (index < 0 || index >= kRX2ChannelCount || !Rig->SetChannel(index))
        return false;
    FreqLabel->setText(ChannelButton(index)->toolTip());
    return true;
}
