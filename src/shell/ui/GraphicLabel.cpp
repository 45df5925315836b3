#include "shell/ui/GraphicLabel.h"

#include <QPainter>

TGraphicLabel::TGraphicLabel(QWidget* parent) : QLabel(parent), color_(palette().color(QPalette::Button)) {}

void TGraphicLabel::FSetVertAlign(TGLTextVertAlign value)
{
    if (value != vertAlign_) {
        vertAlign_ = value;
        update();
    }
}

void TGraphicLabel::FSetHorzAlign(TGLTextHorzAlign value)
{
    if (value != horzAlign_) {
        horzAlign_ = value;
        update();
    }
}

void TGraphicLabel::FSetxOffset(int value)
{
    if (value != xOffset_) {
        xOffset_ = value;
        update();
    }
}

void TGraphicLabel::FSetyOffset(int value)
{
    if (value != yOffset_) {
        yOffset_ = value;
        update();
    }
}

void TGraphicLabel::SetTransparent(bool value)
{
    if (value != transparent_) {
        transparent_ = value;
        update();
    }
}

void TGraphicLabel::SetColor(const QColor& value)
{
    if (value != color_) {
        color_ = value;
        update();
    }
}

void TGraphicLabel::Refresh()
{
    repaint();
}

QPoint TGraphicLabel::TextOrigin(QSize labelSize, QSize textSize, TGLTextHorzAlign horz, TGLTextVertAlign vert,
                                 int xOffset, int yOffset)
{
    int x = 0;
    switch (horz) {
    case thLeft: x = xOffset; break;
    case thCenter: x = (labelSize.width() - textSize.width()) / 2; break;
    case thRight: x = labelSize.width() - textSize.width() - xOffset; break;
    }
    int y = 0;
    switch (vert) {
    case tvTop: y = yOffset; break;
    case tvCenter: y = (labelSize.height() - textSize.height()) / 2; break;
    case tvBottom: y = labelSize.height() - textSize.height() - yOffset; break;
    }
    return {x, y};
}

void TGraphicLabel::paintEvent(QPaintEvent*)
{
    QPainter painter(this);
    if (!transparent_)
        painter.fillRect(rect(), color_);
    if (text().isEmpty())
        return;
    const QFontMetrics metrics(font());
    const QSize extent(metrics.horizontalAdvance(text()), metrics.height());
    const QPoint origin = TextOrigin(size(), extent, horzAlign_, vertAlign_, xOffset_, yOffset_);
    painter.setFont(font());
    painter.setPen(palette().color(QPalette::WindowText));
    painter.drawText(QRect(origin, extent), Qt::AlignLeft | Qt::AlignTop | Qt::TextSingleLine, text());
}
