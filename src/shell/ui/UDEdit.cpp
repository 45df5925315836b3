#include "shell/ui/UDEdit.h"

#include "platform/CNumbers.h"

#include <QLineEdit>
#include <QResizeEvent>
#include <QToolButton>
#include <cmath>

namespace {
constexpr int kUpDownWidth = 17;
constexpr int kButtonHeight = 11;
constexpr int kMinWidth = 50;
}  // namespace

TUDEdit::TUDEdit(QWidget* parent)
    : QWidget(parent), edit_(new QLineEdit(this)), up_(new QToolButton(this)), down_(new QToolButton(this))
{
    up_->setArrowType(Qt::UpArrow);
    down_->setArrowType(Qt::DownArrow);
    for (QToolButton* button : {up_, down_}) {
        button->setAutoRepeat(true);
        button->setFocusPolicy(Qt::NoFocus);
    }
    // The buttons sit at the top, the edit one pixel lower; the control is
    // as high as the buttons.
    up_->setGeometry(0, 0, kUpDownWidth, kButtonHeight);
    down_->setGeometry(0, kButtonHeight, kUpDownWidth, kButtonHeight);
    edit_->move(0, 1);
    edit_->setFixedHeight(2 * kButtonHeight - 1);
    setFixedHeight(2 * kButtonHeight);
    setMinimumWidth(kMinWidth);
    connect(up_, &QToolButton::clicked, this, [this] { udClick(true); });
    connect(down_, &QToolButton::clicked, this, [this] { udClick(false); });
    connect(edit_, &QLineEdit::textChanged, this, [this] { edChange(); });
    resize(70, height());
    setWidth(width());
    UpdateText();
}

double TUDEdit::checkValue(double value) const
{
    // A typed "nan" would pass both comparisons and break the limits.
    if (std::isnan(value))
        return minValue_;
    if (value > maxValue_)
        return maxValue_;
    if (value < minValue_)
        return minValue_;
    return value;
}

void TUDEdit::UpdateText()
{
    if (updating_)
        return;
    updating_ = true;
    value_ = checkValue(value_);
    edit_->setText(QString::fromStdString(cnum::Format("%.*f", digits_, value_)));
    updating_ = false;
}

void TUDEdit::SetValue(double value)
{
    value_ = checkValue(value);
    UpdateText();
}

void TUDEdit::SetValue(const QString& text)
{
    SetValue(cnum::ParseFloat(text));
}

void TUDEdit::SetMaxValue(double value)
{
    if (value >= minValue_) {
        maxValue_ = value;
        UpdateText();
    } else {
        SetMinValue(value);
    }
}

void TUDEdit::SetMinValue(double value)
{
    if (value <= maxValue_) {
        minValue_ = value;
        UpdateText();
    } else {
        SetMaxValue(value);
    }
}

void TUDEdit::SetStep(double value)
{
    step_ = value;
    UpdateText();
}

void TUDEdit::SetDigits(int value)
{
    digits_ = value < 0 ? 0 : value > 15 ? 15 : value;
    UpdateText();
}

void TUDEdit::SetEnabled(bool value)
{
    enabled_ = value;
    edit_->setEnabled(value);
    up_->setEnabled(value);
    down_->setEnabled(value);
}

QString TUDEdit::GetTextValue()
{
    UpdateText();
    return edit_->text();
}

void TUDEdit::SetEditColor(const QColor& colour)
{
    QPalette colours = edit_->palette();
    colours.setColor(QPalette::Base, colour);
    edit_->setPalette(colours);
}

void TUDEdit::SetEditFontColor(const QColor& colour)
{
    QPalette colours = edit_->palette();
    colours.setColor(QPalette::Text, colour);
    edit_->setPalette(colours);
}

void TUDEdit::SetEditFontStyle(TFontStyle style)
{
    QFont font = edit_->font();
    font.setBold(style == fsBold);
    font.setItalic(style == fsItalic);
    font.setUnderline(style == fsUnderline);
    font.setStrikeOut(style == fsStrikeOut);
    edit_->setFont(font);
}

void TUDEdit::udClick(bool up)
{
    SetValue(up ? value_ + step_ : value_ - step_);
}

void TUDEdit::edChange()
{
    if (updating_)
        return;
    value_ = checkValue(cnum::ParseFloat(edit_->text()));
}

void TUDEdit::setWidth(int width)
{
    const int controlWidth = width < kMinWidth ? kMinWidth : width;
    if (this->width() != controlWidth)
        resize(controlWidth, height());
    edit_->resize(controlWidth - kUpDownWidth - 2, edit_->height());
    const int buttonsLeft = edit_->x() + edit_->width() + 2;
    up_->move(buttonsLeft, 0);
    down_->move(buttonsLeft, kButtonHeight);
}

void TUDEdit::resizeEvent(QResizeEvent* event)
{
    QWidget::resizeEvent(event);
    setWidth(event->size().width());
}
