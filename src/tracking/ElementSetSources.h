#pragma once
// The element-set download's two source lists and their files in "config":
// "kepurl.txt" (current data: URL, Modified, Group, Download) and
// "keparcurl.txt" (archives: URL, Modified, Download).
//
// File: a comment block (no line of it starts with "["), then one record a
// source, each field on a line of its own:
//   [http://host/NORAD/elements/noaa.txt]
//   Wed, 21 Sep 2005 14:05:09 GMT      (Modified, "N/A" when unknown)
//   NOAA                               (Group; current data only)
//   Yes                                (Download: "Yes" or "No")
#include "orbit/Satutil.h"

#include <QList>
#include <QString>
#include <QStringList>

struct TSourceRow {
    QString URL;
    QString Modified;
    QString Group;  // current data only
    QString Download;
};
using TSourceRows = QList<TSourceRow>;

enum class TSourceKind { CurrentData, Archive };

// The rows of a list file in file order ("[]" skipped; an empty field line
// gives "N/A", "" or "No"; the end of the file inside a record keeps what
// was read). Empty when the file is missing or holds no record.
TSourceRows ReadSourceList(const QString& path, TSourceKind kind);

// Why url cannot be kept in a list file, or empty when it can: a record's
// line, "[" URL "]", must fit the longest line the reader takes, and be one line.
QString SourceURLProblem(const QString& url);

// Writes the comment block (versionText, the local time now) and every row
// with a URL, to a temporary name renamed over path. False with the reason
// in error; the old file is kept then.
bool WriteSourceList(const QString& path, const TSourceRows& rows, TSourceKind kind,
                     const QString& versionText, QString& error);

// The built-in lists: 30 current-data sources on the public element-set
// service (only the first, the NOAA satellites, fetched), and no archive.
TSourceRows DefaultSources(TSourceKind kind);

// The group names the group editor offers before any download.
QStringList InitialGroupNames();

// The archive's name of a downloaded archive document: the date (UTC)
// formatted "yy_mm_hhnnss", "_" and the document name.
QString ArchiveDocumentName(TDateTime date, const QString& documentName);

// Moves a file to a name that must not exist yet: an archived document is
// never replaced. False with the reason in error.
bool MoveWithoutReplacing(const QString& from, const QString& to, QString& error);
