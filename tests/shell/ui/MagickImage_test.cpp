#include "imaging/ImageFixtures.h"
#include "shell/ui/MagickImage.h"
#include "support/ModalCatcher.h"

#include <QTemporaryDir>
#include <gtest/gtest.h>

TEST(MagickImage, LoadsListedImageFilesAndRefusesTheRest)
{
    QTemporaryDir dir;
    ASSERT_TRUE(fixtures::WriteImage(dir.filePath("logo.PNG"), 12, 8));
    ASSERT_TRUE(fixtures::WriteImage(dir.filePath("scan.tif"), 5, 4));
    ASSERT_TRUE(fixtures::WriteImage(dir.filePath("noext.png"), 5, 4));
    ASSERT_TRUE(QFile::rename(dir.filePath("noext.png"), dir.filePath("noext")));
    ASSERT_TRUE(fixtures::WriteBytes(dir.filePath("layers.psd"), "8BPS"));

    TMagickImage image;
    EXPECT_TRUE(image.Stretch());
    EXPECT_FALSE(image.ShowError());
    ModalCatcher boxes;
    EXPECT_TRUE(image.LoadMagickImage(dir.filePath("logo.PNG"), true)) << "the extension is lower-cased";
    EXPECT_EQ(image.ImageWidth(), 12);
    EXPECT_EQ(image.GetBitmap().pixel(11, 7), 0xFF000000u | fixtures::Pattern(11, 7));
    EXPECT_TRUE(image.LoadMagickImage(dir.filePath("scan.tif"), true));
    EXPECT_EQ(image.ImageHeight(), 4);
    EXPECT_TRUE(boxes.Captions.isEmpty());

    for (const char* name : {"noext", "layers.psd", "missing.png"}) {
        EXPECT_FALSE(image.LoadMagickImage(dir.filePath(name), true)) << name;
        EXPECT_EQ(image.ImageWidth(), 0) << name;
        EXPECT_TRUE(image.GetBitmap().isNull()) << name;
    }
    ASSERT_EQ(boxes.Captions.size(), 3);
    EXPECT_EQ(boxes.Captions[0], "Error: Unsupported imageformat!");
    EXPECT_EQ(boxes.Texts[1], dir.filePath("layers.psd"));
    EXPECT_TRUE(image.ShowError()) << "the property keeps the last request";
}

TEST(MagickImage, DamagedOrForgedFilesFailWithTheLibrarysReasonOrQuietly)
{
    QTemporaryDir dir;
    ASSERT_TRUE(fixtures::WriteBytes(dir.filePath("noise.png"), QByteArray(3000, '\x33')));
    ASSERT_TRUE(fixtures::WriteBytes(dir.filePath("forged.png"), fixtures::ForgedPngHeader(150000, 150000)));
    TMagickImage image;
    image.setObjectName("LogoImage");
    image.Caption = "Station logo";
    ModalCatcher boxes;
    EXPECT_FALSE(image.LoadMagickImage(dir.filePath("noise.png"), true));
    ASSERT_EQ(boxes.Captions.size(), 1);
    EXPECT_EQ(boxes.Captions[0], "Error");
    const QStringList parts = boxes.Texts[0].split('\n');
    ASSERT_GE(parts.size(), 3);
    EXPECT_EQ(parts[0], "Station logo") << "the control's caption, not its object name";
    EXPECT_FALSE(parts[1].isEmpty()) << "the library's reason";

    image.SetFileName(dir.filePath("forged.png"));
    EXPECT_EQ(image.FileName(), "") << "a failed load keeps the old name";
    EXPECT_TRUE(image.GetBitmap().isNull());
    EXPECT_EQ(boxes.Captions.size(), 1) << "SetFileName loads quietly";
    EXPECT_FALSE(image.LoadMagickImage(dir.filePath("forged.png"), true));
    ASSERT_EQ(boxes.Captions.size(), 2);
    EXPECT_FALSE(boxes.Texts[1].split('\n').value(1).isEmpty());
}

TEST(MagickImage, SetFileNameLoadsOnceAndUpdateReloads)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("lut.png");
    ASSERT_TRUE(fixtures::WriteImage(path, 10, 6));
    TMagickImage image;
    image.SetFileName(path);
    EXPECT_EQ(image.FileName(), path);
    EXPECT_EQ(image.toolTip(), "lut.png (10 x 6)");

    ASSERT_TRUE(fixtures::WriteImage(path, 20, 3));
    image.SetFileName(path);
    EXPECT_EQ(image.ImageWidth(), 10) << "the name already shown is not read again";
    image.Update();
    EXPECT_EQ(image.ImageWidth(), 20);
    EXPECT_EQ(image.toolTip(), "lut.png (20 x 3)");

    image.SetFileName("");
    EXPECT_EQ(image.FileName(), path) << "an empty name changes nothing";
    image.Clear();
    EXPECT_EQ(image.FileName(), "");
    EXPECT_TRUE(image.GetBitmap().isNull());
}

TEST(MagickImage, PaintsStretchedOrAtTheOrigin)
{
    QTemporaryDir dir;
    const QString path = dir.filePath("two.png");
    ASSERT_TRUE(fixtures::WriteImage(path, 2, 1, [](int x, int) { return x == 0 ? 0xFF0000u : 0x0000FFu; }));
    TMagickImage image;
    image.resize(100, 160);
    QImage shot = image.grab().toImage();
    EXPECT_EQ(shot.pixel(50, 80), qRgb(0, 128, 128)) << "empty: teal";
    image.SetFileName(path);
    shot = image.grab().toImage();
    EXPECT_EQ(shot.pixel(10, 150), qRgb(255, 0, 0));
    EXPECT_EQ(shot.pixel(90, 10), qRgb(0, 0, 255));
    image.SetStretch(false);
    shot = image.grab().toImage();
    EXPECT_EQ(shot.pixel(1, 0), qRgb(0, 0, 255));
}
