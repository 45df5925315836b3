#pragma once
// The pending-upload list "upload.txt" of the daily log: the file names of
// the images (and, under the same name, their thumbnails) that an upload
// could not send, one a line, kept for the next upload or a retry. It lives
// across runs of the same day; the first run of a new day deletes it.
//
// A name that failed to reach the server must never disappear quietly: a
// list that cannot be read or written is an error with the path and the
// system's reason, for the caller to report.
#include <QString>
#include <QStringList>

namespace pending {

// The names in file order, each once; empty lines are skipped, CR LF and LF
// both end a line. A missing file is an empty list. False with error when
// the file exists but cannot be read.
bool ReadPendingList(const QString& path, QStringList& names, QString& error);

// Adds the names the list does not hold yet, after the ones it has. False
// with error when the list cannot be read or written; the old file stays.
bool AppendPendingNames(const QString& path, const QStringList& names, QString& error);

// Replaces the list with names, or deletes it when names is empty. False
// with error when it cannot be written or deleted.
bool WritePendingList(const QString& path, const QStringList& names, QString& error);

}  // namespace pending
