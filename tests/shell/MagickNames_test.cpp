#include "shell/MagickNames.h"

#include <gtest/gtest.h>

using magicknames::StoredKind;

namespace {

struct KindCase {
    const char* name;
    StoredKind kind;
    CommandOption option;
    int count;  // stored numbers 0..count-1
};
const KindCase kKinds[] = {
    {"compression", StoredKind::Compression, MagickCompressOptions, 11},
    {"filter", StoredKind::Filter, MagickFilterOptions, 16},
    {"image type", StoredKind::ImageType, MagickTypeOptions, 11},
    {"interlace", StoredKind::Interlace, MagickInterlaceOptions, 5},
};

}  // namespace

// Every name of the table must be one the linked library knows, and must come
// back as the same name from the library's own option table.
TEST(MagickNames, EveryStoredNumberHasALibraryName)
{
    for (const KindCase& k : kKinds) {
        for (int stored = 0; stored < k.count; ++stored) {
            const char* name = magicknames::StoredName(k.kind, stored);
            ASSERT_NE(name, nullptr) << k.name << " " << stored;
            const ssize_t value = ParseCommandOption(k.option, MagickFalse, name);
            ASSERT_GE(value, 0) << k.name << " " << name << " unknown to the library";
            EXPECT_STREQ(CommandOptionToMnemonic(k.option, value), name) << k.name << " " << stored;
            EXPECT_EQ(magicknames::LibraryValue(k.kind, stored), value) << k.name << " " << stored;
        }
        EXPECT_EQ(magicknames::StoredName(k.kind, k.count), nullptr) << k.name;
        EXPECT_EQ(magicknames::StoredName(k.kind, -1), nullptr) << k.name;
        EXPECT_EQ(magicknames::LibraryValue(k.kind, k.count), 0) << k.name;
    }
}

// The stored numbers mean what the 6.2 library meant by them: its names,
// looked up in the linked library, give the same values as the table.
TEST(MagickNames, StoredNumbersKeepTheirOldMeaning)
{
    struct Case {
        StoredKind kind;
        CommandOption option;
        int stored;
        const char* oldName;
    };
    const Case cases[] = {
        {StoredKind::Compression, MagickCompressOptions, 1, "None"},
        {StoredKind::Compression, MagickCompressOptions, 2, "BZip"},
        {StoredKind::Compression, MagickCompressOptions, 5, "JPEG"},
        {StoredKind::Compression, MagickCompressOptions, 7, "LosslessJPEG"},
        {StoredKind::Compression, MagickCompressOptions, 8, "LZW"},
        {StoredKind::Compression, MagickCompressOptions, 9, "RLE"},
        {StoredKind::Compression, MagickCompressOptions, 10, "Zip"},
        {StoredKind::Filter, MagickFilterOptions, 1, "Point"},
        {StoredKind::Filter, MagickFilterOptions, 5, "Hanning"},
        {StoredKind::Filter, MagickFilterOptions, 12, "Mitchell"},
        {StoredKind::Filter, MagickFilterOptions, 13, "Lanczos"},
        {StoredKind::Filter, MagickFilterOptions, 14, "Bessel"},
        {StoredKind::Filter, MagickFilterOptions, 15, "Sinc"},
        {StoredKind::ImageType, MagickTypeOptions, 3, "GrayscaleMatte"},
        {StoredKind::ImageType, MagickTypeOptions, 7, "TrueColorMatte"},
        {StoredKind::ImageType, MagickTypeOptions, 9, "ColorSeparationMatte"},
        {StoredKind::Interlace, MagickInterlaceOptions, 2, "Line"},
    };
    for (const Case& c : cases)
        EXPECT_EQ(magicknames::LibraryValue(c.kind, c.stored), ParseCommandOption(c.option, MagickFalse, c.oldName))
            << c.oldName;

    // The renumbered ones, spelled out: a table built from enum values fails here.
    EXPECT_EQ(magicknames::CompressionFromStored(7), LosslessJPEGCompression);
    EXPECT_EQ(magicknames::CompressionFromStored(5), JPEGCompression);
    EXPECT_EQ(magicknames::CompressionFromStored(10), ZipCompression);
    EXPECT_EQ(magicknames::FilterFromStored(13), LanczosFilter);
    EXPECT_EQ(magicknames::FilterFromStored(14), JincFilter);
    EXPECT_EQ(magicknames::FilterFromStored(15), SincFilter);
    EXPECT_EQ(magicknames::ImageTypeFromStored(6), TrueColorType);
    EXPECT_EQ(magicknames::ImageTypeFromStored(10), OptimizeType);
    EXPECT_EQ(magicknames::InterlaceFromStored(1), NoInterlace);
    EXPECT_EQ(magicknames::CompressionFromStored(42), UndefinedCompression);
}
