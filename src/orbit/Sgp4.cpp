// Element preparation, the choice of model and the near-earth model SGP4,
// after Spacetrack Report No. 3 with the quantities named as there.
#include "orbit/OrbitConstants.h"
#include "orbit/Sat.h"

#include <cmath>
#include <cstring>

using namespace orbitmath;
using namespace sgp;

void TSat::PrepareElements()
{
    PropElements.EPOCH = EpochYear * 1000.0 + EpochDay;
    PropElements.XNDT2O = DecayRate;
    PropElements.XNDD6O = Nddot6;
    PropElements.BSTAR = Bstar;
    PropElements.XINCL = Inclination;
    PropElements.XNODEO = RAAN;
    PropElements.EO = Eccentricity;
    PropElements.OMEGAO = ArgPerigee;
    PropElements.XMO = MeanAnomaly;
    PropElements.XNO = MeanMotion;
    PropElements.RevAtEpoch = EpochRevNumber;
    Flags = 0;
    PropagationError = PropOk;
    SelectModel(PropElements);
    SetFlag(SatPrepared);
}

void TSat::SelectModel(TPropElements& e)
{
    e.XNODEO *= DegreesToRadians;
    e.OMEGAO *= DegreesToRadians;
    e.XMO *= DegreesToRadians;
    e.XINCL *= DegreesToRadians;
    const double t = TwoPi / XMNPDA / XMNPDA;
    e.XNO = e.XNO * t * XMNPDA;
    e.XNDT2O *= t;
    e.XNDD6O = e.XNDD6O * t / XMNPDA;
    e.BSTAR /= AE;

    // Elements the model cannot take get no period: they stay near-earth and
    // every propagation reports them (HasModelElements screens them first).
    double periodDays = 0;
    if (e.XNO > 0 && e.EO >= 0 && e.EO < 1) {
        const double a1 = std::pow(XKE / e.XNO, TOTHRD);
        const double temp = 1.5 * CK2 * (3 * Square(std::cos(e.XINCL)) - 1) /
                            std::pow(1 - e.EO * e.EO, 1.5);
        const double del1 = temp / (a1 * a1);
        const double a0 = a1 * (1 - del1 * (0.5 * TOTHRD + del1 * (1 + 1.654320987654321 * del1)));
        const double del0 = temp / (a0 * a0);
        const double xnodp = e.XNO / (1 + del0);
        periodDays = TwoPi / xnodp / XMNPDA;
    }
    if (periodDays >= 0.15625) {
        SetFlag(SatDeepSpace);
        std::strcpy(e.Model, "SDP4");
    } else {
        ClearFlag(SatDeepSpace);
        std::strcpy(e.Model, "SGP4");
    }
}

void TSat::ScaleStateToKm(OrbitVector& pos, OrbitVector& vel)
{
    ScaleVector(XKMPER, pos);
    ScaleVector(XKMPER * XMNPDA / SecondsPerDay, vel);
}

namespace sgp {

int SolveKeplerAndOrient(const KeplerInput& in, OrbitVector& pos, OrbitVector& vel)
{
    // Kepler's equation by Newton's iteration: at most 11 evaluations.
    const double CAPU = WrapTwoPi(in.XLT - in.XNODE);
    double TEMP2 = CAPU, EPW = CAPU;
    double SINEPW = 0, COSEPW = 0, TEMP3 = 0, TEMP4 = 0, TEMP5 = 0, TEMP6 = 0;
    int i = 0;
    do {
        SINEPW = std::sin(TEMP2);
        COSEPW = std::cos(TEMP2);
        TEMP3 = in.AXN * SINEPW;
        TEMP4 = in.AYN * COSEPW;
        TEMP5 = in.AXN * COSEPW;
        TEMP6 = in.AYN * SINEPW;
        // A Newton step is kept within 0.95 rad: near-parabolic orbits
        // otherwise overshoot and the iteration wanders off to nonsense.
        double delta = (CAPU - TEMP4 + TEMP3 - TEMP2) / (1 - TEMP5 - TEMP6);
        if (std::fabs(delta) >= 0.95)
            delta = delta > 0 ? 0.95 : -0.95;
        EPW = delta + TEMP2;
        if (std::fabs(EPW - TEMP2) <= E6A)
            break;
        TEMP2 = EPW;
    } while (i++ < 10);

    // Short-period preliminary quantities.
    const double ECOSE = TEMP5 + TEMP6;
    const double ESINE = TEMP3 - TEMP4;
    const double ELSQ = in.AXN * in.AXN + in.AYN * in.AYN;
    double TEMP = 1 - ELSQ;
    const double PL = in.A * TEMP;
    if (PL < 0 || TEMP <= 0)
        return PropNegativeLatusRectum;
    const double R = in.A * (1 - ECOSE);
    double TEMP1 = 1 / R;
    const double RDOT = XKE * std::sqrt(in.A) * ESINE * TEMP1;
    const double RFDOT = XKE * std::sqrt(PL) * TEMP1;
    TEMP2 = in.A * TEMP1;
    const double BETAL = std::sqrt(TEMP);
    TEMP3 = 1 / (1 + BETAL);
    const double COSU = TEMP2 * (COSEPW - in.AXN + in.AYN * ESINE * TEMP3);
    const double SINU = TEMP2 * (SINEPW - in.AYN - in.AXN * ESINE * TEMP3);
    const double U = Atan2Positive(SINU, COSU);
    const double SIN2U = 2 * SINU * COSU;
    const double COS2U = 2 * COSU * COSU - 1;
    TEMP = 1 / PL;
    TEMP1 = CK2 * TEMP;
    TEMP2 = TEMP1 * TEMP;

    // Update for short-period periodics.
    const double RK = R * (1 - 1.5 * TEMP2 * BETAL * in.X3THM1) + 0.5 * TEMP1 * in.X1MTH2 * COS2U;
    const double UK = U - 0.25 * TEMP2 * in.X7THM1 * SIN2U;
    const double XNODEK = in.XNODE + 1.5 * TEMP2 * in.COSIO * SIN2U;
    const double XINCK = in.XINC + 1.5 * TEMP2 * in.COSIO * in.SINIO * COS2U;
    const double RDOTK = RDOT - in.XN * TEMP1 * in.X1MTH2 * SIN2U;
    const double RFDOTK = RFDOT + in.XN * TEMP1 * (in.X1MTH2 * COS2U + 1.5 * in.X3THM1);

    // Orientation vectors.
    const double SINUK = std::sin(UK), COSUK = std::cos(UK);
    const double SINIK = std::sin(XINCK), COSIK = std::cos(XINCK);
    const double SINNOK = std::sin(XNODEK), COSNOK = std::cos(XNODEK);
    const double XMX = -SINNOK * COSIK;
    const double XMY = COSNOK * COSIK;
    const double UX = XMX * SINUK + COSNOK * COSUK;
    const double UY = XMY * SINUK + SINNOK * COSUK;
    const double UZ = SINIK * SINUK;
    const double VX = XMX * COSUK - COSNOK * SINUK;
    const double VY = XMY * COSUK - SINNOK * SINUK;
    const double VZ = SINIK * COSUK;
    pos.x = RK * UX;
    pos.y = RK * UY;
    pos.z = RK * UZ;
    vel.x = RDOTK * UX + RFDOTK * VX;
    vel.y = RDOTK * UY + RFDOTK * VY;
    vel.z = RDOTK * UZ + RFDOTK * VZ;
    VectorLength(pos);
    VectorLength(vel);
    if (RK < 1.0)
        return PropDecayed;
    return PropOk;
}

}  // namespace sgp

void TSat::PropagateSGP4(double tsince, TPropElements& e, OrbitVector& pos, OrbitVector& vel)
{
    TNearEarthState& s = NearEarthState;
    pos = vel = {};
    if (!(e.XNO > 0)) {
        PropagationError = PropBadMeanMotion;
        return;
    }
    if (!(e.EO >= 0 && e.EO < 1)) {
        PropagationError = PropBadEccentricity;
        return;
    }
    if (IsFlagClear(SatSGP4Ready)) {
        SetFlag(SatSGP4Ready);
        // Recover the original mean motion (XNODP) and semi-major axis (AODP).
        const double A1 = std::pow(XKE / e.XNO, TOTHRD);
        s.COSIO = std::cos(e.XINCL);
        const double THETA2 = s.COSIO * s.COSIO;
        s.X3THM1 = 3 * THETA2 - 1;
        const double EOSQ = e.EO * e.EO;
        const double BETAO2 = 1 - EOSQ;
        const double BETAO = std::sqrt(BETAO2);
        const double DEL1 = 1.5 * CK2 * s.X3THM1 / (A1 * A1 * BETAO * BETAO2);
        const double AO = A1 * (1 - DEL1 * (0.5 * TOTHRD + DEL1 * (1 + 134.0 / 81.0 * DEL1)));
        const double DELO = 1.5 * CK2 * s.X3THM1 / (AO * AO * BETAO * BETAO2);
        s.XNODP = e.XNO / (1 + DELO);
        s.AODP = AO / (1 - DELO);

        // Perigee below 220 km: the simple drag model.
        if (s.AODP * (1 - e.EO) / AE < 220 / XKMPER + AE)
            SetFlag(SatSimpleDrag);
        else
            ClearFlag(SatSimpleDrag);

        // Perigee below 156 km: S and QOMS2T are altered.
        double S4 = S, QOMS24 = QOMS2T;
        const double PERIGE = (s.AODP * (1 - e.EO) - AE) * XKMPER;
        if (PERIGE < 156) {
            S4 = PERIGE <= 98 ? 20 : PERIGE - 78;
            QOMS24 = std::pow((120 - S4) * AE / XKMPER, 4);
            S4 = S4 / XKMPER + AE;
        }
        const double PINVSQ = 1 / (s.AODP * s.AODP * BETAO2 * BETAO2);
        const double TSI = 1 / (s.AODP - S4);
        s.ETA = s.AODP * e.EO * TSI;
        const double ETASQ = s.ETA * s.ETA;
        const double EETA = e.EO * s.ETA;
        const double PSISQ = std::fabs(1 - ETASQ);
        const double COEF = QOMS24 * std::pow(TSI, 4);
        const double COEF1 = COEF / std::pow(PSISQ, 3.5);
        const double C2 = COEF1 * s.XNODP *
                          (s.AODP * (1 + 1.5 * ETASQ + EETA * (4 + ETASQ)) +
                           0.75 * CK2 * TSI / PSISQ * s.X3THM1 * (8 + 3 * ETASQ * (8 + ETASQ)));
        s.C1 = e.BSTAR * C2;
        s.SINIO = std::sin(e.XINCL);
        const double A3OVK2 = -XJ3 / CK2 * AE * AE * AE;
        // Near-circular orbits: the report's C3 and XMCOF divide by the
        // eccentricity; below 1e-4 their terms are negligible and left out.
        const double C3 = e.EO > 1e-4 ? COEF * TSI * A3OVK2 * s.XNODP * AE * s.SINIO / e.EO : 0;
        s.X1MTH2 = 1 - THETA2;
        s.C4 = 2 * s.XNODP * COEF1 * s.AODP * BETAO2 *
               (s.ETA * (2 + 0.5 * ETASQ) + e.EO * (0.5 + 2 * ETASQ) -
                2 * CK2 * TSI / (s.AODP * PSISQ) *
                    (-3 * s.X3THM1 * (1 - 2 * EETA + ETASQ * (1.5 - 0.5 * EETA)) +
                     0.75 * s.X1MTH2 * (2 * ETASQ - EETA * (1 + ETASQ)) * std::cos(2 * e.OMEGAO)));
        s.C5 = 2 * COEF1 * s.AODP * BETAO2 * (1 + 2.75 * (ETASQ + EETA) + EETA * ETASQ);
        const double THETA4 = THETA2 * THETA2;
        const double TEMP1 = 3 * CK2 * PINVSQ * s.XNODP;
        const double TEMP2 = TEMP1 * CK2 * PINVSQ;
        const double TEMP3 = 1.25 * CK4 * PINVSQ * PINVSQ * s.XNODP;
        s.XMDOT = s.XNODP + 0.5 * TEMP1 * BETAO * s.X3THM1 +
                  0.0625 * TEMP2 * BETAO * (13 - 78 * THETA2 + 137 * THETA4);
        const double X1M5TH = 1 - 5 * THETA2;
        s.OMGDOT = -0.5 * TEMP1 * X1M5TH + 0.0625 * TEMP2 * (7 - 114 * THETA2 + 395 * THETA4) +
                   TEMP3 * (3 - 36 * THETA2 + 49 * THETA4);
        const double XHDOT1 = -TEMP1 * s.COSIO;
        s.XNODOT = XHDOT1 + (0.5 * TEMP2 * (4 - 19 * THETA2) + 2 * TEMP3 * (3 - 7 * THETA2)) * s.COSIO;
        s.OMGCOF = e.BSTAR * C3 * std::cos(e.OMEGAO);
        s.XMCOF = e.EO > 1e-4 ? -TOTHRD * COEF * e.BSTAR * AE / EETA : 0;
        s.XNODCF = 3.5 * BETAO2 * XHDOT1 * s.C1;
        s.T2COF = 1.5 * s.C1;
        // Retrograde equatorial orbits: keep the divisor away from zero.
        const double onePlusCos = std::fabs(1 + s.COSIO) > 1.5e-12 ? 1 + s.COSIO : 1.5e-12;
        s.XLCOF = 0.125 * A3OVK2 * s.SINIO * (3 + 5 * s.COSIO) / onePlusCos;
        s.AYCOF = 0.25 * A3OVK2 * s.SINIO;
        s.DELMO = std::pow(1 + s.ETA * std::cos(e.XMO), 3);
        s.SINMO = std::sin(e.XMO);
        s.X7THM1 = 7 * THETA2 - 1;
        if (IsFlagClear(SatSimpleDrag)) {
            const double C1SQ = s.C1 * s.C1;
            s.D2 = 4 * s.AODP * TSI * C1SQ;
            const double TEMP = s.D2 * TSI * s.C1 / 3;
            s.D3 = (17 * s.AODP + S4) * TEMP;
            s.D4 = 0.5 * TEMP * s.AODP * TSI * (221 * s.AODP + 31 * S4) * s.C1;
            s.T3COF = s.D2 + 2 * C1SQ;
            s.T4COF = 0.25 * (3 * s.D3 + s.C1 * (12 * s.D2 + 10 * C1SQ));
            s.T5COF = 0.2 * (3 * s.D4 + 12 * s.C1 * s.D3 + 6 * s.D2 * s.D2 +
                             15 * C1SQ * (2 * s.D2 + C1SQ));
        }
    }

    // Secular gravity and atmospheric drag.
    const double XMDF = e.XMO + s.XMDOT * tsince;
    const double OMGADF = e.OMEGAO + s.OMGDOT * tsince;
    const double XNODDF = e.XNODEO + s.XNODOT * tsince;
    double OMEGA = OMGADF;
    double XMP = XMDF;
    const double TSQ = tsince * tsince;
    const double XNODE = XNODDF + s.XNODCF * TSQ;
    double TEMPA = 1 - s.C1 * tsince;
    double TEMPE = e.BSTAR * s.C4 * tsince;
    double TEMPL = s.T2COF * TSQ;
    if (IsFlagClear(SatSimpleDrag)) {
        const double DELOMG = s.OMGCOF * tsince;
        const double cubeBase = 1 + s.ETA * std::cos(XMDF);
        const double DELM = s.XMCOF * (cubeBase * cubeBase * cubeBase - s.DELMO);
        const double TEMP = DELOMG + DELM;
        XMP = XMDF + TEMP;
        OMEGA = OMGADF - TEMP;
        const double TCUBE = TSQ * tsince;
        const double TFOUR = tsince * TCUBE;
        TEMPA = TEMPA - s.D2 * TSQ - s.D3 * TCUBE - s.D4 * TFOUR;
        TEMPE = TEMPE + e.BSTAR * s.C5 * (std::sin(XMP) - s.SINMO);
        TEMPL = TEMPL + s.T3COF * TCUBE + TFOUR * (s.T4COF + tsince * s.T5COF);
    }
    const double A = s.AODP * TEMPA * TEMPA;
    const double E = e.EO - TEMPE;
    if (!(E < 1 && E >= -0.001) || !(A > 0)) {
        PropagationError = E >= 1 || E < -0.001 ? PropBadEccentricity : PropDecayed;
        return;
    }
    const double XL = XMP + OMEGA + XNODE + s.XNODP * TEMPL;
    const double BETA = std::sqrt(1 - E * E);
    const double XN = XKE / (A * std::sqrt(A));

    // Long-period periodics.
    const double AXN = E * std::cos(OMEGA);
    const double TEMP = 1 / (A * BETA * BETA);
    const double XLL = TEMP * s.XLCOF * AXN;
    const double AYNL = TEMP * s.AYCOF;
    const double XLT = XL + XLL;
    const double AYN = E * std::sin(OMEGA) + AYNL;

    const KeplerInput in{A, AXN, AYN, XLT, XNODE, e.XINCL, XN,
                         s.COSIO, s.SINIO, s.X3THM1, s.X1MTH2, s.X7THM1};
    PropagationError = SolveKeplerAndOrient(in, pos, vel);
    Phase = XLT - XNODE - OMGADF + TwoPi;
    if (Phase < 0)
        Phase += TwoPi;
    Phase = WrapTwoPi(Phase);
}

bool TSat::Propagate(double tsince, OrbitVector& pos, OrbitVector& vel)
{
    if (IsFlagSet(SatDeepSpace))
        PropagateSDP4(tsince, PropElements, pos, vel);
    else
        PropagateSGP4(tsince, PropElements, pos, vel);
    if (PropagationError == PropOk &&
        !(std::isfinite(pos.w) && std::isfinite(vel.w)))
        PropagationError = PropDecayed;
    if (PropagationError != PropOk) {
        pos = vel = {};
        return false;
    }
    return true;
}
