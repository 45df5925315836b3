#include "radio/ui/R2FXPictures.h"

#include <QLinearGradient>
#include <QPainter>

namespace {

constexpr int kLampWidth = 17;

QImage Lamp(int height, const QColor& off, const QColor& on, bool lit)
{
    QImage lamp(kLampWidth, height, QImage::Format_RGB32);
    lamp.fill(QColor(28, 30, 28));
    QPainter p(&lamp);
    p.setRenderHint(QPainter::Antialiasing);
    const QColor face = lit ? on : off;
    QLinearGradient shade(0, 0, 0, height);
    shade.setColorAt(0, face.lighter(lit ? 140 : 110));
    shade.setColorAt(1, face.darker(lit ? 110 : 130));
    p.setPen(QColor(10, 10, 10));
    p.setBrush(shade);
    p.drawRoundedRect(QRectF(1.5, 1.5, kLampWidth - 3, height - 3), 2, 2);
    return lamp;
}

}  // namespace

QImage MakeR2FXSignalLamp(bool lit)
{
    return Lamp(17, QColor(40, 70, 20), QColor(120, 230, 20), lit);
}

QImage MakeR2FXChannelLamp(bool lit)
{
    return Lamp(12, QColor(70, 30, 20), QColor(250, 90, 30), lit);
}

QImage MakeR2FXFrontPanel()
{
    QImage panel(414, 148, QImage::Format_RGB32);
    QPainter p(&panel);
    p.setRenderHint(QPainter::Antialiasing);
    QLinearGradient body(0, 0, 0, 148);
    body.setColorAt(0, QColor(70, 74, 72));
    body.setColorAt(1, QColor(38, 40, 39));
    p.fillRect(panel.rect(), body);
    p.setPen(QColor(95, 100, 97));
    p.drawRect(2, 2, 409, 143);

    QFont title("Arial Black", 15);
    p.setFont(title);
    p.setPen(QColor(210, 214, 210));
    p.drawText(QRect(14, 8, 120, 30), Qt::AlignLeft | Qt::AlignVCenter, "R2FX");
    QFont small("Arial", 7);
    small.setBold(true);
    p.setFont(small);
    p.setPen(QColor(170, 175, 170));
    p.drawText(QRect(14, 34, 180, 12), Qt::AlignLeft, "137 MHz APT RECEIVER");

    // The display window behind the frequency field, the wells of the
    // signal meter and the channel row.
    p.setPen(QColor(20, 20, 20));
    p.setBrush(QColor(24, 26, 24));
    p.drawRoundedRect(QRectF(200, 12, 200, 40), 4, 4);
    p.drawRect(45, 88, 76, 22);
    p.drawRect(214, 87, 112, 18);
    p.setPen(QColor(170, 175, 170));
    p.drawText(QRect(45, 74, 76, 12), Qt::AlignLeft, "SIGNAL");
    p.drawText(QRect(214, 74, 112, 12), Qt::AlignLeft, "MEMORY");
    for (int i = 0; i < 6; ++i)
        p.drawText(QRect(217 + 18 * i, 106, 17, 12), Qt::AlignCenter, QString::number(i + 1));
    p.drawText(QRect(206, 54, 60, 12), Qt::AlignLeft, "MHz");
    return panel;
}
