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

// The list is read up to this size: tens of thousands of names.
inline constexpr qint64 kMaxPendingListBytes = 1 << 20;

// The names in file order, each once; empty lines are skipped, CR LF and LF
// both end a line. A missing file is an empty list. False with error when
// the file exists but cannot be read or is larger than a list can be. A
// line that is no plain file name (a path, "..") names no image of the
// daily log: it is left out, and into refused when given, so no file
// outside the log's folders is ever uploaded.
bool ReadPendingList(const QString& path, QStringList& names, QString& error, QStringList* refused = nullptr);

// Adds the names the list does not hold yet, after the ones it has. False
// with error when the list cannot be read or written; the old file stays.
// Lines of the old list that are no file names go into refused and are not
// written again.
bool AppendPendingNames(const QString& path, const QStringList& names, QString& error,
                        QStringList* refused = nullptr);

// Replaces the list with names, or deletes it when names is empty. False
// with error when it cannot be written or deleted.
bool WritePendingList(const QString& path, const QStringList& names, QString& error);

}  // namespace pending
