#pragma once
// ModulateImage for a rendered view, worked out once per distinct colour.
//
// A view holds few distinct colours: 256 greys, or the cells of a look-up
// table with the greys beside them, over some two million pixels. The
// library modulates a one-row image of those colours, and every pixel then
// takes its colour's answer, so each pixel gets exactly the value the library
// would give it, at a small part of the cost. An image with too many colours,
// or one that is not DirectClass, goes to the library whole.
#include "apt/MagickImage.h"

// brightness,saturation,hue as ModulateImage reads it. False when the
// library fails or no memory is left; the image may then be changed in part.
bool ModulateViewColours(Image* image, const char* modulate);
