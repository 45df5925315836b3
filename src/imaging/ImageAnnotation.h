#pragma once
// The annotation of a rendered pass: a text block (the pass description and
// the user's text, over an optional half-transparent box) and a logo, placed
// at one of six positions. Text goes to MagickCore through its plain-text
// call, never inside a drawing command: satellite names come from
// downloaded element sets and may hold any character.
#include "shell/Setting.h"

#include <QString>
#include <magick/MagickCore.h>

// Where the block of text lies once drawn, for the logo to sit against it.
struct TTextBlock {
    bool Drawn = false;
    int X = 0;
    int FreeY = 0;  // the block's free side: below it (top positions) or above it
};

// The text block, when settings.AnnotateModes bit 0 asks for it and a font
// is found. Works on its own copy of the settings.
TTextBlock DrawAnnotationText(Image* image, const ImageInfo* info, TSetting settings,
                              const QString& passDescription);

// The logo, when settings.AnnotateModes bit 1 asks for it and the file
// exists. A logo that cannot be read leaves its reason in exception.
void DrawLogo(Image* image, const TSetting& settings, const TTextBlock& block, ExceptionInfo* exception);

// Both, text first.
void AnnotateView(Image* image, const ImageInfo* info, const TSetting& settings, const QString& passDescription,
                  ExceptionInfo* logoException);

// A colour 0x00BBGGRR as an opaque MagickCore pixel.
PixelPacket ColorToPixel(TColor colour);
