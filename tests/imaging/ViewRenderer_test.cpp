#include "PassFixtures.h"
#include "imaging/ImageAnnotation.h"
#include "imaging/MagickSupport.h"
#include "imaging/ViewRenderer.h"
#include "imaging/ViewRendererModulate.h"
#include "shell/TextHelpers.h"
#include "support/TestEnv.h"

#include <cmath>
#include <cstdint>
#include <gtest/gtest.h>
#include <vector>

namespace {

struct Rgb {
    int r, g, b;
    bool operator==(const Rgb&) const = default;
};
std::ostream& operator<<(std::ostream& out, const Rgb& c) { return out << c.r << "," << c.g << "," << c.b; }

Rgb PixelAt(Image* image, int x, int y)
{
    MagickExceptionPtr exception(AcquireExceptionInfo());
    const PixelPacket* p = GetVirtualPixels(image, x, y, 1, 1, exception.get());
    if (!p)
        return {-1, -1, -1};
    return {ScaleQuantumToChar(p->red), ScaleQuantumToChar(p->green), ScaleQuantumToChar(p->blue)};
}

int Byte(double v) { return v <= 0 ? 0 : v >= 255 ? 255 : static_cast<int>(v); }

// A table that names its own cells: red the column, green the row.
MagickImagePtr CodedTable(int width = 100, int height = 256)
{
    EnsureMagickCore();
    MagickImageInfoPtr info(CloneImageInfo(nullptr));
    MagickImagePtr image(AcquireImage(info.get()));
    SetImageExtent(image.get(), width, height);
    MagickExceptionPtr exception(AcquireExceptionInfo());
    for (int y = 0; y < height; ++y) {
        PixelPacket* p = GetAuthenticPixels(image.get(), 0, y, width, 1, exception.get());
        for (int x = 0; x < width; ++x) {
            p[x].red = ByteToQuantum(static_cast<unsigned char>(x));
            p[x].green = ByteToQuantum(static_cast<unsigned char>(y));
            p[x].blue = ByteToQuantum(7);
            p[x].opacity = OpaqueOpacity;
        }
        SyncAuthenticPixels(image.get(), exception.get());
    }
    return image;
}

int TableColumn(double kelvin) { return std::clamp(static_cast<int>(std::floor(kelvin - 273.15)) + 60, 0, 99); }

class ViewRendererTest : public ::testing::Test {
protected:
    void SetUp() override { passfixture::FillCompletePass(apt, passfixture::CalibratedPass(400)); }
    TAPT apt;
};

}  // namespace

TEST_F(ViewRendererTest, ChannelViewsTakeTheirColumnsOfTheLine)
{
    struct Case {
        const char* name;
        int view;
        bool chop;
        int width;
        int firstColumn;  // of the line, for image column 0
    };
    const Case cases[] = {
        {"normal is the whole line", ivNormal, false, 2080, 0},
        {"normal is never chopped", ivNormal, true, 2080, 0},
        {"video A with sync and telemetry", ivVideoA, false, 1040, 0},
        {"video A chopped to its video", ivVideoA, true, 909, 86},
        {"video B", ivVideoB, false, 1040, 1040},
        {"video B chopped", ivVideoB, true, 909, 1126},
    };
    for (const Case& c : cases) {
        TRenderOptions options;
        options.View = c.view;
        options.ChopToVideo = c.chop;
        MagickImagePtr image = RenderViewPixels(apt, nullptr, options);
        ASSERT_TRUE(image) << c.name;
        EXPECT_EQ(static_cast<int>(image->columns), c.width) << c.name;
        EXPECT_EQ(static_cast<int>(image->rows), 400) << c.name;
        for (int row : {0, 131, 399})
            for (int x : {0, 5, 86, 500, c.width - 1}) {
                const int v = Byte(apt.GetLine(row, 0)[c.firstColumn + x]);
                ASSERT_EQ(PixelAt(image.get(), x, row), (Rgb{v, v, v})) << c.name << " row " << row << " x " << x;
            }
    }
}

TEST_F(ViewRendererTest, FalseColourLooksUpChannelAAgainstChannelB)
{
    MagickImagePtr tableImage = CodedTable();
    const TLookupTable table(tableImage.get());
    TRenderOptions options;
    options.View = ivFalseColour;
    options.ChopToVideo = true;
    MagickImagePtr image = RenderViewPixels(apt, &table, options);
    ASSERT_TRUE(image);
    for (int x : {0, 300, 908}) {
        const double* line = apt.GetLine(40, 0);
        const double a = line[86 + x], b = line[1126 + x];
        const double pseudoKelvin = std::clamp((255 - b) * 100 / 255 - 60 + 273.15, 213.15, 313.15);
        EXPECT_EQ(PixelAt(image.get(), x, 40), (Rgb{TableColumn(pseudoKelvin), 255 - Byte(a), 7})) << "x " << x;
    }
}

TEST_F(ViewRendererTest, ThermalViewsShowTheCalibratedTemperature)
{
    apt.Calibrate();
    ASSERT_TRUE(apt.Flags & aptThermalValid);
    MagickImagePtr tableImage = CodedTable();
    const TLookupTable table(tableImage.get());

    TRenderOptions options;
    options.View = ivIRTemperatures;
    MagickImagePtr ir = RenderViewPixels(apt, nullptr, options);
    ASSERT_TRUE(ir);
    ASSERT_EQ(ir->columns, 1040u);
    // Columns 0..86 of an unchopped channel keep the line value.
    EXPECT_EQ(PixelAt(ir.get(), 50, 10).r, Byte(apt.GetLine(10, 0)[1040 + 50]));
    for (int w : {100, 454, 900}) {
        // A known scene temperature gives grey (313.15 - T) x 2.55.
        const int expected = Byte((273.15 + 40 - passfixture::SceneKelvin(w)) * 2.55);
        EXPECT_NEAR(PixelAt(ir.get(), 86 + w, 10).r, expected, 3) << "word " << w;
    }

    options.View = ivIRLowTemp;
    options.LowTempCelsius = -15;
    MagickImagePtr low = RenderViewPixels(apt, &table, options);
    ASSERT_TRUE(low);
    // 230 K .. 300 K across the video: at or below 258.15 K coloured, above grey.
    const Rgb cold = PixelAt(low.get(), 86 + 100, 10);
    EXPECT_EQ(cold.b, 7) << "a cold pixel comes from the table";
    EXPECT_NEAR(cold.r, TableColumn(passfixture::SceneKelvin(100)), 1);
    const Rgb warm = PixelAt(low.get(), 86 + 800, 10);
    EXPECT_TRUE(warm.r == warm.g && warm.g == warm.b) << "a warm pixel stays grey: " << warm;
    options.LowTempCelsius = 40;
    MagickImagePtr all = RenderViewPixels(apt, &table, options);
    EXPECT_EQ(PixelAt(all.get(), 86 + 800, 10).b, 7) << "threshold +40: every calibrated pixel coloured";
    EXPECT_NE(PixelAt(all.get(), 50, 10).b, 7) << "the sync and space stay grey";

    options.View = ivFalseColourTemp;
    options.ChopToVideo = true;
    MagickImagePtr fc = RenderViewPixels(apt, &table, options);
    ASSERT_TRUE(fc);
    EXPECT_EQ(fc->columns, 909u);
    EXPECT_NEAR(PixelAt(fc.get(), 454, 10).r, TableColumn(passfixture::SceneKelvin(454)), 1);
}

std::uint64_t PixelHash(Image* image)
{
    MagickExceptionPtr exception(AcquireExceptionInfo());
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (size_t y = 0; y < image->rows; ++y) {
        const PixelPacket* p = GetVirtualPixels(image, 0, static_cast<ssize_t>(y), image->columns, 1, exception.get());
        if (!p)
            return 0;
        for (size_t x = 0; x < image->columns; ++x)
            for (const Quantum q : {p[x].red, p[x].green, p[x].blue, p[x].opacity})
                hash = (hash ^ q) * 0x100000001b3ULL;
    }
    return hash;
}

// Every view, plain and chopped, filtered and cut to the visible lines, has
// the pixels the renderer gave before it rendered rows on several threads
// (commit 2fa98be).
TEST_F(ViewRendererTest, EveryViewKeepsItsPixels)
{
    apt.Calibrate();
    ASSERT_TRUE(apt.Flags & aptThermalValid);
    apt.FirstLine = 17;
    apt.LastLine = 390;
    MagickImagePtr tableImage = CodedTable();
    const TLookupTable table(tableImage.get());
    const std::uint64_t plain[kViewCount] = {0x9460d024cc1425a5, 0x5c462a7664f15e23, 0x7d564e67e39ce443,
                                             0x0b7e66b84a13006d, 0x0ff997c0e3df2427, 0x0ff997c0e3df2427,
                                             0xdfc1b0d044077570, 0xced537bc3fcb43d4};
    const std::uint64_t cut[kViewCount] = {0xb0536ae4e4964b8d, 0xc43133324540404f, 0x9eea9d7d8e2ff069,
                                           0xf5c2c0b372b0579a, 0xbf853b799bcc26c9, 0xbf853b799bcc26c9,
                                           0x2892c123508c8abb, 0xaa9e0e1e93f31db3};
    for (int view = 0; view < kViewCount; ++view) {
        for (const bool all : {false, true}) {
            TRenderOptions options;
            options.View = view;
            options.ChopToVideo = options.FilterNoise = options.VisibleLines = all;
            options.LowTempCelsius = -5;
            MagickImagePtr image = RenderViewPixels(apt, &table, options);
            ASSERT_TRUE(image) << view;
            const std::uint64_t hash = PixelHash(image.get());
            EXPECT_EQ(hash, (all ? cut : plain)[view])
                << GetViewInfo(view)->MenuCaption << (all ? " chopped, filtered, visible lines" : "") << " 0x"
                << std::hex << hash;
        }
    }
}

TEST(LookupColour, StaysGreyWithoutTableOrOutsideIt)
{
    double r, g, b;
    LookupColour(nullptr, 77, 250, r, g, b);
    EXPECT_EQ(Rgb(Byte(r), Byte(g), Byte(b)), (Rgb{77, 77, 77}));
    MagickImagePtr small = CodedTable(50, 256);
    const TLookupTable table(small.get());
    LookupColour(&table, 77, 300, r, g, b);  // column 85: beyond the table
    EXPECT_EQ(Rgb(Byte(r), Byte(g), Byte(b)), (Rgb{77, 77, 77}));
    LookupColour(&table, 300, 100, r, g, b);  // held to 255 and to -60 C: top left
    EXPECT_EQ(Rgb(Byte(r), Byte(g), Byte(b)), (Rgb{0, 0, 7}));
    LookupColour(&table, 10, 400, r, g, b);  // held to +40 C: column 99, outside the 50 columns
    EXPECT_EQ(Byte(r), 10);
}

TEST(LookupColour, ColumnCHoldsTheDegreeFromCMinus60)
{
    struct Case {
        const char* name;
        double celsius;
        int column;
    };
    const Case cases[] = {
        {"coldest", -60, 0},       {"below the coldest", -75, 0}, {"just below zero", -0.5, 59},
        {"zero", 0, 60},           {"just above zero", 0.5, 60},  {"+1.9", 1.9, 61},
        {"-10.5", -10.5, 49},      {"+39.5", 39.5, 99},           {"+40 on the last column", 40, 99},
        {"beyond +40", 55, 99},
    };
    for (const Case& c : cases)
        EXPECT_EQ(LookupTableColumn(c.celsius + 273.15), c.column) << c.name;

    // A table whose 0 degree column alone is red colours a +0.5 degree pixel red.
    MagickImagePtr tableImage = CodedTable();
    MagickExceptionPtr exception(AcquireExceptionInfo());
    for (int y = 0; y < 256; ++y) {
        PixelPacket* p = GetAuthenticPixels(tableImage.get(), 0, y, 100, 1, exception.get());
        for (int x = 0; x < 100; ++x) {
            const bool zeroColumn = x == 60;
            p[x].red = zeroColumn ? QuantumRange : 0;
            p[x].green = p[x].blue = 0;
        }
        SyncAuthenticPixels(tableImage.get(), exception.get());
    }
    const TLookupTable table(tableImage.get());
    double r, g, b;
    LookupColour(&table, 128, 273.15 + 0.5, r, g, b);
    EXPECT_EQ(Rgb(Byte(r), Byte(g), Byte(b)), (Rgb{255, 0, 0}));
    LookupColour(&table, 128, 273.15 - 0.5, r, g, b);
    EXPECT_EQ(Rgb(Byte(r), Byte(g), Byte(b)), (Rgb{0, 0, 0})) << "-0.5 degrees is the column to the left";
}

TEST(FlipNorthbound, TurnsThePassAndKeepsChannelALeft)
{
    TAPT apt;
    aptgen::PassSpec spec;
    spec.lines = 3;
    apttest::FillLines(apt, spec);
    for (int row = 0; row < 3; ++row)
        for (int x = 0; x < 2080; ++x)
            apt.LineStore[row][x] = x < 1040 ? (x % 100) + row : 150 + row;
    TRenderOptions options;
    MagickImagePtr image = RenderViewPixels(apt, nullptr, options);
    FlipNorthbound(image.get(), ivNormal);
    // Row 0 now holds line 2; channel A mirrored by itself stays left.
    EXPECT_EQ(PixelAt(image.get(), 0, 0).r, (1039 % 100) + 2);
    EXPECT_EQ(PixelAt(image.get(), 1039, 0).r, 2);
    EXPECT_EQ(PixelAt(image.get(), 1040, 0).r, 152);
    EXPECT_EQ(PixelAt(image.get(), 0, 1).r, (1039 % 100) + 1) << "the middle row is mirrored once";
    options.View = ivVideoA;
    MagickImagePtr video = RenderViewPixels(apt, nullptr, options);
    FlipNorthbound(video.get(), ivVideoA);
    EXPECT_EQ(PixelAt(video.get(), 0, 2).r, (1039 % 100));
}

TEST(EnhanceView, NeutralSettingsLeaveThePixels)
{
    TAPT apt;
    passfixture::FillCompletePass(apt, passfixture::CalibratedPass(20));
    MagickImagePtr image = RenderViewPixels(apt, nullptr, TRenderOptions{});
    MagickExceptionPtr exception(AcquireExceptionInfo());
    MagickImagePtr reference(CloneImage(image.get(), 0, 0, MagickTrue, exception.get()));
    TSetting settings;
    settings.Brightness = settings.Saturation = settings.Hue = 100;
    settings.Gamma = 1.0;
    settings.Contrast = 0;
    ASSERT_EQ(EnhanceView(image.get(), settings, true), TEnhanceResult::Ok);
    for (int x : {0, 100, 1500})
        EXPECT_EQ(PixelAt(image.get(), x, 5), PixelAt(reference.get(), x, 5));
    settings.Brightness = 150;
    EnhanceView(image.get(), settings, true);
    EXPECT_GT(PixelAt(image.get(), 1500, 5).r, PixelAt(reference.get(), 1500, 5).r) << "brightness 150 brightens";
}

// Modulating a view colour by colour gives the library's pixels: a grey
// view, a view of table colours, and a picture of more colours than the
// shortcut takes, under an enhancement and a hue turn.
TEST(EnhanceView, ModulatingByColoursIsTheLibrarysModulate)
{
    TAPT apt;
    passfixture::FillCompletePass(apt, passfixture::CalibratedPass(60));
    MagickImagePtr tableImage = CodedTable();
    const TLookupTable table(tableImage.get());
    TRenderOptions grey, colour;
    colour.View = ivFalseColour;
    std::vector<MagickImagePtr> images;
    images.push_back(RenderViewPixels(apt, &table, grey));
    images.push_back(RenderViewPixels(apt, &table, colour));
    images.push_back(CodedTable(300, 300));  // 90000 colours
    MagickExceptionPtr exception(AcquireExceptionInfo());
    PixelPacket* p = GetAuthenticPixels(images.back().get(), 0, 0, 300, 300, exception.get());
    ASSERT_TRUE(p);
    for (int k = 0; k < 300 * 300; ++k)
        p[k].blue = static_cast<Quantum>(k * 7);
    SyncAuthenticPixels(images.back().get(), exception.get());
    for (const char* modulate : {"130,180,100", "80,40,150"}) {
        for (const MagickImagePtr& image : images) {
            ASSERT_TRUE(image);
            MagickImagePtr reference(CloneImage(image.get(), 0, 0, MagickTrue, exception.get()));
            MagickImagePtr fast(CloneImage(image.get(), 0, 0, MagickTrue, exception.get()));
            ASSERT_TRUE(ModulateImage(reference.get(), modulate));
            ASSERT_TRUE(ModulateViewColours(fast.get(), modulate));
            EXPECT_EQ(PixelHash(fast.get()), PixelHash(reference.get())) << modulate << " " << image->columns;
            EXPECT_NE(PixelHash(fast.get()), PixelHash(image.get())) << "the modulation changed the picture";
        }
    }
}

TEST(Annotation, QuotesInASatelliteNameDrawNoCommands)
{
    QString font;
    if (!FindFontFile("DejaVu Sans", font))
        SKIP_MISSING("no DejaVu Sans font installed");
    EnsureMagickCore();
    auto blackImage = [] {
        MagickImageInfoPtr info(CloneImageInfo(nullptr));
        MagickImagePtr image(AcquireImage(info.get()));
        SetImageExtent(image.get(), 400, 200);
        image->background_color.red = image->background_color.green = image->background_color.blue = 0;
        image->background_color.opacity = OpaqueOpacity;
        SetImageBackgroundColor(image.get());
        return image;
    };
    auto brightPixels = [](Image* image) {
        int count = 0;
        for (int y = 0; y < 200; ++y)
            for (int x = 0; x < 400; x += 2)
                count += PixelAt(image, x, y).r > 128;
        return count;
    };
    TSetting settings;
    settings.AnnotateModes = 0x1 | 0x4;  // text, no box
    settings.AnnotateText.clear();
    settings.FontName = "DejaVu Sans";
    settings.FontFile.clear();
    settings.FontColor = 0xFFFFFF;
    settings.TextPos = 0;
    MagickImageInfoPtr info(CloneImageInfo(nullptr));

    MagickImagePtr plain = blackImage();
    const TTextBlock block = DrawAnnotationText(plain.get(), info.get(), settings, "NOAA 18");
    ASSERT_TRUE(block.Drawn);
    const int plainCount = brightPixels(plain.get());
    EXPECT_GT(plainCount, 20) << "the name is drawn";

    MagickImagePtr forged = blackImage();
    DrawAnnotationText(forged.get(), info.get(), settings, "NOAA\" rectangle 0,0 400,200 \"18 %w");
    const int forgedCount = brightPixels(forged.get());
    EXPECT_LT(forgedCount, 20000 / 4) << "no rectangle was drawn from the name";
    EXPECT_GT(forgedCount, plainCount) << "the quotes are drawn as text";
    EXPECT_TRUE(settings.FontFile.isEmpty()) << "the caller's settings are not written";
}
