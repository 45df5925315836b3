#include "apt/LineArena.h"

#include <cstdint>
#include <new>
#include <sys/mman.h>

namespace apt {

namespace {

constexpr size_t kBlockBytes = size_t(2) << 20;  // one huge page on x86-64

// A zeroed block of kBlockBytes on a kBlockBytes boundary, as the kernel needs
// it to back the block with one huge page; null on no memory.
void* MapBlock()
{
    // mmap only promises a page boundary: twice the size is mapped and the
    // ends beyond the aligned block are given back.
    const size_t mapped = 2 * kBlockBytes;
    void* area = mmap(nullptr, mapped, PROT_READ | PROT_WRITE, MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
    if (area == MAP_FAILED)
        return nullptr;
    const auto base = reinterpret_cast<std::uintptr_t>(area);
    const std::uintptr_t start = (base + kBlockBytes - 1) & ~std::uintptr_t(kBlockBytes - 1);
    if (start > base)
        munmap(area, start - base);
    if (const size_t tail = base + mapped - (start + kBlockBytes))
        munmap(reinterpret_cast<void*>(start + kBlockBytes), tail);
    // Only advice: where the system has no huge page free, the block is
    // backed by ordinary pages like any other memory.
    madvise(reinterpret_cast<void*>(start), kBlockBytes, MADV_HUGEPAGE);
    return reinterpret_cast<void*>(start);
}

}  // namespace

LineArena::LineArena(size_t lineDoubles) : lineBytes_(lineDoubles * sizeof(double)) {}

LineArena::~LineArena()
{
    Release();
}

LinePtr LineArena::Allocate()
{
    if (blocks_.empty() || used_ + lineBytes_ > kBlockBytes) {
        void* start = MapBlock();
        if (!start)
            return nullptr;
        try {
            blocks_.push_back(start);
        } catch (const std::bad_alloc&) {
            munmap(start, kBlockBytes);
            return nullptr;
        }
        used_ = 0;
    }
    auto* line = reinterpret_cast<double*>(static_cast<char*>(blocks_.back()) + used_);
    used_ += lineBytes_;
    ++live_;
    return LinePtr(line, LineDeleter(this));
}

void LineArena::Return()
{
    if (--live_ == 0)
        Release();
}

void LineArena::Release()
{
    for (void* block : blocks_)
        munmap(block, kBlockBytes);
    blocks_.clear();
    used_ = 0;
}

}  // namespace apt
