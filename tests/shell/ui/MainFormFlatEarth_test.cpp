// The main window's "Flat Earth Monitor..." command and the transfer of the
// settings dialog into the flat-earth view.
#include "imaging/ui/ModalAnswer.h"
#include "maps/ui/BkSetupDialog.h"
#include "maps/ui/ScriptedChooser.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QButtonGroup>
#include <QCheckBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

const char Noaa18[] = "NOAA 18\n"
                      "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990\n"
                      "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778\n";
const char Noaa15[] = "NOAA 15\n"
                      "1 25338U 98030A   21304.76410651  .00000084  00000-0  53505-4 0  9995\n"
                      "2 25338  98.6711 331.9984 0009474 240.8500 119.1732 14.26066672220676\n";
const char Meteosat[] = "METEOSAT-8 (MSG-1)\n"
                        "1 27509U 02040B   21303.93619237  .00000147  00000-0  00000-0 0  9990\n"
                        "2 27509   7.6166  51.8133 0002046 165.1108 201.0645  1.00264333 70317\n";

QStringList Names(const PList& list)
{
    QStringList names;
    for (int i = 0; i < list.Count; ++i)
        names << QString::fromLatin1(static_cast<const TSat*>(list.Get(i))->Name);
    return names;
}

class MainFormFlatEarth : public ::testing::Test {
protected:
    void SetUp() override
    {
        qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
        {
            ModalCatcher boxes;
            form = std::make_unique<TMainForm>();
        }
        form->Station.Latitude = 52.5;
        form->Station.Longitude = -13.4;
        dialog = BkSetupDlg;
        ASSERT_NE(dialog, nullptr);
        dialog->Chooser = &chooser;
        picture = testenv::ProgramDir() + "earth.png";
        QImage image(36, 18, QImage::Format_RGB32);
        image.fill(Qt::darkBlue);
        ASSERT_TRUE(image.save(picture));
    }
    void LoadCatalogue(const QByteArray& sets)
    {
        const QString path = testenv::ProgramDir() + "sets.tle";
        QFile f(path);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(sets);
        f.close();
        int bad = 0, duplicates = 0;
        ModalCatcher boxes;
        form->LoadTLEFile(path, "", &bad, &duplicates, nullptr);
    }
    // Runs the command; act answers the dialog (it is not shown without it).
    QStringList RunCommand(std::function<void(TBkSetupDlg*)> act, int* shown = nullptr)
    {
        ModalCatcher boxes;
        ModalAnswer<TBkSetupDlg> answer(std::move(act));
        form->FlatEarthTracker1Click();
        if (shown)
            *shown = answer.Count;
        QStringList seen;
        for (int i = 0; i < boxes.Captions.size(); ++i)
            seen << boxes.Captions[i] + ": " + boxes.Texts[i];
        return seen;
    }

    std::unique_ptr<TMainForm> form;
    TBkSetupDlg* dialog = nullptr;
    ScriptedChooser chooser;
    QString picture;
};

}  // namespace

TEST_F(MainFormFlatEarth, NothingToOfferIsExplained)
{
    int shown = -1;
    EXPECT_EQ(RunCommand([](TBkSetupDlg* d) { d->reject(); }, &shown),
              QStringList{"Information: No satellites loaded. Select from the menu Satellite->Keplerian "
                          "elements... to download!"});
    EXPECT_EQ(shown, 0);
    LoadCatalogue(Meteosat);
    EXPECT_EQ(RunCommand([](TBkSetupDlg* d) { d->reject(); }, &shown),
              QStringList{"No APT satellite pass found over you!: You need to download and activate "
                          "APT-satellites..."});
    EXPECT_EQ(shown, 0);
}

TEST_F(MainFormFlatEarth, TheDialogShowsTheView)
{
    LoadCatalogue(QByteArray(Noaa18) + Noaa15 + Meteosat);
    TEarthView& view = *form->EarthView;
    view.Satellites.Add(new TSat(*TMainForm::FindSatellite(&form->SatelliteList, "NOAA 15")));
    view.Modes = evDayNight | evMoon | evFootprintsWhenUp;
    view.clSat = 0x00FF00;
    view.clNight = 0x400000;
    view.EarthImage = testenv::ProgramDir() + "gone.jpg";
    int shown = 0;
    RunCommand(
        [](TBkSetupDlg* d) {
            ASSERT_EQ(d->SatList->count(), 2) << "the geostationary satellite never passes";
            EXPECT_EQ(d->SatList->item(0)->text(), "NOAA 15");
            EXPECT_EQ(d->SatList->item(0)->checkState(), Qt::Checked);
            EXPECT_EQ(d->SatList->item(1)->text(), "NOAA 18");
            EXPECT_EQ(d->SatList->item(1)->checkState(), Qt::Unchecked);
            EXPECT_EQ(d->bkimage->text(), "") << "a missing picture is not offered";
            EXPECT_EQ(d->FootprintIndex(), 1);
            EXPECT_TRUE(d->ShowDayNightCb->isChecked());
            EXPECT_FALSE(d->ShowSunCb->isChecked());
            EXPECT_TRUE(d->ShowMoonCb->isChecked());
            EXPECT_EQ(d->clSat->Color(), 0x00FF00);
            EXPECT_EQ(d->clNight->Color(), 0x400000);
            EXPECT_EQ(d->ChangeFlags, 0);
            d->reject();
        },
        &shown);
    EXPECT_EQ(shown, 1);
    EXPECT_EQ(view.EarthImage, "");
}

TEST_F(MainFormFlatEarth, CancelOrOkWithoutChangeAppliesNothing)
{
    LoadCatalogue(QByteArray(Noaa18) + Noaa15);
    TEarthView& view = *form->EarthView;
    view.EarthImage = picture;
    const int modes = view.Modes;
    const struct {
        const char* name;
        std::function<void(TBkSetupDlg*)> act;
    } cases[] = {
        {"Cancel after changes", [](TBkSetupDlg* d) {
             d->ShowSunCb->click();
             d->SatList->item(0)->setCheckState(Qt::Checked);
             d->reject();
         }},
        {"OK without a change", [](TBkSetupDlg* d) { d->OKBtn->click(); }},
    };
    for (const auto& c : cases) {
        EXPECT_EQ(RunCommand(c.act), QStringList()) << c.name;
        EXPECT_EQ(view.Modes, modes) << c.name;
        EXPECT_EQ(view.Satellites.Count, 0) << c.name;
        EXPECT_EQ(view.EarthImage, picture) << c.name;
    }
}

TEST_F(MainFormFlatEarth, AMissingBackgroundIsReportedAndNothingApplied)
{
    LoadCatalogue(Noaa18);
    const int modes = form->EarthView->Modes;
    EXPECT_EQ(RunCommand([](TBkSetupDlg* d) {
                  d->ShowSunCb->click();
                  d->OKBtn->click();
              }),
              QStringList{"Background image Error: File not found!: "});
    EXPECT_EQ(form->EarthView->Modes, modes);
}

TEST_F(MainFormFlatEarth, WithoutAMonitorTheSettingsAreStored)
{
    LoadCatalogue(QByteArray(Noaa18) + Noaa15);
    TEarthView& view = *form->EarthView;
    view.Satellites.Add(new TSat(*TMainForm::FindSatellite(&form->SatelliteList, "NOAA 15")));
    chooser.Chosen = {picture};
    EXPECT_EQ(RunCommand([](TBkSetupDlg* d) {
                  d->SatList->item(0)->setCheckState(Qt::Unchecked);
                  d->SatList->item(1)->setCheckState(Qt::Checked);
                  d->FootprintGroup->button(0)->click();
                  d->ShowSunCb->setChecked(true);
                  d->ShowSunCb->click();  // off again: a change all the same
                  d->OpenBtnClick();
                  d->OKBtn->click();
              }),
              QStringList());
    EXPECT_EQ(view.EarthImage, picture);
    EXPECT_FALSE(view.IsReady()) << "loaded only when the monitor opens";
    EXPECT_EQ(view.Modes, evFootprintsAlways | evDayNight | evMoon);
    EXPECT_EQ(Names(view.Satellites), QStringList{"NOAA 18"});
    EXPECT_NE(view.Satellites.Get(0), TMainForm::FindSatellite(&form->SatelliteList, "NOAA 18")) << "a copy";
    EXPECT_EQ(ReadRegistryString("APT\\FlatEarth", "EarthImage"), picture) << "written on OK, not only at exit";
}

TEST_F(MainFormFlatEarth, ApplyLoadsTheBackgroundAndReportsAFailure)
{
    TEarthView& view = *form->EarthView;
    const QString damaged = testenv::ProgramDir() + "damaged.jpg";
    {
        QFile f(damaged);
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("no picture");
    }
    dialog->ChangeFlags = bkBackground;
    dialog->bkimage->setText(damaged);
    {
        ModalCatcher boxes;
        EXPECT_EQ(form->ApplyFlatEarthSettings(0x1), -1);
        EXPECT_TRUE(boxes.Captions.isEmpty()) << "quiet";
        EXPECT_EQ(form->ApplyFlatEarthSettings(0), -1);
        EXPECT_EQ(boxes.Captions, QStringList{"Failed to load the background map!"});
        EXPECT_EQ(boxes.Texts, QStringList{damaged});
    }
    dialog->bkimage->setText(picture);
    EXPECT_EQ(form->ApplyFlatEarthSettings(0), 1);
    EXPECT_TRUE(view.IsReady());
    EXPECT_EQ(view.GetMapSize(), QSize(36, 18));
    // With the view ready and no new picture, only the options are taken.
    dialog->ChangeFlags = bkOptions;
    dialog->SetFootprintIndex(2);
    dialog->ShowDayNightCb->setChecked(false);
    dialog->ShowSunCb->setChecked(true);
    dialog->ShowMoonCb->setChecked(false);
    dialog->bkimage->setText(damaged);
    EXPECT_EQ(form->ApplyFlatEarthSettings(0), 0);
    EXPECT_EQ(view.Modes, evSun);
    EXPECT_EQ(view.EarthImage, picture);
}

TEST_F(MainFormFlatEarth, TheViewHasTheMainWindowsIcons)
{
    const TEarthView& view = *form->EarthView;
    ASSERT_TRUE(view.SunIcon && view.MoonIcon && view.SatIcon);
    EXPECT_EQ(view.SunIcon->size(), QSize(32, 33));
    EXPECT_EQ(view.MoonIcon->size(), QSize(32, 32));
    EXPECT_EQ(view.SatIcon->size(), QSize(37, 26));
    EXPECT_EQ(view.SatIcon->pixel(0, 0), 0xFFFFFFFFu) << "white around the satellite";
    EXPECT_TRUE(form->FlatEarthTracker1->isEnabled());
}
