#pragma once
// TSat: one satellite wherever the program meets it: in the catalogue, as the
// pass of an image window, as the next pass the tracker follows. It holds the
// element set (text lines and parsed fields), the catalogue data, its own
// propagator state, a status flag word, its converted copy of the ground
// station, the results of the last computation and the current pass.
//
// Copied by value between lists: a copy takes the element set (parsed and
// prepared anew), the catalogue data, the pass and the station values, but
// not Time, the Station pointer or the results of the last computation.
// No lock: one object, one thread at a time.
#include "orbit/OrbitMath.h"
#include "orbit/Satutil.h"
#include "orbit/Station.h"

#include <QList>
#include <QRect>
#include <QString>
#include <QStringList>
#include <cstdio>
#include <functional>
#include <memory>

class TSetting;

// Bits of TSat::Flags.
enum TSatFlag : int {
    SatPrepared = 0x1,        // elements prepared for the propagator
    SatSGP4Ready = 0x2,       // SGP4 coefficients initialised
    SatSDP4Ready = 0x4,       // SDP4 coefficients initialised
    SatSimpleDrag = 0x20,     // perigee below 220 km: simple drag model
    SatDeepSpace = 0x40,      // period of 225 minutes or more: SDP4
    SatLunarDone = 0x80,      // lunar terms of the deep-space set-up done
    SatStepDue = 0x200,       // resonance integrator: another step is due
    SatResonant = 0x400,      // 12-hour or synchronous resonance
    SatSynchronous = 0x800,   // 24-hour resonance
    SatRestartEpoch = 0x1000, // resonance integrator: restart from epoch
    SatEclipsed = 0x4000,     // in the earth's umbra at Time
    SatNeverRises = 0x8000,   // never rises at the bound station
    SatDecayed = 0x10000,
    SatGeostationary = 0x20000,
    SatBadElements = 0x40000, // eccentricity or mean motion outside the model
};

// Why a propagation gave no state (TSat::PropagationError); the state is then
// zero and the look angles put the satellite far below the horizon.
enum TPropagationError : int {
    PropOk = 0,
    PropBadEccentricity = 1,   // mean eccentricity not in [0, 1)
    PropBadMeanMotion = 2,     // mean motion not above 0
    PropBadPerturbedEcc = 3,   // eccentricity after the periodic terms not in [0, 1]
    PropNegativeLatusRectum = 4,
    PropDecayed = 6,           // the orbit dips below the earth's surface
};

// The propagator's element record, in propagator units once prepared
// (radians, radians per minute, inverse earth radii).
struct TPropElements {
    double EPOCH = 0, XNDT2O = 0, XNDD6O = 0, BSTAR = 0, XINCL = 0, XNODEO = 0, EO = 0,
           OMEGAO = 0, XMO = 0, XNO = 0;
    char Model[8] = {};
    int RevAtEpoch = 0;
};

// Values shared between SDP4 and its deep-space terms.
struct TDeepArgs {
    double EOSQ = 0, SINIO = 0, COSIO = 0, BETAO = 0, AODP = 0, THETA2 = 0, SING = 0, COSG = 0,
           BETAO2 = 0, XMDOT = 0, OMGDOT = 0, XNODOT = 0, XNODP = 0;
    double XLL = 0, OMGASM = 0, XNODES = 0, EM = 0, XINC = 0, XN = 0, TSINCE = 0;
    double DS50 = 0;
    // The secular terms drove the mean inclination below zero and described
    // the orbit with it turned positive (node + pi, perigee - pi).
    bool InclinationTurned = false;
};

// The initialised SGP4 coefficients (SDP4 keeps its C1, C4, X1MTH2, X3THM1,
// X7THM1, XNODCF, T2COF, XLCOF and AYCOF here too).
struct TNearEarthState {
    double AODP = 0, AYCOF = 0, C1 = 0, C4 = 0, C5 = 0, COSIO = 0, D2 = 0, D3 = 0, D4 = 0,
           DELMO = 0, OMGCOF = 0, ETA = 0, OMGDOT = 0, SINIO = 0, XNODP = 0, SINMO = 0,
           T2COF = 0, T3COF = 0, T4COF = 0, T5COF = 0, X1MTH2 = 0, X3THM1 = 0, X7THM1 = 0,
           XMCOF = 0, XMDOT = 0, XNODCF = 0, XNODOT = 0, XLCOF = 0;
};

// The saved quantities of the deep-space (lunar-solar and resonance) terms.
struct TDeepSpaceState {
    double THGR = 0, XNQ = 0, XQNCL = 0, OMEGAQ = 0, ZMOL = 0, ZMOS = 0, SAVTSN = 0, EE2 = 0,
           E3 = 0, XI2 = 0, XL2 = 0, XL3 = 0, XL4 = 0, XGH2 = 0, XGH3 = 0, XGH4 = 0, XH2 = 0,
           XH3 = 0, SSE = 0, SSI = 0, SSG = 0, XI3 = 0, SE2 = 0, SI2 = 0, SL2 = 0, SGH2 = 0,
           SH2 = 0, SE3 = 0, SI3 = 0, SL3 = 0, SGH3 = 0, SH3 = 0, SL4 = 0, SGH4 = 0, SSL = 0,
           SSH = 0, D3210 = 0, D3222 = 0, D4410 = 0, D4422 = 0, D5220 = 0, D5232 = 0,
           D5421 = 0, D5433 = 0, DEL1 = 0, DEL2 = 0, DEL3 = 0, FASX2 = 0, FASX4 = 0,
           FASX6 = 0, XLAMO = 0, XFACT = 0, XNI = 0, ATIME = 0, STEPP = 0, STEPN = 0,
           STEP2 = 0, PREEP = 0, PL = 0, SGHS = 0, XLI = 0, D2201 = 0, D2211 = 0, SGHL = 0,
           SHL = 0, PINC = 0, PE = 0, SHS = 0, ZSINGL = 0, ZCOSGL = 0, ZSINHL = 0, ZCOSHL = 0,
           ZSINIL = 0, ZCOSIL = 0;
};

class TSat {
public:
    TSat();
    TSat(const TSat& other);
    TSat& operator=(const TSat& other);
    ~TSat();

    // ---- element set (columns in ElementSet.cpp) ----
    char Name[25];
    char Line1[70], Line2[70];
    char IntlDesignator[9];
    int CatalogNumber;
    int ElementSetNumber;
    int EpochRevNumber;
    double EpochDay;  // day of the year with fraction, 1.0 = 1 January 00:00 UTC
    double Inclination, RAAN, Eccentricity, ArgPerigee, MeanAnomaly;  // degrees; e 0..1
    double MeanMotion;  // revolutions per day
    double DecayRate;   // first derivative of the mean motion / 2, rev/day^2
    double Nddot6;      // second derivative of the mean motion / 6, rev/day^3
    double Bstar;       // B* drag term, 1/earth radii
    int EpochYear;      // two digits

    // ---- last computation and current pass (day numbers are UTC) ----
    double Time;  // day number the next computation evaluates at
    double AOS, LOS;  // 0 = none
    double Elevation, Azimuth;  // degrees at Time from the bound station
    double MaxElevation;
    double TCA;
    double Latitude, Longitude;  // sub-satellite point, degrees north, degrees east 0..360
    double WindowStart, WindowStop;  // recording window
    double RangeRate;  // km/s, negative while approaching
    unsigned char Sunlit;
    unsigned char Daylight;
    double SunAzimuth, SunElevation;
    double SunLongitude, SunLatitude;  // sub-solar point, longitude east -360..0
    double SunRA, SunDec;
    double MoonAzimuth, MoonElevation;
    double MoonLatitude, MoonLongitude;  // ecliptic, degrees
    QString StationName;
    QString FileBaseName;
    QString Group;     // "" = none
    QString Downlink;  // MHz as text, "" = none given
    unsigned char APTSatellite;  // 1 = active APT satellite, never counted as decayed
    unsigned char Northbound;
    unsigned char Scheduled;
    std::unique_ptr<char[]> LineBuffers[3];  // 76-byte scratch lines for file work, or null
    QRect IconRect, FootprintRect;  // written by the earth map
    unsigned char ChecksumTable[256];
    char ScratchText[70];
    char ModelName[10];  // "SGP4" or "SDP4" of the last computation
    double TSince;     // minutes since epoch of the last computation
    double EpochJD;
    double JulianDate;
    double EclipseDepth;  // radians
    double Range, Altitude;  // km
    double Speed;  // km/s
    double Phase;  // radians 0..2pi
    double Footprint;  // diameter, km
    double ElementAge;  // days since the epoch at Time
    int Phase256;
    int Flags;  // TSatFlag bits
    int OrbitNumber;
    int PropagationError;  // TPropagationError of the last propagation
    TStation* Station;  // bound station, not owned; may be null
    TPropElements PropElements;
    TDeepArgs DeepArgs;
    GeodeticPoint StationGeodetic;
    TNearEarthState NearEarthState;
    TDeepSpaceState DeepSpaceState;

    // ---- the record ----
    void Assign(const TSat& other);
    void Reset();
    bool AllocLineBuffers();
    void FreeLineBuffers();

    void SetFlag(int mask) { Flags |= mask; }
    void ClearFlag(int mask) { Flags &= ~mask; }
    int IsFlagSet(int mask) const { return mask & Flags; }
    int IsFlagClear(int mask) const { return mask & ~Flags; }

    // ---- status ----
    QString GetEpochAgeText(bool plainDate);
    TDateTime GetEpochDateTime();
    double GetDecayDate(double day) const;
    QString GetDecayText(double day) const;
    bool IsDecayed(double day) const;
    bool CanEverRise(double stationLatitudeRad) const;
    bool IsGeostationary() const;
    bool HasModelElements() const;
    bool IsPredictable(double stationLatitudeRad, double day, int mode);
    static int GetNOAAIndex(const char* name);
    void SetStation(TStation* s);
    QString GetStationText(int flags) const;
    // Column 1 of the orbit-data grid, rows 1..21 (index 0 is row 1).
    QStringList OrbitGridCells();
    // The orbit-data grid's rows (SetupOrbitGrid's layout) with column 1 filled.
    void FillOrbitGrid(QList<QStringList>& rows);
    double SemiMajorAxis() const;  // km

    // ---- day numbers and dates ----
    static double CurrentDayNumber();
    static long DayNumberOfDate(int month, int day, int year);
    static double JulianDateOfYear(double year);
    static double EpochJulianDate(double epoch);
    static QString DayNumberToText(double day, int flags);
    static TDateTime DayNumberToDateTime(double day);
    static bool IsSameDate(double day, TDateTime t);
    static QString FormatDuration(TDateTime span);

    // ---- element-set text ----
    bool ParseTLE(char* nameLine, const char* line1, const char* line2);
    void WriteTLE(std::FILE* f, char* work, char* out1, char* out2, int flags);
    char* SetName(char* nameLine);
    const char* GetColumns(const char* line, int first, int last);
    static void PutColumns(const char* text, char* line, int first, int last);
    const char* FormatTLEExponent(double x);

    // ---- propagation (Sgp4.cpp, Sdp4.cpp) ----
    void PrepareElements();
    void SelectModel(TPropElements& e);
    void PropagateSGP4(double tsince, TPropElements& e, OrbitVector& pos, OrbitVector& vel);
    void PropagateSDP4(double tsince, TPropElements& e, OrbitVector& pos, OrbitVector& vel);
    void DeepSpaceTerms(int entry, TPropElements& e, TDeepArgs& args);
    double EpochSiderealTime(double epoch, TDeepArgs& args);
    static void ScaleStateToKm(OrbitVector& pos, OrbitVector& vel);

    // ---- observer geometry and astronomy (Observer.cpp, SunMoon.cpp) ----
    void ComputePosition();
    static void ComputeObserverVector(double jd, GeodeticPoint& station, OrbitVector& pos,
                                      OrbitVector& vel);
    static void ComputeLookAngles(double jd, const OrbitVector& pos, const OrbitVector& vel,
                                  GeodeticPoint& station, OrbitVector& look);
    static void ComputeGeodetic(double jd, const OrbitVector& pos, GeodeticPoint& out);
    static double SiderealTime(double jd);
    static double DeltaET(double year);
    static void ComputeSolarVector(double jd, OrbitVector& sun);
    static void ComputeRADec(double jd, const OrbitVector& pos, const OrbitVector& vel,
                             GeodeticPoint& station, OrbitVector& raDec);
    static bool ComputeEclipse(const OrbitVector& sat, const OrbitVector& sun, double& depth);
    void ComputeSunPosition(double day);
    void ComputeMoonPosition(double day);
    static double ReduceLongitude(double degrees);
    static double ClampLatitude(double degrees);
    void ComputeScanPoint(double scanAngleDeg, double& longitude, double& latitude, int side) const;
    void ComputeSwathEdge(double scanAngleDeg, double& longitude, double& latitude, int side) const;

    // ---- pass search and recording windows (PassSearch.cpp) ----
    // Every search moves Time and computes there: afterwards the position
    // fields describe the last point evaluated, not the present. Day numbers
    // in, day numbers out; 0 means none found.
    double SearchAOS();
    double SearchLOS();
    double RefineLOS();
    double SearchNextAOS();
    double PredictTCA(double start);
    // flags bit 0: AOS already found by the caller, position left there.
    bool PredictPass(TStation* station, double day, int flags);
    bool PredictRecordingWindow(TStation* station, const TSetting* settings, double day);
    bool UpdateDaylight(const TSetting* settings);
    double SearchAOSElevation(double thresholdDeg);
    double SearchLOSElevation(double thresholdDeg);
    double SearchAOSPathLoss(double thresholdDb);
    double SearchLOSPathLoss(double thresholdDb);
    double GetPathLoss() const;  // dB at the last computed position
    double PredictNextAOS(TStation* station, TDateTime utc);
    double PredictLOS();
    double PredictNextPassOnDate(TDateTime date);
    bool IsAboveElevation(TStation* station, TDateTime utc, double limitDeg);
    void UpdateNow(TStation* station, const TSetting* settings, int withPass);
    // The tracker's tests; now is a day number, 0 the clock.
    bool IsWindowOpen(const TSetting* settings, double now = 0) const;
    bool IsWindowClosed(const TSetting* settings, double now = 0) const;
    bool IsPassOver() const;
    void MarkRecording(bool start);
    void MakeFileBaseName();
    int GetRecordingSeconds() const;

    // ---- pass texts and grid rows (PassText.cpp) ----
    // The dialogs own the grids and their captions; these give the cells.
    // FillPassGrid lists the passes whose AOS falls on the UTC date, one row
    // each; letMessagesRun is called once per pass.
    // aosDays, when given, receives each row's AOS (day number).
    void FillPassGrid(TStation* station, QList<QStringList>& rows, TDateTime date,
                      const std::function<void()>& letMessagesRun = {}, QList<double>* aosDays = nullptr);
    bool AddPassRow(TStation* station, QList<QStringList>& rows, double day,
                    const TSetting* settings);
    void AddPassGridRow(QList<QStringList>& rows, const QString& startText,
                        const QString& durationText, double pathLoss, double elevation,
                        double azimuth, int phase256, double latitude, double longitude,
                        double range, int orbitNumber) const;
    void FillTrackingRow(QStringList& row, TStation* station, bool bindOnly);
    QString GetTrackingStatusText(const TSetting* settings, int flags) const;
    QString GetPositionText() const;
    QString GetLatitudeText() const;
    QString GetLongitudeText() const;
    static QString LatitudeText(double degrees);
    static QString LongitudeText(double degrees);
    static double NormalizeLongitude(double degrees);
    QString GetSunText() const;
    QString GetMoonText();
    QString GetPassDescription(int flags) const;
    // flags bit 0 "Recording", bit 1 the balloon (with a title when one is given).
    void GetTrayHint(QString& text, QString* title, int flags) const;
    int GetOrbitNumber() const { return OrbitNumber; }
    double GetFootprint() const { return Footprint; }

    // ---- pass-information files (PassInfoFile.cpp) ----
    // flags bit 0: keep WindowStop (else the stop written is now). The file is
    // written whole under a temporary name and renamed; error says why not.
    bool WritePassInfoFile(const QString& header, const QString& path, TStation* station,
                           int flags, QString* error = nullptr);
    bool ReadPassInfoFile(const QString& path);

private:
    void ClearElements();
    bool Propagate(double tsince, OrbitVector& pos, OrbitVector& vel);
};
