#include "imaging/ui/ZoomWin.h"

#include <QLabel>
#include <QSlider>
#include <gtest/gtest.h>

namespace {

TColor Rgb(int r, int g, int b)
{
    return TColor(r) | TColor(g) << 8 | TColor(b) << 16;
}

}  // namespace

TEST(ZoomWin, EnlargesTheSourceNeighbourhoodPixelExactly)
{
    TZoomWin window;
    window.show();
    ASSERT_EQ(window.Zoom()->Width(), 122);
    ASSERT_EQ(window.Zoom()->Height(), 122);
    EXPECT_EQ(window.ScaleValue->text(), "200%");
    EXPECT_EQ(window.GetSourceSize(), 61);

    TDIB source;
    window.UpdateZoom(&source);
    ASSERT_EQ(source.Width(), 61) << "the first call sizes the source";
    EXPECT_EQ(source.GetScale(), 2);

    // A black source with one red pixel at (10, memory row 20) and a blue
    // one beside it.
    for (int row = 0; row < 61; ++row)
        for (int x = 0; x < 61; ++x)
            source.SetPixel(x, row, 0);
    source.SetPixel(10, 20, Rgb(200, 0, 0));
    source.SetPixel(11, 20, Rgb(0, 0, 100));
    window.UpdateZoom(&source);

    const QImage shot = window.grab(QRect(0, 0, 122, 122)).toImage();
    // Memory row p is drawn at y = 121 - p.
    auto at = [&](int q, int p) { return shot.pixel(q, 121 - p) & 0xFFFFFF; };
    EXPECT_EQ(at(20, 40), 0xC80000u) << "the source pixel itself";
    EXPECT_EQ(at(22, 40), 0x000064u);
    EXPECT_EQ(at(21, 40), 0x640032u) << "halfway: red 100, blue 50";
    EXPECT_EQ(at(21, 41), 0x320019u) << "a quarter of each";
    EXPECT_EQ(at(18, 40), 0u);
    EXPECT_EQ(at(121, 0), 0u) << "the right columns are black";
}

TEST(ZoomWin, ScaleBarChangesTheScaleAndTheNextSourceSize)
{
    TZoomWin window;
    window.show();
    TDIB source;
    window.UpdateZoom(&source);
    ASSERT_EQ(source.Width(), 61);

    window.ScaleBar->setValue(250);
    EXPECT_EQ(window.ScaleValue->text(), "250%");
    EXPECT_DOUBLE_EQ(window.Zoom()->Scale(), 2.5);
    EXPECT_EQ(window.GetSourceSize(), 61) << "the whole scale is still 2";

    window.ScaleBar->setValue(300);
    window.UpdateZoom(&source);
    EXPECT_EQ(source.Width(), 40) << "scale 3 needs a source of 122 / 3";
    EXPECT_EQ(source.GetScale(), 3);
}
