// The Flat Earth Monitor's settings dialog: what each control records in
// ChangeFlags, the image chooser and the placement.
#include "imaging/ui/FolderLists.h"
#include "imaging/ui/ModalAnswer.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "maps/FlatEarthPersistence.h"
#include "maps/ui/BkSetupDialog.h"
#include "maps/ui/ScriptedChooser.h"
#include "shell/RegistryHelpers.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAbstractButton>
#include <QButtonGroup>
#include <QCheckBox>
#include <QColorDialog>
#include <QComboBox>
#include <QDir>
#include <QImage>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>
#include <functional>

namespace {

class BkSetupDialogTest : public ::testing::Test {
protected:
    void SetUp() override
    {
        dialog.SatList->addItem("NOAA 18");
        dialog.SatList->item(0)->setFlags(dialog.SatList->item(0)->flags() | Qt::ItemIsUserCheckable);
        dialog.SatList->item(0)->setCheckState(Qt::Unchecked);
        dialog.clSat->SetColor(0xFFFF);
        dialog.clNight->SetColor(0xFF0000);
        dialog.bkimage->setText("/maps/old.jpg");
        dialog.Chooser = &chooser;
        dialog.show();
    }
    void TearDown() override { dialog.hide(); }

    TBkSetupDlg dialog;
    ScriptedChooser chooser;
};

}  // namespace

TEST_F(BkSetupDialogTest, EachControlRecordsItsChange)
{
    const QString picture = testenv::ProgramDir() + "earth.png";
    const struct {
        const char* name;
        std::function<void(TBkSetupDlg&)> act;
        int flags;
    } cases[] = {
        {"satellite checked", [](TBkSetupDlg& d) { d.SatList->item(0)->setCheckState(Qt::Checked); }, bkSatellites},
        {"footprint always", [](TBkSetupDlg& d) { d.FootprintGroup->button(0)->click(); }, bkOptions},
        {"footprint when up", [](TBkSetupDlg& d) { d.FootprintGroup->button(1)->click(); }, bkOptions},
        {"no footprint", [](TBkSetupDlg& d) { d.FootprintGroup->button(2)->click(); }, bkOptions},
        {"day and night", [](TBkSetupDlg& d) { d.ShowDayNightCb->click(); }, bkOptions},
        {"sun", [](TBkSetupDlg& d) { d.ShowSunCb->click(); }, bkOptions},
        {"moon", [](TBkSetupDlg& d) { d.ShowMoonCb->click(); }, bkOptions},
        {"moon toggled twice", [](TBkSetupDlg& d) { d.ShowMoonCb->click(); d.ShowMoonCb->click(); }, bkOptions},
        {"a colour chosen", [](TBkSetupDlg& d) {
             ModalAnswer<QColorDialog> answer([](QColorDialog* c) { c->setCurrentColor(QColor(1, 2, 3)); c->accept(); });
             d.ColorClick(d.clSat);
         }, bkOptions},
        {"the colour dialog cancelled", [](TBkSetupDlg& d) {
             ModalAnswer<QColorDialog> answer([](QColorDialog* c) { c->reject(); });
             d.ColorClick(d.clNight);
         }, 0},
        {"a colour click from something else", [](TBkSetupDlg& d) { d.ColorClick(d.OKBtn); }, 0},
        {"a background chosen", [&](TBkSetupDlg& d) {
             chooser.Chosen = {picture};
             d.OpenBtnClick();
         }, bkBackground},
    };
    for (const auto& c : cases) {
        dialog.FormShow();
        c.act(dialog);
        EXPECT_EQ(dialog.ChangeFlags, c.flags) << c.name;
    }
    EXPECT_EQ(dialog.clSat->Color(), 0x030201) << "the chosen colour, as 0x00BBGGRR";
    EXPECT_EQ(dialog.clNight->Color(), 0xFF0000) << "unchanged after Cancel";
    EXPECT_EQ(dialog.bkimage->text(), picture);
    EXPECT_EQ(chooser.windowTitle(), "Open a flat-earth-map image");

    // Every showing starts without changes.
    dialog.hide();
    dialog.show();
    EXPECT_EQ(dialog.ChangeFlags, 0);
}

TEST_F(BkSetupDialogTest, ChooserWithoutAFile)
{
    chooser.Result = QDialog::Rejected;
    dialog.OpenBtnClick();
    EXPECT_EQ(dialog.bkimage->text(), "/maps/old.jpg") << "nothing chosen: the path stays";
    EXPECT_EQ(dialog.ChangeFlags, 0);

    chooser.Result = QDialog::Accepted;
    chooser.Chosen.clear();
    ModalCatcher boxes;
    dialog.OpenBtnClick();
    EXPECT_EQ(dialog.bkimage->text(), "") << "no valid file: the path is emptied";
    EXPECT_EQ(dialog.ChangeFlags, 0);
    EXPECT_EQ(boxes.Texts, QStringList{"No valid filename found!"});
}

TEST_F(BkSetupDialogTest, TheProgramsChooserPicksAPicture)
{
    QDir().mkpath(testenv::ProgramDir() + "maps");
    const QString picture = testenv::ProgramDir() + "maps/earth.png";
    QImage image(36, 18, QImage::Format_RGB32);
    image.fill(Qt::blue);
    ASSERT_TRUE(image.save(picture));
    dialog.bkimage->setText(picture);
    TOpenMagickImageDlg real;
    dialog.Chooser = &real;
    ModalAnswer<TOpenMagickImageDlg> answer([](TOpenMagickImageDlg* d) {
        EXPECT_FALSE(d->FileLB->MultiSelect());
        d->OKBtn->click();
    });
    dialog.OpenBtnClick();
    ASSERT_EQ(answer.Count, 1);
    EXPECT_EQ(dialog.bkimage->text(), picture) << "the current picture was selected and taken";
    EXPECT_EQ(dialog.ChangeFlags, bkBackground);
}

TEST(BkSetupDialog, PlacementIsKept)
{
    {
        TBkSetupDlg dialog;
        EXPECT_EQ(dialog.windowTitle(), "Daru Zuvid Izodivi settings");
        EXPECT_EQ(dialog.size(), QSize(540, 370));
        EXPECT_EQ(BkSetupDlg, &dialog);
        dialog.resize(600, 400);
    }
    EXPECT_EQ(BkSetupDlg, nullptr);
    EXPECT_FALSE(ReadRegistryString(kFlatEarthKey, "wAttr").isEmpty());
    TBkSetupDlg again;
    EXPECT_EQ(again.size(), QSize(600, 400));
}
