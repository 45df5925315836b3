// The image window under the mouse: the brightness temperature of channel B
// and the time of the line in the main window's tool bar, the magnifier's
// picture, and the mouse wheel.
#include "imaging/ui/MDIChild.h"

#include "imaging/ui/ZoomWin.h"
#include "platform/CNumbers.h"
#include "shell/ui/MainForm.h"

#include <QLabel>
#include <QMouseEvent>
#include <QRubberBand>
#include <QScrollArea>
#include <QScrollBar>
#include <QWheelEvent>
#include <algorithm>
#include <cstring>

namespace {

// A channel is 1040 words: sync and space marks before its 909 video words.
constexpr int kChannelWidth = 1040;
constexpr int kVideoStart = 86;
constexpr int kVideoWidth = 909;
constexpr int kWheelStepPixels = 15;

}  // namespace

void TPaintBox::mouseMoveEvent(QMouseEvent* event)
{
    owner_->pbMouseMove(event->position().toPoint());
    QWidget::mouseMoveEvent(event);
}

int TMDIChild::LineOfRow(int y) const
{
    if (!APT || !Image)
        return -1;
    // A view either shows every line or only the kept range without the
    // noisy start and end; a northbound pass is drawn bottom up.
    const bool allLines = static_cast<int>(Image->rows) == APT->Lines;
    const int lastLine = APT->LastLine == 0 ? APT->Lines : APT->LastLine;
    int line;
    if (IsNorthbound())
        line = (allLines ? APT->Lines : lastLine) - 1 - y;
    else
        line = y + (allLines ? 0 : APT->FirstLine);
    return line >= 0 && line < APT->Lines ? line : -1;
}

QString TMDIChild::GetTemperatureText(int x, int y) const
{
    if (!IsReady() || !(APT->Flags & aptThermalValid) || View <= ivNormal || !Image)
        return {};
    const int columns = static_cast<int>(Image->columns);
    if (x < 0 || y < 0 || x >= columns || y >= static_cast<int>(Image->rows))
        return {};
    const bool northbound = IsNorthbound();
    const bool videoOnly = columns <= kVideoWidth;
    if (videoOnly) {
        if (x >= kVideoWidth)
            return {};
    } else if (columns == kChannelWidth) {
        // After the northbound mirroring the video lies 41 columns further left.
        const bool onVideo = northbound ? (x > 45 && x < 954) : (x > kVideoStart && x < 995);
        if (!onVideo)
            return {};
    } else {
        return {};
    }
    const int line = LineOfRow(y);
    const int column = northbound ? (videoOnly ? 2034 - x : 2079 - x)
                                  : kChannelWidth + x + (videoOnly ? kVideoStart : 0);
    if (line < 0 || column < 0 || column >= TAPT::kLineWidth)
        return {};
    double grey = 0, kelvin = 0;
    APT->GetTemperature(line, column, grey, kelvin);
    const double celsius = std::clamp(kelvin - 273.15, -60.0, 40.0);
    return QString::fromStdString(cnum::Format("Temp: %.0f", celsius)) + QStringLiteral("\u00B0C");
}

QString TMDIChild::GetTimeText(int y) const
{
    if (!IsReady() || !Image)
        return {};
    const int line = LineOfRow(y);
    if (line < 0)
        return {};
    // Two lines a second, counted from the start of the recording.
    const double seconds = line * 0.5;
    const int minutes = static_cast<int>(seconds / 60);
    return QString::fromStdString(cnum::Format("Time: %d:%.1f", minutes, seconds - 60.0 * minutes));
}

void TMDIChild::pbMouseMove(const QPoint& point)
{
    if ((Flags & mcClosing) || !Image || DisplayBitmap.isNull())
        return;
    if (ZoomWin && ZoomWin->isVisible())
        FeedMagnifier(point.x(), point.y());
    if (Flags & mcRubberBand) {
        SelRect = NormalizeSelection(point.x(), point.y());
        if (!Band)
            Band = new QRubberBand(QRubberBand::Rectangle, pb);
        Band->setGeometry(SelRect);
        Band->show();
        Flags &= ~mcRubberBandUndrawn;
    }
    if (IsReady() && MainForm) {
        MainForm->TemperatureLabel->setText(GetTemperatureText(point.x(), point.y()));
        MainForm->WavePosLabel->setText(GetTimeText(point.y()));
    }
}

void TMDIChild::FeedMagnifier(int x, int y)
{
    if (!MainForm || !MainForm->Magnifier || !ZoomWin || DisplayBitmap.isNull())
        return;
    TDIB* source = MainForm->Magnifier.get();
    const int scale = ZoomWin->Zoom()->GetScale();
    if (source->IsEmpty() || source->GetScale() != scale) {
        const int side = ZoomWin->GetSourceSize();
        if (side > 0 && source->Allocate(side, side))
            source->SetScale(scale);
        if (source->IsEmpty())
            return;
    }
    const int w = source->Width(), h = source->Height();
    const int columns = DisplayBitmap.width(), rows = DisplayBitmap.height();
    int left = x - w / 2, right = left + w;
    if (left < 0) {
        left = 0;
        right = w;
    }
    right = std::min(right, columns);
    int top = y - h / 2, bottom = top + h;
    if (top < 0) {
        top = 0;
        bottom = h;
    }
    bottom = std::min(bottom, rows);

    // What no image pixel reaches stays black.
    for (int row = 0; row < h; ++row)
        std::memset(source->GetRow(row), 0, static_cast<size_t>(source->Stride()));
    // Stored bottom up: the first image row is the top memory row.
    for (int imageRow = top; imageRow < bottom; ++imageRow) {
        std::uint8_t* target = source->GetRow(h - 1 - (imageRow - top));
        const auto* pixels = reinterpret_cast<const QRgb*>(DisplayBitmap.constScanLine(imageRow));
        for (int column = left; column < right; ++column) {
            std::uint8_t* bgr = target + 3 * (column - left);
            bgr[0] = static_cast<std::uint8_t>(qBlue(pixels[column]));
            bgr[1] = static_cast<std::uint8_t>(qGreen(pixels[column]));
            bgr[2] = static_cast<std::uint8_t>(qRed(pixels[column]));
        }
    }
    ZoomWin->UpdateZoom(source);
}

bool TMDIChild::eventFilter(QObject* watched, QEvent* event)
{
    if (watched != sb->viewport() || event->type() != QEvent::Wheel)
        return QWidget::eventFilter(watched, event);
    auto* wheel = static_cast<QWheelEvent*>(event);
    const QPoint delta = wheel->angleDelta();
    const int turn = delta.y() != 0 ? delta.y() : delta.x();
    if (turn < 0)
        FormMouseWheelDown(wheel->modifiers());
    else if (turn > 0)
        FormMouseWheelUp(wheel->modifiers());
    wheel->accept();
    return true;
}

void TMDIChild::FormMouseWheelDown(Qt::KeyboardModifiers modifiers)
{
    QScrollBar* bar = (modifiers & Qt::ShiftModifier) ? sb->horizontalScrollBar() : sb->verticalScrollBar();
    const int step = (modifiers & Qt::ShiftModifier) ? -kWheelStepPixels : kWheelStepPixels;
    bar->setValue(bar->value() + step);
}

void TMDIChild::FormMouseWheelUp(Qt::KeyboardModifiers modifiers)
{
    QScrollBar* bar = (modifiers & Qt::ShiftModifier) ? sb->horizontalScrollBar() : sb->verticalScrollBar();
    const int step = (modifiers & Qt::ShiftModifier) ? kWheelStepPixels : -kWheelStepPixels;
    bar->setValue(bar->value() + step);
}
