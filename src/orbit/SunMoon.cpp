// The sun (a low-precision solar theory) and the moon (the lunar series of
// "Astronomical Formulae for Calculators": arguments from 1900 January 0.5,
// 50 terms in longitude, 45 in latitude), for the station's read-outs, the
// shadow test and the maps.
#include "orbit/Sat.h"

#include <cmath>

using namespace orbitmath;

namespace {

constexpr double AstronomicalUnitKm = 149597870.691;

double SinDeg(double degrees) { return std::sin(degrees * DegreesToRadians); }
double CosDeg(double degrees) { return std::cos(degrees * DegreesToRadians); }

// One periodic term: coefficient x sin(d D + m M + p M' + f F), degrees;
// terms with M carry E (E squared for 2M).
struct LunarTerm {
    double Coefficient;
    int D, M, Mp, F;
};

const LunarTerm LongitudeTerms[] = {
    {6.288750, 0, 0, 1, 0},   {1.274018, 2, 0, -1, 0},  {0.658309, 2, 0, 0, 0},
    {0.213616, 0, 0, 2, 0},   {-0.185596, 0, 1, 0, 0},  {-0.114336, 0, 0, 0, 2},
    {0.058793, 2, 0, -2, 0},  {0.057212, 2, -1, -1, 0}, {0.053320, 2, 0, 1, 0},
    {0.045874, 2, -1, 0, 0},  {0.041024, 0, -1, 1, 0},  {-0.034718, 1, 0, 0, 0},
    {-0.030465, 0, 1, 1, 0},  {0.015326, 2, 0, 0, -2},  {-0.012528, 0, 0, 1, 2},
    {-0.010980, 0, 0, -1, 2}, {0.010674, 4, 0, -1, 0},  {0.010034, 0, 0, 3, 0},
    {0.008548, 4, 0, -2, 0},  {-0.007910, 2, 1, -1, 0}, {-0.006783, 2, 1, 0, 0},
    {0.005162, -1, 0, 1, 0},  {0.005000, 1, 1, 0, 0},   {0.004049, 2, -1, 1, 0},
    {0.003996, 2, 0, 2, 0},   {0.003862, 4, 0, 0, 0},   {0.003665, 2, 0, -3, 0},
    {0.002695, 0, -1, 2, 0},  {0.002602, -2, 0, 1, -2}, {0.002396, 2, -1, -2, 0},
    {-0.002349, 1, 0, 1, 0},  {0.002249, 2, -2, 0, 0},  {-0.002125, 0, 1, 2, 0},
    {-0.002079, 0, 2, 0, 0},  {0.002059, 2, -2, -1, 0}, {-0.001773, 2, 0, 1, -2},
    {0.001220, 4, -1, -1, 0}, {-0.001110, 0, 0, 2, 2},  {0.000892, -3, 0, 1, 0},
    {-0.000811, 2, 1, 1, 0},  {0.000761, 4, -1, -2, 0}, {0.000717, 0, -2, 1, 0},
    {0.000704, -2, -2, 1, 0}, {0.000693, 2, 1, -2, 0},  {0.000598, 2, -1, 0, -2},
    {0.000550, 4, 0, 1, 0},   {0.000538, 0, 0, 4, 0},   {0.000521, 4, -1, 0, 0},
    {0.000486, -1, 0, 2, 0},  {-0.001595, 2, 0, 0, 2},
};

const LunarTerm LatitudeTerms[] = {
    {5.128189, 0, 0, 0, 1},   {0.280606, 0, 0, 1, 1},   {0.277693, 0, 0, 1, -1},
    {0.173238, 2, 0, 0, -1},  {0.055413, 2, 0, -1, 1},  {0.046272, 2, 0, -1, -1},
    {0.032573, 2, 0, 0, 1},   {0.017198, 0, 0, 2, 1},   {0.009267, 2, 0, 1, -1},
    {0.008823, 0, 0, 2, -1},  {0.008247, 2, -1, 0, -1}, {0.004323, 2, 0, -2, -1},
    {0.004200, 2, 0, 1, 1},   {0.003372, -2, -1, 0, 1}, {0.002472, 2, -1, -1, 1},
    {0.002222, 2, -1, 0, 1},  {0.002072, 2, -1, -1, -1}, {0.001877, 0, -1, 1, 1},
    {0.001828, 4, 0, -1, -1}, {-0.001803, 0, 1, 0, 1},  {-0.001750, 0, 0, 0, 3},
    {0.001570, 0, -1, 1, -1}, {-0.001487, 1, 0, 0, 1},  {-0.001481, 0, 1, 1, 1},
    {0.001417, 0, -1, -1, 1}, {0.001350, 0, -1, 0, 1},  {0.001330, -1, 0, 0, 1},
    {0.001106, 0, 0, 3, 1},   {0.001020, 4, 0, 0, -1},  {0.000833, 4, 0, -1, 1},
    {0.000781, 0, 0, 1, -3},  {0.000670, 4, 0, -2, 1},  {0.000606, 2, 0, 0, -3},
    {0.000597, 2, 0, 2, -1},  {0.000492, 2, -1, 1, -1}, {0.000450, -2, 0, 2, -1},
    {0.000439, 0, 0, 3, -1},  {0.000423, 2, 0, 2, 1},   {0.000422, 2, 0, -3, -1},
    {-0.000367, 2, 1, -1, 1}, {-0.000353, 2, 1, 0, 1},  {0.000331, 4, 0, 0, 1},
    {0.000317, 2, -1, 1, 1},  {0.000306, 2, -2, 0, -1}, {-0.000283, 0, 0, 3, 1},
};

static_assert(sizeof LongitudeTerms / sizeof LongitudeTerms[0] == 50);
static_assert(sizeof LatitudeTerms / sizeof LatitudeTerms[0] == 45);

double SumTerms(const LunarTerm* terms, int count, double D, double M, double Mp, double F,
                double E)
{
    double sum = 0;
    for (int i = 0; i < count; ++i) {
        const LunarTerm& t = terms[i];
        double term = t.Coefficient * SinDeg(t.D * D + t.M * M + t.Mp * Mp + t.F * F);
        if (t.M == 1 || t.M == -1)
            term *= E;
        else if (t.M == 2 || t.M == -2)
            term *= E * E;
        sum += term;
    }
    return sum;
}

}  // namespace

double TSat::DeltaET(double year)
{
    return 26.465 + 0.747622 * (year - 1950) + 1.886913 * std::sin(TwoPi * (year - 1975) / 33);
}

void TSat::ComputeSolarVector(double jd, OrbitVector& sun)
{
    const double mjd = jd - 2415020.0;
    const double year = 1900 + mjd / 365.25;
    const double T = (mjd + DeltaET(year) / 86400.0) / 36525.0;
    const double M = ToRadians(WrapModulo(
        358.47583 + WrapModulo(35999.04975 * T, 360.0) - (0.00015 + 0.0000033 * T) * T * T, 360.0));
    const double L = ToRadians(WrapModulo(
        279.69668 + WrapModulo(36000.76892 * T, 360.0) + 0.0003025 * T * T, 360.0));
    const double e = 0.01675104 - (0.0000418 + 0.000000126 * T) * T;
    const double C = ToRadians((1.91946 - (0.004789 + 0.000014 * T) * T) * std::sin(M) +
                               (0.020094 - 0.0001 * T) * std::sin(2 * M) +
                               0.000293 * std::sin(3 * M));
    const double O = ToRadians(WrapModulo(259.18 - 1934.142 * T, 360.0));
    const double Lsa = WrapModulo(L + C - ToRadians(0.00569 - 0.00479 * std::sin(O)), TwoPi);
    const double nu = WrapModulo(M + C, TwoPi);
    const double R = AstronomicalUnitKm * 1.0000002 * (1 - e * e) / (1 + e * std::cos(nu));
    const double eps = ToRadians(23.452294 - (0.0130125 + (0.00000164 - 0.000000503 * T) * T) * T +
                                 0.00256 * std::cos(O));
    sun.x = R * std::cos(Lsa);
    sun.y = R * std::sin(Lsa) * std::cos(eps);
    sun.z = R * std::sin(Lsa) * std::sin(eps);
    sun.w = R;
}

void TSat::ComputeSunPosition(double day)
{
    if (day == 0)
        day = DateTimeToDayNumber(0);
    JulianDate = day + DayNumberJulianOffset;
    OrbitVector sun, zero, look, raDec;
    ComputeSolarVector(JulianDate, sun);
    ComputeLookAngles(JulianDate, sun, zero, StationGeodetic, look);
    SunAzimuth = ToDegrees(look.x);
    SunElevation = ToDegrees(look.y);
    GeodeticPoint subSolar;
    ComputeGeodetic(JulianDate, sun, subSolar);
    SunLatitude = ToDegrees(subSolar.Latitude);
    SunLongitude = ToDegrees(subSolar.Longitude) - 360.0;
    ComputeRADec(JulianDate, sun, zero, StationGeodetic, raDec);
    SunRA = ToDegrees(raDec.x);
    SunDec = ToDegrees(raDec.y);
}

void TSat::ComputeMoonPosition(double day)
{
    if (day == 0)
        day = DateTimeToDayNumber(0);
    const double jd = day + DayNumberJulianOffset;
    const double T = (jd - 2415020.0) / 36525.0;
    const double T2 = T * T, T3 = T2 * T;

    double Lp = 270.434164 + 481267.8831 * T - 0.001133 * T2 + 0.0000019 * T3;
    double M = 358.475833 + 35999.0498 * T - 0.00015 * T2 - 0.0000033 * T3;
    double Mp = 296.104608 + 477198.8491 * T + 0.009192 * T2 + 0.0000144 * T3;
    double D = 350.737486 + 445267.1142 * T - 0.001436 * T2 + 0.0000019 * T3;
    double F = 11.250889 + 483202.0251 * T - 0.003211 * T2 - 0.0000003 * T3;
    const double Omega = 259.183275 - 1934.142 * T + 0.002078 * T2 + 0.0000022 * T3;

    // Additive terms.
    const double A = SinDeg(51.2 + 20.2 * T);
    const double B = 0.003964 * SinDeg(346.56 + 132.87 * T - 0.0091731 * T2);
    const double sinOmega = SinDeg(Omega);
    Lp += 0.000233 * A + B + 0.001964 * sinOmega;
    M -= 0.001778 * A;
    Mp += 0.000817 * A + B + 0.002541 * sinOmega;
    D += 0.002011 * A + B + 0.001964 * sinOmega;
    F += B - 0.024691 * sinOmega - 0.004328 * SinDeg(Omega + 275.05 - 2.3 * T);
    const double E = 1 - 0.002495 * T - 0.00000752 * T2;
    Lp = ReduceDegrees(Lp);
    M = ReduceDegrees(M);
    Mp = ReduceDegrees(Mp);
    D = ReduceDegrees(D);
    F = ReduceDegrees(F);

    // Ecliptic longitude (not reduced again) and latitude, degrees.
    const double lambda = Lp + SumTerms(LongitudeTerms, 50, D, M, Mp, F, E);
    const double Bsum = SumTerms(LatitudeTerms, 45, D, M, Mp, F, E);
    const double beta =
        Bsum * (1 - 0.0004664 * CosDeg(Omega) - 0.0000754 * CosDeg(Omega + 275.05 - 2.3 * T));

    const double z = (jd - 2415020.5) / 365.2422;
    const double eps = 23.452294 - (0.46845 * z + 5.9e-7 * z * z) / 3600.0;

    // Equatorial coordinates.
    const double lam = ToRadians(lambda), bet = ToRadians(beta), ep = ToRadians(eps);
    const double dec = ClampedArcSin(std::sin(bet) * std::cos(ep) +
                                     std::cos(bet) * std::sin(ep) * std::sin(lam));
    double ra = ClampedArcCos(std::cos(bet) * std::cos(lam) / std::cos(dec));
    if (lam > Pi)
        ra = TwoPi - ra;

    // Local hour angle from the mean sidereal time.
    const double t = (jd - 2451545.0) / 36525.0;
    double theta0 = 280.46061837 + 360.98564736629 * (jd - 2451545.0) +
                    (0.000387933 * t - t * t / 38710000.0) * t;
    while (theta0 > 360)
        theta0 -= 360;
    const double theta = ReduceRadians(ToRadians(theta0) + StationGeodetic.Longitude);
    const double H = theta - ra;
    const double phi = StationGeodetic.Latitude;
    MoonAzimuth = ToDegrees(std::atan2(std::sin(H), std::cos(H) * std::sin(phi) -
                                                        std::tan(dec) * std::cos(phi)) + Pi);
    MoonElevation = ToDegrees(ClampedArcSin(std::sin(phi) * std::sin(dec) +
                                            std::cos(phi) * std::cos(dec) * std::cos(H)));
    MoonLatitude = beta;
    MoonLongitude = lambda;
}
