#include "imaging/ui/ResizeDlg.h"

#include "platform/CNumbers.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QGridLayout>
#include <QGroupBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>
#include <QVBoxLayout>
#include <algorithm>
#include <cmath>
#include <iterator>

TResizeDlg* ResizeDlg = nullptr;

namespace {

// The filters in the order of the stored numbers, item index + 1.
const char* const kFilterCaptions[] = {"Point",   "Box",       "Triangle", "Hermite", "Hanning",
                                       "Hamming", "Blackman",  "Gaussian", "Quadratic", "Cubic",
                                       "Catrom",  "Mitchell",  "Lanczos",  "Bessel",  "Sinc"};
constexpr int kLanczosItem = 12;

// Nearest whole number, halves to even, held within int.
int RoundToInt(double value)
{
    if (!std::isfinite(value))
        return 0;
    return static_cast<int>(std::nearbyint(std::clamp(value, -2147483648.0, 2147483647.0)));
}

int WholeNumber(const QLineEdit* field)
{
    return static_cast<int>(std::clamp<long long>(cnum::ParseInt(field->text()), INT32_MIN, INT32_MAX));
}

double Number(const QLineEdit* field)
{
    return cnum::ParseFloat(field->text());
}

}  // namespace

TResizeDlg::TResizeDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("ResizeDlg");
    setWindowTitle("Resize");
    setFixedSize(282, 364);

    auto* resize = new QGroupBox(" Resize ", this);
    MaintainAspect = new QCheckBox("Maintain aspect ratio of:", resize);
    MaintainAspect->setObjectName("MaintainAspect");
    MaintainAspect->setChecked(true);
    AspectLabel = new QLabel(resize);
    AspectLabel->setObjectName("AspectLabel");
    PixelSize = new QRadioButton("Pixel size", resize);
    PixelSize->setObjectName("PixelSize");
    PixelSize->setChecked(true);
    Percentage = new QRadioButton("Percentage of size", resize);
    Percentage->setObjectName("Percentage");
    IWidth = new QLineEdit("50", resize);
    IWidth->setObjectName("IWidth");
    IHeight = new QLineEdit("50", resize);
    IHeight->setObjectName("IHeight");
    SizeLabel = new QLabel(resize);
    SizeLabel->setObjectName("SizeLabel");
    NewSizeLabel = new QLabel(resize);
    NewSizeLabel->setObjectName("NewSizeLabel");
    auto* aspectRow = new QHBoxLayout;
    aspectRow->addWidget(MaintainAspect);
    aspectRow->addWidget(AspectLabel, 1);
    auto* modeRow = new QHBoxLayout;
    modeRow->addWidget(PixelSize);
    modeRow->addWidget(Percentage, 1);
    auto* grid = new QGridLayout;
    grid->setVerticalSpacing(2);
    grid->addWidget(new QLabel("Width :", resize), 0, 0);
    grid->addWidget(IWidth, 0, 1);
    grid->addWidget(new QLabel("Height :", resize), 1, 0);
    grid->addWidget(IHeight, 1, 1);
    grid->addWidget(new QLabel("Original size (w x h):", resize), 2, 0);
    grid->addWidget(SizeLabel, 2, 1);
    grid->addWidget(new QLabel("New size:", resize), 3, 0);
    grid->addWidget(NewSizeLabel, 3, 1);
    grid->setColumnStretch(1, 1);
    auto* resizeLayout = new QVBoxLayout(resize);
    resizeLayout->setContentsMargins(6, 2, 6, 4);
    resizeLayout->setSpacing(2);
    resizeLayout->addLayout(aspectRow);
    resizeLayout->addLayout(modeRow);
    resizeLayout->addLayout(grid);

    auto* filters = new QGroupBox(" Filter ", this);
    filters->setObjectName("Filters");
    Filters = new QButtonGroup(this);
    auto* filterGrid = new QGridLayout(filters);
    filterGrid->setContentsMargins(6, 2, 6, 2);
    filterGrid->setVerticalSpacing(0);
    const int perColumn = (static_cast<int>(std::size(kFilterCaptions)) + 2) / 3;
    for (int item = 0; item < static_cast<int>(std::size(kFilterCaptions)); ++item) {
        auto* button = new QRadioButton(kFilterCaptions[item], filters);
        Filters->addButton(button, item);
        filterGrid->addWidget(button, item % perColumn, item / perColumn);
    }
    Filters->button(kLanczosItem)->setChecked(true);

    auto* blur = new QGroupBox(" Blur Factor ", this);
    auto* blurText = new QLabel("The blur factor where > 1 is blurry and < 1 is sharp.", blur);
    blurText->setWordWrap(true);
    Blur = new QLineEdit("0", blur);
    Blur->setObjectName("Blur");
    auto* blurRow = new QHBoxLayout(blur);
    blurRow->setContentsMargins(6, 2, 6, 2);
    blurRow->addWidget(blurText, 1);
    blurRow->addWidget(Blur);
    Blur->setFixedWidth(50);

    auto* ok = new QPushButton("OK", this);
    ok->setDefault(true);
    auto* cancel = new QPushButton("Cancel", this);
    connect(ok, &QPushButton::clicked, this, &QDialog::accept);
    connect(cancel, &QPushButton::clicked, this, &QDialog::reject);
    auto* buttons = new QHBoxLayout;
    buttons->addStretch();
    buttons->addWidget(ok);
    buttons->addWidget(cancel);

    auto* layout = new QVBoxLayout(this);
    layout->setContentsMargins(6, 4, 6, 6);
    layout->setSpacing(2);
    layout->addWidget(resize);
    layout->addWidget(filters);
    layout->addWidget(blur);
    layout->addLayout(buttons);

    connect(IWidth, &QLineEdit::textChanged, this, &TResizeDlg::IWidthChange);
    connect(IHeight, &QLineEdit::textChanged, this, &TResizeDlg::IHeightChange);
    // Only a change of mode converts the fields.
    connect(PixelSize, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ResizeRatioClick(0);
    });
    connect(Percentage, &QRadioButton::toggled, this, [this](bool on) {
        if (on)
            ResizeRatioClick(1);
    });
    ResizeDlg = this;
}

TResizeDlg::~TResizeDlg()
{
    if (ResizeDlg == this)
        ResizeDlg = nullptr;
}

void TResizeDlg::showEvent(QShowEvent* event)
{
    FormShow();
    QDialog::showEvent(event);
}

void TResizeDlg::FormShow()
{
    Flags = rdShowing;
    if (!(OrigWidth > 0))
        OrigWidth = 1;
    if (!(OrigHeight > 0))
        OrigHeight = 1;
    AspectRatio = OrigWidth / OrigHeight;
    AspectLabel->setText(QString::fromStdString(cnum::Format("%g", AspectRatio)));
    SizeLabel->setText(QString("%1 x %2").arg(static_cast<int>(OrigWidth)).arg(static_cast<int>(OrigHeight)));
    const bool percent = Percentage->isChecked();
    // Both fields start from the picture as it is, with the aspect kept or
    // not: a height left from an earlier picture would mean nothing here.
    IWidth->setText(QString::number(percent ? 100 : static_cast<int>(OrigWidth)));
    IHeight->setText(QString::number(percent ? 100 : static_cast<int>(OrigHeight)));
    UpdateNewSize();
    Flags &= ~rdShowing;
}

int TResizeDlg::GetHeightValue(bool derive) const
{
    if (MaintainAspect->isChecked() && derive) {
        const double width = Number(IWidth);
        return PixelSize->isChecked() ? RoundToInt(width / AspectRatio) : RoundToInt(std::trunc(width));
    }
    return WholeNumber(IHeight);
}

int TResizeDlg::GetWidthValue(bool derive) const
{
    if (MaintainAspect->isChecked() && derive) {
        const double height = Number(IHeight);
        return PixelSize->isChecked() ? RoundToInt(height * AspectRatio) : RoundToInt(std::trunc(height));
    }
    return WholeNumber(IWidth);
}

void TResizeDlg::IWidthChange()
{
    if (Flags & (rdShowing | rdUpdating))
        return;
    Flags |= rdUpdating;
    IHeight->setText(QString::number(GetHeightValue(true)));
    UpdateNewSize();
    Flags |= rdSizeEntered;
    Flags &= ~rdUpdating;
}

void TResizeDlg::IHeightChange()
{
    if (Flags & (rdShowing | rdUpdating))
        return;
    Flags |= rdUpdating;
    IWidth->setText(QString::number(GetWidthValue(true)));
    UpdateNewSize();
    Flags |= rdSizeEntered;
    Flags &= ~rdUpdating;
}

void TResizeDlg::UpdateNewSize()
{
    double width = Number(IWidth);
    double height = Number(IHeight);
    if (Percentage->isChecked()) {
        width *= OrigWidth * 0.01;
        height *= OrigHeight * 0.01;
    }
    NewSizeLabel->setText(QString("%1 x %2").arg(RoundToInt(width)).arg(RoundToInt(height)));
}

void TResizeDlg::ResizeRatioClick(int tag)
{
    if (Flags & (rdShowing | rdUpdating))
        return;
    Flags |= rdUpdating;
    const int width = std::max(WholeNumber(IWidth), 1);
    const int height = std::max(WholeNumber(IHeight), 1);
    if (tag == 1) {
        IWidth->setText(QString::number(RoundToInt(width / OrigWidth * 100)));
        IHeight->setText(QString::number(RoundToInt(height / OrigHeight * 100)));
    } else {
        IWidth->setText(QString::number(RoundToInt(OrigWidth * width * 0.01)));
        IHeight->setText(QString::number(RoundToInt(OrigHeight * height * 0.01)));
    }
    Flags &= ~rdUpdating;
}

bool TResizeDlg::FormCloseQuery()
{
    QString message;
    if (WholeNumber(IWidth) <= 0)
        message = "Missing image width!";
    else if (WholeNumber(IHeight) <= 0)
        message = "Missing image height!";
    if (message.isEmpty())
        return true;
    QMessageBox::critical(this, "Error", message);
    return false;
}

void TResizeDlg::done(int result)
{
    if (result == QDialog::Accepted && !FormCloseQuery())
        return;
    QDialog::done(result);
}

int TResizeDlg::StoredFilter() const
{
    return Filters->checkedId() + 1;
}
