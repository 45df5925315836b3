#include "platform/RegistryStore.h"
#include "shell/RegistryHelpers.h"

#include <gtest/gtest.h>

TEST(RegistryHelpers, ReadsMissingAsEmptyAndWritesCreateKeys)
{
    EXPECT_EQ(ReadRegistryString("APT\\Nowhere", "Value"), "");
    EXPECT_FALSE(TRegistryStore::Instance().KeyExists(ProgramRegistryPath("APT\\Nowhere")))
        << "reading creates nothing";

    WriteRegistryString("APT\\Deep\\Er", "Value", "x");
    EXPECT_TRUE(TRegistryStore::Instance().KeyExists(ProgramRegistryPath("APT\\Deep")));
    EXPECT_EQ(ReadRegistryString("APT\\Deep\\Er", "Value"), "x");
    WriteRegistryString("APT\\Deep\\Er", "", "1");
    EXPECT_EQ(ReadRegistryString("APT\\Deep\\Er", ""), "1") << "the empty name is the default value";

    WriteRegistryString("Software\\Other\\Fonts", "A", "b", 1);
    EXPECT_EQ(ReadRegistryString("Software\\Other\\Fonts", "A", 1), "b");
    EXPECT_EQ(ReadRegistryString("Software\\Other\\Fonts", "A"), "") << "full paths stay outside the program key";
}

TEST(RegistryHelpers, ListAndDeleteValues)
{
    EXPECT_EQ(ListRegistryNames("APT\\Missing", nullptr, false), nullptr);
    QStringList given{"stale"};
    EXPECT_EQ(ListRegistryNames("APT\\Missing", &given, false), &given);
    EXPECT_TRUE(given.isEmpty());

    WriteRegistryString("APT\\Settings\\LogImages", "Video B", "2");
    WriteRegistryString("APT\\Settings\\LogImages", "Normal", "0");
    WriteRegistryString("APT\\Settings\\LogImages\\Sub", "x", "0");
    EXPECT_EQ(*ListRegistryNames("APT\\Settings\\LogImages", false), QStringList({"Video B", "Normal"}));
    EXPECT_EQ(*ListRegistryNames("APT\\Settings\\LogImages", true), QStringList({"Sub"}));

    DeleteRegistryValues("APT\\Settings\\LogImages");
    EXPECT_TRUE(ListRegistryNames("APT\\Settings\\LogImages", false)->isEmpty());
    EXPECT_NE(ListRegistryNames("APT\\Settings\\LogImages", false), nullptr) << "the key stays";
    EXPECT_EQ(ReadRegistryString("APT\\Settings\\LogImages\\Sub", "x"), "0") << "sub-keys stay";
}

TEST(RegistryHelpers, GetTokenSplitsFields)
{
    struct Case {
        const char* source;
        int index;
        const char* field;
    };
    const Case cases[] = {
        {"2;900;700;10;10", 0, "2"}, {"2;900;700;10;10", 4, "10"}, {"0;900", 2, ""},
        {"50;;70", 1, ""},           {"50;;70", 2, "70"},          {"", 0, ""},
        {"a;b;", 2, ""},
    };
    for (const Case& c : cases)
        EXPECT_EQ(GetToken(c.source, ';', c.index), c.field) << c.source << " field " << c.index;
    const QString longField(5000, 'x');
    EXPECT_EQ(GetToken("a;" + longField + ";b", ';', 1), longField) << "no fixed field size";
}
