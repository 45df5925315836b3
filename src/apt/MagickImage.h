#pragma once
// MagickCore 6 (Q16) as the engine uses it: one start-up of the library per
// process and an owning pointer for its images.
#include <magick/MagickCore.h>
#include <memory>

struct MagickImageDeleter {
    void operator()(Image* image) const
    {
        if (image)
            DestroyImage(image);
    }
};
using MagickImagePtr = std::unique_ptr<Image, MagickImageDeleter>;

struct MagickImageInfoDeleter {
    void operator()(ImageInfo* info) const
    {
        if (info)
            DestroyImageInfo(info);
    }
};
using MagickImageInfoPtr = std::unique_ptr<ImageInfo, MagickImageInfoDeleter>;

struct MagickExceptionDeleter {
    void operator()(ExceptionInfo* exception) const
    {
        if (exception)
            DestroyExceptionInfo(exception);
    }
};
using MagickExceptionPtr = std::unique_ptr<ExceptionInfo, MagickExceptionDeleter>;

// An 8-bit sample as a pixel quantum (MagickCore 6.9 here is Q16: 0..65535).
inline Quantum ByteToQuantum(unsigned char value)
{
    return static_cast<Quantum>(value * static_cast<double>(QuantumRange) / 255.0 + 0.5);
}

// Starts MagickCore once for the process; safe to call from any thread.
void EnsureMagickCore();
