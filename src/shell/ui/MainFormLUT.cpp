// The main window's colour look-up-table commands (the chooser, the
// editor) and the table a view renders with. GUI thread, except
// GetLUTFileName.
#include "shell/ui/MainForm.h"

#include "imaging/LookupTables.h"
#include "imaging/ui/LUTDlg.h"
#include "imaging/ui/LUTEdDlg.h"
#include "imaging/ui/MDIChild.h"
#include "platform/CNumbers.h"

#include <QFileInfo>
#include <QLineEdit>
#include <algorithm>

namespace {

// The image window a table command works on: the active one when it shows a
// pass image, so that the command never moves the user to another window;
// else the first that does, brought to the front.
TMDIChild* TableImageWindow(TMainForm& form)
{
    TMDIChild* active = form.FindMDIChild(0);
    if (!active || !active->APT || !active->APT->IsImageReady())
        return form.FindMDIChild(0x2);
    active->Flags &= ~mcLive;  // picked up for its image, as the search does
    return active;
}

}  // namespace

QString TMainForm::GetLUTFileName(int view) const
{
    const QString path = LUTDlg ? LUTDlg->RowFileName(view) : LookupTableFileName(view, folders_.GetLUTDir());
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

void TMainForm::ColorLookupTables1Click()
{
    if (!LUTDlg)
        return;
    TMDIChild* child = TableImageWindow(*this);
    if (LUTEdDlg && LUTEdDlg->isVisible())
        LUTEdDlg->close();
    if (RaiseOpenDialog(LUTDlg))
        return;
    LUTDlg->ImageWindow = child;
    LUTDlg->LowTempValue->setText(QString::fromStdString(cnum::Format("%g", Settings->LowTempValue)));
    if (ShowDialogModal(LUTDlg) != QDialog::Accepted)
        return;
    double celsius = 0;  // text that is no number reads as 0
    if (!cnum::TryParseFloat(LUTDlg->LowTempValue->text().toStdString(), celsius))
        celsius = 0;
    Settings->LowTempValue = std::clamp(celsius, -60.0, 40.0);
    PersistSettings(false);
}

void TMainForm::ColorLookUpTableEditor1Click()
{
    if (!LUTEdDlg)
        return;
    TMDIChild* child = TableImageWindow(*this);
    if (RaiseOpenDialog(LUTEdDlg))
        return;
    // The editor runs beside the main window; it hands ActiveWindow back
    // when it agrees to close.
    ActiveWindow = LUTEdDlg;
    LUTEdDlg->ImageWindow = child;
    LUTEdDlg->LUTFileName = child ? GetLUTFileName(child->View) : QString();
    LUTEdDlg->show();
}
