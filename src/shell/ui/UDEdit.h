#pragma once
// TUDEdit: a numeric edit with up and down buttons over a floating value with
// limits, a step and a number of decimals (path-loss thresholds, receiver
// frequencies). The text follows the value on every change through the
// setters and buttons; typing only updates the value (clamped) and leaves the
// text as typed until the next rewrite. Text is read and written in the C
// locale, whatever the user's locale.
#include <QWidget>

class QLineEdit;
class QToolButton;

class TUDEdit : public QWidget {
    Q_OBJECT
public:
    explicit TUDEdit(QWidget* parent = nullptr);

    double Value() const { return value_; }
    double MaxValue() const { return maxValue_; }
    double MinValue() const { return minValue_; }
    double Step() const { return step_; }
    int Digits() const { return digits_; }
    bool Enabled() const { return enabled_; }

    void SetValue(double value);
    // The longest leading number of the text counts; no number is 0.
    void SetValue(const QString& text);
    // A maximum below the minimum becomes the new minimum, and vice versa.
    void SetMaxValue(double value);
    void SetMinValue(double value);
    void SetStep(double value);
    void SetDigits(int value);  // limited to 0..15
    // Enables the inner edit and buttons; the container keeps its state.
    void SetEnabled(bool value);

    QString GetTextValue();
    void SetEditColor(const QColor& colour);
    void SetEditFontColor(const QColor& colour);
    // The inner edit's font gets this one style and no other.
    enum TFontStyle { fsBold, fsItalic, fsUnderline, fsStrikeOut };
    void SetEditFontStyle(TFontStyle style);

    QLineEdit* Edit() const { return edit_; }
    QToolButton* UpButton() const { return up_; }
    QToolButton* DownButton() const { return down_; }

    // The up (true) or down button's click.
    void udClick(bool up);

protected:
    void resizeEvent(QResizeEvent* event) override;

private:
    double checkValue(double value) const;
    void UpdateText();
    void edChange();
    void setWidth(int width);

    double value_ = 0.0;
    double maxValue_ = 1000000.0;
    double minValue_ = 0.0;
    double step_ = 1.0;
    int digits_ = 3;
    bool enabled_ = true;
    bool updating_ = false;  // keeps edChange from reading back the text being written
    QLineEdit* edit_;
    QToolButton* up_;
    QToolButton* down_;
};
