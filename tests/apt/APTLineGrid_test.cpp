// Noisy passes keep every line on the line grid: each generated line carries
// its number in video A, so a decoded row tells which line it shows and how
// far it sits from the grid.
#include "AptTestHelpers.h"
#include "apt/APT.h"
#include "support/TestEnv.h"

#include <cmath>
#include <gtest/gtest.h>
#include <set>
#include <vector>

namespace {

// Line numbers as eleven bars of 80 words in video A, most significant first.
// Video B is a sawtooth, whose ramps look a little like sync A.
constexpr int kBits = 11;
constexpr int kBarWords = 80;
constexpr int kFirstBarWord = 14;  // of video A
constexpr double kBarHigh = 220, kBarLow = 30;

double NumberBar(int line, int word)
{
    const int bar = (word - kFirstBarWord) / kBarWords;
    if (word < kFirstBarWord || bar >= kBits)
        return 128;
    const int number = line & ((1 << kBits) - 1);
    return (number >> (kBits - 1 - bar)) & 1 ? kBarHigh : kBarLow;
}

// White noise over the whole band (0..5512 Hz) at the given signal-to-noise
// ratio, measured against the mean power of the modulated carrier.
double NoiseFor(const aptgen::PassSpec& spec, double snrDb)
{
    double sum = 0;
    int count = 0;
    for (int line = 0; line < 128; ++line) {
        for (const double w : aptgen::LineWords(spec, line)) {
            const double envelope = spec.gain(w) * spec.amplitude;
            sum += envelope * envelope / 2;
            ++count;
        }
    }
    return std::sqrt(sum / count / std::pow(10, snrDb / 10));
}

aptgen::PassSpec NumberedPass(int lines, double snrDb)
{
    aptgen::PassSpec spec = apttest::CalibratedPass(lines);
    spec.videoA = NumberBar;
    spec.videoB = [](int, int w) { return 40 + w % 200; };
    spec.leadInWords = 1000;
    spec.sampleRateError = 30e-6;
    spec.noise = NoiseFor(spec, snrDb);
    return spec;
}

int RowNumber(const double* row)
{
    int number = 0;
    for (int bar = 0; bar < kBits; ++bar) {
        const int first = 86 + kFirstBarWord + bar * kBarWords + 10;
        double sum = 0;
        for (int c = first; c < first + kBarWords - 20; ++c)
            sum += row[c];
        number = number * 2 + (sum / (kBarWords - 20) > (kBarHigh + kBarLow) / 2 ? 1 : 0);
    }
    return number;
}

// Words the row lies late (positive) or early against the line it shows:
// the shift, within +-8, at which the row matches the source line best.
int RowOffset(const double* row, const aptgen::PassSpec& spec, int line)
{
    auto words = aptgen::LineWords(spec, line);
    double mean = 0;
    for (double& w : words) {
        w = spec.gain(w);
        mean += w / aptgen::kWords;
    }
    int best = 0;
    double bestScore = -1e300;
    for (int shift = -8; shift <= 8; ++shift) {
        double score = 0;
        for (int c = 20; c < aptgen::kWords - 20; ++c)
            score += row[c + shift] * (words[c] - mean);
        if (score > bestScore) {
            bestScore = score;
            best = shift;
        }
    }
    return best;
}

struct GridCount {
    int rows = 0;
    int unshown = 0;   // source lines no row shows
    int repeated = 0;  // rows showing a line an earlier row showed
    int offGrid = 0;   // rows more than a word off the line grid
};

GridCount CountLines(TAPT& apt, const aptgen::PassSpec& spec)
{
    GridCount count;
    count.rows = apt.Lines;
    std::set<int> shown;
    for (int r = 0; r < apt.Lines; ++r) {
        const double* row = apt.GetLine(r, 0);
        const int number = RowNumber(row);
        if (!shown.insert(number).second)
            ++count.repeated;
        if (number < spec.lines && std::abs(RowOffset(row, spec, number)) > 1)
            ++count.offGrid;
    }
    for (int line = 0; line < spec.lines; ++line)
        count.unshown += !shown.count(line);
    return count;
}

struct NoiseCase {
    const char* name;
    double snrDb;
    int maxUnshown;
    int maxOffGrid;
};

class NoisyPass : public testing::TestWithParam<NoiseCase> {};

}  // namespace

// A ten-minute pass (1200 lines) from an 8-bit sound card 30 ppm off.
TEST_P(NoisyPass, KeepsEveryLineOnTheGrid)
{
    const NoiseCase c = GetParam();
    const aptgen::PassSpec spec = NumberedPass(1200, c.snrDb);
    const QString path = apttest::WritePass(spec, QString("noisy-%1.wav").arg(c.name), 8);
    ASSERT_FALSE(path.isEmpty());
    TAPT apt;
    ASSERT_GT(apttest::DecodeFile(apt, path), 0);
    const GridCount count = CountLines(apt, spec);
    EXPECT_GE(count.rows, 1190) << "one row for every half-second of audio";
    EXPECT_LE(count.unshown, c.maxUnshown);
    EXPECT_LE(count.repeated, c.maxUnshown) << "a row start never moves back over a whole line";
    EXPECT_LE(count.offGrid, c.maxOffGrid);

    apt.SpacecraftModel = scNOAA18;
    apt.SaveImage(2);
    EXPECT_EQ(apt.GetChannelName(false).toStdString(), "Visible Channel 2");
    EXPECT_EQ(apt.GetChannelName(true).toStdString(), "Thermal Infrared Channel 4");
}

INSTANTIATE_TEST_SUITE_P(SignalToNoise, NoisyPass,
                         testing::Values(NoiseCase{"snr10dB", 10, 3, 6}, NoiseCase{"snr5dB", 5, 3, 6},
                                         NoiseCase{"snr0dB", 0, 12, 24}),
                         [](const testing::TestParamInfo<NoiseCase>& info) { return std::string(info.param.name); });
