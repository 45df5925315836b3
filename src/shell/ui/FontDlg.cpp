#include "shell/ui/FontDlg.h"

#include "shell/ui/ColorConvert.h"

#include <QColorDialog>
#include <QDialogButtonBox>
#include <QFontComboBox>
#include <QFormLayout>
#include <QLabel>
#include <QPushButton>
#include <QSpinBox>

namespace {
constexpr int kMinPoints = 5;
constexpr int kMaxPoints = 20;
}  // namespace

TFontDlg::TFontDlg(QWidget* parent) : QDialog(parent)
{
    setObjectName("FontDialog");
    setWindowTitle("Font");
    FamilyBox = new QFontComboBox(this);
    FamilyBox->setFontFilters(QFontComboBox::ScalableFonts);
    FamilyBox->setEditable(false);  // the font must exist
    SizeBox = new QSpinBox(this);
    SizeBox->setRange(kMinPoints, kMaxPoints);
    ColourBtn = new QPushButton("Colour...", this);
    Sample = new QLabel("AaBbYyZz 0123", this);
    Sample->setMinimumHeight(40);
    auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
    auto* form = new QFormLayout(this);
    form->addRow("Font:", FamilyBox);
    form->addRow("Size:", SizeBox);
    form->addRow("Colour:", ColourBtn);
    form->addRow("Sample:", Sample);
    form->addRow(buttons);
    connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
    connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
    connect(ColourBtn, &QPushButton::clicked, this, &TFontDlg::ChooseColour);
    connect(FamilyBox, &QFontComboBox::currentFontChanged, this, &TFontDlg::UpdateSample);
    connect(SizeBox, &QSpinBox::valueChanged, this, &TFontDlg::UpdateSample);
}

void TFontDlg::SetChoice(const QString& family, int points, TColor colour)
{
    FamilyBox->setCurrentFont(QFont(family));
    SizeBox->setValue(points);
    colour_ = colour;
    UpdateSample();
}

QString TFontDlg::Family() const
{
    return FamilyBox->currentFont().family();
}

int TFontDlg::Points() const
{
    return SizeBox->value();
}

void TFontDlg::ChooseColour()
{
    const QColor chosen = QColorDialog::getColor(ToQColor(colour_), this, "Colour");
    if (chosen.isValid())
        colour_ = FromQColor(chosen);
    UpdateSample();
}

void TFontDlg::UpdateSample()
{
    QFont font = FamilyBox->currentFont();
    font.setPointSize(SizeBox->value());
    Sample->setFont(font);
    Sample->setStyleSheet(QString("color: %1").arg(ToQColor(colour_).name()));
}
