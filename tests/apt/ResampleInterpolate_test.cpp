#include "apt/ResampleInterpolate.h"

#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

// The vector path must give the very bits of the portable one, so that a
// decode does not depend on the processor it runs on.
TEST(ResampleInterpolate, Avx2SumIsBitForBitThePortableSum)
{
    if (!apt::HaveAvx2())
        GTEST_SKIP() << "this processor has no AVX2";
    std::mt19937_64 random(7);
    std::uniform_real_distribution<double> sample(-1.5, 1.5);
    // Steps of the loop's whole frequency range with line-rate corrections,
    // phases across a word, and a phase just below 0 (entries 0 and 1 with a
    // negative fraction).
    std::uniform_real_distribution<double> step(3.64, 3.93);
    std::uniform_real_distribution<double> phase(0, 10);
    std::vector<double> samples(256);
    int tails[4] = {};
    for (int trial = 0; trial < 20000; ++trial) {
        for (double& s : samples)
            s = sample(random);
        const double st = step(random);
        const double ph = trial % 50 == 0 ? -1e-12 : phase(random);
        ++tails[apt::ResampleTapCount(ph, st) % 4];
        const double portable = apt::InterpolatePortable(samples.data(), ph, st);
        const double avx2 = apt::InterpolateAvx2(samples.data(), ph, st);
        ASSERT_EQ(portable, avx2) << "phase " << ph << " step " << st;
    }
    for (int t : tails)
        EXPECT_GT(t, 0) << "every remainder of taps after the blocks of four is tried";
}

}  // namespace
