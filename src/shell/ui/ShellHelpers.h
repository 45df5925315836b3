#pragma once
// The program's talk with the desktop: launchers, the web browser, other
// programs. GUI thread only: these may show message boxes.
#include <QString>

class QWidget;

// Writes a launcher for target at shortcutPath; true when it was saved.
bool CreateShortcut(const QString& target, const QString& shortcutPath);
// A shell folder by its Windows value name ("Desktop"); "" when unknown.
QString GetShellFolder(const QString& name);
// Asks the user for a name and puts a launcher of the running program on
// the desktop; defaultNameFrom gives the name offered.
void CreateDesktopShortcut(const QString& defaultNameFrom);

// The program that opens web addresses: the given browser when it exists,
// else the desktop's opener; "" (and, unless silent, a box) when there is none.
QString FindDefaultBrowser(const QString& browser, bool silent);
// Opens a web address or local page; the browser used, or "" on failure
// (reported in a box).
QString OpenURL(QWidget* owner, const QString& browser, const QString& address, bool useGiven);

// Starts a program or document. flags bit 0: the file must exist; bit 1:
// report a failure in a box. Returns the reason text, "" on success.
QString ExecuteFile(const QString& file, const QString& parameters, int flags);
