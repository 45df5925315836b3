#include "orbit/StationPersistence.h"

#include "platform/CNumbers.h"
#include "shell/RegistryHelpers.h"

bool IsStationStored()
{
    const QString marker = ReadRegistryString(kStationKey, "");
    return !marker.isEmpty() && marker != "0";
}

void PersistStation(TStation& station, bool load)
{
    if (load) {
        if (!IsStationStored())
            return;
        const auto number = [](const char* name) {
            return cnum::ParseFloat(ReadRegistryString(kStationKey, name));
        };
        station.Name = ReadRegistryString(kStationKey, "Name");
        station.Longitude = number("Longitude");
        station.Latitude = number("Latitude");
        station.Altitude = number("Altitude");
        return;
    }
    WriteRegistryString(kStationKey, "", "1");
    WriteRegistryString(kStationKey, "Name", station.Name);
    WriteRegistryString(kStationKey, "Longitude", cnum::FormatFloatQ(station.Longitude));
    WriteRegistryString(kStationKey, "Latitude", cnum::FormatFloatQ(station.Latitude));
    WriteRegistryString(kStationKey, "Altitude", cnum::FormatFloatQ(station.Altitude));
}
