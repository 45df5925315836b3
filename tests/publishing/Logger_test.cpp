// One log run: which products are taken, how each is written, what the page
// and the feed make of them, what is reported, and the run on a processing
// thread.
#include "AptTestHelpers.h"
#include "LogTestSupport.h"
#include "ThreadTestSupport.h"
#include "publishing/DailyLogFiles.h"
#include "publishing/StyleSheet.h"
#include "shell/RegistryHelpers.h"
#include "support/TestEnv.h"

#include <QBuffer>
#include <QDir>
#include <QFile>
#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace logtest;

namespace {

QStringList Names(const TLogImageList& images)
{
    QStringList out;
    for (int i = 0; i < images.Count; ++i)
        out << images.At(i)->Name;
    return out;
}

// The time stamp line, the text, an empty line.
void ExpectEntry(const QStringList& lines, const QString& text)
{
    ASSERT_EQ(lines.size(), 3) << lines.join('|').toStdString();
    EXPECT_TRUE(QRegularExpression("^[A-Z][a-z]{2} \\d{1,2} [A-Z][a-z]{2} \\d{4} \\d\\d:\\d\\d:\\d\\d$")
                    .match(lines[0])
                    .hasMatch())
        << lines[0].toStdString();
    EXPECT_EQ(lines[1], text);
    EXPECT_EQ(lines[2], QString());
}

class LogRun : public ::testing::Test {
protected:
    void SetUp() override
    {
        FillEngine(station.engine);
        station.renderer.lutFiles[3] = WriteLookUpTable(testenv::ProgramDir() + "config/lut/fc.png");
        station.renderer.lutFiles[4] = station.renderer.lutFiles[3];
        station.renderer.lutFiles[5] = station.renderer.lutFiles[3];
        station.renderer.lutFiles[7] = station.renderer.lutFiles[3];
    }
    Station station;
    QString page() const { return DailyDir() + "/index.html"; }
};

}  // namespace

TEST_F(LogRun, ProductsAreChosenByTheChannelsTheDaylightAndTheIRAtNightSetting)
{
    // Video A is channel 2 (visible), video B channel 4 (thermal).
    struct Case {
        const char* name;
        bool daylight;
        int logModes;
        QStringList taken;
    };
    const Case cases[] = {
        {"daylight", true, 0x8,
         {"Normal", "Video A", "Video B", "False colour (A, B)", "False colour (ch 2,4)",
          "False colour low temperatures (ch 2,4)", "IR Brightness temperatures (ch 4)", "IR Low temperatures (ch 4)"}},
        {"night: no visible products", false, 0x8,
         {"Normal", "Video B", "IR Brightness temperatures (ch 4)", "IR Low temperatures (ch 4)"}},
        {"daylight, IR only at night", true, 0x8 | 0x200,
         {"Normal", "Video A", "False colour (A, B)", "False colour (ch 2,4)",
          "False colour low temperatures (ch 2,4)"}},
        {"night, IR only at night", false, 0x8 | 0x200,
         {"Normal", "Video B", "IR Brightness temperatures (ch 4)", "IR Low temperatures (ch 4)"}},
    };
    for (const Case& c : cases) {
        TLogger(LogSettings({0}), station.Source(Noaa18Pass(0)), nullptr).StartNewDailyLog();
        TSetting settings = LogSettings({0, 1, 2, 3, 4, 5, 6, 7});
        settings.LogImages.Add(new TLogImage("none", -1));
        settings.LogModes = c.logModes;
        TSat pass = Noaa18Pass(0);
        pass.Daylight = c.daylight;
        TLogger logger(settings, station.Source(pass), nullptr);
        EXPECT_TRUE(logger.WriteLog(true)) << c.name;
        EXPECT_EQ(Names(logger.Images()), c.taken) << c.name;
        EXPECT_EQ(QDir(DailyDir() + "/images").entryList(QDir::Files).size(), c.taken.size()) << c.name;
    }
}

TEST_F(LogRun, PoorTelemetryLogsNothingUnlessPoorImagesAreWanted)
{
    TAPT poor;
    aptgen::PassSpec spec;
    spec.lines = 400;
    spec.frameOffset = 37;
    spec.channelIdB = 5;  // video B not channel 4: fails the strict test
    apttest::FillLines(poor, spec);
    poor.SpacecraftModel = scNOAA18;
    poor.SaveImage(2);

    TLogSource source = station.Source(Noaa18Pass(0));
    source.Engine = &poor;
    TLogger strict(LogSettings({0, 1}), source, nullptr);
    EXPECT_FALSE(strict.WriteLog(true));
    ExpectEntry(strict.Messages, "NOAA 18 Nothing to log!");
    EXPECT_FALSE(QFile::exists(page()));

    TSetting settings = LogSettings({0, 1});
    settings.LogModes |= 0x80;  // log poor image quality
    TLogger loose(settings, source, nullptr);
    EXPECT_TRUE(loose.WriteLog(true)) << loose.Messages.join('|').toStdString();
    EXPECT_EQ(Names(loose.Images()), QStringList({"Normal", "Video A"}));
}

TEST_F(LogRun, SkippedProductsUseUpTheirNumbersAndThumbnailsFollowThumbSize)
{
    station.renderer.lutFiles.remove(3);  // no colour table chosen for type 3
    station.renderer.failTypes = {1};     // the view of type 1 cannot be made
    station.renderer.height = 1000;
    TSetting settings = LogSettings({0, 1, 3, 4, 6});
    settings.ThumbSize = 12;
    TLogger logger(settings, station.Source(Noaa18Pass(0)), nullptr);
    ASSERT_TRUE(logger.WriteLog(true));

    EXPECT_EQ(station.renderer.calls, QStringList({"0", "1", "4+lut", "6"})) << "type 3 never rendered";
    EXPECT_EQ(QDir(DailyDir() + "/images").entryList(QDir::Files),
              QStringList({"img_000.jpg", "img_003.jpg", "img_004.jpg"}));
    ASSERT_EQ(logger.Images().Count, 3);
    const TLogImage& first = *logger.Images().At(0);
    EXPECT_EQ(first.FileName, "img_000.jpg");
    EXPECT_EQ(first.Width, 2080);
    EXPECT_EQ(first.Height, 1000);
    EXPECT_EQ(first.ThumbWidth, 249) << "12 % of 2080, truncated";
    EXPECT_EQ(first.ThumbHeight, 120);
    EXPECT_EQ(first.FileSize, QFileInfo(DailyDir() + "/images/img_000.jpg").size());
    const QImage thumb(DailyDir() + "/images/thumbs/img_000.jpg");
    EXPECT_EQ(thumb.size(), QSize(249, 120));
    const QString html = ReadText(page());
    EXPECT_TRUE(html.contains("Normal 2080x1000 " + first.GetSizeText() + "\n"));
    EXPECT_TRUE(html.contains("<td width=\"259\">"));
}

TEST_F(LogRun, ThumbnailsStandInRowsNarrowerThanTheBoxAndNormalStandsAlone)
{
    TSetting settings = LogSettings({0, 1, 2, 6, 7});
    TLogger logger(settings, station.Source(Noaa18Pass(0)), nullptr);
    ASSERT_TRUE(logger.WriteLog(true));
    const QString html = ReadText(page());
    const QString rowOpen = "<table align=\"center\" cellspacing=\"5px\" cellpadding=\"0px\">\n";
    const QString cell = "</td><td style=\"vertical-align:top;\">\n";
    // Normal first, on its own; then 249 + 10 + 249 + 249 >= 650 closes a
    // row after two thumbs, and the last thumb closes the second row.
    const int normal = html.indexOf("<table class=\"thumb\"");
    EXPECT_LT(normal, html.indexOf(rowOpen));
    EXPECT_EQ(html.count(rowOpen), 2);
    EXPECT_EQ(html.count(cell), 2);
    EXPECT_EQ(html.count("<table class=\"thumb\""), 5);
    EXPECT_EQ(HtmlLint(page()), QString());
}

TEST_F(LogRun, PageStyleTitleAndFeedFieldsFollowTheSettings)
{
    TSetting settings = LogSettings({0, 2});
    settings.LogModes |= 0x100;  // the user's own style sheet
    settings.BlogTitle.clear();
    settings.Email.clear();
    settings.RIGModes = 1;
    WriteRegistryString("APT", "VersionStr", "Orvanta 0.9 test");
    TLogger logger(settings, station.Source(Noaa18Pass(0)), nullptr);
    ASSERT_TRUE(logger.WriteLog(true));

    const QString html = ReadText(page());
    EXPECT_TRUE(html.contains("<link rel=\"stylesheet\" type=\"text/css\" href=\"index.css\">\n"));
    EXPECT_FALSE(html.contains("<style"));
    EXPECT_TRUE(html.contains("function popUp(url, title)"));
    EXPECT_TRUE(html.contains("<meta name=\"author\" content=\"Orvanta 0.9 test\">"));
    EXPECT_TRUE(html.contains("Images received with the <b>R2FX</b> receiver"));
    EXPECT_EQ(logger.Settings().BlogTitle, "Zuz Uzeze DOZ Eri Dodi") << "the default title is kept";
    const QString feed = ReadText(DailyDir() + "/daily_apt_blog.xml");
    EXPECT_TRUE(feed.contains("<title>Zuz Uzeze DOZ Eri Dodi</title>"));
    EXPECT_TRUE(feed.contains("<managingEditor>N/A</managingEditor>\n    <webMaster>N/A</webMaster>"));
    EXPECT_TRUE(feed.contains("<generator>Orvanta 0.9 test</generator>"));
    EXPECT_TRUE(feed.contains("<description>The latest NOAA POES APT satellite images from Testville 50N 10E "
                              "Altitude 100 m</description>"));
    EXPECT_TRUE(html.contains(">Zuz Uzeze DOZ Eri Dodi</a>")) << "the feed link on the page";
}

TEST(StyleSheet, IsWrittenAsOneCommentedBlockWithTheRulesOfThePage)
{
    QBuffer file;
    file.open(QIODevice::WriteOnly);
    ASSERT_TRUE(WriteDefaultStyleSheet(file));
    const QString text = QString::fromUtf8(file.data());
    EXPECT_TRUE(text.startsWith("<!--\n/*\n"));
    EXPECT_TRUE(text.endsWith("// -->\n"));
    EXPECT_TRUE(text.contains("*/\nbody {\n  color: #001;\n"));
    EXPECT_TRUE(text.contains("\nh1 { font-size: 20px; }\n"));
    EXPECT_TRUE(text.contains("\n.links {\n  font-size: 12px;\n  font-family: helvetica,arial,sans-serif;\n}\n"));
    EXPECT_FALSE(PopupScriptText().contains("</")) << "nothing that ends a script element";
}

TEST_F(LogRun, FailuresAreReportedAsMessagesAndNothingElse)
{
    const TSetting settings = LogSettings({0});
    {
        // Not a window's run: nothing done, nothing said.
        TLogSource none = station.Source(Noaa18Pass(0));
        none.Pass.reset();
        TLogger logger(settings, none, nullptr);
        EXPECT_FALSE(logger.WriteLog(true));
        EXPECT_TRUE(logger.Messages.isEmpty());
        TLogger empty(LogSettings({}), station.Source(Noaa18Pass(0)), nullptr);
        EXPECT_FALSE(empty.WriteLog(true));
        EXPECT_TRUE(empty.Messages.isEmpty());
    }
    {
        QDir().mkpath(LogDir());
        QFile blocker(DailyDir());
        ASSERT_TRUE(blocker.open(QIODevice::WriteOnly)) << "a file where the daily folder belongs";
        blocker.close();
        TLogger logger(settings, station.Source(Noaa18Pass(0)), nullptr);
        QStringList shown;
        logger.OnMessages = [&](const QStringList& lines) { shown << lines; };
        EXPECT_FALSE(logger.WriteLog(true));
        ExpectEntry(logger.Messages, "Failed to create images!");
        EXPECT_EQ(shown, logger.Messages) << "handed to the process-information window";
        QFile::remove(DailyDir());
    }
    {
        QDir().mkpath(DailyDir() + "/index.html");  // a folder where the page belongs
        TLogger logger(settings, station.Source(Noaa18Pass(0)), nullptr);
        EXPECT_FALSE(logger.WriteLog(true));
        ASSERT_GE(logger.Messages.size(), 3);
        EXPECT_EQ(logger.Messages[1], "Failed to create " + DailyDir() + "/index.html");
        QDir(DailyDir() + "/index.html").removeRecursively();
    }
    {
        // Today's feed whose items are gone: the feed is started again next time.
        QFile feed(DailyDir() + "/daily_apt_blog.xml");
        ASSERT_TRUE(feed.open(QIODevice::WriteOnly));
        feed.write("<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n");
        feed.close();
        ASSERT_TRUE(LogSettings({0}).LogImages.Count == 1);
        TLogger first(settings, station.Source(Noaa18Pass(0)), nullptr);
        ASSERT_TRUE(first.WriteLog(true)) << "a new page starts a new feed";
        feed.open(QIODevice::WriteOnly);
        feed.write("<?xml version=\"1.0\"?>\n<rss version=\"2.0\">\n");
        feed.close();
        TLogger logger(settings, station.Source(Noaa18Pass(1)), nullptr);
        EXPECT_FALSE(logger.WriteLog(true));
        ASSERT_GE(logger.Messages.size(), 3);
        EXPECT_EQ(logger.Messages[1], "Failed to create \"Zuz Uzeze DOZ Eri Dodi\" " + DailyDir() + "/daily_apt_blog.xml");
        EXPECT_FALSE(QFile::exists(DailyDir() + "/daily_apt_blog.xml"));
    }
    TLogger uploader(settings, station.Source(Noaa18Pass(0)), nullptr);
    EXPECT_FALSE(uploader.UploadLog(false));
    ExpectEntry(uploader.Messages, "Nothing to log...");
    EXPECT_FALSE(uploader.IsBusy());
}

TEST_F(LogRun, CreateNewEmptiesTheLogAndAddToExistingDatesItToday)
{
    ASSERT_TRUE(TLogger(LogSettings({0, 2}), station.Source(Noaa18Pass(0)), nullptr).WriteLog(true));
    QFile(DailyDir() + "/upload.txt").open(QIODevice::WriteOnly);
    TLogger logger(LogSettings({0}), station.Source(Noaa18Pass(0)), nullptr);

    const QDateTime old = QDateTime::currentDateTime().addDays(-3);
    SetModified(page(), old);
    QFile::remove(DailyDir() + "/daily_apt_blog.xml");
    logger.TouchDailyLog();
    EXPECT_TRUE(dailylog::IsFromToday(page()));
    EXPECT_FALSE(QFile::exists(DailyDir() + "/daily_apt_blog.xml"));

    logger.StartNewDailyLog();
    for (const char* name : {"index.html", "index.txt", "daily_apt_blog.xml", "daily_apt_blog.txt", "upload.txt"})
        EXPECT_FALSE(QFile::exists(DailyDir() + "/" + name)) << name;
    EXPECT_TRUE(QDir(DailyDir() + "/images").entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(DailyDir() + "/images/thumbs").entryList(QDir::Files).isEmpty());
    EXPECT_TRUE(QDir(DailyDir() + "/images/thumbs").exists()) << "folders stay";
}

TEST(LoggerThread, ProcessingThreadRunsTheLogAndReportsThroughTheWindow)
{
    using namespace threadtest;
    aptgen::PassSpec spec;
    spec.lines = 24;  // too short for any telemetry
    const QString path = apttest::WritePass(spec, "logged.wav", 8);
    std::vector<unsigned char> recording = RecordingBytes(path);
    TAPT apt;
    ASSERT_TRUE(PrepareHandOver(apt, recording, 40));
    RecordingDisplay display(apt);
    TestRenderer renderer;

    TLogSource source;
    source.Engine = &apt;
    source.Pass = Noaa18Pass(0);
    source.Renderer = &renderer;
    source.LogDir = LogDir();
    TAPTThreadSetup setup;
    setup.Engine = &apt;
    setup.Display = &display;
    setup.Settings = LogSettings({0, 2});
    setup.Settings.LogModes = 0x8 | 0x10;  // daily log and upload
    setup.MakeLogger = MakeThreadLoggerFactory(source);
    TAPTThread thread(false, std::move(setup));
    thread.WaitFor();

    ExpectEntry(display.logLines, "NOAA 18 Nothing to log!");
    EXPECT_EQ(display.offGuiThread, 0);
    EXPECT_EQ(display.steps, std::vector<std::string>({"image", "gauge", "status Logging...Please wait!",
                                                       "progress", "result"}))
        << "nothing written, so nothing is uploaded";
    EXPECT_TRUE(renderer.calls.isEmpty());
    EXPECT_FALSE(thread.IsLogBusy());
}
