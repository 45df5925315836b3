// The sound input on ALSA's real capture path: a device of type "file" in
// the test's own ~/.asoundrc reads a known recording from its infile over a
// "null" slave, faster than real time. A FIFO as infile lets a test pace the
// samples and stop a recording half way.
#include "platform/Messages.h"
#include "platform/WaveFile.h"
#include "platform/WaveIn.h"
#include "support/AlsaCaptureFixture.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <QThread>
#include <alsa/asoundlib.h>
#include <atomic>
#include <cerrno>
#include <fcntl.h>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace {

using namespace alsafixture;

bool SamePrefix(const std::uint8_t* data, const std::vector<std::uint8_t>& expected, std::size_t n)
{
    return n <= expected.size() && std::equal(data, data + n, expected.begin());
}

QString WriteRecording(const QTemporaryDir& dir, const std::vector<std::uint8_t>& bytes)
{
    return WriteBytes(dir.filePath("recording.u8"), bytes);
}

struct Received {
    std::vector<TMessage> messages;
    TMessageTarget target{[this](TMessage& m) { messages.push_back(m); }};
};

}  // namespace

TEST(WaveIn, FullBufferComesBackOnceWithTheRecordingsBytes)
{
    // A 60-second recording window's buffer: (60 + 5) x 11025 bytes, not a
    // whole number of periods.
    constexpr std::uint32_t kLength = 65 * 11025;
    QTemporaryDir dir;
    const std::vector<std::uint8_t> recording = KnownSamples(kLength);
    ASSERT_TRUE(UseCaptureFile(WriteRecording(dir, recording)));

    Received received;
    TWaveIn in;
    std::vector<std::uint8_t> buffer(kLength);
    TWaveHeader header{buffer.data(), kLength};
    ASSERT_EQ(in.Open(TWaveFormat{}, &received.target), 0);
    ASSERT_EQ(in.PrepareHeader(&header), 0);
    ASSERT_EQ(in.AddBuffer(&header), 0);
    ASSERT_EQ(in.Start(), 0);
    ASSERT_TRUE(PumpUntil([&] { return !received.messages.empty(); }, 10000));
    PumpMessages(100);

    ASSERT_EQ(received.messages.size(), 1u);
    EXPECT_EQ(received.messages[0].Msg, MM_WIM_DATA);
    EXPECT_EQ(received.messages[0].WParam, reinterpret_cast<WPARAM>(&in));
    EXPECT_EQ(received.messages[0].LParam, reinterpret_cast<LPARAM>(&header));
    EXPECT_EQ(header.BytesRecorded, kLength);
    EXPECT_EQ(header.Flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    EXPECT_EQ(in.PositionBytes(), kLength);
    EXPECT_TRUE(buffer == recording) << "capture returns the infile's bytes";

    EXPECT_EQ(in.UnprepareHeader(&header), 0);
    EXPECT_EQ(in.Close(), 0);
    EXPECT_EQ(in.PositionBytes(), 0u);

    // The recorder's next step: the WAV file holds the same samples.
    QString error;
    const QString wav = dir.filePath("pass.wav");
    ASSERT_TRUE(WriteWaveFile(wav, TWaveFormat{}, buffer.data(), header.BytesRecorded, error));
    SF_INFO info{};
    SNDFILE* snd = sf_open(wav.toLocal8Bit().constData(), SFM_READ, &info);
    ASSERT_NE(snd, nullptr);
    EXPECT_EQ(info.frames, sf_count_t(kLength));
    sf_close(snd);
}

TEST(WaveIn, DeviceQuestionsAndErrorTexts)
{
    QTemporaryDir dir;
    ASSERT_TRUE(UseCaptureFile(WriteRecording(dir, KnownSamples(1000))));
    TWaveInCaps caps;
    ASSERT_EQ(TWaveIn::GetDevCaps(caps), 0);
    EXPECT_EQ(caps.Name, "known");
    EXPECT_TRUE(caps.Formats & WAVE_FORMAT_1M08);
    EXPECT_EQ(TWaveIn::QueryFormat(TWaveFormat{}), 0);
    TWaveFormat inconsistent;
    inconsistent.BlockAlign = 2;
    EXPECT_EQ(TWaveIn::QueryFormat(inconsistent), -EINVAL);
    EXPECT_EQ(TWaveIn::ErrorText(-EINVAL), "Invalid argument");

    qputenv("ORVANTA_ALSA_DEVICE", "orvanta_no_such_device");
    TWaveIn in;
    Received received;
    const int codes[] = {TWaveIn::GetDevCaps(caps), TWaveIn::QueryFormat(TWaveFormat{}),
                         in.Open(TWaveFormat{}, &received.target)};
    for (const int code : codes) {
        EXPECT_LT(code, 0);
        EXPECT_FALSE(TWaveIn::ErrorText(code).isEmpty());
        EXPECT_NE(TWaveIn::ErrorText(code), TWaveIn::ErrorText(0));
    }
    EXPECT_FALSE(in.IsOpen());
}

TEST(WaveIn, CallsOutOfOrderAreRefused)
{
    QTemporaryDir dir;
    ASSERT_TRUE(UseCaptureFile(WriteRecording(dir, KnownSamples(1000))));
    std::vector<std::uint8_t> buffer(500);
    TWaveHeader header{buffer.data(), 500};
    TWaveHeader second{buffer.data(), 500};
    TWaveHeader empty;
    TWaveIn in;
    Received received;
    EXPECT_EQ(in.AddBuffer(&header), -EBADFD) << "not open";
    EXPECT_EQ(in.Start(), -EBADFD);
    EXPECT_EQ(in.Reset(), -EBADFD);
    ASSERT_EQ(in.Open(TWaveFormat{}, &received.target), 0);
    EXPECT_EQ(in.Open(TWaveFormat{}, &received.target), -EBUSY) << "already open";
    EXPECT_EQ(in.PrepareHeader(&empty), -EINVAL) << "no buffer";
    EXPECT_EQ(in.AddBuffer(&header), -EINVAL) << "not prepared";
    EXPECT_EQ(in.Start(), -EINVAL) << "nothing queued";
    ASSERT_EQ(in.PrepareHeader(&header), 0);
    ASSERT_EQ(in.PrepareHeader(&second), 0);
    ASSERT_EQ(in.AddBuffer(&header), 0);
    EXPECT_EQ(in.AddBuffer(&second), -EBUSY) << "one buffer at a time";
    EXPECT_EQ(in.UnprepareHeader(&header), -EBUSY) << "still queued";
    EXPECT_EQ(in.Reset(), 0) << "the queued buffer comes back without a start";
    EXPECT_TRUE(PumpUntil([&] { return received.messages.size() == 1; }, 2000));
    EXPECT_EQ(header.BytesRecorded, 0u);
    EXPECT_EQ(in.UnprepareHeader(&header), 0);
}

TEST(WaveIn, ResetStopsAPacedRecordingAndReturnsWhatWasCaptured)
{
    constexpr std::uint32_t kLength = 65 * 11025;
    QTemporaryDir dir;
    const std::vector<std::uint8_t> recording = KnownSamples(4 << 20);
    const QString fifo = dir.filePath("live.fifo");
    FifoFeeder feeder(fifo, recording);
    ASSERT_TRUE(feeder.Ok());
    ASSERT_TRUE(UseCaptureFile(fifo));

    Received received;
    TWaveIn in;
    std::vector<std::uint8_t> buffer(kLength);
    TWaveHeader header{buffer.data(), kLength};
    ASSERT_EQ(in.Open(TWaveFormat{}, &received.target), 0);
    ASSERT_EQ(in.PrepareHeader(&header), 0);
    ASSERT_EQ(in.AddBuffer(&header), 0);
    ASSERT_EQ(in.Start(), 0);

    // A live reader trusts the position: every byte below it is in place.
    const QDeadlineTimer deadline(10000);
    while (in.PositionBytes() < 20000 && !deadline.hasExpired())
        QThread::msleep(1);
    const std::uint32_t seen = in.PositionBytes();
    ASSERT_GE(seen, 20000u);
    EXPECT_TRUE(SamePrefix(buffer.data(), recording, seen));
    EXPECT_TRUE(received.messages.empty()) << "nothing comes back before the buffer is full";

    ASSERT_EQ(in.Reset(), 0);
    EXPECT_EQ(in.PositionBytes(), 0u) << "a reset device reads position 0";
    ASSERT_TRUE(PumpUntil([&] { return !received.messages.empty(); }, 2000));
    PumpMessages(100);
    EXPECT_EQ(received.messages.size(), 1u);
    EXPECT_GE(header.BytesRecorded, seen);
    EXPECT_LT(header.BytesRecorded, kLength) << "stopped before the buffer was full";
    EXPECT_TRUE(SamePrefix(buffer.data(), recording, header.BytesRecorded));
    EXPECT_EQ(header.Flags & (WHDR_DONE | WHDR_INQUEUE), WHDR_DONE);
    EXPECT_EQ(in.UnprepareHeader(&header), 0);
    EXPECT_EQ(in.Close(), 0);
}

TEST(WaveIn, CloseDuringARecordingReleasesTheBufferWithoutAMessage)
{
    QTemporaryDir dir;
    const QString fifo = dir.filePath("live.fifo");
    FifoFeeder feeder(fifo, KnownSamples(4 << 20));
    ASSERT_TRUE(feeder.Ok());
    ASSERT_TRUE(UseCaptureFile(fifo));

    Received received;
    auto buffer = std::make_unique<std::vector<std::uint8_t>>(65 * 11025);
    TWaveHeader header{buffer->data(), std::uint32_t(buffer->size())};
    {
        TWaveIn in;
        ASSERT_EQ(in.Open(TWaveFormat{}, &received.target), 0);
        ASSERT_EQ(in.PrepareHeader(&header), 0);
        ASSERT_EQ(in.AddBuffer(&header), 0);
        ASSERT_EQ(in.Start(), 0);
        const QDeadlineTimer deadline(10000);
        while (in.PositionBytes() == 0 && !deadline.hasExpired())
            QThread::msleep(1);
        ASSERT_GT(in.PositionBytes(), 0u);
        EXPECT_EQ(in.Close(), 0);
        EXPECT_FALSE(header.Flags & WHDR_INQUEUE);
        EXPECT_EQ(in.UnprepareHeader(&header), 0);
        buffer.reset();  // the capture thread must be done with it
        PumpMessages(200);
    }
    EXPECT_TRUE(received.messages.empty());
}
