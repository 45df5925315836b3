#include "imaging/LineModulation.h"

#include "imaging/ViewRenderer.h"

namespace {

// A pass with a detailed look-up table can bring many colours; past this the
// memo starts again rather than grow without end.
constexpr std::size_t kMaxColours = 1 << 16;

}  // namespace

void TLineModulation::Apply(std::uint32_t* pixels, int count, int brightness, int saturation, int hue)
{
    if (brightness != brightness_ || saturation != saturation_ || hue != hue_) {
        brightness_ = brightness;
        saturation_ = saturation;
        hue_ = hue;
        greys_.fill(0);
        colours_.clear();
    }
    for (int x = 0; x < count; ++x)
        pixels[x] = Modulated(pixels[x] & 0xFFFFFFu);
}

std::uint32_t TLineModulation::Modulated(std::uint32_t rgb)
{
    const std::uint8_t red = rgb >> 16, green = (rgb >> 8) & 0xFF, blue = rgb & 0xFF;
    const bool grey = red == green && green == blue;
    if (grey && greys_[red])
        return greys_[red];
    if (!grey) {
        const auto known = colours_.find(rgb);
        if (known != colours_.end())
            return known->second;
    }
    std::uint8_t r = red, g = green, b = blue;
    ModulatePixel(brightness_, saturation_, hue_, r, g, b);
    const std::uint32_t answer = 0xFF000000u | std::uint32_t(r) << 16 | std::uint32_t(g) << 8 | b;
    if (grey) {
        greys_[red] = answer;
    } else {
        if (colours_.size() >= kMaxColours)
            colours_.clear();
        colours_.emplace(rgb, answer);
    }
    return answer;
}
