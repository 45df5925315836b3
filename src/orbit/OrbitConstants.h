#pragma once
// Constants of the SGP4/SDP4 models (WGS-72 earth; distance unit one earth
// radius, time unit one minute). CK2 is half of J2 = 1.0826158e-3; CK4, S and
// QOMS2T are the report's values rounded to seven significant digits.
#include "orbit/OrbitMath.h"

namespace sgp {

constexpr double E6A = 1e-6;  // tolerance of Kepler's equation
constexpr double TOTHRD = 0.6666666666666666;
constexpr double XJ3 = -2.53881e-6;
constexpr double XKE = 0.0743669161;
constexpr double XKMPER = 6378.135;  // km
constexpr double XMNPDA = 1440.0;    // minutes per day
constexpr double AE = 1.0;
constexpr double CK2 = 5.413079e-4;
constexpr double CK4 = 6.209887e-7;
constexpr double S = 1.012229;
constexpr double QOMS2T = 1.880279e-9;
constexpr double SecondsPerDay = 86400.0;

// What both models hand to Kepler's equation and the short-period terms:
// semi-major axis, the long-period-corrected elements and the inclination
// terms of the epoch.
struct KeplerInput {
    double A, AXN, AYN, XLT, XNODE, XINC, XN;
    double COSIO, SINIO, X3THM1, X1MTH2, X7THM1;
};

// Solves Kepler's equation (Newton, at most 11 evaluations), applies the
// short-period periodics and fills the state in earth radii and earth radii
// per minute. Returns a TPropagationError: the orbit may have no real
// solution or dip below the earth's surface.
int SolveKeplerAndOrient(const KeplerInput& in, OrbitVector& pos, OrbitVector& vel);

}  // namespace sgp
