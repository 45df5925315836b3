// The sound input on ALSA's real capture path: a device of type "file" in
// the test's own ~/.asoundrc reads a known recording from its infile over a
// "null" slave, faster than real time. A FIFO as infile lets a test pace the
// samples and stop a recording half way.
#include "platform/Messages.h"
#include "platform/WaveFile.h"
#include "platform/WaveIn.h"

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

std::vector<std::uint8_t> Samples(std::size_t n)
{
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return out;
}

bool SamePrefix(const std::uint8_t* data, const std::vector<std::uint8_t>& expected, std::size_t n)
{
    return n <= expected.size() && std::equal(data, data + n, expected.begin());
}

// Defines the capture device "known" reading infile and makes it the sound
// input's device. HOME is the test's own temporary folder.
void UseFileDevice(const QString& infile)
{
    QFile rc(QDir::home().filePath(".asoundrc"));
    ASSERT_TRUE(rc.open(QIODevice::WriteOnly | QIODevice::Truncate));
    rc.write(QString("pcm.known {\n  type file\n  slave.pcm \"null\"\n  file \"/dev/null\"\n"
                     "  infile \"%1\"\n  format \"raw\"\n}\n")
                 .arg(infile)
                 .toUtf8());
    rc.close();
    qputenv("ORVANTA_ALSA_DEVICE", "known");
    // ALSA keeps the configuration it read; a rewrite within the same
    // second would go unnoticed when several tests share a process.
    snd_config_update_free_global();
}

QString WriteRecording(const QTemporaryDir& dir, const std::vector<std::uint8_t>& bytes)
{
    const QString path = dir.filePath("recording.u8");
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    return path;
}

struct Received {
    std::vector<TMessage> messages;
    TMessageTarget target{[this](TMessage& m) { messages.push_back(m); }};
};

bool PumpUntil(const std::function<bool()>& done, int maxMs)
{
    const QDeadlineTimer deadline(maxMs);
    while (!done() && !deadline.hasExpired())
        PumpMessages(20);
    return done();
}

// Feeds bytes into a FIFO in 4096-byte writes, which a pipe keeps whole, so
// every period-sized read of the file device gets real bytes. About 400 KB
// a second: a 716625-byte buffer takes nearly two seconds to fill, and the
// feed outlasts any test.
class FifoFeeder {
public:
    FifoFeeder(const QString& path, std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes))
    {
        ::mkfifo(path.toLocal8Bit().constData(), 0600);
        // Read-write, so the device's own open of the FIFO does not wait for a writer.
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
        thread_ = std::thread([this] { Run(); });
    }
    ~FifoFeeder()
    {
        stop_ = true;
        thread_.join();
        ::close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }

private:
    void Run()
    {
        std::size_t sent = 0;
        while (!stop_ && sent < bytes_.size()) {
            const std::size_t n = std::min<std::size_t>(4096, bytes_.size() - sent);
            if (::write(fd_, bytes_.data() + sent, n) == ssize_t(n))
                sent += n;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    std::vector<std::uint8_t> bytes_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace

TEST(WaveIn, FullBufferComesBackOnceWithTheRecordingsBytes)
{
    // A 60-second recording window's buffer: (60 + 5) x 11025 bytes, not a
    // whole number of periods.
    constexpr std::uint32_t kLength = 65 * 11025;
    QTemporaryDir dir;
    const std::vector<std::uint8_t> recording = Samples(kLength);
    UseFileDevice(WriteRecording(dir, recording));

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
    UseFileDevice(WriteRecording(dir, Samples(1000)));
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
    UseFileDevice(WriteRecording(dir, Samples(1000)));
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
    const std::vector<std::uint8_t> recording = Samples(4 << 20);
    const QString fifo = dir.filePath("live.fifo");
    FifoFeeder feeder(fifo, recording);
    ASSERT_TRUE(feeder.Ok());
    UseFileDevice(fifo);

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
    FifoFeeder feeder(fifo, Samples(4 << 20));
    ASSERT_TRUE(feeder.Ok());
    UseFileDevice(fifo);

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
