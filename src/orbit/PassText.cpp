// What the program shows about a pass: the rows of the pass-list grid (13
// cells) and of the live tracking grid (14 cells), the tracking status line,
// the position, sun and moon texts, the pass description of the image window
// and the web log, and the tray tool-tip and balloon. The dialogs own the
// grids and their captions; these make the cells.
#include "orbit/Sat.h"

#include "platform/CNumbers.h"
#include "shell/Setting.h"

#include <cmath>

namespace {

constexpr double SpeedOfLightMs = 299792458.0;
constexpr int MaxPassRows = 998;
constexpr int ToolTipLength = 62;
constexpr int BalloonTextLength = 126;
constexpr int BalloonTitleLength = 63;

const char* Direction(bool northbound) { return northbound ? "Northbound" : "Southbound"; }

// "TCA" near the closest approach, else whether the range grows or shrinks.
const char* RangeState(double rangeRateKmS)
{
    if (std::fabs(rangeRateKmS) < 0.1)
        return "TCA";
    return rangeRateKmS >= 0 ? "receding" : "approaching";
}

QString Num(const char* format, double v) { return QString::asprintf(format, v); }

}  // namespace

// ---------------------------------------------------------------- positions

double TSat::NormalizeLongitude(double degrees)
{
    if (degrees >= 180)
        return degrees - 360;
    if (degrees <= -180)
        return degrees + 360;
    return degrees;
}

QString TSat::LatitudeText(double degrees)
{
    return QString::asprintf("%.2f%s", std::fabs(degrees), degrees >= 0 ? "N" : "S");
}

QString TSat::LongitudeText(double degrees)
{
    const double east = NormalizeLongitude(degrees);
    return QString::asprintf("%.2f%s", std::fabs(east), east >= 0 ? "E" : "W");
}

QString TSat::GetLatitudeText() const { return LatitudeText(Latitude); }
QString TSat::GetLongitudeText() const { return LongitudeText(Longitude); }
QString TSat::GetPositionText() const { return GetLatitudeText() + " " + GetLongitudeText(); }

QString TSat::GetSunText() const
{
    return QString::asprintf("Az:%.2f El:%.2f", SunAzimuth, SunElevation);
}

QString TSat::GetMoonText()
{
    ComputeMoonPosition(0);
    return QString::asprintf("Az:%.2f El:%.2f", MoonAzimuth, MoonElevation);
}

// ---------------------------------------------------------------- grids

void TSat::AddPassGridRow(QList<QStringList>& rows, const QString& startText,
                          const QString& durationText, double pathLoss, double elevation,
                          double azimuth, int phase256, double latitude, double longitude,
                          double range, int orbitNumber) const
{
    rows.append({QString::fromLatin1(Name), QString::number(orbitNumber),
                 Downlink.isEmpty() ? QString("N/A") : Downlink, startText, durationText,
                 Direction(Northbound), Num("%.2f", elevation),
                 pathLoss == 0 ? QString("N/A") : Num("%.3f", pathLoss), Num("%.2f", azimuth),
                 LatitudeText(latitude), LongitudeText(longitude), QString::number(phase256),
                 Num("%.0f", range)});
}

void TSat::FillPassGrid(TStation* station, QList<QStringList>& rows, TDateTime date,
                        const std::function<void()>& letMessagesRun, QList<double>* aosDays)
{
    rows.clear();
    if (aosDays)
        aosDays->clear();
    const double dayStart = DateTimeToDayNumber(std::trunc(date));
    if (!PredictPass(station, dayStart, 0))
        return;
    if (!IsSameDate(AOS, date)) {
        // Up at midnight: the pass in progress began the day before, and the
        // day's own passes follow it.
        if (AOS >= dayStart || SearchNextAOS() == 0 || !IsSameDate(AOS, date) ||
            !PredictPass(station, AOS, 1))
            return;
    }
    // A graze just below the horizon, inside its tolerance, passes for a rise
    // of this day; the pass found from it may rise the next day.
    while (IsSameDate(AOS, date)) {
        if (letMessagesRun)
            letMessagesRun();
        Time = TCA;
        ComputePosition();
        AddPassGridRow(rows, DayNumberToText(AOS, 18), FormatDuration(LOS - AOS), GetPathLoss(),
                       MaxElevation, Azimuth, Phase256, Latitude, Longitude, Range, OrbitNumber);
        if (aosDays)
            aosDays->append(AOS);
        if (!IsSameDate(TCA, date))
            break;
        Time = SearchNextAOS();
        if (Time == 0 || !IsSameDate(Time, date) || !PredictPass(station, Time, 1) ||
            !IsPredictable(StationGeodetic.Latitude, Time, 0) || rows.size() >= MaxPassRows)
            break;
    }
}

bool TSat::AddPassRow(TStation* station, QList<QStringList>& rows, double day,
                      const TSetting* settings)
{
    double start = 0, stop = 0;
    if (settings && (settings->PassModes & 1)) {
        if (!PredictRecordingWindow(station, settings, day))
            return false;
        start = WindowStart;
        stop = WindowStop;
    } else {
        if (!PredictPass(station, day, 0))
            return false;
        start = AOS;
        stop = LOS;
    }
    Time = TCA;
    ComputePosition();
    AddPassGridRow(rows, DayNumberToText(start, 18), FormatDuration(stop - start), GetPathLoss(),
                   MaxElevation, Azimuth, Phase256, Latitude, Longitude, Range, OrbitNumber);
    return true;
}

void TSat::FillTrackingRow(QStringList& row, TStation* station, bool bindOnly)
{
    if (bindOnly) {
        SetStation(station);
        PrepareElements();
        return;
    }
    Time = CurrentDayNumber();
    ComputePosition();
    while (row.size() < 14)
        row.append(QString());
    row[0] = QString::fromLatin1(Name);
    row[1] = QString::number(OrbitNumber);
    row[2] = GetLatitudeText();
    row[3] = GetLongitudeText();
    row[4] = Num("%.2f", Azimuth);
    row[5] = Num("%.2f", Elevation);
    row[7] = Num("%.0f", Speed * 3600);
    row[8] = Num("%.0f", Footprint);
    row[9] = Num("%.0f", Altitude);
    row[10] = Num("%.0f", Range);
    row[11] = Num("%.2f", orbitmath::ToDegrees(EclipseDepth));
    row[12] = Num("%.1f", Phase / TwoPi * 256);
    row[13] = QString::fromLatin1(ModelName);
    constexpr int statusBits = SatNeverRises | SatDecayed | SatGeostationary;
    if (!IsPredictable(StationGeodetic.Latitude, Time, 1)) {
        row[6] = IsFlagSet(SatNeverRises) ? "Never Rises"
                 : IsFlagSet(SatDecayed)  ? "Decayed"
                                          : "Geostationary";
        ClearFlag(statusBits);
    } else {
        const double aos = SearchAOS();
        row[6] = aos != 0 ? DayNumberToText(aos, 17) : QString("N/A");
    }
}

// ---------------------------------------------------------------- status lines

QString TSat::GetTrackingStatusText(const TSetting*, int flags) const
{
    const char* what = flags & 1 ? "Recording" : "Tracking";
    const char* pending = !(flags & 1) && Scheduled ? "->" : "";
    const QString downlink = Downlink.isEmpty() ? QString() : "on " + Downlink + " MHz";
    const QString head =
        QString::asprintf("%s %s %s Az:%.2f El:%.2f", Name, qPrintable(downlink),
                          qPrintable(GetPositionText()), Azimuth, Elevation);
    if (Elevation < 0)
        return QString::asprintf("%s%s %s El max:%.2f AOS:%s", pending, what, qPrintable(head),
                                 MaxElevation, qPrintable(DayNumberToText(AOS, 17)));
    const double mhz = cnum::ParseFloat(Downlink);
    QString rx;
    if (mhz != 0) {
        // As many decimals as the downlink text carries after "137.".
        const int decimals = std::max(0, static_cast<int>(Downlink.size()) - 4);
        const double received = mhz * (1 - RangeRate * 1000 / SpeedOfLightMs);
        const double loss = Range > 0 ? 32.4 + 20 * std::log10(std::fabs(mhz)) + 20 * std::log10(Range) : 0;
        rx = QString::asprintf("RX:%.*f MHz Pathloss:%.3f dB Delay:%.3f ms", decimals, received,
                               loss, Range * 1000 / SpeedOfLightMs * 1000);
    }
    const QString state = QString::asprintf("%s %s", what, RangeState(RangeRate));
    return QString::asprintf("%s%s %s %s Max El:%.2f %s", pending, qPrintable(state),
                             Northbound ? "northbound" : "southbound", qPrintable(head),
                             MaxElevation, qPrintable(rx));
}

QString TSat::GetPassDescription(int flags) const
{
    const TDateTime start = DayNumberToDateTime(WindowStart);
    const TDateTime stop = DayNumberToDateTime(WindowStop);
    if (flags == 0) {
        const QString downlink = Downlink.isEmpty() ? QString() : Downlink + " MHz, ";
        return QString::asprintf("%s APT %s%s On %s-%s UTC", Name, qPrintable(downlink),
                                 Direction(Northbound),
                                 qPrintable(FormatDateTime("ddd d mmm yyyy hh:nn:ss", start)),
                                 qPrintable(FormatDateTime("hh:nn:ss", stop)));
    }
    if (flags & 1) {
        const QString downlink = Downlink.isEmpty() ? QString() : Downlink + " MHz";
        return QString::asprintf(
            "<p class=\"mainp\"><b>%s APT %s</b></p><p class=\"mainp\"><b> %s, On %s At %s-%s "
            "UTC</b></p>",
            Name, qPrintable(downlink), Direction(Northbound),
            qPrintable(FormatDateTime("ddd d mmm yyyy", start)),
            qPrintable(FormatDateTime("hh:nn:ss", start)),
            qPrintable(FormatDateTime("hh:nn:ss", stop)));
    }
    return {};
}

void TSat::GetTrayHint(QString& text, QString* title, int flags) const
{
    const char* what = flags & 1 ? "Recording" : "Tracking";
    const QString aos = DayNumberToText(AOS, 18);
    if (!(flags & 2)) {
        text = QString::asprintf("%s %s\nAOS %s\nMax El:%.2f", Name, what, qPrintable(aos),
                                 MaxElevation)
                   .left(ToolTipLength);
        return;
    }
    const QString position = GetPositionText();
    if (Elevation < 0) {
        if (title) {
            *title = QString::asprintf("%s %s", Name, what).left(BalloonTitleLength);
            text = QString::asprintf("AOS %s\n%s\nMax elevation %.2f", qPrintable(aos),
                                     qPrintable(position), MaxElevation);
        } else {
            text = QString::asprintf("%s %s\nAOS %s\n%s\nMax elevation %.2f", Name, what,
                                     qPrintable(aos), qPrintable(position), MaxElevation);
        }
    } else if (title) {
        *title = QString::asprintf("%s %s: %s %s", Name, what, Direction(Northbound),
                                   RangeState(RangeRate))
                     .left(BalloonTitleLength);
        text = QString::asprintf("%s\nAz %.2f El %.2f\nMax elevation %.2f", qPrintable(position),
                                 Azimuth, Elevation, MaxElevation);
    } else {
        text = QString::asprintf("%s %s: %s %s\n%s\nAz %.2f El %.2f\nMax elevation %.2f", Name,
                                 what, Direction(Northbound), RangeState(RangeRate),
                                 qPrintable(position), Azimuth, Elevation, MaxElevation);
    }
    text = text.left(BalloonTextLength);
}
