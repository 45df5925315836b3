#pragma once
// What the feed reader does with addresses that come from feeds: which
// links it may hand to the desktop, where a download is written, and which
// spans of a line of feed text are web addresses. A feed is someone else's
// text, so none of these trusts it.
#include <QList>
#include <QString>

// Only web and FTP addresses with a host open: file:, javascript:, a bare
// path or anything else is refused.
bool IsOpenableFeedLink(const QString& link);

// The fixed name a download is written to in the cache folder, whatever the
// server or the URL calls the document. A picture keeps the extension of the
// URL's path when it is one to four letters or digits (the picture loader
// goes by it); a document needs none.
QString FeedDownloadPath(const QString& cacheFolder, const QString& url, bool picture);

// A web address inside a line of text: its first character and length.
struct TTextSpan {
    int Start = 0;
    int Length = 0;
};
// The addresses in a line, in order (scheme-prefixed only; a trailing
// full stop, comma or closing bracket is not part of one).
QList<TTextSpan> FindWebAddresses(const QString& text);
