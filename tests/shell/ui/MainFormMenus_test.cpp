#include "imaging/ui/MDIChild.h"
#include "orbit/Sat.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <gtest/gtest.h>
#include <memory>

namespace {

std::unique_ptr<TMainForm> MakeMainForm()
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    auto form = std::make_unique<TMainForm>();
    form->show();
    return form;
}

struct Item {
    const char* name;     // object name; "-" a separator
    const char* caption;
    const char* hint;
    bool enabled;         // enabled once its command is bound
};

// The items of a menu as name/caption/hint/enabled rows, separators as "-".
std::vector<std::tuple<QString, QString, QString, bool>> Rows(const QMenu* menu)
{
    std::vector<std::tuple<QString, QString, QString, bool>> rows;
    for (const QAction* action : menu->actions()) {
        if (action->isSeparator())
            rows.emplace_back("-", "", "", false);
        else
            rows.emplace_back(action->objectName(), action->text(), action->statusTip(), action->isEnabled());
    }
    return rows;
}

void ExpectMenu(const QMenu* menu, std::initializer_list<Item> items)
{
    ASSERT_NE(menu, nullptr);
    const auto rows = Rows(menu);
    ASSERT_EQ(rows.size(), items.size()) << menu->objectName().toStdString();
    size_t i = 0;
    for (const Item& item : items) {
        const auto& [name, caption, hint, enabled] = rows[i++];
        EXPECT_EQ(name, item.name) << "item " << i << " of " << menu->objectName().toStdString();
        if (QString(item.name) == "-")
            continue;
        EXPECT_EQ(caption, item.caption) << item.name;
        EXPECT_EQ(hint, item.hint) << item.name;
        EXPECT_EQ(enabled, item.enabled) << item.name;
    }
}

QStringList MenuBarTitles(TMainForm& form)
{
    QStringList titles;
    for (QAction* action : form.menuBar()->actions())
        titles << action->text();
    return titles;
}

}  // namespace

TEST(MainFormMenus, EveryItemHasItsCaptionHintAndState)
{
    auto form = MakeMainForm();
    ExpectMenu(form->Satellete1,
               {{"Passlist1", "Pass list...", "Predict satellite passes over your station", true},
                {"Track1", "Track...", "Track satellites", true},
                {"PredictAPTfootprintowerlaps1", "Predict APT footprint overlaps...", "Predict footprint overlaps", true},
                {"-", "", "", false},
                {"Keplerianelements1", "Keplerian elements...", "Update satellite orbit element sets", true},
                {"ActiveAPTsatellites1", "Active APT satellites...", "Activate APT-satellites and set downlink frequency",
                 true},
                {"Orbitdata1", "Orbit data...", "Display element set orbit data", true},
                {"Organize1", "Organize...", "Organize your satellite database", true}});
    ExpectMenu(form->Settings1,
               {{"Recordingandlogging1", "General settings...",
                 "Control recording, recording start/stop, logging, image annotaion and radio", true},
                {"-", "", "", false},
                {"Groundstation1", "Ground station....", "Edit ground station information.", true},
                {"ColorLookupTables1", "Color lookup tables...", "Setup colour lookup tables", true},
                {"-", "", "", false},
                {"FlatEarthTracker1", "Flat Earth Monitor...", "Properties for the Flat Earth Monitor", true},
                {"SwathViewer1", "Swath Viewer...", "", true}});
    ExpectMenu(form->Tools1,
               {{"Checktime1", "Check time...", "Check and sync your system clock", true},
                {"ColorLookUpTableEditor1", "Color Lookup Table Editor...", "Edit/Create a colour lookup table", true},
                {"-", "", "", false},
                {"FlatEarthTracker", "The Flat Earth Monitor", "Opens the Flat Earth Monitor window", true},
                {"-", "", "", false},
                {"Mixer1", "Volume Control", "System volume control dialog", true},
                {"RecordingControl1", "Recording Control", "System volume control dialog", true},
                {"Radiocontrol1", "Radio control....", "", true},
                {"-", "", "", false},
                {"TheBlogReader1", "Rar Odov Ezuzuz", "", true}});
    ExpectMenu(form->Help1, {{"Processlog2", "Process log...", "Info and errors", true},
                             {"-", "", "", false},
                             {"DailyLog1", "Daily Log", "", true},
                             {"Homepage1", "Home page", "Goto Orvanta Home-page", true},
                             {"Community1", "Community", "Goto the Orvanta Community-page", true},
                             {"-", "", "", false},
                             {"HelpAboutItem", "&About...", "", true}});
    EXPECT_EQ(form->Help1->menuAction()->statusTip(), "Help topics");
    ExpectMenu(form->DailyLog1, {{"Showlogonserver2", "Show log on server", "Your daily log on server", true},
                                 {"Showlogonlocaldisk1", "Show log on local disk", "Daily log on your local disk", true},
                                 {"-", "", "", false},
                                 {"MakeadefaultCSS1", "Make a default CSS", "", true}});
    EXPECT_EQ(form->Showlogonserver2->property("tag").toInt(), 0);
    EXPECT_EQ(form->Showlogonlocaldisk1->property("tag").toInt(), 1);
}

TEST(MainFormMenus, TheTrayMenuFollowsItsTwins)
{
    auto form = MakeMainForm();
    ExpectMenu(form->TrayPopup, {{"Show1", "Show", "", true},
                                 {"Exit1", "Exit", "", true},
                                 {"-", "", "", false},
                                 {"Satellitepasslist1", "Satellite pass list...", "", true},
                                 {"Tools2", "Tools", "", true},
                                 {"Logs1", "Logs", "", true}});
    EXPECT_EQ(form->N8->objectName(), "N8");
    ExpectMenu(form->Tools2, {{"TheFlatEarthMonitor1", "The Flat Earth Monitor", "", true},
                              {"RSSFeeds1", "Rar Odov Ezuzuz...", "", true},
                              {"Radiocontrol2", "Radio control...", "", true}});
    ExpectMenu(form->Logs1, {{"Processlog1", "Process log...", "", true},
                             {"DailyLog2", "Daily local log", "", true},
                             {"Logonserver1", "Daily Log on server", "", true}});
    EXPECT_EQ(form->Show1->property("tag").toInt(), 2);
    EXPECT_EQ(form->N8->property("tag").toInt(), 1);
    EXPECT_EQ(form->DailyLog2->property("tag").toInt(), 3);

    // The tray twin follows its bound item and runs its command (here the
    // empty catalogue's box, answered).
    EXPECT_TRUE(form->Satellitepasslist1->isEnabled());
    ModalCatcher boxes;
    int runs = 0;
    QObject::connect(form->Passlist1, &QAction::triggered, [&] { ++runs; });
    form->Satellitepasslist1->trigger();
    EXPECT_EQ(runs, 1) << "the tray item runs the main menu's command";
}

TEST(MainFormMenus, AnImageWindowsMenusSitBetweenFileAndSatellite)
{
    auto form = MakeMainForm();
    EXPECT_EQ(MenuBarTitles(*form), QStringList({"File", "Satellite", "Settings", "Tools", "&Window", "&Help"}));
    TMDIChild* child = form->CreateMDIChild(QString(), 0x10);
    ASSERT_NE(child, nullptr);
    form->MDIArea()->setActiveSubWindow(form->MDIArea()->subWindowList().first());
    QApplication::processEvents();
    QStringList expected = {"File"};
    for (QAction* merged : child->MergedMenus())
        expected << merged->text();
    expected << QStringList({"Satellite", "Settings", "Tools", "&Window", "&Help"});
    EXPECT_EQ(MenuBarTitles(*form), expected);
    ModalCatcher boxes;
    form->MDIArea()->closeAllSubWindows();
}

TEST(MainFormMenus, AGroupComboKeepsItsGroup)
{
    auto form = MakeMainForm();
    for (auto [name, group] : {std::pair{"A", "NOAA"}, {"B", ""}, {"C", "Weather"}, {"D", "NOAA"}}) {
        auto* sat = new TSat;
        std::snprintf(sat->Name, sizeof sat->Name, "%s", name);
        sat->Group = group;
        form->SatelliteList.Add(sat);
    }
    QComboBox combo;
    form->FillGroupCombo(&combo);
    QStringList items;
    for (int i = 0; i < combo.count(); ++i)
        items << combo.itemText(i);
    EXPECT_EQ(items, QStringList({"Show all", "NOAA", "Weather"})) << "each group once, in catalogue order";
    EXPECT_EQ(combo.currentIndex(), 0);

    combo.setCurrentIndex(2);
    form->FillGroupCombo(&combo);
    EXPECT_EQ(combo.currentText(), "Weather") << "the group shown before stays shown";

    auto* weather = static_cast<TSat*>(form->SatelliteList.Get(2));
    form->SatelliteList.Remove(weather);
    delete weather;
    form->FillGroupCombo(&combo);
    EXPECT_EQ(combo.currentText(), "Show all") << "a group that is gone falls back to all";
    EXPECT_EQ(combo.count(), 2);
}

TEST(MainFormMenus, GuardsRefuseWithTheirBoxes)
{
    auto form = MakeMainForm();
    ModalCatcher boxes;
    EXPECT_EQ(form->CheckSatellitesLoaded(), 0);
    form->StateFlags |= msRecording;
    EXPECT_FALSE(form->CheckNotRecording());
    form->StateFlags &= ~msRecording;
    EXPECT_TRUE(form->CheckNotRecording());
    EXPECT_EQ(boxes.Texts, QStringList({"No satellites loaded. Select from the menu Satellite->Keplerian elements... to "
                                        "download!",
                                        "Core can not be changed during a record."}));
    EXPECT_EQ(boxes.Captions, QStringList({"Information", "Info: Recording..."}));
}
