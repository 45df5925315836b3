#include "AptSignalGenerator.h"

#include <cmath>
#include <random>
#include <sndfile.h>

namespace aptgen {
namespace {

constexpr double kLow = 11, kHigh = 244;  // sync pulse levels

double Telemetry(const PassSpec& spec, int line, bool channelB)
{
    const int inFrame = ((line - spec.frameOffset) % 128 + 128) % 128;
    const int wedge = inFrame / 8;  // 0..15
    if (wedge < 9)
        return spec.greyWedges[wedge];
    if (wedge < 13)
        return spec.prtWedges[wedge - 9];
    if (wedge == 13)
        return spec.patchWedge;
    if (wedge == 14)
        return channelB ? spec.backScanB : spec.backScanA;
    return spec.greyWedges[channelB ? spec.channelIdB : spec.channelIdA];
}

}  // namespace

std::array<double, kWords> LineWords(const PassSpec& spec, int line)
{
    std::array<double, kWords> w{};
    for (int i = 0; i < 39; ++i) {
        // Sync A: four low words, seven cycles of two high and two low, low.
        w[i] = (i >= 4 && i < 32 && (i - 4) % 4 < 2) ? kHigh : kLow;
        // Sync B: four low words, seven cycles of three high and two low.
        w[1040 + i] = (i >= 4 && (i - 4) % 5 < 3) ? kHigh : kLow;
    }
    for (int i = 39; i < 86; ++i) {
        w[i] = spec.spaceA;
        w[1040 + i] = spec.spaceB;
    }
    for (int i = 86; i < 995; ++i) {
        w[i] = spec.videoA(line, i - 86);
        w[1040 + i] = spec.videoB(line, i - 86);
    }
    for (int i = 995; i < 1040; ++i) {
        w[i] = Telemetry(spec, line, false);
        w[1040 + i] = Telemetry(spec, line, true);
    }
    return w;
}

std::vector<double> Synthesize(const PassSpec& spec)
{
    const double totalWords = spec.leadInWords + double(spec.lines) * kWords;
    const double sampleSeconds = 1.0 / (kFileRate * (1 + spec.sampleRateError));
    std::vector<double> samples;
    samples.reserve(size_t(totalWords / kWordRate * kFileRate * 1.02) + 16);
    std::mt19937 random(spec.seed);
    std::normal_distribution<double> gauss(0.0, 1.0);
    double phase = spec.carrierPhase;
    double wordPos = -spec.leadInWords;
    int cachedLine = -2;
    std::array<double, kWords> words{};
    for (double t = 0; wordPos < double(spec.lines) * kWords; t += sampleSeconds) {
        const int line = int(std::floor(wordPos / kWords));
        if (line != cachedLine) {
            words = LineWords(spec, line);
            for (double& v : words)
                v = spec.gain(v);
            cachedLine = line;
        }
        const int word = int(wordPos - double(line) * kWords);
        double envelope = words[std::clamp(word, 0, kWords - 1)] * spec.amplitude;
        for (const Span& span : spec.fades)
            if (t >= span.startSeconds && t < span.endSeconds)
                envelope *= span.gain;
        double x = envelope * std::cos(phase);
        if (spec.noise > 0)
            x += spec.noise * gauss(random);
        samples.push_back(std::clamp(x, -1.0, 1.0));
        const double clock = 1 + (spec.carrierOffsetHz + spec.carrierDriftHzPerSecond * t) / kCarrierHz;
        phase = std::fmod(phase + 2 * M_PI * kCarrierHz * clock * sampleSeconds, 2 * M_PI);
        wordPos += kWordRate * clock * sampleSeconds;
    }
    return samples;
}

bool WriteWav(const std::string& path, const std::vector<double>& samples, int bits, int sampleRate, int channels)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = channels;
    info.format = SF_FORMAT_WAV | (bits == 8 ? SF_FORMAT_PCM_U8 : SF_FORMAT_PCM_16);
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    std::vector<double> frames;
    const std::vector<double>* data = &samples;
    if (channels > 1) {
        for (double s : samples)
            for (int c = 0; c < channels; ++c)
                frames.push_back(s);
        data = &frames;
    }
    const sf_count_t written = sf_write_double(file, data->data(), sf_count_t(data->size()));
    sf_close(file);
    return written == sf_count_t(data->size());
}

bool WriteWavBytes(const std::string& path, const std::vector<std::uint8_t>& samples, int sampleRate)
{
    SF_INFO info{};
    info.samplerate = sampleRate;
    info.channels = 1;
    info.format = SF_FORMAT_WAV | SF_FORMAT_PCM_U8;
    SNDFILE* file = sf_open(path.c_str(), SFM_WRITE, &info);
    if (!file)
        return false;
    const sf_count_t written = sf_write_raw(file, samples.data(), sf_count_t(samples.size()));
    sf_close(file);
    return written == sf_count_t(samples.size());
}

}  // namespace aptgen
