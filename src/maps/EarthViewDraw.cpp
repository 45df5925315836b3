// The flat-earth view's drawing steps and pixel geometry.
#include "maps/EarthView.h"

#include "orbit/Sat.h"
#include "orbit/Satutil.h"
#include "platform/TickCount.h"

#include <QFontMetrics>
#include <QGuiApplication>
#include <QPainter>
#include <QPalette>
#include <algorithm>
#include <cmath>
#include <cstring>

namespace {

constexpr double EarthRadiusKm = 6378.135;
// 20 March 2005 12:33 UTC, a March equinox, as days since 30 December 1899.
constexpr double EquinoxEpoch = 38431.5229166667;
constexpr double DaysPerYear = 365.25;
constexpr double RadiansPerDayOfYear = 0.0172024238389585;  // 2 pi / 365.25
constexpr double ObliquityDeg = 23.45;

int Clamp(int value, int size)
{
    if (value < 0)
        return 0;
    return value >= size ? size - 1 : value;
}

bool IsEmpty(const QRect& r)
{
    return r.right() <= r.left() || r.bottom() <= r.top();
}

QRect Coords(int left, int top, int right, int bottom)
{
    QRect r;
    r.setCoords(left, top, right, bottom);
    return r;
}

// The area of a rectangle as Qt draws it (right and bottom outside).
QRect Area(const QRect& r)
{
    return QRect(r.left(), r.top(), r.right() - r.left(), r.bottom() - r.top());
}

// The point of the earth under the moon (latitude, longitude east 0..360,
// degrees) at a day number, from the moon's ecliptic place: its declination,
// and its right ascension less the sidereal time at Greenwich.
void SubLunarPoint(double eclipticLonDeg, double eclipticLatDeg, double day, double& latDeg, double& lonDeg)
{
    const double jd = day + DayNumberJulianOffset;
    const double years = (jd - 2415020.5) / 365.2422;
    const double obliquity = (23.452294 - (0.46845 * years + 5.9e-7 * years * years) / 3600.0) * Pi / 180.0;
    const double lambda = eclipticLonDeg * Pi / 180.0, beta = eclipticLatDeg * Pi / 180.0;
    const double declination =
        std::asin(std::sin(beta) * std::cos(obliquity) + std::cos(beta) * std::sin(obliquity) * std::sin(lambda));
    const double rightAscension = std::atan2(
        std::sin(lambda) * std::cos(obliquity) - std::tan(beta) * std::sin(obliquity), std::cos(lambda));
    const double centuries = (jd - 2451545.0) / 36525.0;
    const double siderealDeg = 280.46061837 + 360.98564736629 * (jd - 2451545.0) +
                               (0.000387933 * centuries - centuries * centuries / 38710000.0) * centuries;
    latDeg = declination * 180.0 / Pi;
    lonDeg = std::fmod(rightAscension * 180.0 / Pi - siderealDeg, 360.0);
    if (lonDeg < 0)
        lonDeg += 360.0;
}

QColor ToQColor(TColor colour)
{
    const TColor rgb = ResolveColor(colour);
    return QColor(rgb & 0xFF, (rgb >> 8) & 0xFF, (rgb >> 16) & 0xFF);
}

}  // namespace

TColor ResolveColor(TColor colour)
{
    if (colour >= 0)
        return colour & 0xFFFFFF;
    // The system colours: 0x80000000 plus the index of the desktop's colour.
    static const struct {
        int Index;
        QPalette::ColorRole Role;
    } roles[] = {{1, QPalette::Window},      {4, QPalette::Window},          {5, QPalette::Base},
                 {7, QPalette::WindowText},  {8, QPalette::Text},            {13, QPalette::Highlight},
                 {14, QPalette::HighlightedText}, {15, QPalette::Button},    {16, QPalette::Dark},
                 {18, QPalette::ButtonText}, {20, QPalette::Light},          {23, QPalette::ToolTipText},
                 {24, QPalette::ToolTipBase}};
    const int index = colour & 0xFF;
    QPalette::ColorRole role = QPalette::Window;
    for (const auto& r : roles)
        if (r.Index == index)
            role = r.Role;
    const QColor c = qGuiApp ? QGuiApplication::palette().color(role) : QColor(Qt::black);
    return c.red() | (c.green() << 8) | (c.blue() << 16);
}

std::uint32_t PixelOfColor(TColor colour)
{
    const TColor rgb = ResolveColor(colour);
    return 0xFF000000u | static_cast<std::uint32_t>((rgb & 0xFF) << 16) |
           static_cast<std::uint32_t>(rgb & 0xFF00) | static_cast<std::uint32_t>((rgb >> 16) & 0xFF);
}

// ---- pixel geometry ----

int TEarthView::LatToY(double latitudeDeg) const
{
    const int h = WorkImage ? WorkImage->height() : 0;
    return Clamp(static_cast<int>(std::floor(h * (90.0 - latitudeDeg) / 180.0 + 0.5)), h);
}

int TEarthView::LonToX(double longitudeDegEast) const
{
    const int w = WorkImage ? WorkImage->width() : 0;
    return Clamp(static_cast<int>(std::floor(w * (longitudeDegEast + 180.0) / 360.0 + 0.5)), w);
}

QRect TEarthView::RectAround(int x, int y, int halfWidth, int halfHeight) const
{
    const QSize size = GetMapSize();
    return Coords(Clamp(x - halfWidth, size.width()), Clamp(y - halfHeight, size.height()),
                  Clamp(x + halfWidth, size.width()), Clamp(y + halfHeight, size.height()));
}

QRect TEarthView::GrowRect(const QRect& r, int dx, int dy) const
{
    const QSize size = GetMapSize();
    return Coords(Clamp(r.left() - dx, size.width()), Clamp(r.top() - dy, size.height()),
                  Clamp(r.right() + dx, size.width()), Clamp(r.bottom() + dy, size.height()));
}

QRect TEarthView::UnionRects(const QRect& a, const QRect& b)
{
    return Coords(std::min(a.left(), b.left()), std::min(a.top(), b.top()), std::max(a.right(), b.right()),
                  std::max(a.bottom(), b.bottom()));
}

QRect TEarthView::IconSourceRect(int x, int y, int halfWidth, int halfHeight) const
{
    const QSize size = GetMapSize();
    const int w = size.width(), h = size.height();
    return Coords(x - halfWidth < 0 ? halfWidth - x : 0, y - halfHeight < 0 ? halfHeight - y : 0,
                  x + halfWidth > w - 1 ? halfWidth + (w - 1 - x) : 2 * halfWidth,
                  y + halfHeight > h - 1 ? halfHeight + (h - 1 - y) : 2 * halfHeight);
}

const std::array<double, 361>& TEarthView::CosineTable()
{
    static const std::array<double, 361> table = [] {
        std::array<double, 361> t{};
        for (int i = 0; i <= 360; ++i)
            t[i] = std::round(std::cos(i * Pi / 180.0) * 1e15) / 1e15;
        return t;
    }();
    return table;
}

// ---- the work image: background, night, sun, moon, station ----

bool TEarthView::ResetWorkImage()
{
    if (!Background || Background->isNull())
        return false;
    if (!WorkImage || WorkImage->size() != Background->size() || WorkImage->format() != QImage::Format_RGB32)
        WorkImage = std::make_unique<QImage>(Background->size(), QImage::Format_RGB32);
    if (WorkImage->isNull())
        return false;
    const QImage source = Background->format() == QImage::Format_RGB32
                              ? *Background
                              : Background->convertToFormat(QImage::Format_RGB32);
    std::memcpy(WorkImage->bits(), source.constBits(), static_cast<size_t>(source.sizeInBytes()));
    return true;
}

bool TEarthView::DrawDayNight()
{
    const std::uint32_t now = systime::TickCount();
    if (now - DayNightStamp < kDayNightPeriodMs || !ResetWorkImage())
        return false;
    DayNightStamp = now;
    if (!(Modes & evDayNight))
        return true;

    const int w = WorkImage->width(), h = WorkImage->height();
    const double t = NowUTC();
    const double sinceEquinox = t - EquinoxEpoch;
    const double years = std::trunc(std::trunc(sinceEquinox) / DaysPerYear);
    const double dayOfYear = sinceEquinox - DaysPerYear * years;  // days since the last March equinox
    double subSolarX = w - w * (t - std::trunc(t));
    if (subSolarX < 0)
        subSolarX += w;
    double declination = std::asin(std::sin(ObliquityDeg * Pi / 180.0) * std::sin(dayOfYear * RadiansPerDayOfYear));
    // At the equinox tan(0) would make every row half day, half night by
    // accident of rounding; a tiny declination keeps the arithmetic defined.
    if (declination == 0)
        declination = 1e-6;

    for (int r = 0; r < h; ++r) {
        double latitudeDeg = 89.9999 - r * 180.0 / h;
        if (latitudeDeg == 0)
            latitudeDeg = 1e-6;
        const double cosHourAngle =
            std::clamp(-std::tan(declination) * std::tan(latitudeDeg * Pi / 180.0), -1.0, 1.0);
        const double dayHours = 2.0 * std::acos(cosHourAngle) * 12.0 / Pi;
        if (std::trunc(dayHours) == 24)
            continue;  // the sun never sets on this row
        auto* row = reinterpret_cast<std::uint32_t*>(WorkImage->scanLine(r));
        if (!row)
            break;
        if (dayHours == 0) {
            DarkenSpan(row, 0, w);
            continue;
        }
        const double dayWidth = w * dayHours / 24.0;
        const double left = subSolarX - dayWidth / 2.0;
        if (left + dayWidth >= w) {
            DarkenSpan(row, static_cast<int>(std::trunc(left + dayWidth - w)), static_cast<int>(std::trunc(left - 1)));
        } else if (left > 0) {
            DarkenSpan(row, 0, static_cast<int>(std::trunc(left - 1)));
            DarkenSpan(row, static_cast<int>(std::trunc(left + dayWidth)), w);
        } else {
            DarkenSpan(row, static_cast<int>(std::trunc(left + dayWidth)), static_cast<int>(std::trunc(w + left)));
        }
    }
    return true;
}

void TEarthView::DarkenSpan(std::uint32_t* row, int from, int to) const
{
    const int w = WorkImage ? WorkImage->width() : 0;
    const std::uint32_t night = PixelOfColor(clNight);
    for (int c = std::max(from, 0); c < to && c < w; ++c)
        row[c] &= night;
}

void TEarthView::DrawHolder(TSat& holder, const QImage* icon, double latitudeDeg, double longitudeDeg)
{
    const int y = LatToY(latitudeDeg), x = LonToX(longitudeDeg);
    const int hw = icon ? icon->width() / 2 : 0, hh = icon ? icon->height() / 2 : 0;
    holder.IconRect = RectAround(x, y, hw, hh);
    if (!icon || IsEmpty(holder.IconRect))
        return;
    QPainter painter(WorkImage.get());
    painter.drawImage(QPoint(x - hw, y - hh), *icon);
}

void TEarthView::DrawSun()
{
    Sun->ComputeSunPosition(0);
    DrawHolder(*Sun, SunIcon, Sun->SunLatitude, TSat::NormalizeLongitude(Sun->SunLongitude));
}

void TEarthView::DrawMoon()
{
    // The moon's place in the sky is given on the ecliptic; the map shows the
    // point of the earth it stands above, kept in the holder's position.
    const double day = DateTimeToDayNumber(0);
    Moon->ComputeMoonPosition(day);
    SubLunarPoint(Moon->MoonLongitude, Moon->MoonLatitude, day, Moon->Latitude, Moon->Longitude);
    DrawHolder(*Moon, MoonIcon, Moon->Latitude, TSat::NormalizeLongitude(Moon->Longitude));
}

void TEarthView::DrawStation()
{
    const int y = LatToY(StationLatitude), x = LonToX(StationLongitude);
    QPainter painter(WorkImage.get());
    painter.setPen(QPen(ToQColor(clSat), 1, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    painter.drawLine(x - 4, y - 4, x + 4, y + 4);
    painter.drawLine(x - 4, y + 4, x + 4, y - 4);
    if (StationName.isEmpty())
        return;
    painter.setFont(Font);
    const QFontMetrics metrics(Font);
    const int width = metrics.horizontalAdvance(StationName);
    painter.drawText(x - width / 2, y + 5 + metrics.ascent(), StationName);
}

// ---- satellites, straight onto the host's back buffer ----

const QImage& TEarthView::MaskedSatIcon()
{
    if (maskedSatIconKey_ != SatIcon->cacheKey() || maskedSatIcon_.isNull()) {
        maskedSatIcon_ = SatIcon->convertToFormat(QImage::Format_ARGB32);
        for (int y = 0; y < maskedSatIcon_.height(); ++y) {
            auto* line = reinterpret_cast<QRgb*>(maskedSatIcon_.scanLine(y));
            for (int x = 0; x < maskedSatIcon_.width(); ++x)
                if ((line[x] & 0xFFFFFF) == 0xFFFFFF)
                    line[x] = 0;
        }
        maskedSatIconKey_ = SatIcon->cacheKey();
    }
    return maskedSatIcon_;
}

void TEarthView::DrawSatellites(QImage& canvas, bool now)
{
    if (!Satellites.Count || !SatIcon || SatIcon->isNull() || !IsReady())
        return;
    const std::uint32_t tick = systime::TickCount();
    if (!now && tick - SatelliteStamp < kSatellitePeriodMs)
        return;
    SatelliteStamp = tick;

    const int ihw = SatIcon->width() / 2, ihh = SatIcon->height() / 2;
    const bool rings = Modes & (evFootprintsAlways | evFootprintsWhenUp);
    QPainter painter(&canvas);
    if (!now) {
        // Restore what the last marks covered. Rectangles are clamped to the
        // last column and row, where a ring may still have drawn: those are
        // restored too.
        painter.setCompositionMode(QPainter::CompositionMode_Source);
        for (int i = 0; i < Satellites.Count; ++i) {
            const auto* sat = static_cast<const TSat*>(Satellites.Get(i));
            const QRect& old = rings && !IsEmpty(sat->FootprintRect) ? sat->FootprintRect : sat->IconRect;
            if (!IsEmpty(old))
                painter.drawImage(old.topLeft(), *WorkImage, old);
        }
        painter.setCompositionMode(QPainter::CompositionMode_SourceOver);
    }
    painter.setFont(Font);
    painter.setPen(QPen(ToQColor(clSat), 1, Qt::SolidLine));
    painter.setBrush(Qt::NoBrush);
    const QFontMetrics metrics(Font);
    const QImage& icon = MaskedSatIcon();
    const double day = DateTimeToDayNumber(0);

    for (int i = 0; i < Satellites.Count; ++i) {
        auto* sat = static_cast<TSat*>(Satellites.Get(i));
        sat->FootprintRect = Coords(0, 0, 0, 0);
        sat->Time = day;
        sat->ComputePosition();
        const int y = LatToY(sat->Latitude), x = LonToX(TSat::NormalizeLongitude(sat->Longitude));
        const QRect iconRect = RectAround(x, y, ihw, ihh);
        sat->IconRect = iconRect;
        if (IsEmpty(iconRect))
            continue;
        painter.drawImage(iconRect.topLeft(), icon, Area(IconSourceRect(x, y, ihw, ihh)));

        const QString name = QString::fromLatin1(sat->Name);
        const int cx = metrics.horizontalAdvance(name), cy = metrics.height();
        const QRect label = RectAround(x, y + ihh + cy / 2, cx / 2, cy / 2);
        if (IsEmpty(label))
            continue;  // no room for the name below the icon: no name, no ring
        painter.setClipRect(Area(label));
        painter.drawText(x - cx / 2, y + ihh + metrics.ascent(), name);
        painter.setClipping(false);
        sat->IconRect = GrowRect(Coords(std::min(iconRect.left(), label.left()), iconRect.top(),
                                        std::max(iconRect.right(), label.right()),
                                        std::max(iconRect.bottom(), label.bottom())),
                                 2, 2);
        if (rings)
            DrawFootprint(sat, painter);
    }
}

TEarthView::TRing TEarthView::FootprintRing(const TSat& sat) const
{
    TRing ring;
    const QSize size = GetMapSize();
    const int w = size.width(), h = size.height();
    const double beta = (sat.Footprint / 2.0) / EarthRadiusKm;  // the ring's angular radius
    const double phi = sat.Latitude * Pi / 180.0, lambda = sat.Longitude * Pi / 180.0;
    const auto& cosine = CosineTable();
    int left = w, top = h, right = 0, bottom = 0;
    ring.Points.reserve(360);
    for (int i = 0; i < 360; ++i) {
        const double phiI = std::asin(std::sin(phi) * std::cos(beta) + cosine[i] * std::sin(beta) * std::cos(phi));
        double lambdaI;
        if ((i == 0 && Pi / 2 - phi < beta) || (i == 180 && Pi / 2 + phi < beta)) {
            lambdaI = lambda + Pi;  // the pole lies inside the ring
        } else {
            const double divisor = std::cos(phi) * std::cos(phiI);
            const double q = divisor == 0 ? 1.0 : (std::cos(beta) - std::sin(phi) * std::sin(phiI)) / divisor;
            if (std::fabs(q) >= 1)
                lambdaI = lambda;
            else
                lambdaI = i <= 180 ? lambda - std::acos(q) : lambda + std::acos(q);
        }
        while (lambdaI < 0)
            lambdaI += 2 * Pi;
        while (lambdaI > 2 * Pi)
            lambdaI -= 2 * Pi;
        const double phiDeg = phiI * 180.0 / Pi, lambdaDeg = lambdaI * 180.0 / Pi;
        const double f = 360.0 - lambdaDeg;
        const int x = Clamp(static_cast<int>(f > 180 ? std::floor(w - w * (f - 180) / 360.0 + 0.5)
                                                     : std::floor(w / 2 - w * f / 360.0 + 0.5)),
                            w);
        const int y = Clamp(static_cast<int>(std::floor(h / 2 - h * phiDeg / 180.0 + 0.5)), h);
        // A jump of half the map or more: the ring crossed the map's edge.
        const bool penDown = i > 0 && std::abs(x - ring.Points.back().At.x()) < w / 2;
        ring.Points.push_back({QPoint(x, y), penDown});
        left = std::min(left, x);
        top = std::min(top, y);
        right = std::max(right, x);
        bottom = std::max(bottom, y);
    }
    ring.Bounds = Coords(left, top, right, bottom);
    ring.Closed = std::abs(ring.Points.back().At.x() - ring.Points.front().At.x()) < w / 2;
    return ring;
}

void TEarthView::DrawFootprint(TSat* sat, QPainter& canvas)
{
    if ((Modes & evFootprintsWhenUp) && sat->Elevation < 0)
        return;
    canvas.setPen(QPen(ToQColor(clSat), 1, Qt::SolidLine));
    const TRing ring = FootprintRing(*sat);
    for (size_t i = 1; i < ring.Points.size(); ++i)
        if (ring.Points[i].PenDown)
            canvas.drawLine(ring.Points[i - 1].At, ring.Points[i].At);
    sat->FootprintRect = GrowRect(UnionRects(ring.Bounds, sat->IconRect), 3, 3);
    if (ring.Closed)
        canvas.drawLine(ring.Points.back().At, ring.Points.front().At);
}
