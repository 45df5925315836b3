#pragma once
// What the program asks of the desktop shell, on a Linux desktop.
#include <QString>
#include <QStringList>

namespace shell {

// The user's desktop folder; empty when there is none.
QString DesktopFolder();

// Writes a launcher (.desktop entry) for program at entryPath, named name;
// false with the reason in error.
bool WriteDesktopEntry(const QString& program, const QString& entryPath, const QString& name, QString& error);

// Starts a program in the background. The result follows the shell's codes:
// above 32 for success, 2 for a program that was not found, 5 for one that
// may not be run, 0 when the system could not start it.
int StartProgram(const QString& program, const QStringList& arguments);

// The program that opens web addresses and documents (xdg-open); empty when
// the desktop has none.
QString FindDocumentOpener();

// The mixer program: $ORVANTA_MIXER, else pavucontrol.
QString MixerProgram();

// The version of this build, four numbers joined by points.
QString BuildVersionText();

}  // namespace shell
