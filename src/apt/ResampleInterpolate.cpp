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

namespace {

// Two kernel pairs in one register, the first in the low half.
__attribute__((target("avx2"))) inline __m256d TwoPairs(int first, int second)
{
    return _mm256_insertf128_pd(_mm256_castpd128_pd256(_mm_load_pd(&kPairs.p[first].entry)),
                                _mm_load_pd(&kPairs.p[second].entry), 1);
}

// The products of four taps, lane j holding tap index[j]. "avx2" alone, not
// "fma": a fused multiply-add would round differently from the portable sum.
__attribute__((target("avx2"))) inline __m256d Products4(__m256d index, __m256d phases, __m256d steps,
                                                         const double* samples)
{
    const __m256d b = _mm256_add_pd(phases, _mm256_mul_pd(index, steps));
    const __m128i k = _mm256_cvttpd_epi32(b);  // toward zero, as the portable cast
    const __m256d f = _mm256_sub_pd(b, _mm256_cvtepi32_pd(k));
    // Four pairs loaded whole and transposed: cheaper than two gathers.
    const __m256d even = TwoPairs(_mm_cvtsi128_si32(k), _mm_extract_epi32(k, 2));
    const __m256d odd = TwoPairs(_mm_extract_epi32(k, 1), _mm_extract_epi32(k, 3));
    const __m256d entry = _mm256_unpacklo_pd(even, odd);
    const __m256d slope = _mm256_unpackhi_pd(even, odd);
    const __m256d weight = _mm256_add_pd(entry, _mm256_mul_pd(f, slope));
    return _mm256_mul_pd(weight, _mm256_loadu_pd(samples));
}

// The same for eight taps. The indices go through memory: on the processors
// that have AVX-512 that is cheaper than extracting them one by one, and
// cheaper than gathering entries and slopes.
__attribute__((target("avx512f"))) inline __m512d Products8(__m512d index, __m512d phases, __m512d steps,
                                                            const double* samples)
{
    const __m512d b = _mm512_add_pd(phases, _mm512_mul_pd(index, steps));
    const __m256i k = _mm512_cvttpd_epi32(b);
    const __m512d f = _mm512_sub_pd(b, _mm512_cvtepi32_pd(k));
    alignas(32) int at[8];
    _mm256_store_si256(reinterpret_cast<__m256i*>(at), k);
    const __m512d even = _mm512_insertf64x4(_mm512_castpd256_pd512(TwoPairs(at[0], at[2])), TwoPairs(at[4], at[6]), 1);
    const __m512d odd = _mm512_insertf64x4(_mm512_castpd256_pd512(TwoPairs(at[1], at[3])), TwoPairs(at[5], at[7]), 1);
    const __m512d entry = _mm512_unpacklo_pd(even, odd);
    const __m512d slope = _mm512_unpackhi_pd(even, odd);
    const __m512d weight = _mm512_add_pd(entry, _mm512_mul_pd(f, slope));
    return _mm512_mul_pd(weight, _mm512_loadu_pd(samples));
}

// The taps after the last whole block of four, into partial sum 0.
double SumTail(const double* samples, double phase, double step, int taps, double (&s)[4])
{
    for (int i = taps / 4 * 4; i < taps; ++i) {
        const double b = phase + i * step;
        const int k = static_cast<int>(b);
        const double f = b - k;
        s[0] += (kPairs.p[k].entry + f * kPairs.p[k].slope) * samples[i];
    }
    return (s[0] + s[1]) + (s[2] + s[3]);
}

}  // namespace

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
            sums = _mm256_add_pd(sums, Products4(index, phases, steps, samples + 4 * block));
            index = _mm256_add_pd(index, four);
        }
        if (p < pauses)
            pause(context);
    }
    alignas(32) double s[4];
    _mm256_store_pd(s, sums);
    return SumTail(samples, phase, step, taps, s);
}

// Two blocks of four a step. The products of the first block are added to
// the partial sums before those of the second, so the sums are the four-lane
// path's to the bit.
__attribute__((target("avx512f"))) double InterpolateAvx512(const double* samples, double phase, double step,
                                                          int pauses, ResamplePause pause, void* context)
{
    const int taps = ResampleTapCount(phase, step);
    const int blocks = taps / 4;
    const __m512d phases = _mm512_set1_pd(phase);
    const __m512d steps = _mm512_set1_pd(step);
    __m512d index = _mm512_setr_pd(0, 1, 2, 3, 4, 5, 6, 7);
    __m256d sums = _mm256_setzero_pd();
    int block = 0;
    for (int p = 0; p <= pauses; ++p) {
        const int end = p < pauses ? PauseAfter(blocks, p, pauses) : blocks;
        for (; block + 2 <= end; block += 2) {
            const __m512d products = Products8(index, phases, steps, samples + 4 * block);
            sums = _mm256_add_pd(sums, _mm512_castpd512_pd256(products));
            sums = _mm256_add_pd(sums, _mm512_extractf64x4_pd(products, 1));
            index = _mm512_add_pd(index, _mm512_set1_pd(8));
        }
        if (block < end) {
            // A lone block before a pause: its four taps alone, since lanes
            // beyond the last tap would read past the kernel.
            sums = _mm256_add_pd(sums, Products4(_mm512_castpd512_pd256(index), _mm512_castpd512_pd256(phases),
                                                 _mm512_castpd512_pd256(steps), samples + 4 * block));
            index = _mm512_add_pd(index, _mm512_set1_pd(4));
            ++block;
        }
        if (p < pauses)
            pause(context);
    }
    alignas(32) double s[4];
    _mm256_store_pd(s, sums);
    return SumTail(samples, phase, step, taps, s);
}

__attribute__((target("avx512f"))) double InterpolateAvx512(const double* samples, double phase, double step)
{
    return InterpolateAvx512(samples, phase, step, 0, nullptr, nullptr);
}

bool HaveAvx512()
{
    static const bool have = __builtin_cpu_supports("avx512f");
    return have;
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

double InterpolateAvx512(const double* samples, double phase, double step, int pauses, ResamplePause pause,
                         void* context)
{
    return InterpolatePortable(samples, phase, step, pauses, pause, context);
}

double InterpolateAvx512(const double* samples, double phase, double step)
{
    return InterpolatePortable(samples, phase, step);
}

bool HaveAvx2()
{
    return false;
}

bool HaveAvx512()
{
    return false;
}

#endif

double Interpolate(const double* samples, double phase, double step)
{
    if (HaveAvx512())
        return InterpolateAvx512(samples, phase, step);
    return HaveAvx2() ? InterpolateAvx2(samples, phase, step) : InterpolatePortable(samples, phase, step);
}

double Interpolate(const double* samples, double phase, double step, int pauses, ResamplePause pause,
                   void* context)
{
    if (HaveAvx512())
        return InterpolateAvx512(samples, phase, step, pauses, pause, context);
    return HaveAvx2() ? InterpolateAvx2(samples, phase, step, pauses, pause, context)
                      : InterpolatePortable(samples, phase, step, pauses, pause, context);
}

}  // namespace apt
