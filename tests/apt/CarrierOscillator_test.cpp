#include "AptTestHelpers.h"
#include "apt/APT.h"
#include "apt/CarrierOscillator.h"

#include <algorithm>
#include <cmath>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

constexpr double kCentre = 2400.0 / 11025.0;

// The oscillator against std::cos and std::sin of its phase, every sample of
// a 15-minute pass (11025 samples a second), with steps as the carrier loop
// makes them: a frequency wandering over the loop's whole 2350..2450 Hz range
// plus a phase correction of up to 0.005 cycles either way.
TEST(CarrierOscillator, StaysOnTheExactSineAndCosineForAWholePass)
{
    apt::CarrierOscillator oscillator(kCentre);
    double phase = 0.3;
    oscillator.Reset(phase);
    std::mt19937_64 random(3);
    std::uniform_real_distribution<double> unit(-1, 1);
    double frequency = kCentre;
    double worst = 0;
    const long samples = 15L * 60 * 11025;
    for (long n = 0; n < samples; ++n) {
        worst = std::max({worst, std::fabs(oscillator.Cos() - std::cos(phase)),
                          std::fabs(oscillator.Sin() - std::sin(phase))});
        frequency = std::clamp(frequency + 2e-6 * unit(random), 2350.0 / 11025, 2450.0 / 11025);
        const double step = frequency + 0.005 * unit(random);
        phase += 2 * M_PI * step;
        if (phase > M_PI)
            phase -= 2 * M_PI;
        oscillator.Advance(step, phase);
    }
    EXPECT_LT(worst, 1e-13);
}

// Steps far from the centre (no carrier loop makes them) are turned exactly,
// not by the series.
TEST(CarrierOscillator, FarStepsAreTurnedExactly)
{
    apt::CarrierOscillator oscillator(kCentre);
    oscillator.Reset(-1.0);
    double phase = -1.0;
    for (double step : {0.0, 0.5, -0.25, 0.3, kCentre + 0.05, 1e-3}) {
        phase += 2 * M_PI * step;
        oscillator.Advance(step, phase);
        EXPECT_NEAR(oscillator.Cos(), std::cos(phase), 1e-14) << step;
        EXPECT_NEAR(oscillator.Sin(), std::sin(phase), 1e-14) << step;
    }
}

// The engine's oscillator follows a reset of the loop's phase: a second decode
// of the same file by the same engine gives the same rows to the bit.
TEST(CarrierOscillator, EngineDecodesAFileTheSameWayTwice)
{
    aptgen::PassSpec spec;
    spec.lines = 12;
    spec.noise = 0.05;
    spec.carrierOffsetHz = 3;
    const QString path = apttest::WritePass(spec, "twice.wav");
    TAPT apt;
    ASSERT_GT(apttest::DecodeFile(apt, path), 8);
    std::vector<double> first;
    for (int row = 0; row < apt.Lines; ++row)
        first.insert(first.end(), apt.GetLine(row, 0), apt.GetLine(row, 0) + TAPT::kLineWidth);
    ASSERT_GT(apttest::DecodeFile(apt, path), 8);
    std::vector<double> second;
    for (int row = 0; row < apt.Lines; ++row)
        second.insert(second.end(), apt.GetLine(row, 0), apt.GetLine(row, 0) + TAPT::kLineWidth);
    EXPECT_TRUE(first == second);
}

}  // namespace
