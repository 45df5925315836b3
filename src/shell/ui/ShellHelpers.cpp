#include "shell/ui/ShellHelpers.h"

#include "platform/ShellStandIns.h"
#include "platform/ui/OpenDocument.h"
#include "shell/TextHelpers.h"

#include <QCoreApplication>
#include <QFileInfo>
#include <QInputDialog>
#include <QMessageBox>
#include <QProcess>

namespace {

QMessageBox::StandardButton Box(QWidget* owner, QMessageBox::Icon icon, const QString& caption, const QString& text,
                                QMessageBox::StandardButtons buttons = QMessageBox::Ok, bool topmost = false)
{
    QMessageBox box(icon, caption, text, buttons, owner);
    if (topmost)
        box.setWindowFlag(Qt::WindowStaysOnTopHint);
    return static_cast<QMessageBox::StandardButton>(box.exec());
}

}  // namespace

bool CreateShortcut(const QString& target, const QString& shortcutPath)
{
    QString error;
    return shell::WriteDesktopEntry(target, shortcutPath, QFileInfo(shortcutPath).completeBaseName(), error);
}

QString GetShellFolder(const QString& name)
{
    if (name.compare("Desktop", Qt::CaseInsensitive) == 0)
        return shell::DesktopFolder();
    return {};
}

void CreateDesktopShortcut(const QString& defaultNameFrom)
{
    const QString desktop = GetShellFolder("Desktop");
    if (desktop.isEmpty()) {
        Box(nullptr, QMessageBox::Critical, "Error", "Desktop path not found!");
        return;
    }
    QString name = QFileInfo(defaultNameFrom).completeBaseName();
    for (;;) {
        bool ok = false;
        name = QInputDialog::getText(nullptr, "Enter shortcut name", "Enter shortcut name:", QLineEdit::Normal, name,
                                     &ok);
        if (!ok)
            return;
        if (!name.isEmpty())
            break;
        if (Box(nullptr, QMessageBox::Critical, "Bad input!", "Shortcut name must not be empty!\nReinput a name?",
                QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes)
            return;
    }
    const QString path = desktop + "/" + name + ".desktop";
    if (QFileInfo::exists(path) &&
        Box(nullptr, QMessageBox::Question, "Confirm", "Shorcut allready exists!\nOwerwrite?",
            QMessageBox::Yes | QMessageBox::No | QMessageBox::Cancel) != QMessageBox::Yes)
        return;
    if (CreateShortcut(QCoreApplication::applicationFilePath(), path))
        Box(nullptr, QMessageBox::Information, "Information", QString("Shortcut %1 created!").arg(name));
    else
        Box(nullptr, QMessageBox::Critical, "Error", "Shortcut creation failed. Check application path!");
}

QString FindDefaultBrowser(const QString& browser, bool silent)
{
    if (!browser.isEmpty() && QFileInfo::exists(browser))
        return browser;
    const QString opener = shell::FindDocumentOpener();
    if (opener.isEmpty() && !silent)
        Box(nullptr, QMessageBox::Information, "Info", "No default web-browser defined!");
    return opener;
}

QString OpenURL(QWidget* owner, const QString& browser, const QString& address, bool useGiven)
{
    const QString used = useGiven ? browser : FindDefaultBrowser(browser, false);
    if (used.isEmpty()) {
        if (useGiven)
            Box(owner, QMessageBox::Critical, "Error: Default browser not set!", address);
        return {};
    }
    // The program found (the given browser or the desktop's opener) runs
    // with the address; only when it is no program does the desktop decide.
    // A local page that is not there is reported before anything starts.
    int result = MissingLocalFileResult(address);
    if (result == 0)
        result = QFileInfo(used).isExecutable() ? shell::StartProgram(used, {address}) : OpenDocumentResult(address);
    if (result > 32)
        return used;
    Box(nullptr, QMessageBox::Critical, "Error: Unable to open URL!",
        address + "\n\n" + GetShellExecuteErrorText(result));
    return {};
}

QString ExecuteFile(const QString& file, const QString& parameters, int flags)
{
    QString reason;
    if ((flags & 1) && !QFileInfo::exists(file))
        reason = GetShellExecuteErrorText(2);
    else
        reason = GetShellExecuteErrorText(
            shell::StartProgram(file, QProcess::splitCommand(parameters)));
    if ((flags & 2) && !reason.isEmpty())
        Box(nullptr, QMessageBox::Critical, "Shell Execute Error",
            QString("Failed to execute %1 !\n%2").arg(file, reason), QMessageBox::Ok, true);
    return reason;
}
