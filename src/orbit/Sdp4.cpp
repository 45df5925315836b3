// The deep-space model SDP4 (periods of 225 minutes or more) with its
// lunar-solar and resonance terms, after Spacetrack Report No. 3 (the
// report's DEEP with its entries DPINIT, DPSEC and DPPER).
#include "orbit/OrbitConstants.h"
#include "orbit/Sat.h"

#include <cmath>

using namespace orbitmath;
using namespace sgp;

namespace {

// Solar and lunar perturbation constants.
constexpr double ZNS = 1.19459e-5, C1SS = 2.9864797e-6, ZES = 0.01675;
constexpr double ZNL = 1.5835218e-4, C1L = 4.7968065e-7, ZEL = 0.0549;
constexpr double ZCOSIS = 0.91744867, ZSINIS = 0.39785416, ZSINGS = -0.98088458,
                 ZCOSGS = 0.1945905;
// Resonance constants.
constexpr double Q22 = 1.7891679e-6, Q31 = 2.1460748e-6, Q33 = 2.2123015e-7;
constexpr double G22 = 5.7686396, G32 = 0.95240898, G44 = 1.8014998, G52 = 1.050833,
                 G54 = 4.4108898;
constexpr double ROOT22 = 1.7891679e-6, ROOT32 = 3.7393792e-7, ROOT44 = 7.3636953e-9,
                 ROOT52 = 1.1428639e-7, ROOT54 = 2.1765803e-9;
constexpr double THDT = 4.3752691e-3;  // earth rotation, rad/min

// An angle over sin(i): zero when the numerator is, so an orbit of exactly
// zero inclination gets no node terms instead of 0/0.
double OverSinI(double value, double sinI)
{
    return value == 0 ? 0 : value / sinI;
}

}  // namespace

double TSat::EpochSiderealTime(double epoch, TDeepArgs& args)
{
    const double scaled = epoch * 0.001;
    const double whole = std::floor(scaled);
    const double dayOfYear = (scaled - whole) * 1000.0;
    const int y = static_cast<int>(whole);
    const double year = y < 57 ? 2000 + y : 1900 + y;
    const double ut = FractionOf(dayOfYear);
    const double jd = JulianDateOfYear(year) + std::floor(dayOfYear);
    args.DS50 = jd - 2433281.5 + ut;
    return WrapTwoPi(6.3003880987 * args.DS50 + 1.72944494);
}

void TSat::PropagateSDP4(double tsince, TPropElements& e, OrbitVector& pos, OrbitVector& vel)
{
    TNearEarthState& s = NearEarthState;
    TDeepArgs& d = DeepArgs;
    pos = vel = {};
    if (!(e.XNO > 0)) {
        PropagationError = PropBadMeanMotion;
        return;
    }
    if (!(e.EO >= 0 && e.EO < 1)) {
        PropagationError = PropBadEccentricity;
        return;
    }
    if (IsFlagClear(SatSDP4Ready)) {
        SetFlag(SatSDP4Ready);
        const double A1 = std::pow(XKE / e.XNO, TOTHRD);
        d.COSIO = std::cos(e.XINCL);
        d.THETA2 = d.COSIO * d.COSIO;
        s.X3THM1 = 3 * d.THETA2 - 1;
        d.EOSQ = e.EO * e.EO;
        d.BETAO2 = 1 - d.EOSQ;
        d.BETAO = std::sqrt(d.BETAO2);
        const double DEL1 = 1.5 * CK2 * s.X3THM1 / (A1 * A1 * d.BETAO * d.BETAO2);
        const double AO = A1 * (1 - DEL1 * (0.5 * TOTHRD + DEL1 * (1 + 134.0 / 81.0 * DEL1)));
        const double DELO = 1.5 * CK2 * s.X3THM1 / (AO * AO * d.BETAO * d.BETAO2);
        d.XNODP = e.XNO / (1 + DELO);
        d.AODP = AO / (1 - DELO);

        double S4 = S, QOMS24 = QOMS2T;
        const double PERIGE = (d.AODP * (1 - e.EO) - AE) * XKMPER;
        if (PERIGE < 156) {
            S4 = PERIGE <= 98 ? 20 : PERIGE - 78;
            QOMS24 = std::pow((120 - S4) * AE / XKMPER, 4);
            S4 = S4 / XKMPER + AE;
        }
        const double PINVSQ = 1 / (d.AODP * d.AODP * d.BETAO2 * d.BETAO2);
        d.SING = std::sin(e.OMEGAO);
        d.COSG = std::cos(e.OMEGAO);
        const double TSI = 1 / (d.AODP - S4);
        const double ETA = d.AODP * e.EO * TSI;
        const double ETASQ = ETA * ETA;
        const double EETA = e.EO * ETA;
        const double PSISQ = std::fabs(1 - ETASQ);
        const double COEF = QOMS24 * std::pow(TSI, 4);
        const double COEF1 = COEF / std::pow(PSISQ, 3.5);
        const double C2 = COEF1 * d.XNODP *
                          (d.AODP * (1 + 1.5 * ETASQ + EETA * (4 + ETASQ)) +
                           0.75 * CK2 * TSI / PSISQ * s.X3THM1 * (8 + 3 * ETASQ * (8 + ETASQ)));
        s.C1 = e.BSTAR * C2;
        d.SINIO = std::sin(e.XINCL);
        const double A3OVK2 = -XJ3 / CK2 * AE * AE * AE;
        s.X1MTH2 = 1 - d.THETA2;
        s.C4 = 2 * d.XNODP * COEF1 * d.AODP * d.BETAO2 *
               (ETA * (2 + 0.5 * ETASQ) + e.EO * (0.5 + 2 * ETASQ) -
                2 * CK2 * TSI / (d.AODP * PSISQ) *
                    (-3 * s.X3THM1 * (1 - 2 * EETA + ETASQ * (1.5 - 0.5 * EETA)) +
                     0.75 * s.X1MTH2 * (2 * ETASQ - EETA * (1 + ETASQ)) * std::cos(2 * e.OMEGAO)));
        const double THETA4 = d.THETA2 * d.THETA2;
        const double TEMP1 = 3 * CK2 * PINVSQ * d.XNODP;
        const double TEMP2 = TEMP1 * CK2 * PINVSQ;
        const double TEMP3 = 1.25 * CK4 * PINVSQ * PINVSQ * d.XNODP;
        d.XMDOT = d.XNODP + 0.5 * TEMP1 * d.BETAO * s.X3THM1 +
                  0.0625 * TEMP2 * d.BETAO * (13 - 78 * d.THETA2 + 137 * THETA4);
        const double X1M5TH = 1 - 5 * d.THETA2;
        d.OMGDOT = -0.5 * TEMP1 * X1M5TH + 0.0625 * TEMP2 * (7 - 114 * d.THETA2 + 395 * THETA4) +
                   TEMP3 * (3 - 36 * d.THETA2 + 49 * THETA4);
        const double XHDOT1 = -TEMP1 * d.COSIO;
        d.XNODOT = XHDOT1 + (0.5 * TEMP2 * (4 - 19 * d.THETA2) + 2 * TEMP3 * (3 - 7 * d.THETA2)) *
                                d.COSIO;
        s.XNODCF = 3.5 * d.BETAO2 * XHDOT1 * s.C1;
        s.T2COF = 1.5 * s.C1;
        const double onePlusCos = std::fabs(1 + d.COSIO) > 1.5e-12 ? 1 + d.COSIO : 1.5e-12;
        s.XLCOF = 0.125 * A3OVK2 * d.SINIO * (3 + 5 * d.COSIO) / onePlusCos;
        s.AYCOF = 0.25 * A3OVK2 * d.SINIO;
        s.X7THM1 = 7 * d.THETA2 - 1;
        DeepSpaceTerms(1, e, d);
    }

    // Secular gravity and drag, then the deep-space secular terms.
    const double XMDF = e.XMO + d.XMDOT * tsince;
    const double OMGADF = e.OMEGAO + d.OMGDOT * tsince;
    const double XNODDF = e.XNODEO + d.XNODOT * tsince;
    const double TSQ = tsince * tsince;
    d.XNODES = XNODDF + s.XNODCF * TSQ;
    const double TEMPA = 1 - s.C1 * tsince;
    const double TEMPE = e.BSTAR * s.C4 * tsince;
    const double TEMPL = s.T2COF * TSQ;
    d.XN = d.XNODP;
    d.XLL = XMDF;
    d.OMGASM = OMGADF;
    d.TSINCE = tsince;
    DeepSpaceTerms(2, e, d);
    if (!(d.XN > 0)) {
        PropagationError = PropBadMeanMotion;
        return;
    }
    const double ratio = XKE / d.XN;
    const double A = std::cbrt(ratio * ratio) * TEMPA * TEMPA;
    d.EM = d.EM - TEMPE;
    if (!(d.EM < 1 && d.EM >= -0.001) || !(A > 0)) {
        PropagationError = d.EM >= 1 || d.EM < -0.001 ? PropBadEccentricity : PropDecayed;
        return;
    }
    d.XLL = d.XLL + d.XNODP * TEMPL;
    DeepSpaceTerms(3, e, d);
    // The lunar-solar periodics can push a near-parabolic or near-circular
    // orbit's eccentricity out of the model.
    if (!(d.EM >= 0 && d.EM <= 1)) {
        PropagationError = PropBadPerturbedEcc;
        return;
    }
    const double E = d.EM;
    const double OMEGA = d.OMGASM;
    const double XNODE = d.XNODES;
    const double XL = d.XLL + OMEGA + XNODE;
    const double BETA = std::sqrt(1 - E * E);
    const double XN = XKE / (A * std::sqrt(A));

    // Long-period periodics.
    const double AXN = E * std::cos(OMEGA);
    const double TEMP = 1 / (A * BETA * BETA);
    const double XLL = TEMP * s.XLCOF * AXN;
    const double AYNL = TEMP * s.AYCOF;
    const double XLT = XL + XLL;
    const double AYN = E * std::sin(OMEGA) + AYNL;

    const KeplerInput in{A, AXN, AYN, XLT, XNODE, d.XINC, XN,
                         d.COSIO, d.SINIO, s.X3THM1, s.X1MTH2, s.X7THM1};
    PropagationError = SolveKeplerAndOrient(in, pos, vel);
    Phase = XLT - XNODE - OMEGA + TwoPi;
    if (Phase < 0)
        Phase += TwoPi;
    Phase = WrapTwoPi(Phase);
}

void TSat::DeepSpaceTerms(int entry, TPropElements& e, TDeepArgs& d)
{
    TDeepSpaceState& q = DeepSpaceState;
    switch (entry) {
    case 1: {
        q.THGR = EpochSiderealTime(e.EPOCH, d);
        const double EQ = e.EO;
        q.XNQ = d.XNODP;
        const double AQNV = 1 / d.AODP;
        q.XQNCL = e.XINCL;
        const double XMAO = e.XMO;
        const double XPIDOT = d.OMGDOT + d.XNODOT;
        const double SINQ = std::sin(e.XNODEO);
        const double COSQ = std::cos(e.XNODEO);
        q.OMEGAQ = e.OMEGAO;

        // The lunar orbit, recomputed only for a new epoch day.
        const double DAY = d.DS50 + 18261.5;
        if (DAY != q.PREEP) {
            q.PREEP = DAY;
            const double XNODCE = 4.5236020 - 9.2422029e-4 * DAY;
            const double STEM = std::sin(XNODCE);
            const double CTEM = std::cos(XNODCE);
            q.ZCOSIL = 0.91375164 - 0.03568096 * CTEM;
            q.ZSINIL = std::sqrt(1 - q.ZCOSIL * q.ZCOSIL);
            q.ZSINHL = 0.089683511 * STEM / q.ZSINIL;
            q.ZCOSHL = std::sqrt(1 - q.ZSINHL * q.ZSINHL);
            const double C = 4.7199672 + 0.22997150 * DAY;
            const double GAM = 5.8351514 + 0.0019443680 * DAY;
            q.ZMOL = WrapTwoPi(C - GAM);
            double ZX = 0.39785416 * STEM / q.ZSINIL;
            const double ZY = q.ZCOSHL * CTEM + 0.91744867 * q.ZSINHL * STEM;
            ZX = Atan2Positive(ZX, ZY);
            ZX = GAM + ZX - XNODCE;
            q.ZCOSGL = std::cos(ZX);
            q.ZSINGL = std::sin(ZX);
            q.ZMOS = WrapTwoPi(6.2565837 + 0.017201977 * DAY);
        }

        // Solar terms first, then the lunar ones with the same formulas.
        q.SAVTSN = 1e20;
        double ZCOSG = ZCOSGS, ZSING = ZSINGS, ZCOSI = ZCOSIS, ZSINI = ZSINIS;
        double ZCOSH = COSQ, ZSINH = SINQ;
        double CC = C1SS, ZN = ZNS, ZE = ZES;
        const double XNOI = 1 / q.XNQ;
        const double EQSQ = d.EOSQ, BSQ = d.BETAO2, RTEQSQ = d.BETAO;
        const double SINIQ = d.SINIO, COSIQ = d.COSIO;
        const double SINOMO = d.SING, COSOMO = d.COSG;
        double SE = 0, SI = 0, SL = 0, SGH = 0, SH = 0;
        ClearFlag(SatLunarDone);
        for (;;) {
            const double A1 = ZCOSG * ZCOSH + ZSING * ZCOSI * ZSINH;
            const double A3 = -ZSING * ZCOSH + ZCOSG * ZCOSI * ZSINH;
            const double A7 = -ZCOSG * ZSINH + ZSING * ZCOSI * ZCOSH;
            const double A8 = ZSING * ZSINI;
            const double A9 = ZSING * ZSINH + ZCOSG * ZCOSI * ZCOSH;
            const double A10 = ZCOSG * ZSINI;
            const double A2 = COSIQ * A7 + SINIQ * A8;
            const double A4 = COSIQ * A9 + SINIQ * A10;
            const double A5 = -SINIQ * A7 + COSIQ * A8;
            const double A6 = -SINIQ * A9 + COSIQ * A10;
            const double X1 = A1 * COSOMO + A2 * SINOMO;
            const double X2 = A3 * COSOMO + A4 * SINOMO;
            const double X3 = -A1 * SINOMO + A2 * COSOMO;
            const double X4 = -A3 * SINOMO + A4 * COSOMO;
            const double X5 = A5 * SINOMO;
            const double X6 = A6 * SINOMO;
            const double X7 = A5 * COSOMO;
            const double X8 = A6 * COSOMO;
            const double Z31 = 12 * X1 * X1 - 3 * X3 * X3;
            const double Z32 = 24 * X1 * X2 - 6 * X3 * X4;
            const double Z33 = 12 * X2 * X2 - 3 * X4 * X4;
            double Z1 = 3 * (A1 * A1 + A2 * A2) + Z31 * EQSQ;
            double Z2 = 6 * (A1 * A3 + A2 * A4) + Z32 * EQSQ;
            double Z3 = 3 * (A3 * A3 + A4 * A4) + Z33 * EQSQ;
            const double Z11 = -6 * A1 * A5 + EQSQ * (-24 * X1 * X7 - 6 * X3 * X5);
            const double Z12 = -6 * (A1 * A6 + A3 * A5) +
                               EQSQ * (-24 * (X2 * X7 + X1 * X8) - 6 * (X3 * X6 + X4 * X5));
            const double Z13 = -6 * A3 * A6 + EQSQ * (-24 * X2 * X8 - 6 * X4 * X6);
            const double Z21 = 6 * A2 * A5 + EQSQ * (24 * X1 * X5 - 6 * X3 * X7);
            const double Z22 = 6 * (A4 * A5 + A2 * A6) +
                               EQSQ * (24 * (X2 * X5 + X1 * X6) - 6 * (X4 * X7 + X3 * X8));
            const double Z23 = 6 * A4 * A6 + EQSQ * (24 * X2 * X6 - 6 * X4 * X8);
            Z1 = Z1 + Z1 + BSQ * Z31;
            Z2 = Z2 + Z2 + BSQ * Z32;
            Z3 = Z3 + Z3 + BSQ * Z33;
            const double S3 = CC * XNOI;
            const double S2 = -0.5 * S3 / RTEQSQ;
            const double S4 = S3 * RTEQSQ;
            const double S1 = -15 * EQ * S4;
            const double S5 = X1 * X3 + X2 * X4;
            const double S6 = X2 * X3 + X1 * X4;
            const double S7 = X2 * X4 - X1 * X3;
            SE = S1 * ZN * S5;
            SI = S2 * ZN * (Z11 + Z13);
            SL = -ZN * S3 * (Z1 + Z3 - 14 - 6 * EQSQ);
            SGH = S4 * ZN * (Z31 + Z33 - 6);
            SH = -ZN * S2 * (Z21 + Z23);
            // Below 3 degrees the node rate of each body is taken as 0.
            if (q.XQNCL < 5.2359877e-2)
                SH = 0;
            q.EE2 = 2 * S1 * S6;
            q.E3 = 2 * S1 * S7;
            q.XI2 = 2 * S2 * Z12;
            q.XI3 = 2 * S2 * (Z13 - Z11);
            q.XL2 = -2 * S3 * Z2;
            q.XL3 = -2 * S3 * (Z3 - Z1);
            q.XL4 = -2 * S3 * (-21 - 9 * EQSQ) * ZE;
            q.XGH2 = 2 * S4 * Z32;
            q.XGH3 = 2 * S4 * (Z33 - Z31);
            q.XGH4 = -18 * S4 * ZE;
            q.XH2 = -2 * S2 * Z22;
            q.XH3 = -2 * S2 * (Z23 - Z21);
            if (IsFlagSet(SatLunarDone))
                break;
            // Solar terms done: keep them, then the same for the moon.
            q.SSE = SE;
            q.SSI = SI;
            q.SSL = SL;
            q.SSH = OverSinI(SH, SINIQ);
            q.SSG = SGH - COSIQ * q.SSH;
            q.SE2 = q.EE2;
            q.SI2 = q.XI2;
            q.SL2 = q.XL2;
            q.SGH2 = q.XGH2;
            q.SH2 = q.XH2;
            q.SE3 = q.E3;
            q.SI3 = q.XI3;
            q.SL3 = q.XL3;
            q.SGH3 = q.XGH3;
            q.SH3 = q.XH3;
            q.SL4 = q.XL4;
            q.SGH4 = q.XGH4;
            ZCOSG = q.ZCOSGL;
            ZSING = q.ZSINGL;
            ZCOSI = q.ZCOSIL;
            ZSINI = q.ZSINIL;
            ZCOSH = q.ZCOSHL * COSQ + q.ZSINHL * SINQ;
            ZSINH = SINQ * q.ZCOSHL - COSQ * q.ZSINHL;
            ZN = ZNL;
            CC = C1L;
            ZE = ZEL;
            SetFlag(SatLunarDone);
        }
        q.SSE += SE;
        q.SSI += SI;
        q.SSL += SL;
        q.SSG += SGH - COSIQ * OverSinI(SH, SINIQ);
        q.SSH += OverSinI(SH, SINIQ);

        // Geopotential resonance: synchronous (24 h) or 12-hour orbits.
        ClearFlag(SatResonant | SatSynchronous);
        double BFACT = 0;
        if (q.XNQ < 0.0052359877 && q.XNQ > 0.0034906585) {
            SetFlag(SatResonant | SatSynchronous);
            const double G200 = 1 + EQSQ * (-2.5 + 0.8125 * EQSQ);
            const double G310 = 1 + 2 * EQSQ;
            const double G300 = 1 + EQSQ * (-6 + 6.60937 * EQSQ);
            const double F220 = 0.75 * (1 + COSIQ) * (1 + COSIQ);
            const double F311 = 0.9375 * SINIQ * SINIQ * (1 + 3 * COSIQ) - 0.75 * (1 + COSIQ);
            double F330 = 1 + COSIQ;
            F330 = 1.875 * F330 * F330 * F330;
            q.DEL1 = 3 * q.XNQ * q.XNQ * AQNV * AQNV;
            q.DEL2 = 2 * q.DEL1 * F220 * G200 * Q22;
            q.DEL3 = 3 * q.DEL1 * F330 * G300 * Q33 * AQNV;
            q.DEL1 = q.DEL1 * F311 * G310 * Q31 * AQNV;
            q.FASX2 = 0.13130908;
            q.FASX4 = 2.8843198;
            q.FASX6 = 0.37448087;
            q.XLAMO = XMAO + e.XNODEO + e.OMEGAO - q.THGR;
            BFACT = d.XMDOT + XPIDOT - THDT;
            BFACT = BFACT + q.SSL + q.SSG + q.SSH;
        } else if (q.XNQ >= 8.26e-3 && q.XNQ <= 9.24e-3 && EQ >= 0.5) {
            SetFlag(SatResonant);
            const double EOC = EQ * EQSQ;
            const double G201 = -0.306 - (EQ - 0.64) * 0.440;
            double G211, G310, G322, G410, G422, G520, G533, G521, G532;
            if (EQ <= 0.65) {
                G211 = 3.616 - 13.247 * EQ + 16.290 * EQSQ;
                G310 = -19.302 + 117.390 * EQ - 228.419 * EQSQ + 156.591 * EOC;
                G322 = -18.9068 + 109.7927 * EQ - 214.6334 * EQSQ + 146.5816 * EOC;
                G410 = -41.122 + 242.694 * EQ - 471.094 * EQSQ + 313.953 * EOC;
                G422 = -146.407 + 841.880 * EQ - 1629.014 * EQSQ + 1083.435 * EOC;
                G520 = -532.114 + 3017.977 * EQ - 5740 * EQSQ + 3708.276 * EOC;
            } else {
                G211 = -72.099 + 331.819 * EQ - 508.738 * EQSQ + 266.724 * EOC;
                G310 = -346.844 + 1582.851 * EQ - 2415.925 * EQSQ + 1246.113 * EOC;
                G322 = -342.585 + 1554.908 * EQ - 2366.899 * EQSQ + 1215.972 * EOC;
                G410 = -1052.797 + 4758.686 * EQ - 7193.992 * EQSQ + 3651.957 * EOC;
                G422 = -3581.69 + 16178.11 * EQ - 24462.77 * EQSQ + 12422.52 * EOC;
                G520 = EQ > 0.715 ? -5149.66 + 29936.92 * EQ - 54087.36 * EQSQ + 31324.56 * EOC
                                  : 1464.74 - 4664.75 * EQ + 3763.64 * EQSQ;
            }
            if (EQ < 0.7) {
                G533 = -919.2277 + 4988.61 * EQ - 9064.77 * EQSQ + 5542.21 * EOC;
                G521 = -822.71072 + 4568.6173 * EQ - 8491.4146 * EQSQ + 5337.524 * EOC;
                G532 = -853.666 + 4690.25 * EQ - 8624.77 * EQSQ + 5341.4 * EOC;
            } else {
                G533 = -37995.78 + 161616.52 * EQ - 229838.2 * EQSQ + 109377.94 * EOC;
                G521 = -51752.104 + 218913.95 * EQ - 309468.16 * EQSQ + 146349.42 * EOC;
                G532 = -40023.88 + 170470.89 * EQ - 242699.48 * EQSQ + 115605.82 * EOC;
            }
            const double SINI2 = SINIQ * SINIQ;
            const double COSQ2 = COSIQ * COSIQ;
            const double F220 = 0.75 * (1 + 2 * COSIQ + COSQ2);
            const double F221 = 1.5 * SINI2;
            const double F321 = 1.875 * SINIQ * (1 - 2 * COSIQ - 3 * COSQ2);
            const double F322 = -1.875 * SINIQ * (1 + 2 * COSIQ - 3 * COSQ2);
            const double F441 = 35 * SINI2 * F220;
            const double F442 = 39.3750 * SINI2 * SINI2;
            const double F522 = 9.84375 * SINIQ *
                                (SINI2 * (1 - 2 * COSIQ - 5 * COSQ2) +
                                 0.33333333 * (-2 + 4 * COSIQ + 6 * COSQ2));
            const double F523 = SINIQ * (4.92187512 * SINI2 * (-2 - 4 * COSIQ + 10 * COSQ2) +
                                         6.56250012 * (1 + 2 * COSIQ - 3 * COSQ2));
            const double F542 = 29.53125 * SINIQ *
                                (2 - 8 * COSIQ + COSQ2 * (-12 + 8 * COSIQ + 10 * COSQ2));
            const double F543 = 29.53125 * SINIQ *
                                (-2 - 8 * COSIQ + COSQ2 * (12 + 8 * COSIQ - 10 * COSQ2));
            const double XNO2 = q.XNQ * q.XNQ;
            const double AINV2 = AQNV * AQNV;
            double TEMP1 = 3 * XNO2 * AINV2;
            double TEMP = TEMP1 * ROOT22;
            q.D2201 = TEMP * F220 * G201;
            q.D2211 = TEMP * F221 * G211;
            TEMP1 = TEMP1 * AQNV;
            TEMP = TEMP1 * ROOT32;
            q.D3210 = TEMP * F321 * G310;
            q.D3222 = TEMP * F322 * G322;
            TEMP1 = TEMP1 * AQNV;
            TEMP = 2 * TEMP1 * ROOT44;
            q.D4410 = TEMP * F441 * G410;
            q.D4422 = TEMP * F442 * G422;
            TEMP1 = TEMP1 * AQNV;
            TEMP = TEMP1 * ROOT52;
            q.D5220 = TEMP * F522 * G520;
            q.D5232 = TEMP * F523 * G532;
            TEMP = 2 * TEMP1 * ROOT54;
            q.D5421 = TEMP * F542 * G521;
            q.D5433 = TEMP * F543 * G533;
            q.XLAMO = XMAO + e.XNODEO + e.XNODEO - q.THGR - q.THGR;
            BFACT = d.XMDOT + d.XNODOT + d.XNODOT - THDT - THDT;
            BFACT = BFACT + q.SSL + q.SSH + q.SSH;
        } else {
            return;  // no resonance: nothing to integrate
        }
        q.XFACT = BFACT - q.XNQ;
        q.XLI = q.XLAMO;
        q.XNI = q.XNQ;
        q.ATIME = 0;
        q.STEPP = 720;
        q.STEPN = -720;
        q.STEP2 = 259200;
        return;
    }
    case 2: {
        const double T = d.TSINCE;
        d.XLL = d.XLL + q.SSL * T;
        d.OMGASM = d.OMGASM + q.SSG * T;
        d.XNODES = d.XNODES + q.SSH * T;
        d.EM = e.EO + q.SSE * T;
        d.XINC = e.XINCL + q.SSI * T;
        d.InclinationTurned = d.XINC < 0;
        if (d.InclinationTurned) {
            d.XINC = -d.XINC;
            d.XNODES = d.XNODES + Pi;
            d.OMGASM = d.OMGASM - Pi;
        }
        if (IsFlagClear(SatResonant))
            return;

        // The resonance terms' rates at the integrator's present state.
        double XNDOT = 0, XNDDT = 0, XLDOT = 0;
        const auto dots = [&] {
            if (IsFlagSet(SatSynchronous)) {
                XNDOT = q.DEL1 * std::sin(q.XLI - q.FASX2) +
                        q.DEL2 * std::sin(2 * (q.XLI - q.FASX4)) +
                        q.DEL3 * std::sin(3 * (q.XLI - q.FASX6));
                XNDDT = q.DEL1 * std::cos(q.XLI - q.FASX2) +
                        2 * q.DEL2 * std::cos(2 * (q.XLI - q.FASX4)) +
                        3 * q.DEL3 * std::cos(3 * (q.XLI - q.FASX6));
            } else {
                const double XOMI = q.OMEGAQ + d.OMGDOT * q.ATIME;
                const double X2OMI = XOMI + XOMI;
                const double X2LI = q.XLI + q.XLI;
                XNDOT = q.D2201 * std::sin(X2OMI + q.XLI - G22) +
                        q.D2211 * std::sin(q.XLI - G22) +
                        q.D3210 * std::sin(XOMI + q.XLI - G32) +
                        q.D3222 * std::sin(-XOMI + q.XLI - G32) +
                        q.D4410 * std::sin(X2OMI + X2LI - G44) +
                        q.D4422 * std::sin(X2LI - G44) +
                        q.D5220 * std::sin(XOMI + q.XLI - G52) +
                        q.D5232 * std::sin(-XOMI + q.XLI - G52) +
                        q.D5421 * std::sin(XOMI + X2LI - G54) +
                        q.D5433 * std::sin(-XOMI + X2LI - G54);
                XNDDT = q.D2201 * std::cos(X2OMI + q.XLI - G22) +
                        q.D2211 * std::cos(q.XLI - G22) +
                        q.D3210 * std::cos(XOMI + q.XLI - G32) +
                        q.D3222 * std::cos(-XOMI + q.XLI - G32) +
                        q.D5220 * std::cos(XOMI + q.XLI - G52) +
                        q.D5232 * std::cos(-XOMI + q.XLI - G52) +
                        2 * (q.D4410 * std::cos(X2OMI + X2LI - G44) +
                             q.D4422 * std::cos(X2LI - G44) +
                             q.D5421 * std::cos(XOMI + X2LI - G54) +
                             q.D5433 * std::cos(-XOMI + X2LI - G54));
            }
            XLDOT = q.XNI + q.XFACT;
            XNDDT = XNDDT * XLDOT;
        };
        const auto step = [&](double DELT) {
            dots();
            q.XLI = q.XLI + XLDOT * DELT + XNDOT * q.STEP2;
            q.XNI = q.XNI + XNDOT * DELT + XNDDT * q.STEP2;
            q.ATIME = q.ATIME + DELT;
        };

        // Restart from epoch when nothing was integrated yet or t lies on the
        // other side of the epoch; otherwise carry on from the last state,
        // stepping back toward the epoch when t lies nearer to it.
        if (q.ATIME == 0 || (T >= 0 && q.ATIME < 0) || (T < 0 && q.ATIME >= 0)) {
            SetFlag(SatRestartEpoch);
            q.ATIME = 0;
            q.XNI = q.XNQ;
            q.XLI = q.XLAMO;
        } else {
            ClearFlag(SatRestartEpoch);
            while (std::fabs(T) < std::fabs(q.ATIME)) {
                step(T >= 0 ? q.STEPN : q.STEPP);
                if (q.ATIME == 0) {  // back at the epoch: its exact values
                    q.XNI = q.XNQ;
                    q.XLI = q.XLAMO;
                }
            }
        }
        const double DELT = T > 0 ? q.STEPP : q.STEPN;
        SetFlag(SatStepDue);
        while (std::fabs(T - q.ATIME) >= q.STEPP)
            step(DELT);
        ClearFlag(SatStepDue);

        // Taylor terms for the rest of the interval.
        dots();
        const double FT = T - q.ATIME;
        d.XN = q.XNI + XNDOT * FT + XNDDT * FT * FT * 0.5;
        const double XL = q.XLI + XLDOT * FT + XNDOT * FT * FT * 0.5;
        const double TEMP = -d.XNODES + q.THGR + T * THDT;
        d.XLL = IsFlagSet(SatSynchronous) ? XL - d.OMGASM + TEMP : XL + TEMP + TEMP;
        return;
    }
    case 3: {
        const double T = d.TSINCE;
        const double SINIS = std::sin(d.XINC);
        const double COSIS = std::cos(d.XINC);
        // The lunar-solar periodics change slowly: recomputed after 30
        // minutes of model time, reused in between.
        if (std::fabs(q.SAVTSN - T) >= 30) {
            q.SAVTSN = T;
            double ZM = q.ZMOS + ZNS * T;
            double ZF = ZM + 2 * ZES * std::sin(ZM);
            double SINZF = std::sin(ZF);
            double F2 = 0.5 * SINZF * SINZF - 0.25;
            double F3 = -0.5 * SINZF * std::cos(ZF);
            const double SES = q.SE2 * F2 + q.SE3 * F3;
            const double SIS = q.SI2 * F2 + q.SI3 * F3;
            const double SLS = q.SL2 * F2 + q.SL3 * F3 + q.SL4 * SINZF;
            q.SGHS = q.SGH2 * F2 + q.SGH3 * F3 + q.SGH4 * SINZF;
            q.SHS = q.SH2 * F2 + q.SH3 * F3;
            ZM = q.ZMOL + ZNL * T;
            ZF = ZM + 2 * ZEL * std::sin(ZM);
            SINZF = std::sin(ZF);
            F2 = 0.5 * SINZF * SINZF - 0.25;
            F3 = -0.5 * SINZF * std::cos(ZF);
            const double SEL = q.EE2 * F2 + q.E3 * F3;
            const double SIL = q.XI2 * F2 + q.XI3 * F3;
            const double SLL = q.XL2 * F2 + q.XL3 * F3 + q.XL4 * SINZF;
            q.SGHL = q.XGH2 * F2 + q.XGH3 * F3 + q.XGH4 * SINZF;
            q.SHL = q.XH2 * F2 + q.XH3 * F3;
            q.PE = SES + SEL;
            q.PINC = SIS + SIL;
            q.PL = SLS + SLL;
        }
        double PGH = q.SGHS + q.SGHL;
        double PH = q.SHS + q.SHL;  // sin(i) times the node's periodic
        // With the inclination turned, the periodics of the inclination and
        // of sin(i) x node turn with it; the others stay as they are.
        const double PINC = d.InclinationTurned ? -q.PINC : q.PINC;
        if (d.InclinationTurned)
            PH = -PH;
        d.XINC = d.XINC + PINC;
        d.EM = d.EM + q.PE;
        if (d.XINC >= 0.2) {
            PH = OverSinI(PH, SINIS);
            PGH = PGH - COSIS * PH;
            d.OMGASM = d.OMGASM + PGH;
            d.XNODES = d.XNODES + PH;
            d.XLL = d.XLL + q.PL;
        } else {
            // Lyddane's modification for low inclinations, with the node
            // kept within pi of its reduced old value.
            const double SINOK = std::sin(d.XNODES);
            const double COSOK = std::cos(d.XNODES);
            double ALFDP = SINIS * SINOK;
            double BETDP = SINIS * COSOK;
            const double DALF = PH * COSOK + PINC * COSIS * SINOK;
            const double DBET = -PH * SINOK + PINC * COSIS * COSOK;
            ALFDP = ALFDP + DALF;
            BETDP = BETDP + DBET;
            d.XNODES = WrapTwoPi(d.XNODES);
            double XLS = d.XLL + d.OMGASM + COSIS * d.XNODES;
            const double DLS = q.PL + PGH - PINC * d.XNODES * SINIS;
            XLS = XLS + DLS;
            // The vector gives the node of a positive inclination: when the
            // periodic takes the inclination below zero, it is turned again
            // and the node is expected half a revolution on.
            double XNOH = d.XNODES;
            if (d.XINC < 0) {
                d.XINC = -d.XINC;
                XNOH += Pi;
            }
            d.XNODES = Atan2Positive(ALFDP, BETDP);
            if (std::fabs(XNOH - d.XNODES) > Pi)
                d.XNODES += d.XNODES < XNOH ? TwoPi : -TwoPi;
            d.XLL = d.XLL + q.PL;
            d.OMGASM = XLS - d.XLL - std::cos(d.XINC) * d.XNODES;
        }
        return;
    }
    default:
        return;
    }
}
