#include "AptTestHelpers.h"
#include "apt/APT.h"
#include "apt/ResampleKernel.h"
#include "support/TestEnv.h"

#include <QFile>
#include <cmath>
#include <gtest/gtest.h>
#include <sndfile.h>
#include <vector>

using apt::kResampleKernel;

namespace {

double KernelResponse(double hz)
{
    double sum = 0;
    for (int k = 0; k < apt::kResampleKernelTaps; ++k)
        sum += kResampleKernel[k] * std::cos(2 * M_PI * hz * (k - 227) / 41600.0);
    return sum;
}

// A live engine reading the given bytes as its recording buffer.
void InitLive(TAPT& apt, const std::vector<unsigned char>& buffer)
{
    ASSERT_TRUE(apt.Init("", 0));
    apt.WaveHeader.Data = const_cast<unsigned char*>(buffer.data());  // the engine only reads it
    apt.WaveHeader.BufferLength = static_cast<std::uint32_t>(buffer.size());
}

// Sync A as the line format gives it, from pixel 1: three low words, seven
// cycles of two high and two low, one low.
const double kSyncA[32] = {-14, -14, -14, 18, 18, -14, -14, 18, 18, -14, -14, 18, 18, -14, -14, 18,
                           18,  -14, -14, 18, 18, -14, -14, 18, 18, -14, -14, 18, 18, -14, -14, -14};

// A decoder of the test's own: the amplitude of a 2400 Hz tone from each two
// neighbouring samples, read at 4160 words a second.
std::vector<double> EnvelopeWords(const QString& path)
{
    SF_INFO info{};
    SNDFILE* file = sf_open(QFile::encodeName(path).constData(), SFM_READ, &info);
    if (!file)
        return {};
    std::vector<double> x(size_t(info.frames));
    x.resize(size_t(sf_read_double(file, x.data(), info.frames)));
    sf_close(file);
    const double step = 2 * M_PI * 2400.0 / 11025;
    std::vector<double> envelope(x.size(), 0.0);
    for (size_t n = 1; n < x.size(); ++n) {
        const double square = x[n] * x[n] + x[n - 1] * x[n - 1] - 2 * x[n] * x[n - 1] * std::cos(step);
        envelope[n] = std::sqrt(std::max(0.0, square)) / std::sin(step);
    }
    std::vector<double> words;
    for (int k = 0;; ++k) {
        const double at = k * 11025.0 / 4160;
        const size_t i = size_t(at);
        if (i + 1 >= envelope.size())
            break;
        words.push_back(envelope[i] + (at - double(i)) * (envelope[i + 1] - envelope[i]));
    }
    return words;
}

double Pearson(const double* a, const double* b, int n)
{
    double meanA = 0, meanB = 0;
    for (int i = 0; i < n; ++i) {
        meanA += a[i] / n;
        meanB += b[i] / n;
    }
    double ab = 0, aa = 0, bb = 0;
    for (int i = 0; i < n; ++i) {
        ab += (a[i] - meanA) * (b[i] - meanB);
        aa += (a[i] - meanA) * (a[i] - meanA);
        bb += (b[i] - meanB) * (b[i] - meanB);
    }
    return aa > 0 && bb > 0 ? ab / std::sqrt(aa * bb) : 0;
}

// The place (0..width-1) where the sync A template correlates best.
int PeakOfSyncA(const double* values, int width)
{
    int peak = 0;
    double best = -1e300;
    for (int s = 0; s < width; ++s) {
        const double c = TAPT::Correlate(values + s, kSyncA, 32);
        if (c > best) {
            best = c;
            peak = s;
        }
    }
    return peak;
}

}  // namespace

TEST(ResampleKernel, IsSymmetricWithTheFixedEntriesAndSum)
{
    double sum = 0;
    for (int k = 0; k < apt::kResampleKernelTaps; ++k) {
        EXPECT_EQ(kResampleKernel[k], kResampleKernel[454 - k]) << k;
        sum += kResampleKernel[k];
    }
    EXPECT_NEAR(sum, 0.99973, 1e-5);
    struct Entry { int index; double value; };
    const Entry entries[] = {{0, -0.00134249}, {1, 0.00180631}, {2, 0.000590669}, {3, -9.4181e-05},
                             {4, -0.000407485}, {100, -0.000879739}, {200, 0.0115713}, {220, 0.0385612},
                             {224, 0.0850058}, {225, 0.0921659}, {226, 0.0966207}, {227, 0.0932814}};
    for (const auto& e : entries)
        EXPECT_DOUBLE_EQ(kResampleKernel[e.index], e.value) << "entry " << e.index;
    EXPECT_LT(kResampleKernel[227], kResampleKernel[226]) << "the centre lies below its neighbours";
}

TEST(ResampleKernel, ResponseMeetsTheFigures)
{
    EXPECT_NEAR(KernelResponse(0), 0.9997, 0.0001);
    for (double hz = 0; hz <= 1900; hz += 1)
        ASSERT_GE(KernelResponse(hz), 0.984) << hz << " Hz";
    EXPECT_NEAR(KernelResponse(2000), 0.960, 0.001);
    EXPECT_NEAR(KernelResponse(2080), 0.707, 0.001);
    EXPECT_NEAR(KernelResponse(2165), 0.0, 0.001);
    EXPECT_NEAR(KernelResponse(2250), -0.475, 0.001);
    double lowest = 0;
    for (double hz = 2165; hz <= 2420; hz += 1)
        lowest = std::min(lowest, KernelResponse(hz));
    EXPECT_NEAR(lowest, -0.475, 0.005) << "the negative lobe bottoms out near 2250 Hz";
    for (double hz = 2400; hz <= 20800; hz += 0.5)
        ASSERT_LE(std::fabs(KernelResponse(hz)), 0.0111) << hz << " Hz";
    int signChanges = 0;
    for (int k = 1; k < 455; ++k)
        signChanges += (kResampleKernel[k] < 0) != (kResampleKernel[k - 1] < 0);
    EXPECT_NEAR(454.0 / signChanges, 9.6, 1.0) << "sign changes about every 9.6 entries";
}

TEST(APTSignal, BytesConvertAroundTheSilenceLevel)
{
    // The loop's first phase is 0, so the first demodulated sample is the input.
    struct Case { unsigned char byte; double value; };
    for (const Case c : {Case{0, -1.0}, Case{128, 0.0}, Case{255, 0.9921875}}) {
        TAPT apt;
        std::vector<unsigned char> buffer(16, c.byte);
        InitLive(apt, buffer);
        double out[1];
        ASSERT_EQ(apt.GetSamples(out, 1), 1);
        EXPECT_EQ(out[0], c.value) << int(c.byte);
    }
}

TEST(APTSignal, SilenceGivesZerosAndTheLoopSinksToItsLowerBound)
{
    TAPT apt;
    std::vector<unsigned char> buffer(60000, 128);
    InitLive(apt, buffer);
    std::vector<double> out(2048, 1.0);
    EXPECT_EQ(apt.GetSamples(out.data(), 2048), 1024) << "at most 1024 samples a request";
    for (int i = 0; i < 1024; ++i)
        ASSERT_EQ(out[i], 0.0);
    EXPECT_NEAR(apt.Frequency, 2400.0 / 11025 - 1024 * 3e-6 / M_PI, 1e-12);
    while (apt.ReadPos < 59000)
        apt.GetSamples(out.data(), 1024);
    EXPECT_EQ(apt.Frequency, 2350.0 / 11025);
}

TEST(APTSignal, LiveReadingStopsAtTheEndOfTheRecordingBuffer)
{
    TAPT apt;
    std::vector<unsigned char> buffer(1500, 128);
    InitLive(apt, buffer);
    double out[1024];
    EXPECT_EQ(apt.GetSamples(out, 1024), 1024);
    EXPECT_EQ(apt.GetSamples(out, 1024), 476);
    EXPECT_EQ(apt.GetSamples(out, 1024), 0);
}

TEST(APTSignal, PrivateCopyEndsInsideARequest)
{
    TAPT apt;
    std::vector<unsigned char> buffer(20000, 128);
    InitLive(apt, buffer);
    EXPECT_FALSE(apt.CopyRecording(5499)) << "5499 unread bytes are not worth a copy";
    ASSERT_TRUE(apt.CopyRecording(5500));
    EXPECT_EQ(apt.CopySize, 5500);
    EXPECT_EQ(apt.ReadPos, 0);
    apt.Flags |= aptFromCopy;
    double out[1024];
    for (int i = 0; i < 5; ++i)
        ASSERT_EQ(apt.GetSamples(out, 1024), 1024);
    EXPECT_EQ(apt.GetSamples(out, 1024), 0) << "the part block at the end is not decoded";
    EXPECT_EQ(apt.RecordCopy, nullptr);
    EXPECT_EQ(apt.GetSamples(out, 1024), 0);

    TAPT other;
    InitLive(other, buffer);
    ASSERT_TRUE(other.CopyRecording(50000));
    EXPECT_EQ(other.CopySize, 20000) << "a count beyond the buffer is not believed";
}

TEST(APTSignal, StopEndsEveryLoop)
{
    TAPT apt;
    std::vector<unsigned char> buffer(60000, 200);
    InitLive(apt, buffer);
    apt.StopFlags |= 4;
    double out[2150];
    EXPECT_EQ(apt.GetSamples(out, 10), 0);
    EXPECT_EQ(apt.GetPixels(out, 10), 0);
    EXPECT_FALSE(apt.GetPixelRow(out));
    EXPECT_EQ(apt.ReadPos, 0);
}

TEST(APTSignal, CleanSignalGivesAlignedRowsAndTheSourceVideo)
{
    aptgen::PassSpec spec;
    spec.lines = 30;
    spec.leadInWords = 700;  // the first line starts 700 words into the file
    const QString path = apttest::WritePass(spec, "clean.wav", 16);
    TAPT apt;
    // 15.2 s give a capacity of 30 lines; finding the sync costs up to one row.
    ASSERT_GE(apttest::DecodeFile(apt, path), 29);
    // The first rows are spent finding the sync; every row after them is aligned.
    int aligned = 0;
    for (int row = 2; row < apt.Lines; ++row)
        aligned += apttest::SyncAligned(apt.GetLine(row, 0));
    EXPECT_EQ(aligned, apt.Lines - 2);
    EXPECT_NEAR(apt.LineRate, 1.0, 1e-3);
    EXPECT_NEAR(apt.Frequency * 11025, 2400, 0.5);

    // Video against the source (a row is one generator line; which one the
    // first row is depends on where sync was found, so match on the pattern).
    const double* row = apt.GetLine(10, 0);
    int best = -1;
    double bestError = 1e9;
    for (int line = 0; line < spec.lines; ++line) {
        const auto words = aptgen::LineWords(spec, line);
        double error = 0;
        for (int c = 100; c < 980; ++c)
            error += std::fabs(row[c] - words[c]) + std::fabs(row[1040 + c] - words[1040 + c]);
        if (error < bestError) {
            bestError = error;
            best = line;
        }
    }
    ASSERT_GE(best, 0);
    const auto words = aptgen::LineWords(spec, best);
    int far = 0;
    for (int c = 100; c < 980; ++c)
        far += std::fabs(row[c] - words[c]) > 12;  // away from the sawtooth's steps the error is small
    EXPECT_LT(far, 40) << "video within 12 grey levels of the source";
    EXPECT_NEAR(row[60], spec.spaceA, 3);
    EXPECT_NEAR(row[1100], spec.spaceB, 3);
}

TEST(APTSignal, ImpairedSignalsStayInSync)
{
    struct Case {
        const char* name;
        std::function<void(aptgen::PassSpec&)> impair;
        int minAlignedPercent;
    };
    const Case cases[] = {
        {"carrier 4 Hz high", [](aptgen::PassSpec& s) { s.carrierOffsetHz = 4; }, 95},
        {"carrier drifting 0.1 Hz/s", [](aptgen::PassSpec& s) { s.carrierDriftHzPerSecond = 0.1; }, 95},
        {"sound card 0.3 % slow", [](aptgen::PassSpec& s) { s.sampleRateError = -0.003; }, 95},
        {"noise", [](aptgen::PassSpec& s) { s.noise = 0.15; }, 90},
        {"fade and drop-out",
         [](aptgen::PassSpec& s) { s.fades = {{5, 7, 0.3}, {11, 12, 0.0}}; }, 80},
    };
    for (const auto& c : cases) {
        aptgen::PassSpec spec;
        spec.lines = 40;
        spec.leadInWords = 333;
        c.impair(spec);
        const QString path = apttest::WritePass(spec, "impaired.wav", 8);
        TAPT apt;
        ASSERT_GT(apttest::DecodeFile(apt, path), 30) << c.name;
        int aligned = 0;
        for (int row = 3; row < apt.Lines; ++row)
            aligned += apttest::SyncAligned(apt.GetLine(row, 0));
        EXPECT_GE(aligned * 100, c.minAlignedPercent * (apt.Lines - 3)) << c.name;
    }
}

TEST(APTSignal, RealWeakRecordingKeepsItsRowsOnTheLineGrid)
{
    const QString path = testenv::SharedDataPath("apt/weak-11025-s16.wav");
    if (path.isEmpty())
        SKIP_MISSING("apt/weak-11025-s16.wav is absent");
    // The true line grid, from a decoder of the test's own: its words folded
    // over all lines show where sync A starts.
    const std::vector<double> words = EnvelopeWords(path);
    ASSERT_GT(words.size(), 10u * 2080);
    std::vector<double> fold(2080 + 32, 0.0);
    for (size_t line = 0; (line + 1) * 2080 + 32 <= words.size(); ++line)
        for (int c = 0; c < 2080 + 32; ++c)
            fold[c] += words[line * 2080 + c];
    const int gridSync = PeakOfSyncA(fold.data(), 2080);

    TAPT apt;
    const int lines = apttest::DecodeFile(apt, path);
    EXPECT_GE(lines, 29) << "15.35 s give a row for every half-second";
    EXPECT_NEAR(apt.Frequency * 11025, 2400.06, 1.0) << "the loop found the measured sub-carrier";
    // Each row is found in the other decoder's words by its content; the
    // first seconds of the excerpt are noise alone, which matches nothing.
    int signalRows = 0;
    int offGrid = 0;
    int previous = -1;
    for (int row = 0; row < lines; ++row) {
        const double* values = apt.GetLine(row, 0);
        const int from = previous < 0 ? 0 : previous + 2080 - 1100;
        const int to = std::min<int>(previous < 0 ? 4000 : previous + 2080 + 1100, int(words.size()) - 2080);
        int at = from;
        double match = -1;
        for (int start = from; start <= to; ++start) {
            const double r = Pearson(values, words.data() + start, 2080);
            if (r > match) {
                match = r;
                at = start;
            }
        }
        previous = at;
        if (match < 0.15)
            continue;
        ++signalRows;
        const int drift = ((at + 1 - gridSync) % 2080 + 2080) % 2080;
        offGrid += std::min(drift, 2080 - drift) > 2;
    }
    EXPECT_GE(signalRows, 15) << "the rows that carry the signal are whole lines";
    EXPECT_LE(offGrid, 1) << "only the row where the signal appears may lie off the line grid";
}

TEST(APTSignal, UnfinalisedHeaderIsRefusedOrReadSafely)
{
    const QString path = testenv::SharedDataPath("apt/unfinalised-header-not-apt.wav");
    if (path.isEmpty())
        SKIP_MISSING("apt/unfinalised-header-not-apt.wav is absent");
    TAPT apt;
    const int lines = apttest::DecodeFile(apt, path);
    if (lines < 0) {
        EXPECT_FALSE(apt.LastError.isEmpty());
        EXPECT_FALSE(apt.LastErrorCaption.isEmpty());
    } else {
        EXPECT_LE(lines, 1168650 / 2 / 5512 + 1) << "no more rows than the samples present";
    }
}
