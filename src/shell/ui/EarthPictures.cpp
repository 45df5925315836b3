// The Flat Earth Monitor's icons, drawn rather than shipped.
#include "shell/ui/Pictures.h"

#include <QPainter>
#include <QRadialGradient>
#include <cmath>

QImage MakeSunImage()
{
    QImage sun(32, 33, QImage::Format_ARGB32);
    sun.fill(Qt::transparent);
    QPainter p(&sun);
    p.setRenderHint(QPainter::Antialiasing);
    const QPointF centre(16, 16.5);
    p.setPen(QPen(QColor(255, 190, 0), 2, Qt::SolidLine, Qt::RoundCap));
    for (int ray = 0; ray < 12; ++ray) {
        const double angle = ray * M_PI / 6;
        const QPointF direction(std::cos(angle), std::sin(angle));
        p.drawLine(centre + direction * 10, centre + direction * 15);
    }
    QRadialGradient disc(centre - QPointF(2, 2), 9);
    disc.setColorAt(0, QColor(255, 255, 170));
    disc.setColorAt(1, QColor(255, 200, 0));
    p.setPen(QPen(QColor(230, 150, 0), 1));
    p.setBrush(disc);
    p.drawEllipse(centre, 8, 8);
    return sun;
}

QImage MakeMoonImage()
{
    QImage moon(32, 32, QImage::Format_ARGB32);
    moon.fill(Qt::transparent);
    QPainter p(&moon);
    p.setRenderHint(QPainter::Antialiasing);
    QRadialGradient disc(QPointF(13, 13), 14);
    disc.setColorAt(0, QColor(245, 245, 235));
    disc.setColorAt(1, QColor(170, 170, 160));
    p.setPen(QPen(QColor(120, 120, 115), 1));
    p.setBrush(disc);
    p.drawEllipse(QPointF(16, 16), 12, 12);
    p.setPen(Qt::NoPen);
    p.setBrush(QColor(150, 150, 140));
    p.drawEllipse(QPointF(11, 12), 3, 3);
    p.drawEllipse(QPointF(20, 19), 2.5, 2.5);
    p.drawEllipse(QPointF(17, 10), 1.5, 1.5);
    return moon;
}

QImage MakeSatImage()
{
    // Drawn without smoothing: every pixel is either white (transparent on
    // the map) or part of the satellite.
    QImage sat(37, 26, QImage::Format_RGB32);
    sat.fill(Qt::white);
    QPainter p(&sat);
    const QColor panel(30, 60, 160), frame(10, 20, 60), body(200, 200, 205);
    p.setPen(frame);
    p.setBrush(panel);
    p.drawRect(1, 8, 11, 9);
    p.drawRect(24, 8, 11, 9);
    p.drawLine(6, 8, 6, 17);
    p.drawLine(30, 8, 30, 17);
    p.drawLine(12, 12, 14, 12);
    p.drawLine(22, 12, 24, 12);
    p.setBrush(body);
    p.drawRect(14, 6, 8, 13);
    p.drawLine(18, 19, 18, 23);
    p.drawLine(15, 24, 21, 24);
    p.setPen(QColor(220, 160, 40));
    p.drawLine(16, 3, 18, 5);
    p.drawLine(18, 5, 20, 3);
    return sat;
}
