// The commands of the Satellite, Tools and Help menus, the modal pattern
// they share and the group combo filler of the satellite dialogs. GUI
// thread only.
#include "orbit/Sat.h"
#include "orbit/ui/StationDlg.h"
#include "platform/AtomicFile.h"
#include "platform/ShellStandIns.h"
#include "publishing/StyleSheet.h"
#include "shell/ui/AboutBox.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "shell/ui/ShellHelpers.h"

#include <QAction>
#include <QApplication>
#include <QComboBox>
#include <QDialog>
#include <QEventLoop>
#include <QFileInfo>
#include <QMdiArea>
#include <QMdiSubWindow>
#include <QMessageBox>
#include <QPointer>

bool TMainForm::RaiseOpenDialog(QWidget* dialog)
{
    if (!dialog || !dialog->isVisible())
        return false;
    BringDialogToFront(dialog);
    return true;
}

int TMainForm::ShowDialogModal(QWidget* dialog)
{
    // The window system hands the focus back when the dialog goes, and it
    // may land in another image window: the one the user worked on stays
    // the target of the next command.
    const QPointer<QMdiSubWindow> activeImage = MDIArea()->activeSubWindow();
    ActiveWindow = dialog;
    // Modal to the main window, not to the whole program: the tray icon
    // must still answer, so that a click brings the dialog up from the tray.
    const Qt::WindowModality modality = dialog->windowModality();
    dialog->setWindowModality(Qt::WindowModal);
    int result = 0;
    if (auto* box = qobject_cast<QDialog*>(dialog)) {
        result = box->exec();
    } else {
        // A plain window (the process log) runs modally until it is closed.
        dialog->show();
        QEventLoop loop;
        while (dialog->isVisible())
            loop.processEvents(QEventLoop::WaitForMoreEvents);
    }
    dialog->setWindowModality(modality);
    ActiveWindow = this;
    if (activeImage && MDIArea()->activeSubWindow() != activeImage)
        MDIArea()->setActiveSubWindow(activeImage);
    return result;
}

void TMainForm::FillGroupCombo(QComboBox* combo)
{
    const QString shown = combo->currentText();
    combo->clear();
    combo->addItem("Show all");
    for (int i = 0; i < SatelliteList.Count; ++i) {
        const QString& group = static_cast<TSat*>(SatelliteList.Get(i))->Group;
        if (!group.isEmpty() && combo->findText(group, Qt::MatchFixedString | Qt::MatchCaseSensitive) < 0)
            combo->addItem(group);
    }
    const int index = shown.isEmpty() ? -1 : combo->findText(shown, Qt::MatchFixedString | Qt::MatchCaseSensitive);
    combo->setCurrentIndex(index < 0 ? 0 : index);
}

void TMainForm::Processlog1Click()
{
    if (!LogForm || RaiseOpenDialog(LogForm))
        return;
    ShowDialogModal(LogForm);
}

void TMainForm::HelpAbout1Execute()
{
    if (AboutBox)
        AboutBox->exec();
}

void TMainForm::GroundstationClick()
{
    if (EditStation(false))
        RestartTracker(0);
}

bool TMainForm::EditStation(bool firstStart)
{
    // The station is read by the tracker's pass: never edited during a
    // recording, not even to raise the open dialog.
    if (!CheckNotRecording())
        return false;
    if (!StationDlg)
        StationDlg = new TStationDlg(this);
    if (RaiseOpenDialog(StationDlg))
        return false;
    StationDlg->LoadStation(Station);
    if (ShowDialogModal(StationDlg) != QDialog::Accepted || !(StationDlg->Modified || firstStart))
        return false;
    QApplication::processEvents();
    RestartTracker(0x200);
    StationDlg->StoreStation(Station);
    PersistStation(false);
    return true;
}

void TMainForm::Mixer1Click()
{
    ExecuteFile(shell::MixerProgram(), QString(), 2);
}

void TMainForm::RecordingControl1Click()
{
    // The mixer's page of input devices, where the recording level is set.
    ExecuteFile(shell::MixerProgram(), "--tab=4", 2);
}

// The program has no pages on the internet yet: the commands say so rather
// than send the user to an address that leads nowhere.
void TMainForm::Homepage1Click()
{
    QMessageBox::information(this, "Home page", "Orvanta has no home page on the internet yet.");
}

void TMainForm::Community1Click()
{
    QMessageBox::information(this, "Community", "Orvanta has no community page on the internet yet.");
}

void TMainForm::ShowlogClick(QObject* sender)
{
    auto* item = qobject_cast<QAction*>(sender);
    if (!item)
        return;
    QString address;
    if (item->property("tag").toInt() != 0) {
        address = folders_.GetLogDir() + "/daily/index.html";
        if (!QFileInfo::exists(address)) {
            QMessageBox::information(this, "No Log found", "No log exists, yet!");
            return;
        }
    } else {
        if (Settings->LogURL.trimmed().isEmpty()) {
            QMessageBox::information(this, "No log URL",
                                     "The address of the log on the server is not set.\nSet it in Settings > "
                                     "General settings..., page \"General\", tab \"FTP-Server\", field \"URL:\".");
            return;
        }
        address = Settings->LogURL + "/daily/";
    }
    OpenURL(nullptr, QString(), address, false);
}

void TMainForm::MakeadefaultCSS1Click()
{
    const QString path = folders_.GetLogDir() + "/daily/index.css";
    if (QFileInfo::exists(path) &&
        QMessageBox::information(this, "Confirm: overwrite ?", path, QMessageBox::Yes | QMessageBox::No) !=
            QMessageBox::Yes)
        return;
    // Written beside the old sheet and renamed over it only when complete:
    // a failed write keeps the old file. The "daily" folder is made when
    // missing, as the log writer makes it, so the sheet can come first.
    QString error;
    if (!WriteFileAtomically(path, DefaultStyleSheetText(), error)) {
        QMessageBox::critical(this, "Error: Failed to create file!", path + "\n" + error);
        return;
    }
    QMessageBox::information(this, "CSS Created", path);
}
