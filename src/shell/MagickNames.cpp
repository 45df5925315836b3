#include "shell/MagickNames.h"

#include <iterator>

namespace magicknames {
namespace {

struct KindTable {
    CommandOption option;
    const char* const* names;  // indexed by the stored number
    int count;
};

// Names are the linked library's own spellings; where the 6.2 name differed,
// the comment gives it.
const char* const kCompressionNames[] = {
    "Undefined", "None", "BZip", "Fax", "Group4", "JPEG",
    "JPEG2000",  "LosslessJPEG", "LZW", "RLE", "Zip",
};
const char* const kFilterNames[] = {
    "Undefined", "Point", "Box", "Triangle",
    "Hermite",   "Hann",  // 6.2: Hanning
    "Hamming",   "Blackman", "Gaussian", "Quadratic", "Cubic", "Catrom", "Mitchell", "Lanczos",
    "Jinc",  // 6.2: Bessel
    "Sinc",
};
const char* const kImageTypeNames[] = {
    "Undefined",      "Bilevel",
    "Grayscale",      "GrayscaleAlpha",  // 6.2: GrayscaleMatte
    "Palette",        "PaletteAlpha",    // 6.2: PaletteMatte
    "TrueColor",      "TrueColorAlpha",  // 6.2: TrueColorMatte
    "ColorSeparation",
    "ColorSeparationAlpha",  // 6.2: ColorSeparationMatte
    "Optimize",
};
const char* const kInterlaceNames[] = {"Undefined", "None", "Line", "Plane", "Partition"};

KindTable TableOf(StoredKind kind)
{
    switch (kind) {
    case StoredKind::Compression:
        return {MagickCompressOptions, kCompressionNames, static_cast<int>(std::size(kCompressionNames))};
    case StoredKind::Filter:
        return {MagickFilterOptions, kFilterNames, static_cast<int>(std::size(kFilterNames))};
    case StoredKind::ImageType:
        return {MagickTypeOptions, kImageTypeNames, static_cast<int>(std::size(kImageTypeNames))};
    case StoredKind::Interlace:
        return {MagickInterlaceOptions, kInterlaceNames, static_cast<int>(std::size(kInterlaceNames))};
    }
    return {MagickCompressOptions, nullptr, 0};
}

}  // namespace

const char* StoredName(StoredKind kind, int stored)
{
    const KindTable table = TableOf(kind);
    if (stored < 0 || stored >= table.count)
        return nullptr;
    return table.names[stored];
}

long LibraryValue(StoredKind kind, int stored)
{
    const char* name = StoredName(kind, stored);
    if (!name)
        return 0;
    const ssize_t value = ParseCommandOption(TableOf(kind).option, MagickFalse, name);
    return value < 0 ? 0 : static_cast<long>(value);
}

CompressionType CompressionFromStored(int stored)
{
    return static_cast<CompressionType>(LibraryValue(StoredKind::Compression, stored));
}

FilterTypes FilterFromStored(int stored)
{
    return static_cast<FilterTypes>(LibraryValue(StoredKind::Filter, stored));
}

ImageType ImageTypeFromStored(int stored)
{
    return static_cast<ImageType>(LibraryValue(StoredKind::ImageType, stored));
}

InterlaceType InterlaceFromStored(int stored)
{
    return static_cast<InterlaceType>(LibraryValue(StoredKind::Interlace, stored));
}

}  // namespace magicknames
