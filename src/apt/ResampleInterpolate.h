#pragma once
// One output word of the resampler: the kernel, read at phase, phase + step,
// phase + 2 step, ... (linearly between its entries) up to its last entry,
// weighted against samples[0], samples[1], ...
//
// The taps are summed in four interleaved partial sums (tap i into sum i % 4),
// added as (s0 + s1) + (s2 + s3). Every implementation keeps that order and
// uses no fused multiply-add, so all of them give the same bits.
namespace apt {

// The number of taps for a start phase and a step (kernel units per sample).
int ResampleTapCount(double phase, double step);

using ResamplePause = void (*)(void* context);

double InterpolatePortable(const double* samples, double phase, double step);
// The same sum four taps at a time with AVX2, or eight with AVX-512; only on
// processors that have them.
double InterpolateAvx2(const double* samples, double phase, double step);
double InterpolateAvx512(const double* samples, double phase, double step);
bool HaveAvx2();
bool HaveAvx512();

// The fastest of the above this processor runs.
double Interpolate(const double* samples, double phase, double step);

// The same sum, calling pause(context) `pauses` times spread between its taps.
// The carrier loop waits on each of its own results and leaves most of the
// processor idle while it waits: its next samples, demodulated from inside
// this sum, run alongside the taps instead of before them. The pauses change
// nothing in the sum.
double InterpolatePortable(const double* samples, double phase, double step, int pauses, ResamplePause pause,
                           void* context);
double InterpolateAvx2(const double* samples, double phase, double step, int pauses, ResamplePause pause,
                       void* context);
double InterpolateAvx512(const double* samples, double phase, double step, int pauses, ResamplePause pause,
                         void* context);
double Interpolate(const double* samples, double phase, double step, int pauses, ResamplePause pause,
                   void* context);

}  // namespace apt
