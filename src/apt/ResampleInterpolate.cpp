#include "apt/ResampleInterpolate.h"
#include "apt/ResampleKernel.h"

#if defined(__x86_64__) && (defined(__GNUC__) || defined(__clang__))
#define APT_HAVE_AVX2_PATH 1
#include <immintrin.h>
#endif

namespace apt {

namespace {

// Differences of neighbouring kernel entries, so that one interpolated tap
// costs one multiply-add more than a plain tap.
struct KernelSlopes {
    double d[kResampleKernelTaps];
    KernelSlopes()
    {
        for (int k = 0; k + 1 < kResampleKernelTaps; ++k)
            d[k] = kResampleKernel[k + 1] - kResampleKernel[k];
        d[kResampleKernelTaps - 1] = 0;
    }
};
const KernelSlopes kSlopes;

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

double InterpolatePortable(const double* samples, double phase, double step)
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
        return (kResampleKernel[k] + f * kSlopes.d[k]) * samples[i];
    };
    double s0 = 0, s1 = 0, s2 = 0, s3 = 0;
    int i = 0;
    for (; i + 4 <= taps; i += 4) {
        s0 += tap(i);
        s1 += tap(i + 1);
        s2 += tap(i + 2);
        s3 += tap(i + 3);
    }
    for (; i < taps; ++i)
        s0 += tap(i);
    return (s0 + s1) + (s2 + s3);
}

#ifdef APT_HAVE_AVX2_PATH

// "avx2" alone, not "fma": a fused multiply-add would round differently from
// the portable sum.
__attribute__((target("avx2"))) double InterpolateAvx2(const double* samples, double phase, double step)
{
    const int taps = ResampleTapCount(phase, step);
    const __m256d phases = _mm256_set1_pd(phase);
    const __m256d steps = _mm256_set1_pd(step);
    const __m256d four = _mm256_set1_pd(4);
    __m256d index = _mm256_setr_pd(0, 1, 2, 3);  // lane j holds tap i + j
    __m256d sums = _mm256_setzero_pd();          // lane j is partial sum j
    // The masked gather with an explicit source: the plain one leaves its
    // source undefined, which compilers warn about.
    const __m256d zero = _mm256_setzero_pd();
    const __m256d all = _mm256_castsi256_pd(_mm256_set1_epi64x(-1));
    int i = 0;
    for (; i + 4 <= taps; i += 4) {
        const __m256d b = _mm256_add_pd(phases, _mm256_mul_pd(index, steps));
        const __m128i k = _mm256_cvttpd_epi32(b);  // toward zero, as the portable cast
        const __m256d f = _mm256_sub_pd(b, _mm256_cvtepi32_pd(k));
        const __m256d entry = _mm256_mask_i32gather_pd(zero, kResampleKernel, k, all, sizeof(double));
        const __m256d slope = _mm256_mask_i32gather_pd(zero, kSlopes.d, k, all, sizeof(double));
        const __m256d weight = _mm256_add_pd(entry, _mm256_mul_pd(f, slope));
        sums = _mm256_add_pd(sums, _mm256_mul_pd(weight, _mm256_loadu_pd(samples + i)));
        index = _mm256_add_pd(index, four);
    }
    alignas(32) double s[4];
    _mm256_store_pd(s, sums);
    for (; i < taps; ++i) {
        const double b = phase + i * step;
        const int k = static_cast<int>(b);
        const double f = b - k;
        s[0] += (kResampleKernel[k] + f * kSlopes.d[k]) * samples[i];
    }
    return (s[0] + s[1]) + (s[2] + s[3]);
}

bool HaveAvx2()
{
    static const bool have = __builtin_cpu_supports("avx2");
    return have;
}

#else

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

}  // namespace apt
