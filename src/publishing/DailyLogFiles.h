#pragma once
// The files of the daily web log, all in the "daily" folder of the log
// folder, and the rule that decides whether a run continues today's page and
// feed or starts them anew.
//
// A day is a local calendar date of the program's clock, read from the
// files' modification times: the first run of a day finds yesterday's files
// and starts anew. The log's files are dated by that same clock when written,
// so a replaced clock (a simulated day) moves the log's days with it.
#include <QByteArray>
#include <QString>
#include <QStringList>

namespace dailylog {

inline constexpr char kDailyFolder[] = "daily";
inline constexpr char kPage[] = "index.html";
inline constexpr char kPageCopy[] = "index.txt";  // the page as it was before the run
inline constexpr char kStyleSheet[] = "index.css";
inline constexpr char kFeed[] = "daily_apt_blog.xml";
inline constexpr char kFeedCopy[] = "daily_apt_blog.txt";  // the feed as it was before the run
inline constexpr char kUploadList[] = "upload.txt";
inline constexpr char kImages[] = "images";
inline constexpr char kThumbs[] = "images/thumbs";

// The daily folder of a log folder.
QString DailyDir(const QString& logDir);

// The file exists and was last modified on today's local date.
bool IsFromToday(const QString& path);

// Writes a file of the daily log atomically and dates it by the program's
// clock. False with the reason in error when the file could not be written.
bool WriteDailyFile(const QString& path, const QByteArray& data, QString& error);

// Dates an existing file by the program's clock; false when it cannot be.
bool DateNow(const QString& path);

// Before a run rewrites the page or the feed: when the file is from today it
// is copied to its working copy (same name, ".txt") and the answer is true
// (continue) when the copy succeeded. Otherwise the answer is false (start
// anew), and the pending-upload list is deleted when a new day has begun:
// the file is of an earlier day, or it is missing and the list is not of today.
bool PrepareContinue(const QString& path);

// The working copy's name: the path with ".txt" for its extension.
QString WorkingCopyPath(const QString& path);

// The lines of a text file (LF or CR LF), or false when it cannot be read.
bool ReadLines(const QString& path, QStringList& lines);

}  // namespace dailylog
