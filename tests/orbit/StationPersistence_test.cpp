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

// Earlier versions stored whatever the dialog was given: such a station is
// not taken, so the program asks for it again instead of predicting for it.
TEST(StationPersistence, AStoredPlaceNoStationCanHaveCountsAsNeverSaved)
{
    struct Case {
        const char* name;
        const char* latitude;
        const char* longitude;
        const char* altitude;
        bool taken;
    };
    const Case cases[] = {
        {"a real place", "52.5", "-13.4", "40", true},
        {"the poles and the date line", "-90", "180", "0", true},
        {"latitude beyond the pole", "95", "-13.4", "40", false},
        {"longitude beyond the date line", "52.5", "180.5", "40", false},
        {"altitude in feet at a summit", "27.98", "-86.92", "29032", false},
        {"longitude that is no number", "52.5", "abc", "40", false},
        {"altitude missing", "52.5", "-13.4", "", false},
    };
    for (const Case& c : cases) {
        WriteRegistryString(kStationKey, "", "1");
        WriteRegistryString(kStationKey, "Name", "Roof");
        WriteRegistryString(kStationKey, "Latitude", c.latitude);
        WriteRegistryString(kStationKey, "Longitude", c.longitude);
        WriteRegistryString(kStationKey, "Altitude", c.altitude);
        EXPECT_EQ(IsStationStored(), c.taken) << c.name;
        TStation station;
        station.Name = "as it was";
        PersistStation(station, true);
        EXPECT_EQ(station.Name, c.taken ? "Roof" : "as it was") << c.name;
    }
}
