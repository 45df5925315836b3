#include "shell/MagickLegacy.h"

#include <algorithm>
#include <cmath>

namespace magicklegacy {

void Contrast(int sign, Quantum* red, Quantum* green, Quantum* blue)
{
    if (!red || !green || !blue)
        return;
    double hue = 0.0;
    double saturation = 0.0;
    double brightness = 0.0;
    ConvertRGBToHSB(*red, *green, *blue, &hue, &saturation, &brightness);
    brightness += 0.5 * sign * (0.5 * (std::sin(M_PI * (brightness - 0.5)) + 1.0) - brightness);
    brightness = std::clamp(brightness, 0.0, 1.0);
    ConvertHSBToRGB(hue, saturation, brightness, red, green, blue);
}

}  // namespace magicklegacy
