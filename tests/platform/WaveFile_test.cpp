#include "platform/AtomicFile.h"
#include "platform/WaveFile.h"

#include <QDir>
#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <csignal>
#include <sndfile.h>
#include <sys/resource.h>
#include <vector>

namespace {

// Every byte value, in an order that no chunk size repeats.
std::vector<std::uint8_t> Samples(std::size_t n)
{
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return out;
}

std::uint32_t Le32(const QByteArray& b, int at)
{
    const auto* p = reinterpret_cast<const unsigned char*>(b.constData() + at);
    return p[0] | p[1] << 8 | p[2] << 16 | std::uint32_t(p[3]) << 24;
}

QStringList FilesIn(const QString& folder)
{
    return QDir(folder).entryList(QDir::Files | QDir::Dirs | QDir::NoDotAndDotDot);
}

// While it lives, no file of this process can grow past limitBytes: the
// system takes a write up to the limit and refuses the rest, as a disk that
// fills part-way through does.
struct FileSizeLimit {
    explicit FileSizeLimit(rlim_t limitBytes)
    {
        getrlimit(RLIMIT_FSIZE, &saved);
        rlimit lowered = saved;
        lowered.rlim_cur = limitBytes;
        setrlimit(RLIMIT_FSIZE, &lowered);
        oldHandler = std::signal(SIGXFSZ, SIG_IGN);
    }
    ~FileSizeLimit()
    {
        setrlimit(RLIMIT_FSIZE, &saved);
        std::signal(SIGXFSZ, oldHandler);
    }
    rlimit saved{};
    void (*oldHandler)(int) = nullptr;
};

}  // namespace

TEST(WaveFile, RecordingReadsBackThroughLibsndfileWithPadByteForOddCounts)
{
    for (const std::uint32_t n : {0u, 1000u, 1001u, 716625u}) {
        SCOPED_TRACE(n);
        QTemporaryDir dir;
        const QString path = dir.filePath("pass.wav");
        const std::vector<std::uint8_t> samples = Samples(n);
        QString error;
        ASSERT_TRUE(WriteWaveFile(path, TWaveFormat{}, samples.data(), n, error)) << error.toStdString();
        EXPECT_EQ(FilesIn(dir.path()), QStringList{"pass.wav"}) << "no temporary file is left";

        QFile file(path);
        ASSERT_TRUE(file.open(QIODevice::ReadOnly));
        const QByteArray bytes = file.readAll();
        ASSERT_EQ(bytes.size(), qsizetype(46 + n + (n & 1)));
        EXPECT_EQ(Le32(bytes, 4), 38 + n + (n & 1)) << "RIFF size";
        EXPECT_EQ(Le32(bytes, 16), 18u) << "fmt chunk of the 18-byte format record";
        EXPECT_EQ(Le32(bytes, 42), n) << "data size without the pad byte";
        if (n & 1) {
            EXPECT_EQ(bytes.back(), '\0');
        }

        SF_INFO info{};
        SNDFILE* snd = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
        ASSERT_NE(snd, nullptr) << sf_strerror(nullptr);
        EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_U8);
        EXPECT_EQ(info.samplerate, 11025);
        EXPECT_EQ(info.channels, 1);
        EXPECT_EQ(info.frames, sf_count_t(n));
        std::vector<short> read(n + 1);
        EXPECT_EQ(sf_read_short(snd, read.data(), n + 1), sf_count_t(n));
        sf_close(snd);
        std::size_t mismatches = 0;
        for (std::uint32_t i = 0; i < n; ++i)
            mismatches += read[i] != short((samples[i] - 128) * 256);
        EXPECT_EQ(mismatches, 0u) << "unsigned 8-bit samples, 128 = silence";
    }
}

TEST(WaveFile, SixteenBitStereoUsesTheFormatsBlockAlign)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("stereo.wav");
    TWaveFormat format;
    format.Channels = 2;
    format.BitsPerSample = 16;
    format.BlockAlign = 4;
    format.AvgBytesPerSec = 11025 * 4;
    const std::vector<std::uint8_t> samples = Samples(4000);
    QString error;
    ASSERT_TRUE(WriteWaveFile(path, format, samples.data(), 4000, error)) << error.toStdString();
    SF_INFO info{};
    SNDFILE* snd = sf_open(path.toLocal8Bit().constData(), SFM_READ, &info);
    ASSERT_NE(snd, nullptr);
    EXPECT_EQ(info.format, SF_FORMAT_WAV | SF_FORMAT_PCM_16);
    EXPECT_EQ(info.channels, 2);
    EXPECT_EQ(info.frames, 1000);
    std::vector<short> read(2000);
    EXPECT_EQ(sf_read_short(snd, read.data(), 2000), 2000);
    sf_close(snd);
    EXPECT_EQ(read[1], short(samples[2] | samples[3] << 8)) << "little-endian, channels interleaved";

    EXPECT_FALSE(WriteWaveFile(dir.filePath("half.wav"), format, samples.data(), 4001, error));
    EXPECT_TRUE(error.contains("half.wav") && error.contains("whole samples")) << error.toStdString();
}

TEST(WaveFile, ReplacesAnOldFileWhole)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("pass.wav");
    const std::vector<std::uint8_t> samples = Samples(5000);
    QString error;
    ASSERT_TRUE(WriteWaveFile(path, TWaveFormat{}, samples.data(), 5000, error));
    ASSERT_TRUE(WriteWaveFile(path, TWaveFormat{}, samples.data(), 11, error));
    EXPECT_EQ(QFileInfo(path).size(), 46 + 11 + 1);
    EXPECT_EQ(FilesIn(dir.path()), QStringList{"pass.wav"});
}

TEST(WaveFile, FailureLeavesNoPartialFileAndNamesPathAndReason)
{
    QTemporaryDir dir;
    QFile blocker(dir.filePath("audio"));
    ASSERT_TRUE(blocker.open(QIODevice::WriteOnly));
    blocker.close();
    ASSERT_TRUE(QDir(dir.path()).mkdir("taken.wav"));
    const std::vector<std::uint8_t> samples = Samples(100);
    struct Case {
        const char* name;
        QString path;
        const char* reason;
    };
    const Case cases[] = {
        {"folder missing", dir.filePath("missing/pass.wav"), "does not exist"},
        {"folder is a regular file", dir.filePath("audio/pass.wav"), "does not exist"},
        {"name taken by a folder", dir.filePath("taken.wav"), "Is a directory"},
    };
    for (const Case& c : cases) {
        QString error;
        EXPECT_FALSE(WriteWaveFile(c.path, TWaveFormat{}, samples.data(), 100, error)) << c.name;
        EXPECT_TRUE(error.contains(c.path) && error.contains(c.reason)) << c.name << ": " << error.toStdString();
    }
    EXPECT_EQ(FilesIn(dir.path()), (QStringList{"audio", "taken.wav"})) << "no partial or temporary file";
    EXPECT_EQ(QFileInfo(dir.filePath("audio")).size(), 0);
}

TEST(WaveFile, ADiskThatFillsPartWayNamesTheSystemsReason)
{
    QTemporaryDir dir;
    const std::vector<std::uint8_t> samples = Samples(64 << 10);
    QString waveError, fileError;
    bool waveWritten = true, fileWritten = true;
    {
        FileSizeLimit limit(10 << 10);
        waveWritten = WriteWaveFile(dir.filePath("pass.wav"), TWaveFormat{}, samples.data(), samples.size(), waveError);
        fileWritten = WriteFileAtomically(dir.filePath("index.html"), QByteArray(64 << 10, 'x'), fileError);
    }
    EXPECT_FALSE(waveWritten);
    EXPECT_FALSE(fileWritten);
    EXPECT_TRUE(waveError.contains("File too large")) << waveError.toStdString();
    EXPECT_TRUE(fileError.contains("File too large")) << fileError.toStdString();
    EXPECT_EQ(FilesIn(dir.path()), QStringList{}) << "no partial or temporary file";
}
