#pragma once
// The pixels of a MagickCore picture as a test compares them.
#include "apt/MagickImage.h"

#include <cstdint>
#include <vector>

// Every sample of the picture, 16 bits each, RGB row by row.
inline std::vector<unsigned short> Samples(const Image* image)
{
    std::vector<unsigned short> samples(image->columns * image->rows * 3);
    MagickExceptionPtr exception(AcquireExceptionInfo());
    ExportImagePixels(image, 0, 0, image->columns, image->rows, "RGB", ShortPixel, samples.data(), exception.get());
    return samples;
}

// The colour at (x, y) as 0xRRGGBB.
inline std::uint32_t Colour(const Image* image, int x, int y)
{
    unsigned char rgb[3] = {};
    MagickExceptionPtr exception(AcquireExceptionInfo());
    ExportImagePixels(image, x, y, 1, 1, "RGB", CharPixel, rgb, exception.get());
    return std::uint32_t(rgb[0]) << 16 | std::uint32_t(rgb[1]) << 8 | rgb[2];
}
