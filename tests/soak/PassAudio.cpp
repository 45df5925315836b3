#include "soak/PassAudio.h"

#include "AptSignalGenerator.h"

#include <algorithm>
#include <cmath>
#include <random>

namespace soak {

namespace {

constexpr int kVideoWords = 909;
constexpr int kBars = 8;
constexpr double kBright = 230, kDark = 25;

// 1..255: the capture device fills a read it finds short with zeros, which
// a check can then tell from the sky's own bytes.
std::vector<std::uint8_t> ToBytes(const std::vector<double>& samples)
{
    std::vector<std::uint8_t> out(samples.size());
    std::transform(samples.begin(), samples.end(), out.begin(), [](double s) {
        return static_cast<std::uint8_t>(std::clamp(std::lround(128 + 127 * s), 1L, 255L));
    });
    return out;
}

}  // namespace

std::vector<std::uint8_t> PassLoop(int passNumber)
{
    aptgen::PassSpec spec;
    spec.lines = 128;
    spec.videoA = [passNumber](int, int word) {
        const int bar = word * kBars / kVideoWords;
        return (passNumber >> (kBars - 1 - bar)) & 1 ? kBright : kDark;
    };
    return ToBytes(aptgen::Synthesize(spec));
}

std::vector<std::uint8_t> NoiseLoop()
{
    std::mt19937 random(35);
    std::normal_distribution<double> noise(0, 0.3);
    std::vector<double> samples(64 * kSampleRate);
    for (double& s : samples)
        s = std::clamp(noise(random), -1.0, 1.0);
    return ToBytes(samples);
}

}  // namespace soak
