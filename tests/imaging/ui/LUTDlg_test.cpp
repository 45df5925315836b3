#include "../PassFixtures.h"
#include "MainFormFixture.h"
#include "ModalAnswer.h"
#include "imaging/ui/FolderLists.h"
#include "imaging/ui/LUTDlg.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "platform/ProgramFolder.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MagickImage.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QLineEdit>
#include <QMouseEvent>
#include <QPushButton>
#include <QToolButton>
#include <gtest/gtest.h>
#include <memory>

namespace {

const char kKey[] = "APT\\LUTTables";
const char* const kShipped[4] = {"test_fcab.jpg", "test_fc24.jpg", "test_fc24cold.jpg", "test_irlow.png"};

QString LUTDir() { return testenv::ProgramDir() + "config/lut"; }

void InstallTables()
{
    ASSERT_TRUE(programfolder::InstallShippedFiles(programfolder::ShippedFilesFolder()).isEmpty());
}

QStringList Rows(const TLUTDlg& dlg)
{
    return {dlg.FC_AB_ed->text(), dlg.FC_24_ed->text(), dlg.FC_ExtremeLowTemps_ed->text(),
            dlg.IR_ExtremeLowTemps_ed->text(), dlg.FC_IR_ed->text()};
}

void HoverOver(QWidget* control)
{
    QMouseEvent move(QEvent::MouseMove, QPointF(3, 3), control->mapToGlobal(QPointF(3, 3)), Qt::NoButton,
                     Qt::NoButton, Qt::NoModifier);
    QApplication::sendEvent(control, &move);
}

}  // namespace

TEST(LUTDlg, FirstStartTakesTheShippedTablesThatExistAndTheEndSavesTheRows)
{
    InstallTables();
    struct Case {
        const char* name;
        bool shippedPresent;
    };
    for (const Case& c : {Case{"with the shipped tables", true}, Case{"with an empty table folder", false}}) {
        WriteRegistryString(kKey, QString(), QString());  // no saved record
        if (!c.shippedPresent)
            for (const char* name : kShipped)
                QFile::remove(LUTDir() + "/" + name);
        QStringList expected;
        for (const char* name : kShipped)
            expected << (c.shippedPresent ? LUTDir() + "/" + name : QString());
        expected << QString();
        {
            TLUTDlg dlg;
            EXPECT_EQ(Rows(dlg), expected) << c.name;
            EXPECT_EQ(LUTDlg, &dlg);
        }
        EXPECT_EQ(LUTDlg, nullptr);
        EXPECT_EQ(ReadRegistryString(kKey, QString()), "1") << c.name;
        const char* values[] = {"FC_AB", "FC_24", "FC_ExtremeLowTemps", "IR_ExtremeLowTemps", "FC_IR"};
        for (int i = 0; i < 5; ++i)
            EXPECT_EQ(ReadRegistryString(kKey, values[i]), expected[i]) << c.name << " " << values[i];
    }
}

TEST(LUTDlg, ASavedRecordIsTakenAsItStandsAndFCIRIsServedForTheRun)
{
    InstallTables();
    const QString irTable = LUTDir() + "/my_ir.png";
    ASSERT_TRUE(QFile::copy(LUTDir() + "/test_irlow.png", irTable));
    WriteRegistryString(kKey, QString(), "1");
    WriteRegistryString(kKey, "FC_AB", "/nowhere/gone.png");
    WriteRegistryString(kKey, "FC_24", LUTDir() + "/test_fc24.jpg");
    WriteRegistryString(kKey, "FC_IR", irTable);
    auto form = MakeMainForm();
    {
        TLUTDlg dlg;
        EXPECT_EQ(Rows(dlg), (QStringList{"/nowhere/gone.png", LUTDir() + "/test_fc24.jpg", "", "", irTable}));
        EXPECT_FALSE(dlg.FC_IR_ed->isEnabled()) << "the IR false-colour row stays disabled";
        EXPECT_EQ(form->GetLUTFileName(8), irTable) << "the hand-set row serves view 8";
        EXPECT_EQ(form->GetLUTFileName(4), LUTDir() + "/test_fc24.jpg");
        EXPECT_EQ(form->GetLUTFileName(3), "") << "a row whose file is missing";
        EXPECT_EQ(form->GetLUTFileName(6), "") << "view 6 has no table";
        EXPECT_EQ(form->GetLUTFileName(0), "");

        // The rows are the running choice: a change serves at once, and a
        // deleted file no longer does.
        dlg.SetLUTFileName(5, LUTDir() + "/test_fc24cold.jpg");
        dlg.SetLUTFileName(6, LUTDir() + "/test_fcab.jpg");  // no row: nothing
        EXPECT_EQ(form->GetLUTFileName(5), LUTDir() + "/test_fc24cold.jpg");
        EXPECT_EQ(Rows(dlg).count(LUTDir() + "/test_fcab.jpg"), 0);
        ASSERT_TRUE(QFile::remove(LUTDir() + "/test_fc24cold.jpg"));
        EXPECT_EQ(form->GetLUTFileName(5), "");
    }
    EXPECT_EQ(ReadRegistryString(kKey, "FC_IR"), "") << "written empty at the end";
    EXPECT_EQ(ReadRegistryString(kKey, "FC_AB"), "/nowhere/gone.png");
    EXPECT_EQ(ReadRegistryString(kKey, "FC_ExtremeLowTemps"), LUTDir() + "/test_fc24cold.jpg");
}

TEST(LUTDlg, RowsByTag)
{
    InstallTables();
    TLUTDlg dlg;
    struct Case {
        int tag;
        int view;
        QLineEdit* edit;
    };
    const Case cases[] = {{0, 3, dlg.FC_AB_ed}, {1, 4, dlg.FC_24_ed}, {2, 5, dlg.FC_ExtremeLowTemps_ed},
                          {3, 7, dlg.IR_ExtremeLowTemps_ed}, {4, 8, dlg.FC_IR_ed}};
    for (const Case& c : cases) {
        EXPECT_EQ(TLUTDlg::RowView(c.tag), c.view);
        EXPECT_EQ(dlg.RowEdit(dlg.OpenBtn[c.tag]), c.edit);
        EXPECT_EQ(dlg.RowEdit(dlg.PreviewBtn[c.tag]), c.edit);
        EXPECT_EQ(dlg.RowEdit(dlg.EditLUTBtn[c.tag]), c.edit);
        EXPECT_EQ(dlg.RowEdit(c.edit), c.edit);
        EXPECT_EQ(dlg.OpenBtn[c.tag]->objectName(), QString("OpenBtn%1").arg(c.tag + 1));
    }
    EXPECT_EQ(TLUTDlg::RowView(5), -1);
    EXPECT_EQ(TLUTDlg::RowView(-1), -1);
    EXPECT_EQ(dlg.RowEdit(dlg.OKBtn), nullptr);
    EXPECT_EQ(dlg.RowEdit(dlg.LowTempValue), nullptr);
}

TEST(LUTDlg, TheTableUnderTheMouseIsShown)
{
    InstallTables();
    TLUTDlg dlg;
    dlg.show();
    EXPECT_EQ(dlg.MagickImage->FileName(), dlg.FC_AB_ed->text()) << "the first row's table when shown";
    HoverOver(dlg.IR_ExtremeLowTemps_ed);
    EXPECT_EQ(dlg.MagickImage->FileName(), LUTDir() + "/test_irlow.png");
    EXPECT_EQ(dlg.MagickImage->GetBitmap().size(), QSize(100, 256));
    HoverOver(dlg.PreviewBtn[1]);
    EXPECT_EQ(dlg.MagickImage->FileName(), LUTDir() + "/test_fc24.jpg");
    dlg.FC_24_ed->setText(LUTDir() + "/missing.png");
    HoverOver(dlg.FC_24_ed);
    EXPECT_TRUE(dlg.MagickImage->GetBitmap().isNull()) << "a missing file shows nothing";
}

TEST(LUTDlg, PreviewRendersTheWindowInTheRowsViewOrEmptiesAVanishedRow)
{
    InstallTables();
    auto form = MakeMainForm();
    TLUTDlg dlg;
    dlg.show();
    for (int tag = 0; tag < 5; ++tag)
        EXPECT_FALSE(dlg.PreviewBtn[tag]->isEnabled()) << "no image window: no preview";
    dlg.hide();

    TMDIChild child;
    passfixture::FillCompletePass(*child.APT, passfixture::CalibratedPass(400));
    child.show();
    ASSERT_TRUE(child.ShowView(ivNormal, 0));
    dlg.ImageWindow = &child;
    dlg.show();
    for (int tag = 0; tag < 4; ++tag)
        EXPECT_TRUE(dlg.PreviewBtn[tag]->isEnabled()) << tag;
    EXPECT_FALSE(dlg.PreviewBtn[4]->isEnabled()) << "the IR false-colour row stays disabled";

    dlg.PreviewBtn[0]->click();
    EXPECT_EQ(child.View, ivFalseColour);
    dlg.PreviewBtn[3]->click();
    EXPECT_EQ(child.View, ivIRLowTemp);

    ASSERT_TRUE(QFile::remove(LUTDir() + "/test_fc24.jpg"));
    {
        ModalCatcher boxes;
        dlg.PreviewBtn[1]->click();
        EXPECT_TRUE(boxes.Captions.isEmpty());
    }
    EXPECT_EQ(dlg.FC_24_ed->text(), "") << "the vanished file's row is emptied";
    EXPECT_EQ(child.View, ivIRLowTemp) << "nothing rendered";
}

TEST(LUTDlg, BrowsingFromAVanishedFileStartsInTheTableFolder)
{
    InstallTables();
    TLUTDlg dlg;
    const QString gone = LUTDir() + "/gone.png";
    dlg.FC_24_ed->setText(gone);
    QString folder, filter, caption;
    {
        ModalAnswer<TOpenMagickImageDlg> cancel([&](TOpenMagickImageDlg* dialog) {
            folder = dialog->DirectoryLB->Directory();
            filter = dialog->FilterCB->currentText();
            caption = dialog->windowTitle();
            dialog->reject();
        });
        dlg.OpenBtn[1]->click();
        EXPECT_EQ(cancel.Count, 1);
    }
    EXPECT_EQ(QDir(folder).canonicalPath(), QDir(LUTDir()).canonicalPath());
    EXPECT_EQ(filter, "All Files (*.*)");
    EXPECT_EQ(caption, "Open Colour Look-Up-Table");
    EXPECT_EQ(dlg.FC_24_ed->text(), gone) << "cancelled: the row stays";

    const QString chosen = LUTDir() + "/test_irlow.png";
    ModalAnswer<TOpenMagickImageDlg> choose([&](TOpenMagickImageDlg* dialog) {
        dialog->FileNameCB->setEditText(chosen);
        dialog->accept();
    });
    dlg.OpenBtn[1]->click();
    EXPECT_EQ(dlg.FC_24_ed->text(), chosen);
    EXPECT_EQ(dlg.MagickImage->FileName(), chosen);
}
