// The main window's image windows: the factory that makes them, the queries
// that find them by role, the File menu and the file buttons of the tool bar,
// and files dropped on the window. GUI thread only.
#include "shell/ui/MDIArrange.h"
#include "shell/ui/MainForm.h"

#include "imaging/FileTypes.h"
#include "imaging/ui/MDIChild.h"
#include "imaging/ui/OpenMagickImageDlg.h"
#include "imaging/ui/ZoomWinControl.h"
#include "imaging/ui/WaitCursor.h"

#include <QAction>
#include <QApplication>
#include <algorithm>
#include <QDragEnterEvent>
#include <QDropEvent>
#include <QFileInfo>
#include <QLabel>
#include <QMdiArea>
#include <QMenu>
#include <QMenuBar>
#include <QMdiSubWindow>
#include <QPointer>
#include <QMimeData>
#include <QUrl>

namespace {

// The name an image of this window is proposed under: its own name with the
// image extension, or "Noname" with it.
QString ProposedImageName(const QString& fileName, const QString& imageExt)
{
    if (fileName.isEmpty())
        return "Noname" + imageExt;
    const int slash = fileName.lastIndexOf('/');
    const int dot = fileName.lastIndexOf('.');
    return (dot > slash ? fileName.left(dot) : fileName) + imageExt;
}

TMDIChild* ChildOf(QMdiSubWindow* window)
{
    return window ? qobject_cast<TMDIChild*>(window->widget()) : nullptr;
}

}  // namespace

void TMainForm::ConnectFileCommands()
{
    connect(FileOpen1, &QAction::triggered, this, &TMainForm::FileOpen1Execute);
    connect(WindowClose1, &QAction::triggered, this, &TMainForm::Closeall1Click);
    connect(FileSave1, &QAction::triggered, this, &TMainForm::FileSave1Execute);
    connect(FileSaveAs1, &QAction::triggered, this, &TMainForm::FileSaveAs1Execute);
    connect(UndoBtn, &QAction::triggered, this, &TMainForm::UndoBtnClick);
    connect(MDIArea(), &QMdiArea::subWindowActivated, this,
            [this, previous = QPointer<QMdiSubWindow>()](QMdiSubWindow* window) mutable {
        if (previous != window)
            if (TMDIChild* left = ChildOf(previous))
                left->FormDeactivate();
        previous = window;
        // The menu bar shows the active image window's menus between File and
        // Satellite, and no image window's menus when none is active.
        for (QAction* action : menuBar()->actions())
            if (action->menu() && qobject_cast<TMDIChild*>(action->menu()->parent()))
                menuBar()->removeAction(action);
        if (TMDIChild* child = ChildOf(window)) {
            menuBar()->insertActions(Satellete1->menuAction(), child->MergedMenus());
            child->FormActivate();
        }
    });
}

TMDIChild* TMainForm::CreateMDIChild(const QString& fileName, int role)
{
    const bool fileGiven = !fileName.isEmpty() && QFileInfo::exists(fileName);
    if (!fileGiven && !(role & (mcLive | mcFlatEarth)))
        return nullptr;
    auto* child = new TMDIChild;
    QMdiSubWindow* window = MDIArea()->addSubWindow(child);
    child->Flags = role;
    if (!fileName.isEmpty())
        child->setWindowTitle(fileName);
    // A new window takes most of the free area: a pass is 2080 pixels wide,
    // and a window the size of its empty layout would show nothing of it.
    const QSize area = MDIArea()->viewport()->size();
    window->resize(std::max(320, area.width() * 3 / 4), std::max(240, area.height() * 3 / 4));
    window->move(mdiarrange::NewWindowPosition(MDIArea(), window->size()));
    window->show();
    if (fileGiven) {
        if (!child->OpenFile(fileName)) {
            window->close();
            return nullptr;
        }
        return child;
    }
    if ((role & mcFlatEarth) && !child->InitFlatEarthMonitor(0)) {
        window->close();
        QApplication::processEvents();
        ShowError("Check your settings!", "Error: Failed to initialize the Daru Zuvid Izodivi");
        return nullptr;
    }
    return child;
}

QList<TMDIChild*> TMainForm::MDIChildren() const
{
    QList<TMDIChild*> children;
    for (QMdiSubWindow* window : MDIArea()->subWindowList(QMdiArea::CreationOrder))
        if (TMDIChild* child = ChildOf(window); child && !(child->Flags & mcClosing))
            children << child;
    return children;
}

TMDIChild* TMainForm::FindMDIChild(int query)
{
    if (query == 0)
        return ChildOf(MDIArea()->currentSubWindow());
    // Of the role bits only the first set counts.
    int role = 0;
    for (int bit : {0x1, 0x2, 0x4, 0x10})
        if (query & bit) {
            role = bit;
            break;
        }
    for (TMDIChild* child : MDIChildren()) {
        const TAPT* engine = child->APT.get();
        const bool complete = engine && (engine->Flags & aptComplete);
        if ((query & 0x8) && !((child->Flags & mcLive) && complete))
            continue;
        bool match = role == 0;
        switch (role) {
        case 0x1: match = child->Flags & mcLive; break;
        case 0x2: match = engine && engine->IsImageReady(); break;
        case 0x4: match = complete; break;
        case 0x10: match = child->Flags & mcFlatEarth; break;
        default: break;
        }
        if (!match)
            continue;
        if (role == 0x2 || role == 0x4) {
            // Picked up for its image: it is no longer the live window.
            child->Flags &= ~mcLive;
            if (auto* window = qobject_cast<QMdiSubWindow*>(child->parentWidget()))
                MDIArea()->setActiveSubWindow(window);
        }
        return child;
    }
    return nullptr;
}

void TMainForm::UpdateFileCommands(TMDIChild* child, bool enable)
{
    if (StateFlags & msClosing)
        return;
    FileClose1->setEnabled(enable);
    WindowClose1->setEnabled(enable);
    FileSaveAs1->setEnabled(enable);
    FileSave1->setEnabled(child ? (child->Flags & mcModified) != 0 : enable);
    for (QLabel* label : {WavePosLabel, TemperatureLabel, LonLatLabel})
        label->clear();
    if (MDIChildren().isEmpty())
        CloseZoomWindow();
}

void TMainForm::BringDialogToFront(QWidget* dialog)
{
    if (!dialog || !dialog->isVisible())
        return;
    dialog->raise();
    dialog->activateWindow();
    ActiveWindow = dialog;
}

void TMainForm::FileOpen1Execute()
{
    // The dialog is shared: what another command chose in it last (a colour
    // table, a saved image) is no place to look for a recording. Open starts
    // at the file it opened last, else in the recordings folder.
    static QString lastOpened;
    TOpenMagickImageDlg* dialog = SharedOpenMagickImageDlg(this);
    dialog->OpenMode = true;
    dialog->setWindowTitle("Open an image- or audio-file");
    if (!dialog->SelectFile(lastOpened, true)) {
        const QString lastFolder = lastOpened.isEmpty() ? QString() : QFileInfo(lastOpened).absolutePath();
        if (lastFolder.isEmpty() || !dialog->ShowFolder(lastFolder))
            dialog->ShowFolder(Folders().GetAudioDir());
    }
    if (dialog->exec() != QDialog::Accepted)
        return;
    QApplication::processEvents();
    WaitCursor busy;
    const QStringList files = dialog->Files;
    if (!files.isEmpty())
        lastOpened = files.first();
    for (const QString& path : files)
        CreateMDIChild(path, 0);
}

void TMainForm::Closeall1Click()
{
    CloseZoomWindow();
    // A frame whose image window is already gone is closed as well.
    for (QMdiSubWindow* window : MDIArea()->subWindowList(QMdiArea::CreationOrder))
        if (ChildOf(window) || !window->widget())
            window->close();
    if (!FindMDIChild(0))
        UpdateFileCommands(nullptr, false);
}

void TMainForm::FileSave1Execute()
{
    TMDIChild* child = FindMDIChild(0);
    if (!child || !child->Image)
        return;
    WaitCursor busy;
    // Only an image file is written over in place. A decoded recording is
    // never: its file is the audio the image came from, so the image goes
    // through Save As under the recording's name with the image extension,
    // and the window keeps its own name unless that save is done.
    if (!child->FileName.isEmpty() && SharedOpenMagickImageDlg(this)->FileFilter.IsImageFile(child->FileName)) {
        child->SaveFile(QString());
        return;
    }
    const QString original = child->FileName;
    child->FileName = ProposedImageName(child->FileName, Settings->ImageExt);
    if (!SaveImageAs(child))
        child->FileName = original;
}

void TMainForm::FileSaveAs1Execute()
{
    TMDIChild* child = FindMDIChild(0);
    if (child && child->Image)
        SaveImageAs(child);
}

bool TMainForm::SaveImageAs(TMDIChild* child)
{
    const QString remembered = child->FileName;
    TOpenMagickImageDlg* dialog = SharedOpenMagickImageDlg(this);
    dialog->setWindowTitle("Save image");
    QString proposal = child->FileName;
    if (proposal.isEmpty() || !dialog->FileFilter.IsImageFile(proposal))
        proposal = ProposedImageName(proposal, Settings->ImageExt);
    dialog->SelectFile(proposal, false);
    if (dialog->exec() != QDialog::Accepted) {
        child->FileName = remembered;
        return false;
    }
    const QString chosen = dialog->GetFileName(false);
    if (chosen.isEmpty()) {
        child->FileName = remembered;
        return false;
    }
    WaitCursor busy;
    if (!child->SaveFile(chosen)) {
        child->FileName = remembered;
        return false;
    }
    return true;
}

void TMainForm::UndoBtnClick()
{
    if (TMDIChild* child = FindMDIChild(0))
        child->UndoClick();
}

void TMainForm::OpenDroppedFiles(const QStringList& paths)
{
    BringToFront();
    for (const QString& path : paths)
        if (!path.isEmpty())
            CreateMDIChild(path, 0);
}

void TMainForm::dragEnterEvent(QDragEnterEvent* event)
{
    if (event->mimeData()->hasUrls())
        event->acceptProposedAction();
}

void TMainForm::dropEvent(QDropEvent* event)
{
    QStringList paths;
    for (const QUrl& url : event->mimeData()->urls())
        if (url.isLocalFile())
            paths << url.toLocalFile();
    event->acceptProposedAction();
    OpenDroppedFiles(paths);
}
