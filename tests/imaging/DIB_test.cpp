#include "imaging/DIB.h"

#include <QImage>
#include <QPainter>
#include <gtest/gtest.h>

namespace {

TColor Rgb(int r, int g, int b)
{
    return TColor(r) | TColor(g) << 8 | TColor(b) << 16;
}

// Red 2x, green 3 * row, blue x + row: linear, so an interpolated value is
// known exactly.
TColor Gradient(int x, int row)
{
    return Rgb(2 * x, 3 * row, x + row);
}

void FillGradient(TDIB& dib)
{
    for (int row = 0; row < dib.Height(); ++row)
        for (int x = 0; x < dib.Width(); ++x)
            dib.SetPixel(x, row, Gradient(x, row));
}

int Channel(TColor c, int shift)
{
    return int((c >> shift) & 0xFF);
}

}  // namespace

TEST(DIB, RowsAreFourByteAlignedBehindABitmapInfoHeader)
{
    const struct {
        int width;
        int stride;
    } cases[] = {{5, 16}, {4, 12}, {1, 4}, {122, 368}};
    for (const auto& c : cases) {
        TDIB dib;
        ASSERT_TRUE(dib.Allocate(c.width, 3));
        EXPECT_EQ(dib.Stride(), c.stride) << c.width;
        EXPECT_EQ(TDIB::StrideFor(c.width), c.stride);
        EXPECT_EQ(dib.GetRow(1) - dib.GetRow(0), c.stride);
        const std::uint8_t* h = dib.Buffer();
        EXPECT_EQ(h[0], 40);
        EXPECT_EQ(h[4], c.width);
        EXPECT_EQ(h[8], 3) << "positive height: rows bottom-up";
        EXPECT_EQ(h[12], 1);
        EXPECT_EQ(h[14], 24);
        EXPECT_EQ(h[16], 0) << "BI_RGB";
    }
}

TEST(DIB, FailuresAreReportedAndLeaveTheBitmapAsItWas)
{
    QStringList shown;
    TDIB dib([&](const QString& text, const QString& caption) { shown << caption + "|" + text; });
    ASSERT_TRUE(dib.Allocate(4, 4));
    dib.SetPixel(1, 1, 0x123456);
    EXPECT_FALSE(dib.Allocate(0, 5));
    EXPECT_FALSE(dib.Allocate(5, -1));
    ASSERT_EQ(shown.size(), 2);
    EXPECT_EQ(shown[0], "Error|Undefined image size!");
    TColor colour = 0;
    EXPECT_TRUE(dib.GetPixel(1, 1, colour));
    EXPECT_EQ(colour, 0x123456u);

    EXPECT_FALSE(dib.Allocate(1 << 30, 1 << 30)) << "a size beyond memory is refused, not wrapped";
    ASSERT_EQ(shown.size(), 3);
    EXPECT_EQ(shown[2], "FATAL ERROR! Failed to create the DIB!|Insufficient memory!\nToo large image!\n"
                        "Width = 1073741824, Height = 1073741824");
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(DIB, PixelsAreBlueGreenRedAndOutOfRangeIsRefused)
{
    TDIB dib;
    ASSERT_TRUE(dib.Allocate(3, 2));
    EXPECT_TRUE(dib.SetPixel(2, 1, Rgb(0x11, 0x22, 0x33)));
    const std::uint8_t* p = dib.GetRow(1) + 6;
    EXPECT_EQ(p[0], 0x33);
    EXPECT_EQ(p[1], 0x22);
    EXPECT_EQ(p[2], 0x11);
    TColor colour = 0;
    EXPECT_TRUE(dib.GetPixel(2, 1, colour));
    EXPECT_EQ(colour, Rgb(0x11, 0x22, 0x33));
    EXPECT_FALSE(dib.SetPixel(3, 0, 0));
    EXPECT_FALSE(dib.SetPixel(0, 2, 0));
    EXPECT_FALSE(dib.GetPixel(-1, 0, colour));
    EXPECT_EQ(dib.GetRow(-1), nullptr);
    TDIB empty;
    EXPECT_FALSE(empty.GetPixel(0, 0, colour));
}

TEST(DIB, ScaleIsAFactorOrAPercentage)
{
    TDIB dib;
    const struct {
        double in, scale;
        int whole;
    } cases[] = {{250, 2.5, 2}, {2, 2.0, 2}, {0, 1.0, 1}, {-3, 1.0, 1}, {100, 100.0, 100}, {150, 1.5, 1}};
    for (const auto& c : cases) {
        dib.SetScale(c.in);
        EXPECT_DOUBLE_EQ(dib.Scale(), c.scale) << c.in;
        EXPECT_EQ(dib.GetScale(), c.whole) << c.in;
    }
    ASSERT_TRUE(dib.Allocate(2, 2));
    dib.SetScale(300);
    dib.Free();
    EXPECT_DOUBLE_EQ(dib.Scale(), 1.0);
    EXPECT_TRUE(dib.IsEmpty());
}

TEST(DIB, MemoryRowZeroIsDrawnAsTheBottomLine)
{
    TDIB dib;
    ASSERT_TRUE(dib.Allocate(2, 2));
    for (int x = 0; x < 2; ++x) {
        dib.SetPixel(x, 0, Rgb(255, 0, 0));
        dib.SetPixel(x, 1, Rgb(0, 0, 255));
    }
    QImage canvas(4, 4, QImage::Format_RGB32);
    canvas.fill(Qt::white);
    QPainter painter(&canvas);
    dib.Draw(1, 1, &painter);
    dib.Draw(0, 0, nullptr);
    painter.end();
    EXPECT_EQ(canvas.pixel(1, 2), qRgb(255, 0, 0)) << "bottom line red";
    EXPECT_EQ(canvas.pixel(2, 1), qRgb(0, 0, 255)) << "top line blue";
    EXPECT_EQ(canvas.pixel(0, 0), qRgb(255, 255, 255));
    EXPECT_EQ(canvas.pixel(3, 3), qRgb(255, 255, 255));
}

TEST(DIB, ZoomAt200PercentCopiesEvenPixelsAndInterpolatesTheRest)
{
    TDIB source, zoom;
    ASSERT_TRUE(source.Allocate(61, 61));
    FillGradient(source);
    ASSERT_TRUE(zoom.Allocate(122, 122));
    zoom.SetScale(200);
    zoom.ZoomFrom(source);

    TColor c = 0;
    ASSERT_TRUE(zoom.GetPixel(10, 20, c));
    EXPECT_EQ(c, Gradient(5, 10)) << "even column and row: the source pixel";
    ASSERT_TRUE(zoom.GetPixel(3, 4, c));
    EXPECT_EQ(c, Rgb(3, 6, 4)) << "x 1.5, row 2: each channel interpolated, rounded half up";
    ASSERT_TRUE(zoom.GetPixel(7, 9, c));
    EXPECT_EQ(c, Rgb(7, 14, 8)) << "x 3.5, row 4.5";
    EXPECT_NE(Channel(c, 0), Channel(c, 8)) << "a colour view stays in colour";
    for (int i = 0; i < 122; ++i)
        for (int edge : {120, 121}) {
            ASSERT_TRUE(zoom.GetPixel(edge, i, c));
            EXPECT_EQ(c, 0u) << "right columns black";
            ASSERT_TRUE(zoom.GetPixel(i, edge, c));
            EXPECT_EQ(c, 0u) << "top rows black";
        }
    ASSERT_TRUE(zoom.GetPixel(119, 119, c));
    EXPECT_NE(c, 0u);
}

TEST(DIB, ZoomAt250PercentShowsTheLowerLeftOfTheSource)
{
    TDIB source, zoom;
    ASSERT_TRUE(source.Allocate(61, 61));
    FillGradient(source);
    ASSERT_TRUE(zoom.Allocate(122, 122));
    zoom.SetScale(250);
    zoom.ZoomFrom(source);
    TColor c = 0;
    ASSERT_TRUE(zoom.GetPixel(115, 5, c));
    EXPECT_EQ(c, Gradient(46, 2)) << "column 115 / 2.5 = 46 exactly";
    for (int edge : {119, 120, 121}) {
        ASSERT_TRUE(zoom.GetPixel(edge, 0, c));
        EXPECT_EQ(c, 0u) << edge;
    }
    ASSERT_TRUE(zoom.GetPixel(118, 118, c));
    EXPECT_EQ(Channel(c, 0), 94) << "x 47.2 reaches source column 48 at most: 49 x 49 shown";
}
