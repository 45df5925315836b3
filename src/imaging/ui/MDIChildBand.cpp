// The rubber band of the image window: a press starts it, moves stretch it
// over the picture, the release ends it; after "Chop" the release crops the
// picture to the band, an undoable step.
#include "imaging/ui/MDIChild.h"

#include <QMouseEvent>
#include <QRubberBand>
#include <algorithm>

void TPaintBox::mousePressEvent(QMouseEvent* event)
{
    owner_->pbMouseDown(event->position().toPoint());
    QWidget::mousePressEvent(event);
}

void TPaintBox::mouseReleaseEvent(QMouseEvent* event)
{
    owner_->pbMouseUp(event->position().toPoint());
    QWidget::mouseReleaseEvent(event);
}

void TMDIChild::pbMouseDown(const QPoint& point)
{
    // A second press while a band is active drops it.
    if (!Image || DisplayBitmap.isNull() || (Flags & mcRubberBand)) {
        EraseBand();
        Flags &= ~(mcRubberBand | mcRubberBandUndrawn);
        return;
    }
    Flags |= mcRubberBand | mcRubberBandUndrawn;
    SelStart = point;
    SelRect = QRect(point, QSize(0, 0));
}

QRect TMDIChild::NormalizeSelection(int x, int y) const
{
    const int columns = Image ? static_cast<int>(Image->columns) : 0;
    const int rows = Image ? static_cast<int>(Image->rows) : 0;
    const int left = std::max(std::min(SelStart.x(), x), 0);
    const int right = std::min(std::max(SelStart.x(), x), columns);
    const int top = std::max(std::min(SelStart.y(), y), 0);
    const int bottom = std::min(std::max(SelStart.y(), y), rows);
    return QRect(left, top, std::max(right - left, 0), std::max(bottom - top, 0));
}

void TMDIChild::EraseBand()
{
    if (Band)
        Band->hide();
}

void TMDIChild::pbMouseUp(const QPoint& point)
{
    Q_UNUSED(point);
    if (!Image || DisplayBitmap.isNull())
        return;
    const bool drawn = (Flags & (mcRubberBand | mcRubberBandUndrawn)) == mcRubberBand;
    Flags &= ~(mcRubberBand | mcRubberBandUndrawn);
    if (drawn) {
        EraseBand();
        // An empty band (moved back onto its start) selects nothing to keep.
        if (ChopState == 0 && !SelRect.isEmpty()) {
            const RectangleInfo area{static_cast<size_t>(SelRect.width()), static_cast<size_t>(SelRect.height()),
                                     SelRect.x(), SelRect.y()};
            RunImageCommand([area](const ::Image* image,
                                   ExceptionInfo* exception) { return CropImage(image, &area, exception); },
                            "Chop");
        }
    }
    ChopState = -1;
}
