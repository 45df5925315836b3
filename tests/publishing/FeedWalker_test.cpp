// The feed walker on real feeds and on small documents that each show one
// rule: lines and their paragraph styles, story counts, validity, boxes and
// the scan mode.
#include "FeedTestSupport.h"
#include "support/TestEnv.h"

#include <gtest/gtest.h>

using feedtest::Walk;
using feedtest::WalkResult;
using feedtest::WriteFixture;

namespace {

QString Shared(const char* name)
{
    return testenv::SharedDataPath(QString("feeds/") + name);
}

#define SKIP_WITHOUT(path) \
    if ((path).isEmpty())  \
    SKIP_MISSING("reference feed missing: " << #path)

QByteArray Rss(const QByteArray& version, const QByteArray& channelBody)
{
    return "<?xml version=\"1.0\"?>\n<rss version=\"" + version + "\"><channel>" + channelBody +
           "</channel></rss>\n";
}

}  // namespace

TEST(FeedWalker, Rss2ShowsCentredChannelAndBulletedItems)
{
    const QString path = Shared("rss2-guid-same-link.xml");
    SKIP_WITHOUT(path);
    WalkResult r;
    Walk(path, kWalkShow, r);
    ASSERT_TRUE(r.parsed);
    const QStringList head = {
        "401|",
        "401|GUID test",
        "1|Description: This RSS feed has multiple items with the same link, but with different guids. They "
        "should be treated as separate items (see Bug 1656090)",
        "1|http://www.example.com/main.html",
        "1|LastBuildDate: Mon, 06 Sep 2020 00:01:00 +0000 ",
        "1|PubDate: Sun, 06 Sep 2019 16:20:00 +0000",
        "402|",
        "402|Title: Entry One",
        "2|Description: Blah blah blah.",
        "2|Link: http://www.example.com/blog/post/1",
        "2|PubDate: Sun, 06 Sep 2019 16:20:00 +0000",
        "402|",
        "402|Title: Entry One Again(with same link but different guid!)",
    };
    EXPECT_EQ(r.sink.Lines.mid(0, head.size()), head);
    EXPECT_EQ(r.sink.Lines.size(), 6 + 4 * 5) << "guid and ttl never print";
    EXPECT_EQ(r.sink.Lines.last(), "2|PubDate: Sun, 06 Sep 2019 16:20:00 +0000");
    EXPECT_EQ(r.feed.Stories, 4);
    EXPECT_TRUE(r.feed.IsValid(1));
    EXPECT_EQ(r.feed.Title, "GUID test");
    EXPECT_TRUE(r.sink.Boxes.isEmpty());
}

TEST(FeedWalker, ScanPrintsNothingAndCountsNothing)
{
    const QString path = Shared("rss2-guid-same-link.xml");
    SKIP_WITHOUT(path);
    WalkResult r;
    Walk(path, kWalkScanRoot, r);
    EXPECT_TRUE(r.sink.Lines.isEmpty());
    EXPECT_EQ(r.feed.Stories, 0);
    EXPECT_EQ(r.feed.Link, "http://www.example.com/main.html");
    EXPECT_TRUE(r.feed.IsValid(1));
}

TEST(FeedWalker, Rss090RdfPrintsImageAndTextInputBlocksWithoutTakingTheirTitleAndLink)
{
    const QString path = Shared("rss090-pear-test.rdf");
    SKIP_WITHOUT(path);
    WalkResult r;
    Walk(path, kWalkShow, r);
    const QStringList expected = {
        "401|",
        "401|Test",
        "1|http://pear.php.net/",
        "1|Description: This is a test channel for XML_RSS",
        "401|PEAR",
        "1|url: http://pear.php.net/gifs/pearsmall.gif",
        "1|http://pear.php.net/",
        "402|", "402|Title: PHP homepage", "2|Link: http://php.net/",
        "402|", "402|Title: PEAR homepage", "2|Link: http://pear.php.net/",
        "402|", "402|Title: PHP-GTK homepage", "2|Link: http://gtk.php.net/",
        "402|", "402|Title: PHP QA homepage", "2|Link: http://qa.php.net/",
        "401|Search Slashdot",
        "1|Description: Search Slashdot stories",
        "1|http://slashdot.org/search.pl",
    };
    EXPECT_EQ(r.sink.Lines, expected) << "CDATA categories print nothing";
    EXPECT_EQ(r.feed.Stories, 4);
    EXPECT_EQ(r.feed.Title, "Test") << "the search box's title is not the channel's";
    EXPECT_EQ(r.feed.Link, "http://pear.php.net/");
    EXPECT_FALSE(r.feed.Flags & TFeedInfo::ImageKnown) << "an RDF feed shows no picture";
}

TEST(FeedWalker, Rss10AndItsBrokenItemListReadAlike)
{
    const QString plain = Shared("rss1-w3c-rss_7_1.rdf");
    const QString broken = Shared("rss1-w3c-rss_7_1-BORKED-items.rdf");
    SKIP_WITHOUT(plain);
    SKIP_WITHOUT(broken);
    WalkResult a, b;
    Walk(plain, kWalkShow, a);
    Walk(broken, kWalkShow, b);
    EXPECT_EQ(a.sink.Lines, b.sink.Lines);
    EXPECT_EQ(a.feed.Stories, 2);
    EXPECT_EQ(b.feed.Stories, 2);
    ASSERT_GE(a.sink.Lines.size(), 4);
    EXPECT_EQ(a.sink.Lines[1], "401|XML.com");
    EXPECT_EQ(a.sink.Lines[3],
              "1|Description: \n      XML.com features a rich mix of information and services \n"
              "      for the XML community.\n    ")
        << "text keeps its white space and line breaks";
    EXPECT_TRUE(a.sink.Lines.contains("402|Title: Processing Inclusions with XSLT"));
    EXPECT_TRUE(a.sink.Lines.contains("401|Search XML.com")) << "the text-input block prints its own title";
    EXPECT_EQ(a.feed.Title, "XML.com") << "the channel's title stands";
    EXPECT_EQ(a.feed.Link, "http://xml.com/pub") << "the channel's link stands, not the image's or search box's";

    WalkResult scan;
    Walk(plain, kWalkScanRoot, scan);
    EXPECT_TRUE(scan.sink.Lines.isEmpty());
    EXPECT_EQ(scan.feed.Link, "http://xml.com/pub") << "an RDF scan ends at the first item";
}

TEST(FeedWalker, VersionsAndRootsDecideTheKind)
{
    struct Case {
        const char* name;
        QByteArray doc;
        const char* box;  // "" when accepted
    };
    const QByteArray body = "<title>T</title><link>http://l.example/</link>";
    const Case cases[] = {
        {"0.91 passes", Rss("0.91", body), ""},
        {"2.0 passes", Rss("2.0", body), ""},
        {"0.90 fails", Rss("0.90", body), "Error: Invalid version!"},
        {"2.01 fails", Rss("2.01", body), "Error: Invalid version!"},
        {"no numeric attribute", "<rss><channel>" + body + "</channel></rss>", "Error: Invalid version!"},
        {"any attribute counts", "<rss x=\"abc\" y=\"1.0\"><channel>" + body + "</channel></rss>", ""},
        {"Atom", "<feed xmlns=\"http://www.w3.org/2005/Atom\"><title>T</title></feed>",
         "Error: Invalid document type!"},
    };
    for (const Case& c : cases) {
        for (int mode : {kWalkShow, kWalkScanRoot}) {
            WalkResult r;
            Walk(WriteFixture("kind.xml", c.doc), mode, r);
            ASSERT_TRUE(r.parsed) << c.name;
            if (*c.box) {
                ASSERT_EQ(r.sink.Boxes.size(), 1) << c.name;
                EXPECT_TRUE(r.sink.Boxes[0].startsWith(QString(c.box) + "|")) << c.name;
                EXPECT_FALSE(r.feed.IsValid(1)) << c.name;
                EXPECT_LE(r.sink.Lines.size(), 1) << c.name << ": nothing printed after the first empty line";
            } else {
                EXPECT_TRUE(r.sink.Boxes.isEmpty()) << c.name;
                EXPECT_TRUE(r.feed.IsValid(1)) << c.name;
            }
        }
    }
    WalkResult r;
    Walk(WriteFixture("v.xml", Rss("0.90", body)), kWalkShow, r);
    EXPECT_EQ(r.sink.Boxes.value(0),
              "Error: Invalid version!|Unsupported RSS version!\n\nVersions between 0.91 and 2.0 is supported only.");
}

TEST(FeedWalker, TextRules)
{
    const QByteArray doc = Rss(
        "2.0",
        "<title><![CDATA[Cdata title]]></title><link>http://l.example/</link>"
        "<description>&lt;b&gt;bold&lt;/b&gt; &amp; more</description>"
        "<item><title>Html</title><description>Lead <b>bold</b> tail</description></item>"
        "<item><description><p>only child</p></description><comments> \n </comments></item>"
        "<item><enclosure url=\"http://e.example/a.mp3\">x</enclosure><guid>g1</guid></item>"
        "<item xmlns:dc=\"http://purl.org/dc/elements/1.1/\"><dc:date>2021-04-01</dc:date>"
        "<dc:title>Dc title</dc:title></item>");
    WalkResult r;
    Walk(WriteFixture("text.xml", doc), kWalkShow, r);
    const QStringList expected = {
        "401|",
        "401|http://l.example/",
        "1|Description: <b>bold</b> & more",
        "402|",
        "402|Title: Html",
        "2|Description: Lead ",
        "402|",
        "402|Title: Dc title",
    };
    EXPECT_EQ(r.sink.Lines, expected);
    EXPECT_EQ(r.feed.Stories, 2) << "items that print nothing are not counted";
    EXPECT_TRUE(r.feed.Title.isEmpty()) << "a CDATA title is no text";
    EXPECT_FALSE(r.feed.IsValid(1));
}

TEST(FeedWalker, ChannelWithoutItemsPrintsImageAndTextInputBlocksUnderTheirOwnTitle)
{
    const QByteArray doc = Rss("2.0",
                               "<title>Chan</title><link>http://c.example/</link>"
                               "<image><url>http://c.example/logo.png</url><title>Logo</title>"
                               "<link>http://c.example/home</link></image>"
                               "<textinput><title>Search</title><link>http://c.example/s</link></textinput>");
    WalkResult r;
    Walk(WriteFixture("noitems.xml", doc), kWalkShow, r);
    const QStringList expected = {
        "401|", "401|Chan", "1|http://c.example/",
        "401|url: http://c.example/logo.png", "1|Logo", "1|http://c.example/home",
        "401|Search", "1|http://c.example/s",
    };
    EXPECT_EQ(r.sink.Lines, expected);
    EXPECT_EQ(r.feed.Title, "Chan") << "the blocks print their own title and link but keep them";
    EXPECT_EQ(r.feed.Link, "http://c.example/");
    EXPECT_EQ(r.feed.ImageURL, "http://c.example/logo.png");
    EXPECT_EQ(r.feed.ImageTitle, "Logo");
    EXPECT_TRUE(r.feed.Flags & TFeedInfo::ImageKnown);

    WalkResult scan;
    Walk(WriteFixture("noitems.xml", doc), kWalkScanRoot, scan);
    EXPECT_TRUE(scan.sink.Lines.isEmpty());
    EXPECT_EQ(scan.feed.Title, "Chan") << "the scan stops once the picture is known";
    EXPECT_TRUE(scan.feed.Flags & TFeedInfo::ImageKnown);
}

TEST(FeedWalker, TextInAnyScriptCounts)
{
    const QByteArray doc = Rss("2.0",
                               "<title>\xe6\x97\xa5\xe6\x9c\xac\xe3\x81\xae\xe5\xa4\xa9\xe6\xb0\x97</title>"
                               "<link>http://jp.example/</link>"
                               "<description>\xce\x9a\xce\xb1\xce\xb9\xcf\x81\xcf\x8c\xcf\x82</description>"
                               "<item><title>\xe6\x99\xb4\xe3\x82\x8c</title><comments> \n\t</comments></item>"
                               "<item><title>\xe2\x80\x94</title></item>");
    WalkResult r;
    Walk(WriteFixture("script.xml", doc), kWalkShow, r);
    const QString title = QString::fromUtf8("\xe6\x97\xa5\xe6\x9c\xac\xe3\x81\xae\xe5\xa4\xa9\xe6\xb0\x97");
    EXPECT_EQ(r.feed.Title, title) << "an all-Japanese title is a title";
    EXPECT_TRUE(r.feed.IsValid(1));
    const QStringList expected = {
        "401|", "401|" + title, "1|http://jp.example/",
        "1|Description: " + QString::fromUtf8("\xce\x9a\xce\xb1\xce\xb9\xcf\x81\xcf\x8c\xcf\x82"),
        "402|", "402|Title: " + QString::fromUtf8("\xe6\x99\xb4\xe3\x82\x8c"),
        "402|", "402|Title: " + QString::fromUtf8("\xe2\x80\x94"),
    };
    EXPECT_EQ(r.sink.Lines, expected) << "white space alone is still no text";
    EXPECT_EQ(r.feed.Stories, 2);
}

TEST(FeedWalker, EntitiesReferringToEachOtherAreNotWalked)
{
    // The reference's children are the declaration, whose sibling is the
    // declaration it refers to: walking them went round until the stack ran out.
    const QByteArray doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [<!ENTITY a \"A&b;\"><!ENTITY b \"B&a;\">"
                           "<!ENTITY c \"text\"><!ENTITY d \"&c;&c;\">]>\n"
                           "<rss version=\"2.0\"><channel><title>T</title><link>http://l.example/</link>"
                           "<description>&d;</description><item><title>I</title><category>&d; x</category>"
                           "</item></channel>&d;</rss>\n";
    for (int mode : {kWalkShow, kWalkScanRoot}) {
        WalkResult r;
        Walk(WriteFixture("entities.xml", doc), mode, r);
        ASSERT_TRUE(r.parsed);
        EXPECT_TRUE(r.feed.IsValid(1));
        EXPECT_TRUE(r.sink.Boxes.isEmpty());
        EXPECT_EQ(r.feed.Stories, mode == kWalkShow ? 1 : 0);
    }
    WalkResult looped;
    Walk(WriteFixture("loop.xml", "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [<!ENTITY a \"A&b;\"><!ENTITY b \"B&a;\">]>\n"
                                  "<rss version=\"2.0\"><channel><title>&b;</title></channel></rss>\n"),
         kWalkShow, looped);
    EXPECT_FALSE(looped.feed.IsValid(1)) << "a document that refers round in a circle yields no channel";
}

TEST(FeedWalker, FeedsNestedTooDeeplyAreRefused)
{
    const auto nested = [](int levels) {
        QByteArray open, close;
        for (int i = 0; i < levels; ++i) {
            open += "<div>";
            close.prepend("</div>");
        }
        return Rss("2.0", "<title>T</title><link>http://l.example/</link><item><title>I</title></item>" + open +
                              "x" + close);
    };
    WalkResult shallow;
    Walk(WriteFixture("shallow.xml", nested(kMaxFeedDepth - 5)), kWalkShow, shallow);
    ASSERT_TRUE(shallow.parsed);
    EXPECT_TRUE(shallow.sink.Boxes.isEmpty());
    EXPECT_TRUE(shallow.feed.IsValid(1));

    WalkResult deep;
    Walk(WriteFixture("deep.xml", nested(kMaxFeedDepth + 20)), kWalkShow, deep);
    ASSERT_TRUE(deep.parsed) << "the parser takes it; the walker refuses it";
    ASSERT_EQ(deep.sink.Boxes.size(), 1);
    EXPECT_TRUE(deep.sink.Boxes[0].contains(QString("nested deeper than %1 levels").arg(kMaxFeedDepth)))
        << deep.sink.Boxes[0].toStdString();
    EXPECT_EQ(deep.sink.Lines.size(), 1) << "nothing printed after the first empty line";
    EXPECT_FALSE(deep.feed.IsValid(1));
}

TEST(FeedWalker, ChannelElementsAfterTheFirstItemAndItemNamesAtChannelLevelAreIgnored)
{
    const QByteArray doc = Rss("2.0",
                               "<title>T</title><author>nobody</author><link>http://l.example/</link>"
                               "<item><title>One</title></item><copyright>late</copyright>");
    WalkResult r;
    Walk(WriteFixture("late.xml", doc), kWalkShow, r);
    const QStringList expected = {"401|", "401|T", "1|http://l.example/", "402|", "402|Title: One"};
    EXPECT_EQ(r.sink.Lines, expected);
}

TEST(FeedWalker, EntityNamingALocalFileIsNeverRead)
{
    const QString secret = WriteFixture("secret.txt", "TOPSECRETCONTENT");
    const QByteArray doc = "<?xml version=\"1.0\"?>\n<!DOCTYPE rss [<!ENTITY leak SYSTEM \"file://" +
                           secret.toUtf8() + "\">]>\n" +
                           Rss("2.0", "<title>T &leak;</title><link>http://l.example/</link>"
                                      "<description>&leak;</description><item><title>I &leak;</title></item>")
                               .mid(QByteArray("<?xml version=\"1.0\"?>\n").size());
    WalkResult r;
    Walk(WriteFixture("entity.xml", doc), kWalkShow, r);
    ASSERT_TRUE(r.parsed);
    EXPECT_FALSE(r.sink.Lines.join("\n").contains("TOPSECRET")) << r.sink.Lines.join("\n").toStdString();
    EXPECT_FALSE(r.feed.Title.contains("TOPSECRET"));
}

TEST(FeedWalker, UnparsableFileGivesNoDocument)
{
    WalkResult r;
    Walk(WriteFixture("broken.xml", "<rss version=\"2.0\"><channel>"), kWalkShow, r);
    EXPECT_FALSE(r.parsed);
    Walk(testenv::ProgramDir() + "missing.xml", kWalkShow, r);
    EXPECT_FALSE(r.parsed);

    // A well-formed feed padded with comments up to and just past the size a feed can have.
    const QByteArray feed = Rss("2.0", "<title>T</title><link>http://l.example/</link>");
    const QByteArray comment = "<!-- padding -->\n";
    const QByteArray largest = feed + comment.repeated((kMaxFeedFileBytes - feed.size()) / comment.size());
    Walk(WriteFixture("large.xml", largest + comment), kWalkShow, r);
    EXPECT_FALSE(r.parsed) << "too large to be a feed";
    Walk(WriteFixture("large.xml", largest), kWalkShow, r);
    EXPECT_TRUE(r.parsed) << "just under the limit";
}

TEST(FeedWalker, TableLookupIgnoresCase)
{
    EXPECT_EQ(TFeedWalker::ChannelIndex("MANAGINGEDITOR"), 5);
    EXPECT_EQ(TFeedWalker::ChannelIndex("textInput"), 17);
    EXPECT_EQ(TFeedWalker::ChannelIndex("item"), -1);
    EXPECT_EQ(TFeedWalker::ItemIndex("item"), 10);
    EXPECT_EQ(TFeedWalker::ItemIndex("pubdate"), 8);
    EXPECT_EQ(TFeedWalker::ItemIndex("date"), -1);
}
