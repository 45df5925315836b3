#include "platform/CNumbers.h"
#include "platform/RegistryStore.h"
#include "support/TestEnv.h"

#include <QTemporaryDir>
#include <clocale>
#include <cstdio>
#include <gtest/gtest.h>
#include <string>

TEST(CNumbers, ParsesAsTheStoredFormsSay)
{
    struct Case {
        const char* text;
        long long asInt;
        double asFloat;
    };
    const Case cases[] = {
        {"  -42abc", -42, -42},   {"+7", 7, 7},         {"", 0, 0},           {"abc", 0, 0},
        {"142.5", 142, 142.5},    {"1.5E-7", 1, 1.5e-7}, {" 3.25;4", 3, 3.25}, {"-0.5", 0, -0.5},
        {"16777215", 16777215, 16777215},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(cnum::ParseInt(std::string_view(c.text)), c.asInt) << c.text;
        EXPECT_DOUBLE_EQ(cnum::ParseFloat(std::string_view(c.text)), c.asFloat) << c.text;
    }
}

TEST(CNumbers, GeneralFormatWithFifteenDigits)
{
    EXPECT_EQ(cnum::FormatFloat(142.5), "142.5");
    EXPECT_EQ(cnum::FormatFloat(1.5e-7), "1.5E-7");
    EXPECT_EQ(cnum::FormatFloat(-0.25), "-0.25");
    EXPECT_EQ(cnum::FormatFloat(0.1 + 0.2), "0.3");
    EXPECT_EQ(cnum::FormatFloat(3.14159265358979), "3.14159265358979");
    EXPECT_EQ(cnum::FormatFloat(1e20), "1E20");
    long long v = 0;
    EXPECT_TRUE(cnum::TryParseInt(" 12 ", v));
    EXPECT_EQ(v, 12);
    EXPECT_FALSE(cnum::TryParseInt("12x", v));
    double d = 0;
    EXPECT_FALSE(cnum::TryParseFloat("1,5", d));
}

// Qt sets the process locale from the environment; under a comma-decimal
// locale the plain C library writes "142,500". The helpers must not.
TEST(CNumbers, CommaLocaleChangesNothingInFilesOrTheRegistry)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        SKIP_MISSING("de_DE.UTF-8 is not generated on this machine (scripts/setup-deps.sh makes it)");
    char plain[32];
    std::snprintf(plain, sizeof plain, "%.3f", 142.5);
    EXPECT_STREQ(plain, "142,500") << "the locale is really in force";

    EXPECT_EQ(cnum::Format("%.3f", 142.5), "142.500");
    EXPECT_EQ(cnum::FormatFloat(142.5), "142.5");
    EXPECT_DOUBLE_EQ(cnum::ParseFloat(std::string_view("142.5")), 142.5);
    {
        QTemporaryDir dir;
        TRegistryStore store(dir.filePath("r.reg"));
        store.WriteValue("K", "Longitude", QString::fromStdString(cnum::FormatFloat(-7.25)));
        TRegistryStore reloaded(dir.filePath("r.reg"));
        EXPECT_EQ(reloaded.ReadValue("K", "Longitude"), "-7.25");
        EXPECT_DOUBLE_EQ(cnum::ParseFloat(*reloaded.ReadValue("K", "Longitude")), -7.25);
    }
    std::setlocale(LC_ALL, previous.c_str());
}
