#pragma once
// The ground station under "APT\Station": the saved marker as the default
// value, then "Name", "Longitude" (degrees, west positive), "Latitude"
// (degrees, north positive) and "Altitude" (metres), numbers in the general
// form with a point whatever the locale.
#include "orbit/Station.h"

inline constexpr const char* kStationKey = "APT\\Station";

// load: never saved (or saved as a place no station can have) leaves station
// as it is. save: the marker, then the values.
void PersistStation(TStation& station, bool load);

// A station has been saved (the marker is set) and its values are a place a
// station can stand at.
bool IsStationStored();
