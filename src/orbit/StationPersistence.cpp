#include "orbit/StationPersistence.h"

#include "platform/CNumbers.h"
#include "shell/RegistryHelpers.h"

#include <cmath>

namespace {

// A stored value that is no number reads as NaN, which no station has.
double StoredNumber(const char* name)
{
    double value = 0;
    return cnum::TryParseFloat(ReadRegistryString(kStationKey, name).toStdString(), value) ? value : NAN;
}

}  // namespace

bool IsStationStored()
{
    const QString marker = ReadRegistryString(kStationKey, "");
    // Earlier versions stored whatever was typed: a place no station can
    // have counts as never saved, so the program asks for the station again
    // instead of predicting passes for it.
    return !marker.isEmpty() && marker != "0" &&
           IsPossibleStation(StoredNumber("Latitude"), StoredNumber("Longitude"), StoredNumber("Altitude"));
}

void PersistStation(TStation& station, bool load)
{
    if (load) {
        if (!IsStationStored())
            return;
        station.Name = ReadRegistryString(kStationKey, "Name");
        station.Longitude = StoredNumber("Longitude");
        station.Latitude = StoredNumber("Latitude");
        station.Altitude = StoredNumber("Altitude");
        return;
    }
    WriteRegistryString(kStationKey, "", "1");
    WriteRegistryString(kStationKey, "Name", station.Name);
    WriteRegistryString(kStationKey, "Longitude", cnum::FormatFloatQ(station.Longitude));
    WriteRegistryString(kStationKey, "Latitude", cnum::FormatFloatQ(station.Latitude));
    WriteRegistryString(kStationKey, "Altitude", cnum::FormatFloatQ(station.Altitude));
}
