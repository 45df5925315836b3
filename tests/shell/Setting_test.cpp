#include "SettingsCompare.h"
#include "shell/Setting.h"

#include <QFile>
#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(Setting, FreshRecordHasTheDefaultsAndValidatesUnchanged)
{
    TSetting s;
    EXPECT_EQ(s.LogModes, 0x22);
    EXPECT_EQ(s.PassModes, 3);
    EXPECT_EQ(s.PassElev, 30);
    EXPECT_EQ(s.Duration, 64);
    EXPECT_DOUBLE_EQ(s.AOSPathLoss, 142.5);
    EXPECT_EQ(s.IRSunEle, -6);
    EXPECT_EQ(s.AnnotateModes, 5);
    EXPECT_EQ(s.AnnotateText, QString::fromUtf8("Received at my station ©"));
    EXPECT_EQ(s.FontName, "Verdana");
    EXPECT_EQ(s.FontColor, 0xFFFFFF);
    EXPECT_EQ(s.FontBkColor, 0xFF0000);
    EXPECT_EQ(s.FTPDir, "/html/apt/logs");
    // No made-up server or address: the user fills them in.
    EXPECT_EQ(s.Host, "");
    EXPECT_EQ(s.LogURL, "");
    EXPECT_EQ(s.Email, "");
    EXPECT_EQ(s.ImageExt, ".jpg");
    EXPECT_EQ(s.Compression, 7);
    EXPECT_EQ(s.Quality, 75);
    EXPECT_EQ(s.ImageType, 6);
    EXPECT_DOUBLE_EQ(s.Gamma, 1.15);
    EXPECT_EQ(s.Brightness, 130);
    EXPECT_EQ(s.Saturation, 180);
    EXPECT_EQ(s.ThumbSize, 12);
    EXPECT_DOUBLE_EQ(s.LowTempValue, -15.0);
    EXPECT_EQ(s.LogImages.Count, 0);

    TSetting validated;
    validated.Validate();
    ExpectSameSettings(validated, s);
    EXPECT_EQ(validated.GetRawExt(), ".gz");
}

TEST(Setting, ValidateKeepsTheLimits)
{
    struct Case {
        const char* name;
        int TSetting::*field;
        int value;
        int expected;
    };
    const Case cases[] = {
        {"thumb 3", &TSetting::ThumbSize, 3, 5},       {"thumb 60", &TSetting::ThumbSize, 60, 50},
        {"thumb 50 stays", &TSetting::ThumbSize, 50, 50},
        {"quality -1", &TSetting::Quality, -1, 75},     {"quality 101", &TSetting::Quality, 101, 100},
        {"quality 0 stays", &TSetting::Quality, 0, 0},
        {"type 0", &TSetting::ImageType, 0, 6},         {"type 11", &TSetting::ImageType, 11, 6},
        {"type 10 stays", &TSetting::ImageType, 10, 10},
        {"interlace 0", &TSetting::Interlace, 0, 1},    {"interlace 4 stays", &TSetting::Interlace, 4, 4},
        {"contrast -2", &TSetting::Contrast, -2, 0},    {"contrast 7", &TSetting::Contrast, 7, 3},
        {"brightness 0 is 100, not 130", &TSetting::Brightness, 0, 100},
        {"brightness 401", &TSetting::Brightness, 401, 400},
        {"brightness 400 stays", &TSetting::Brightness, 400, 400},
        {"saturation -5", &TSetting::Saturation, -5, 100},
        {"hue 1000", &TSetting::Hue, 1000, 400},
    };
    for (const Case& c : cases) {
        TSetting s;
        s.*c.field = c.value;
        s.Validate();
        EXPECT_EQ(s.*c.field, c.expected) << c.name;
    }

    struct GammaCase {
        double value, expected;
    };
    const GammaCase gammas[] = {{0, 1.15}, {-1, 1.15}, {5.0, 5.0}, {7.3, 5.0}, {4.99, 4.99}, {NAN, 1.15}};
    for (const GammaCase& g : gammas) {
        TSetting s;
        s.Gamma = g.value;
        s.Validate();
        EXPECT_DOUBLE_EQ(s.Gamma, g.expected) << "gamma " << g.value;
    }

    TSetting s;
    s.RawExt.clear();
    s.Validate();
    EXPECT_EQ(s.RawExt, ".gz");
}

TEST(Setting, ValidateBringsCompressionInLineWithTheExtension)
{
    struct Case {
        const char* ext;
        int compression;
        int expected;
    };
    const Case cases[] = {
        {".png", 7, 10},  {".gif", 10, 1}, {".gif", 8, 8},   {".tiff", 8, 8},  {".tiff", 9, 9},
        {".tiff", 7, 10}, {".jng", 7, 10}, {".jng", 5, 5},   {".jpeg", 10, 7}, {".jpg", 5, 5},
        {".jp2", 2, 7},   {".mng", 5, 5},  {".pnm", 10, 1},  {".bmp", 10, 9},  {".dib", 9, 9},
        {".png", 1, 1},   {".pnm", 1, 1},  {".bmp", 1, 1},
    };
    for (const Case& c : cases) {
        TSetting s;
        s.ImageExt = c.ext;
        s.Compression = c.compression;
        s.Validate();
        EXPECT_EQ(s.Compression, c.expected) << c.ext << " with " << c.compression;
        EXPECT_EQ(s.ImageExt, c.ext);
    }
}

// An unknown extension puts the written format back to its defaults; it used
// to reset gamma, brightness, contrast, thumbnails and the noise options too.
TEST(Setting, UnknownExtensionResetsOnlyTheFormat)
{
    for (const char* ext : {".pcx", ".JPG", ""}) {
        TSetting s = NonDefaultSettings();
        s.ImageExt = ext;
        s.Compression = 7;
        TSetting expected = NonDefaultSettings();
        expected.ImageExt = ".jpg";
        expected.Compression = 7;
        expected.Quality = 75;
        expected.ImageType = 6;
        expected.Interlace = 1;
        s.Validate();
        ExpectSameSettings(s, expected);
    }
    TSetting uncompressed = NonDefaultSettings();
    uncompressed.ImageExt = ".pcx";
    uncompressed.Compression = 1;
    const TSetting before = uncompressed;
    uncompressed.Validate();
    ExpectSameSettings(uncompressed, before);
}

TEST(Setting, SetCompressionForExtChoosesTheFormatsCompression)
{
    struct Case {
        const char* ext;
        int compression;
    };
    const Case cases[] = {{".jpg", 7}, {".jbig", 7}, {".jng", 5},  {".png", 10}, {".mng", 10},
                          {".tiff", 10}, {".gif", 1}, {".pnm", 1}, {".bmp", 9},  {".dib", 9}};
    for (const Case& c : cases) {
        TSetting s = NonDefaultSettings();
        EXPECT_FALSE(s.SetCompressionForExt(c.ext)) << c.ext;
        EXPECT_EQ(s.Compression, c.compression) << c.ext;
        EXPECT_EQ(s.Quality, 75);
        EXPECT_EQ(s.ImageType, 6);
        EXPECT_EQ(s.ImageExt, ".png") << "the extension itself is not stored";
        EXPECT_EQ(s.Interlace, 2) << "interlace stays";
    }
    TSetting s = NonDefaultSettings();
    EXPECT_TRUE(s.SetCompressionForExt(".pcx"));
    EXPECT_EQ(s.ImageExt, ".jpg");
    EXPECT_EQ(s.Compression, 7);
    EXPECT_EQ(s.Interlace, 1);
    EXPECT_DOUBLE_EQ(s.Gamma, 2.25) << "enhancements stay";
    EXPECT_EQ(s.Contrast, 2);
}

TEST(Setting, ClampsStoreNonZeroValuesOnly)
{
    TSetting s;
    EXPECT_DOUBLE_EQ(s.ClampGamma(2.0), 2.0);
    EXPECT_DOUBLE_EQ(s.Gamma, 2.0);
    EXPECT_DOUBLE_EQ(s.ClampGamma(0), 2.0);
    EXPECT_DOUBLE_EQ(s.ClampGamma(9), 5.0);
    EXPECT_EQ(s.ClampBrightness(0), 130);
    EXPECT_EQ(s.ClampBrightness(-3), 100);
    EXPECT_EQ(s.ClampSaturation(450), 400);
    EXPECT_EQ(s.ClampHue(0), 100);
    EXPECT_EQ(s.ClampHue(250), 250);
    EXPECT_EQ(s.Hue, 250);
}

TEST(Setting, CopiesAreDeepAndKeepTheOrder)
{
    auto source = std::make_unique<TSetting>(NonDefaultSettings());
    TSetting copy;
    copy.LogImages.Add(new TLogImage("stale", 4));
    copy.Assign(*source);
    ExpectSameSettings(copy, *source);
    for (int i = 0; i < copy.LogImages.Count; ++i)
        EXPECT_NE(copy.LogImages.At(i), source->LogImages.At(i)) << "entries are never shared";

    TSetting constructed(*source);
    source.reset();  // freeing the source leaves both copies intact
    ASSERT_EQ(copy.LogImages.Count, 3);
    EXPECT_EQ(copy.LogImages.At(0)->Name, "Video B");
    EXPECT_EQ(copy.LogImages.At(2)->Type, 7);
    ExpectSameSettings(constructed, copy);

    copy = copy;  // self-assignment keeps the entries
    EXPECT_EQ(copy.LogImages.Count, 3);

    auto* own = new PList;
    own->Add(new TLogImage("Normal", 0));
    own->Add(new TLogImage("Video A", 1));
    TSetting::FreeLogImages(own, false);
    EXPECT_EQ(own->Count, 0);
    TSetting::FreeLogImages(own, true);  // the list goes too (ASan: no double free)
}

TEST(LogImage, SizesAndSizeText)
{
    TLogImage image("Video A", 1);
    EXPECT_EQ(image.Type, 1);
    EXPECT_EQ(TLogImage().Type, -1);
    struct Case {
        int bytes;
        const char* text;
    };
    const Case cases[] = {{0, "0kb"}, {1, "1kb"}, {1024, "1kb"}, {1025, "2kb"}, {1024000000, "1e+06kb"}};
    for (const Case& c : cases) {
        image.FileSize = c.bytes;
        EXPECT_EQ(image.GetSizeText(), c.text) << c.bytes;
    }

    QTemporaryDir dir;
    QFile file(dir.filePath("img_001.jpg"));
    ASSERT_TRUE(file.open(QIODevice::WriteOnly));
    file.write(QByteArray(3000, 'x'));
    file.close();
    image.ReadFileSize(file.fileName());
    EXPECT_EQ(image.FileSize, 3000);
    image.ReadFileSize(dir.filePath("missing.jpg"));
    EXPECT_EQ(image.FileSize, 0);

    image.FileName = "img_001.jpg";
    image.Width = 909;
    image.ThumbHeight = 40;
    image.FileSize = 12;
    image.Clear();
    EXPECT_EQ(image.FileName, "");
    EXPECT_EQ(image.Width + image.Height + image.ThumbWidth + image.ThumbHeight + image.FileSize, 0);
    EXPECT_EQ(image.Name, "Video A") << "the product stays";
}
