#pragma once
// A synthetic APT transmission for tests and benchmarks, written from the
// public APT line format: 4160 words a second, lines of 2080 words (sync A,
// space A, video A, telemetry A, sync B, space B, video B, telemetry B),
// telemetry frames of 16 wedges of 8 lines, the words amplitude-modulating a
// 2400 Hz sub-carrier. Every word value is in the calibrated domain (0..255)
// and goes through a gain curve before modulation, as a receiver would bend it.
#include <array>
#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace aptgen {

constexpr int kWords = 2080;
constexpr double kWordRate = 4160.0;
constexpr double kCarrierHz = 2400.0;
constexpr int kFileRate = 11025;

struct Span {
    double startSeconds, endSeconds;
    double gain;  // 0 for a drop-out
};

struct PassSpec {
    int lines = 240;
    // Words before the first line starts (the tail of line -1 comes first).
    double leadInWords = 0;
    // Line of the pass at which a telemetry frame starts.
    int frameOffset = 0;
    std::function<double(int line, int word)> videoA = [](int, int w) { return 40 + (w % 200); };
    std::function<double(int line, int word)> videoB = [](int l, int w) { return 60 + ((w + l) % 150); };
    double spaceA = 12, spaceB = 235;
    // Wedges 1..9 as the decoder's calibration expects them.
    std::array<double, 9> greyWedges = {31.07, 63.02, 94.96, 126.9, 158.86, 191.1, 228.62, 255, 0};
    std::array<double, 4> prtWedges = {66, 66, 66, 66};  // wedges 10..13 (same on both sides)
    double patchWedge = 40;                              // wedge 14
    double backScanA = 20, backScanB = 105;              // wedge 15
    int channelIdA = 1, channelIdB = 3;                  // wedge 16 repeats wedge id + 1
    std::function<double(double)> gain = [](double v) { return v; };
    double amplitude = 1.0 / 256.0;  // per word unit: 256 is full modulation
    double carrierOffsetHz = 0;      // transmitter clock: carrier and words together
    double carrierDriftHzPerSecond = 0;
    double sampleRateError = 0;      // sound card: relative error of the sample clock
    double noise = 0;                // standard deviation of added white noise
    unsigned seed = 1;
    std::vector<Span> fades;         // spans of scaled (or, with gain 0, no) signal
    double carrierPhase = 0.3;
};

// The 2080 word values of a line, before the gain curve.
std::array<double, kWords> LineWords(const PassSpec& spec, int line);

// Samples in -1..1 at the file's nominal 11025 Hz covering the lead-in and all lines.
std::vector<double> Synthesize(const PassSpec& spec);

// Writes a mono 11025 Hz WAV, 8-bit unsigned or 16-bit signed.
bool WriteWav(const std::string& path, const std::vector<double>& samples, int bits, int sampleRate = kFileRate,
              int channels = 1);
// Writes 8-bit unsigned samples byte for byte, as the recorder stores them.
bool WriteWavBytes(const std::string& path, const std::vector<std::uint8_t>& samples, int sampleRate = kFileRate);

}  // namespace aptgen
