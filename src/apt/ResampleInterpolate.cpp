#include "apt/ResampleInterpolate.h"
#include "apt/ResampleKernel.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define APT_HAVE_AVX2_PATH 1
#include <immintrin.h>
#endif

namespace apt {

namespace {

// Each kernel entry beside its difference to the next one, so that one
// interpolated tap costs one multiply-add more than a plain tap and reads
// both from one 16-byte load.
struct KernelPair {
    double entry, slope;
};
struct KernelPairs {
    alignas(64) KernelPair p[kResampleKernelTaps];
    KernelPairs()
    {
        for (int k = 0; k < kResampleKernelTaps; ++k) {
            p[k].entry = kResampleKernel[k];
            p[k].slope = k + 1 < kResampleKernelTaps ? kResampleKernel[k + 1] - kResampleKernel[k] : 0;
        }
    }
};
const KernelPairs kPairs;

constexpr double kLastEntry = kResampleKernelTaps - 1;

}  // namespace

int ResampleTapCount(double phase, double step)
{
    // Taps i = 0, 1, ... while phase + i step < 454.
    int taps = static_cast<int>((kLastEntry - phase) / step);
    while (taps > 0 && phase + (taps - 1) * step >= kLastEntry)
        --taps;
    while (phase + taps * step < kLastEntry)
        ++taps;
    return taps;
}

namespace {

// The number of blocks of four taps before pause k of pauses: evenly spread,
// the first one before the first block, so that the work of the last pause
// still has blocks to run beside.
int PauseAfter(int blocks, int k, int pauses)
{
    return blocks * (k + 1) / pauses;
}

}  // namespace

double InterpolatePortable(const double* samples, double phase, double step, int pauses, ResamplePause pause,
                           void* context)
{
    const int taps = ResampleTapCount(phase, step);
    // Each position is computed from i rather than accumulated, so the taps
    // do not wait on one another.
    auto tap = [&](int i) {
        const double b = phase + i * step;
        // Truncation toward zero: a phase just below 0 uses entries 0 and 1
        // with a small negative fraction.
        const int k = static_cast<int>(b);
        const double f = b - k;
        return (kPairs.p[k].entry + f * kPairs.p[k].slope) * samples[i];
    };
    const int blocks = taps / 4;
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    int block = 0;
    for (int p = 0; p < pauses; ++p) {
        for (const int end = PauseAfter(blocks, p, pauses); block < end; ++block) {
            const int i = 4 * block;
            s0 += tap(i);
            s1 += tap(i + 1);
            s2 += tap(i + 2);
            s3 += tap(i + 3);
        }
        pause(context);
    }
    for (; block < blocks; ++block) {
        const int i = 4 * block;
        s0 += tap(i);
        s1 += tap(i + 1);
        s2 += tap(i + 2);
        s3 += tap(i + 3);
    }
    for (int i = 4 * blocks; i < taps; ++i)
        s0 += tap(i);
    return (s0 + s1) + (s2 + s3);
}

double InterpolatePortable(const double* samples, double phase, double step)
{
    return InterpolatePortable(samples, phase, step, 0, nullptr, nullptr);
}

#ifdef APT_HAVE_AVX2_PATH

// "avx2" alone, not "fma": a fused multiply-add would round differently from
// the portable sum.
__attribute__((target("avx2"))) double InterpolateAvx2(const double* samples, double phase, double step, int pauses,
                                                      ResamplePause pause, void* context)
{
    const int taps = ResampleTapCount(phase, step);
    const int blocks = taps / 4;
    const __m256d phases = _mm256_set1_pd(phase);
    const __m256d steps = _mm256_set1_pd(step);
    const __m256d four = _mm256_set1_pd(4);
    __m256d index = _mm256_setr_pd(0, 1, 2, 3);  // lane j holds tap i + j
    __m256d sums = _mm256_setzero_pd();          // lane j is partial sum j
    int block = 0;
    for (int p = 0; p <= pauses; ++p) {
        for (const int end = p < pauses ? PauseAfter(blocks, p, pauses) : blocks; block < end; ++block) {
            const __m256d b = _mm256_add_pd(phases, _mm256_mul_pd(index, steps));
            const __m128i k = _mm256_cvttpd_epi32(b);  // toward zero, as the portable cast
            const __m256d f = _mm256_sub_pd(b, _mm256_cvtepi32_pd(k));
            // Four pairs loaded whole and transposed: cheaper than two gathers.
            const double* p0 = &kPairs.p[_mm_cvtsi128_si32(k)].entry;
            const double* p1 = &kPairs.p[_mm_extract_epi32(k, 1)].entry;
            const double* p2 = &kPairs.p[_mm_extract_epi32(k, 2)].entry;
            const double* p3 = &kPairs.p[_mm_extract_epi32(k, 3)].entry;
            const __m256d even =
                _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(p0)), _mm_load_pd(p2), 1);
            const __m256d odd = _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(p1)), _mm_load_pd(p3), 1);
            const __m256d entry = _mm256_unpacklo_pd(even, odd);
            const __m256d slope = _mm256_unpackhi_pd(even, odd);
            const __m256d weight = _mm256_add_pd(entry, _mm256_mul_pd(f, slope));
            sums = _mm256_add_pd(sums, _mm256_mul_pd(weight, _mm256_loadu_pd(samples + 4 * block)));
            index = _mm256_add_pd(index, four);
        }
        if (p < pauses)
            pause(context);
    }
    alignas(32) double s[4];
    _mm256_store_pd(s, sums);
    for (int i = 4 * blocks; i < taps; ++i) {
        const double b = phase + i * step;
        const int k = static_cast<int>(b);
        const double f = b - k;
        s[0] += (kPairs.p[k].entry + f * kPairs.p[k].slope) * samples[i];
    }
    return (s[0] + s[1]) + (s[2] + s[3]);
}

__attribute__((target("avx2"))) double InterpolateAvx2(const double* samples, double phase, double step)
{
    return InterpolateAvx2(samples, phase, step, 0, nullptr, nullptr);
}

bool HaveAvx2()
{
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}

#else

double InterpolateAvx2(const double* samples, double phase, double step, int pauses, ResamplePause pause,
                       void* context)
{
    return InterpolatePortable(samples, phase, step, pauses, pause, context);
}

double InterpolateAvx2(const double* samples, double phase, double step)
{
    return InterpolatePortable(samples, phase, step);
}

bool HaveAvx2()
{
    return false;
}

#endif

double Interpolate(const double* samples, double phase, double step)
{
    return HaveAvx2() ? InterpolateAvx2(samples, phase, step) : InterpolatePortable(samples, phase, step);
}

double Interpolate(const double* samples, double phase, double step, int pauses, ResamplePause pause,
                   void* context)
{
    return HaveAvx2() ? InterpolateAvx2(samples, phase, step, pauses, pause, context)
                      : InterpolatePortable(samples, phase, step, pauses, pause, context);
}

}  // namespace apt
