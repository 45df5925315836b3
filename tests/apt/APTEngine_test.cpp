#include "AptTestHelpers.h"
#include "apt/APT.h"
#include "support/TestEnv.h"

#include <QDir>
#include <QFile>
#include <cmath>
#include <gtest/gtest.h>

namespace {

std::vector<double> Tone(double seconds)
{
    return std::vector<double>(size_t(seconds * 11025), 0.25);
}

}  // namespace

TEST(APTEngine, AudioFilesAreCheckedWithTheirMessages)
{
    const QString dir = testenv::ProgramDir();
    QDir().mkpath(dir);
    struct Case {
        const char* name;
        int rate, channels;
        double seconds;
        const char* text;
        const char* caption;
    };
    const Case cases[] = {
        {"wrong rate", 22050, 1, 6, "\nSample rate: 22050. Must be 11025", "Error: Unsupported samplerate!"},
        {"stereo", 11025, 2, 6, "\nToo many channels : 2", "Error: Stereo not yet supported!"},
        {"four seconds", 11025, 1, 4.99, "\nNot enough data to process! Only 4 seconds.",
         "Error: Not enough lines recorded!"},
    };
    for (const auto& c : cases) {
        const QString path = dir + c.name + ".wav";
        std::vector<double> samples(size_t(c.seconds * c.rate), 0.1);
        ASSERT_TRUE(aptgen::WriteWav(path.toStdString(), samples, 16, c.rate, c.channels));
        TAPT apt;
        QString shownText, shownCaption;
        apt.OnError = [&](const QString& text, const QString& caption) {
            shownText = text;
            shownCaption = caption;
        };
        EXPECT_FALSE(apt.Init(path, 0)) << c.name;
        EXPECT_EQ(shownText, path + c.text) << c.name;
        EXPECT_EQ(shownCaption, c.caption) << c.name;
        EXPECT_EQ(apt.SndFile, nullptr) << c.name;
    }

    TAPT apt;
    EXPECT_FALSE(apt.Init(dir + "missing.wav", 0));
    EXPECT_EQ(apt.LastErrorCaption, "Error");
    EXPECT_TRUE(apt.LastError.startsWith(dir + "missing.wav\n")) << apt.LastError.toStdString();

    QFile text(dir + "notes.wav");
    ASSERT_TRUE(text.open(QIODevice::WriteOnly));
    text.write("this is not audio at all\n");
    text.close();
    EXPECT_FALSE(apt.Init(dir + "notes.wav", 0));
    EXPECT_EQ(apt.LastErrorCaption, "Error");

    const QString five = dir + "five.wav";
    ASSERT_TRUE(aptgen::WriteWav(five.toStdString(), Tone(5.2), 8));
    ASSERT_TRUE(apt.Init(five, 0));
    EXPECT_EQ(apt.Flags.load(), aptDecoding | aptAudioFile);
    EXPECT_EQ(apt.MaxLines, 10);
    EXPECT_EQ(apt.GetAudioDuration(), 5);
}

TEST(APTEngine, LyingHeaderIsReadOnlyAsFarAsTheData)
{
    // A WAV whose data chunk claims 100 s while 6 s follow.
    const QString path = testenv::ProgramDir() + "lying.wav";
    QDir().mkpath(testenv::ProgramDir());
    ASSERT_TRUE(aptgen::WriteWav(path.toStdString(), Tone(6), 8));
    QFile file(path);
    ASSERT_TRUE(file.open(QIODevice::ReadWrite));
    QByteArray bytes = file.readAll();
    const int dataAt = bytes.indexOf("data");
    ASSERT_GT(dataAt, 0);
    const quint32 claimed = 100 * 11025;
    for (int i = 0; i < 4; ++i)
        bytes[dataAt + 4 + i] = char((claimed >> (8 * i)) & 0xff);
    file.seek(0);
    file.write(bytes);
    file.close();

    TAPT apt;
    const int lines = apttest::DecodeFile(apt, path);
    ASSERT_GE(lines, 0) << apt.LastError.toStdString();
    EXPECT_LE(lines, 12) << "rows only from the samples that exist";
}

TEST(APTEngine, EmptyPathMakesALiveEngine)
{
    TAPT apt;
    ASSERT_TRUE(apt.Init("", 0));
    EXPECT_EQ(apt.Flags.load(), aptDecoding | aptLive);
    EXPECT_EQ(apt.GetLiveState(), 1);
    apt.Flags |= aptComplete;
    EXPECT_EQ(apt.GetLiveState(), 0);
    apt.StopFlags |= 4;
    EXPECT_EQ(apt.GetLiveState(), -1);
}

TEST(APTEngine, StateQueries)
{
    TAPT apt;
    EXPECT_EQ(apt.GetDurationText(), "0:00");
    apt.AllocLines(241);
    EXPECT_EQ(apt.GetDurationText(), "2:00");
    apt.Flags = aptAudioFile | aptComplete;
    EXPECT_TRUE(apt.IsImageReady());
    apt.StopFlags = 2;
    EXPECT_FALSE(apt.IsImageReady()) << "any stop bit withholds the image";
    apt.FirstLine = 10;
    apt.LastLine = 0;
    EXPECT_EQ(apt.GetLineCount(true), 231);
    EXPECT_EQ(apt.GetLineCount(false), 241);
}

TEST(APTEngine, NoiseFilterReplacesSpikesOnly)
{
    TAPT apt;
    apt.AllocLines(5);
    for (int r = 0; r < 5; ++r)
        for (int c = 0; c < 2080; ++c)
            apt.LineStore[r][c] = 100 + (c % 2) * 15;  // spans exactly 15: left alone
    const std::vector<double> before(apt.LineStore[2].get(), apt.LineStore[2].get() + 2080);
    const double* filtered = apt.GetLine(2, lfFilter | lfBoth);
    for (int c = 0; c < 2080; ++c)
        ASSERT_EQ(filtered[c], before[c]) << c;

    apt.LineStore[2][500] = 200;
    EXPECT_EQ(apt.FilterPixel(500, 2, 200), 115) << "a lone spike becomes the median";
    filtered = apt.GetLine(2, lfFilter | lfBoth);
    EXPECT_EQ(filtered[500], 115);
    EXPECT_EQ(apt.LineStore[2][500], 200) << "the stored line is never rewritten";
    EXPECT_EQ(apt.GetLine(2, 0)[500], 200);

    apt.LineStore[2][501] = std::nan("");
    apt.LineStore[1][600] = std::nan("");
    filtered = apt.GetLine(2, lfFilter | lfBoth);
    EXPECT_FALSE(std::isnan(filtered[501]));
    EXPECT_FALSE(std::isnan(apt.MedianPixel(600, 2, 100)));
    EXPECT_EQ(apt.FilterPixel(0, 2, 300), 255) << "on the border the value is only clamped";
    EXPECT_EQ(apt.FilterPixel(10, 0, -3), 0);

    apt.LineStore[2][1500] = 250;
    filtered = apt.GetLine(2, lfFilter | lfChannelA);
    EXPECT_EQ(filtered[1500], 250) << "channel A only leaves channel B alone";
}

TEST(APTEngine, CropFindsTheNoiseFreePart)
{
    TAPT apt;
    apt.AllocLines(300);
    auto setSpaceB = [&](int line, double v) {
        for (int c = 1079; c <= 1125; ++c)
            apt.LineStore[line][c] = v;
    };
    for (int i = 0; i < 300; ++i)
        setSpaceB(i, 40);
    EXPECT_EQ(apt.FindCropLine(true), 99) << "no run of good lines: the last line examined";
    for (int i = 20; i < 280; ++i)
        setSpaceB(i, 200);
    EXPECT_EQ(apt.FindCropLine(true), 20);
    EXPECT_EQ(apt.FindCropLine(false), 279);
    apt.Flags |= aptNoTelemetry;
    EXPECT_EQ(apt.FindCropLine(true), 0);
    EXPECT_EQ(apt.FindCropLine(false), 300);
}
