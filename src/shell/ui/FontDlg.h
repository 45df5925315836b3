#pragma once
// TFontDlg: the annotation font chooser: an installed scalable family, a
// whole point size and a colour, with a sample line. Only families the
// system knows can be chosen.
#include "platform/Color.h"

#include <QDialog>

class QFontComboBox;
class QLabel;
class QPushButton;
class QSpinBox;

class TFontDlg : public QDialog {
    Q_OBJECT
public:
    explicit TFontDlg(QWidget* parent = nullptr);

    // The choice shown when the dialog opens; points outside the size range
    // show its nearest limit.
    void SetChoice(const QString& family, int points, TColor colour);
    QString Family() const;
    int Points() const;
    TColor Colour() const { return colour_; }

    QFontComboBox* FamilyBox;
    QSpinBox* SizeBox;
    QPushButton* ColourBtn;
    QLabel* Sample;

private:
    void ChooseColour();
    void UpdateSample();

    TColor colour_ = 0;
};
