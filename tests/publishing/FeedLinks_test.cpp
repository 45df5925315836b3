// What the feed reader accepts from a feed's addresses: which links open,
// where a download is written, which spans of a line are links.
#include "publishing/FeedLinks.h"

#include <gtest/gtest.h>

TEST(FeedLinks, OnlyWebAndFtpAddressesOpen)
{
    struct Case {
        const char* name;
        const char* link;
        bool opens;
    };
    const Case cases[] = {
        {"http", "http://example.org/news", true},
        {"https, upper-case scheme", "HTTPS://example.org/a?b=c", true},
        {"ftp", "ftp://ftp.example.org/pub/", true},
        {"surrounding blanks", "  http://example.org/  ", true},
        {"file", "file:///etc/passwd", false},
        {"script", "javascript:alert(1)", false},
        {"bare path", "/home/user/.bashrc", false},
        {"relative name", "index.html", false},
        {"mail", "mailto:someone@example.org", false},
        {"web scheme without host", "http:/etc/passwd", false},
        {"empty", "", false},
    };
    for (const Case& c : cases)
        EXPECT_EQ(IsOpenableFeedLink(c.link), c.opens) << c.name;
}

TEST(FeedLinks, DownloadsGoToOneFixedNameInTheCache)
{
    struct Case {
        const char* name;
        const char* url;
        bool picture;
        const char* file;
    };
    const Case cases[] = {
        {"document, whatever its name", "http://example.org/../../etc/feed.rss", false, "feed_download.tmp"},
        {"document named by a query", "http://example.org/get?name=/tmp/x.xml", false, "feed_download.tmp"},
        {"picture keeps its extension", "http://example.org/img/logo.PNG", true, "feed_picture.PNG"},
        {"query is not the extension", "http://example.org/logo.gif?size=../../x", true, "feed_picture.gif"},
        {"long extension dropped", "http://example.org/logo.verylong", true, "feed_picture"},
        {"no extension", "http://example.org/logo", true, "feed_picture"},
        {"dot in a folder only", "http://example.org/v1.2/logo", true, "feed_picture"},
        {"not alphanumeric", "http://example.org/a.p%2Fg", true, "feed_picture"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(FeedDownloadPath("/cache/rss", c.url, c.picture), QString("/cache/rss/") + c.file) << c.name;
}

TEST(FeedLinks, WebAddressesInALine)
{
    const QString line = "See http://example.org/a. Or (ftp://f.example.org/x), file:/etc/hosts; "
                         "not mid-word xhttp://no, nor a bare https://";
    QStringList found;
    for (const TTextSpan& span : FindWebAddresses(line))
        found << line.mid(span.Start, span.Length);
    EXPECT_EQ(found, QStringList({"http://example.org/a", "ftp://f.example.org/x", "file:/etc/hosts"}));
}
