// The commands of the Satellite, Tools and Help menus, the modal pattern
// they share and the group combo filler of the satellite dialogs. GUI
// thread only.
#include "orbit/Sat.h"
#include "shell/ui/AboutBox.h"
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"

#include <QComboBox>
#include <QDialog>
#include <QEventLoop>

bool TMainForm::RaiseOpenDialog(QWidget* dialog)
{
    if (!dialog || !dialog->isVisible())
        return false;
    BringDialogToFront(dialog);
    return true;
}

int TMainForm::ShowDialogModal(QWidget* dialog)
{
    ActiveWindow = dialog;
    int result = 0;
    if (auto* box = qobject_cast<QDialog*>(dialog)) {
        result = box->exec();
    } else {
        // A plain window (the process log) runs modally until it is closed.
        dialog->setWindowModality(Qt::ApplicationModal);
        dialog->show();
        QEventLoop loop;
        while (dialog->isVisible())
            loop.processEvents(QEventLoop::WaitForMoreEvents);
        dialog->setWindowModality(Qt::NonModal);
    }
    ActiveWindow = this;
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
