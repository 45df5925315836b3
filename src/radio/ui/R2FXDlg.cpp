#include "radio/ui/R2FXDlg.h"

#include "imaging/ui/WaitCursor.h"
#include "platform/CNumbers.h"
#include "radio/R2FXMemory.h"
#include "radio/R2FXProtocol.h"
#include "radio/Rig.h"
#include "radio/ui/R2FXThread.h"
#include "shell/ui/UDEdit.h"

#include <QCoreApplication>
#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QToolButton>
#include <exception>

TR2FXDlg* R2FXDlg = nullptr;

namespace {
constexpr int kTextWidth = 280;
}  // namespace

TR2FXDlg::TR2FXDlg(QWidget* parent) : QDialog(parent)
{
    R2FXDlg = this;
    setObjectName("R2FXDlg");
    setWindowTitle("R2FX Receiver Setup");
    BuildLayout();
}

TR2FXDlg::~TR2FXDlg()
{
    if (R2FXDlg == this)
        R2FXDlg = nullptr;
}

void TR2FXDlg::BuildLayout()
{
    auto* grid = new QGridLayout(this);
    LoadR2FXBtn = new QPushButton("Read memory", this);
    LoadR2FXBtn->setObjectName("LoadR2FXBtn");
    LoadR2FXBtn->setToolTip("Read program channels ");
    connect(LoadR2FXBtn, &QPushButton::clicked, this, [this] { LoadR2FXBtnClick(); });
    grid->addWidget(LoadR2FXBtn, 0, 0, 1, 3);

    TUDEdit** edits[] = {&r2fx_ch1, &r2fx_ch2, &r2fx_ch3, &r2fx_ch4, &r2fx_ch5, &r2fx_ch6};
    QToolButton** buttons[] = {&r2fx_ch1_btn, &r2fx_ch2_btn, &r2fx_ch3_btn,
                               &r2fx_ch4_btn, &r2fx_ch5_btn, &r2fx_ch6_btn};
    for (int i = 0; i < 6; ++i) {
        grid->addWidget(new QLabel(QString("Channel %1:").arg(i + 1), this), i + 1, 0);
        auto* edit = new TUDEdit(this);
        edit->setObjectName(QString("r2fx_ch%1").arg(i + 1));
        edit->SetMinValue(134);
        edit->SetMaxValue(139.99);
        edit->SetStep(0.01);
        edit->SetDigits(3);
        edit->SetValue(134);
        edit->setMinimumWidth(90);
        grid->addWidget(edit, i + 1, 1);
        auto* button = new QToolButton(this);
        button->setObjectName(QString("r2fx_ch%1_btn").arg(i + 1));
        button->setText("Apply");
        button->setToolTip("Apply");
        button->setProperty("Tag", i + 1);
        connect(button, &QToolButton::clicked, this, [this, button] { SetR2FXChannelBtnClick(button); });
        grid->addWidget(button, i + 1, 2);
        *edits[i] = edit;
        *buttons[i] = button;
    }

    r2fx_threshold = new QSlider(Qt::Horizontal, this);
    r2fx_threshold->setObjectName("r2fx_threshold");
    r2fx_threshold->setRange(0, 99);
    r2fx_threshold->setValue(0);
    connect(r2fx_threshold, &QSlider::valueChanged, this, [this] { r2fx_thresholdChange(); });
    r2fx_threshold_label = new QLabel("0", this);
    r2fx_threshold_label->setObjectName("r2fx_threshold_label");
    QFont bold = r2fx_threshold_label->font();
    bold.setBold(true);
    r2fx_threshold_label->setFont(bold);
    r2fx_thresholdbtn = new QToolButton(this);
    r2fx_thresholdbtn->setObjectName("r2fx_thresholdbtn");
    r2fx_thresholdbtn->setText("Apply");
    r2fx_thresholdbtn->setToolTip("Apply threshold value");
    connect(r2fx_thresholdbtn, &QToolButton::clicked, this, [this] { r2fx_thresholdbtnClick(); });
    grid->addWidget(new QLabel("Threshold:", this), 7, 0);
    auto* thresholdRow = new QHBoxLayout;
    thresholdRow->addWidget(r2fx_threshold, 1);
    thresholdRow->addWidget(r2fx_threshold_label);
    grid->addLayout(thresholdRow, 7, 1);
    grid->addWidget(r2fx_thresholdbtn, 7, 2);

    Explanation = new QLabel(
        "Threshold value where the scanner stops. Reasonable values lay between 50 and 80. The initial value is "
        "61. This is useful if you operate the receiver in environments where RF noise exists, which otherwise "
        "would render the scanner to stop.",
        this);
    Explanation->setWordWrap(true);
    // A wrapped label of fixed width gets the height its lines need.
    Explanation->setFixedWidth(kTextWidth);
    grid->addWidget(Explanation, 8, 0, 1, 3);
    ErrLabel = new QLabel(this);
    ErrLabel->setObjectName("ErrLabel");
    ErrLabel->setWordWrap(true);
    ErrLabel->setFixedWidth(kTextWidth);
    ErrLabel->setMinimumHeight(32);
    grid->addWidget(ErrLabel, 9, 0, 1, 3);
    grid->setSizeConstraint(QLayout::SetFixedSize);
}

TUDEdit* TR2FXDlg::ChannelEdit(int channel) const
{
    const TUDEdit* edits[] = {r2fx_ch1, r2fx_ch2, r2fx_ch3, r2fx_ch4, r2fx_ch5, r2fx_ch6};
    return channel >= 1 && channel <= 6 ? const_cast<TUDEdit*>(edits[channel - 1]) : nullptr;
}

void TR2FXDlg::ShowMemory(const QStringList& lines)
{
    for (int channel = 1; channel <= 6; ++channel)
        ChannelEdit(channel)->SetValue(R2FXChannelText(lines, channel));
    r2fx_threshold->setValue(R2FXThresholdOf(lines));
}

void TR2FXDlg::ErrorBox()
{
    QMessageBox box(QMessageBox::Critical, "R2FX Error", Rig ? Rig->GetErrorText() : QString("Unknown error"),
                    QMessageBox::Ok, this);
    box.exec();
}

void TR2FXDlg::IOErrorBox(const QString& text)
{
    QMessageBox box(QMessageBox::Critical, "R2FX I/O Error", text, QMessageBox::Ok, this);
    box.exec();
}

void TR2FXDlg::LoadR2FXBtnClick()
{
    if (!Rig)
        return;
    QCoreApplication::processEvents();
    WaitCursor wait;
    try {
        if (const std::optional<QStringList> lines = ReadR2FXMemory(*Rig))
            ShowMemory(*lines);
        else
            ErrorBox();
    } catch (const std::exception&) {
        IOErrorBox("Failed to read memory!\nPlease try again.");
    }
}

void TR2FXDlg::SetR2FXChannelBtnClick(QObject* sender)
{
    auto* button = qobject_cast<QToolButton*>(sender);
    const int channel = button ? button->property("Tag").toInt() : 0;
    TUDEdit* edit = ChannelEdit(channel);
    if (!edit || !Rig)
        return;
    const double mhz = edit->Value();
    if (Thread) {
        ErrLabel->setText(QString::fromStdString(
            cnum::Format("Program channel %d to %.3f MHz.\nPlease wait...", channel, mhz)));
        Thread->Channel = channel;
        Thread->Frequency = mhz;
        Thread->SetFlags(rfProgramChannel);
        Changed = true;
        return;
    }
    QCoreApplication::processEvents();
    WaitCursor wait;
    try {
        if (!ProgramR2FXChannel(*Rig, channel, mhz))
            ErrorBox();
    } catch (const std::exception&) {
        IOErrorBox("Failed to program channel!\nPlease try again.");
    }
}

void TR2FXDlg::r2fx_thresholdbtnClick()
{
    if (!Rig)
        return;
    const int threshold = r2fx_threshold->value();
    if (Thread) {
        ErrLabel->setText(QString("Program threshold value to %1.\nPlease wait...").arg(threshold));
        Thread->Threshold = threshold;
        Thread->SetFlags(rfProgramThreshold);
        Changed = true;
        return;
    }
    QCoreApplication::processEvents();
    WaitCursor wait;
    try {
        if (!SetR2FXThreshold(*Rig, threshold))
            ErrorBox();
    } catch (const std::exception&) {
        IOErrorBox("Failed to program threshold!\nPlease try again.");
        Rig->Close();
    }
}

void TR2FXDlg::r2fx_thresholdChange()
{
    r2fx_threshold_label->setText(QString::number(r2fx_threshold->value()));
}
