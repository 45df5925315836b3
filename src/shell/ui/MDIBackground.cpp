#include "shell/ui/MDIBackground.h"

#include <QPainter>

TMDIBackground::TMDIBackground(const QPixmap& picture, const QColor& colour, QWidget* parent)
    : QMdiArea(parent), picture_(picture)
{
    setBackground(colour);
}

void TMDIBackground::paintEvent(QPaintEvent* event)
{
    QMdiArea::paintEvent(event);
    if ((MayPaint && !MayPaint()) || picture_.isNull())
        return;
    const QPoint at = origin_ ? origin_(picture_.size())
                              : QPoint(std::max(0, (viewport()->width() - picture_.width()) / 2),
                                       std::max(0, (viewport()->height() - picture_.height()) / 2));
    QPainter painter(viewport());
    painter.drawPixmap(at, picture_);
}
