// The main window's records: loaded and saved through its members, with
// failures shown to the user.
#include "orbit/PassInfoFile.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>

namespace {

void WriteAll(const QString& path, const QByteArray& data)
{
    QDir().mkpath(path.section('/', 0, -2));
    QFile f(path);
    ASSERT_TRUE(f.open(QIODevice::WriteOnly | QIODevice::Truncate));
    f.write(data);
}

const char Noaa18[] = "NOAA 18\n"
                      "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990\n"
                      "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778\n";

}  // namespace

TEST(MainFormRecords, RecordsCatalogueAndPassInformation)
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    TMainForm form;
    boxes.Captions.clear();
    boxes.Texts.clear();

    // A missing element file is explained; a damaged one shows what was skipped.
    const QString tle = form.Folders().GetTLEFileName();
    int bad = -1, duplicates = -1;
    EXPECT_EQ(form.LoadTLEFile(tle, "", &bad, &duplicates, nullptr), 0);
    ASSERT_EQ(boxes.Captions.size(), 1);
    EXPECT_EQ(boxes.Captions[0], "Information");
    EXPECT_EQ(boxes.Texts[0], tle + " Doesn't exist!\nSelect from the menu Satellite->Keplerian "
                                    "elements... to download the most recent!");
    WriteAll(tle, QByteArray(Noaa18) + "BROKEN\n1 x\n");
    EXPECT_EQ(form.LoadTLEFile(tle, "Weather", &bad, &duplicates, nullptr), 1);
    EXPECT_EQ(bad, 1);
    ASSERT_EQ(boxes.Captions.size(), 2);
    EXPECT_TRUE(boxes.Texts[1].startsWith("Damaged lines were skipped:\n")) << boxes.Texts[1].toStdString();
    TSat* sat = TMainForm::FindSatellite(&form.SatelliteList, "NOAA 18");
    ASSERT_NE(sat, nullptr);
    sat->APTSatellite = 1;
    form.SaveTLEFile(tle);
    EXPECT_TRUE(QFile::exists(form.Folders().GetSatelliteDatabaseFileName()));

    // The records round-trip through the registry.
    form.Station.Name = "Roof";
    form.Station.Latitude = 52.52;
    form.Station.Longitude = -13.4;
    form.Rig->Radio = 2;
    form.SwathProps->Scale = 7;
    form.EarthView->Satellites.Add(new TSat(*sat));
    form.PersistStation(false);
    form.PersistRig(false);
    form.PersistSwathView(false);
    form.PersistFlatEarth(false);
    form.Station = TStation();
    form.PersistStation(true);
    EXPECT_EQ(form.Station.Name, "Roof");
    EXPECT_EQ(form.Station.Latitude, 52.52);
    form.PersistRig(true);
    EXPECT_EQ(form.Rig->BaudRate, 6);
    form.PersistSwathView(true);
    EXPECT_EQ(form.SwathProps->Scale, 7);
    EXPECT_EQ(form.SwathProps->MapDir, form.Folders().GetMapsDir());
    form.EarthView->ClearSatellites();
    form.PersistFlatEarth(true);
    ASSERT_EQ(form.EarthView->Satellites.Count, 1);

    // The pass-information file goes beside the recording, named after it.
    sat->WindowStart = 15280.5;
    sat->WindowStop = 15280.51;
    const QString audio = testenv::ProgramDir() + "audio";
    ASSERT_TRUE(form.SavePassInfo(sat, audio, 1));
    EXPECT_EQ(sat->FileBaseName, "211031_120000_NOAA_18");
    QFile written(audio + "/211031_120000_NOAA_18.txt");
    ASSERT_TRUE(written.open(QIODevice::ReadOnly));
    EXPECT_TRUE(written.readAll().contains("\n[Station]\nRoof\n52.52\n-13.4\n0\n"));
    EXPECT_EQ(boxes.Captions.size(), 2) << "nothing else went wrong";
}
