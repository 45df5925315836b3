// The image window's menu and its commands: the views, the spacecraft model
// and direction of the pass, "chop to video", the daily log and the
// magnifier, the pass information. The main window shows the menus of the active window between
// its own (MergedMenus); every window keeps its own checks, which is where a
// recording without an identified pass keeps its model and direction.
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/WaitCursor.h"

#include "imaging/LogViewRenderer.h"
#include "imaging/ui/PassInfoDlg.h"
#include "imaging/ui/ZoomWin.h"
#include "maps/ui/SwathForm.h"
#include "orbit/Sat.h"
#include "platform/ui/OpenDocument.h"
#include "publishing/Logger.h"
#include "publishing/ui/LogDlg.h"
#include "shell/AppFolders.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/ShellHelpers.h"

#include <QAction>
#include <QActionGroup>
#include <QApplication>
#include <QFileInfo>
#include <QMenu>
#include <QMessageBox>
#include <QPushButton>
#include <QRadioButton>

namespace {

QAction* AddRadioItem(QMenu* menu, QActionGroup* group, const char* name, const QString& text, int tag)
{
    QAction* item = menu->addAction(text);
    item->setObjectName(name);
    item->setCheckable(true);
    item->setData(tag);
    group->addAction(item);
    return item;
}

}  // namespace

QString TMDIChild::LogFtpPort = "ftp";

std::function<void(const QString& page)> TMDIChild::OpenDailyPage = [](const QString& page) {
    OpenURL(nullptr, QString(), page, false);
};

void TMDIChild::BuildMenus()
{
    Images1 = new QMenu("Images", this);
    Images1->setObjectName("Images1");
    Spacecraft = Images1->addMenu("Spacecraft");
    Spacecraft->setObjectName("Spacecraft");
    Passinfo2 = Spacecraft->addAction("Passinfo...");
    Passinfo2->setObjectName("Passinfo2");
    connect(Passinfo2, &QAction::triggered, this, &TMDIChild::Passinfo2Click);
    ShowSwath1 = Spacecraft->addAction("Show Swath...");
    ShowSwath1->setObjectName("ShowSwath1");
    ShowSwath1->setEnabled(false);
    connect(ShowSwath1, &QAction::triggered, this, &TMDIChild::ShowSwath1Click);
    Spacecraft->addSeparator();
    Type2 = Spacecraft->addMenu("Type");
    Type2->setObjectName("Type2");
    auto* types = new QActionGroup(this);
    NOAA121 = AddRadioItem(Type2, types, "NOAA121", "NOAA 12", scNOAA12);
    NOAA141 = AddRadioItem(Type2, types, "NOAA141", "NOAA 14", scNOAA14);
    NOAA151 = AddRadioItem(Type2, types, "NOAA151", "NOAA 15", scNOAA15);
    NOAA171 = AddRadioItem(Type2, types, "NOAA171", "NOAA 17", scNOAA17);
    NOAA181 = AddRadioItem(Type2, types, "NOAA181", "NOAA 18", scNOAA18);
    NOAA121->setChecked(true);
    connect(types, &QActionGroup::triggered, this, &TMDIChild::SpacecraftModelClick);
    Direction2 = Spacecraft->addMenu("Direction");
    Direction2->setObjectName("Direction2");
    auto* directions = new QActionGroup(this);
    Southbound1 = AddRadioItem(Direction2, directions, "Southbound1", "Southbound", 0);
    Northbound1 = AddRadioItem(Direction2, directions, "Northbound1", "Nortbound", 1);
    Southbound1->setChecked(true);
    connect(directions, &QActionGroup::triggered, this, [this] { SpacecraftDirectionClick(); });

    Choptovideo1 = Images1->addAction("Chop to video/Restore");
    Choptovideo1->setObjectName("Choptovideo1");
    Choptovideo1->setData(0);
    connect(Choptovideo1, &QAction::triggered, this, &TMDIChild::Choptovideo1Click);
    AddtotheDailylog2 = Images1->addAction("Add to the daily log...");
    AddtotheDailylog2->setObjectName("AddtotheDailylog2");
    connect(AddtotheDailylog2, &QAction::triggered, this, &TMDIChild::AddtotheDailylog2Click);

    Images1->addSeparator();
    auto* views = new QActionGroup(this);
    const char* names[kViewCount] = {"MI_Normal", "MI_Video_A",     "MI_Video_B",            "MI_FC_AB",
                                     "MI_FC_24",  "MI_FC_LowTemps", "MI_IR_BrightnessTemps", "MI_IR_LowTemps"};
    QAction** items[kViewCount] = {&MI_Normal, &MI_Video_A,     &MI_Video_B,            &MI_FC_AB,
                                   &MI_FC_24,  &MI_FC_LowTemps, &MI_IR_BrightnessTemps, &MI_IR_LowTemps};
    for (int view = 0; view < kViewCount; ++view)
        *items[view] = AddRadioItem(Images1, views, names[view], GetViewInfo(view)->MenuCaption, view);
    MI_Normal->setChecked(true);
    connect(views, &QActionGroup::triggered, this, &TMDIChild::ShowImageClick);

    Effect1 = new QMenu("Effect", this);
    Effect1->setObjectName("Effect1");
    Magnifier = Effect1->addAction("Magnifier");
    Magnifier->setObjectName("Magnifier");
    connect(Magnifier, &QAction::triggered, this, &TMDIChild::MagnifierClick);

    BuildEditMenus();
    // Invisible until the window is activated.
    for (QMenu* menu : {Edit1, Images1, Transform1, Effect1, Enhance1})
        menu->menuAction()->setVisible(false);
}

QList<QAction*> TMDIChild::MergedMenus() const
{
    return {Edit1->menuAction(), Images1->menuAction(), Transform1->menuAction(), Effect1->menuAction(),
            Enhance1->menuAction()};
}

bool TMDIChild::IsReady() const
{
    return APT && APT->IsImageReady();
}

void TMDIChild::FormActivate()
{
    if (Flags & mcClosing)
        return;
    if (Flags & mcFlatEarth) {
        FormDeactivate();  // the same full-redraw request; the map has no menus
        return;
    }
    const bool imageFile = Flags & mcImageFile;
    const bool edit = imageFile || IsReady();
    const bool passMenus = !imageFile && IsReady();
    for (QMenu* menu : {Edit1, Transform1, Effect1, Enhance1})
        menu->menuAction()->setVisible(edit);
    Images1->menuAction()->setVisible(passMenus);
    ShowSwath1->setEnabled(passMenus && Pass != nullptr);
    if (MainForm)
        MainForm->UpdateFileCommands(this, edit || passMenus);
    if (edit)
        UpdateUndoMenu();
    if (!APT || !(APT->Flags & (aptAudioFile | aptLive)))
        return;
    CheckViewMenu(View < 0 ? ivNormal : View);
    UpdateChopMenu();
    // A recording without an identified pass keeps the direction the user
    // chose: the check is its only store.
    if (Pass)
        (Pass->Northbound ? Northbound1 : Southbound1)->setChecked(true);
    CheckModelMenu(APT->SpacecraftModel);
}

QAction* TMDIChild::ViewItem(int view) const
{
    QAction* const items[kViewCount] = {MI_Normal, MI_Video_A,     MI_Video_B,            MI_FC_AB,
                                        MI_FC_24,  MI_FC_LowTemps, MI_IR_BrightnessTemps, MI_IR_LowTemps};
    return view >= 0 && view < kViewCount ? items[view] : MI_Normal;
}

void TMDIChild::CheckViewMenu(int view)
{
    ViewItem(view)->setChecked(true);
}

int TMDIChild::GetMenuModel() const
{
    for (QAction* item : {NOAA121, NOAA141, NOAA151, NOAA171, NOAA181})
        if (item->isChecked())
            return item->data().toInt();
    return scNOAA12;
}

void TMDIChild::CheckModelMenu(int model)
{
    QAction* items[] = {NOAA121, NOAA141, NOAA151, NOAA171, NOAA181};
    items[model >= 1 && model <= 4 ? model : 0]->setChecked(true);
}

bool TMDIChild::IsNorthbound() const
{
    return Pass ? Pass->Northbound != 0 : Northbound1->isChecked();
}

void TMDIChild::UpdateChopMenu()
{
    const bool enabled = IsReady() && Image && View > 0 && Image->columns > 0;
    Choptovideo1->setEnabled(enabled);
    if (!enabled)
        return;
    const int videoOnly = Image->columns < 910 ? 1 : 0;
    Choptovideo1->setData(videoOnly);
    Choptovideo1->setText(videoOnly ? "Show markers" : "Chop to video");
}

void TMDIChild::PrepareCommand()
{
    Flags &= ~mcLive;
    QApplication::processEvents();
}

void TMDIChild::ShowImageClick(QAction* item)
{
    if (!IsReady()) {
        CheckViewMenu(View);
        return;
    }
    PrepareCommand();
    WaitCursor busy;
    if (!ShowView(item->data().toInt(), vfRefreshMenus))
        CheckViewMenu(View);  // the check stays with the view still shown
}

void TMDIChild::SpacecraftModelClick(QAction* item)
{
    if (!IsReady()) {
        CheckModelMenu(APT ? APT->SpacecraftModel : scNOAA12);
        return;
    }
    const int model = item->data().toInt();
    if (model == APT->SpacecraftModel)
        return;
    APT->SpacecraftModel = model;
    // The model counts in the calibration; the Normal view shows raw lines.
    if (View <= ivNormal)
        return;
    PrepareCommand();
    WaitCursor busy;
    ShowView(View, vfForce | vfReloadRaw);
}

void TMDIChild::SpacecraftDirectionClick()
{
    if (!IsReady())
        return;
    if (Pass)
        Pass->Northbound = Northbound1->isChecked() ? 1 : 0;
    PrepareCommand();
    WaitCursor busy;
    ShowView(View, vfForce);
}

void TMDIChild::Choptovideo1Click()
{
    if (!IsReady() || View <= ivNormal || !Image || Image->columns == 0)
        return;
    PrepareCommand();
    WaitCursor busy;
    ShowView(View, vfForce | vfToggleChop);
}

void TMDIChild::AddtotheDailylog2Click()
{
    // One run at a time; while one runs, its upload lets this command be
    // chosen again.
    if (dailyLogBusy_ || !IsReady())
        return;
    if (!Pass) {
        QMessageBox::critical(this, "Error: No satellite!",
                              "The log can not be created.\nNo satellite found for this wave-form.");
        return;
    }
    if (!LogDlg)
        return;
    // The window does not close while the run may still use it.
    dailyLogBusy_ = true;
    const struct Done {
        bool& busy;
        ~Done() { busy = false; }
    } done{dailyLogBusy_};

    const TSetting settings = Settings();
    Pass->UpdateDaylight(&settings);
    const QString logDir = Folders().GetLogDir();
    const QString page = logDir + "/daily/index.html";
    TViewLogRenderer renderer(APT.get(), settings, Pass->GetPassDescription(0), IsNorthbound(), LUTFileName);
    TLogSource source;
    source.Engine = APT.get();
    source.Pass = *Pass;
    source.Renderer = &renderer;
    source.LogDir = logDir;
    source.FtpPort = LogFtpPort;
    if (MainForm && MainForm->Rig)
        source.ReceiverName = MainForm->Rig->GetRadioName();
    TLogger logger(settings, std::move(source), nullptr);
    logger.OnMessages = [](const QStringList& lines) {
        if (LogForm)
            LogForm->AddLines(lines);
    };

    // Continuing, retrying and sending everything need today's page.
    const bool pageExists = QFileInfo::exists(page);
    LogDlg->UploadAllBtn->setEnabled(pageExists);
    LogDlg->AppendLog->setEnabled(pageExists);
    LogDlg->RetryBtn->setEnabled(pageExists && !logger.GetPendingUploadFile(false).isEmpty());
    if (!pageExists)
        LogDlg->NewLog->setChecked(true);
    if (LogDlg->exec() != QDialog::Accepted)
        return;
    const int action = (LogDlg->Action & (laRetry | laUploadAll)) ? LogDlg->Action : LogDlg->GetAction();
    RunDailyLog(logger, action, page);
}

void TMDIChild::RunDailyLog(TLogger& logger, int action, const QString& page)
{
    QApplication::processEvents();
    bool ok = false;
    bool noImagesChosen = false;
    {
        WaitCursor busy;
        if (action & laRetry) {
            ok = logger.RetryUpload();
        } else if (action & laUploadAll) {
            ok = logger.UploadAllFiles();
        } else {
            if (action & laNewLog)
                logger.StartNewDailyLog();
            else
                logger.TouchDailyLog();
            ok = logger.WriteLog(true);
            // The writer says nothing when the settings choose no products.
            noImagesChosen = !ok && logger.Messages.isEmpty();
            if (ok && (action & laUpload))
                ok = logger.UploadLog(false);
            // The log writer prepared the engine's lines for its products;
            // the window's view is rendered again from the lines it needs.
            if (View >= 0)
                ShowView(View, vfForce | vfReloadRaw | vfSilent);
        }
    }
    if (noImagesChosen) {
        QMessageBox::information(this, "Daily log not written",
                                 "No log images are chosen.\nChoose them in Settings > General settings..., "
                                 "page \"General\", tab \"Images to log\".");
    } else if (!ok) {
        if (MainForm) {
            MainForm->Processlog1Click();
        } else if (LogForm) {
            LogForm->show();
            LogForm->raise();
        }
    } else if (action & (laRetry | laUploadAll)) {
        QMessageBox::information(this, "Info: Done!", "Log processed successfully");
    } else if (OpenDailyPage) {
        OpenDailyPage(page);
    }
}

void TMDIChild::Passinfo2Click()
{
    if (!IsReady())
        return;
    if (PassInfoDlg && PassInfoDlg->isVisible()) {
        if (MainForm)
            MainForm->BringDialogToFront(PassInfoDlg);
        else
            PassInfoDlg->raise();
        return;
    }
    if (!PassInfoDlg)
        new TPassInfoDlg(MainForm ? static_cast<QWidget*>(MainForm) : this);
    if (MainForm)
        MainForm->ActiveWindow = PassInfoDlg;
    PassInfoDlg->Child = this;
    PassInfoDlg->exec();
    PassInfoDlg->Child = nullptr;
    if (MainForm)
        MainForm->ActiveWindow = MainForm;
}

void TMDIChild::ShowSwath1Click()
{
    // The viewer draws around the main window's station with its settings.
    if (!IsReady() || !Pass || !MainForm)
        return;
    QApplication::processEvents();
    if (!SwathForm)
        new TSwathForm(MainForm);
    SwathForm->ShowPass(this, *Pass, &MainForm->Station, MainForm->SwathProps.get(), true);
}

void TMDIChild::MagnifierClick()
{
    if (!IsEditable())
        return;
    if (!ZoomWin)
        new TZoomWin(MainForm ? static_cast<QWidget*>(MainForm) : window());
    if (!ZoomWin->isVisible())
        ZoomWin->show();
}
