#pragma once
// Paths on the FTP server of the daily log. The remote log folder is the
// folder the server reports after log-in, then the parts of the settings'
// FTP folder, then "daily": the folders are made and the files stored below
// that one base, so a server whose log-in folder is a home folder (not "/")
// gets its files where the folders were made.
#include <QString>
#include <QStringList>

namespace remotepath {

// The parts of an FTP folder setting: split at every "/", empty parts dropped.
QStringList FolderParts(const QString& ftpDir);

// base followed by the parts, with exactly one "/" between any two of them
// (the parts' own leading and trailing "/" do not count). An empty base
// gives a relative path.
QString Join(const QString& base, const QStringList& parts);

// The remote log folder below the log-in folder startDir.
QString DailyDir(const QString& startDir, const QString& ftpDir);

}  // namespace remotepath
