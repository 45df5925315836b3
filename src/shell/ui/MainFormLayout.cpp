// The main window's widgets: tool bar, track panel, status bar and menus.
#include "shell/ui/MDIArrange.h"
#include "shell/ui/MDIBackground.h"
#include "shell/ui/MainForm.h"

#include <QAction>
#include <QApplication>
#include <QMdiSubWindow>
#include <QGridLayout>
#include <QLabel>
#include <QMenuBar>
#include <QStatusBar>
#include <QStyle>
#include <QToolBar>
#include <QVBoxLayout>

namespace {

QLabel* PanelLabel(QWidget* parent, const QString& name)
{
    auto* label = new QLabel(parent);
    label->setObjectName(name);
    return label;
}

QAction* MakeAction(QObject* parent, const QString& name, const QString& text, const QString& hint,
                    QStyle::StandardPixmap icon = QStyle::SP_CustomBase)
{
    auto* action = new QAction(text, parent);
    action->setObjectName(name);
    // "Short|Long" hints: the short part is the tool tip, the long one the status line.
    action->setToolTip(hint.section('|', 0, 0));
    action->setStatusTip(hint.section('|', -1));
    if (icon != QStyle::SP_CustomBase)
        action->setIcon(qApp->style()->standardIcon(icon));
    return action;
}

}  // namespace

void TMainForm::BuildLayout()
{
    ToolBar = addToolBar("Tools");
    ToolBar->setObjectName("ToolBar");
    ToolBar->setMovable(false);
    ToolBar->setFixedHeight(30);
    FileOpen1 = MakeAction(this, "FileOpen1", "&Open", "Open|Open a file", QStyle::SP_DialogOpenButton);
    FileOpen1->setShortcut(QKeySequence("Ctrl+O"));
    FileSave1 = MakeAction(this, "FileSave1", "&Save", "Save|Save current file", QStyle::SP_DialogSaveButton);
    FileSave1->setShortcut(QKeySequence("Ctrl+S"));
    FileSave1->setEnabled(false);
    UndoBtn = MakeAction(this, "UndoBtn", "Undo", "Undo", QStyle::SP_ArrowBack);
    UndoBtn->setEnabled(false);
    RecButton = MakeAction(this, "RecButton", "Record", "Record sound", QStyle::SP_DialogYesButton);
    StopButton = MakeAction(this, "StopButton", "Stop", "Stop recording", QStyle::SP_MediaStop);
    auto* cascade = MakeAction(this, "WindowCascade1", "&Cascade", "Cascade", QStyle::SP_TitleBarNormalButton);
    auto* tileH = MakeAction(this, "WindowTileHorizontal1", "Tile &Horizontally", "Tile Horizontally",
                             QStyle::SP_ToolBarHorizontalExtensionButton);
    auto* tileV = MakeAction(this, "WindowTileVertical1", "Tile &Vertically", "Tile Vertically",
                             QStyle::SP_ToolBarVerticalExtensionButton);
    connect(cascade, &QAction::triggered, this, [this] { mdiarrange::Cascade(MDIArea()); });
    connect(tileH, &QAction::triggered, this, [this] { mdiarrange::TileHorizontally(MDIArea()); });
    connect(tileV, &QAction::triggered, this, [this] { mdiarrange::TileVertically(MDIArea()); });
    ToolBar->addActions({FileOpen1, FileSave1, UndoBtn});
    ToolBar->addSeparator();
    ToolBar->addActions({RecButton, StopButton});
    ToolBar->addSeparator();
    ToolBar->addActions({cascade, tileH, tileV});
    ToolBar->addSeparator();
    WavePosLabel = new QLabel(ToolBar);
    TemperatureLabel = new QLabel(ToolBar);
    LonLatLabel = new QLabel(ToolBar);
    for (QLabel* label : {WavePosLabel, TemperatureLabel, LonLatLabel}) {
        label->setMinimumWidth(120);
        ToolBar->addWidget(label);
    }
    WavePosLabel->setObjectName("WavePosLabel");
    TemperatureLabel->setObjectName("TemperatureLabel");
    LonLatLabel->setObjectName("LonLatLabel");

    addToolBarBreak();
    auto* trackBar = addToolBar("Tracking");
    trackBar->setMovable(false);
    TrackPanel = new QWidget(trackBar);
    TrackPanel->setObjectName("TrackPanel");
    TrackPanel->setSizePolicy(QSizePolicy::Expanding, QSizePolicy::Fixed);  // grows with its texts and the window
    // White text on the night colour of the MDI area; the overlap warning in yellow.
    TrackPanel->setAttribute(Qt::WA_StyledBackground);
    TrackPanel->setStyleSheet("#TrackPanel { background: #201030; } QLabel { color: white; }"
                              " #OverlapLabel { color: yellow; }");
    auto* rows = new QVBoxLayout(TrackPanel);
    rows->setContentsMargins(6, 2, 6, 2);
    rows->setSpacing(0);
    auto* grid = new QGridLayout;
    grid->setContentsMargins(0, 0, 0, 0);
    grid->setVerticalSpacing(0);
    grid->setHorizontalSpacing(18);
    TheTime = PanelLabel(TrackPanel, "TheTime");
    TrackLabel = PanelLabel(TrackPanel, "TrackLabel");
    KeplerAge = PanelLabel(TrackPanel, "KeplerAge");
    OverlapLabel = PanelLabel(TrackPanel, "OverlapLabel");
    TheSun = PanelLabel(TrackPanel, "TheSun");
    TheMoon = PanelLabel(TrackPanel, "TheMoon");
    // The tracking line is the longest text of the panel and gets the
    // panel's whole width below the other rows.
    grid->addWidget(TheTime, 0, 0);
    grid->addWidget(PanelLabel(TrackPanel, "KeplerCaption"), 0, 1);
    static_cast<QLabel*>(grid->itemAtPosition(0, 1)->widget())->setText("Element Set Issued Date:");
    grid->addWidget(KeplerAge, 0, 2);
    grid->addWidget(OverlapLabel, 1, 0, 1, 3);
    grid->addWidget(PanelLabel(TrackPanel, "SunCaption"), 0, 3);
    static_cast<QLabel*>(grid->itemAtPosition(0, 3)->widget())->setText("Sun:");
    grid->addWidget(TheSun, 0, 4);
    grid->addWidget(PanelLabel(TrackPanel, "MoonCaption"), 1, 3);
    static_cast<QLabel*>(grid->itemAtPosition(1, 3)->widget())->setText("Moon:");
    grid->addWidget(TheMoon, 1, 4);
    grid->setColumnStretch(5, 1);
    rows->addLayout(grid);
    rows->addWidget(TrackLabel, 1);
    // During a pass the tracking line (receive frequency, path loss, delay)
    // is longer than the default window is wide: it wraps onto a fourth row
    // rather than losing its end.
    TrackLabel->setWordWrap(true);
    TrackLabel->setAlignment(Qt::AlignLeft | Qt::AlignTop);
    TrackLabel->ensurePolished();
    TrackPanel->setFixedHeight(4 + 4 * TrackLabel->fontMetrics().lineSpacing());
    trackBar->addWidget(TrackPanel);

    StatusBar = statusBar();
    StatusBar->setObjectName("StatusBar");
}

void TMainForm::BuildMenus()
{
    File1 = menuBar()->addMenu("File");
    File1->setObjectName("File1");
    FileClose1 = MakeAction(this, "FileClose1", "&Close", "Close|Close current file");
    FileClose1->setEnabled(false);
    connect(FileClose1, &QAction::triggered, MDIArea(), &QMdiArea::closeActiveSubWindow);
    WindowClose1 = MakeAction(this, "WindowClose1", "Close all", "Close all");
    WindowClose1->setEnabled(false);
    FileSaveAs1 = MakeAction(this, "FileSaveAs1", "Save &As...", "Save As|Save current file with different name");
    FileSaveAs1->setEnabled(false);
    FileExit1 = MakeAction(this, "FileExit1", "E&xit", "Exit|Exit application. Goodbye!");
    File1->addAction(FileOpen1);
    File1->addSeparator();
    File1->addActions({FileClose1, WindowClose1});
    File1->addSeparator();
    File1->addActions({FileSave1, FileSaveAs1});
    File1->addSeparator();
    File1->addAction(FileExit1);

    Window1 = menuBar()->addMenu("&Window");
    Window1->setObjectName("Window1");
    Window1->addAction("&Cascade", this, [this] { mdiarrange::Cascade(MDIArea()); });
    Window1->addAction("Tile &Horizontally", this, [this] { mdiarrange::TileHorizontally(MDIArea()); });
    Window1->addAction("Tile &Vertically", this, [this] { mdiarrange::TileVertically(MDIArea()); });
    Window1->addAction("&Minimize All", [this] {
        for (QMdiSubWindow* child : MDIArea()->subWindowList())
            child->showMinimized();
    });
    Window1->addAction("&Arrange All", this, [this] { mdiarrange::ArrangeIcons(MDIArea()); });
    mdiarrange::ListWindowsIn(Window1, MDIArea());
}
