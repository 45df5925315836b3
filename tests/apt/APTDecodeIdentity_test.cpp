// The decoder's fast paths change no bit of what it decodes: the rows of a
// generated pass are those the decoder gave before them, the phase detector
// gives the library's atan2, and the resampler that demodulates the next
// samples while it sums a word gives what a refill before the word gave.
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

// Recorded from the decoder as it was before the resampler overlapped the
// demodulation and the loop lost its branches (commit 2fa98be).
constexpr std::uint64_t kOldRowsHash = 0x31cb83a070726ddbULL;

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

TEST(APTDecodeIdentity, PhaseAngleIsTheLibraryAtan2ToTheBit)
{
    struct Case { double q, i, angle; };
    const Case special[] = {{0.0, 0.0, 1.0}, {0.0, -2.0, M_PI}, {-0.0, -2.0, M_PI}};
    for (const Case& c : special)
        EXPECT_EQ(TAPT::PhaseAngle(c.q, c.i), c.angle) << c.q << " " << c.i;
    std::mt19937_64 random(9);
    std::uniform_real_distribution<double> unit(-1, 1);
    for (int n = 0; n < 2000000; ++n) {
        double q = unit(random), i = unit(random);
        // Near lock q is tiny beside i; away from it anything goes.
        if (n % 3 == 0)
            q *= 1e-4;
        if (n % 7 == 0)
            i = 0;
        if (n % 11 == 0)
            q = -0.0;
        const double fast = TAPT::PhaseAngle(q, i);
        const double library = (q == 0 && i == 0) ? 1.0 : (q == 0 && i < 0) ? M_PI : std::atan2(q, i);
        ASSERT_EQ(std::memcmp(&fast, &library, sizeof fast), 0) << q << " " << i;
    }
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
