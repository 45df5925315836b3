#include "shell/ui/Pictures.h"

#include <QPainter>
#include <QRadialGradient>

QPixmap MakeBackgroundPicture()
{
    QPixmap picture(360, 260);
    picture.fill(Qt::transparent);
    QPainter p(&picture);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(180, 120);
    QRadialGradient earth(centre - QPointF(30, 30), 110);
    earth.setColorAt(0, QColor(60, 110, 170));
    earth.setColorAt(1, QColor(10, 25, 55));
    p.setPen(Qt::NoPen);
    p.setBrush(earth);
    p.drawEllipse(centre, 80, 80);
    p.setPen(QPen(QColor(230, 200, 90), 2));
    p.setBrush(Qt::NoBrush);
    p.drawEllipse(centre, 150, 40);
    p.setBrush(QColor(240, 240, 240));
    p.drawEllipse(QPointF(centre.x() + 128, centre.y() - 20), 5, 5);
    QFont font("DejaVu Sans", 22, QFont::Bold);
    p.setFont(font);
    p.setPen(QColor(200, 210, 230));
    p.drawText(QRectF(0, 215, 360, 40), Qt::AlignCenter, "Orvanta");
    return picture;
}
