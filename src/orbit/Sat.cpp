#include "orbit/Sat.h"

#include <QDate>
#include <cmath>
#include <cstring>

using namespace orbitmath;

namespace {

constexpr double EarthRadiusKm = 6378.135;
// Mean motion of a geostationary orbit, revolutions per day.
constexpr double SiderealRevsPerDay = 1.00273790934;

}  // namespace

TSat::TSat()
{
    ClearElements();
    Time = 0;
    Elevation = Azimuth = 0;
    Latitude = Longitude = 0;
    RangeRate = 0;
    SunAzimuth = SunElevation = SunLongitude = SunLatitude = SunRA = SunDec = 0;
    MoonAzimuth = MoonElevation = MoonLatitude = MoonLongitude = 0;
    Daylight = 0;
    std::memset(ScratchText, 0, sizeof ScratchText);
    std::memset(ModelName, 0, sizeof ModelName);
    TSince = EpochJD = JulianDate = EclipseDepth = 0;
    Range = Altitude = Speed = Phase = Footprint = ElementAge = 0;
    Phase256 = OrbitNumber = 0;
    PropagationError = PropOk;
    Station = nullptr;
    Reset();
}

TSat::TSat(const TSat& other) : TSat()
{
    Assign(other);
}

TSat& TSat::operator=(const TSat& other)
{
    // The same object the copy constructor makes: nothing of the old set
    // survives when the other one holds no valid element set.
    if (this != &other) {
        Reset();
        ClearElements();
        PropagationError = PropOk;
        Station = nullptr;
        Assign(other);
    }
    return *this;
}

TSat::~TSat()
{
    FreeLineBuffers();
}

void TSat::ClearElements()
{
    std::memset(Name, 0, sizeof Name);
    std::memset(Line1, 0, sizeof Line1);
    std::memset(Line2, 0, sizeof Line2);
    std::memset(IntlDesignator, 0, sizeof IntlDesignator);
    CatalogNumber = ElementSetNumber = EpochRevNumber = EpochYear = 0;
    EpochDay = Inclination = RAAN = Eccentricity = ArgPerigee = MeanAnomaly = 0;
    MeanMotion = DecayRate = Nddot6 = Bstar = 0;
    PropElements = {};
    DeepArgs = {};
    NearEarthState = {};
    DeepSpaceState = {};
}

void TSat::Assign(const TSat& other)
{
    APTSatellite = other.APTSatellite;
    Scheduled = other.Scheduled;
    Downlink = other.Downlink;
    Group = other.Group;
    FileBaseName = other.FileBaseName;
    Northbound = other.Northbound;
    AOS = other.AOS;
    WindowStart = other.WindowStart;
    TCA = other.TCA;
    MaxElevation = other.MaxElevation;
    LOS = other.LOS;
    WindowStop = other.WindowStop;
    Daylight = other.Daylight;
    StationGeodetic.Latitude = other.StationGeodetic.Latitude;
    StationGeodetic.Longitude = other.StationGeodetic.Longitude;
    StationGeodetic.Altitude = other.StationGeodetic.Altitude;
    StationName = other.StationName;
    char name[sizeof Name];
    std::memcpy(name, other.Name, sizeof name);
    if (ParseTLE(name, other.Line1, other.Line2)) {
        PrepareElements();
    } else {
        // A pass read from a file without its element set is still that
        // satellite's pass: its copies keep the name, only the orbit is missing.
        std::memcpy(Name, other.Name, sizeof Name);
    }
}

void TSat::Reset()
{
    // The line buffers are left alone: they belong to a file operation that
    // may still be under way, and are freed by it or by the destructor.
    std::memset(Name, 0, sizeof Name);
    std::memset(Line1, 0, sizeof Line1);
    std::memset(Line2, 0, sizeof Line2);
    for (int c = 0; c < 256; ++c)
        ChecksumTable[c] = c >= '0' && c <= '9' ? static_cast<unsigned char>(c - '0')
                                               : (c == '-' ? 1 : 0);
    Flags = 0;
    StationGeodetic = {};
    StationName.clear();
    FileBaseName.clear();
    Group.clear();
    Downlink.clear();
    APTSatellite = Scheduled = Northbound = Sunlit = 0;
    AOS = LOS = TCA = MaxElevation = WindowStart = WindowStop = 0;
    IconRect = FootprintRect = QRect();
}

bool TSat::AllocLineBuffers()
{
    for (auto& buffer : LineBuffers)
        buffer = std::make_unique<char[]>(76);
    return true;
}

void TSat::FreeLineBuffers()
{
    for (auto& buffer : LineBuffers)
        buffer.reset();
}

// ---------------------------------------------------------------- status

double TSat::SemiMajorAxis() const
{
    return MeanMotion > 0 ? 331.25 * std::pow(1440.0 / MeanMotion, 2.0 / 3.0) : 0;
}

double TSat::GetDecayDate(double) const
{
    const double epoch = DayNumberOfDate(1, 0, EpochYear) + EpochDay;
    // A rate of zero or below is no decay at all: taking the epoch as the
    // decay date would make the satellite unpredictable from its first day.
    if (DecayRate <= 0)
        return epoch + 1e9;
    return epoch + (16.666666666666668 - MeanMotion) / (10.0 * DecayRate);
}

QString TSat::GetDecayText(double day) const
{
    const double date = GetDecayDate(day);
    if (date < DayNumberOfDate(1, 0, 70) || date > DayNumberOfDate(1, 19, 38))
        return "N/A";
    return DayNumberToText(date, 12) + " UTC";
}

bool TSat::IsDecayed(double day) const
{
    if (APTSatellite)
        return false;
    if (day == 0)
        day = CurrentDayNumber();
    return GetDecayDate(day) < day;
}

bool TSat::CanEverRise(double stationLatitudeRad) const
{
    if (MeanMotion <= 0)
        return false;
    const double a = SemiMajorAxis();
    const double h = ClampedArcCos(EarthRadiusKm / ((1 + Eccentricity) * a));
    const double i = Inclination >= 90 ? 180 - Inclination : Inclination;
    return std::fabs(stationLatitudeRad) < h + i * DegreesToRadians;
}

bool TSat::IsGeostationary() const
{
    if (MeanMotion == 0 || std::fabs(MeanMotion - SiderealRevsPerDay) < 0.0005)
        return true;
    return MeanMotion > 0 && (1 + Eccentricity) * SemiMajorAxis() - EarthRadiusKm > 35000;
}

bool TSat::HasModelElements() const
{
    // Outside these the model's formulas divide by zero or take roots of
    // negative numbers.
    return MeanMotion > 0 && Eccentricity >= 0 && Eccentricity < 1 &&
           std::isfinite(MeanMotion) && std::isfinite(Eccentricity);
}

bool TSat::IsPredictable(double stationLatitudeRad, double day, int mode)
{
    if (day == 0)
        day = DateTimeToDayNumber(0);
    if (!IsFlagSet(SatPrepared)) {
        PrepareElements();
        mode = 1;
    }
    if (mode == 0)
        return HasModelElements() && !IsFlagSet(SatGeostationary | SatDecayed | SatBadElements) &&
               !IsGeostationary() && !IsDecayed(day) && CanEverRise(stationLatitudeRad);
    if (mode & 1) {
        int bits = 0;
        if (!HasModelElements())
            bits |= SatBadElements;
        if (!CanEverRise(stationLatitudeRad))
            bits |= SatNeverRises;
        if (IsGeostationary())
            bits |= SatGeostationary;
        if (IsDecayed(day))
            bits |= SatDecayed;
        Flags |= bits;
        return bits == 0;
    }
    return false;
}

int TSat::GetNOAAIndex(const char* name)
{
    if (!name || name[0] != 'N')
        return -1;
    static const char* const numbers[] = {"12", "14", "15", "17", "18"};
    for (int i = 0; i < 5; ++i) {
        char blank[8], dash[8];
        std::snprintf(blank, sizeof blank, "NOAA %s", numbers[i]);
        std::snprintf(dash, sizeof dash, "NOAA-%s", numbers[i]);
        if (std::strcmp(name, blank) == 0 || std::strcmp(name, dash) == 0)
            return i;
    }
    return -1;
}

void TSat::SetStation(TStation* s)
{
    Station = s;
    if (!s)
        return;
    StationGeodetic.Latitude = s->Latitude * DegreesToRadians;
    StationGeodetic.Longitude = -s->Longitude * DegreesToRadians;
    StationGeodetic.Altitude = s->Altitude * 0.001;
    StationGeodetic.Theta = 0;
    StationName = s->Name;
}

QString TSat::GetStationText(int flags) const
{
    QString name = StationName.left(69);
    if (flags & 1) {
        for (QChar& c : name) {
            const char16_t u = c.unicode();
            if (u == 0xE5 || u == 0xE4)
                c = 'a';
            else if (u == 0xF6)
                c = 'o';
            else if (!((u >= 'a' && u <= 'z') || (u >= 'A' && u <= 'Z') || (u >= '0' && u <= '9')))
                c = ' ';
        }
    }
    const double lat = ToDegrees(StationGeodetic.Latitude);
    const double lon = ToDegrees(StationGeodetic.Longitude);
    const QString place = QString::asprintf(
        "%g%s %g%s Altitude %g m", std::fabs(lat), lat >= 0 ? "N" : "S", std::fabs(lon),
        lon >= 0 ? "E" : "W", StationGeodetic.Altitude * 1000.0);
    return name.isEmpty() ? place : name + " " + place;
}

QString TSat::GetEpochAgeText(bool plainDate)
{
    const double epoch = DayNumberOfDate(1, 0, EpochYear) + EpochDay;
    const QString date = DayNumberToText(epoch, 12);
    if (plainDate)
        return date + " UTC";
    const int days = static_cast<int>(std::floor(CurrentDayNumber() - epoch + 0.5));
    if (days == 0)
        return QString("Today on %1 UTC").arg(date);
    if (days == 1)
        return QString("Yesterday on %1 UTC").arg(date);
    return QString("%1 days ago on %2 UTC").arg(days).arg(date);
}

TDateTime TSat::GetEpochDateTime()
{
    PrepareElements();
    return DayNumberToDateTime(DayNumberOfDate(1, 0, EpochYear) + EpochDay);
}

QStringList TSat::OrbitGridCells()
{
    // A set without a positive mean motion (the propagator refuses it) has
    // no orbit to derive: its derived values read "N/A", never inf or nan.
    const bool hasOrbit = MeanMotion > 0;
    const double a = SemiMajorAxis();
    const double period = hasOrbit ? 1440.0 / MeanMotion : 0;
    const double cosI = std::cos(Inclination * DegreesToRadians);
    const double e2 = Eccentricity * Eccentricity;
    const double nodal =
        hasOrbit ? period * 360.0 /
                       (4.97 * std::pow(EarthRadiusKm / a, 3.5) * (5 * cosI * cosI - 1) / ((1 - e2) * (1 - e2)) /
                            MeanMotion +
                        360.0)
                 : 0;
    const auto c = [](const char* format, double v) { return QString::asprintf(format, v); };
    const auto derived = [hasOrbit](const char* format, double v) {
        return hasOrbit && std::isfinite(v) ? QString::asprintf(format, v) : QString("N/A");
    };
    return {QString::fromLatin1(Name),
            QString::asprintf("%ld", static_cast<long>(CatalogNumber)),
            QString::asprintf("%ld", static_cast<long>(EpochRevNumber)),
            QString::asprintf("%ld", static_cast<long>(ElementSetNumber)),
            QString::asprintf("%02d %.8f", EpochYear, EpochDay),
            GetEpochAgeText(false),
            c("%.4f deg", Inclination),
            c("%.4f deg", RAAN),
            c("%g", Eccentricity),
            c("%.4f deg", ArgPerigee),
            c("%.4f deg", MeanAnomaly),
            c("%.8f rev/day", MeanMotion),
            c("%g rev/day^2", DecayRate),
            c("%g rev/day^3", Nddot6),
            c("%g 1/earth radii", Bstar),
            derived("%.4f km", a),
            derived("%.4f km", (1 + Eccentricity) * a - EarthRadiusKm),
            derived("%.4f km", (1 - Eccentricity) * a - EarthRadiusKm),
            derived("%.4f mins", period),
            derived("%.4f mins", nodal),
            GetDecayText(0)};
}

void TSat::FillOrbitGrid(QList<QStringList>& rows)
{
    SetupOrbitGrid(rows);
    const QStringList cells = OrbitGridCells();
    for (int row = 1; row < OrbitGridRows && row - 1 < cells.size(); ++row)
        rows[row][1] = cells[row - 1];
}

// ---------------------------------------------------------------- day numbers

double TSat::CurrentDayNumber()
{
    return DateTimeToDayNumber(0);
}

long TSat::DayNumberOfDate(int month, int day, int year)
{
    if (month < 3) {
        --year;
        month += 12;
    }
    if (year <= 50)
        year += 100;
    const long base = static_cast<long>(std::floor(365.25 * (year - 80))) -
                      static_cast<long>(std::floor(0.01 * year + 19)) +
                      static_cast<long>(std::floor(0.0025 * year + 4.75)) - 16;
    return base + 30L * month + day + static_cast<long>(std::floor(0.6 * month - 0.3));
}

double TSat::JulianDateOfYear(double year)
{
    const long y = static_cast<long>(year) - 1;
    const long a = y / 100;
    const long b = 2 - a + a / 4;
    return std::trunc(365.25 * y) + 428.0 + 1720994.5 + b;
}

double TSat::EpochJulianDate(double epoch)
{
    const double scaled = epoch * 0.001;
    const double whole = std::floor(scaled);
    const double dayOfYear = (scaled - whole) * 1000.0;
    const int y = static_cast<int>(whole);
    return JulianDateOfYear(y < 57 ? 2000 + y : 1900 + y) + dayOfYear;
}

TDateTime TSat::DayNumberToDateTime(double day)
{
    const double seconds = std::floor((day + 3651.0) * 86400.0 + 0.5);
    return EncodeDateTime(1970, 1, 1) + seconds / 86400.0;
}

bool TSat::IsSameDate(double day, TDateTime t)
{
    return std::trunc(DayNumberToDateTime(day)) == std::trunc(t);
}

QString TSat::DayNumberToText(double day, int flags)
{
    TDateTime t = DayNumberToDateTime(day);
    if (flags & 0x1) {
        if (std::trunc(t) == std::trunc(LocalToUTC(0)))
            flags |= 0x2;
        else if (!(flags & 0x20))
            flags |= 0x4;
    }
    if (flags & 0x10)
        t = UTCToLocal(t);
    if (flags & 0x2)
        return FormatDateTime("hh:nn:ss", t);
    if (flags & 0x4)
        return FormatDateTime("ddd d mmm yyyy hh:nn:ss", t);
    if (flags & 0x20)
        return FormatDateTime("yymmdd_hhnnss", t);
    return "N/A";
}

QString TSat::FormatDuration(TDateTime span)
{
    return FormatDateTime(DecodeDateTime(span).Hour != 0 ? "h:n:ss" : "n:ss", span);
}
