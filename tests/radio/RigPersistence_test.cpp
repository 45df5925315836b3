// The receiver link's settings kept under "APT\Settings\RIG".
#include "radio/RigPersistence.h"
#include "shell/RegistryHelpers.h"

#include <gtest/gtest.h>

TEST(RigPersistence, FreshRegistryKeepsTheConstructorsValues)
{
    TRig rig;
    PersistRig(rig, true);
    EXPECT_EQ(rig.Port, 1);
    EXPECT_EQ(rig.BaudRate, 3);
    EXPECT_EQ(rig.Radio, 0);
}

TEST(RigPersistence, LoadTakesTheModelsBaudRate)
{
    struct Case {
        int radio, baudRate, loadedBaudRate;
    };
    const Case cases[] = {{2, 9, 6}, {0, 9, 3}, {1, 0, 3}, {3, 12, 3}, {5, 9, 9}, {-1, 4, 4}};
    for (const Case& c : cases) {
        TRig saved;
        saved.Port = 4;
        saved.Radio = c.radio;
        saved.BaudRate = c.baudRate;
        PersistRig(saved, false);
        EXPECT_EQ(ReadRegistryString(kRigKey, "BaudRate").toInt(), c.baudRate) << "saved as it is";
        TRig loaded;
        PersistRig(loaded, true);
        EXPECT_EQ(loaded.Port, 4);
        EXPECT_EQ(loaded.Radio, c.radio);
        EXPECT_EQ(loaded.BaudRate, c.loadedBaudRate) << "model " << c.radio;
    }
}

TEST(RigPersistence, MissingValuesReadAsZero)
{
    DeleteRegistryValues(kRigKey);
    WriteRegistryString(kRigKey, "", "1");
    WriteRegistryString(kRigKey, "Radio", "5");
    WriteRegistryString(kRigKey, "RIGModes", "1");  // the settings record's value beside them
    TRig rig;
    PersistRig(rig, true);
    EXPECT_EQ(rig.Port, 0) << "no port chosen: the link refuses to open";
    EXPECT_EQ(rig.BaudRate, 0);
    EXPECT_EQ(rig.Radio, 5);
    EXPECT_EQ(ReadRegistryString(kRigKey, "RIGModes"), "1");
}
