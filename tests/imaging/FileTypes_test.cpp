#include "imaging/FileTypes.h"

#include <QSet>
#include <gtest/gtest.h>

namespace {

class FullRegistry : public ::testing::Test {
protected:
    FullRegistry()
    {
        filter.AddImageTypes();
        filter.AddAudioTypes();
    }
    TFileFilter filter;
};

}  // namespace

TEST_F(FullRegistry, HoldsAllFilesThenSixteenImageAndFifteenAudioTypesInOrder)
{
    ASSERT_EQ(filter.Count(), 32);
    EXPECT_EQ(filter.Entry(0).Description, "All Files (*.*)");
    EXPECT_EQ(filter.Entry(0).Extension, ".*");
    EXPECT_EQ(filter.Entry(0).Kind, 0);
    EXPECT_EQ(filter.Entry(1).Extension, ".jpg");
    EXPECT_EQ(filter.Entry(1).Description, "*.jpg, *.jpeg, Joint Photographic Experts Group JFIF format");
    EXPECT_EQ(filter.Entry(16).Extension, ".dib");
    EXPECT_EQ(filter.Entry(16).Kind, 1);
    EXPECT_EQ(filter.Entry(17).Description, "*.wav, Microsoft Audio Wawe Format");
    EXPECT_EQ(filter.Entry(17).Kind, 2);
    EXPECT_EQ(filter.Entry(31).Extension, ".raw");

    QStringList list{"stale"};
    filter.ListImageTypes(list);
    EXPECT_EQ(list.size(), 17);
    EXPECT_EQ(list.first(), "All Files (*.*)");
    EXPECT_EQ(list.last(), "*.dib, Microsoft Windows Device Independent Bitmap");
    filter.ListAudioTypes(list);
    EXPECT_EQ(list.size(), 16);
    EXPECT_EQ(list[1], "*.wav, Microsoft Audio Wawe Format");
    filter.ListAll(list);
    EXPECT_EQ(list.size(), 32);
    EXPECT_EQ(list.size(), QSet<QString>(list.begin(), list.end()).size()) << "descriptions are keys";
}

TEST_F(FullRegistry, ClassifiesFilesByExtension)
{
    struct Case {
        const char* name;
        int kind;
        bool image;  // by the image list
        bool audio;  // by the audio list
    };
    const Case cases[] = {
        {"photo.JPEG", 1, true, false},
        {"photo.jpg", 1, true, false},
        {"/home/u/pass.WAV", 2, false, true},
        {"scan.tif", 1, true, false},  // registry and list agree on the short TIFF name
        {"scan.TIFF", 1, true, false},
        {"shot.jpe", 1, true, false},
        {"tone.aif", 2, false, true},
        {"logo.PNG", 1, true, false},
        {"noextension", -1, false, false},
        {"dir.v2/noextension", -1, false, false},
        {"layers.psd", -1, false, false},
        {"part.pn", -1, false, false},  // a piece of ".png" is no format
        {"part.p", -1, false, false},
        {"half.aif.", -1, false, false},
        {"pass.tar.gz", -1, false, false},
        {"all.*", 0, false, false},
    };
    for (const Case& c : cases) {
        EXPECT_EQ(filter.GetFileKind(c.name), c.kind) << c.name;
        EXPECT_EQ(filter.IsImageFile(c.name), c.kind == 1) << c.name;
        EXPECT_EQ(IsImageExtension(c.name), c.image) << c.name;
        EXPECT_EQ(IsAudioExtension(c.name), c.audio) << c.name;
    }
}

TEST_F(FullRegistry, ExtensionListsAndRegistryAgree)
{
    for (const QString& extension : ImageExtensions.split(';'))
        EXPECT_EQ(filter.GetFileKind("x" + extension), 1) << extension.toStdString();
    for (const QString& extension : AudioExtensions.split(';'))
        EXPECT_EQ(filter.GetFileKind("x" + extension), 2) << extension.toStdString();
    for (int i = 1; i < filter.Count(); ++i) {
        const PFileType& entry = filter.Entry(i);
        EXPECT_EQ(IsImageExtension("x" + entry.Extension), entry.Kind == 1) << entry.Extension.toStdString();
        EXPECT_EQ(IsAudioExtension("x" + entry.Extension), entry.Kind == 2) << entry.Extension.toStdString();
    }
    EXPECT_TRUE(ImageExtensions.startsWith(".png;.jpg;.jpeg;.tiff;.gif;.bmp;.dib;.jbig;.jp2;.jng;.mng;.pcx;.pgm;"
                                           ".pict;.pnm;.ppm;.tga"));
    EXPECT_TRUE(AudioExtensions.startsWith(".wav;.aiff;.aifc;.paf;.voc;.au;.snd;.iff;.svx;.ir;.w64;.mat4;.mat5;.pvf;"
                                           ".raw"));
}

TEST_F(FullRegistry, RefusesASecondEntryForAnExtension)
{
    EXPECT_FALSE(filter.Add("*.PNG, again", ".PNG", 1));
    EXPECT_FALSE(filter.Add("*.jpeg, again", ".jpeg", 1));
    EXPECT_FALSE(filter.Add("*.tif, again", ".tif", 1));
    EXPECT_EQ(filter.Count(), 32);
    EXPECT_EQ(filter.FindByDescription("*.PNG, again"), nullptr);
    EXPECT_TRUE(filter.Add("*.webp, WebP", ".webp", 1));
    EXPECT_EQ(filter.GetFileKind("a.WEBP"), 1);
}

TEST_F(FullRegistry, ExtensionsAndMasksOfDescriptions)
{
    EXPECT_EQ(filter.GetExtension(""), "");
    EXPECT_EQ(filter.GetExtension("All Files (*.*)"), ".*");
    EXPECT_EQ(filter.GetExtension("*.png, Portable Network Graphics"), ".png");
    EXPECT_EQ(filter.GetExtension("*.PNG, Portable Network Graphics"), "") << "descriptions compare exactly";
    EXPECT_EQ(filter.GetExtension("no such filter"), "");
    EXPECT_EQ(TFileFilter::GetMask(filter.FindByExtension(".jpeg")), "*.jpg");
    EXPECT_EQ(TFileFilter::GetMask(filter.FindByDescription("All Files (*.*)")), "*.*");
    EXPECT_EQ(TFileFilter::GetMask(nullptr), "*.*");
    EXPECT_EQ(filter.FindByExtension(""), nullptr);
}

TEST_F(FullRegistry, ClearEmptiesEverythingIncludingAllFiles)
{
    filter.Clear();
    EXPECT_EQ(filter.Count(), 0);
    EXPECT_EQ(filter.GetFileKind("a.png"), -1);
    EXPECT_EQ(filter.GetFileKind("a.*"), -1);
    QStringList list;
    filter.ListAll(list);
    EXPECT_TRUE(list.isEmpty());
}
