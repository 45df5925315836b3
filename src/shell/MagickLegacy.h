#pragma once
// Routines of the 6.2 image library that the program relies on and that the
// linked 6.9 library no longer exports, written over its public helpers with
// the same results.
#include <magick/MagickCore.h>

namespace magicklegacy {

// The per-pixel contrast step: in HSB space the brightness b moves by
// 0.5 * sign * (s(b) - b) towards (positive sign) or away from (negative
// sign) the sine curve s(b) = 0.5 * (sin(pi * (b - 0.5)) + 1), clamped to
// 0..1; hue and saturation stay. Positive signs sharpen the contrast,
// negative ones soften it.
void Contrast(int sign, Quantum* red, Quantum* green, Quantum* blue);

}  // namespace magicklegacy
