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

QPixmap MakeTrayStripe()
{
    QPixmap picture(21, 126);
    QPainter p(&picture);
    QLinearGradient sky(0, 0, 0, 126);
    sky.setColorAt(0, QColor(0x10, 0x08, 0x20));
    sky.setColorAt(1, QColor(0x33, 0x66, 0x99));
    p.fillRect(picture.rect(), sky);
    p.setRenderHint(QPainter::TextAntialiasing);
    p.setFont(QFont("DejaVu Sans", 9, QFont::Bold));
    p.setPen(QColor(230, 200, 90));
    // Read from the bottom up, as on a book's spine, near the top: a short
    // menu shows only the stripe's upper part.
    p.translate(0, 126);
    p.rotate(-90);
    p.drawText(QRect(0, 0, 122, 21), Qt::AlignRight | Qt::AlignVCenter, "Orvanta");
    return picture;
}

QPixmap MakeTrayItemPicture(bool selected)
{
    QPixmap picture(5, 21);
    QPainter p(&picture);
    QLinearGradient shade(0, 0, 0, 21);
    shade.setColorAt(0, selected ? QColor(0xD8, 0xE6, 0xF4) : QColor(0xFF, 0xFF, 0xFF));
    shade.setColorAt(1, selected ? QColor(0xA8, 0xC4, 0xE0) : QColor(0xEC, 0xEC, 0xE8));
    p.fillRect(picture.rect(), shade);
    return picture;
}

QList<QIcon> MakeTrayFrames()
{
    QList<QIcon> frames;
    for (int waves = 1; waves <= 3; ++waves) {
        QPixmap pixmap(32, 32);
        pixmap.fill(Qt::transparent);
        QPainter p(&pixmap);
        p.setRenderHint(QPainter::Antialiasing);
        p.setPen(Qt::NoPen);
        p.setBrush(QColor(0xE0, 0x10, 0x10));
        p.drawPie(QRectF(2, 10, 20, 20), 45 * 16, 180 * 16);  // the dish
        p.setBrush(Qt::NoBrush);
        p.setPen(QPen(QColor(0xE0, 0x10, 0x10), 2.5));
        for (int i = 0; i < waves; ++i) {
            const double r = 6 + 6 * i;
            p.drawArc(QRectF(14 - r, 18 - r, 2 * r, 2 * r), 10 * 16, 70 * 16);
        }
        frames << QIcon(pixmap);
    }
    return frames;
}
