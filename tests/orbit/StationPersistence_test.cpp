// The ground station kept under "APT\Station".
#include "orbit/StationPersistence.h"
#include "shell/RegistryHelpers.h"
#include "support/TestEnv.h"

#include <clocale>
#include <gtest/gtest.h>

TEST(StationPersistence, NeverSavedLeavesTheStationAsItIs)
{
    TStation station;
    PersistStation(station, true);
    EXPECT_EQ(station.Name, "");
    EXPECT_EQ(station.Latitude, 0);
    EXPECT_EQ(station.Longitude, 0);
    EXPECT_EQ(station.Altitude, 0);

    // A marker of "0" counts as never saved, whatever the values say.
    WriteRegistryString(kStationKey, "", "0");
    WriteRegistryString(kStationKey, "Latitude", "12");
    station.Name = "kept";
    PersistStation(station, true);
    EXPECT_EQ(station.Name, "kept");
    EXPECT_EQ(station.Latitude, 0);
}

TEST(StationPersistence, RoundTripEvenUnderACommaLocale)
{
    const bool comma = std::setlocale(LC_ALL, "de_DE.UTF-8") != nullptr;
    TStation saved;
    saved.Name = "Roof, Tromsø";
    saved.Latitude = 45.125;
    saved.Longitude = -7.25;
    saved.Altitude = 123.456789012345;
    PersistStation(saved, false);
    EXPECT_EQ(ReadRegistryString(kStationKey, ""), "1");
    EXPECT_EQ(ReadRegistryString(kStationKey, "Latitude"), "45.125");
    EXPECT_EQ(ReadRegistryString(kStationKey, "Longitude"), "-7.25");

    TStation loaded;
    PersistStation(loaded, true);
    EXPECT_EQ(loaded.Name, saved.Name);
    EXPECT_EQ(loaded.Latitude, 45.125);
    EXPECT_EQ(loaded.Longitude, -7.25);
    EXPECT_EQ(loaded.Altitude, 123.456789012345);
    std::setlocale(LC_ALL, "C");
    if (!comma)
        SKIP_MISSING("de_DE.UTF-8 locale not installed: checked in the C locale only");
}
