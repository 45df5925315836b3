// Satellite > "Keplerian elements...": the download dialog, then the merge of
// the checked element sets into the catalogue.
#include "shell/ui/LogForm.h"
#include "shell/ui/MainForm.h"
#include "tracking/ui/KeplerDlg.h"

#include <QApplication>

void TMainForm::Keplerianelements1Click()
{
    // Open also during a recording: the merge restarts the tracker only.
    if (!KeplerDlg || RaiseOpenDialog(KeplerDlg))
        return;
    if (ShowDialogModal(KeplerDlg) != QDialog::Accepted)
        return;
    QApplication::setOverrideCursor(Qt::WaitCursor);
    QStringList problems;
    const int taken = MergeElementSets(SatelliteList, KeplerDlg->Downloaded, folders_.GetKeplerArchiveDir(), &problems);
    if (taken > 0) {
        SaveTLEFile(folders_.GetTLEFileName(), &KeplerDlg->Downloaded);
        RestartTracker(0);
    }
    QApplication::restoreOverrideCursor();
    if (!problems.isEmpty() && LogForm)
        LogForm->AddEntry("Element sets not archived", problems);
}
