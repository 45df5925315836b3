#pragma once
// The item tables of the image-format lists of the general settings dialog:
// each item's caption and the value it stands for in the settings record.
#include <QString>
#include <QStringList>
#include <span>

namespace recordformats {

struct TFormatItem {
    const char* Caption;
    const char* Ext;  // with its point
};

// The saved-image formats, then the raw-only gzip text format.
inline constexpr TFormatItem kFormats[] = {
    {"JPG, Joint Photographics Group", ".jpg"},
    {"PNG, Portable Network Graphicks", ".png"},
    {"JNG, Multiple-image Network Graphics", ".jng"},
    {"JP2, JPEG-2000 JP2 File Format Syntax", ".jp2"},
    {"JPC, JPEG-2000 Code Stream Syntax", ".jpc"},
    {"JBIG, Joint Bi-level Image", ".jbig"},
    {"MNG, Multiple-image Network Graphics", ".mng"},
    {"PNM, Portable Anymap", ".pnm"},
    {"GIF, CompuServe Graphics Interchange Format", ".gif"},
    {"TIFF, Tagged Image File Format", ".tiff"},
    {"BMP, Microsoft Windows bitmap ", ".bmp"},
    {"DIB, Microsoft Windows Device Independent Bitmap", ".dib"},
    {"GZ, GZIP Compressed double precision", ".gz"},
};
inline constexpr int kSavedFormatCount = 12;  // the raw list has all thirteen
inline constexpr int kRawTextFormat = 12;

struct TValueItem {
    const char* Caption;
    int Value;  // as the settings record stores it
};

inline constexpr TValueItem kCompressions[] = {
    {"No Compression", 1},   {"BZip Compression", 2}, {"Lossy Compression", 5}, {"Lossless Compression", 7},
    {"RLE Compression", 9},  {"LZW Compression", 8},  {"Zip Compression", 10},
};
inline constexpr TValueItem kImageTypes[] = {
    {"True Color", 6}, {"True Color Matte", 7}, {"Bilevel", 1}, {"Grayscale", 2}, {"Grayscale Matte", 3}, {"Optimize", 10},
};
inline constexpr TValueItem kInterlaces[] = {
    {"No Interlace", 1}, {"Line Interlace", 2}, {"Plane Interlace", 3}, {"Partition Interlace", 4},
};

inline QStringList FormatCaptions(bool raw)
{
    QStringList captions;
    for (int i = 0; i < (raw ? kRawTextFormat + 1 : kSavedFormatCount); ++i)
        captions << kFormats[i].Caption;
    return captions;
}

inline QStringList Captions(std::span<const TValueItem> items)
{
    QStringList captions;
    for (const TValueItem& item : items)
        captions << item.Caption;
    return captions;
}

// The item of a value; 0 when no item stands for it.
inline int IndexOfValue(std::span<const TValueItem> items, int value)
{
    for (std::size_t i = 0; i < items.size(); ++i)
        if (items[i].Value == value)
            return static_cast<int>(i);
    return 0;
}

// The value of an item; item 0's value when none is selected.
inline int ValueOfIndex(std::span<const TValueItem> items, int index)
{
    return index >= 0 && index < static_cast<int>(items.size()) ? items[index].Value : items[0].Value;
}

}  // namespace recordformats
