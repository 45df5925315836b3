#pragma once
// The small numeric and vector helpers of the propagator and the observer
// geometry. Angles in radians unless a name says otherwise.
#include <cmath>

constexpr double Pi = 3.141592653589793;
constexpr double PiHalf = 1.5707963267948966;
constexpr double TwoPi = 6.283185307179586;
constexpr double ThreePiHalf = 4.71238898038469;
constexpr double DegreesToRadians = 0.017453292519943295;

// A state vector component set; w holds the length (or, for a look-angle
// set, the fourth quantity: azimuth, elevation, range km, range rate km/s).
struct OrbitVector {
    double x = 0, y = 0, z = 0, w = 0;
};

// Latitude (rad, north positive), longitude (rad, EAST positive), altitude
// (km) and the local sidereal angle theta (rad) of a point on the earth.
struct GeodeticPoint {
    double Latitude = 0, Longitude = 0, Altitude = 0, Theta = 0;
};

namespace orbitmath {

inline double ToRadians(double degrees) { return degrees * DegreesToRadians; }
inline double ToDegrees(double radians) { return radians / DegreesToRadians; }
inline double Square(double x) { return x * x; }
inline double FractionOf(double x) { return x - std::floor(x); }

// [0, 2pi)
inline double WrapTwoPi(double x)
{
    x -= TwoPi * std::trunc(x / TwoPi);
    return x < 0 ? x + TwoPi : x;
}

inline double WrapModulo(double x, double m)
{
    x -= m * std::trunc(x / m);
    return x < 0 ? x + m : x;
}

// Subtracts 2pi while above 2pi; negative values stay as they are.
inline double ReduceRadians(double x)
{
    while (x > TwoPi)
        x -= TwoPi;
    return x;
}

// [0, 360)
inline double ReduceDegrees(double x) { return x - 360.0 * std::floor(x / 360.0); }

// The angle of (cos part, sin part) in (0, 2pi]; (0, positive) gives 2pi.
inline double Atan2Positive(double sinPart, double cosPart)
{
    if (cosPart == 0)
        return sinPart > 0 ? PiHalf : ThreePiHalf;
    if (cosPart > 0)
        return sinPart > 0 ? std::atan(sinPart / cosPart) : TwoPi + std::atan(sinPart / cosPart);
    return Pi + std::atan(sinPart / cosPart);
}

inline double ClampedArcSin(double x)
{
    if (x < -1) return -PiHalf;
    if (x > 1) return PiHalf;
    return std::asin(x);
}

inline double ClampedArcCos(double x)
{
    if (x < -1) return Pi;
    if (x > 1) return 0;
    return std::acos(x);
}

inline void VectorLength(OrbitVector& v) { v.w = std::sqrt(v.x * v.x + v.y * v.y + v.z * v.z); }

inline double DotProduct(const OrbitVector& a, const OrbitVector& b)
{
    return a.x * b.x + a.y * b.y + a.z * b.z;
}

inline void SubtractVectors(const OrbitVector& a, const OrbitVector& b, OrbitVector& out)
{
    out.x = a.x - b.x;
    out.y = a.y - b.y;
    out.z = a.z - b.z;
    VectorLength(out);
}

inline void MultiplyVector(double k, const OrbitVector& v, OrbitVector& out)
{
    out.x = k * v.x;
    out.y = k * v.y;
    out.z = k * v.z;
    out.w = std::fabs(k) * v.w;
}

inline void ScaleVector(double k, OrbitVector& v)
{
    v.x *= k;
    v.y *= k;
    v.z *= k;
    VectorLength(v);
}

inline double AngleBetween(OrbitVector a, OrbitVector b)
{
    VectorLength(a);
    VectorLength(b);
    return ClampedArcCos(DotProduct(a, b) / (a.w * b.w));
}

}  // namespace orbitmath
