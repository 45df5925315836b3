// The main window's Satellite, Settings, Tools and Help menus and the tray
// menu: every item with its caption and hint, made disabled, and the one
// place (ConnectMenuCommands) where an item is bound to its command.
#include "shell/ui/MainForm.h"
#include "shell/ui/OwnerDrawMenu.h"

#include <QAction>
#include <QMenu>
#include <QMenuBar>

namespace {

QAction* MenuItem(QMenu* menu, const char* name, const QString& caption, const QString& hint = {}, int tag = 0)
{
    QAction* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setStatusTip(hint);
    item->setToolTip(hint.isEmpty() ? caption : hint);
    item->setProperty("tag", tag);
    item->setEnabled(false);
    return item;
}

QMenu* SubMenu(QMenu* parent, const char* name, const QString& caption, const QString& hint = {},
              QMenu* menu = nullptr)
{
    menu = menu ? menu : new QMenu(caption, parent);
    parent->addMenu(menu);
    menu->setObjectName(name);
    menu->menuAction()->setObjectName(name);
    menu->menuAction()->setStatusTip(hint);
    return menu;
}

// A tray item runs its main-menu twin and is enabled exactly when it is.
void FollowTwin(QAction* trayItem, QAction* twin)
{
    trayItem->setEnabled(twin->isEnabled());
    QObject::connect(twin, &QAction::enabledChanged, trayItem, &QAction::setEnabled);
    QObject::connect(trayItem, &QAction::triggered, twin, &QAction::trigger);
}

}  // namespace

void TMainForm::BuildCommandMenus()
{
    // Satellite, Settings and Tools come before the Window menu, Help after
    // it; an image window's menus go before Satellite (MainFormFiles.cpp).
    auto topMenu = [this](const char* name, const QString& caption) {
        auto* menu = new QMenu(caption, this);
        menu->setObjectName(name);
        menu->menuAction()->setObjectName(name);
        menuBar()->insertMenu(Window1->menuAction(), menu);
        return menu;
    };
    Satellete1 = topMenu("Satellete1", "Satellite");
    Passlist1 = MenuItem(Satellete1, "Passlist1", "Pass list...", "Predict satellite passes over your station");
    Track1 = MenuItem(Satellete1, "Track1", "Track...", "Track satellites");
    PredictAPTfootprintowerlaps1 = MenuItem(Satellete1, "PredictAPTfootprintowerlaps1",
                                            "Predict APT footprint overlaps...", "Predict footprint overlaps");
    Satellete1->addSeparator();
    Keplerianelements1 = MenuItem(Satellete1, "Keplerianelements1", "Keplerian elements...",
                                  "Update satellite orbit element sets");
    ActiveAPTsatellites1 = MenuItem(Satellete1, "ActiveAPTsatellites1", "Active APT satellites...",
                                    "Activate APT-satellites and set downlink frequency");
    Orbitdata1 = MenuItem(Satellete1, "Orbitdata1", "Orbit data...", "Display element set orbit data");
    Organize1 = MenuItem(Satellete1, "Organize1", "Organize...", "Organize your satellite database");

    Settings1 = topMenu("Settings1", "Settings");
    Recordingandlogging1 =
        MenuItem(Settings1, "Recordingandlogging1", "General settings...",
                 "Control recording, recording start/stop, logging, image annotaion and radio");
    Settings1->addSeparator();
    Groundstation1 = MenuItem(Settings1, "Groundstation1", "Ground station....", "Edit ground station information.");
    ColorLookupTables1 =
        MenuItem(Settings1, "ColorLookupTables1", "Color lookup tables...", "Setup colour lookup tables");
    Settings1->addSeparator();
    FlatEarthTracker1 =
        MenuItem(Settings1, "FlatEarthTracker1", "Flat Earth Monitor...", "Properties for the Flat Earth Monitor");
    SwathViewer1 = MenuItem(Settings1, "SwathViewer1", "Swath Viewer...");

    Tools1 = topMenu("Tools1", "Tools");
    Checktime1 = MenuItem(Tools1, "Checktime1", "Check time...", "Check and sync your system clock");
    ColorLookUpTableEditor1 = MenuItem(Tools1, "ColorLookUpTableEditor1", "Color Lookup Table Editor...",
                                       "Edit/Create a colour lookup table");
    Tools1->addSeparator();
    FlatEarthTracker = MenuItem(Tools1, "FlatEarthTracker", "The Flat Earth Monitor",
                                "Opens the Flat Earth Monitor window");
    Tools1->addSeparator();
    Mixer1 = MenuItem(Tools1, "Mixer1", "Volume Control", "System volume control dialog");
    RecordingControl1 = MenuItem(Tools1, "RecordingControl1", "Recording Control", "System volume control dialog");
    Radiocontrol1 = MenuItem(Tools1, "Radiocontrol1", "Radio control....");
    Tools1->addSeparator();
    TheBlogReader1 = MenuItem(Tools1, "TheBlogReader1", "Rar Odov Ezuzuz");

    Help1 = menuBar()->addMenu("&Help");
    Help1->setObjectName("Help1");
    Help1->menuAction()->setObjectName("Help1");
    Help1->menuAction()->setStatusTip("Help topics");
    Processlog2 = MenuItem(Help1, "Processlog2", "Process log...", "Info and errors");
    Help1->addSeparator();
    DailyLog1 = SubMenu(Help1, "DailyLog1", "Daily Log");
    Showlogonserver2 =
        MenuItem(DailyLog1, "Showlogonserver2", "Show log on server", "Your daily log on server", 0);
    Showlogonlocaldisk1 =
        MenuItem(DailyLog1, "Showlogonlocaldisk1", "Show log on local disk", "Daily log on your local disk", 1);
    DailyLog1->addSeparator();
    MakeadefaultCSS1 = MenuItem(DailyLog1, "MakeadefaultCSS1", "Make a default CSS");
    Homepage1 = MenuItem(Help1, "Homepage1", "Home page", "Goto Orvanta Home-page");
    Community1 = MenuItem(Help1, "Community1", "Community", "Goto the Orvanta Community-page");
    Help1->addSeparator();
    HelpAboutItem = MenuItem(Help1, "HelpAboutItem", "&About...");

    TrayPopup = new TOwnerDrawMenu(QString(), this);
    TrayPopup->setObjectName("TrayPopup");
    Show1 = MenuItem(TrayPopup, "Show1", "Show", {}, 2);
    Exit1 = MenuItem(TrayPopup, "Exit1", "Exit");
    N8 = TrayPopup->addSeparator();
    N8->setObjectName("N8");
    N8->setProperty("tag", 1);
    Satellitepasslist1 = MenuItem(TrayPopup, "Satellitepasslist1", "Satellite pass list...");
    Tools2 = SubMenu(TrayPopup, "Tools2", "Tools", {}, new TOwnerDrawMenu("Tools", TrayPopup));
    TheFlatEarthMonitor1 = MenuItem(Tools2, "TheFlatEarthMonitor1", "The Flat Earth Monitor");
    RSSFeeds1 = MenuItem(Tools2, "RSSFeeds1", "Rar Odov Ezuzuz...");
    Radiocontrol2 = MenuItem(Tools2, "Radiocontrol2", "Radio control...");
    Logs1 = SubMenu(TrayPopup, "Logs1", "Logs", {}, new TOwnerDrawMenu("Logs", TrayPopup));
    Processlog1 = MenuItem(Logs1, "Processlog1", "Process log...");
    DailyLog2 = MenuItem(Logs1, "DailyLog2", "Daily local log", {}, 3);
    Logonserver1 = MenuItem(Logs1, "Logonserver1", "Daily Log on server", {}, 0);
    FollowTwin(Satellitepasslist1, Passlist1);
    FollowTwin(TheFlatEarthMonitor1, FlatEarthTracker);
    FollowTwin(RSSFeeds1, TheBlogReader1);
    FollowTwin(Radiocontrol2, Radiocontrol1);
    FollowTwin(Processlog1, Processlog2);
    FollowTwin(DailyLog2, Showlogonlocaldisk1);
    FollowTwin(Logonserver1, Showlogonserver2);
    SetUpTrayMenu();
}

void TMainForm::BindCommand(QAction* item, void (TMainForm::*command)())
{
    connect(item, &QAction::triggered, this, command);
    item->setEnabled(true);
}

void TMainForm::BindCommand(QAction* item, void (TMainForm::*command)(QObject* sender))
{
    connect(item, &QAction::triggered, this, [this, item, command] { (this->*command)(item); });
    item->setEnabled(true);
}

void TMainForm::ConnectMenuCommands()
{
    // One line per command. An item missing here stays disabled: its window
    // is not part of the program yet.
    BindCommand(Groundstation1, &TMainForm::GroundstationClick);
    BindCommand(Mixer1, &TMainForm::Mixer1Click);
    BindCommand(RecordingControl1, &TMainForm::RecordingControl1Click);
    BindCommand(Processlog2, &TMainForm::Processlog1Click);
    BindCommand(Showlogonserver2, &TMainForm::ShowlogClick);
    BindCommand(Showlogonlocaldisk1, &TMainForm::ShowlogClick);
    BindCommand(MakeadefaultCSS1, &TMainForm::MakeadefaultCSS1Click);
    BindCommand(Homepage1, &TMainForm::Homepage1Click);
    BindCommand(Community1, &TMainForm::Community1Click);
    BindCommand(HelpAboutItem, &TMainForm::HelpAbout1Execute);
    BindCommand(FileExit1, &TMainForm::FileExit1Execute);
    BindCommand(Show1, &TMainForm::TrayShowClick);
    BindCommand(Exit1, &TMainForm::TrayExitClick);
    BindCommand(Recordingandlogging1, &TMainForm::Recordingandlogging1Click);
    BindCommand(Passlist1, &TMainForm::Passlist1Click);
    BindCommand(FlatEarthTracker, &TMainForm::FlatEarthTrackerClick);
    BindCommand(Track1, &TMainForm::Track1Click);
    BindCommand(PredictAPTfootprintowerlaps1, &TMainForm::PredictAPTfootprintowerlaps1Click);
    BindCommand(Orbitdata1, &TMainForm::Orbitdata1Click);
    BindCommand(Organize1, &TMainForm::Organize1Click);
    BindCommand(ActiveAPTsatellites1, &TMainForm::ActiveAPTsatellites1Click);
    BindCommand(Keplerianelements1, &TMainForm::Keplerianelements1Click);
    BindCommand(ColorLookupTables1, &TMainForm::ColorLookupTables1Click);
    BindCommand(ColorLookUpTableEditor1, &TMainForm::ColorLookUpTableEditor1Click);
    BindCommand(FlatEarthTracker1, &TMainForm::FlatEarthTracker1Click);
    BindCommand(SwathViewer1, &TMainForm::SwathViewer1Click);
    BindCommand(Checktime1, &TMainForm::Checktime1Click);
    BindCommand(TheBlogReader1, &TMainForm::TheBlogReader1Click);
    BindCommand(Radiocontrol1, &TMainForm::Radiocontrol1Click);
}
