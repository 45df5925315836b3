#pragma once
// What the simulated sky sends for each pass: a generated APT signal of 128
// lines (one telemetry frame, 64 s, a whole number of carrier cycles) that
// repeats seamlessly for as long as the pass lasts, with the pass number
// written into video A as eight bars (bit 7 first: bright 1, dark 0); or,
// for a pass whose audio is pure noise, noise without any carrier.
#include <cstdint>
#include <vector>

namespace soak {

constexpr int kSampleRate = 11025;

// 8-bit unsigned samples, the recorder's format.
std::vector<std::uint8_t> PassLoop(int passNumber);
std::vector<std::uint8_t> NoiseLoop();

}  // namespace soak
