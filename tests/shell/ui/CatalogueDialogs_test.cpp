// The orbit-data and satellite maintenance dialogs on a catalogue from the
// shared weather element file, with two groups; the Organize command's save
// on OK and reload on Cancel.
#include "orbit/Catalogue.h"
#include "orbit/Sat.h"
#include "orbit/ui/SatOrbDlg.h"
#include "orbit/ui/SatOrgDlg.h"
#include "shell/RegistryHelpers.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QApplication>
#include <QComboBox>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

namespace {

const char kElementFile[] = "tle/weather-2021-10-31-no-final-newline.txt";

struct CatalogueBench {
    explicit CatalogueBench(bool withGroups = true)
    {
        form = std::make_unique<TMainForm>();
        const QString path = testenv::SharedDataPath(kElementFile);
        if (path.isEmpty())
            return;
        FreeSatellites(form->SatelliteList);
        LoadTLEFile(path, QString(), QString(), &form->SatelliteList, nullptr);
        for (int i = 0; withGroups && i < form->SatelliteList.Count; ++i) {
            TSat* sat = static_cast<TSat*>(form->SatelliteList.Get(i));
            const QString name = QString::fromLatin1(sat->Name);
            sat->Group = name.startsWith("NOAA") ? "NOAA" : name.startsWith("METEOSAT") ? "Geo" : "";
        }
        form->SaveTLEFile(form->Folders().GetTLEFileName());
        loaded = true;
    }
    ~CatalogueBench() { form->close(); }

    // The organize dialog shown without its modal loop, as the command fills it.
    TSatOrgDlg& Organize()
    {
        SatOrgDlg->SatelliteList = &form->SatelliteList;
        form->FillGroupCombo(SatOrgDlg->GroupCb);
        SatOrgDlg->show();
        return *SatOrgDlg;
    }
    QStringList Listed(QListWidget* list) const
    {
        QStringList names;
        for (int i = 0; i < list->count(); ++i)
            names << list->item(i)->text();
        return names;
    }
    void Select(QListWidget* list, const QStringList& names) const
    {
        for (int i = 0; i < list->count(); ++i)
            list->item(i)->setSelected(names.contains(list->item(i)->text()));
    }
    QString GroupOf(const char* name) const { return FindSatellite(&form->SatelliteList, name)->Group; }

    ModalCatcher boxes;
    std::unique_ptr<TMainForm> form;
    bool loaded = false;
};

QStringList Items(const QComboBox* box)
{
    QStringList items;
    for (int i = 0; i < box->count(); ++i)
        items << box->itemText(i);
    return items;
}

}  // namespace

TEST(OrbitDataDialog, ListsByGroupAndKeepsItsColumnsAndGroup)
{
    WriteRegistryString("APT\\OrbitDialog", "Group", "Vanished");
    CatalogueBench bench(false);
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    QStringList groups, listed;
    QString inclination;
    QTimer::singleShot(100, [&] {
        groups = Items(SatOrbDlg->GroupCb);
        listed = bench.Listed(SatOrbDlg->SatList);
        SatOrbDlg->SatList->setCurrentItem(SatOrbDlg->SatList->findItems("NOAA 19", Qt::MatchExactly).first());
        inclination = SatOrbDlg->OrbGrid->item(6, 1)->text();
        SatOrbDlg->OrbGrid->setColumnWidth(0, 150);
        SatOrbDlg->reject();
    });
    bench.form->Orbitdata1Click();
    EXPECT_EQ(groups, QStringList({"Show all"})) << "a catalogue without groups, a stored group that is gone";
    EXPECT_EQ(listed.size(), bench.form->SatelliteList.Count);
    EXPECT_EQ(inclination.toStdString(), "99.1753 deg") << "NOAA 19's inclination";

    delete SatOrbDlg;
    SatOrbDlg = new TSatOrbDlg(bench.form.get());
    EXPECT_EQ(SatOrbDlg->OrbGrid->columnWidth(0), 150);
    EXPECT_EQ(ReadRegistryString("APT\\OrbitDialog", "Group").toStdString(), "Show all");
}

TEST(OrbitDataDialog, ShowsItsDataColumnWholeAtItsFirstSize)
{
    CatalogueBench bench(false);
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    QStringList cut;
    bool shown = false;
    int filled = 0;  // data cells checked, over both satellites
    // A timer of the test's own: when the command returns without showing the
    // dialog, the check never runs later on a test that has ended.
    QTimer check;
    check.setSingleShot(true);
    QObject::connect(&check, &QTimer::timeout, [&] {
        shown = QApplication::activeModalWidget() == SatOrbDlg;
        QTableWidget* grid = SatOrbDlg->OrbGrid;
        for (const char* name : {"NOAA 19", "METEOSAT-8 (MSG-1)"}) {
            const QList<QListWidgetItem*> items = SatOrbDlg->SatList->findItems(name, Qt::MatchExactly);
            if (items.isEmpty()) {
                cut << QString("%1: not listed").arg(name);
                continue;
            }
            SatOrbDlg->SatList->setCurrentItem(items.first());
            QApplication::processEvents();
            const int right = grid->columnViewportPosition(1) + grid->columnWidth(1);
            if (right > grid->viewport()->width())
                cut << QString("%1: the column ends at %2 of %3").arg(name).arg(right).arg(grid->viewport()->width());
            for (int row = 0; row < grid->rowCount(); ++row) {
                const QString text = grid->item(row, 1) ? grid->item(row, 1)->text() : QString();
                filled += !text.isEmpty();
                // The cell's text keeps a few pixels of margin on either side.
                if (grid->fontMetrics().horizontalAdvance(text) + 8 > grid->columnWidth(1))
                    cut << QString("%1: \"%2\"").arg(name, text);
            }
        }
        SatOrbDlg->reject();
    });
    check.start(100);
    bench.form->Orbitdata1Click();
    ASSERT_TRUE(shown) << "the command shows the dialog modally";
    // Every row of the grid holds a value for each satellite: an empty grid
    // has nothing that could be cut.
    EXPECT_GE(filled, 2 * 10) << "data cells filled for the two satellites";
    EXPECT_EQ(filled, 2 * SatOrbDlg->OrbGrid->rowCount()) << "every data cell filled";
    EXPECT_TRUE(cut.isEmpty()) << cut.join('\n').toStdString();
}

TEST(SatelliteMaintenance, ActionsAsTheyAreMeant)
{
    CatalogueBench bench;
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TSatOrgDlg& dialog = bench.Organize();
    const int all = bench.form->SatelliteList.Count;

    // Delete with nothing selected: nothing.
    dialog.DelSat->setChecked(true);
    dialog.ApplyBtnClick();
    EXPECT_EQ(bench.form->SatelliteList.Count, all);
    EXPECT_FALSE(dialog.Modified);

    // Move NOAA to NOAA, or to "Show all": nothing.
    dialog.GroupCb->setCurrentText("NOAA");
    bench.Select(dialog.SatList, {"NOAA 15"});
    dialog.MoveSatToGroup->setChecked(true);
    for (const char* target : {"NOAA", "Show all"}) {
        dialog.MoveToGroupCb->setCurrentText(target);
        dialog.ApplyBtnClick();
        EXPECT_FALSE(dialog.Modified) << target;
    }

    // A name the database cannot keep is refused with a box; nothing changes.
    for (const char* bad : {"[x", "[NOAA 19]"}) {
        const int boxes = bench.boxes.Texts.size();
        dialog.MoveToGroupCb->setCurrentText(bad);
        dialog.ApplyBtnClick();
        EXPECT_EQ(bench.boxes.Texts.size(), boxes + 1) << bad;
        EXPECT_EQ(bench.GroupOf("NOAA 15").toStdString(), "NOAA") << bad;
        EXPECT_FALSE(dialog.Modified) << bad;
    }

    // Move two to a new typed name: it joins both combo boxes.
    bench.Select(dialog.SatList, {"NOAA 15", "NOAA 18"});
    dialog.MoveToGroupCb->setCurrentText("Polar [APT]");
    dialog.ApplyBtnClick();
    EXPECT_TRUE(dialog.Modified);
    EXPECT_EQ(bench.GroupOf("NOAA 18").toStdString(), "Polar [APT]");
    EXPECT_FALSE(bench.Listed(dialog.SatList).contains("NOAA 18")) << "no longer in the group shown";
    EXPECT_TRUE(Items(dialog.GroupCb).contains("Polar [APT]"));
    EXPECT_TRUE(Items(dialog.MoveToGroupCb).contains("Polar [APT]"));

    // Rename to a blank name: the satellites have no group.
    dialog.RenGroup->setChecked(true);
    dialog.RenameGroupEdit->setText("   ");
    dialog.ApplyBtnClick();
    EXPECT_EQ(bench.GroupOf("NOAA 19").toStdString(), "");

    // Delete the last group shown: the one before is selected.
    dialog.GroupCb->setCurrentText("Polar [APT]");
    ASSERT_EQ(dialog.GroupCb->currentIndex(), dialog.GroupCb->count() - 1);
    const QString before = dialog.GroupCb->itemText(dialog.GroupCb->count() - 2);
    dialog.DelSatGroup->setChecked(true);
    dialog.ApplyBtnClick();
    EXPECT_EQ(dialog.GroupCb->currentText(), before);
    EXPECT_EQ(FindSatellite(&bench.form->SatelliteList, "NOAA 18"), nullptr);
    EXPECT_EQ(bench.form->SatelliteList.Count, all - 2);

    // The no-group selection empties blank groups and marks nothing.
    FindSatellite(&bench.form->SatelliteList, "NOAA 20")->Group = "  ";
    dialog.Modified = 0;
    dialog.ShowNoGroupRadio->setChecked(true);
    dialog.ApplyBtnClick();
    EXPECT_EQ(dialog.GroupCb->currentIndex(), 0);
    EXPECT_TRUE(bench.Listed(dialog.SatList).contains("NOAA 20"));
    EXPECT_TRUE(dialog.SatList->findItems("NOAA 20", Qt::MatchExactly).first()->isSelected());
    EXPECT_EQ(bench.GroupOf("NOAA 20").toStdString(), "");
    EXPECT_FALSE(dialog.Modified);
    dialog.hide();
}

TEST(SatelliteMaintenance, OkSavesTheCatalogueAndCancelReloadsIt)
{
    CatalogueBench bench;
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    const int all = bench.form->SatelliteList.Count;
    const auto organize = [&bench](bool ok, const std::function<void(TSatOrgDlg&)>& act) {
        QTimer::singleShot(100, [&bench, ok, act] {
            act(*SatOrgDlg);
            (ok ? SatOrgDlg->OkBtn : SatOrgDlg->CancelBtn)->click();
        });
        bench.form->Organize1Click();
    };
    const auto deleteNoaa19 = [&bench](TSatOrgDlg& dialog) {
        bench.Select(dialog.SatList, {"NOAA 19"});
        dialog.DelSat->setChecked(true);
        dialog.ApplyBtnClick();
    };

    organize(false, deleteNoaa19);
    EXPECT_EQ(bench.form->SatelliteList.Count, all) << "Cancel reloads from the files";
    EXPECT_EQ(bench.GroupOf("NOAA 19").toStdString(), "NOAA") << "with the database's groups";

    organize(true, [&](TSatOrgDlg& dialog) {
        deleteNoaa19(dialog);
        bench.Select(dialog.SatList, {"NOAA 15"});
        dialog.MoveSatToGroup->setChecked(true);
        dialog.MoveToGroupCb->setCurrentText("Polar [APT]");
        dialog.ApplyBtnClick();
    });
    TSatelliteList reloaded;
    LoadTLEFile(bench.form->Folders().GetTLEFileName(), bench.form->Folders().GetSatelliteDatabaseFileName(),
                QString(), &reloaded, nullptr);
    EXPECT_EQ(reloaded.Count, all - 1);
    EXPECT_EQ(FindSatellite(&reloaded, "NOAA 19"), nullptr);
    EXPECT_EQ(FindSatellite(&reloaded, "NOAA 15")->Group.toStdString(), "Polar [APT]");
    EXPECT_EQ(FindSatellite(&reloaded, "NOAA 18")->Group.toStdString(), "NOAA") << "its neighbour's entry intact";

    bench.form->StateFlags |= msRecording;
    const int boxes = bench.boxes.Texts.size();
    bench.form->Organize1Click();
    ASSERT_EQ(bench.boxes.Texts.size(), boxes + 1);
    EXPECT_EQ(bench.boxes.Texts.last().toStdString(), "Core can not be changed during a record.");
    EXPECT_FALSE(SatOrgDlg->isVisible());
    bench.form->StateFlags &= ~msRecording;
}

TEST(SatelliteMaintenance, AnEmptyCatalogueIsNamedBeforeARecording)
{
    CatalogueBench bench;
    FreeSatellites(bench.form->SatelliteList);
    bench.form->StateFlags |= msRecording;
    const int before = bench.boxes.Texts.size();
    bench.form->Organize1Click();
    ASSERT_EQ(bench.boxes.Texts.size(), before + 1);
    EXPECT_EQ(bench.boxes.Texts.last().toStdString(),
              "No satellites loaded. Select from the menu Satellite->Keplerian elements... to download!");
    EXPECT_FALSE(SatOrgDlg->isVisible());
    bench.form->StateFlags &= ~msRecording;
}
