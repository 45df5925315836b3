// The main window's colour look-up-table commands: the chooser (Settings
// menu) and the table a view renders with. GUI thread, except
// GetLUTFileName.
#include "shell/ui/MainForm.h"

#include "imaging/LookupTables.h"
#include "imaging/ui/LUTDlg.h"
#include "imaging/ui/MDIChild.h"
#include "platform/CNumbers.h"

#include <QAction>
#include <QFileInfo>
#include <QLineEdit>
#include <QMenu>
#include <QMenuBar>
#include <algorithm>

namespace {

// The main menu's menu of that name, made before the Window menu when the
// menu bar has none yet.
QMenu* MainMenu(QMainWindow* window, QMenu* before, const char* name, const QString& caption)
{
    if (auto* menu = window->menuBar()->findChild<QMenu*>(name))
        return menu;
    auto* menu = new QMenu(caption, window->menuBar());
    menu->setObjectName(name);
    window->menuBar()->insertMenu(before->menuAction(), menu);
    return menu;
}

// The menu's item of that name, added with its caption and hint when missing.
QAction* MenuItem(QMenu* menu, const char* name, const QString& caption, const QString& hint)
{
    for (QAction* item : menu->actions())
        if (item->objectName() == name)
            return item;
    auto* item = menu->addAction(caption);
    item->setObjectName(name);
    item->setStatusTip(hint);
    item->setToolTip(hint);
    return item;
}

}  // namespace

void TMainForm::ConnectLUTCommands()
{
    QMenu* settings = MainMenu(this, Window1, "Settings1", "Settings");
    ColorLookupTables1 =
        MenuItem(settings, "ColorLookupTables1", "Color lookup tables...", "Setup colour lookup tables");
    ColorLookupTables1->setEnabled(true);
    connect(ColorLookupTables1, &QAction::triggered, this, &TMainForm::ColorLookupTables1Click);
}

QString TMainForm::GetLUTFileName(int view) const
{
    const QString path = LUTDlg ? LUTDlg->RowFileName(view) : LookupTableFileName(view, folders_.GetLUTDir());
    return !path.isEmpty() && QFileInfo(path).isFile() ? path : QString();
}

void TMainForm::ColorLookupTables1Click()
{
    if (!LUTDlg)
        new TLUTDlg(this);
    TMDIChild* child = FindMDIChild(0x2);
    if (LUTDlg->isVisible()) {
        BringDialogToFront(LUTDlg);
        return;
    }
    LUTDlg->ImageWindow = child;
    LUTDlg->LowTempValue->setText(QString::fromStdString(cnum::Format("%g", Settings->LowTempValue)));
    ActiveWindow = LUTDlg;
    const int result = LUTDlg->exec();
    ActiveWindow = this;
    if (result != QDialog::Accepted)
        return;
    double celsius = 0;  // text that is no number reads as 0
    if (!cnum::TryParseFloat(LUTDlg->LowTempValue->text().toStdString(), celsius))
        celsius = 0;
    Settings->LowTempValue = std::clamp(celsius, -60.0, 40.0);
}
