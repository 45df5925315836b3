#pragma once
// "rss_links.txt": the feed reader's subscriptions, one section of seven
// lines per feed after a comment block and a version block:
//
//   [Version]
//   1.0.0
//   [Feed-0]
//   http://example.org/news.rss                    feed URL
//   http://example.org/                            channel link
//   12                                             stories told
//   /home/u/.../html/rss/210401_101500_123.xml     cached document
//   Last-Modified: Thu, 01 Apr 2021 08:00:00 GMT   its Last-Modified line
//   /home/u/.../html/rss/210401_101501_007.png     cached channel picture
//   Last-Modified: Wed, 31 Mar 2021 08:00:00 GMT   its Last-Modified line
//
// Sections are numbered from 0 in tree order at every save; reading looks
// each number up from the top of the file, so their order does not matter
// and a gap ends the list.
//
// The cached files named in the list are deleted when their feed is cleared
// or downloaded again, so a name is kept only when it is a file directly in
// the feed cache folder that no other feed of the list names.
#include "publishing/FeedInfo.h"

#include <QIODevice>
#include <QList>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>

inline constexpr char kFeedListFileName[] = "rss_links.txt";
inline constexpr char kFeedListVersion[] = "1.0.0";
// Fewer feeds than this read from the list bring in the built-in ones.
inline constexpr int kFeedListMinimum = 2;
// The list is read this far at most: thousands of feeds.
inline constexpr qint64 kFeedListMaxBytes = 4 << 20;

using TFeedReceiver = std::function<void(std::unique_ptr<TFeedInfo>)>;

// The next line of file without its line end (LF, CR LF), whatever its
// length; false at the end of the file or for an empty line (line empty then).
bool ReadLinkLine(QIODevice& file, QByteArray& line);

// Hands every feed of the list file to add in section order and returns how
// many there were (0 when the file cannot be opened). A cached file name
// outside cacheDir, or named by an earlier feed, is dropped with its
// "Last-Modified" line and described in ignored, one line each.
int ReadFeedList(const QString& path, const QString& cacheDir, const TFeedReceiver& add,
                 QStringList* ignored = nullptr);

// The eight feeds offered to a new user, each with only its URL set.
void AddBuiltInFeeds(const TFeedReceiver& add);

// One top-level node of the reader's tree: its feed, or only its text.
struct TFeedListEntry {
    const TFeedInfo* Feed = nullptr;
    QString Text;
};

// The whole file for these entries (those with an empty text are left out);
// programVersion and savedAt fill the comment block.
QByteArray FormatFeedList(const QList<TFeedListEntry>& entries, const QString& programVersion,
                          const QString& savedAt);
// Writes the list atomically; on failure the old file stays and error names
// the path and the reason.
bool WriteFeedList(const QString& path, const QList<TFeedListEntry>& entries, const QString& programVersion,
                   QString& error);
