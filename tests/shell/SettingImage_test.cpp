// The settings applied to real images through the linked ImageMagick: the
// written format and the contrast step.
#include "SettingsCompare.h"
#include "shell/MagickLegacy.h"
#include "shell/Setting.h"

#include <QFileInfo>
#include <QTemporaryDir>
#include <cstring>
#include <gtest/gtest.h>
#include <memory>
#include <vector>

namespace {

struct ImageDeleter {
    void operator()(Image* image) const { DestroyImage(image); }
};
using ImagePtr = std::unique_ptr<Image, ImageDeleter>;

class SettingImage : public ::testing::Test {
protected:
    void SetUp() override
    {
        if (IsMagickCoreInstantiated() == MagickFalse)
            MagickCoreGenesis(nullptr, MagickFalse);
        exception_ = AcquireExceptionInfo();
        info_ = AcquireImageInfo();
        ASSERT_TRUE(dir_.isValid());
    }
    void TearDown() override
    {
        DestroyImageInfo(info_);
        DestroyExceptionInfo(exception_);
    }

    // A colour image of 16-bit RGB triples, one row per rows entry.
    ImagePtr MakeImage(size_t columns, const std::vector<unsigned short>& rgb, const QString& name = "x.png")
    {
        const size_t rows = rgb.size() / 3 / columns;
        ImagePtr image(ConstituteImage(columns, rows, "RGB", ShortPixel, rgb.data(), exception_));
        EXPECT_NE(image, nullptr) << exception_->reason;
        if (image)
            CopyMagickString(image->filename, dir_.filePath(name).toUtf8().constData(), MaxTextExtent);
        return image;
    }

    ImagePtr Gradient(const QString& name)
    {
        std::vector<unsigned short> rgb;
        for (int y = 0; y < 8; ++y)
            for (int x = 0; x < 16; ++x) {
                rgb.push_back(static_cast<unsigned short>(x * 4096));
                rgb.push_back(static_cast<unsigned short>(y * 8192));
                rgb.push_back(static_cast<unsigned short>((x + y) * 2048));
            }
        return MakeImage(16, rgb, name);
    }

    ImagePtr ReadBack(const QString& name)
    {
        ImageInfo* info = AcquireImageInfo();
        CopyMagickString(info->filename, dir_.filePath(name).toUtf8().constData(), MaxTextExtent);
        ImagePtr image(ReadImage(info, exception_));
        DestroyImageInfo(info);
        return image;
    }

    bool Write(Image* image)
    {
        return WriteImage(info_, image) == MagickTrue;
    }

    ExceptionInfo* exception_ = nullptr;
    ImageInfo* info_ = nullptr;
    QTemporaryDir dir_;
};

}  // namespace

TEST_F(SettingImage, ApplyImageFormatSetsTheLibrarysValues)
{
    TSetting s;
    s.ImageExt = ".png";
    s.Compression = 10;
    s.Quality = 90;
    s.ImageType = 2;
    s.Interlace = 2;
    ImagePtr image = Gradient("x.png");
    ASSERT_TRUE(image);
    s.ApplyImageFormat(image.get(), info_);
    EXPECT_STREQ(info_->filename, image->filename);
    EXPECT_EQ(image->compression, ZipCompression);
    EXPECT_EQ(info_->compression, ZipCompression);
    EXPECT_EQ(image->quality, 90u);
    EXPECT_EQ(info_->quality, 90u);
    EXPECT_EQ(image->interlace, LineInterlace);
    EXPECT_EQ(info_->interlace, LineInterlace);
    EXPECT_EQ(info_->type, GrayscaleType);
    ASSERT_TRUE(Write(image.get())) << image->exception.reason;
    ImagePtr back = ReadBack("x.png");
    ASSERT_TRUE(back);
    EXPECT_EQ(IsGrayImage(back.get(), exception_), MagickTrue) << "written as grey scale";

    s.ApplyImageFormat(nullptr, info_);
    s.ApplyImageFormat(image.get(), nullptr);
}

TEST_F(SettingImage, StoredLosslessJpegIsTheLibrarysLosslessJpeg)
{
    TSetting s;  // .jpg with stored compression 7, which is Group4 in the linked library's numbering
    ImagePtr image = Gradient("x.jpg");
    ASSERT_TRUE(image);
    s.ApplyImageFormat(image.get(), info_);
    EXPECT_EQ(image->compression, LosslessJPEGCompression);
    EXPECT_EQ(image->quality, 75u);
    EXPECT_EQ(info_->type, TrueColorType);
    ASSERT_TRUE(Write(image.get())) << image->exception.reason;
    ImagePtr back = ReadBack("x.jpg");
    ASSERT_TRUE(back);
    EXPECT_STREQ(back->magick, "JPEG");
}

// A save under an extension outside the format map is written as the default
// format, and the settings record comes out exactly as it went in.
TEST_F(SettingImage, ApplyImageFormatAsLeavesTheRecordAlone)
{
    TSetting s = NonDefaultSettings();
    s.Compression = 10;
    const TSetting before = s;

    ImagePtr image = Gradient("x.pcx");
    ASSERT_TRUE(image);
    s.ApplyImageFormatAs(image.get(), info_, ".PCX");
    ExpectSameSettings(s, before);
    EXPECT_EQ(QString(image->filename), dir_.filePath("x.jpg"));
    EXPECT_EQ(image->compression, LosslessJPEGCompression);
    EXPECT_EQ(image->quality, 75u);
    EXPECT_EQ(info_->type, TrueColorType);
    ASSERT_TRUE(Write(image.get()));
    EXPECT_TRUE(QFileInfo::exists(dir_.filePath("x.jpg")));
    EXPECT_FALSE(QFileInfo::exists(dir_.filePath("x.pcx")));

    s.Compression = 1;
    const TSetting uncompressed = s;
    ImagePtr pcx = Gradient("y.pcx");
    ASSERT_TRUE(pcx);
    s.ApplyImageFormatAs(pcx.get(), info_, ".pcx");
    ExpectSameSettings(s, uncompressed);
    EXPECT_EQ(QString(pcx->filename), dir_.filePath("y.pcx"));
    EXPECT_EQ(pcx->compression, NoCompression);
    ASSERT_TRUE(Write(pcx.get()));
    ImagePtr back = ReadBack("y.pcx");
    ASSERT_TRUE(back);
    EXPECT_STREQ(back->magick, "PCX");

    // A known extension takes its own compression, corrected as a check would.
    TSetting jpegSettings;
    ImagePtr png = Gradient("z.png");
    ASSERT_TRUE(png);
    jpegSettings.ApplyImageFormatAs(png.get(), info_, ".png");
    EXPECT_EQ(png->compression, ZipCompression);
    EXPECT_EQ(jpegSettings.ImageExt, ".jpg");

    ImagePtr unnamed = Gradient("");
    unnamed->filename[0] = '\0';
    unnamed->compression = UndefinedCompression;
    jpegSettings.ApplyImageFormatAs(unnamed.get(), info_, ".png");
    EXPECT_EQ(unnamed->compression, UndefinedCompression) << "an image without a name is left alone";
}

// Contrast 1 is the library's own softening step (its contrast operation
// without sharpening): the two must agree on every pixel.
TEST_F(SettingImage, LessContrastMatchesTheLibrarysSoftening)
{
    ImagePtr ours = Gradient("c.png");
    ASSERT_TRUE(ours);
    ImagePtr reference(CloneImage(ours.get(), 0, 0, MagickTrue, exception_));
    ASSERT_TRUE(reference);
    ASSERT_EQ(ContrastImage(reference.get(), MagickFalse), MagickTrue);

    TSetting s;
    s.Contrast = 1;
    ASSERT_TRUE(s.ApplyContrast(ours.get()));
    const PixelPacket* a = GetVirtualPixels(ours.get(), 0, 0, 16, 8, exception_);
    const PixelPacket* b = GetVirtualPixels(reference.get(), 0, 0, 16, 8, exception_);
    ASSERT_TRUE(a && b);
    int changed = 0;
    for (int i = 0; i < 16 * 8; ++i) {
        EXPECT_NEAR(a[i].red, b[i].red, 1) << i;
        EXPECT_NEAR(a[i].green, b[i].green, 1) << i;
        EXPECT_NEAR(a[i].blue, b[i].blue, 1) << i;
        changed += a[i].red != static_cast<Quantum>(i % 16 * 4096);
    }
    EXPECT_GT(changed, 64) << "the step really changed the image";

    // The same routine with a positive sign is the library's sharpening.
    ImagePtr sharpened = MakeImage(1, {16384, 8192, 4096});
    ASSERT_TRUE(sharpened);
    ASSERT_EQ(ContrastImage(sharpened.get(), MagickTrue), MagickTrue);
    const PixelPacket* sharp = GetVirtualPixels(sharpened.get(), 0, 0, 1, 1, exception_);
    ASSERT_TRUE(sharp);
    Quantum red = 16384, green = 8192, blue = 4096;
    magicklegacy::Contrast(1, &red, &green, &blue);
    EXPECT_LT(red, 16384) << "dark colours get darker";
    EXPECT_NEAR(red, sharp->red, 1);
    EXPECT_NEAR(green, sharp->green, 1);
    EXPECT_NEAR(blue, sharp->blue, 1);
}

TEST_F(SettingImage, ContrastStepsFollowTheSineCurve)
{
    // Grey quarter and three-quarter tones, and a red-brown of saturation 0.5.
    const std::vector<unsigned short> rgb = {0, 0, 0, 16384, 16384, 16384, 32768, 32768, 32768,
                                             49151, 49151, 49151, 65535, 65535, 65535, 16384, 8192, 8192};
    struct Case {
        int contrast;
        double quarter, threeQuarter;  // expected brightness * 65535
    };
    // b += 0.5 * sign * (0.5 * (sin(pi * (b - 0.5)) + 1) - b), sign -1, -3, -5
    const Case cases[] = {{1, 19777.2, 45757.8}, {2, 26563.5, 38971.5}, {3, 33349.9, 32185.1}};
    for (const Case& c : cases) {
        ImagePtr image = MakeImage(6, rgb);
        ASSERT_TRUE(image);
        TSetting s;
        s.Contrast = c.contrast;
        ASSERT_TRUE(s.ApplyContrast(image.get()));
        const PixelPacket* p = GetVirtualPixels(image.get(), 0, 0, 6, 1, exception_);
        ASSERT_TRUE(p);
        EXPECT_EQ(p[0].red, 0) << "black stays";
        EXPECT_NEAR(p[1].red, c.quarter, 1.0) << c.contrast;
        EXPECT_EQ(p[1].green, p[1].red) << "grey stays grey";
        EXPECT_NEAR(p[2].red, 32768, 1.0) << "the middle stays";
        EXPECT_NEAR(p[3].red, c.threeQuarter, 1.0) << c.contrast;
        EXPECT_EQ(p[4].red, 65535) << "white stays";
        EXPECT_NEAR(p[5].red, c.quarter, 1.0) << "brightness moves like the grey's";
        EXPECT_NEAR(p[5].green, c.quarter / 2, 1.0) << "hue and saturation stay";
        EXPECT_EQ(p[5].green, p[5].blue);
    }
}

TEST_F(SettingImage, NoContrastLeavesTheImageAlone)
{
    for (int contrast : {0, 7, -1}) {
        ImagePtr image = MakeImage(1, {16384, 8192, 4096});
        ASSERT_TRUE(image);
        TSetting s;
        s.Contrast = contrast;
        EXPECT_TRUE(s.ApplyContrast(image.get()));
        EXPECT_EQ(s.Contrast, 0) << contrast;
        const PixelPacket* p = GetVirtualPixels(image.get(), 0, 0, 1, 1, exception_);
        ASSERT_TRUE(p);
        EXPECT_EQ(p->red, 16384);
        EXPECT_EQ(p->blue, 4096);
    }
    TSetting s;
    s.Contrast = 2;
    EXPECT_FALSE(s.ApplyContrast(nullptr));
}

// A palette image must keep the changed pixels: its colour map would
// otherwise put the old colours back.
TEST_F(SettingImage, ContrastSticksOnPaletteImages)
{
    ImagePtr image = MakeImage(2, {16384, 16384, 16384, 49151, 49151, 49151});
    ASSERT_TRUE(image);
    ASSERT_EQ(SetImageType(image.get(), PaletteType), MagickTrue);
    ASSERT_EQ(image->storage_class, PseudoClass);
    TSetting s;
    s.Contrast = 1;
    ASSERT_TRUE(s.ApplyContrast(image.get()));
    SyncImage(image.get());  // what a writer trusting the colour map does
    const PixelPacket* p = GetVirtualPixels(image.get(), 0, 0, 2, 1, exception_);
    ASSERT_TRUE(p);
    EXPECT_NEAR(p[0].red, 19777.2, 1.0);
    EXPECT_NEAR(p[1].red, 45757.8, 1.0);
}
