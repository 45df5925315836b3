// The main window's "Swath Viewer..." command: the settings dialog edits a
// copy of the swath viewer's record, which is taken back only after OK with
// a change, and written to the registry at once. An open viewer is not
// rebuilt.
#include "maps/ui/SwathSetupDialog.h"
#include "shell/ui/MainForm.h"

void TMainForm::SwathViewer1Click()
{
    if (!SwathSetupDlg)
        new TSwathSetupDlg(this);
    TSwathSetupDlg* dialog = SwathSetupDlg;
    TSwathProp copy;
    copy.Assign(*SwathProps);
    dialog->Props = &copy;
    const int result = dialog->exec();
    dialog->Props = nullptr;
    if (result == QDialog::Accepted && (dialog->ChangeFlags & (ssColors | ssMap))) {
        SwathProps->Assign(copy);
        PersistSwathView(false);
    }
}
