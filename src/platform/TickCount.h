#pragma once
// The millisecond tick counter of periodic work: a steady clock, cut to 32
// bits so that it wraps every 49.7 days. Callers take differences in 32-bit
// unsigned arithmetic (now - stamp), which stays right across the wrap.
#include <cstdint>
#include <functional>

namespace systime {

std::uint32_t TickCount();

// Replaces the counter (tests step it by hand); an empty source brings the
// steady clock back. Any thread may read it meanwhile.
using TTickSource = std::function<std::uint32_t()>;
void SetTickSource(TTickSource source);

}  // namespace systime
