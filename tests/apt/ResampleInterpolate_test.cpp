#include "apt/ResampleInterpolate.h"

#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

using Path = double (*)(const double*, double, double);
using PausingPath = double (*)(const double*, double, double, int, apt::ResamplePause, void*);

struct VectorPath {
    const char* name;
    bool available;
    Path sum;
    PausingPath pausing;
};

std::vector<VectorPath> VectorPathsHere()
{
    std::vector<VectorPath> paths;
    for (const VectorPath& p : {VectorPath{"avx2", apt::HaveAvx2(), apt::InterpolateAvx2, apt::InterpolateAvx2},
                                VectorPath{"avx512", apt::HaveAvx512(), apt::InterpolateAvx512,
                                           apt::InterpolateAvx512}})
        if (p.available)
            paths.push_back(p);
    return paths;
}

// The vector paths must give the very bits of the portable one, so that a
// decode does not depend on the processor it runs on.
TEST(ResampleInterpolate, VectorSumsAreBitForBitThePortableSum)
{
    const std::vector<VectorPath> paths = VectorPathsHere();
    if (paths.empty())
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
        for (const VectorPath& path : paths)
            ASSERT_EQ(portable, path.sum(samples.data(), ph, st)) << path.name << " phase " << ph << " step " << st;
    }
    for (int t : tails)
        EXPECT_GT(t, 0) << "every remainder of taps after the blocks of four is tried";
}

// Work done in the pauses of a sum leaves the sum alone, on either path, and
// every pause asked for comes, even more pauses than blocks of taps.
TEST(ResampleInterpolate, PausesComeAsAskedAndLeaveTheSumAlone)
{
    std::mt19937_64 random(5);
    std::uniform_real_distribution<double> sample(-1.5, 1.5);
    std::vector<double> samples(256);
    for (double& s : samples)
        s = sample(random);
    struct Record {
        int calls = 0;
        double scratch = 0;
    };
    const auto pause = [](void* context) {
        auto* record = static_cast<Record*>(context);
        ++record->calls;
        record->scratch = std::sqrt(record->scratch + 2.0);  // floating-point work between the taps
    };
    std::vector<std::pair<const char*, PausingPath>> paths = {{"portable", apt::InterpolatePortable}};
    for (const VectorPath& p : VectorPathsHere())
        paths.emplace_back(p.name, p.pausing);
    for (const auto& [name, path] : paths) {
        for (int pauses : {0, 1, 2, 3, 7, 40}) {
            for (double phase : {-1e-12, 0.0, 3.3, 9.99}) {
                Record record;
                const double step = 3.77;
                const double sum = path(samples.data(), phase, step, pauses, pause, &record);
                EXPECT_EQ(sum, apt::InterpolatePortable(samples.data(), phase, step)) << name << " " << pauses;
                EXPECT_EQ(record.calls, pauses) << name;
            }
        }
    }
}

}  // namespace
