// The feed record: cache files with time-stamped names, the made and stored
// "Last-Modified" lines, and what clearing and checking keep.
#include "FeedTestSupport.h"
#include "publishing/FeedInfo.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QRegularExpression>
#include <gtest/gtest.h>

using feedtest::WriteFixture;

namespace {

QString CacheDir()
{
    const QString dir = testenv::ProgramDir() + "rss";
    QDir().mkpath(dir);
    return dir;
}

QString Download(const QString& name, const QByteArray& body)
{
    return WriteFixture("rss/" + name, body);
}

}  // namespace

TEST(FeedInfo, ModifiedSinceReadsFixedPositions)
{
    struct Case {
        const char* name;
        const char* line;
        TDateTime expected;
    };
    const Case cases[] = {
        {"server line", "Last-Modified: Tue, 08 Mar 2005 14:05:09 GMT", EncodeDateTime(2005, 3, 8, 14, 5, 9)},
        {"unknown month reads as January", "Last-Modified: Tue, 08 Xyz 2005 14:05:09 GMT",
         EncodeDateTime(2005, 1, 8, 14, 5, 9)},
        {"43 characters", "Last-Modified: Tue, 08 Mar 2005 14:05:09 GM", 0},
        {"not available", "Last-Modified: N/A", 0},
        {"empty", "", 0},
        {"no date in it", "Last-Modified: Tue, xx Mar 2005 14:05:09 GMT", 0},
        {"bad time", "Last-Modified: Tue, 08 Mar 2005 25:05:09 GMT", 0},
        {"31 February", "Last-Modified: Tue, 31 Feb 2005 14:05:09 GMT", 0},
    };
    for (const Case& c : cases)
        EXPECT_DOUBLE_EQ(TFeedInfo::GetModifiedSince(c.line), c.expected) << c.name;
}

TEST(FeedInfo, FileLastModifiedIsTheFileTimeInUtc)
{
    const QString path = WriteFixture("stamp.txt", "x");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    ASSERT_TRUE(file.setFileTime(QDateTime(QDate(2021, 4, 1), QTime(8, 30, 5), Qt::UTC),
                                 QFileDevice::FileModificationTime));
    file.close();
    EXPECT_EQ(TFeedInfo::FileLastModified(path), "Last-Modified: Thu, 01 Apr 2021 08:30:05 GMT");
    EXPECT_EQ(TFeedInfo::FileLastModified(path + ".missing"), "");
    EXPECT_DOUBLE_EQ(TFeedInfo::GetModifiedSince(TFeedInfo::FileLastModified(path)),
                     EncodeDateTime(2021, 4, 1, 8, 30, 5))
        << "a made line reads back as the same time";
}

TEST(FeedInfo, CacheFileMovesDownloadsUnderTimeStampedNames)
{
    CacheDir();
    TFeedInfo feed;
    const QRegularExpression docName("/\\d{6}_\\d{6}_\\d{3}\\.xml$");
    const QRegularExpression pngName("/\\d{6}_\\d{6}_\\d{3}\\.png$");

    const QString first = Download("dl.xml", "one");
    feed.DocLastModified = "Last-Modified: Tue, 08 Mar 2005 14:05:09 GMT";
    feed.CacheFile(first, TFeedInfo::DocumentKind);
    const QString firstCache = feed.DocFile;
    EXPECT_TRUE(docName.match(firstCache).hasMatch()) << firstCache.toStdString();
    EXPECT_FALSE(QFileInfo::exists(first)) << "the download is deleted";
    EXPECT_EQ(feed.DocLastModified, "Last-Modified: Tue, 08 Mar 2005 14:05:09 GMT") << "a server's line stays";

    // A second document at once: a new name, the old cache file goes.
    feed.DocLastModified.clear();
    feed.CacheFile(Download("dl.xml", "two"), TFeedInfo::DocumentKind);
    EXPECT_NE(feed.DocFile, firstCache);
    EXPECT_FALSE(QFileInfo::exists(firstCache));
    QFile second(feed.DocFile);
    ASSERT_TRUE(second.open(QIODevice::ReadOnly));
    EXPECT_EQ(second.readAll(), "two");
    EXPECT_TRUE(feed.DocLastModified.startsWith("Last-Modified: ")) << "made from the download without a header";

    feed.CacheFile(Download("picture.png", "png"), TFeedInfo::ImageKind);
    EXPECT_TRUE(pngName.match(feed.ImageFile).hasMatch()) << feed.ImageFile.toStdString();
    feed.CacheFile(Download("picture", "raw"), TFeedInfo::ImageKind);
    EXPECT_FALSE(feed.ImageFile.contains('.')) << "no extension, none added";
    EXPECT_EQ(QDir(CacheDir()).entryList(QDir::Files).size(), 2) << "one document and one picture";

    const TFeedInfo before = feed;
    feed.CacheFile(CacheDir() + "/nothing.xml", TFeedInfo::DocumentKind);
    feed.CacheFile(Download("x.xml", "x"), 4);
    EXPECT_EQ(feed.DocFile, before.DocFile);
    EXPECT_EQ(feed.ImageFile, before.ImageFile);
}

TEST(FeedInfo, DownloadsWithinOneMillisecondGetTwoNames)
{
    CacheDir();
    TFeedInfo a, b;
    a.CacheFile(Download("a.xml", "a"), TFeedInfo::DocumentKind);
    b.CacheFile(Download("b.xml", "b"), TFeedInfo::DocumentKind);
    ASSERT_FALSE(a.DocFile.isEmpty());
    EXPECT_NE(a.DocFile, b.DocFile);
    EXPECT_TRUE(QFileInfo::exists(a.DocFile));
    EXPECT_TRUE(QFileInfo::exists(b.DocFile));
}

TEST(FeedInfo, ClearingAndCheckingTheCache)
{
    CacheDir();
    TFeedInfo feed;
    feed.URL = "http://feeds.example/news.xml";
    feed.CacheFile(Download("d.xml", "d"), TFeedInfo::DocumentKind);
    feed.CacheFile(Download("i.gif", "i"), TFeedInfo::ImageKind);
    feed.Flags = TFeedInfo::ImageKnown | TFeedInfo::Read;
    feed.DocLastModified.clear();
    EXPECT_TRUE(feed.CheckCache());
    EXPECT_TRUE(feed.DocLastModified.startsWith("Last-Modified: "));
    EXPECT_TRUE(feed.Flags & TFeedInfo::ImageKnown);

    QFile::remove(feed.ImageFile);
    EXPECT_TRUE(feed.CheckCache());
    EXPECT_FALSE(feed.Flags & TFeedInfo::ImageKnown) << "a missing picture is forgotten";
    EXPECT_TRUE(feed.ImageFile.isEmpty());

    const QString doc = feed.DocFile;
    feed.ClearCache();
    EXPECT_FALSE(QFileInfo::exists(doc));
    EXPECT_EQ(feed.URL, "http://feeds.example/news.xml") << "the feed stays subscribed";
    EXPECT_TRUE(feed.DocFile.isEmpty());
    EXPECT_FALSE(feed.CheckCache());
    EXPECT_EQ(feed.GetLastModified(), "Last-Modified: N/A");

    feed.DocFile = CacheDir() + "/gone.xml";
    feed.DocLastModified = "Last-Modified: Tue, 08 Mar 2005 14:05:09 GMT";
    EXPECT_FALSE(feed.CheckCache());
    EXPECT_TRUE(feed.DocLastModified.isEmpty());
}

TEST(FeedInfo, PlaceholdersAndValidity)
{
    TFeedInfo feed;
    EXPECT_EQ(feed.GetURL(), kPlaceholderFeedURL);
    EXPECT_EQ(feed.GetLink(), kPlaceholderFeedLink);
    EXPECT_NE(QString(kPlaceholderFeedURL), QString(kPlaceholderFeedLink));
    feed.Title = "T";
    EXPECT_FALSE(feed.IsValid(1));
    feed.Link = "http://l.example/";
    EXPECT_TRUE(feed.IsValid(0));
    EXPECT_FALSE(feed.Flags & TFeedInfo::Valid);
    EXPECT_TRUE(feed.IsValid(1));
    EXPECT_TRUE(feed.Flags & TFeedInfo::Valid);
    feed.URL = "u";
    feed.Clear();
    EXPECT_TRUE(feed.URL.isEmpty());
    EXPECT_EQ(feed.Flags, 0u);
}
