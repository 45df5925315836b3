#pragma once
// The resampler's interpolation kernel: the impulse response of a low-pass
// filter sampled at ten times the APT word rate (one kernel unit is 1/41600 s),
// symmetric about entry 227, summing to 0.99973. Pass band flat to 1.9 kHz,
// half power at 2080 Hz (half the word rate), at least 39 dB down from 2400 Hz.
namespace apt {

inline constexpr int kResampleKernelTaps = 455;
extern const double kResampleKernel[kResampleKernelTaps];

}  // namespace apt
