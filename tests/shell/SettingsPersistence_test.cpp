#include "SettingsCompare.h"
#include "platform/RegistryStore.h"
#include "shell/RegistryHelpers.h"
#include "shell/SettingsPersistence.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <clocale>
#include <gtest/gtest.h>
#include <string>

namespace {

QString Stored(const char* name, const char* key = kSettingsKey)
{
    return ReadRegistryString(key, name);
}

}  // namespace

TEST(SettingsPersistence, FreshRegistryKeepsTheDefaultsAndOffersTheLogo)
{
    QTemporaryDir logos;
    TSetting s;
    s.ThumbSize = 3;  // shows that nothing is validated before the first save
    PersistSettings(s, true, logos.path());
    TSetting expected;
    expected.ThumbSize = 3;
    ExpectSameSettings(s, expected);
    EXPECT_EQ(s.LogoFilename, "") << "no logo picture, no logo";

    QFile logo(logos.filePath(kFirstRunLogo));
    ASSERT_TRUE(logo.open(QIODevice::WriteOnly));
    logo.close();
    TSetting withLogo;
    PersistSettings(withLogo, true, logos.path());
    EXPECT_EQ(withLogo.LogoFilename, logos.path() + "/poes_small.gif");
    EXPECT_FALSE(TRegistryStore::Instance().KeyExists(ProgramRegistryPath(kSettingsKey)))
        << "loading writes nothing";
}

TEST(SettingsPersistence, SaveAndLoadGiveTheSameRecord)
{
    TSetting saved = NonDefaultSettings();
    PersistSettings(saved, false, QString());

    const QStringList names = TRegistryStore::Instance().ValueNames(ProgramRegistryPath(kSettingsKey));
    ASSERT_FALSE(names.isEmpty());
    EXPECT_EQ(names.first(), "") << "the marker is written before any other value";
    EXPECT_EQ(Stored(""), "1");
    EXPECT_EQ(names.size(), 1 + 42) << "the marker and every field but RIGModes and the images";
    EXPECT_EQ(Stored("RIGModes", kSettingsRIGKey), "1");
    EXPECT_EQ(Stored("RIGModes"), "") << "RIGModes lives under the receiver's key";
    EXPECT_EQ(Stored("AOSPathLoss"), "139.123456789012");
    EXPECT_EQ(Stored("LOSPathLoss"), "1.5E-7");
    EXPECT_EQ(Stored("FontSize"), "14");
    EXPECT_EQ(Stored("Gamma"), "2.25");
    EXPECT_EQ(Stored("FontBkColor"), QString::number(0x123456));
    EXPECT_EQ(*ListRegistryNames(kSettingsLogImagesKey, false),
              QStringList({"Video B", "Normal", "IR Low temperatures (ch 4)"}));
    EXPECT_EQ(Stored("Video B", kSettingsLogImagesKey), "2");

    TSetting loaded;
    PersistSettings(loaded, true, QString());
    ExpectSameSettings(loaded, saved);
}

TEST(SettingsPersistence, SavingReplacesTheImageListAndMergesNames)
{
    WriteRegistryString(kSettingsLogImagesKey, "Stale entry", "5");
    TSetting s;
    s.LogImages.Add(new TLogImage("Normal", 0));
    s.LogImages.Add(new TLogImage("Video A", 1));
    s.LogImages.Add(new TLogImage("Normal", 3));
    PersistSettings(s, false, QString());
    EXPECT_EQ(*ListRegistryNames(kSettingsLogImagesKey, false), QStringList({"Normal", "Video A"}));
    EXPECT_EQ(Stored("Normal", kSettingsLogImagesKey), "3") << "the last one written wins";

    TSetting loaded;
    PersistSettings(loaded, true, QString());
    ASSERT_EQ(loaded.LogImages.Count, 2);
    EXPECT_EQ(loaded.LogImages.At(0)->Name, "Normal");
    EXPECT_EQ(loaded.LogImages.At(0)->Type, 3);
}

TEST(SettingsPersistence, MarkerZeroMeansTheDefaults)
{
    TSetting saved = NonDefaultSettings();
    PersistSettings(saved, false, QString());
    WriteRegistryString(kSettingsKey, "", "0");
    TSetting loaded;
    PersistSettings(loaded, true, QString());
    ExpectSameSettings(loaded, TSetting());
}

TEST(SettingsPersistence, MissingValuesReadAsZeroUnlessCorrected)
{
    WriteRegistryString(kSettingsKey, "", "1");
    TSetting s;
    PersistSettings(s, true, QString());
    EXPECT_EQ(s.LogModes, 0);
    EXPECT_EQ(s.PassElev, 0);
    EXPECT_EQ(s.Duration, 0);
    EXPECT_DOUBLE_EQ(s.AOSPathLoss, 0.0);
    EXPECT_DOUBLE_EQ(s.FontSize, 0.0);
    EXPECT_EQ(s.FontName, "");
    EXPECT_EQ(s.Host, "");
    EXPECT_EQ(s.LogImages.Count, 0) << "no image key, no images";
    // The corrected fields keep their defaults; Validate mends the others.
    EXPECT_DOUBLE_EQ(s.Gamma, 1.15);
    EXPECT_EQ(s.Brightness, 130);
    EXPECT_EQ(s.Saturation, 180);
    EXPECT_EQ(s.Hue, 100);
    EXPECT_EQ(s.ThumbSize, 5);
    EXPECT_EQ(s.RawExt, ".gz");
    EXPECT_EQ(s.ImageExt, ".jpg") << "an empty extension takes the default format";
    EXPECT_EQ(s.Compression, 7);
    EXPECT_EQ(s.Quality, 75);
    EXPECT_EQ(s.ImageType, 6);
    EXPECT_EQ(s.Interlace, 1);
}

TEST(SettingsPersistence, StoredTextsLoadAsTheirNumbers)
{
    using Field = double (*)(const TSetting&);
    const Field gamma = [](const TSetting& s) { return s.Gamma; };
    const Field brightness = [](const TSetting& s) { return double(s.Brightness); };
    const Field saturation = [](const TSetting& s) { return double(s.Saturation); };
    const Field hue = [](const TSetting& s) { return double(s.Hue); };
    const Field fontSize = [](const TSetting& s) { return s.FontSize; };
    const Field passElev = [](const TSetting& s) { return double(s.PassElev); };
    const Field pathLoss = [](const TSetting& s) { return s.AOSPathLoss; };
    const Field quality = [](const TSetting& s) { return double(s.Quality); };
    const Field duration = [](const TSetting& s) { return double(s.Duration); };
    struct Case {
        const char* name;
        const char* stored;
        Field field;
        double expected;
    };
    const Case cases[] = {
        {"Gamma", "0", gamma, 1.15},          {"Gamma", "7.5", gamma, 5.0},
        {"Gamma", "2.5", gamma, 2.5},         {"Gamma", "abc", gamma, 1.15},
        {"Brightness", "450", brightness, 400}, {"Brightness", "-3", brightness, 100},
        {"Saturation", "0", saturation, 180}, {"Hue", "12abc", hue, 12},
        {"FontSize", "10", fontSize, 10.0},   {"FontSize", "10.7", fontSize, 10.0},
        {"PassElev", "abc", passElev, 0},     {"PassElev", " 45x", passElev, 45},
        {"AOSPathLoss", "140.25", pathLoss, 140.25},
        {"Quality", "4294967295", quality, 100},
        {"Duration", "99999999999", duration, 2147483647},
    };
    for (const Case& c : cases) {
        WriteRegistryString(kSettingsKey, "", "1");
        WriteRegistryString(kSettingsKey, "ImageExt", ".jpg");
        WriteRegistryString(kSettingsKey, c.name, c.stored);
        TSetting s;
        PersistSettings(s, true, QString());
        EXPECT_DOUBLE_EQ(c.field(s), c.expected) << c.name << " stored as \"" << c.stored << "\"";
        DeleteRegistryValues(kSettingsKey);
    }
}

// Qt takes the process locale from the environment; under a comma-decimal
// locale the stored floating values must still carry a point.
TEST(SettingsPersistence, CommaLocaleChangesNothingStored)
{
    const std::string previous = std::setlocale(LC_ALL, nullptr);
    if (!std::setlocale(LC_ALL, "de_DE.UTF-8"))
        SKIP_MISSING("de_DE.UTF-8 is not generated on this machine (scripts/setup-deps.sh makes it)");
    TSetting saved = NonDefaultSettings();
    saved.AOSPathLoss = 142.5;
    PersistSettings(saved, false, QString());
    EXPECT_EQ(Stored("AOSPathLoss"), "142.5");
    EXPECT_EQ(Stored("LowTempValue"), "-30.5");
    EXPECT_EQ(Stored("Gamma"), "2.25");
    TSetting loaded;
    PersistSettings(loaded, true, QString());
    std::setlocale(LC_ALL, previous.c_str());
    ExpectSameSettings(loaded, saved);
}

TEST(SettingsPersistence, EmptyWebLogValuesAndOldPlaceholdersReadBackAsNotSet)
{
    // An empty host, address and e-mail are saved and read back empty.
    TSetting fresh;
    PersistSettings(fresh, false, QString());
    TSetting empty;
    empty.Host = empty.LogURL = empty.Email = "x";
    PersistSettings(empty, true, QString());
    ExpectSameSettings(empty, fresh);

    // The made-up values earlier versions saved are not the user's; a user's
    // own values stay as they are.
    struct Case {
        const char *host, *logUrl, *email;
        bool placeholder;
    };
    const Case cases[] = {
        {"ftp.example.com", "http://www.example.com/apt/logs", "editor@example.com", true},
        {"ftp.example.com.au", "http://www.example.com/apt/logs/mine", "me@example.com", false},
    };
    for (const Case& c : cases) {
        WriteRegistryString(kSettingsKey, "Host", c.host);
        WriteRegistryString(kSettingsKey, "LogURL", c.logUrl);
        WriteRegistryString(kSettingsKey, "Email", c.email);
        TSetting read;
        PersistSettings(read, true, QString());
        EXPECT_EQ(read.Host, c.placeholder ? "" : c.host);
        EXPECT_EQ(read.LogURL, c.placeholder ? "" : c.logUrl);
        EXPECT_EQ(read.Email, c.placeholder ? "" : c.email);
    }
}
