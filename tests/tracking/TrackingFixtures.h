#pragma once
// A catalogue from a real element file (the weather group of 31 October
// 2021) with NOAA 15, 18 and 19 as the active APT satellites, a station in
// Berlin, and the passes of a satellite listed the slow way, one prediction
// after another, to check the choice against.
#include "orbit/Catalogue.h"
#include "orbit/Sat.h"
#include "support/TestEnv.h"

#include <QString>
#include <vector>

namespace trackingfixtures {

inline const char kElementFile[] = "tle/weather-2021-10-31-no-final-newline.txt";

struct TAptSat {
    const char* Name;
    const char* Downlink;
};
inline const TAptSat kAptSats[] = {{"NOAA 15", "137.62"}, {"NOAA 18", "137.9125"}, {"NOAA 19", "137.1"}};

inline TStation Berlin()
{
    TStation s;
    s.Name = "Berlin";
    s.Latitude = 52.52;
    s.Longitude = -13.40;  // west positive
    s.Altitude = 40;
    return s;
}

// Loads the element file into catalogue and marks the three NOAA satellites
// as active APT satellites; false when the file is missing.
inline bool LoadWeatherCatalogue(PList& catalogue)
{
    const QString path = testenv::SharedDataPath(kElementFile);
    if (path.isEmpty())
        return false;
    LoadTLEFile(path, QString(), QString(), &catalogue, nullptr);
    for (const TAptSat& apt : kAptSats)
        if (TSat* sat = FindSatellite(&catalogue, apt.Name)) {
            sat->APTSatellite = 1;
            sat->Downlink = apt.Downlink;
        }
    return true;
}

struct TPassTimes {
    QString Name;
    double AOS, LOS, MaxElevation;
};

// Every pass of a copy of sat whose LOS comes after from (a day number),
// until days later.
inline std::vector<TPassTimes> ListPasses(const TSat& sat, TStation* station, double from, double days)
{
    std::vector<TPassTimes> out;
    TSat copy(sat);
    for (double t = from; t < from + days;) {
        if (!copy.PredictPass(station, t, 0) || copy.LOS <= t)
            break;
        out.push_back({QString::fromLatin1(copy.Name), copy.AOS, copy.LOS, copy.MaxElevation});
        t = copy.LOS + 60 / 86400.0;
    }
    return out;
}

}  // namespace trackingfixtures
