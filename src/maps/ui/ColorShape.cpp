#include "maps/ui/ColorShape.h"

#include <QMouseEvent>

QColor ToQColor(TColor c)
{
    return QColor(c & 0xFF, (c >> 8) & 0xFF, (c >> 16) & 0xFF);
}

TColor FromQColor(const QColor& c)
{
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

TColorShape::TColorShape(QWidget* parent) : QFrame(parent)
{
    setFixedSize(24, 24);
    setFrameShape(QFrame::Box);
    setCursor(Qt::PointingHandCursor);
    setAutoFillBackground(true);
}

void TColorShape::SetColor(TColor color)
{
    color_ = color;
    QPalette colours = palette();
    colours.setColor(QPalette::Window, ToQColor(color));
    setPalette(colours);
}

void TColorShape::mousePressEvent(QMouseEvent* event)
{
    QFrame::mousePressEvent(event);
    if (event->button() == Qt::LeftButton)
        emit Pressed();
}

void TColorShape::mouseReleaseEvent(QMouseEvent* event)
{
    QFrame::mouseReleaseEvent(event);
    if (event->button() == Qt::LeftButton)
        emit Released();
}
