#include "imaging/ViewRendererModulate.h"

#include <cstdint>
#include <new>
#include <vector>

namespace {

// Above this many colours the one-row image stops being small.
constexpr std::uint32_t kMaxColours = 1 << 16;

std::uint64_t ColourKey(const PixelPacket& p)
{
    return (std::uint64_t(p.red) << 32) | (std::uint64_t(p.green) << 16) | p.blue;
}

// Colour key -> index of the colour, open addressing over twice the colours
// it may hold.
class ColourIndex {
public:
    ColourIndex() : keys_(kSlots), values_(kSlots, kEmpty) {}

    // The colour's index, a new one for a colour not seen before; kEmpty when
    // kMaxColours colours are taken.
    std::uint32_t Find(std::uint64_t key)
    {
        std::size_t slot = (key * 0x9E3779B97F4A7C15ULL) >> (64 - kSlotBits);
        while (values_[slot] != kEmpty) {
            if (keys_[slot] == key)
                return values_[slot];
            slot = (slot + 1) & (kSlots - 1);
        }
        if (count_ == kMaxColours)
            return kEmpty;
        keys_[slot] = key;
        values_[slot] = count_;
        return count_++;
    }
    std::uint32_t Count() const { return count_; }

    static constexpr std::uint32_t kEmpty = ~0u;

private:
    static constexpr int kSlotBits = 17;
    static constexpr std::size_t kSlots = std::size_t(1) << kSlotBits;
    std::vector<std::uint64_t> keys_;
    std::vector<std::uint32_t> values_;
    std::uint32_t count_ = 0;
};

}  // namespace

bool ModulateViewColours(Image* image, const char* modulate)
{
    if (!image)
        return true;
    const std::size_t width = image->columns;
    const std::size_t rows = image->rows;
    if (image->storage_class != DirectClass || width == 0 || rows == 0)
        return ModulateImage(image, modulate) != MagickFalse;
    MagickExceptionPtr exception(AcquireExceptionInfo());
    std::vector<PixelPacket> colours;
    ColourIndex index;
    try {
        colours.reserve(4096);
    } catch (const std::bad_alloc&) {
        return ModulateImage(image, modulate) != MagickFalse;
    }
    // Each pass finds a pixel's colour by its key again rather than keeping
    // an index a pixel: filling that would cost more than the look-ups.
    for (std::size_t y = 0; y < rows; ++y) {
        const PixelPacket* p = GetVirtualPixels(image, 0, static_cast<ssize_t>(y), width, 1, exception.get());
        if (!p)
            return false;
        // Neighbours share their colour more often than not.
        std::uint64_t lastKey = ~0ULL;
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint64_t key = ColourKey(p[x]);
            if (key != lastKey) {
                const std::uint32_t colour = index.Find(key);
                if (colour == ColourIndex::kEmpty)
                    return ModulateImage(image, modulate) != MagickFalse;
                if (colour == colours.size())
                    colours.push_back(p[x]);
                lastKey = key;
            }
        }
    }

    // The colours as a one-row image with the view's own colour space and
    // settings (CloneImage copies them), modulated by the library.
    MagickImagePtr row(CloneImage(image, index.Count(), 1, MagickTrue, exception.get()));
    if (!row)
        return false;
    row->storage_class = DirectClass;
    PixelPacket* cells = GetAuthenticPixels(row.get(), 0, 0, index.Count(), 1, exception.get());
    if (!cells)
        return false;
    std::copy(colours.begin(), colours.end(), cells);
    if (SyncAuthenticPixels(row.get(), exception.get()) == MagickFalse || ModulateImage(row.get(), modulate) == MagickFalse)
        return false;
    const PixelPacket* modulated = GetVirtualPixels(row.get(), 0, 0, index.Count(), 1, exception.get());
    if (!modulated)
        return false;
    colours.assign(modulated, modulated + index.Count());

    for (std::size_t y = 0; y < rows; ++y) {
        PixelPacket* p = GetAuthenticPixels(image, 0, static_cast<ssize_t>(y), width, 1, exception.get());
        if (!p)
            return false;
        std::uint64_t lastKey = ~0ULL;
        const PixelPacket* c = nullptr;
        // The opacity stays each pixel's own, as ModulateImage leaves it.
        for (std::size_t x = 0; x < width; ++x) {
            const std::uint64_t key = ColourKey(p[x]);
            if (key != lastKey) {
                c = &colours[index.Find(key)];
                lastKey = key;
            }
            p[x].red = c->red;
            p[x].green = c->green;
            p[x].blue = c->blue;
        }
        if (SyncAuthenticPixels(image, exception.get()) == MagickFalse)
            return false;
    }
    return true;
}
