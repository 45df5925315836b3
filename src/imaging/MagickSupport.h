#pragma once
// The program's one way into MagickCore for showing an image: start the
// library once, read a file into a display image (QImage, the stand-in for a
// Windows bitmap), and translate the stored compression numbers.
//
// MagickCore 6.9 is Q16: every sample is 16 bits and is scaled down to 8 for
// display. Its enums were renumbered since the 6.2 series whose numbers the
// settings store, so stored numbers are mapped by name here.
#include "apt/MagickImage.h"  // EnsureMagickCore
#include <QImage>
#include <QString>

typedef struct _Image Image;
typedef struct _ExceptionInfo ExceptionInfo;


// "ImageMagick 6.9.11-60 Q16 ..." as the library reports it.
QString MagickVersionText();

// The first frame of image as a 32-bit QImage: ARGB32 with alpha from the
// image's matte channel, RGB32 when it has none. A CMYK image is turned to sRGB in place first.
// A null QImage when the pixels cannot be read or no memory is left.
QImage MagickToQImage(Image* image, ExceptionInfo* exception);

// Images above this many pixels are not decoded for display: a preview of a
// forged or enormous file must neither exhaust the memory nor stall the window.
inline constexpr long long kMaxDisplayPixels = 64LL * 1024 * 1024;
// Files above this size are not read into memory for display.
inline constexpr long long kMaxDisplayFileBytes = 512LL * 1024 * 1024;

struct TDisplayImage {
    enum Status { Ok, ReadFailed, NoMemory };
    Status Result = ReadFailed;
    QImage Picture;
    int Width = 0;   // pixels of the image read, 0 on failure
    int Height = 0;
    QString Reason;       // on ReadFailed: what failed, as MagickCore says it
    QString Description;  // ... and on what
};

// Reads a file for display. The format comes from the file's extension, never
// from the name's syntax ("png:", "[0]") nor from guessing the content, so a
// file is only ever handed to the reader of its own format.
TDisplayImage ReadDisplayImage(const QString& path, long long maxPixels = kMaxDisplayPixels);

// Stored compression numbers (1 none, 2 BZip, 3 Fax, 4 Group4, 5 JPEG,
// 6 JPEG2000, 7 lossless JPEG, 8 LZW, 9 RLE, 10 Zip) to MagickCore's
// CompressionType and back; 0 (undefined) for numbers without a name.
int MagickCompressionFromStored(int stored);
int StoredCompressionFromMagick(int compressionType);
