#pragma once
// Memory for the decoded lines of one pass: blocks of 2 MB, each asked of the
// system as one huge page, cut into lines. A 15-minute pass is 1800 lines of
// 17 KB; taken one by one from the heap, its 31 MB come as about 7600 page
// faults, which on a virtual machine cost as much as a quarter of the decode.
// The blocks come zeroed from the system and go back to it when the arena's
// last line is freed.
#include <cstddef>
#include <memory>
#include <vector>

namespace apt {

class LineArena;

// Frees a line: one of an arena is returned to it, any other is a heap array.
// The default deleter converts to it, so heap lines keep their old type.
struct LineDeleter {
    LineArena* arena = nullptr;

    LineDeleter() = default;
    explicit LineDeleter(LineArena* owner) : arena(owner) {}
    LineDeleter(std::default_delete<double[]>) {}
    void operator()(double* line) const;
};
using LinePtr = std::unique_ptr<double[], LineDeleter>;

class LineArena {
public:
    // lineDoubles: the length of every line handed out, at most 2 MB.
    explicit LineArena(size_t lineDoubles);
    // Every line handed out must have been freed before.
    ~LineArena();
    LineArena(const LineArena&) = delete;
    LineArena& operator=(const LineArena&) = delete;

    // A zeroed line; null on no memory.
    LinePtr Allocate();

private:
    friend struct LineDeleter;
    void Return();
    void Release();

    size_t lineBytes_;
    std::vector<void*> blocks_;
    size_t used_ = 0;  // bytes handed out of the newest block
    size_t live_ = 0;  // lines handed out and not yet returned
};

inline void LineDeleter::operator()(double* line) const
{
    if (arena)
        arena->Return();
    else
        delete[] line;
}

}  // namespace apt
