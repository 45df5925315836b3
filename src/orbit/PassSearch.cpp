// Pass search: AOS, TCA and LOS of a satellite over the bound station, the
// recording window the pass thresholds allow, and the tracker's tests.
// Every step is one full position computation at Time. The AOS and LOS steps
// grow with the distance from the horizon and the root of the altitude, so a
// pass is found in tens of computations instead of a walk in fixed steps;
// every walk has a bound, so an orbit that never sets cannot hang a search.
#include "orbit/Sat.h"

#include "orbit/SatFileName.h"
#include "platform/CNumbers.h"
#include "shell/Setting.h"

#include <algorithm>
#include <cmath>

namespace {

constexpr double OneSecond = 1.0 / 86400;
// Step back from a pass in progress, and past a LOS before the next AOS.
constexpr double PassStepBack = 0.014;
constexpr double FirstLOSStep = 1.0 / 2880;  // the first LOS step starts 30 s after AOS
constexpr double HorizonToleranceDeg = 0.03;
constexpr double CoarseAOSLimitDeg = -1.0;
constexpr double TwilightLimitDeg = -6.0;
constexpr int SecondWalkLimit = 1800;
// Coarse step of the TCA search, seconds.
constexpr int TCACoarseStep = 16;
constexpr int SearchPhaseLimit = 10000;
constexpr int MaxRecordingSeconds = 1200;
// Horizon touches without a pass skipped by one search before it gives up.
constexpr int MaxGrazes = 10;

enum PassModeBit : int {
    ThresholdsOn = 0x1,
    ByElevation = 0x2,
    PathLossBelowPassElev = 0x4,
    NorthSouth = 0x8,
};

int PassModesOf(const TSetting* settings) { return settings ? settings->PassModes : 0; }

}  // namespace

double TSat::SearchAOS()
{
    AOS = 0;
    if (!IsPredictable(StationGeodetic.Latitude, Time, 1))
        return 0;
    ComputePosition();
    // Coarse: forward in steps that grow with the depth below the horizon.
    for (int i = 0; i < SearchPhaseLimit && Elevation < CoarseAOSLimitDeg; ++i) {
        Time -= (Elevation * (Altitude / 8400 + 0.46) - 2) * 0.00035;
        ComputePosition();
    }
    if (!(Elevation >= CoarseAOSLimitDeg))
        return 0;
    // Fine: a secant-like walk onto the horizon.
    for (int i = 0; i < SearchPhaseLimit && AOS == 0; ++i) {
        if (std::fabs(Elevation) < HorizonToleranceDeg) {
            AOS = Time;
        } else {
            Time -= std::sqrt(Altitude) * Elevation / 530000;
            ComputePosition();
        }
    }
    return AOS;
}

double TSat::SearchLOS()
{
    // The first step uses the elevation and altitude of the last computed
    // position. A satellite that never sets (a station under a high orbit)
    // would step for ever: after the bound it counts as no LOS.
    int steps = 0;
    do {
        Time += std::cos((Elevation - 1) * DegreesToRadians) * std::sqrt(Altitude) /
                25000;
        ComputePosition();
    } while (Elevation >= 0 && ++steps < SearchPhaseLimit);
    if (!(Elevation < 0) || !std::isfinite(Time)) {
        LOS = 0;
        return 0;
    }
    return RefineLOS();
}

double TSat::RefineLOS()
{
    LOS = 0;
    if (!IsPredictable(StationGeodetic.Latitude, Time, 0))
        return 0;
    ComputePosition();
    for (int i = 0; i < SearchPhaseLimit && LOS == 0; ++i) {
        Time += std::sqrt(Altitude) * Elevation / 502500;
        ComputePosition();
        if (std::fabs(Elevation) < HorizonToleranceDeg)
            LOS = Time;
    }
    return LOS;
}

double TSat::SearchNextAOS()
{
    AOS = 0;
    if (IsPredictable(StationGeodetic.Latitude, Time, 0)) {
        // Without a LOS there is no "after": searching on from day 0.014
        // would report a pass of 1980.
        const double los = SearchLOS();
        if (los == 0)
            return 0;
        Time = los + PassStepBack;
    }
    return SearchAOS();
}

double TSat::PredictTCA(double start)
{
    // The result is that of a walk in whole seconds from start: TCA is the
    // first second no higher than the one before (or start + 1800 s), and
    // MaxElevation the elevation of the second before it. Over a pass the
    // elevation rises to one top and falls, so the walk may skip ahead in
    // coarse steps while they still rise and walk the last stretch second by
    // second: a few dozen computations instead of hundreds.
    const auto elevationAt = [this, start](int second) {
        Time = start + second * OneSecond;
        ComputePosition();
        return Elevation;
    };
    int from = 0;
    double fromElevation = elevationAt(0);
    while (from + TCACoarseStep <= SecondWalkLimit) {
        const double e = elevationAt(from + TCACoarseStep);
        if (e <= fromElevation)
            break;
        from += TCACoarseStep;
        fromElevation = e;
    }
    // Rising into from, not beyond the next coarse step: the top lies within
    // a step on either side, and the elevation rises up to it.
    int second = std::max(0, from - TCACoarseStep);
    MaxElevation = elevationAt(second);
    while (second < SecondWalkLimit) {
        if (elevationAt(++second) <= MaxElevation)
            break;
        MaxElevation = Elevation;
    }
    TCA = Time;
    return MaxElevation > 0 ? MaxElevation : 0;
}

bool TSat::PredictPass(TStation* station, double day, int flags)
{
    if (!(flags & 1)) {
        SetStation(station);
        PrepareElements();
    }
    Time = day;
    if (!IsPredictable(StationGeodetic.Latitude, Time, 1))
        return false;
    bool searchAOS = !(flags & 1);  // with bit 0 the caller found AOS and left the position there
    if (searchAOS) {
        ComputePosition();
        if (Elevation > 0)
            Time -= PassStepBack;  // a pass in progress: find its own AOS
    }
    bool dayStart = false;
    double latStart = 0;
    for (int graze = 0;; ++graze) {
        if (searchAOS && SearchAOS() == 0)
            return false;
        dayStart = SunElevation >= TwilightLimitDeg;
        latStart = Latitude;
        if (PredictTCA(AOS) > 0)
            break;
        // The satellite came within the horizon tolerance without rising: no
        // pass, and no reason to end the search; the next one follows.
        if (graze == MaxGrazes)
            return false;
        Time = TCA + PassStepBack;
        searchAOS = true;
    }
    if (SearchLOS() == 0)
        return false;
    Daylight = dayStart || SunElevation > TwilightLimitDeg;
    Northbound = latStart < Latitude;
    return true;
}

bool TSat::PredictRecordingWindow(TStation* station, const TSetting* settings, double day)
{
    WindowStart = WindowStop = 0;
    Scheduled = 0;
    if (!PredictPass(station, day, 0))
        return false;
    const int modes = PassModesOf(settings);
    if (!(modes & ThresholdsOn)) {
        WindowStart = AOS;
        WindowStop = LOS;
        Scheduled = 1;
        return true;
    }
    bool byElevation = false;
    if (modes & ByElevation) {
        if (MaxElevation >= settings->PassElev)
            byElevation = true;
        else if (!(modes & PathLossBelowPassElev))
            return false;
    }
    // North/South: the AOS threshold belongs to the northern end of the pass.
    const bool swap = (modes & NorthSouth) && Northbound;
    double startElev = settings->AOSElev, endElev = settings->LOSElev;
    double startLoss = settings->AOSPathLoss, endLoss = settings->LOSPathLoss;
    if (swap) {
        std::swap(startElev, endElev);
        std::swap(startLoss, endLoss);
    }
    WindowStart = byElevation ? SearchAOSElevation(startElev) : SearchAOSPathLoss(startLoss);
    const bool daylightAtStart = SunElevation > settings->IRSunEle;
    WindowStop = byElevation ? SearchLOSElevation(endElev) : SearchLOSPathLoss(endLoss);
    const bool daylightAtEnd = SunElevation > settings->IRSunEle;
    if (WindowStart == 0 || WindowStop == 0)
        return false;
    if (WindowStart < day && day < WindowStop)
        WindowStart = day;  // the window is already open
    const int seconds = static_cast<int>(std::floor((WindowStop - WindowStart) * 86400 + 0.5));
    if (seconds < settings->Duration)
        return false;
    Daylight = daylightAtStart || daylightAtEnd;
    Scheduled = 1;
    return true;
}

bool TSat::UpdateDaylight(const TSetting* settings)
{
    const int limit = settings ? settings->IRSunEle : 0;
    Time = WindowStart;
    ComputePosition();
    const double sunAtStart = SunElevation;
    Time = WindowStop;
    ComputePosition();
    Daylight = sunAtStart > limit || SunElevation > limit;
    return Daylight;
}

namespace {

// One-second walk from start in direction (+1 or -1) until done() holds;
// 0 when the elevation falls on the way or the bound is reached.
template <typename Done>
double WalkSeconds(TSat& sat, double start, int direction, Done done)
{
    sat.Time = start;
    sat.ComputePosition();
    for (int i = 0; i < SecondWalkLimit; ++i) {
        if (done())
            return sat.Time;
        const double before = sat.Elevation;
        sat.Time += direction * OneSecond;
        sat.ComputePosition();
        if (sat.Elevation < before)
            return 0;
    }
    return 0;
}

}  // namespace

double TSat::SearchAOSElevation(double thresholdDeg)
{
    if (thresholdDeg == 0)
        return AOS;
    return WalkSeconds(*this, AOS, 1,
                       [&] { return Elevation >= thresholdDeg - HorizonToleranceDeg; });
}

double TSat::SearchLOSElevation(double thresholdDeg)
{
    if (thresholdDeg == 0)
        return LOS;
    return WalkSeconds(*this, LOS, -1,
                       [&] { return Elevation >= thresholdDeg - HorizonToleranceDeg; });
}

double TSat::SearchAOSPathLoss(double thresholdDb)
{
    if (thresholdDb == 0 || Downlink.isEmpty())
        return AOS;
    return WalkSeconds(*this, AOS, 1, [&] {
        const double loss = GetPathLoss();
        return loss > 0 && loss <= thresholdDb;
    });
}

double TSat::SearchLOSPathLoss(double thresholdDb)
{
    if (thresholdDb == 0 || Downlink.isEmpty())
        return LOS;
    return WalkSeconds(*this, LOS, -1, [&] {
        const double loss = GetPathLoss();
        return loss > 0 && loss <= thresholdDb;
    });
}

double TSat::GetPathLoss() const
{
    if (Elevation < 0 || Downlink.isEmpty())
        return 0;
    const double mhz = cnum::ParseFloat(Downlink);
    if (mhz <= 0 || Range <= 0)
        return 0;  // no logarithm of nothing
    return 32.4 + 20 * std::log10(mhz) + 20 * std::log10(Range);
}

double TSat::PredictNextAOS(TStation* station, TDateTime utc)
{
    if (station)
        SetStation(station);
    Time = DateTimeToDayNumber(utc);
    if (!IsPredictable(StationGeodetic.Latitude, Time, 1))
        return 0;
    ComputePosition();
    if (Elevation > 0)
        Time -= PassStepBack;
    AOS = SearchAOS();
    return AOS;
}

double TSat::PredictLOS()
{
    Time = AOS + FirstLOSStep;
    return SearchLOS();
}

double TSat::PredictNextPassOnDate(TDateTime date)
{
    const double old = Time;
    Time = SearchNextAOS();
    return Time != 0 && IsSameDate(Time, date) && Time != old ? Time : 0;
}

bool TSat::IsAboveElevation(TStation* station, TDateTime utc, double limitDeg)
{
    SetStation(station);
    Time = DateTimeToDayNumber(utc);
    PrepareElements();
    if (!IsPredictable(StationGeodetic.Latitude, Time, 1))
        return false;
    ComputePosition();
    return Elevation >= limitDeg;
}

void TSat::UpdateNow(TStation* station, const TSetting* settings, int withPass)
{
    const double now = CurrentDayNumber();
    Time = now;
    if (!withPass) {
        ComputePosition();
        return;
    }
    Scheduled = settings && (settings->LogModes & 1) ? 1 : 0;
    if (Scheduled) {
        Scheduled = PredictRecordingWindow(station, settings, now) ? 1 : 0;
    } else {
        PredictPass(station, now, 0);
        WindowStart = AOS;
        WindowStop = LOS;
    }
    MakeFileBaseName();
}

bool TSat::IsWindowOpen(const TSetting* settings, double now) const
{
    if (!Scheduled || Elevation < 0)
        return false;
    if (!(PassModesOf(settings) & ThresholdsOn))
        return true;
    return (now != 0 ? now : CurrentDayNumber()) >= WindowStart;
}

bool TSat::IsWindowClosed(const TSetting* settings, double now) const
{
    if (!Scheduled || Elevation < 0)
        return true;
    if (!(PassModesOf(settings) & ThresholdsOn))
        return false;  // the horizon alone decides
    return (now != 0 ? now : CurrentDayNumber()) >= WindowStop;
}

bool TSat::IsPassOver() const
{
    return Time > LOS && Elevation <= 0;
}

void TSat::MarkRecording(bool start)
{
    if (start) {
        WindowStart = CurrentDayNumber();
        MakeFileBaseName();
    } else {
        WindowStop = CurrentDayNumber();
    }
}

void TSat::MakeFileBaseName()
{
    const QString name = SatelliteFileNamePart(QString::fromLatin1(Name), '_');
    const QByteArray latin = name.toLatin1();
    qstrncpy(ScratchText, latin.constData(), sizeof ScratchText);
    FileBaseName = DayNumberToText(WindowStart, 40) + "_" + name;
}

int TSat::GetRecordingSeconds() const
{
    const double seconds = std::floor((WindowStop - WindowStart) * 86400 + 0.5);
    if (!(seconds > 0))
        return 0;
    return seconds > MaxRecordingSeconds ? MaxRecordingSeconds : static_cast<int>(seconds);
}
