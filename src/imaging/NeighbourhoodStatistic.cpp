#include "imaging/NeighbourhoodStatistic.h"

#include "apt/MagickImage.h"

#include <algorithm>
#include <array>
#include <atomic>
#include <cstdint>
#include <exception>
#include <new>
#include <thread>
#include <vector>

namespace {

constexpr int kBlockBits = 6;  // ranks counted together to skip empty stretches fast
constexpr int kBlockSize = 1 << kBlockBits;
constexpr int kBlockMask = kBlockSize - 1;

// One channel with its samples replaced by their rank among the channel's
// distinct values: the histograms then only span the values that occur
// (256 for a picture from 8-bit samples, not 65536).
struct RankedChannel {
    std::vector<std::uint16_t> ranks;   // columns x rows
    std::vector<Quantum> valueOfRank;   // ascending
};

RankedChannel RankChannel(const std::vector<Quantum>& samples)
{
    std::vector<std::uint8_t> present(65536, 0);
    for (Quantum value : samples)
        present[value] = 1;
    std::vector<std::uint16_t> rankOf(65536, 0);
    RankedChannel channel;
    for (int value = 0; value < 65536; ++value)
        if (present[value]) {
            rankOf[value] = static_cast<std::uint16_t>(channel.valueOfRank.size());
            channel.valueOfRank.push_back(static_cast<Quantum>(value));
        }
    channel.ranks.resize(samples.size());
    for (size_t i = 0; i < samples.size(); ++i)
        channel.ranks[i] = rankOf[samples[i]];
    return channel;
}

// The window's values as counts per rank, with the median's rank followed
// as values come and go (it moves only a little from one pixel to the next).
class SlidingHistogram {
public:
    explicit SlidingHistogram(size_t ranks)
        : counts_((ranks + kBlockSize - 1) / kBlockSize * kBlockSize, 0), blocks_(counts_.size() / kBlockSize, 0)
    {
    }

    void Add(int rank)
    {
        ++counts_[rank];
        ++blocks_[rank >> kBlockBits];
        ++size_;
        if (rank < median_)
            ++below_;
    }

    void Remove(int rank)
    {
        --counts_[rank];
        --blocks_[rank >> kBlockBits];
        --size_;
        if (rank < median_)
            --below_;
    }

    // The rank at index size/2 of the sorted window.
    int Median()
    {
        const std::uint32_t middle = size_ / 2;
        while (below_ > middle) {
            median_ = Below(median_);
            below_ -= counts_[median_];
        }
        while (below_ + counts_[median_] <= middle) {
            below_ += counts_[median_];
            median_ = Above(median_);
        }
        return median_;
    }

    // The median, moved off the window's extreme to the neighbouring value.
    int Nonpeak()
    {
        const int median = Median();
        const bool smallest = below_ == 0;
        const bool largest = below_ + counts_[median] == size_;
        if (smallest && !largest)
            return Above(median);
        if (largest && !smallest)
            return Below(median);
        return median;
    }

private:
    // The nearest occupied rank above (below) rank; one must exist. The rest
    // of rank's block is looked at one by one, then empty blocks are skipped.
    int Above(int rank) const
    {
        int next = rank + 1;
        for (; (next & kBlockMask) != 0; ++next)
            if (counts_[next] != 0)
                return next;
        int block = next >> kBlockBits;
        while (blocks_[block] == 0)
            ++block;
        for (next = block << kBlockBits; counts_[next] == 0; ++next) {
        }
        return next;
    }

    int Below(int rank) const
    {
        int next = rank - 1;
        for (; (next & kBlockMask) != kBlockMask; --next)
            if (counts_[next] != 0)
                return next;
        int block = next >> kBlockBits;
        while (blocks_[block] == 0)
            --block;
        for (next = (block << kBlockBits) + kBlockMask; counts_[next] == 0; --next) {
        }
        return next;
    }

    std::vector<std::uint32_t> counts_;
    std::vector<std::uint32_t> blocks_;
    std::uint32_t size_ = 0;
    std::uint32_t below_ = 0;  // values of a lower rank than median_
    int median_ = 0;
};

struct Geometry {
    int columns;
    int rows;
    int width;
};

// Filters rows [first, last) of one channel into out.
void FilterRows(const RankedChannel& channel, const Geometry& g, bool nonpeak, int first, int last,
                std::vector<Quantum>& out)
{
    const int before = g.width / 2;
    // Source column of each window position: the edge pixel repeats outside.
    std::vector<int> column(static_cast<size_t>(g.columns + g.width));
    for (int i = 0; i < g.columns + g.width; ++i)
        column[i] = std::clamp(i - before, 0, g.columns - 1);
    std::vector<const std::uint16_t*> windowRows(g.width);
    SlidingHistogram histogram(channel.valueOfRank.size());
    for (int y = first; y < last; ++y) {
        for (int j = 0; j < g.width; ++j)
            windowRows[j] = channel.ranks.data() + static_cast<size_t>(std::clamp(y - before + j, 0, g.rows - 1)) *
                                                       g.columns;
        for (int i = 0; i < g.width; ++i)
            for (const std::uint16_t* row : windowRows)
                histogram.Add(row[column[i]]);
        Quantum* target = out.data() + static_cast<size_t>(y) * g.columns;
        for (int x = 0;; ++x) {
            target[x] = channel.valueOfRank[nonpeak ? histogram.Nonpeak() : histogram.Median()];
            if (x + 1 == g.columns)
                break;
            const int leaving = column[x];
            const int entering = column[x + g.width];
            for (const std::uint16_t* row : windowRows) {
                histogram.Remove(row[leaving]);
                histogram.Add(row[entering]);
            }
        }
        // Emptied for the next row; the median's place is kept as its start.
        for (int i = g.columns - 1; i < g.columns - 1 + g.width; ++i)
            for (const std::uint16_t* row : windowRows)
                histogram.Remove(row[column[i]]);
    }
}

// Runs the rows in bands, one per thread, each band through every channel.
bool FilterChannels(const std::vector<RankedChannel>& channels, const Geometry& g, bool nonpeak, int threads,
                    std::array<std::vector<Quantum>, 3>& out)
{
    std::atomic<bool> failed{false};
    auto band = [&](int first, int last) {
        try {
            for (size_t c = 0; c < channels.size(); ++c)
                FilterRows(channels[c], g, nonpeak, first, last, out[c]);
        } catch (const std::exception&) {
            failed = true;
        }
    };
    const int bands = std::clamp(threads, 1, g.rows);
    std::vector<std::thread> workers;
    try {
        for (int b = 1; b < bands; ++b)
            workers.emplace_back(band, g.rows * b / bands, g.rows * (b + 1) / bands);
    } catch (const std::exception&) {
        failed = true;
    }
    band(0, g.rows / bands);
    for (std::thread& worker : workers)
        worker.join();
    return !failed;
}

int DefaultThreads()
{
    const unsigned processors = std::max(1u, std::thread::hardware_concurrency());
    const MagickSizeType limit = GetMagickResourceLimit(ThreadResource);
    return static_cast<int>(std::min<MagickSizeType>(processors, std::max<MagickSizeType>(limit, 1)));
}

bool Mirrored(const ::Image* image, StatisticType type, size_t width)
{
    const VirtualPixelMethod edges = GetImageVirtualPixelMethod(image);
    return (type == MedianStatistic || type == NonpeakStatistic) && width > 0 && width <= 4096 &&
           image->colorspace != CMYKColorspace &&
           (edges == UndefinedVirtualPixelMethod || edges == EdgeVirtualPixelMethod) && image->columns < (1u << 24) &&
           image->rows < (1u << 24);
}

::Image* Filter(const ::Image* image, StatisticType type, size_t width, ExceptionInfo* exception, int threads)
{
    const Geometry g{static_cast<int>(image->columns), static_cast<int>(image->rows), static_cast<int>(width)};
    const size_t pixels = static_cast<size_t>(g.columns) * g.rows;
    // Red first; green and blue are read only when they differ from it, so
    // a grey picture (a decoded pass) is filtered once for all three.
    std::array<std::vector<Quantum>, 3> planes;
    bool grey = true;
    auto read = [&](bool greenAndBlue) {
        for (int y = 0; y < g.rows; ++y) {
            const PixelPacket* p = GetVirtualPixels(image, 0, y, image->columns, 1, exception);
            if (!p)
                return false;
            const size_t at = static_cast<size_t>(y) * g.columns;
            for (int x = 0; x < g.columns; ++x, ++p)
                if (greenAndBlue) {
                    planes[1][at + x] = GetPixelGreen(p);
                    planes[2][at + x] = GetPixelBlue(p);
                } else {
                    planes[0][at + x] = GetPixelRed(p);
                    grey = grey && GetPixelGreen(p) == GetPixelRed(p) && GetPixelBlue(p) == GetPixelRed(p);
                }
        }
        return true;
    };
    planes[0].resize(pixels);
    if (!read(false))
        return nullptr;
    if (!grey) {
        planes[1].resize(pixels);
        planes[2].resize(pixels);
        if (!read(true))
            return nullptr;
    }
    std::vector<RankedChannel> ranked;
    for (int c = 0; c < (grey ? 1 : 3); ++c)
        ranked.push_back(RankChannel(planes[c]));
    if (!FilterChannels(ranked, g, type == NonpeakStatistic, threads, planes)) {
        ThrowMagickException(exception, GetMagickModule(), ResourceLimitError, "MemoryAllocationFailed", "`%s'",
                             image->filename);
        return nullptr;
    }
    const auto& green = planes[grey ? 0 : 1];
    const auto& blue = planes[grey ? 0 : 2];

    // The result as the library makes it: a copy of the picture, opacity and
    // all, turned DirectClass, with new red, green and blue.
    MagickImagePtr result(CloneImage(image, 0, 0, MagickTrue, exception));
    if (!result || SetImageStorageClass(result.get(), DirectClass) == MagickFalse) {
        if (result)
            InheritException(exception, &result->exception);
        return nullptr;
    }
    for (int y = 0; y < g.rows; ++y) {
        PixelPacket* q = GetAuthenticPixels(result.get(), 0, y, result->columns, 1, exception);
        if (!q)
            return nullptr;
        const size_t at = static_cast<size_t>(y) * g.columns;
        for (int x = 0; x < g.columns; ++x) {
            SetPixelRed(q + x, planes[0][at + x]);
            SetPixelGreen(q + x, green[at + x]);
            SetPixelBlue(q + x, blue[at + x]);
        }
        if (SyncAuthenticPixels(result.get(), exception) == MagickFalse)
            return nullptr;
    }
    return result.release();
}

}  // namespace

::Image* FastStatisticImage(const ::Image* image, StatisticType type, size_t width, ExceptionInfo* exception,
                            int threads)
{
    if (!Mirrored(image, type, width))
        return StatisticImage(image, type, width, width, exception);
    try {
        return Filter(image, type, width, exception, threads > 0 ? threads : DefaultThreads());
    } catch (const std::bad_alloc&) {
        ThrowMagickException(exception, GetMagickModule(), ResourceLimitError, "MemoryAllocationFailed", "`%s'",
                             image->filename);
        return nullptr;
    }
}

size_t LargestQuickWidth(size_t columns, size_t rows)
{
    // Each pixel costs two columns of the window plus a fixed part.
    constexpr double kFixedCost = 8;
    const double budget = 2080.0 * 1800.0 * (2 * 51 + kFixedCost);
    const double pixels = std::max(1.0, static_cast<double>(columns) * static_cast<double>(rows));
    const double width = (budget / pixels - kFixedCost) / 2;
    return static_cast<size_t>(std::clamp(width, 3.0, 4096.0));
}
