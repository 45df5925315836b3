#pragma once
// The program folder, where the program keeps its working folders ("config",
// "temp", "kepler", "images", "audio", ...): $ORVANTA_HOME, else
// $XDG_DATA_HOME/Orvanta (~/.local/share/Orvanta).
#include <QString>

namespace programfolder {

// The program folder with a trailing '/'.
QString Path();

// Copies every file below sourceFolder into the program folder where it is
// missing; a user's file is never overwritten. Returns the first error met
// (the copying goes on past it), empty when all went well.
QString InstallShippedFiles(const QString& sourceFolder);

// The folder of the files shipped with the program: $ORVANTA_DATA, else the
// data folder beside the executable's share/, else the source tree's data/.
QString ShippedFilesFolder();

}  // namespace programfolder
