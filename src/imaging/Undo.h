#pragma once
// One step of an image window's undo stack: the picture as it was before an
// operation and the caption the Undo command shows while the step is the
// newest. The record owns its picture until the window takes it back or the
// step is dropped.
#include "apt/MagickImage.h"

#include <QString>

struct TUndo {
    TUndo(MagickImagePtr image, const QString& caption) : Image(std::move(image)), Caption(caption) {}

    void ReleaseImage() { Image.reset(); }

    MagickImagePtr Image;
    QString Caption;  // e.g. "Undo Flip"
};
