#pragma once
// The one table between the ImageMagick numbers the program stores (the
// settings' compression, image type and interlace, the resize dialog's filter)
// and the linked library's values. The stored numbers follow the 6.2 library,
// which later versions renumbered (filter 13 was Lanczos and is Jinc now,
// compression 7 was lossless JPEG before the DXT types were inserted), so a
// stored number is translated by name, never used as an enum value.
#include <magick/MagickCore.h>

namespace magicknames {

enum class StoredKind { Compression, Filter, ImageType, Interlace };

// The library's name for a stored number, or null when the number was never
// a value of that kind.
const char* StoredName(StoredKind kind, int stored);

// The library's value for a stored number, looked up by name in the
// library's option tables; the kind's undefined value (0) for an unknown
// number or a name the library does not know.
long LibraryValue(StoredKind kind, int stored);

CompressionType CompressionFromStored(int stored);
FilterTypes FilterFromStored(int stored);
ImageType ImageTypeFromStored(int stored);
InterlaceType InterlaceFromStored(int stored);

}  // namespace magicknames
