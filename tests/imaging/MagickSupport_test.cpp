#include "imaging/AudioFileInfo.h"
#include "imaging/MagickSupport.h"
#include "imaging/ImageFixtures.h"
#include "support/TestEnv.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>
#include <magick/MagickCore.h>
#include <sndfile.h>

TEST(MagickSupport, ReadsEveryListedFormatToTheSamePixels)
{
    QTemporaryDir dir;
    // Lossless formats give the pattern back exactly; the reader must scale
    // 16-bit samples to 8 and keep red, green and blue in their places.
    for (const char* extension : {".png", ".tif", ".tiff", ".bmp", ".ppm", ".tga", ".pcx"}) {
        const QString path = dir.filePath(QString("pattern") + extension);
        ASSERT_TRUE(fixtures::WriteImage(path, 7, 5)) << extension;
        const TDisplayImage read = ReadDisplayImage(path);
        ASSERT_EQ(read.Result, TDisplayImage::Ok) << extension << ": " << read.Reason.toStdString();
        ASSERT_EQ(read.Width, 7);
        ASSERT_EQ(read.Height, 5);
        for (int y = 0; y < 5; ++y)
            for (int x = 0; x < 7; ++x)
                ASSERT_EQ(read.Picture.pixel(x, y), 0xFF000000u | fixtures::Pattern(x, y))
                    << extension << " at " << x << "," << y;
    }
}

TEST(MagickSupport, DamagedForgedAndOversizedFilesFailWithAReason)
{
    QTemporaryDir dir;
    const QString good = dir.filePath("good.png");
    ASSERT_TRUE(fixtures::WriteImage(good, 64, 64));
    QFile goodFile(good);
    ASSERT_TRUE(goodFile.open(QIODevice::ReadOnly));
    const QByteArray goodBytes = goodFile.readAll();

    struct Case {
        const char* name;
        QByteArray bytes;
    };
    const Case cases[] = {
        {"noise.png", QByteArray(2000, '\x5a')},
        {"empty.png", QByteArray()},
        {"truncated.png", goodBytes.left(goodBytes.size() / 3)},
        {"forged.png", fixtures::ForgedPngHeader(200000, 200000)},
        {"png-in-disguise.gif", goodBytes},
    };
    for (const Case& c : cases) {
        const QString path = dir.filePath(c.name);
        ASSERT_TRUE(fixtures::WriteBytes(path, c.bytes));
        const TDisplayImage read = ReadDisplayImage(path);
        EXPECT_NE(read.Result, TDisplayImage::Ok) << c.name;
        EXPECT_FALSE(read.Reason.isEmpty()) << c.name;
        EXPECT_TRUE(read.Picture.isNull()) << c.name;
        EXPECT_EQ(read.Width, 0) << c.name;
    }

    const TDisplayImage limited = ReadDisplayImage(good, 64 * 63);
    EXPECT_EQ(limited.Result, TDisplayImage::ReadFailed);
    EXPECT_EQ(limited.Reason, "Image too large to show");
    EXPECT_TRUE(limited.Description.contains("64 x 64")) << limited.Description.toStdString();
    EXPECT_EQ(ReadDisplayImage(dir.filePath("missing.png")).Reason, "Unable to open image");
}

TEST(MagickSupport, FileNamesAreNeverParsedAsMagickSyntax)
{
    QTemporaryDir dir;
    // MagickCore would read "png:..." as a format prefix and "[1]" as a frame.
    for (const char* name : {"png:pass.png", "pass[1].png", "@list.png"}) {
        const QString path = dir.filePath(name);
        ASSERT_TRUE(fixtures::WriteImage(dir.filePath("plain.png"), 3, 2));
        ASSERT_TRUE(QFile::rename(dir.filePath("plain.png"), path));
        const TDisplayImage read = ReadDisplayImage(path);
        EXPECT_EQ(read.Result, TDisplayImage::Ok) << name << ": " << read.Reason.toStdString();
        EXPECT_EQ(read.Width, 3) << name;
    }
}

TEST(MagickSupport, StoredCompressionNumbersMapByName)
{
    struct Case {
        int stored;
        int magick;
    };
    const Case cases[] = {{1, NoCompression},   {2, BZipCompression},         {3, FaxCompression},
                          {4, Group4Compression}, {5, JPEGCompression},       {6, JPEG2000Compression},
                          {7, LosslessJPEGCompression}, {8, LZWCompression}, {9, RLECompression},
                          {10, ZipCompression},  {0, UndefinedCompression},  {11, UndefinedCompression}};
    for (const Case& c : cases) {
        EXPECT_EQ(MagickCompressionFromStored(c.stored), c.magick) << c.stored;
        if (c.magick != UndefinedCompression) {
            EXPECT_EQ(StoredCompressionFromMagick(c.magick), c.stored) << c.stored;
        }
    }
    EXPECT_NE(MagickCompressionFromStored(5), 5) << "6.9 moved JPEG behind the DXT entries";
    EXPECT_EQ(StoredCompressionFromMagick(DXT1Compression), 0);
}

TEST(AudioFileInfo, ReadsLengthRateAndChannelsFromTheHeader)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("two-seconds.wav");
    SF_INFO format{};
    format.samplerate = 11025;
    format.channels = 1;
    format.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_WRITE, &format);
    ASSERT_NE(file, nullptr);
    std::vector<double> silence(22050, 0.0);
    ASSERT_EQ(sf_write_double(file, silence.data(), static_cast<sf_count_t>(silence.size())), 22050);
    sf_close(file);

    const TAudioFileInfo info = ReadAudioFileInfo(path);
    ASSERT_TRUE(info.Ok) << info.Error.toStdString();
    EXPECT_EQ(info.SampleRate, 11025);
    EXPECT_EQ(info.Channels, 1);
    EXPECT_EQ(info.Frames, 22050);
    EXPECT_EQ(AudioInfoText(info), "2.00 s, 11025 Hz, mono");

    ASSERT_TRUE(fixtures::WriteBytes(dir.filePath("text.wav"), "not a recording at all"));
    const TAudioFileInfo bad = ReadAudioFileInfo(dir.filePath("text.wav"));
    EXPECT_FALSE(bad.Ok);
    EXPECT_FALSE(bad.Error.isEmpty());
    EXPECT_EQ(AudioInfoText(bad), bad.Error);
}

TEST(AudioFileInfo, ReadsARealRecording)
{
    const QString path = testenv::SharedDataPath("apt/weak-11025-s16.wav");
    if (path.isEmpty())
        SKIP_MISSING("apt/weak-11025-s16.wav not present");
    const TAudioFileInfo info = ReadAudioFileInfo(path);
    ASSERT_TRUE(info.Ok) << info.Error.toStdString();
    EXPECT_EQ(info.SampleRate, 11025);
    EXPECT_NEAR(info.Seconds, 15.35, 0.01) << "the excerpt is 15.35 s long";
}
