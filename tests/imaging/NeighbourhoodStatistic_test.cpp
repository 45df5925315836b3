// The fast median and nonpeak filters against MagickCore's own StatisticImage,
// pixel for pixel, borders included.
#include "apt/MagickImage.h"
#include "imaging/NeighbourhoodStatistic.h"

#include <gtest/gtest.h>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = 37;
constexpr int kRows = 23;

// Every sample of the picture, opacity included, in map order.
std::vector<unsigned short> Samples(const ::Image* image, const char* map)
{
    std::vector<unsigned short> samples(image->columns * image->rows * std::string(map).size());
    MagickExceptionPtr exception(AcquireExceptionInfo());
    EXPECT_NE(ExportImagePixels(image, 0, 0, image->columns, image->rows, map, ShortPixel, samples.data(),
                                exception.get()),
              MagickFalse);
    return samples;
}

struct Picture {
    const char* name;
    const char* map;
    std::function<unsigned short(std::mt19937&)> sample;
    bool grey = false;  // red, green and blue equal, as in a decoded pass
};

MagickImagePtr MakePicture(const Picture& kind)
{
    EnsureMagickCore();
    std::mt19937 random(11);
    const size_t channels = std::string(kind.map).size();
    std::vector<unsigned short> samples(static_cast<size_t>(kColumns) * kRows * channels);
    for (size_t i = 0; i < samples.size(); ++i)
        samples[i] = kind.grey && i % channels != 0 && i % channels < 3 ? samples[i - i % channels] : kind.sample(random);
    MagickExceptionPtr exception(AcquireExceptionInfo());
    return MagickImagePtr(
        ConstituteImage(kColumns, kRows, kind.map, ShortPixel, samples.data(), exception.get()));
}

}  // namespace

TEST(NeighbourhoodStatistic, EqualsTheLibraryForEveryWidthPictureAndThreadCount)
{
    const Picture pictures[] = {
        {"any 16-bit value", "RGB", [](std::mt19937& r) { return static_cast<unsigned short>(r()); }},
        // Few levels: windows full of equal values, where nonpeak moves off an extreme.
        {"four levels", "RGB", [](std::mt19937& r) { return static_cast<unsigned short>(r() % 4 * 20000); }},
        {"8-bit samples", "RGB", [](std::mt19937& r) { return static_cast<unsigned short>(r() % 256 * 257); }},
        {"8-bit grey", "RGB", [](std::mt19937& r) { return static_cast<unsigned short>(r() % 256 * 257); }, true},
        {"with opacity", "RGBA", [](std::mt19937& r) { return static_cast<unsigned short>(r() % 256 * 257); }},
    };
    // The menu's radii 1, 3, 5 are widths 2r + 1 = 3, 7, 11; even widths
    // reach further left than right; 40 is wider than the picture.
    // (Each library call clears megabytes of lists: the table is kept short.)
    const size_t widths[] = {1, 2, 3, 4, 7, 11, 40};
    MagickExceptionPtr exception(AcquireExceptionInfo());
    for (const Picture& kind : pictures) {
        const MagickImagePtr picture = MakePicture(kind);
        ASSERT_TRUE(picture);
        for (StatisticType type : {MedianStatistic, NonpeakStatistic})
            for (size_t width : widths) {
                const MagickImagePtr expected(StatisticImage(picture.get(), type, width, width, exception.get()));
                ASSERT_TRUE(expected);
                const auto reference = Samples(expected.get(), kind.map);
                for (int threads : {1, 3}) {
                    const std::string name = std::string(kind.name) +
                                             (type == MedianStatistic ? ", median" : ", nonpeak") + ", width " +
                                             std::to_string(width) + ", " + std::to_string(threads) + " threads";
                    const MagickImagePtr made(FastStatisticImage(picture.get(), type, width, exception.get(), threads));
                    ASSERT_TRUE(made) << name;
                    EXPECT_EQ(made->storage_class, expected->storage_class) << name;
                    EXPECT_TRUE(Samples(made.get(), kind.map) == reference) << name;
                }
            }
    }
}

TEST(NeighbourhoodStatistic, ThePicturesItDoesNotMirrorGoToTheLibrary)
{
    const Picture colour{"8-bit samples", "RGB",
                         [](std::mt19937& r) { return static_cast<unsigned short>(r() % 256 * 257); }};
    MagickExceptionPtr exception(AcquireExceptionInfo());
    MagickImagePtr picture = MakePicture(colour);
    ASSERT_TRUE(picture);
    struct Case {
        const char* name;
        VirtualPixelMethod edges;
        size_t width;
    };
    const Case cases[] = {
        {"width 0: the library picks the size", UndefinedVirtualPixelMethod, 0},
        {"mirrored edges", MirrorVirtualPixelMethod, 5},
        {"black beyond the edges", BlackVirtualPixelMethod, 5},
    };
    for (const Case& c : cases) {
        SetImageVirtualPixelMethod(picture.get(), c.edges);
        const MagickImagePtr expected(StatisticImage(picture.get(), MedianStatistic, c.width, c.width, exception.get()));
        const MagickImagePtr made(FastStatisticImage(picture.get(), MedianStatistic, c.width, exception.get(), 2));
        ASSERT_TRUE(expected && made) << c.name;
        EXPECT_TRUE(Samples(made.get(), "RGB") == Samples(expected.get(), "RGB")) << c.name;
    }
}
