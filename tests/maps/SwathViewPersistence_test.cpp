// The swath viewer's settings kept under "APT\SwathView".
#include "maps/SwathViewPersistence.h"
#include "shell/RegistryHelpers.h"

#include <gtest/gtest.h>

TEST(SwathViewPersistence, FreshRegistryGivesTheDefaultsAndTheMapsFolder)
{
    TSwathProp props;
    PersistSwathView(props, true, "/home/maps");
    EXPECT_EQ(props.MapDir, "/home/maps");
    EXPECT_EQ(props.MapType, 0);
    EXPECT_EQ(props.Scale, 2);
    EXPECT_EQ(props.Projection, 16);
    EXPECT_EQ(props.Bkgnd, 0xFFFFFF);
    EXPECT_EQ(props.Water, 0x800000);
    EXPECT_EQ(props.Swath, 0xFFFF);
    EXPECT_EQ(props.LonLat, 0x808080);
    EXPECT_EQ(props.LonLatFont, 0xFFFFFF);
    EXPECT_EQ(props.MPDelta, 15);
    EXPECT_EQ(props.MPDelta2, 15);
    EXPECT_EQ(props.CIL, 0x8000);
    EXPECT_EQ(props.NAT, 0xFF);
    EXPECT_EQ(props.INT, 0xFF);
    EXPECT_EQ(props.Land, 0x2F8F2F);
}

TEST(SwathViewPersistence, RoundTripOfEveryValue)
{
    TSwathProp saved;
    int value = 100;
    for (int* field : {&saved.MapType, &saved.Scale, &saved.Projection, &saved.Bkgnd, &saved.Water,
                       &saved.Swath, &saved.LonLat, &saved.LonLatFont, &saved.MPDelta,
                       &saved.MPDelta2, &saved.CIL, &saved.NAT, &saved.INT, &saved.Land})
        *field = value++;
    saved.Projection = 99;  // outside the projection list: kept as it is
    saved.MapDir = "/not/stored";
    PersistSwathView(saved, false, "");
    EXPECT_EQ(ReadRegistryString(kSwathViewKey, ""), "1");
    EXPECT_EQ(ReadRegistryString(kSwathViewKey, "Land"), "113");
    EXPECT_EQ(ReadRegistryString(kSwathViewKey, "MapDir"), "");

    TSwathProp loaded;
    PersistSwathView(loaded, true, "/maps");
    EXPECT_EQ(loaded.MapDir, "/maps");
    loaded.MapDir = saved.MapDir;
    const auto fields = [](const TSwathProp& p) {
        return std::vector<int>{p.MapType, p.Scale, p.Projection, p.Bkgnd, p.Water, p.Swath, p.LonLat,
                                p.LonLatFont, p.MPDelta, p.MPDelta2, p.CIL, p.NAT, p.INT, p.Land};
    };
    EXPECT_EQ(fields(loaded), fields(saved));
}
