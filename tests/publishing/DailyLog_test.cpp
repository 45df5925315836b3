// Whole days of the web log: passes logged one after another, a new day, a
// restart of the program, "Add to existing"; the page and the feed checked
// by xmllint, libxml2 and headless Chromium.
#include "LogTestSupport.h"
#include "platform/SystemTime.h"
#include "publishing/DailyLogFiles.h"
#include "shell/RegistryHelpers.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QDirIterator>
#include <QFile>
#include <QRegularExpression>
#include <QSet>
#include <cstring>
#include <functional>
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
    // A visitor's link leads to the station's own log or to the validators,
    // never to a host or address the program made up.
    EXPECT_TRUE(html.contains("Document built with Orvanta 0.9 test\n"));
    EXPECT_FALSE(html.contains("mailto:"));
    const QRegularExpression absoluteLink("href=\"((?:[a-z]+://|mailto:)[^\"]*)\"");
    for (auto link = absoluteLink.globalMatch(html); link.hasNext();) {
        const QString target = link.next().captured(1);
        EXPECT_TRUE(target.startsWith(settings.LogURL + "/") || target.startsWith("https://validator.w3.org/"))
            << target.toStdString();
    }
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
        EXPECT_TRUE(items[i].description.startsWith(passes[i].GetPassDescription(0) + ". Maximum elevation was "))
            << items[i].description.toStdString();
        EXPECT_TRUE(items[i].title.startsWith("Images from NOAA 18 at "));
        ExpectRfc822(items[i].pubDate);
    }
    EXPECT_EQ(ReadText(feed()).count("  </channel>\n</rss>\n"), 1);
    EXPECT_TRUE(ReadText(feed()).endsWith("  </channel>\n</rss>\n"));

    QString reason;
    const QImage shot = Screenshot(page(), reason);
    if (shot.isNull())
        SKIP_MISSING(reason.toStdString());
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

TEST_F(DailyLog, FirstRunOfANewDayStartsPageFeedAndNumberingAnew)
{
    const TSetting settings = LogSettings({0, 2});
    ASSERT_TRUE(LogPass(station, settings, 0));
    ASSERT_TRUE(LogPass(station, settings, 1));
    QFile(DailyDir() + "/upload.txt").open(QIODevice::WriteOnly);
    const QDateTime yesterday = QDateTime::currentDateTime().addDays(-1);
    for (const QString& name : {QString("index.html"), QString("daily_apt_blog.xml")})
        SetModified(DailyDir() + "/" + name, yesterday);
    for (const QString& name : ImageFiles()) {
        SetModified(DailyDir() + "/images/" + name, yesterday);
        SetModified(DailyDir() + "/images/thumbs/" + name, yesterday);
    }

    ASSERT_TRUE(LogPass(station, settings, 2));
    const QString html = ReadText(page());
    EXPECT_TRUE(html.contains("<!--\n[index]\n1\n-->\n"));
    EXPECT_EQ(Anchors(html), QStringList({"001"}));
    EXPECT_EQ(LinkTargets(html), QStringList({"001"}));
    EXPECT_EQ(ImageFiles(), QStringList({"img_000.jpg", "img_001.jpg"})) << "yesterday's images are gone";
    EXPECT_EQ(ImageFiles("images/thumbs"), QStringList({"img_000.jpg", "img_001.jpg"}));
    EXPECT_FALSE(QFile::exists(DailyDir() + "/upload.txt")) << "yesterday's pending uploads are dropped";
    std::vector<FeedItem> items;
    QString title, image;
    ASSERT_TRUE(ReadFeed(feed(), items, title, image));
    EXPECT_EQ(items.size(), 1u);
    EXPECT_EQ(HtmlLint(page()), QString());
}

TEST_F(DailyLog, TheDayIsThatOfTheProgramsClockAcrossMidnight)
{
    // A simulated day far from the machine's date: what counts is the
    // program's clock, for the files' dates as for today.
    QDateTime now(QDate(2021, 10, 31), QTime(23, 50), Qt::LocalTime);
    systime::SetClockSource([&now] { return now.toUTC(); });
    struct RealClockAgain {
        ~RealClockAgain() { systime::SetClockSource({}); }
    } realClockAgain;
    const TSetting settings = LogSettings({0, 2});
    ASSERT_TRUE(LogPass(station, settings, 0));
    QFile(DailyDir() + "/upload.txt").open(QIODevice::WriteOnly);
    ASSERT_TRUE(LogPass(station, settings, 1));
    EXPECT_EQ(Anchors(ReadText(page())), QStringList({"002", "001"})) << "the second pass continues the day";
    EXPECT_EQ(ImageFiles().size(), 4);

    now = now.addSecs(20 * 60);
    ASSERT_TRUE(LogPass(station, settings, 2));
    EXPECT_EQ(Anchors(ReadText(page())), QStringList({"001"})) << "after midnight a new page";
    EXPECT_EQ(ImageFiles(), QStringList({"img_000.jpg", "img_001.jpg"}));
    EXPECT_FALSE(QFile::exists(DailyDir() + "/upload.txt")) << "the list of the day before is given up";
}

TEST_F(DailyLog, TodaysPendingUploadsOutliveAPageOrFeedThatCannotBeContinued)
{
    const auto replaceIn = [](const QString& path, const QString& from, const QString& to) {
        QString text = ReadText(path);
        text.replace(from, to);
        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::WriteOnly | QIODevice::Truncate));
        file.write(text.toUtf8());
    };
    struct Case {
        const char* name;
        std::function<void()> damage;
        bool listKept;
        int entries;  // the page's count after the run
    };
    const Case cases[] = {
        {"page without its entry count", [&] { replaceIn(page(), "[index]", "[other]"); }, true, 1},
        {"page counting more entries than an int holds",
         [&] { replaceIn(page(), "[index]\n1\n", "[index]\n2147483647\n"); }, true, 1},
        {"feed missing", [&] { QFile::remove(feed()); }, true, 2},
        {"feed without an item", [&] { replaceIn(feed(), "<item>", "<meti>"); }, true, 2},
        {"page and feed missing, list of yesterday",
         [&] {
             QFile::remove(page());
             QFile::remove(feed());
             SetModified(DailyDir() + "/upload.txt", QDateTime::currentDateTime().addDays(-1));
         },
         false, 1},
    };
    const TSetting settings = LogSettings({0, 2});
    const QByteArray pending = "img_000.jpg\nimg_001.jpg\n";
    for (const Case& c : cases) {
        TLogger(settings, station.Source(Noaa18Pass(0)), nullptr).StartNewDailyLog();
        ASSERT_TRUE(LogPass(station, settings, 0)) << c.name;
        QFile list(DailyDir() + "/upload.txt");
        ASSERT_TRUE(list.open(QIODevice::WriteOnly));
        list.write(pending);
        list.close();
        c.damage();
        LogPass(station, settings, 1);
        EXPECT_TRUE(ReadText(page()).contains(QString("<!--\n[index]\n%1\n-->\n").arg(c.entries))) << c.name;
        if (!c.listKept) {
            EXPECT_FALSE(list.exists()) << c.name << ": a list of an earlier day is given up";
            continue;
        }
        if (!list.open(QIODevice::ReadOnly)) {
            ADD_FAILURE() << c.name << ": today's pending uploads were deleted";
            continue;
        }
        EXPECT_EQ(list.readAll(), pending) << c.name;
        list.close();
    }
}

TEST_F(DailyLog, RunAfterARestartContinuesThePageAndTheNumbering)
{
    ASSERT_TRUE(LogPass(station, LogSettings({0, 1, 2, 6}), 0));
    // A run that skipped products earlier today left its highest number at 9.
    QFile::copy(DailyDir() + "/images/img_003.jpg", DailyDir() + "/images/img_009.jpg");
    QFile::copy(DailyDir() + "/images/thumbs/img_003.jpg", DailyDir() + "/images/thumbs/img_009.jpg");

    // The program starts again: new settings, a new engine, a new logger.
    Station restarted;
    FillEngine(restarted.engine);
    ASSERT_TRUE(LogPass(restarted, LogSettings({0, 2}), 1));
    const QString html = ReadText(page());
    EXPECT_TRUE(html.contains("<!--\n[index]\n2\n-->\n"));
    EXPECT_EQ(Anchors(html), QStringList({"002", "001"}));
    EXPECT_EQ(ImageFiles(), QStringList({"img_000.jpg", "img_001.jpg", "img_002.jpg", "img_003.jpg", "img_009.jpg",
                                         "img_010.jpg", "img_011.jpg"}));
    EXPECT_TRUE(html.contains("popUp('images/img_011.jpg'"));
    EXPECT_TRUE(html.contains("popUp('images/img_000.jpg'")) << "the first run's entry is still shown";
    std::vector<FeedItem> items;
    QString title, image;
    ASSERT_TRUE(ReadFeed(feed(), items, title, image));
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].link.endsWith("#002"));
    EXPECT_TRUE(items[1].link.endsWith("#001"));
    EXPECT_EQ(image, "http://apt.example.org/logs/daily/images/thumbs/img_011.jpg")
        << "without a false-colour or IR product, the last product's thumb";
}

TEST_F(DailyLog, AddToExistingContinuesAnEarlierDayWithoutOverwritingItsImages)
{
    const TSetting settings = LogSettings({0, 2});
    ASSERT_TRUE(LogPass(station, settings, 0));
    const QDateTime yesterday = QDateTime::currentDateTime().addDays(-1);
    QDirIterator files(DailyDir(), QDir::Files, QDirIterator::Subdirectories);
    while (files.hasNext())
        SetModified(files.next(), yesterday);
    const QByteArray firstImage = [] {
        QFile f(DailyDir() + "/images/img_000.jpg");
        f.open(QIODevice::ReadOnly);
        return f.readAll();
    }();

    TLogger(settings, station.Source(Noaa18Pass(1)), nullptr).TouchDailyLog();
    ASSERT_TRUE(LogPass(station, settings, 1));
    const QString html = ReadText(page());
    EXPECT_EQ(Anchors(html), QStringList({"002", "001"})) << "yesterday's page goes on";
    EXPECT_EQ(ImageFiles(), QStringList({"img_000.jpg", "img_001.jpg", "img_002.jpg", "img_003.jpg"}))
        << "numbered after the images the page still shows";
    QFile f(DailyDir() + "/images/img_000.jpg");
    ASSERT_TRUE(f.open(QIODevice::ReadOnly));
    EXPECT_EQ(f.readAll(), firstImage) << "the old entry's image is not overwritten";
}

TEST_F(DailyLog, TextsFromOutsideAreEscapedForEveryPlaceTheyGo)
{
    TSetting settings = LogSettings({0, 2, 6});
    settings.BlogTitle = "</h1><!-- 1.0b -->\n[index]\n<script>alert('t')</script> & \"q\"";
    settings.LogURL = "http://apt.example.org/a \"b\" <c>'d'";
    settings.Email = "<ops>&\"me\"@example.org";
    static_cast<TLogImage*>(settings.LogImages.Get(1))->Name = "B'</a><script>x()</script>";
    station.renderer.lutFiles.clear();
    const QString hostileStation = "Hut <b>\"&'";
    // A satellite named in a downloaded element set.
    auto hostilePass = [&](int n) {
        TSat pass = Noaa18Pass(n, hostileStation);
        std::strncpy(pass.Name, "<script>\"&'<!--", sizeof pass.Name - 1);
        return pass;
    };
    for (int n = 0; n < 2; ++n) {
        TLogger logger(settings, station.Source(hostilePass(n)), nullptr);
        ASSERT_TRUE(logger.WriteLog(true)) << logger.Messages.join('|').toStdString();
    }

    const QString html = ReadText(page());
    EXPECT_EQ(HtmlLint(page()), QString());
    EXPECT_EQ(html.count("<script"), 1) << "only the page's own script element";
    EXPECT_EQ(html.count("\n[index]\n"), 1) << "the title forged no marker";
    EXPECT_EQ(html.count("<!-- 1.0b -->"), 2);
    EXPECT_EQ(Anchors(html), QStringList({"002", "001"})) << "the page was read back correctly";
    const QStringList links = HtmlTexts(page(), "li");
    ASSERT_EQ(links.size(), 2);
    EXPECT_TRUE(links[0].startsWith("<script>\"&'<!-- APT 137.9125 MHz, ")) << links[0].toStdString();
    EXPECT_TRUE(HtmlTexts(page(), "p").join('\n').contains("QTH: Hut <b>\"&'")) << "shown literally";
    EXPECT_TRUE(HtmlTexts(page(), "h1").contains("<script>\"&'<!-- APT 137.9125 MHz"));
    EXPECT_TRUE(html.contains("javascript:popUp('images/img_004.jpg','\\u003Cscript\\u003E\\u0022\\u0026\\u0027"
                              "\\u003C!-- B\\u0027\\u003C/a\\u003E"))
        << "a JavaScript string inside an attribute";
    EXPECT_TRUE(html.contains("check.cgi?url=http%3A%2F%2Fapt.example.org%2Fa%20%22b%22%20%3Cc%3E%27d%27%2F"));

    EXPECT_EQ(XmlLint(feed()), QString());
    std::vector<FeedItem> items;
    QString title, image;
    ASSERT_TRUE(ReadFeed(feed(), items, title, image));
    EXPECT_EQ(title, "</h1><!-- 1.0b --> [index] <script>alert('t')</script> & \"q\"");
    ASSERT_EQ(items.size(), 2u);
    EXPECT_TRUE(items[0].title.startsWith("Images from <script>\"&'<!-- at "));
    EXPECT_TRUE(items[0].link.startsWith("http://apt.example.org/a%20%22b%22%20%3Cc%3E%27d%27/daily/index.html#002"));
    EXPECT_TRUE(ReadText(feed()).contains("<managingEditor>&lt;ops&gt;&amp;&quot;me&quot;@example.org</managingEditor>"));
}
