// The look-up-table editor's editing: selecting a band, shaping its ramp,
// applying it, the whole-table commands, the read-outs and the preview.
#include "imaging/ui/LUTEdDlg.h"

#include "imaging/ui/LUTDlg.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/WaitCursor.h"

#include <QApplication>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QLabel>
#include <QMessageBox>
#include <QPushButton>
#include <QSlider>
#include <QSpinBox>
#include <QToolButton>
#include <algorithm>
#include <cmath>

namespace {

// The view each test image type previews; the last two have no view yet.
const int kTypeViews[] = {3, 4, 5, 7, 8, 9};
constexpr int kTypeCount = 6;
constexpr int kLastView = 7;

int Percent(double unit) { return std::clamp(static_cast<int>(std::nearbyint(unit * 100)), 0, 100); }
int Degrees(double hue) { return std::clamp(static_cast<int>(std::nearbyint(hue)), 0, 360); }

// Sets a control while the handlers are told to keep still.
class TUpdating {
public:
    explicit TUpdating(unsigned& flags) : flags_(flags), was_(flags & leUpdating) { flags_ |= leUpdating; }
    ~TUpdating() { flags_ = (flags_ & ~leUpdating) | was_; }

private:
    unsigned& flags_;
    unsigned was_;
};

}  // namespace

void TLUTEdDlg::ResetEditor()
{
    SelectedColumn = -1;
    Flags &= ~leModified;
    SelHSV = THSV{};
    Save1->setEnabled(false);
    ApplyBtn->setEnabled(false);
    SelLabel->setText("N/A");
    DegCLabel->clear();
    {
        TUpdating updating(Flags);
        MaxValue->setValue(0);
        MinValue->setValue(0);
        tb1->setValue(0);
        tb2->setValue(0);
        tb3->setValue(0);
        DeltaT->setValue(10);
        SmoothChk->setChecked(false);
    }
    ClearBitmap(Table, pb);
    ClearBitmap(Ramp, pb2);
}

void TLUTEdDlg::SetModified()
{
    Flags |= leModified;
    Save1->setEnabled(true);
    SaveAs1->setEnabled(true);
}

void TLUTEdDlg::DrawSelectedRamp(QRgb colour)
{
    DrawRamp(Ramp, pb2, colour, SelHSV, MinValue->value() / 100.0, 0, kRampWidth);
}

void TLUTEdDlg::pbMouseDown(int x)
{
    x = std::clamp(x, 0, kTableWidth - 1);
    SelectedColumn = -1;
    const QRgb top = Table.pixel(x, 0);
    THSV bottom;
    ColorToHSV(top, SelHSV);
    ColorToHSV(Table.pixel(x, kTableHeight - 1), bottom);
    {
        TUpdating updating(Flags);
        MaxValue->setValue(Percent(SelHSV.Value));
        MinValue->setValue(Percent(bottom.Value));
        tb1->setValue(Degrees(SelHSV.Hue));
        tb2->setValue(Percent(SelHSV.Saturation));
        tb3->setValue(Percent(SelHSV.Value));
    }
    SelectedColumn = SnapColumn(x);
    const int step = DeltaT->value();
    int celsius = ColumnToCelsius(SelectedColumn);
    celsius -= celsius % step;  // the remainder takes the sign of the temperature
    SelLabel->setText(QString::asprintf("%+d\u00B0...%+d\u00B0 Celsius", celsius, celsius + step));
    ApplyBtn->setEnabled(true);
    DrawSelectedRamp(top);
}

void TLUTEdDlg::TrackBarChange()
{
    HueLabel->setText(QString("Hue: %1").arg(tb1->value()));
    SaturationLabel->setText(QString("Saturation: %1").arg(tb2->value()));
    ValueLabel->setText(QString("Value: %1").arg(tb3->value()));
    if (Flags & leUpdating)
        return;
    const THSV hsv{static_cast<double>(tb1->value()), tb2->value() / 100.0, tb3->value() / 100.0};
    QRgb colour = qRgb(0, 0, 0);
    HSVToColor(hsv, colour);
    ShowColour(colour);
    if (SelectedColumn >= 0) {
        SelHSV = hsv;
        DrawSelectedRamp(colour);
    }
}

void TLUTEdDlg::HSVBarValueChange(QObject* sender)
{
    if (Flags & leUpdating)
        return;
    QApplication::processEvents();
    if (sender == MaxValue)
        SelHSV.Value = MaxValue->value() / 100.0;
    if (MaxMinValueToAll->isChecked())
        ApplyMaxMinToAll(MaxValue->value() / 100.0, MinValue->value() / 100.0);
    if (SelectedColumn >= 0) {
        QRgb colour = qRgb(0, 0, 0);
        HSVToColor(SelHSV, colour);
        DrawSelectedRamp(colour);
    }
}

void TLUTEdDlg::FlipBtnClick()
{
    if (SelectedColumn < 0)
        return;
    {
        TUpdating updating(Flags);
        const int max = MaxValue->value();
        MaxValue->setValue(MinValue->value());
        MinValue->setValue(max);
    }
    SelHSV.Value = MaxValue->value() / 100.0;
    QRgb colour = qRgb(0, 0, 0);
    HSVToColor(SelHSV, colour);
    DrawSelectedRamp(colour);
}

void TLUTEdDlg::ClrShapeMouseDown()
{
    ColorDialog1->setCurrentColor(shapeColour_);
    if (ColorDialog1->exec() != QDialog::Accepted)
        return;
    const QRgb colour = ColorDialog1->currentColor().rgb();
    ShowColour(colour);
    if (SelectedColumn < 0)
        return;
    ColorToHSV(colour, SelHSV);
    {
        TUpdating updating(Flags);
        MaxValue->setValue(Percent(SelHSV.Value));
        tb1->setValue(Degrees(SelHSV.Hue));
        tb2->setValue(Percent(SelHSV.Saturation));
        tb3->setValue(Percent(SelHSV.Value));
    }
    DrawSelectedRamp(colour);
}

void TLUTEdDlg::ApplyBtnClick()
{
    if (SelectedColumn < 0)
        return;
    const int start = SnapColumn(SelectedColumn);
    const int width = 3 * DeltaT->value();
    THSV top, bottom;
    ColorToHSV(Ramp.pixel(0, 0), top);
    ColorToHSV(Ramp.pixel(0, kTableHeight - 1), bottom);
    {
        TUpdating updating(Flags);
        MaxValue->setValue(Percent(top.Value));
        MinValue->setValue(Percent(bottom.Value));
    }
    for (int row = 0; row < kTableHeight; ++row) {
        auto* line = reinterpret_cast<QRgb*>(Table.scanLine(row));
        std::fill(line + start, line + std::min(kTableWidth, start + width), Ramp.pixel(0, row));
    }
    pb->update();
    SetModified();
}

void TLUTEdDlg::ApplyMaxMinToAll(double maxValue, double minValue)
{
    WaitCursor busy;
    const int width = 3 * DeltaT->value();
    for (int x = 0; x < kTableWidth; x += width) {
        THSV top;
        ColorToHSV(Table.pixel(x, 0), top);
        top.Value = maxValue;
        // Row 0 takes the max value too: a saved table is rebuilt from its
        // top and bottom rows, so the max value survives the save.
        QRgb topColour = qRgb(0, 0, 0);
        HSVToColor(top, topColour);
        DrawRamp(Table, nullptr, topColour, top, minValue, x, width);
    }
    pb->update();
    SetModified();
}

void TLUTEdDlg::DeltaTChange()
{
    SmoothChk->setEnabled(DeltaT->value() > 1);
}

void TLUTEdDlg::SmoothChkClick()
{
    const int step = DeltaT->value();
    const int width = 3 * step;
    THSV carried;
    ColorToHSV(Table.pixel(0, 0), carried);
    for (int q = 0; q < kTableWidth; q += width) {
        THSV top, bottom;
        ColorToHSV(Table.pixel(q, 0), top);
        ColorToHSV(Table.pixel(q, kTableHeight - 1), bottom);
        QRgb colour = Table.pixel(q, 0);
        if (SmoothChk->isChecked()) {
            THSV next = top;
            if (q + width < kTableWidth)
                ColorToHSV(Table.pixel(q + width, 0), next);
            // Hue runs as a plain number from the carried hue to the next
            // band's, without wrapping at 360.
            const double dHue = (carried.Hue - next.Hue) / step;
            const double dSaturation = (carried.Saturation - next.Saturation) / step;
            THSV current{carried.Hue, carried.Saturation, top.Value};
            for (int x = q; x < std::min(kTableWidth, q + width); x += 3) {
                DrawRamp(Table, nullptr, colour, current, bottom.Value, x, 3);
                current.Hue -= dHue;
                current.Saturation -= dSaturation;
                HSVToColor(current, colour);
            }
            carried = THSV{current.Hue, current.Saturation, 0};
        } else {
            DrawRamp(Table, nullptr, colour, top, bottom.Value, q, width);
            carried = top;
        }
    }
    SelHSV = THSV{};
    SelectedColumn = -1;
    ApplyBtn->setEnabled(false);
    SelLabel->setText("N/A");
    ClearBitmap(Ramp, pb2);
    pb->update();
    SetModified();
}

void TLUTEdDlg::ShowColour(QRgb colour)
{
    shapeColour_ = QColor(colour);
    ClrShape->update();
    RLabel->setText(QString("R: %1").arg(qRed(colour)));
    GLabel->setText(QString("G: %1").arg(qGreen(colour)));
    BLabel->setText(QString("B: %1").arg(qBlue(colour)));
}

void TLUTEdDlg::ShowPixelInfo(const QImage& bitmap, const QPoint& point)
{
    if (!bitmap.valid(point))
        return;
    const QRgb colour = bitmap.pixel(point);
    ShowColour(colour);
    if (TrackMouse->isChecked()) {
        THSV hsv;
        ColorToHSV(colour, hsv);
        TUpdating updating(Flags);
        tb1->setValue(Degrees(hsv.Hue));
        tb2->setValue(Percent(hsv.Saturation));
        tb3->setValue(Percent(hsv.Value));
    }
}

void TLUTEdDlg::pbMouseMove(const QPoint& point)
{
    ShowPixelInfo(Table, point);
    DegCLabel->setText(QString::asprintf("%+d\u00B0 Celsius", ColumnToCelsius(point.x())));
}

void TLUTEdDlg::pb2MouseMove(const QPoint& point)
{
    ShowPixelInfo(Ramp, point);
    if (SelectedColumn < 0) {
        DegCLabel->clear();
        return;
    }
    const int celsius = ColumnToCelsius(SelectedColumn + point.x() % (kRampWidth * DeltaT->value()));
    DegCLabel->setText(QString::asprintf("%+d\u00B0 Celsius", celsius));
}

int TLUTEdDlg::TypeView() const
{
    const int item = ImageTypeCb->currentIndex();
    return item >= 0 && item < kTypeCount ? kTypeViews[item] : -1;
}

void TLUTEdDlg::SetTypeFromView(int view)
{
    int item = -1;
    if (view >= 3 && view <= 5)
        item = view - 3;
    else if (view >= 7 && view - 4 < kTypeCount)
        item = view - 4;
    ImageTypeCb->setCurrentIndex(item);
}

void TLUTEdDlg::PreviewBtnClick()
{
    if (!ImageWindow)
        return;
    const int view = TypeView();
    if (view > kLastView) {
        QMessageBox box(QMessageBox::Information, "Info", "Not Supported in this version!", QMessageBox::Ok);
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
        box.exec();
        return;
    }
    if (view < 0)
        return;
    QApplication::processEvents();
    int flags = vfForce;
    if (Flags & leModified) {
        if (!SaveTable(ProgramFolders().GetTestImageFileName(true), true))
            return;
        flags |= vfTestTable;
    }
    WaitCursor busy;
    if (ImageWindow)
        ImageWindow->ShowView(view, flags);
}
