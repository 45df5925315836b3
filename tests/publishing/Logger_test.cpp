#include "AptTestHelpers.h"
#include "ThreadTestSupport.h"
#include "publishing/Logger.h"

#include <QRegularExpression>
#include <gtest/gtest.h>

using namespace threadtest;

namespace {

const char kNotWritten[] = "No log writer is configured: the daily log was not written.";
const char kNotUploaded[] = "No log writer is configured: nothing was uploaded.";

// One process-log entry: the time stamp, the text, an empty line.
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

}  // namespace

TEST(Logger, RunsReportThatNoLogWriterIsConfigured)
{
    TSetting settings;
    settings.ThumbSize = 90;
    TLogger logger(settings, nullptr);
    settings.ThumbSize = 20;
    EXPECT_EQ(logger.Settings().ThumbSize, 50) << "its own copy, validated";

    QStringList shown;
    logger.OnMessages = [&](const QStringList& lines) { shown << lines; };
    EXPECT_FALSE(logger.WriteLog(true));
    EXPECT_FALSE(logger.IsBusy());
    ExpectEntry(logger.Messages, kNotWritten);
    EXPECT_EQ(shown, logger.Messages);

    shown.clear();
    EXPECT_FALSE(logger.UploadLog(false));
    ExpectEntry(logger.Messages, kNotUploaded);  // each run starts a new list
    EXPECT_EQ(shown, logger.Messages);
}

TEST(Logger, ProcessingThreadReportsItsLogRunOnceThroughTheWindow)
{
    aptgen::PassSpec spec;
    spec.lines = 24;
    const QString path = apttest::WritePass(spec, "logged.wav", 8);
    std::vector<unsigned char> recording = RecordingBytes(path);
    TAPT apt;
    ASSERT_TRUE(PrepareHandOver(apt, recording, 40));
    RecordingDisplay display(apt);

    TAPTThreadSetup setup;
    setup.Engine = &apt;
    setup.Display = &display;
    setup.Settings.LogModes = 0x8 | 0x10;  // daily log and upload
    setup.MakeLogger = MakeThreadLogger;
    TAPTThread thread(false, std::move(setup));
    thread.WaitFor();

    ExpectEntry(display.logLines, kNotWritten);
    EXPECT_EQ(display.offGuiThread, 0);
    // Nothing written, so nothing is uploaded; the pass is finished anyway.
    EXPECT_EQ(display.steps, std::vector<std::string>({"gauge", "image", "status Logging...Please wait!",
                                                       "progress", "result"}));
    EXPECT_TRUE(apt.Flags & aptComplete);
    EXPECT_FALSE(thread.IsLogBusy());
}
