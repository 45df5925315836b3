#include "imaging/ui/ModulateDlg.h"

#include "imaging/ui/MDIChild.h"
#include "imaging/ui/WaitCursor.h"
#include "platform/CNumbers.h"
#include "shell/Setting.h"
#include "shell/ui/MainForm.h"

#include <QGridLayout>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QStyle>
#include <QToolButton>
#include <QVBoxLayout>
#include <cmath>

TModulateDlg* ModulateDlg = nullptr;

namespace {

constexpr int kUpdating = 0x1;
// The gamma bar counts in steps of 0.05.
constexpr double kGammaStep = 0.05;

QSlider* MakeBar(QWidget* parent, const char* name, int maximum)
{
    auto* bar = new QSlider(Qt::Horizontal, parent);
    bar->setObjectName(name);
    bar->setRange(0, maximum);
    bar->setPageStep(maximum == 100 ? 1 : 10);
    bar->setTickPosition(QSlider::TicksBelow);
    bar->setTickInterval(5);
    return bar;
}

}  // namespace

TModulateDlg::TModulateDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("ModulateDlg");
    setWindowTitle("Modulate and gamma-correct");
    setFixedSize(406, 167);

    Brightness = MakeBar(this, "Brightness", 200);
    Saturation = MakeBar(this, "Saturation", 200);
    Hue = MakeBar(this, "Hue", 200);
    Gamma = MakeBar(this, "Gamma", 100);
    BrightnessLabel = new QLabel(this);
    SaturationLabel = new QLabel(this);
    HueLabel = new QLabel(this);
    GammaLabel = new QLabel(this);
    auto* bars = new QGridLayout;
    bars->setVerticalSpacing(2);
    const char* captions[] = {"Brightness:", "Saturation:", "Hue:", "Gamma:"};
    QSlider* sliders[] = {Brightness, Saturation, Hue, Gamma};
    QLabel* values[] = {BrightnessLabel, SaturationLabel, HueLabel, GammaLabel};
    for (int row = 0; row < 4; ++row) {
        bars->addWidget(new QLabel(captions[row], this), row, 0);
        bars->addWidget(sliders[row], row, 1);
        values[row]->setMinimumWidth(36);
        bars->addWidget(values[row], row, 2);
        connect(sliders[row], &QSlider::valueChanged, this, &TModulateDlg::ValuesChange);
    }

    PreviewBtn = new QToolButton(this);
    PreviewBtn->setObjectName("PreviewBtn");
    PreviewBtn->setAutoRaise(true);
    PreviewBtn->setIcon(style()->standardIcon(QStyle::SP_FileDialogContentsView));
    PreviewBtn->setToolTip("Prewiev");
    auto* analyze = new QPushButton("Analyze", this);
    analyze->setObjectName("AnalyzeImageBtn");
    auto* getDefaults = new QPushButton("Get default", this);
    getDefaults->setObjectName("GetDefaultsBtn");
    auto* setDefault = new QPushButton("Set as default", this);
    setDefault->setObjectName("SetDefaultBtn");
    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    for (QPushButton* button : {analyze, getDefaults, setDefault, ok, cancel})
        button->setAutoDefault(button == ok);
    connect(PreviewBtn, &QToolButton::clicked, this, &TModulateDlg::PreviewBtnClick);
    connect(analyze, &QPushButton::clicked, this, &TModulateDlg::AnalyzeImageBtnClick);
    connect(getDefaults, &QPushButton::clicked, this, &TModulateDlg::GetDefaultsBtnClick);
    connect(setDefault, &QPushButton::clicked, this, &TModulateDlg::SetDefaultBtnClick);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);

    auto* buttons = new QGridLayout;
    buttons->setSpacing(4);
    buttons->addWidget(ok, 0, 0);
    buttons->addWidget(cancel, 1, 0);
    buttons->addWidget(analyze, 2, 0);
    buttons->addWidget(getDefaults, 3, 0);
    buttons->addWidget(setDefault, 4, 0);
    auto* layout = new QGridLayout(this);
    layout->setContentsMargins(8, 6, 8, 6);
    layout->addLayout(bars, 0, 0);
    layout->addWidget(PreviewBtn, 1, 0, Qt::AlignLeft);
    layout->addLayout(buttons, 0, 1, 2, 1);
    ModulateDlg = this;
}

TModulateDlg::~TModulateDlg()
{
    if (ModulateDlg == this)
        ModulateDlg = nullptr;
}

TSetting* TModulateDlg::Defaults() const
{
    return MainForm ? MainForm->Settings.get() : nullptr;
}

double TModulateDlg::GammaValue() const
{
    return Gamma->value() * kGammaStep;
}

void TModulateDlg::RefreshLabels()
{
    BrightnessLabel->setText(QString("%1%").arg(Brightness->value()));
    SaturationLabel->setText(QString("%1%").arg(Saturation->value()));
    HueLabel->setText(QString("%1%").arg(Hue->value()));
    GammaLabel->setText(QString::fromStdString(cnum::Format("%.2f", GammaValue())));
}

void TModulateDlg::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TModulateDlg::FormShow()
{
    Flags |= kUpdating;
    Brightness->setValue(100);
    Saturation->setValue(100);
    Hue->setValue(100);
    Gamma->setValue(20);
    Flags &= ~kUpdating;
    RefreshLabels();
    Changed = false;
}

void TModulateDlg::ValuesChange()
{
    if (Flags & kUpdating)
        return;
    RefreshLabels();
    Changed = true;
}

bool TModulateDlg::Apply(Image* image)
{
    if (!ImageWindow || !image)
        return false;
    QApplication::processEvents();
    WaitCursor busy;
    // MagickCore reads these option strings with a point, whatever the
    // user's locale.
    const std::string modulation =
        cnum::Format("%d,%d,%d", Brightness->value(), Saturation->value(), Hue->value());
    const bool modulated = ModulateImage(image, modulation.c_str()) != MagickFalse;
    const double gamma = GammaValue();
    const std::string correction = cnum::Format("%.2f,%.2f,%.2f", gamma, gamma, gamma);
    const bool corrected = GammaImage(image, correction.c_str()) != MagickFalse;
    // Half a change is no success: the picture would not be what was asked.
    return modulated && corrected;
}

bool TModulateDlg::AnalyzeHSL(const Image* image, THSLStatistics& statistics)
{
    if (!image || image->columns == 0 || image->rows == 0)
        return false;
    MagickExceptionPtr exception(AcquireExceptionInfo());
    double lightness = 0, lightnessSquares = 0, saturation = 0, saturationSquares = 0;
    double count = 0;
    for (size_t y = 0; y < image->rows; ++y) {
        const PixelPacket* pixels = GetVirtualPixels(image, 0, static_cast<ssize_t>(y), image->columns, 1,
                                                     exception.get());
        if (!pixels)
            return false;
        for (size_t x = 0; x < image->columns; ++x) {
            double h = 0, s = 0, l = 0;
            ConvertRGBToHSL(pixels[x].red, pixels[x].green, pixels[x].blue, &h, &s, &l);
            lightness += l * 255;
            lightnessSquares += (l * 255) * (l * 255);
            saturation += s * 255;
            saturationSquares += (s * 255) * (s * 255);
            ++count;
        }
    }
    statistics.MeanLightness = lightness / count;
    statistics.MeanSaturation = saturation / count;
    statistics.LightnessDeviation =
        std::sqrt(std::max(0.0, lightnessSquares / count - statistics.MeanLightness * statistics.MeanLightness));
    statistics.SaturationDeviation =
        std::sqrt(std::max(0.0, saturationSquares / count - statistics.MeanSaturation * statistics.MeanSaturation));
    return true;
}

void TModulateDlg::PreviewBtnClick()
{
    if (!ImageWindow || !ImageWindow->Image)
        return;
    MagickImagePtr copy = ImageWindow->DuplicateImage(ImageWindow->Image.get(), false);
    if (!copy)
        return;
    if (!Apply(copy.get())) {
        QMessageBox::critical(this, "Error", "Failed to modulate image!");
        return;
    }
    ImageWindow->SetPreviewImage(copy.get());
    Changed = true;
}

void TModulateDlg::AnalyzeImageBtnClick()
{
    if (!ImageWindow || !ImageWindow->Image)
        return;
    QApplication::processEvents();
    THSLStatistics statistics;
    bool analysed;
    {
        WaitCursor busy;
        analysed = AnalyzeHSL(ImageWindow->Image.get(), statistics);
    }
    if (!analysed) {
        QMessageBox::critical(this, "Error: Corrupt image?", "Failed to analyze image!");
        return;
    }
    Flags |= kUpdating;
    Brightness->setValue(static_cast<int>(statistics.MeanLightness));
    Saturation->setValue(static_cast<int>(statistics.MeanSaturation));
    Hue->setValue(100);
    Flags &= ~kUpdating;
    ValuesChange();
}

void TModulateDlg::GetDefaultsBtnClick()
{
    TSetting* settings = Defaults();
    if (!settings)
        return;
    Flags |= kUpdating;
    Brightness->setValue(settings->ClampBrightness(0));
    Saturation->setValue(settings->ClampSaturation(0));
    Hue->setValue(settings->ClampHue(0));
    // The nearest step: a truncated product would show 1.0 as 1.05 and let
    // the stored gamma creep up with every round trip.
    Gamma->setValue(static_cast<int>(std::lround(settings->ClampGamma(0) / kGammaStep)));
    Flags &= ~kUpdating;
    RefreshLabels();
    Changed = false;
}

void TModulateDlg::SetDefaultBtnClick()
{
    TSetting* settings = Defaults();
    if (!settings)
        return;
    // A 0 only reads the setting and leaves it as it is.
    settings->ClampBrightness(Brightness->value());
    settings->ClampSaturation(Saturation->value());
    settings->ClampHue(Hue->value());
    settings->ClampGamma(GammaValue());
}
