#pragma once
// The ground station: the one place on the earth every look angle, pass and
// map is computed from. Values are taken as entered; no range is enforced.
#include <QString>

struct TStation {
    QString Name;
    double Longitude = 0;  // degrees, WEST positive (east longitudes are negative)
    double Latitude = 0;   // degrees, north positive
    double Altitude = 0;   // metres above sea level
};
