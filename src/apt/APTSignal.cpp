// The signal chain: 11025 Hz samples -> carrier loop on the 2400 Hz
// sub-carrier -> resampling to 4160 words/s, clocked by the loop's frequency
// -> rows of 2080 words aligned on the sync A pulse train.
#include "apt/APT.h"
#include "apt/PhaseArcTangent.h"
#include "apt/ResampleInterpolate.h"

#include <algorithm>
#include <cmath>
#include <cstring>
#ifdef __SSE2__
#include <emmintrin.h>
#endif

namespace {

constexpr double kNominalFrequency = 2400.0 / 11025.0;  // cycles per sample
constexpr double kMaxFrequency = 2450.0 / 11025.0;
constexpr double kMinFrequency = 2350.0 / 11025.0;
constexpr double kKernelRate = 41600.0;  // kernel units per second: ten per word
constexpr double kCarrierHz = 2400.0;

// Sync A (seven cycles of 1040 Hz, four words a cycle) with its low surround;
// its sum is 0, so a flat stretch of any level correlates to 0.
constexpr int kSyncLength = 32;
constexpr double kSyncTemplate[kSyncLength] = {
    -14, -14, -14, 18, 18, -14, -14, 18, 18, -14, -14, 18, 18, -14, -14, 18,
    18,  -14, -14, 18, 18, -14, -14, 18, 18, -14, -14, 18, 18, -14, -14, -14,
};

// A line-rate correction comes from the slope of one row's correlation; a
// weak or noisy row can make that slope absurd (even negative), which would
// stall or reverse the resampler. Real clock errors are far below 1 %.
constexpr double kMaxLineRateError = 0.01;

// Weight of the older rows in the summed sync correlations: about four rows
// count, so a real move is taken within two or three rows.
constexpr double kScoreFade = 0.75;

// a > b ? x : y, worked out without a branch.
double SelectGreater(double a, double b, double x, double y)
{
#ifdef __SSE2__
    const __m128d greater = _mm_cmpgt_sd(_mm_set_sd(a), _mm_set_sd(b));
    return _mm_cvtsd_f64(_mm_or_pd(_mm_and_pd(greater, _mm_set_sd(x)), _mm_andnot_pd(greater, _mm_set_sd(y))));
#else
    return a > b ? x : y;
#endif
}

}  // namespace

int TAPT::GetRecordedBytes() const
{
    if (!WaveIn)
        return 0;
    const int bytes = WaveIn();
    return std::clamp(bytes, 0, static_cast<int>(WaveHeader.BufferLength));
}

int TAPT::ReadFileSamples(double* out, int n)
{
    // The file is read in blocks ahead of the demodulator: the resampler asks
    // for two or three samples per word, far too few for one library call each.
    int done = 0;
    while (done < n) {
        if (fileBlockPos_ == fileBlockFill_) {
            if (!SndFile)
                break;
            const sf_count_t got = sf_read_double(SndFile, SampleBuffer.get(), kMaxSampleBlock);
            fileBlockPos_ = 0;
            fileBlockFill_ = got > 0 ? static_cast<int>(got) : 0;
            if (fileBlockFill_ == 0)
                break;
        }
        const int take = std::min(n - done, fileBlockFill_ - fileBlockPos_);
        std::memcpy(out + done, SampleBuffer.get() + fileBlockPos_, sizeof(double) * take);
        fileBlockPos_ += take;
        done += take;
    }
    return done;
}

int TAPT::FetchSamples(double* out, int count)
{
    if (IsStopped() || !SampleBuffer || count <= 0)
        return 0;
    int n = std::min(count, kMaxSampleBlock);
    const int flags = Flags.load();
    const unsigned char* bytes = nullptr;
    if (!(flags & aptLive)) {
        n = ReadFileSamples(out, n);
    } else if (!(flags & aptFromCopy)) {
        // The driver fills the buffer behind us; never read beyond it.
        if (!WaveHeader.Data)
            return 0;
        n = std::clamp(static_cast<int>(WaveHeader.BufferLength) - ReadPos, 0, n);
        bytes = WaveHeader.Data + ReadPos;
        ReadPos += n;
    } else {
        if (!RecordCopy)
            return 0;
        const int start = ReadPos;
        ReadPos += n;
        if (ReadPos > CopySize) {
            // The part block at the end of the copy is not decoded.
            RecordCopy.reset();
            return 0;
        }
        bytes = RecordCopy.get() + start;
    }
    if (bytes) {
        for (int i = 0; i < n; ++i)
            out[i] = (static_cast<int>(bytes[i]) - 128) / 128.0;
    }
    return n;
}

void TAPT::DemodulateInPlace(double* sample)
{
    // A damaged float file can hold NaN or infinity; one of them would
    // poison the loop filters for the rest of the pass.
    const double x = std::isfinite(*sample) ? *sample : 0.0;
    *sample = DemodulateSample(x);
    SmoothedFrequency = 0.25 * Frequency + 0.75 * SmoothedFrequency;
}

int TAPT::GetSamples(double* out, int count)
{
    const int n = FetchSamples(out, count);
    for (int i = 0; i < n; ++i)
        DemodulateInPlace(out + i);
    return n;
}

namespace {

constexpr double kLowPassGain = 1 / 3106.389554;

// The low-pass filter on an input already multiplied by kLowPassGain.
double LowPassScaled(double x0, TAPT::LowPassState& s)
{
    s.x[4] = s.x[3];
    s.x[3] = s.x[2];
    s.x[2] = s.x[1];
    s.x[1] = s.x[0];
    s.x[0] = x0;
    s.y[2] = s.y[1];
    s.y[1] = s.y[0];
    // The new input is added last: the carrier loop waits on this filter every
    // sample, and the older terms can be summed before the input arrives.
    const double older = 3.8373714492 * s.x[1] + 5.6747428984 * s.x[2] + 3.8373714492 * s.x[3] + s.x[4] +
                         1.8770305106 * s.y[1] - 0.8819717729 * s.y[2];
    s.y[0] = older + s.x[0];
    return s.y[0];
}

apt::ArcTangentParts PhaseParts(double q, double i)
{
    if (q == 0 && i == 0)
        return {1.0, 0, 0};
    if (q == 0 && i < 0)
        return {M_PI, 0, 0};
    return apt::PhaseArcTangent(q, i);
}

}  // namespace

double TAPT::PhaseAngle(double q, double i)
{
    return PhaseParts(q, i).Value();
}

double TAPT::LowPass(double x, LowPassState& s)
{
    return LowPassScaled(x * kLowPassGain, s);
}

double TAPT::DemodulateSample(double x)
{
    if (Carrier.Phase() != CarrierPhase)
        Carrier.Reset(CarrierPhase);
    const double c = Carrier.Cos();
    const double s = Carrier.Sin();
    // The filters' gain is taken into the sample before the carrier: the
    // loop then waits on one multiply less.
    const double scaled = x * kLowPassGain;
    const double iFiltered = LowPassScaled(scaled * c, FilterI);
    const double qFiltered = LowPassScaled(scaled * s, FilterQ);
    const apt::ArcTangentParts angle = PhaseParts(qFiltered, iFiltered);
    const double error = -angle.Value() * (1 / M_PI);  // half turns
    const double step = Frequency + 0.005 * error;
    // The oscillator turns by 2 pi (step - centre) beyond the centre step,
    // = 2 pi (Frequency - centre) - 0.01 angle: summed from the angle's parts,
    // it waits on neither the error nor the step.
    constexpr double kTurnPerRadian = -2 * M_PI * 0.005 / M_PI;
    const double turn = (2 * M_PI * (Frequency - kNominalFrequency) + kTurnPerRadian * angle.lead) +
                        (kTurnPerRadian * angle.tail) * angle.p;
    Frequency += 3e-6 * error;
    if (Frequency > kMaxFrequency)
        Frequency = kMaxFrequency;
    if (!(Frequency >= kMinFrequency))
        Frequency = kMinFrequency;
    // The wrap comes every four or five samples, irregularly: selected, not
    // branched on, as a branch guessed wrong would throw away the work the
    // processor had started beyond it.
    CarrierPhase += 2 * M_PI * step;
    CarrierPhase = SelectGreater(CarrierPhase, M_PI, CarrierPhase - 2 * M_PI, CarrierPhase);
    CarrierPhase = SelectGreater(CarrierPhase, -M_PI, CarrierPhase, CarrierPhase + 2 * M_PI);
    Carrier.Turn(turn, CarrierPhase);
    return x * c;
}

double TAPT::Interpolate(const double* samples, double phase, double step)
{
    return apt::Interpolate(samples, phase, step);
}

namespace {

// The samples fetched for the next word, demodulated one a pause of the
// current word's interpolation.
struct PendingSamples {
    TAPT* apt;
    double* next;
};

void DemodulateNext(void* context)
{
    auto* pending = static_cast<PendingSamples*>(context);
    pending->apt->DemodulateInPlace(pending->next++);
}

}  // namespace

int TAPT::GetPixels(double* out, int count)
{
    if (!SampleWindow)
        return 0;
    double* window = SampleWindow.get();
    for (int k = 0; k < count; ++k) {
        if (IsStopped())
            return 0;
        if (WindowFill < kWindowSamples) {
            if (WindowPos + kWindowSamples > kWindowCapacity) {
                std::memmove(window, window + WindowPos, sizeof(double) * WindowFill);
                WindowPos = 0;
            }
            WindowFill += GetSamples(window + WindowPos + WindowFill, kWindowSamples - WindowFill);
            if (WindowFill < kWindowSamples)
                return k;
        }
        const double step = SmoothedFrequency * kKernelRate / kCarrierHz * LineRate;
        const int d = static_cast<int>((10 - FirPhase + step - 1) / step);
        // The d samples this word uses up are fetched now and demodulated
        // while the word is summed (its taps never reach them): the window is
        // full again for the next word, and every sample is demodulated in
        // the same order as a refill would.
        if (WindowPos + d + kWindowSamples > kWindowCapacity) {
            std::memmove(window, window + WindowPos, sizeof(double) * WindowFill);
            WindowPos = 0;
        }
        PendingSamples pending{this, window + WindowPos + WindowFill};
        const int fetched = FetchSamples(pending.next, d);
        // step normalises the kernel's gain; 512 maps a fully modulated
        // carrier of amplitude 1 (demodulated mean 0.5) to 256.
        out[k] = apt::Interpolate(window + WindowPos, FirPhase, step, fetched, DemodulateNext, &pending) * step * 512;
        FirPhase = FirPhase + d * step - 10;
        WindowPos += d;
        WindowFill += fetched - d;
    }
    return count;
}

double TAPT::Correlate(const double* a, const double* b, int n)
{
    double sum = 0;
    for (int k = 0; k < n; ++k)
        sum += a[k] * b[k];
    return sum;
}

bool TAPT::FillRow(double* row, int& have, int want)
{
    if (have < want)
        have += GetPixels(row + have, want - have);
    return have >= want;
}

int TAPT::SearchSync(const double* row, double current, double& correlation)
{
    // A single row is no proof: under noise the pulse train seen one cycle
    // off, or a ramp of the image, beats the true place now and then, and on a
    // weak signal the noise peaks of a line reach the sync's own height. The
    // place taken is the best of the correlations summed over the recent
    // searched rows, where only the true sync keeps adding up.
    double* score = SyncScore.get();
    score[0] = kScoreFade * score[0] + current;
    int best = 0;
    for (int s = 1; s < kLineWidth; ++s) {
        const double c = Correlate(row + s + 1, kSyncTemplate, kSyncLength);
        score[s] = kScoreFade * score[s] + c;
        if (score[s] > score[best]) {
            best = s;
            correlation = c;
        }
    }
    return best;
}

void TAPT::MoveRowStart(double* row, int& have, int move)
{
    // The evidence follows the row start: place s becomes place s - move.
    std::rotate(SyncScore.get(), SyncScore.get() + (move > 0 ? move : move + kLineWidth),
                SyncScore.get() + kLineWidth);
    if (move > 0) {
        std::memmove(row, row + move, sizeof(double) * (have - move));
        have -= move;
        return;
    }
    // Back: the row starts with the end of the previous row. The pixels that
    // no longer fit in this row wait in the carry for the next.
    const int back = -move;
    const int kept = kLineWidth - back;
    RowFill = have - kept;
    std::memcpy(RowCarry.get(), row + kept, sizeof(double) * RowFill);
    std::memmove(row + back, row, sizeof(double) * kept);
    std::memcpy(row, RowHistory.get() + kMaxRowMove - back, sizeof(double) * back);
    have = kLineWidth;
}

bool TAPT::FinishRow(double* row, int have)
{
    if (!FillRow(row, have, kLineWidth))
        return false;
    std::memcpy(RowCarry.get() + RowFill, row + kLineWidth, sizeof(double) * (have - kLineWidth));
    RowFill += have - kLineWidth;
    std::memcpy(RowHistory.get(), row + kLineWidth - kMaxRowMove, sizeof(double) * kMaxRowMove);
    return true;
}

bool TAPT::GetPixelRow(double* row)
{
    if (IsStopped() || !RowCarry || !RowHistory || !SyncScore)
        return false;
    int have = RowFill;
    RowFill = 0;  // an unfinished row's pixels are dropped
    std::memcpy(row, RowCarry.get(), sizeof(double) * have);
    if (!FillRow(row, have, kSyncLength + 2))
        return false;

    const double c1 = Correlate(row + 1, kSyncTemplate, kSyncLength);
    if (c1 == 0 || c1 < 0.75 * LastCorrelation) {
        InSyncCount = 0;
        LineRate = 1.0;
    } else {
        const double c0 = Correlate(row, kSyncTemplate, kSyncLength);
        const double c2 = Correlate(row + 2, kSyncTemplate, kSyncLength);
        const double rate = 1 + (c0 - c2) / c1 / kLineWidth / 4;
        LineRate = std::isfinite(rate) ? std::clamp(rate, 1 - kMaxLineRateError, 1 + kMaxLineRateError) : 1.0;
    }
    LastCorrelation = c1;

    // One search a row until eight rows in a row found no better position.
    if (InSyncCount < 8) {
        if (!FillRow(row, have, kRowSearch))
            return false;
        double best = c1;
        const int shift = SearchSync(row, c1, best);
        if (shift == 0) {
            ++InSyncCount;
        } else {
            // A shift near a whole line finds the next line's sync: the sync
            // of this line lies a little before the row start.
            const int move = shift <= kMaxRowMove ? shift : shift - kLineWidth;
            MoveRowStart(row, have, move);
            InSyncCount = 0;
            LineRate = 1.0;
            LastCorrelation = best;
        }
    }
    return FinishRow(row, have);
}
