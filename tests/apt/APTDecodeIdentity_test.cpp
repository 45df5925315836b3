// The decoder's fast paths: the rows of a generated pass stay those recorded
// below, the phase detector gives the library's atan2 within 1e-15 rad, one
// step of the carrier loop gives what the loop with the library's atan2 gives
// from the same state, and the resampler that demodulates the next samples
// while it sums a word gives what a refill before the word gave.
#include "AptTestHelpers.h"
#include "apt/APT.h"
#include "apt/ResampleInterpolate.h"

#include <algorithm>
#include <cmath>
#include <cstdint>
#include <cstring>
#include <gtest/gtest.h>
#include <random>
#include <vector>

namespace {

std::uint64_t Fnv1a(const void* data, size_t bytes, std::uint64_t hash)
{
    const auto* p = static_cast<const unsigned char*>(data);
    for (size_t k = 0; k < bytes; ++k)
        hash = (hash ^ p[k]) * 0x100000001b3ULL;
    return hash;
}

// A pass that drives every branch of the loop: noise, a carrier off by 25 Hz
// and drifting, a sound card clock error, a fade and a drop-out.
aptgen::PassSpec HardPass()
{
    aptgen::PassSpec spec;
    spec.lines = 60;
    spec.noise = 0.3;
    spec.carrierOffsetHz = 25;
    spec.carrierDriftHzPerSecond = 0.5;
    spec.sampleRateError = 2e-4;
    spec.leadInWords = 555;
    spec.fades = {{6, 9, 0}, {14, 17, 0.3}};
    spec.seed = 11;
    return spec;
}

// Recorded from the decoder once its carrier loop had its own arctangent. The
// rows of the loop with the library's atan2 differed from these by at most
// 5e-10 grey levels: about what a change of the starting frequency by its
// last bit alone makes.
constexpr std::uint64_t kOldRowsHash = 0x993a8b6c06f458e4ULL;

TEST(APTDecodeIdentity, RowsOfAHardPassAreThoseOfTheDecoderBefore)
{
    const QString path = apttest::WritePass(HardPass(), "identity.wav");
    TAPT apt;
    ASSERT_GT(apttest::DecodeFile(apt, path), 50);
    std::uint64_t hash = 0xcbf29ce484222325ULL;
    for (int row = 0; row < apt.Lines; ++row)
        hash = Fnv1a(apt.GetLine(row, 0), sizeof(double) * TAPT::kLineWidth, hash);
    EXPECT_EQ(hash, kOldRowsHash) << "rows " << apt.Lines;
}

double LibraryPhaseAngle(double q, double i)
{
    return (q == 0 && i == 0) ? 1.0 : (q == 0 && i < 0) ? M_PI : std::atan2(q, i);
}

TEST(APTDecodeIdentity, PhaseAngleIsTheLibraryAtan2)
{
    constexpr double kTolerance = 1e-15;  // rad
    const double tanEighth = std::tan(M_PI / 8), tiny = 4.9e-324, big = 1e300;
    struct Case { const char* name; double q, i; };
    const Case cases[] = {
        {"origin", 0.0, 0.0},          {"negative zero, behind", -0.0, -2.0}, {"zero, behind", 0.0, -2.0},
        {"zero ahead", 0.0, 3.0},      {"up", 1.0, 0.0},                     {"down", -1.0, -0.0},
        {"diagonal", 1.0, 1.0},        {"diagonal behind", -1.0, -1.0},      {"subnormal ratio", tiny, 1.0},
        {"subnormals", tiny, 3 * tiny}, {"subnormal behind", -tiny, -1.0},   {"huge", big, 0.9 * big},
        {"huge behind", -big, -big},   {"octant edge", tanEighth, 1.0},
        {"just past the edge", std::nextafter(tanEighth, 1.0), 1.0},
        {"just inside the edge", std::nextafter(tanEighth, 0.0), 1.0},
    };
    for (const Case& c : cases)
        EXPECT_NEAR(TAPT::PhaseAngle(c.q, c.i), LibraryPhaseAngle(c.q, c.i), kTolerance) << c.name;
    std::mt19937_64 random(9);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int n = 0; n < 4000000; ++n) {
        double q = unit(random), i = unit(random);
        // Near lock q is tiny beside i; away from it anything goes, at any scale.
        if (n % 3 == 0)
            q *= 1e-4;
        if (n % 5 == 0) {
            q = std::ldexp(q, -(n % 1070));
            i = std::ldexp(i, -(n % 1070));
        }
        if (n % 7 == 0)
            i = 0;
        if (n % 11 == 0)
            q = -0.0;
        if (n % 13 == 0)
            q = std::copysign(std::fabs(i) * tanEighth * (1 + unit(random) * 1e-12), q);
        ASSERT_NEAR(TAPT::PhaseAngle(q, i), LibraryPhaseAngle(q, i), kTolerance) << q << " " << i;
    }
}

// The carrier loop's step as it was with the library's atan2, on a copy of
// the engine's loop state.
struct LoopState {
    double frequency, phase;
    apt::CarrierOscillator carrier;
    TAPT::LowPassState i, q;
};

double ReferenceStep(LoopState& s, double x)
{
    if (s.carrier.Phase() != s.phase)
        s.carrier.Reset(s.phase);
    const double i = x * s.carrier.Cos();
    const double q = x * s.carrier.Sin();
    const double iFiltered = TAPT::LowPass(i, s.i);
    const double qFiltered = TAPT::LowPass(q, s.q);
    const double error = -LibraryPhaseAngle(qFiltered, iFiltered) * (1 / M_PI);
    const double step = s.frequency + 0.005 * error;
    s.frequency = std::clamp(s.frequency + 3e-6 * error, 2350.0 / 11025.0, 2450.0 / 11025.0);
    s.phase += 2 * M_PI * step;
    s.phase = s.phase > M_PI ? s.phase - 2 * M_PI : s.phase;
    s.phase = s.phase > -M_PI ? s.phase : s.phase + 2 * M_PI;
    s.carrier.Advance(step, s.phase);
    return i;
}

TEST(APTDecodeIdentity, EachLoopStepIsTheStepWithTheLibraryAtan2)
{
    // Every sample of a hard pass, through lock, fades and the drop-out.
    const std::vector<double> samples = aptgen::Synthesize(HardPass());
    TAPT apt;
    ASSERT_TRUE(apt.Init("", 0));
    for (size_t n = 0; n < samples.size(); ++n) {
        LoopState ref{apt.Frequency, apt.CarrierPhase, apt.Carrier, apt.FilterI, apt.FilterQ};
        const double out = apt.DemodulateSample(samples[n]);
        ASSERT_EQ(out, ReferenceStep(ref, samples[n])) << "sample " << n;
        ASSERT_NEAR(apt.Frequency, ref.frequency, 1e-18) << "sample " << n;
        ASSERT_NEAR(apt.CarrierPhase, ref.phase, 1e-15) << "sample " << n;
        ASSERT_NEAR(apt.Carrier.Cos(), ref.carrier.Cos(), 1e-15) << "sample " << n;
        ASSERT_NEAR(apt.Carrier.Sin(), ref.carrier.Sin(), 1e-15) << "sample " << n;
        // The last bits of the filters' values, or of their inputs (up to
        // 3e-4) where the new input cancels the older terms.
        ASSERT_NEAR(apt.FilterI.y[0], ref.i.y[0], 1e-15 * (std::fabs(ref.i.y[0]) + 1e-3)) << "sample " << n;
        ASSERT_NEAR(apt.FilterQ.y[0], ref.q.y[0], 1e-15 * (std::fabs(ref.q.y[0]) + 1e-3)) << "sample " << n;
    }
    EXPECT_GT(samples.size(), 300000u);
}

// The resampler as it was: refill the window, then sum the word.
int RefillThenSum(TAPT& apt, double* out, int count)
{
    double* window = apt.SampleWindow.get();
    for (int k = 0; k < count; ++k) {
        if (apt.WindowFill < TAPT::kWindowSamples) {
            if (apt.WindowPos + TAPT::kWindowSamples > TAPT::kWindowCapacity) {
                std::memmove(window, window + apt.WindowPos, sizeof(double) * apt.WindowFill);
                apt.WindowPos = 0;
            }
            apt.WindowFill +=
                apt.GetSamples(window + apt.WindowPos + apt.WindowFill, TAPT::kWindowSamples - apt.WindowFill);
            if (apt.WindowFill < TAPT::kWindowSamples)
                return k;
        }
        const double step = apt.SmoothedFrequency * 41600.0 / 2400.0 * apt.LineRate;
        out[k] = apt::Interpolate(window + apt.WindowPos, apt.FirPhase, step) * step * 512;
        const int d = static_cast<int>((10 - apt.FirPhase + step - 1) / step);
        apt.FirPhase = apt.FirPhase + d * step - 10;
        apt.WindowPos += d;
        apt.WindowFill -= d;
    }
    return count;
}

TEST(APTDecodeIdentity, OverlappedResamplerGivesTheRefilledWords)
{
    // A live buffer that ends inside a word, read in uneven requests with a
    // line-rate correction changing between them.
    aptgen::PassSpec spec = HardPass();
    spec.lines = 8;
    const std::vector<double> samples = aptgen::Synthesize(spec);
    std::vector<unsigned char> buffer(samples.size());
    for (size_t n = 0; n < samples.size(); ++n)
        buffer[n] = static_cast<unsigned char>(std::lround(std::clamp(samples[n] * 127 + 128, 0.0, 255.0)));
    TAPT fast, old;
    for (TAPT* apt : {&fast, &old}) {
        ASSERT_TRUE(apt->Init("", 0));
        apt->WaveHeader.Data = buffer.data();
        apt->WaveHeader.BufferLength = static_cast<std::uint32_t>(buffer.size());
    }
    std::vector<double> a(3000), b(3000);
    int words = 0;
    for (int request = 0;; ++request) {
        const int count = 500 + 97 * (request % 13);
        const double rate = 1 + 1e-3 * std::sin(request);
        fast.LineRate = old.LineRate = rate;
        const int gotFast = fast.GetPixels(a.data(), count);
        const int gotOld = RefillThenSum(old, b.data(), count);
        ASSERT_EQ(gotFast, gotOld) << "request " << request;
        ASSERT_EQ(std::memcmp(a.data(), b.data(), sizeof(double) * gotFast), 0) << "request " << request;
        words += gotFast;
        if (gotFast < count)
            break;
    }
    EXPECT_GT(words, 8 * 2080 - 100) << "the whole buffer was read";
}

}  // namespace
