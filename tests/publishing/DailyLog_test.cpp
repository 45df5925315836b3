// Whole days of the web log: passes logged one after another, a new day, a
// restart of the program, "Add to existing"; the page and the feed checked
// by xmllint, libxml2 and headless Chromium.
#include "LogTestSupport.h"
#include "publishing/DailyLogFiles.h"
#include "shell/RegistryHelpers.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <gtest/gtest.h>

using namespace logtest;

namespace {

// One run of the log for pass n, as a new logger (as after a restart).
bool LogPass(Station& station, const TSetting& settings, int n, QStringList* messages = nullptr,
             const QString& stationName = "Testville")
{
    TLogger logger(settings, station.Source(Noaa18Pass(n, stationName)), nullptr);
    const bool ok = logger.WriteLog(true);
    if (messages)
        *messages = logger.Messages;
    return ok;
}

QStringList ImageFiles(const QString& sub = "images")
{
    return QDir(DailyDir() + "/" + sub).entryList(QDir::Files, QDir::Name);
}

// The anchors of the page's entries in document order.
QStringList Anchors(const QString& page)
{
    QStringList out;
    for (const auto& m : QRegularExpression("<a name=\"(\\d{3})\"></a>").globalMatch(page))
        out << m.captured(1);
    return out;
}

QStringList LinkTargets(const QString& page)
{
    QStringList out;
    for (const auto& m : QRegularExpression("<li><a href=\"#(\\d{3})\">").globalMatch(page))
        out << m.captured(1);
    return out;
}

void ExpectRfc822(const QString& text)
{
    TDateTime when = 0;
    ASSERT_TRUE(ParseLastModified(text, when)) << text.toStdString();
    EXPECT_EQ(FormatRFC822Date(when), text) << "a date of the RFC 822 form, English names";
    EXPECT_LT(std::abs(when - NowUTC()) * 86400.0, 600.0) << "written now, in UTC";
}

class DailyLog : public ::testing::Test {
protected:
    void SetUp() override
    {
        WriteRegistryString("APT", "VersionStr", "Orvanta 0.9 test");
        FillEngine(station.engine);
        station.renderer.lutFiles[3] = WriteLookUpTable(LogDir() + "/../config/lut/fc.png");
    }
    Station station;
    QString page() const { return DailyDir() + "/index.html"; }
    QString feed() const { return DailyDir() + "/daily_apt_blog.xml"; }
};

}  // namespace

TEST_F(DailyLog, ThreePassesOfADayMakeOnePageAndOneFeedNewestFirst)
{
    const TSetting settings = LogSettings({0, 1, 2, 6});
    for (int n = 0; n < 3; ++n) {
        QStringList messages;
        ASSERT_TRUE(LogPass(station, settings, n, &messages)) << messages.join('|').toStdString();
        EXPECT_TRUE(messages.isEmpty()) << "a successful run reports nothing";
    }
    const QString html = ReadText(page());
    EXPECT_TRUE(html.contains("<!--\n[index]\n3\n-->\n"));
    EXPECT_EQ(Anchors(html), QStringList({"003", "002", "001"})) << "the new entry first, then the older ones";
    EXPECT_EQ(LinkTargets(html), QStringList({"003", "002", "001"}));
    EXPECT_EQ(html.count("<div class=\"mainbox\">"), 3);
    EXPECT_EQ(html.count("<h1>The Daily APT Log</h1>"), 1) << "only the newest entry has the log's title";
    // Entry 002 got its heading in this run, entry 001 in the run before.
    EXPECT_EQ(html.count("href=\"#logtop\">Top</a>"), 2);
    EXPECT_EQ(html.count("<h1>NOAA 18 APT 137.9125 MHz</h1></div>"), 2);
    EXPECT_TRUE(html.endsWith("</body>\n</html>"));
    EXPECT_EQ(html.count("charset=UTF-8"), 1) << "the page declares the encoding it is written in";

    // Twelve images numbered without a gap, each with its thumbnail.
    QStringList expected;
    for (int i = 0; i < 12; ++i)
        expected << QString("img_%1.jpg").arg(i, 3, 10, QChar('0'));
    EXPECT_EQ(ImageFiles(), expected);
    EXPECT_EQ(ImageFiles("images/thumbs"), expected);
    EXPECT_TRUE(html.contains("popUp('images/img_011.jpg','NOAA 18 IR Brightness temperatures (ch 4)')"));
    EXPECT_TRUE(html.contains("<img src=\"images/thumbs/img_000.jpg\""));

    EXPECT_EQ(HtmlLint(page()), QString()) << "the page parses as HTML without an error";
    EXPECT_EQ(XmlLint(feed()), QString());
    std::vector<FeedItem> items;
    QString channelTitle, imageUrl;
    ASSERT_TRUE(ReadFeed(feed(), items, channelTitle, imageUrl));
    ASSERT_EQ(items.size(), 3u);
    EXPECT_EQ(channelTitle, "Testville APT");
    EXPECT_EQ(imageUrl, "http://apt.example.org/logs/daily/images/thumbs/img_011.jpg") << "the IR product's thumb";
    const TSat passes[] = {Noaa18Pass(2), Noaa18Pass(1), Noaa18Pass(0)};
    for (int i = 0; i < 3; ++i) {
        EXPECT_EQ(items[i].link, QString("http://apt.example.org/logs/daily/index.html#00%1").arg(3 - i));
        EXPECT_TRUE(items[i].description.startsWith(PassDescription(passes[i]) + ". Maximum elevation was "))
            << items[i].description.toStdString();
        EXPECT_TRUE(items[i].title.startsWith("Images from NOAA 18 at "));
        ExpectRfc822(items[i].pubDate);
    }
    EXPECT_EQ(ReadText(feed()).count("  </channel>\n</rss>\n"), 1);
    EXPECT_TRUE(ReadText(feed()).endsWith("  </channel>\n</rss>\n"));

    QString reason;
    const QImage shot = Screenshot(page(), reason);
    if (shot.isNull())
        GTEST_SKIP() << reason.toStdString();
    // Not blank: the style sheet's background and the gradients of the
    // thumbnails both show.
    QSet<QRgb> colours;
    for (int y = 0; y < shot.height(); y += 2)
        for (int x = 0; x < shot.width(); x += 2)
            colours.insert(shot.pixel(x, y) & 0xFFFFFF);
    EXPECT_TRUE(colours.contains(0xE7E2D6)) << "the page background";
    EXPECT_GT(colours.size(), 500) << "thumbnails and text rendered";
    shot.save(testenv::ProgramDir() + "../last-page.png");
}
