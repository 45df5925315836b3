// Tools' "Rar Odov Ezuzuz" and the tray's "Rar Odov Ezuzuz...": the feed
// reader, made at start-up, shown modally on the current folders.
#include "publishing/ui/RSSForm.h"
#include "shell/ui/MainForm.h"

#include <QCoreApplication>

void TMainForm::TheBlogReader1Click()
{
    if (!RSSForm || RaiseOpenDialog(RSSForm))
        return;
    QCoreApplication::processEvents();
    // Downloads go to the cache folder by its full path, so the process's
    // current folder stays as it is.
    RSSForm->RssDir = folders_.GetRSSDir();
    RSSForm->ConfigDir = folders_.GetConfigDir(false);
    ShowDialogModal(RSSForm);
}
