// The subscription list file: sections read by number from the top, short
// and long lines, the built-in feeds, and the atomic save.
#include "FeedTestSupport.h"
#include "publishing/FeedList.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <gtest/gtest.h>
#include <vector>

using feedtest::WriteFixture;

namespace {

std::vector<std::unique_ptr<TFeedInfo>> Read(const QString& path, int* count = nullptr,
                                              const QString& cacheDir = "/cache", QStringList* ignored = nullptr)
{
    std::vector<std::unique_ptr<TFeedInfo>> feeds;
    const int read =
        ReadFeedList(path, cacheDir, [&](std::unique_ptr<TFeedInfo> f) { feeds.push_back(std::move(f)); }, ignored);
    if (count)
        *count = read;
    return feeds;
}

QByteArray Section(int index, const QByteArray& url, const QByteArray& rest = "\n\n0\n\n\n\n\n")
{
    return "[Feed-" + QByteArray::number(index) + "]\n" + url + "\n" + rest;
}

}  // namespace

TEST(FeedList, SavedFeedsComeBackWithRenumberedSections)
{
    TFeedInfo a, b;
    a.URL = "http://a.example/rss.xml";
    a.Link = "http://a.example/";
    a.Stories = 12;
    a.DocFile = "/cache/210401_101500_123.xml";
    a.DocLastModified = "Last-Modified: Thu, 01 Apr 2021 08:00:00 GMT";
    a.ImageFile = "/cache/210401_101501_007.png";
    a.ImageLastModified = "Last-Modified: Wed, 31 Mar 2021 08:00:00 GMT";
    const QList<TFeedListEntry> entries = {{&a, a.GetURL()}, {nullptr, "http://text-only.example/"},
                                           {&b, ""}, {&b, b.GetURL()}};
    const QString path = testenv::ProgramDir() + kFeedListFileName;
    QString error;
    ASSERT_TRUE(WriteFeedList(path, entries, "Orvanta 1.2", error)) << error.toStdString();

    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    const QString text = QString::fromUtf8(file.readAll());
    EXPECT_TRUE(text.startsWith("/*\n *\n * RSS Link information file.\n * File saved with Orvanta 1.2 on "));
    EXPECT_TRUE(text.contains("[Version]\n1.0.0\n[Feed-0]\nhttp://a.example/rss.xml\nhttp://a.example/\n12\n"));
    EXPECT_TRUE(text.contains("[Feed-1]\nhttp://text-only.example/\n[Feed-2]\n"));
    EXPECT_FALSE(text.contains("[Feed-3]")) << "the entry without text is left out";

    int count = 0;
    const auto feeds = Read(path, &count);
    ASSERT_EQ(count, 3);
    EXPECT_EQ(feeds[0]->URL, a.URL);
    EXPECT_EQ(feeds[0]->Link, a.Link);
    EXPECT_EQ(feeds[0]->Stories, 12);
    EXPECT_EQ(feeds[0]->DocFile, a.DocFile);
    EXPECT_EQ(feeds[0]->DocLastModified, a.DocLastModified);
    EXPECT_EQ(feeds[0]->ImageFile, a.ImageFile);
    EXPECT_EQ(feeds[0]->ImageLastModified, a.ImageLastModified);
    EXPECT_EQ(feeds[1]->URL, "http://text-only.example/");
    EXPECT_TRUE(feeds[1]->Link.isEmpty()) << "cut short by the next header";
    EXPECT_EQ(feeds[2]->URL, kPlaceholderFeedURL) << "an empty URL comes back as the placeholder";
    EXPECT_EQ(feeds[2]->Link, kPlaceholderFeedLink);
}

TEST(FeedList, SectionsAreFoundByNumberUpToAGap)
{
    const QByteArray text = "[Version]\n1.0.0\n" + Section(1, "http://one.example/") +
                            Section(0, "http://zero.example/", "[Feed-1]\n") + Section(3, "http://three.example/");
    int count = 0;
    const auto feeds = Read(WriteFixture("gap.txt", text), &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(feeds[0]->URL, "http://zero.example/");
    EXPECT_TRUE(feeds[0]->Link.isEmpty());
    EXPECT_EQ(feeds[1]->URL, "http://one.example/");
}

TEST(FeedList, LongLinesAreReadWhole)
{
    const QByteArray url = "http://long.example/" + QByteArray(3000, 'a') + ".xml";
    const auto feeds = Read(WriteFixture("long.txt", Section(0, url, "http://l.example/\n7\n\n\n\n\n")));
    ASSERT_EQ(feeds.size(), 1u);
    EXPECT_EQ(feeds[0]->URL.toUtf8(), url);
    EXPECT_EQ(feeds[0]->Link, "http://l.example/") << "the long line's tail is not the next field";
    EXPECT_EQ(feeds[0]->Stories, 7);
}

TEST(FeedList, CachedNamesOutsideTheCacheOrNamedTwiceAreIgnoredAndNeverDeleted)
{
    const QString cache = testenv::ProgramDir() + "html/rss";
    ASSERT_TRUE(QDir().mkpath(cache));
    const QString own = WriteFixture("html/rss/210401_101500_123.xml", "<rss/>");
    const QString ownPicture = WriteFixture("html/rss/210401_101500_124.png", "png");
    const QString precious = WriteFixture("precious.txt", "the user's own file");
    const QString line = "Last-Modified: Thu, 01 Apr 2021 08:00:00 GMT";
    const auto section = [&](int index, const QString& doc, const QString& picture) {
        return Section(index, "http://f" + QByteArray::number(index) + ".example/",
                       ("\n0\n" + doc + "\n" + line + "\n" + picture + "\n" + line + "\n").toUtf8());
    };
    struct Case {
        const char* name;
        QString doc;
        bool kept;
    };
    const Case cases[] = {
        {"a file of the cache", own, true},
        {"outside the cache", precious, false},
        {"climbing out of the cache", cache + "/../../precious.txt", false},
        {"relative", "precious.txt", false},
        {"the cache folder itself", cache + "/", false},
        {"named by an earlier feed", own, false},
    };
    QByteArray text;
    int index = 0;
    for (const Case& c : cases) {
        text += section(index, c.doc, index == 0 ? ownPicture : "");
        ++index;
    }
    text += section(index++, ownPicture, "");  // the first feed's picture as another's document
    text += section(index, cache + "/210401_101500_125.xml", cache + "/210401_101500_125.xml");

    QStringList ignored;
    const auto feeds = Read(WriteFixture("cache-names.txt", text), nullptr, cache, &ignored);
    ASSERT_EQ(feeds.size(), std::size(cases) + 2);
    for (size_t i = 0; i < std::size(cases); ++i) {
        EXPECT_EQ(feeds[i]->DocFile, cases[i].kept ? cases[i].doc : QString()) << cases[i].name;
        EXPECT_EQ(feeds[i]->DocLastModified, cases[i].kept ? line : QString()) << cases[i].name;
    }
    EXPECT_EQ(feeds[0]->ImageFile, ownPicture);
    EXPECT_TRUE(feeds[std::size(cases)]->DocFile.isEmpty()) << "a picture of one feed is not another's document";
    EXPECT_EQ(feeds.back()->DocFile, cache + "/210401_101500_125.xml");
    EXPECT_TRUE(feeds.back()->ImageFile.isEmpty()) << "nor its own document its picture";
    ASSERT_EQ(ignored.size(), 7) << ignored.join("\n").toStdString();
    EXPECT_TRUE(ignored[0].startsWith("http://f1.example/: cached file \"" + precious + "\" ignored"))
        << ignored[0].toStdString();
    EXPECT_TRUE(ignored[0].contains(cache)) << "says which folder it should be in";

    // Clearing every feed deletes only files of the cache.
    for (const auto& feed : feeds)
        feed->ClearCache();
    EXPECT_TRUE(QFile::exists(precious));
    EXPECT_FALSE(QFile::exists(own));
    EXPECT_FALSE(QFile::exists(ownPicture));

    // Without a known cache folder no name is taken.
    QStringList none;
    const auto unknown = Read(WriteFixture("cache-names.txt", section(0, precious, "")), nullptr, "", &none);
    ASSERT_EQ(unknown.size(), 1u);
    EXPECT_TRUE(unknown[0]->DocFile.isEmpty());
    EXPECT_EQ(none.size(), 1);
}

TEST(FeedList, EveryValueIsOneLineOfTheFile)
{
    TFeedInfo f;
    f.URL = "http://a.example/rss.xml";
    f.Link = "\n      http://a.example/\n    ";  // as a document indents it
    f.Stories = 4;
    f.DocFile = "/cache/210401_101500_123.xml";
    f.DocLastModified = "Last-Modified: Thu, 01 Apr 2021 08:00:00 GMT";
    const QString path = testenv::ProgramDir() + kFeedListFileName;
    QString error;
    ASSERT_TRUE(WriteFeedList(path, {{&f, f.GetURL()}, {nullptr, "http://b.example/\nx"}}, "v", error));
    int count = 0;
    const auto feeds = Read(path, &count);
    ASSERT_EQ(count, 2);
    EXPECT_EQ(feeds[0]->Link, "http://a.example/");
    EXPECT_EQ(feeds[0]->Stories, 4) << "the fields after the link stay in place";
    EXPECT_EQ(feeds[0]->DocFile, f.DocFile);
    EXPECT_EQ(feeds[0]->DocLastModified, f.DocLastModified);
    EXPECT_EQ(feeds[1]->URL, "http://b.example/ x");

    // Written again from what was read, the file is the same.
    const QByteArray first = FormatFeedList({{feeds[0].get(), "x"}, {feeds[1].get(), "y"}}, "v", "now");
    std::vector<std::unique_ptr<TFeedInfo>> again;
    ASSERT_EQ(ReadFeedList(WriteFixture("again.txt", first), "/cache",
                           [&](std::unique_ptr<TFeedInfo> g) { again.push_back(std::move(g)); }),
              2);
    EXPECT_EQ(FormatFeedList({{again[0].get(), "x"}, {again[1].get(), "y"}}, "v", "now"), first);
}

TEST(FeedList, ACarriageReturnInsideAValueIsReadAsItIsWritten)
{
    // Edited elsewhere: carriage returns inside values, a channel link with
    // blanks around it, CR LF line ends.
    const QByteArray text = "[Feed-0]\r\nhttp://a.example/\rrss.xml\r\n  http://a.example/\r \r\n3\r\n"
                            "/cache/a\r.xml\r\nLast-Modified:\rThu, 01 Apr 2021 08:00:00 GMT\r\n"
                            "/cache/b\r.png\r\nLast-Modified: Wed,\r31 Mar 2021 08:00:00 GMT\r\n";
    const auto feeds = Read(WriteFixture("cr.txt", text));
    ASSERT_EQ(feeds.size(), 1u);
    const TFeedInfo& f = *feeds[0];
    EXPECT_EQ(f.URL, "http://a.example/ rss.xml");
    EXPECT_EQ(f.Link, "http://a.example/") << "trimmed, as the list writes it";
    EXPECT_EQ(f.Stories, 3);
    EXPECT_EQ(f.DocFile, "/cache/a .xml");
    EXPECT_EQ(f.DocLastModified, "Last-Modified: Thu, 01 Apr 2021 08:00:00 GMT");
    EXPECT_EQ(f.ImageFile, "/cache/b .png");
    EXPECT_EQ(f.ImageLastModified, "Last-Modified: Wed, 31 Mar 2021 08:00:00 GMT");

    // Written and read again, every value is the same.
    const auto again = Read(WriteFixture("cr-again.txt", FormatFeedList({{&f, "x"}}, "v", "now")));
    ASSERT_EQ(again.size(), 1u);
    const TFeedInfo& g = *again[0];
    EXPECT_EQ(QStringList({g.URL, g.Link, QString::number(g.Stories), g.DocFile, g.DocLastModified, g.ImageFile,
                           g.ImageLastModified}),
              QStringList({f.URL, f.Link, QString::number(f.Stories), f.DocFile, f.DocLastModified, f.ImageFile,
                           f.ImageLastModified}));
}

TEST(FeedList, ReadLinkLineGivesEachLineWholeWithoutItsLineEnd)
{
    const QByteArray longLine(3000, 'a');
    const QString path = WriteFixture("lines.txt", "one\r\n\n" + longLine + "\nlast");
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadOnly));
    QByteArray line = "stale";
    EXPECT_TRUE(ReadLinkLine(file, line));
    EXPECT_EQ(line, "one");
    EXPECT_FALSE(ReadLinkLine(file, line)) << "an empty line";
    EXPECT_TRUE(line.isEmpty());
    EXPECT_TRUE(ReadLinkLine(file, line));
    EXPECT_EQ(line, longLine);
    EXPECT_TRUE(ReadLinkLine(file, line)) << "the last line without a line end";
    EXPECT_EQ(line, "last");
    EXPECT_FALSE(ReadLinkLine(file, line)) << "the end of the file";
    EXPECT_TRUE(line.isEmpty());
}

TEST(FeedList, CrLfListsAndMissingFiles)
{
    const auto feeds = Read(WriteFixture("crlf.txt", "[Feed-0]\r\nhttp://a.example/\r\nhttp://b.example/\r\n5\r\n"));
    ASSERT_EQ(feeds.size(), 1u);
    EXPECT_EQ(feeds[0]->URL, "http://a.example/");
    EXPECT_EQ(feeds[0]->Stories, 5);
    EXPECT_TRUE(feeds[0]->DocFile.isEmpty()) << "the end of the file gives empty fields";
    int count = -1;
    EXPECT_TRUE(Read(testenv::ProgramDir() + "none.txt", &count).empty());
    EXPECT_EQ(count, 0);
}

TEST(FeedList, BuiltInFeedsAreEightWellFormedUrls)
{
    std::vector<std::unique_ptr<TFeedInfo>> feeds;
    AddBuiltInFeeds([&](std::unique_ptr<TFeedInfo> f) { feeds.push_back(std::move(f)); });
    ASSERT_EQ(feeds.size(), 8u);
    for (const auto& f : feeds) {
        EXPECT_TRUE(f->URL.startsWith("http://")) << f->URL.toStdString();
        EXPECT_TRUE(f->Link.isEmpty());
    }
    EXPECT_TRUE(feeds[1]->URL.endsWith("/daily_apt_blog.xml"));
}

TEST(FeedList, FailedSaveKeepsTheOldListAndSaysWhy)
{
    const QString path = testenv::ProgramDir() + kFeedListFileName;
    QString error;
    ASSERT_TRUE(WriteFeedList(path, {}, "v", error));
    QFile old(path);
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    const QByteArray before = old.readAll();
    old.close();
    // A folder where the temporary file would go: the write cannot start.
    ASSERT_TRUE(QDir().mkpath(path + ".tmp/blocker"));
    TFeedInfo f;
    f.URL = "http://new.example/";
    EXPECT_FALSE(WriteFeedList(path, {{&f, f.GetURL()}}, "v", error));
    EXPECT_TRUE(error.contains(path)) << error.toStdString();
    ASSERT_TRUE(old.open(QIODevice::ReadOnly));
    EXPECT_EQ(old.readAll(), before);
}
