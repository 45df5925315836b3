#include "publishing/PassTable.h"

#include "platform/CNumbers.h"
#include "publishing/WebText.h"

#include <cmath>
#include <cstring>

namespace {

constexpr double kSecondDays = 1.0 / 86400.0;
// The closest approach lies within half an hour of any window start.
constexpr int kMaxTcaSteps = 1800;

QString LatitudeText(double latitudeDeg)
{
    return QString::fromStdString(cnum::Format("%.2f%s", std::fabs(latitudeDeg), latitudeDeg >= 0 ? "N" : "S"));
}

// Degrees east 0..360 shown as -180..180 with E or W.
QString LongitudeText(double longitudeDeg)
{
    double l = longitudeDeg;
    if (l >= 180)
        l -= 360;
    else if (l <= -180)
        l += 360;
    return QString::fromStdString(cnum::Format("%.2f%s", std::fabs(l), l >= 0 ? "E" : "W"));
}

double PathLossDb(const TSat& sat)
{
    const double mhz = cnum::ParseFloat(sat.Downlink);
    if (sat.Elevation < 0 || sat.Downlink.isEmpty() || mhz <= 0 || sat.Range <= 0)
        return 0;
    return 32.4 + 20 * std::log10(mhz) + 20 * std::log10(sat.Range);
}

TPassPoint PointNow(const TSat& sat)
{
    TPassPoint p;
    p.Utc = TSat::DayNumberToDateTime(sat.Time);
    p.Position = LatitudeText(sat.Latitude) + " " + LongitudeText(sat.Longitude);
    p.AzimuthDeg = sat.Azimuth;
    p.ElevationDeg = sat.Elevation;
    p.PathLossDb = PathLossDb(sat);
    p.SunElevationDeg = sat.SunElevation;
    return p;
}

TPassPoint PointAt(TSat& sat, double day)
{
    sat.Time = day;
    sat.ComputePosition();
    return PointNow(sat);
}

// Steps a second at a time while the elevation rises; TCA is the first
// second that is no higher than the one before.
void SearchClosestApproach(TSat& sat, double start)
{
    sat.Time = start;
    sat.ComputePosition();
    sat.MaxElevation = sat.Elevation;
    for (int i = 0; i < kMaxTcaSteps; ++i) {
        sat.Time += kSecondDays;
        sat.ComputePosition();
        if (sat.Elevation <= sat.MaxElevation)
            break;
        sat.MaxElevation = sat.Elevation;
    }
    sat.TCA = sat.Time;
}

QString Direction(const TSat& sat) { return sat.Northbound ? "Northbound" : "Southbound"; }

}  // namespace

QString SatName(const TSat& sat) { return QString::fromUtf8(sat.Name, int(strnlen(sat.Name, sizeof sat.Name))); }

TPassTable MeasurePass(TSat& sat)
{
    TPassTable table;
    table.Acquisition = PointAt(sat, sat.WindowStart);
    table.Loss = PointAt(sat, sat.WindowStop);
    SearchClosestApproach(sat, sat.WindowStart);
    table.ClosestApproach = PointNow(sat);
    table.ClosestApproach.ElevationDeg = sat.MaxElevation;
    table.MaxElevationDeg = sat.MaxElevation;
    table.OrbitNumber = sat.OrbitNumber;
    return table;
}


QString PassHeadlineHtml(const TSat& sat)
{
    using webtext::Html;
    const TDateTime start = TSat::DayNumberToDateTime(sat.WindowStart);
    const TDateTime stop = TSat::DayNumberToDateTime(sat.WindowStop);
    const QString downlink = sat.Downlink.isEmpty() ? QString() : sat.Downlink + " MHz";
    return "<p class=\"mainp\"><b>" + Html(SatName(sat)) + " APT " + Html(downlink) +
           "</b></p><p class=\"mainp\"><b> " + Direction(sat) + ", On " + FormatDateTime("ddd d mmm yyyy", start) +
           " At " + FormatDateTime("hh:nn:ss", start) + "-" + FormatDateTime("hh:nn:ss", stop) + " UTC</b></p>";
}
