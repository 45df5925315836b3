// A recording of pure noise holds no telemetry, so neither the recorder's
// check of a finished pass nor the daily log takes it for a picture. The
// noise is the soak day's own (a 64 s loop, so the decoded noise repeats
// too and the frame search meets candidates equal to the last bits): the
// verdict must not hang on which of them wins.
#include "AptTestHelpers.h"
#include "apt/APT.h"
#include "soak/PassAudio.h"
#include "support/TestEnv.h"

#include <QDir>
#include <algorithm>
#include <gtest/gtest.h>

namespace {

// The noise loop as the sky sends it from offset (bytes) on, for seconds.
QString WriteNoiseRecording(std::size_t offset, int seconds)
{
    const std::vector<std::uint8_t> loop = soak::NoiseLoop();
    std::vector<std::uint8_t> recording(std::size_t(seconds) * soak::kSampleRate);
    for (std::size_t i = 0; i < recording.size(); ++i)
        recording[i] = loop[(offset + i) % loop.size()];
    QDir().mkpath(testenv::ProgramDir());
    const QString path = testenv::ProgramDir() + "noise.wav";
    return aptgen::WriteWavBytes(path.toStdString(), recording) ? path : QString();
}

void ExpectNoTelemetry(std::size_t offset, int seconds, int spacecraft)
{
    const QString path = WriteNoiseRecording(offset, seconds);
    ASSERT_FALSE(path.isEmpty());
    TAPT apt;
    const int lines = apttest::DecodeFile(apt, path);
    ASSERT_GE(lines, 192) << "too short for a telemetry frame";
    apt.SpacecraftModel = spacecraft;

    // The recorder's loose check of the finished recording, on the lines as decoded.
    TAPT raw;
    ASSERT_TRUE(raw.AllocLines(lines));
    for (int i = 0; i < lines; ++i)
        std::copy_n(apt.LineStore[i].get(), TAPT::kLineWidth, raw.LineStore[i].get());
    raw.SpacecraftModel = spacecraft;
    EXPECT_FALSE(raw.CheckTelemetry(true)) << "channels " << raw.ChannelA << ", " << raw.ChannelB;

    // The daily log's strict check, after the pass's image was made.
    apt.SaveImage(2);
    EXPECT_FALSE(apt.CheckTelemetry(false)) << "channels " << apt.ChannelA << ", " << apt.ChannelB;
    EXPECT_EQ(apt.ChannelA, avhrrNone);
    EXPECT_EQ(apt.ChannelB, avhrrNone);
    EXPECT_EQ(apt.GetChannelName(false).toStdString(), "N/A");
    EXPECT_EQ(apt.GetChannelName(true).toStdString(), "N/A");
}

}  // namespace

TEST(APTPureNoise, TheSoakDaysNoisePassHasNoTelemetry)
{
    // NOAA 15 at 18:04:16 on the soak's day: recorded 15.0 s into the loop, 638 s long.
    ExpectNoTelemetry(165341, 638, scNOAA15);
}

TEST(APTPureNoise, TwelveMinutesOfTheLoopHaveNoTelemetry)
{
    ExpectNoTelemetry(0, 720, scNOAA18);
}
