// Tools > "Check time...": the time-check dialog, shown modally; it keeps
// its own results.
#include "shell/ui/MainForm.h"
#include "tracking/ui/TimeDlg.h"

void TMainForm::Checktime1Click()
{
    if (!TimeDlg || RaiseOpenDialog(TimeDlg))
        return;
    ShowDialogModal(TimeDlg);
}
