#pragma once
// The ground station: the one place on the earth every look angle, pass and
// map is computed from.
#include <QString>
#include <cmath>

struct TStation {
    QString Name;
    double Longitude = 0;  // degrees, WEST positive (east longitudes are negative)
    double Latitude = 0;   // degrees, north positive
    double Altitude = 0;   // metres above sea level
};

// The ground a receiver stands on lies between the shore of the Dead Sea
// (about -430 m) and the highest summit (about 8850 m); the margins keep
// every real station and refuse a height typed in feet or with a zero too many.
inline constexpr double kLowestStationAltitudeM = -500;
inline constexpr double kHighestStationAltitudeM = 9000;

// A place a station can stand at; NaN and infinity are none.
inline bool IsPossibleStation(double latitude, double longitude, double altitude)
{
    return std::fabs(latitude) <= 90 && std::fabs(longitude) <= 180 && altitude >= kLowestStationAltitudeM &&
           altitude <= kHighestStationAltitudeM;
}
