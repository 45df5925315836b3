#include "imaging/LineModulation.h"
#include "imaging/ViewRenderer.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// A row of every grey, then colours drawn from a small palette as a look-up
// table gives them, each many times over.
std::vector<std::uint32_t> MixedRow()
{
    std::vector<std::uint32_t> row;
    for (std::uint32_t v = 0; v < 256; ++v)
        row.push_back(0xFF000000u | v << 16 | v << 8 | v);
    std::mt19937 random(3);
    std::vector<std::uint32_t> palette(300);
    for (std::uint32_t& colour : palette)
        colour = 0xFF000000u | (random() & 0xFFFFFFu);
    for (int x = 0; x < 2080; ++x)
        row.push_back(palette[random() % palette.size()]);
    return row;
}

std::uint32_t ByModulatePixel(std::uint32_t pixel, int brightness, int saturation, int hue)
{
    std::uint8_t r = pixel >> 16, g = pixel >> 8, b = pixel;
    ModulatePixel(brightness, saturation, hue, r, g, b);
    return 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b;
}

// Every pixel gets what ModulatePixel gives it, also once the settings
// change between rows and the colours worked out before no longer hold.
TEST(LineModulation, EachPixelIsModulatePixelsAnswerAcrossSettingChanges)
{
    struct Settings { int brightness, saturation, hue; };
    const Settings rounds[] = {{130, 180, 100}, {130, 180, 100}, {100, 40, 160}, {70, 100, 100}, {130, 180, 100}};
    const std::vector<std::uint32_t> original = MixedRow();
    TLineModulation modulation;
    for (const Settings& s : rounds) {
        std::vector<std::uint32_t> row = original;
        modulation.Apply(row.data(), static_cast<int>(row.size()), s.brightness, s.saturation, s.hue);
        int wrong = 0;
        for (size_t x = 0; x < row.size(); ++x)
            wrong += row[x] != ByModulatePixel(original[x], s.brightness, s.saturation, s.hue);
        EXPECT_EQ(wrong, 0) << s.brightness << "," << s.saturation << "," << s.hue;
    }
}

}  // namespace
