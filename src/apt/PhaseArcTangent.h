#pragma once
// The carrier loop's arctangent. The loop waits on its phase detector every
// sample, and the library's atan2 is a call with many branches. This one is
// inline: near lock (x > 0, y small beside it, a branch the processor
// guesses right) it is one division and a polynomial. Its result is within
// about 6e-16 rad of the exact angle, as close as the library's.
//
// It gives the angle as lead + tail * p, the last step left to the caller:
// the loop takes the angle into its next step with a scale and an offset of
// its own, folded into lead and tail while p is summed.
#include <cmath>

namespace apt {

struct ArcTangentParts {
    double lead, tail, p;
    double Value() const { return lead + tail * p; }
};

namespace phase_arctangent {

constexpr double kQuarterPi = 0.78539816339744831;
constexpr double kHalfPi = 1.5707963267948966;
constexpr double kThreeQuarterPi = 2.3561944901923448;
constexpr double kPi = 3.1415926535897931;
constexpr double kTanEighthPi = 0.41421356237309503;

// atan(u) = u + u^3 P(u^2) for |u| <= tan(pi/8), within 6e-17 rad; made by
// tests/tools/design_phase_arctangent.py.
constexpr double kP[10] = {
    -0.33333333333333248,  0.19999999999898407, -0.14285714266096619, 0.11111109636534361,
    -0.09090852557176049,  0.076910551583931494, -0.066496136952916687, 0.057363321659076427,
    -0.044833346222728859, 0.022750526993361671,
};

// P(z), summed in a tree (Estrin) rather than one term after another, so
// that it waits on few multiplies.
inline double Remainder(double z)
{
    const double z2 = z * z;
    const double z4 = z2 * z2;
    const double z8 = z4 * z4;
    const double p01 = kP[0] + kP[1] * z;
    const double p23 = kP[2] + kP[3] * z;
    const double p45 = kP[4] + kP[5] * z;
    const double p67 = kP[6] + kP[7] * z;
    const double p89 = kP[8] + kP[9] * z;
    const double p03 = p01 + p23 * z2;
    const double p47 = p45 + p67 * z2;
    return (p03 + p47 * z4) + p89 * z8;
}

// Any other direction: the angle is worked out in the first octant, from
// the smaller of |x|, |y| over the larger, then set in its octant.
// Above tan(pi/8) the first octant's angle is pi/4 plus the arctangent of
// (small - large) / (small + large), which lies in -tan(pi/8)..0.
inline ArcTangentParts Octants(double y, double x)
{
    const double a = std::fabs(y), b = std::fabs(x);
    const bool swapped = a > b;  // measured from the y axis
    const bool back = x < 0;
    const double small = swapped ? b : a, large = swapped ? a : b;
    const double ratio = small / large;
    const bool past = ratio > kTanEighthPi;
    // From the ratio rather than from small and large: their sum could overflow.
    const double u = past ? (ratio - 1) / (ratio + 1) : ratio;
    // angle = offset +- atan(u), with offsets that are exact constants.
    const double offset = past ? (back ? kThreeQuarterPi : kQuarterPi) : back ? (swapped ? kHalfPi : kPi)
                                                                              : (swapped ? kHalfPi : 0.0);
    const double sign = (swapped != back) != std::signbit(y) ? -1.0 : 1.0;
    const double z = u * u;
    return {std::copysign(offset, y) + sign * u, sign * (u * z), Remainder(z)};
}

}  // namespace phase_arctangent

// atan2(y, x) in parts; the origin and infinite or NaN arguments give NaN.
inline ArcTangentParts PhaseArcTangent(double y, double x)
{
    using namespace phase_arctangent;
    // The test is on the quotient itself: kTanEighthPi * x would round on
    // subnormal x.
    const double u = y / x;
    if (x > 0 && std::fabs(u) <= kTanEighthPi) {
        const double z = u * u;
        return {u, u * z, Remainder(z)};
    }
    return Octants(y, x);
}

}  // namespace apt
