// The flat-earth view's data under "APT\FlatEarth" and its satellite file.
#include "maps/FlatEarthPersistence.h"
#include "orbit/Catalogue.h"
#include "shell/RegistryHelpers.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

struct Set {
    const char* name;
    const char* line1;
    const char* line2;
    bool apt;
};
const Set Sets[] = {
    {"NOAA 15", "1 25338U 98030A   21304.76410651  .00000084  00000-0  53505-4 0  9995",
     "2 25338  98.6711 331.9984 0009474 240.8500 119.1732 14.26066672220676", false},
    {"NOAA 18", "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
     "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778", true},
    {"METEOSAT-8 (MSG-1)", "1 27509U 02040B   21303.93619237  .00000147  00000-0  00000-0 0  9990",
     "2 27509   7.6166  51.8133 0002046 165.1108 201.0645  1.00264333 70317", true},
};

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

void WriteAll(const QString& path, const QByteArray& data)
{
    QDir().mkpath(path.section('/', 0, -2));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

QStringList Names(const PList& list)
{
    QStringList names;
    for (int i = 0; i < list.Count; ++i)
        names << QString::fromLatin1(static_cast<TSat*>(list.Get(i))->Name);
    return names;
}

class FlatEarthPersistence : public ::testing::Test {
protected:
    void SetUp() override
    {
        for (const Set& s : Sets) {
            auto* sat = new TSat;
            char name[32];
            std::snprintf(name, sizeof name, "%s", s.name);
            ASSERT_TRUE(sat->ParseTLE(name, s.line1, s.line2));
            sat->APTSatellite = s.apt;
            catalogue.Add(sat);
        }
        station.Latitude = 52.5;
    }

    QString DefaultImage() const { return files.TemplateDir + "/" + kDefaultEarthImage; }

    TSatelliteList catalogue;
    TStation station;
    TFlatEarthFiles files{testenv::ProgramDir() + "config/flatearth.txt",
                          testenv::ProgramDir() + "templates/flatearth"};
};

}  // namespace

TEST_F(FlatEarthPersistence, NeverSavedShowsTheRisingAptSatellites)
{
    WriteAll(DefaultImage(), "jpeg");
    WriteAll(files.SatelliteFile, "[Satellites]\nNOAA 15\n");  // not read before a save
    TEarthView view;
    ASSERT_TRUE(PersistFlatEarth(view, true, station, &catalogue, files));
    EXPECT_EQ(view.Modes, 0x17);
    EXPECT_EQ(view.clNight, 0xFF0000);
    EXPECT_EQ(view.clSat, 0xFFFF);
    EXPECT_EQ(view.EarthImage, DefaultImage());
    // NOAA 15 is no APT satellite here; Meteosat 8 is geostationary.
    EXPECT_EQ(Names(view.Satellites), QStringList{"NOAA 18"});
    EXPECT_NE(view.Satellites.Get(0), catalogue.Get(1)) << "the view holds its own copy";

    TEarthView withoutPicture;
    QFile::remove(DefaultImage());
    PersistFlatEarth(withoutPicture, true, station, &catalogue, files);
    EXPECT_EQ(withoutPicture.EarthImage, "");
}

TEST_F(FlatEarthPersistence, SavedValuesAndTheSatelliteFile)
{
    TEarthView saved;
    saved.Modes = 0x1 | 0x8;
    saved.clNight = 0x123456;
    saved.clSat = 0x654321;
    saved.EarthImage = testenv::ProgramDir() + "mine.jpg";
    WriteAll(saved.EarthImage, "jpeg");
    saved.Satellites.Add(new TSat(*static_cast<TSat*>(catalogue.Get(2))));
    saved.Satellites.Add(new TSat(*static_cast<TSat*>(catalogue.Get(0))));
    ASSERT_TRUE(PersistFlatEarth(saved, false, station, &catalogue, files));
    EXPECT_EQ(ReadAll(files.SatelliteFile), "[Satellites]\nMETEOSAT-8 (MSG-1)\nNOAA 15\n");

    TEarthView loaded;
    ASSERT_TRUE(PersistFlatEarth(loaded, true, station, &catalogue, files));
    EXPECT_EQ(loaded.Modes, 0x9);
    EXPECT_EQ(loaded.clNight, 0x123456);
    EXPECT_EQ(loaded.clSat, 0x654321);
    EXPECT_EQ(loaded.EarthImage, saved.EarthImage);
    EXPECT_EQ(Names(loaded.Satellites), QStringList({"METEOSAT-8 (MSG-1)", "NOAA 15"}));

    // A picture that was deleted gives way to the default, when that exists.
    QFile::remove(saved.EarthImage);
    TEarthView stale;
    PersistFlatEarth(stale, true, station, &catalogue, files);
    EXPECT_EQ(stale.EarthImage, saved.EarthImage) << "no default: the stale path is kept";
    WriteAll(DefaultImage(), "jpeg");
    TEarthView replaced;
    PersistFlatEarth(replaced, true, station, &catalogue, files);
    EXPECT_EQ(replaced.EarthImage, DefaultImage());
}

TEST_F(FlatEarthPersistence, ReaderTakesKnownNamesUpToTheNextSection)
{
    WriteRegistryString(kFlatEarthKey, "", "1");
    WriteAll(files.SatelliteFile,
             "junk\r\n[Satellites]\r\nNOAA 15\r\n\r\nNOAA 99\r\nnoaa 18\r\n[Other]\r\nNOAA 18\r\n");
    TEarthView view;
    PersistFlatEarth(view, true, station, &catalogue, files);
    EXPECT_EQ(Names(view.Satellites), QStringList{"NOAA 15"});

    for (const QByteArray& content : {QByteArray("NOAA 15\n"), QByteArray("[Satellites] \nNOAA 15\n")}) {
        WriteAll(files.SatelliteFile, content);
        TEarthView none;
        PersistFlatEarth(none, true, station, &catalogue, files);
        EXPECT_EQ(none.Satellites.Count, 0) << "no \"[Satellites]\" line: " << content.toStdString();
    }
    // Each satellite once, however often the file lists it.
    WriteAll(files.SatelliteFile, "[Satellites]\n" + QByteArray("NOAA 15\nNOAA 18\n").repeated(1000));
    TEarthView repeated;
    PersistFlatEarth(repeated, true, station, &catalogue, files);
    EXPECT_EQ(Names(repeated.Satellites), (QStringList{"NOAA 15", "NOAA 18"}));

    QFile::remove(files.SatelliteFile);
    TEarthView missing;
    PersistFlatEarth(missing, true, station, &catalogue, files);
    EXPECT_EQ(missing.Satellites.Count, 0);
}

TEST_F(FlatEarthPersistence, AnEmptyListIsSavedTooAndWriteFailuresReported)
{
    WriteAll(files.SatelliteFile, "[Satellites]\nNOAA 15\n");
    TEarthView empty;
    ASSERT_TRUE(PersistFlatEarth(empty, false, station, &catalogue, files));
    EXPECT_EQ(ReadAll(files.SatelliteFile), "[Satellites]\n") << "removed satellites stay removed";
    TEarthView loaded;
    PersistFlatEarth(loaded, true, station, &catalogue, files);
    EXPECT_EQ(loaded.Satellites.Count, 0);

    WriteAll(testenv::ProgramDir() + "blocker", "x");
    TFlatEarthFiles blocked = files;
    blocked.SatelliteFile = testenv::ProgramDir() + "blocker/flatearth.txt";
    QString error;
    EXPECT_FALSE(PersistFlatEarth(empty, false, station, &catalogue, blocked, &error));
    EXPECT_TRUE(error.contains("blocker")) << error.toStdString();
}
