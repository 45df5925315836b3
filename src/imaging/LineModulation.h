#pragma once
// Brightness, saturation and hue applied to the rows of a live decode, as
// ModulatePixel applies them, each distinct colour worked out once. A row is
// mostly greys or a look-up table's few colours, while the library's colour
// conversions cost more than all the rest of drawing a row.
#include <array>
#include <cstdint>
#include <unordered_map>

class TLineModulation {
public:
    // pixels: 0xAARRGGBB; each becomes its modulated colour, opaque.
    void Apply(std::uint32_t* pixels, int count, int brightness, int saturation, int hue);

private:
    std::uint32_t Modulated(std::uint32_t rgb);

    int brightness_ = -1, saturation_ = -1, hue_ = -1;
    std::array<std::uint32_t, 256> greys_{};  // 0: not worked out yet (answers are opaque)
    std::unordered_map<std::uint32_t, std::uint32_t> colours_;
};
