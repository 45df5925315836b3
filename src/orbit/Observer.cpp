// Observer geometry: the satellite's position turned into look angles from
// the ground station, the sub-satellite point, footprint, shadow and orbit
// number, and the ground points at a cross-track scan angle (swath edges).
// Oblate earth of WGS-72: radius 6378.135 km, flattening 1/298.26.
#include "orbit/OrbitConstants.h"
#include "orbit/Sat.h"

#include <cmath>
#include <algorithm>
#include <cstring>

using namespace orbitmath;

namespace {

constexpr double EarthRadiusKm = 6378.135;
constexpr double Flattening = 0.003352779454167505;
constexpr double EarthRotationRadPerSec = 7.292115e-5;
constexpr double SunRadiusKm = 696000.0;
constexpr double FootprintFactorKm = 12756.33;
constexpr double MeanEarthRadiusKm = 6371.0;  // spherical earth of the scan geometry
constexpr double HalfScanAngleDeg = 55.37;    // the imager's half swath

}  // namespace

void TSat::ComputePosition()
{
    if (IsFlagClear(SatPrepared))
        PrepareElements();
    JulianDate = Time + DayNumberJulianOffset;
    EpochJD = EpochJulianDate(PropElements.EPOCH);
    ElementAge = JulianDate - EpochJD;
    TSince = ElementAge * 1440.0;

    OrbitVector pos, vel;
    const bool ok = Propagate(TSince, pos, vel);
    std::strcpy(ModelName, IsFlagSet(SatDeepSpace) ? "SDP4" : "SGP4");

    OrbitVector sun, sunLook, zero;
    ComputeSolarVector(JulianDate, sun);
    ComputeLookAngles(JulianDate, sun, zero, StationGeodetic, sunLook);
    SunAzimuth = ToDegrees(sunLook.x);
    SunElevation = ToDegrees(sunLook.y);

    if (!ok) {
        // No state: finite results that put the satellite far below every
        // horizon, so no search ever finds a pass of it.
        // Valid elements that evolve out of the model have come down.
        SetFlag(HasModelElements() ? SatDecayed : SatBadElements);
        Azimuth = 0;
        Elevation = -90;
        Range = RangeRate = Speed = 0;
        Latitude = Longitude = Altitude = Footprint = 0;
        EclipseDepth = 0;
        Sunlit = 1;
        ClearFlag(SatEclipsed);
        Phase256 = 0;
        OrbitNumber = PropElements.RevAtEpoch;
        return;
    }
    ScaleStateToKm(pos, vel);
    Speed = vel.w;

    OrbitVector look;
    ComputeLookAngles(JulianDate, pos, vel, StationGeodetic, look);
    GeodeticPoint sub;
    ComputeGeodetic(JulianDate, pos, sub);

    double depth = 0;
    if (ComputeEclipse(pos, sun, depth)) {
        SetFlag(SatEclipsed);
        Sunlit = 0;
    } else {
        ClearFlag(SatEclipsed);
        Sunlit = 1;
    }
    EclipseDepth = depth;

    Azimuth = ToDegrees(look.x);
    Elevation = ToDegrees(look.y);
    Range = look.z;
    RangeRate = look.w;
    Latitude = ToDegrees(sub.Latitude);
    Longitude = ToDegrees(sub.Longitude);
    Altitude = sub.Altitude;
    Footprint = FootprintFactorKm * ClampedArcCos(EarthRadiusKm / (EarthRadiusKm + Altitude));
    const double age = ElementAge;
    OrbitNumber = static_cast<int>(std::floor(
                      age * (PropElements.XNO * 1440.0 / TwoPi + age * PropElements.BSTAR * sgp::AE) +
                      PropElements.XMO / TwoPi)) +
                  PropElements.RevAtEpoch;
    Phase256 = static_cast<int>(std::floor(Phase / TwoPi * 256.0 + 0.5));
}

void TSat::ComputeObserverVector(double jd, GeodeticPoint& station, OrbitVector& pos,
                                 OrbitVector& vel)
{
    station.Theta = WrapTwoPi(SiderealTime(jd) + station.Longitude);
    const double sinLat = std::sin(station.Latitude);
    const double c = 1 / std::sqrt(1 + Flattening * (Flattening - 2) * sinLat * sinLat);
    const double s = (1 - Flattening) * (1 - Flattening) * c;
    const double r = (EarthRadiusKm * c + station.Altitude) * std::cos(station.Latitude);
    pos.x = r * std::cos(station.Theta);
    pos.y = r * std::sin(station.Theta);
    pos.z = (EarthRadiusKm * s + station.Altitude) * sinLat;
    vel.x = -EarthRotationRadPerSec * pos.y;
    vel.y = EarthRotationRadPerSec * pos.x;
    vel.z = 0;
    VectorLength(pos);
    VectorLength(vel);
}

void TSat::ComputeLookAngles(double jd, const OrbitVector& pos, const OrbitVector& vel,
                             GeodeticPoint& station, OrbitVector& look)
{
    OrbitVector obsPos, obsVel, range, rangeVel;
    ComputeObserverVector(jd, station, obsPos, obsVel);
    SubtractVectors(pos, obsPos, range);
    SubtractVectors(vel, obsVel, rangeVel);
    const double sinLat = std::sin(station.Latitude), cosLat = std::cos(station.Latitude);
    const double sinTheta = std::sin(station.Theta), cosTheta = std::cos(station.Theta);
    const double south = sinLat * cosTheta * range.x + sinLat * sinTheta * range.y - cosLat * range.z;
    const double east = -sinTheta * range.x + cosTheta * range.y;
    const double up = cosLat * cosTheta * range.x + cosLat * sinTheta * range.y + sinLat * range.z;
    // Straight overhead the azimuth is undefined: north, not NaN.
    double azimuth = south == 0 && east == 0 ? 0 : std::atan2(east, -south);
    if (azimuth < 0)
        azimuth += TwoPi;
    look.x = azimuth;
    look.y = range.w > 0 ? ClampedArcSin(up / range.w) : PiHalf;
    look.z = range.w;
    look.w = range.w > 0 ? DotProduct(range, rangeVel) / range.w : 0;
}

void TSat::ComputeGeodetic(double jd, const OrbitVector& pos, GeodeticPoint& out)
{
    out.Theta = Atan2Positive(pos.y, pos.x);
    out.Longitude = WrapTwoPi(out.Theta - SiderealTime(jd));
    const double r = std::sqrt(pos.x * pos.x + pos.y * pos.y);
    const double e2 = Flattening * (2 - Flattening);
    double latitude = Atan2Positive(pos.z, r);
    double c = 1;
    // Converges to 1e-10 rad in a handful of rounds; the bound only guards
    // against a pathological input cycling forever.
    for (int round = 0; round < 50; ++round) {
        const double phi = latitude;
        const double sinPhi = std::sin(phi);
        c = 1 / std::sqrt(1 - e2 * sinPhi * sinPhi);
        latitude = Atan2Positive(pos.z + EarthRadiusKm * c * e2 * sinPhi, r);
        if (std::fabs(latitude - phi) < 1e-10)
            break;
    }
    out.Altitude = r / std::cos(latitude) - EarthRadiusKm * c;
    if (latitude > PiHalf)
        latitude -= TwoPi;
    out.Latitude = latitude;
}

double TSat::SiderealTime(double jd)
{
    const double ut = FractionOf(jd + 0.5);
    const double jd0 = jd - ut;
    const double tu = (jd0 - 2451545.0) / 36525.0;
    double gmst = 24110.54841 + tu * (8640184.812866 + tu * (0.093104 - tu * 6.2e-6));
    gmst = WrapModulo(gmst + 86400.0 * 1.00273790934 * ut, 86400.0);
    return TwoPi * gmst / 86400.0;
}

void TSat::ComputeRADec(double jd, const OrbitVector& pos, const OrbitVector& vel,
                        GeodeticPoint& station, OrbitVector& raDec)
{
    OrbitVector look;
    ComputeLookAngles(jd, pos, vel, station, look);
    const double A = look.x, E = look.y;
    const double phi = station.Latitude;
    const double theta = WrapTwoPi(SiderealTime(jd) + station.Longitude);
    const double lxh = -std::cos(A) * std::cos(E);
    const double lyh = std::sin(A) * std::cos(E);
    const double lzh = std::sin(E);
    const double sinPhi = std::sin(phi), cosPhi = std::cos(phi);
    const double sinT = std::sin(theta), cosT = std::cos(theta);
    const double lx = sinPhi * cosT * lxh - sinT * lyh + cosT * cosPhi * lzh;
    const double ly = sinPhi * sinT * lxh + cosT * lyh + sinT * cosPhi * lzh;
    const double lz = -cosPhi * lxh + sinPhi * lzh;
    raDec.y = ClampedArcSin(lz);
    const double cd = std::sqrt(std::max(0.0, 1 - lz * lz));
    raDec.x = cd > 0 ? WrapTwoPi(Atan2Positive(ly / cd, lx / cd)) : 0;
    raDec.z = raDec.w = 0;
}

bool TSat::ComputeEclipse(const OrbitVector& sat, const OrbitVector& sun, double& depth)
{
    OrbitVector s = sat, toSun, toEarth;
    VectorLength(s);
    SubtractVectors(sun, s, toSun);
    const double earthSemi = ClampedArcSin(EarthRadiusKm / s.w);
    const double sunSemi = ClampedArcSin(SunRadiusKm / toSun.w);
    MultiplyVector(-1, s, toEarth);
    const double delta = AngleBetween(sun, toEarth);
    depth = earthSemi - sunSemi - delta;
    return earthSemi >= sunSemi && depth >= 0;
}

double TSat::ReduceLongitude(double degrees)
{
    while (degrees < -180)
        degrees += 360;
    while (degrees > 180)
        degrees -= 360;
    return degrees;
}

double TSat::ClampLatitude(double degrees)
{
    return degrees > 90 ? 90 : (degrees < -90 ? -90 : degrees);
}

void TSat::ComputeScanPoint(double scanAngleDeg, double& longitude, double& latitude,
                            int side) const
{
    const double lon0 = ReduceLongitude(Longitude);
    longitude = lon0;
    latitude = Latitude;
    if (scanAngleDeg == 0)
        return;
    const double phi = Latitude * DegreesToRadians;
    const double alpha = scanAngleDeg * DegreesToRadians;
    const double inclination = PropElements.XINCL;  // radians once prepared
    const double b = ClampedArcSin(-std::cos(inclination) / std::cos(phi));
    const double v = std::cos(b - PiHalf);
    const double kappa =
        ClampedArcSin(std::sin(alpha) * (MeanEarthRadiusKm + Altitude) / MeanEarthRadiusKm) - alpha;
    const double phi2 = ClampedArcSin(std::sin(phi) * std::cos(kappa) +
                                      std::cos(phi) * std::sin(kappa) * v);
    double delta = ClampedArcCos((std::cos(phi) * std::cos(kappa) - std::sin(phi) * std::sin(kappa) * v) /
                                 std::cos(phi2));
    if (v > 0.999)
        delta = 0;
    latitude = ToDegrees(phi2);
    const double deltaDeg = ToDegrees(delta);
    longitude = ReduceLongitude(side == 0 ? lon0 + deltaDeg : lon0 - deltaDeg);
}

void TSat::ComputeSwathEdge(double scanAngleDeg, double& longitude, double& latitude,
                            int side) const
{
    // Near the poles the scan geometry degenerates to exactly +-90: move the
    // angle 5 % of the half swath toward nadir and try again.
    const double stepDeg = 0.05 * HalfScanAngleDeg;
    for (int attempt = 0; attempt < 20; ++attempt) {
        ComputeScanPoint(scanAngleDeg, longitude, latitude, side);
        if (latitude != 90 && latitude != -90)
            return;
        scanAngleDeg += scanAngleDeg > 0 ? -stepDeg : stepDeg;
    }
}
