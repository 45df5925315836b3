#pragma once
// TFeedInfo: one subscribed feed of the feed reader. It keeps what the
// subscription list stores (URL, channel link, story count, the cached
// document and channel picture with their "Last-Modified" lines), what the
// last walk of the document found (channel link, title, picture), and turns
// a finished download into a time-stamped cache file of its own.
//
// A "Last-Modified" line is a whole header line,
//   "Last-Modified: Tue, 08 Mar 2005 14:05:09 GMT"
// as the server sent it, or made from a file's modification time (UTC).
#include "orbit/Satutil.h"  // TDateTime

#include <QString>
#include <cstdint>

// Shown and saved for a feed whose URL or channel link is still empty.
inline constexpr char kPlaceholderFeedURL[] = "http://example.invalid/feed.xml";
inline constexpr char kPlaceholderFeedLink[] = "http://example.invalid/";

class TFeedInfo {
public:
    // Bits of Flags.
    enum : std::uint32_t {
        InItems = 1,     // the walk has met its first item
        Valid = 2,       // link and title were both found
        Read = 4,        // shown, unchanged on Fetch all, or cached when loaded
        ImageKnown = 8,  // the channel picture's URL and title were both found
    };
    // Kinds of CacheFile.
    enum { DocumentKind = 1, ImageKind = 2 };

    QString Link;
    QString Title;
    int Stories = 0;
    QString ImageURL;
    QString ImageTitle;
    QString ImageFile;  // full path in the cache folder, "" when none
    QString ImageLastModified;
    QString URL;  // as the user entered it
    QString DocFile;  // full path in the cache folder, "" when none
    QString DocLastModified;
    std::uint32_t Flags = 0;

    void Clear();
    // Forgets what the last walk found: link, title, picture, stories, flags.
    void ClearChannel();
    // Forgets the URL, both cache files and their lines; deletes nothing.
    void ClearFiles();
    // Link and title both found; with setFlag bit 0 set the Valid flag is kept.
    bool IsValid(int setFlag);
    // Deletes both cached files and forgets them with the channel; the URL stays.
    void ClearCache();
    // True when the cached document exists; forgets what no longer does and
    // makes missing "Last-Modified" lines from the files.
    bool CheckCache();

    QString GetURL() const;
    QString GetLink() const;
    // The line shown under the feed's node; never empty.
    QString GetLastModified() const;
    // "Last-Modified: <the file's time in UTC>", "" when the file is missing.
    static QString FileLastModified(const QString& fileName);
    // Copies a finished download into the cache folder (the download's own
    // folder) under "yymmdd_hhnnss_mmm" of the local time, with ".xml" for
    // the document or the download's own extension for the picture, replaces
    // the previous cache file of that kind and deletes the download.
    void CacheFile(const QString& downloadedFile, int kind);
    // The UTC time of a stored line; 0 (an unconditional request) when the
    // line is too short or is no date.
    static TDateTime GetModifiedSince(const QString& line);
};
