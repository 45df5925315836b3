#pragma once
// Element sets and stations shared by the pass tests.
#include "orbit/Sat.h"

#include <cstdio>
#include <gtest/gtest.h>

namespace passfixtures {

// NOAA 15, 18 and 19 of the 2021-10-31 weather group (shared/data/tle).
struct SetLines {
    const char* name;
    const char* line1;
    const char* line2;
};
inline const SetLines Noaa15 = {
    "NOAA 15", "1 25338U 98030A   21304.76410651  .00000084  00000-0  53505-4 0  9995",
    "2 25338  98.6711 331.9984 0009474 240.8500 119.1732 14.26066672220676"};
inline const SetLines Noaa18 = {
    "NOAA 18", "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
    "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778"};
inline const SetLines Noaa19 = {
    "NOAA 19", "1 33591U 09005A   21304.76855210  .00000104  00000-0  81273-4 0  9999",
    "2 33591  99.1753 328.8021 0014828 109.1995 251.0782 14.12504627656169"};
// A geostationary set of the same group, never setting over Europe.
inline const SetLines Meteosat8 = {
    "METEOSAT-8 (MSG-1)", "1 27509U 02040B   21303.93619237  .00000147  00000-0  00000-0 0  9990",
    "2 27509   7.6166  51.8133 0002046 165.1108 201.0645  1.00264333 70317"};

inline bool Load(TSat& sat, const SetLines& set, const char* downlink = "")
{
    char name[32];
    std::snprintf(name, sizeof name, "%s", set.name);
    if (!sat.ParseTLE(name, set.line1, set.line2))
        return false;
    sat.Downlink = downlink;
    sat.PrepareElements();
    return true;
}

inline TStation Station(double latDeg, double lonEastDeg, double altM, const char* name = "Test")
{
    TStation s;
    s.Name = name;
    s.Latitude = latDeg;
    s.Longitude = -lonEastDeg;  // the station keeps west positive
    s.Altitude = altM;
    return s;
}

constexpr double Second = 1.0 / 86400;

// Day number of a UTC date and time.
inline double Day(int y, int mo, int d, int h = 0, int mi = 0, int s = 0)
{
    return DateTimeToDayNumber(EncodeDateTime(y, mo, d, h, mi, s));
}

}  // namespace passfixtures
