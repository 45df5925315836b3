#include "platform/TickCount.h"

#include <chrono>
#include <memory>
#include <mutex>

namespace systime {

namespace {
std::mutex tickMutex;
std::shared_ptr<const TTickSource> tickSource;  // guarded by tickMutex; null: the steady clock
}  // namespace

std::uint32_t TickCount()
{
    std::shared_ptr<const TTickSource> source;
    {
        std::lock_guard lock(tickMutex);
        source = tickSource;
    }
    if (source)
        return (*source)();
    const auto ms = std::chrono::duration_cast<std::chrono::milliseconds>(
        std::chrono::steady_clock::now().time_since_epoch());
    return static_cast<std::uint32_t>(ms.count());
}

void SetTickSource(TTickSource source)
{
    auto made = source ? std::make_shared<const TTickSource>(std::move(source)) : nullptr;
    std::lock_guard lock(tickMutex);
    tickSource = std::move(made);
}

}  // namespace systime
