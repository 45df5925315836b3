#pragma once
// TAPT: the decoding engine of one image window. It opens the source of a
// pass (an audio file, the live recording buffer, or a private copy of that
// buffer's unread tail), turns its 11025 Hz samples into synchronised lines of
// 2080 values, holds the lines, calibrates them from the telemetry wedges,
// repairs noisy pixels, builds the grey image and keeps the raw-line cache.
//
// Threads: while a processing thread decodes, it is the only writer of the
// line store, Lines and the demodulator state; the window reads Lines and the
// newest line only inside the thread's synchronised drawing step. Flags and
// StopFlags are atomic: the window sets bits while the thread's loops read them.
// The engine never shows a message box: failures go to OnError (when set) and
// LastError, for the window layer to show.
#include "platform/WaveFormat.h"
#include "apt/CarrierOscillator.h"
#include "apt/LineArena.h"
#include "apt/MagickImage.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <functional>
#include <memory>
#include <sndfile.h>
#include <vector>

// Bits of TAPT::Flags.
enum TAPTFlag : int {
    aptDecoding = 0x1,        // decoding from a signal (live or file)
    aptAudioFile = 0x2,       // the source is an audio file (also for a pass from its cache)
    aptLive = 0x4,            // the source is the live recording
    aptFromCopy = 0x10,       // live data now comes from the private copy
    aptThermalValid = 0x80,   // thermal calibration valid
    aptCalibrated = 0x100,    // lines calibrated in place
    aptBuffersFreed = 0x400,  // work buffers freed, lines kept
    aptNoTelemetry = 0x800,   // telemetry missing or invalid
    aptComplete = 0x8000,     // image complete
};

// Bits of TAPT::StopFlags set by the engine itself; the window ORs in its own.
enum TAPTStop : int {
    aptStopNoMemory = 0x1,
    aptStopNothingDecoded = 0x2,
};

enum TAVHRRChannel : int {
    avhrrNone = -1,
    avhrrCh1 = 0,
    avhrrCh2 = 1,
    avhrrCh3A = 2,
    avhrrCh4 = 3,
    avhrrCh5 = 4,
    avhrrCh3B = 5,
};

// Calibration table index.
enum TSpacecraftModel : int { scNOAA12 = 0, scNOAA14, scNOAA15, scNOAA17, scNOAA18 };

struct TThermalCal {
    double BlackbodyRadiance = 0;  // mW/(m2 sr cm-1)
    double SpaceCount = 0;         // 10-bit count
    double BlackbodyCount = 0;     // 10-bit count
    int Band = 0;                  // 0 channel 4, 1 channel 5, 2 channel 3B
};

// The live recording as the engine sees it: a copy of the recorder's buffer
// header (platform/WaveFormat.h; the buffer is owned by the recorder) and a
// query of how many bytes the sound driver has written into it.
// Position of the recording in bytes; 0 when the query fails or the device
// has been reset.
using TWaveInPosition = std::function<int()>;

// GetLine flags.
enum TLineFilter : int {
    lfFilter = 0x1,
    lfBoth = 0x2,
    lfChannelA = 0x4,
    lfChannelB = 0x8,
};

class TAPT {
public:
    static constexpr int kLineWidth = 2080;     // values of one APT line
    static constexpr int kLineStride = 2150;    // doubles allocated per line
    static constexpr int kSampleRate = 11025;
    static constexpr int kMaxSampleBlock = 1024;
    static constexpr int kWindowSamples = 256;  // samples the resampler keeps ahead
    // SampleWindow is larger than the window itself, so that consuming a few
    // samples per pixel never moves the whole window.
    static constexpr int kWindowCapacity = 4096;
    static constexpr int kRowSearch = 2112;     // pixels a sync search needs
    // A move of the row start is the shorter way round the line: at most half
    // a line back (repeating the end of the previous row) or forward.
    static constexpr int kMaxRowMove = kLineWidth / 2;
    static constexpr int kMinLiveTail = 5500;   // bytes worth a hand-over decode
    static constexpr int kMaxCacheLines = 999999;  // the cache's six-digit count

    using ErrorReporter = std::function<void(const QString& text, const QString& caption)>;

    TAPT();
    ~TAPT();
    TAPT(const TAPT&) = delete;
    TAPT& operator=(const TAPT&) = delete;

    // --- engine object ---
    bool Init(const QString& audioPath, int initFlags);
    bool OpenAudioFile(const QString& path);
    void CloseAudio();
    int GetAudioDuration();
    void FreeBuffers(bool keepLines);
    bool AllocLines(int count);
    void FreeLines();
    // A line store of count empty entries, for a decode that fills it row by
    // row (MaxLines = count, Lines = 0); false when it cannot be allocated.
    bool MakeLineStore(int count);
    // Line index of the store as a fresh zeroed line; null on no memory.
    double* AllocLine(int index);
    void FreeLine(int index);
    // The row's values. With lfFilter the answer is a filtered copy held by
    // the engine until the next call; the stored line is never rewritten.
    const double* GetLine(int row, int flags);
    int GetLineWidth() const { return kLineWidth; }
    int GetLineCount(bool visible);
    bool IsImageReady() const;
    int GetLiveState() const;
    QString GetDurationText() const;
    bool CopyRecording(int bytesRecorded);
    // Builds the grey image, repairs out-of-range values and writes the raw
    // cache. imageModes bit 1 suppresses the returned image; the image is
    // otherwise handed to the caller for display.
    MagickImagePtr SaveImage(int imageModes);
    bool LoadRawImage(bool reuseLines);
    void RestoreRawLines();
    double FilterPixel(int col, int row, double v, const double* ownRow = nullptr) const;
    double MedianPixel(int col, int row, double x, const double* ownRow = nullptr) const;
    int FindCropLine(bool fromStart);

    // --- signal chain ---
    bool IsStopped() const { return StopFlags.load() != 0 || (Flags.load() & aptComplete) != 0; }
    int GetRecordedBytes() const;
    bool GetPixelRow(double* row);
    int GetPixels(double* out, int count);
    // Fetches up to count (at most kMaxSampleBlock) samples and demodulates them.
    int GetSamples(double* out, int count);
    // The two halves of GetSamples: the raw samples (-1..1), then the
    // demodulation of one of them in place, sample after sample.
    int FetchSamples(double* out, int count);
    void DemodulateInPlace(double* sample);
    double DemodulateSample(double x);
    static double PhaseAngle(double q, double i);
    struct LowPassState {
        double x[5] = {0, 0, 0, 0, 0};
        double y[3] = {0, 0, 0};
    };
    static double LowPass(double x, LowPassState& state);
    static double Interpolate(const double* samples, double phase, double step);
    static double Correlate(const double* a, const double* b, int n);

    // --- telemetry and calibration ---
    void Calibrate();
    bool CheckTelemetry(bool loose);
    bool IdentifyChannel(bool channelB);
    QString GetChannelName(bool channelB);
    static QString ChannelName(int channel);
    void GetTemperature(int row, int col, double& grey, double& kelvin) const;
    int FindTelemetryFrame(int col, bool reuse);
    void FlattenWedges(int col, int start);
    double WedgeMean(int col, int line) const;
    int CalibrateChannel(int imageCol, bool identifyOnly);
    int IdentifyChannelA(bool identifyOnly);
    int IdentifyChannelB(bool identifyOnly);
    bool IsChannelPairValid(bool loose) const;
    bool SetupThermal();
    void ComputeBlackbody();
    void ThermalCalibrate(double x, double& grey, double& kelvin) const;
    struct Cubic {
        double c[4] = {0, 0, 0, 0};
    };
    static bool FitWedgeCubic(const double* raw, Cubic& cubic);
    static double EvalCubic(const Cubic& cubic, double x);
    static bool FitPolynomial(const double* x, const double* y, int n, int degree, double* coefficients);
    static bool SolveLinear(double* m, double* b, int n);

    // --- raw-line cache ---
    // onProgress(lines) follows the lines made ready for the file, rising to
    // all of them once they are written.
    bool WriteRawCache(const std::function<void(int lines)>& onProgress = {});
    bool ReadRawCache(bool reuseLines);

    // --- fields ---
    QString AudioFileName;
    QString RawImageName;
    int MaxLines = 0;
    int Lines = 0;
    int FramePhase = -1;
    int FirstLine = 0;
    int LastLine = 0;  // 0 means Lines
    // The memory of the decoded lines; declared before LineStore, whose lines
    // go back to it as they are freed.
    apt::LineArena LineMemory{kLineStride};
    std::vector<apt::LinePtr> LineStore;
    std::unique_ptr<double[]> WorkColumn;
    int ChannelA = avhrrNone;
    int ChannelB = avhrrNone;
    std::atomic<int> Flags{0};      // TAPTFlag; written by the window and the processing thread
    std::atomic<int> StopFlags{0};  // any bit stops every loop; written by the window
    int SpacecraftModel = 0;        // TSpacecraftModel, set by the window
    TWaveInPosition WaveIn;         // live source, set by the window
    TWaveHeader WaveHeader;
    int ReadPos = 0;
    int CopySize = 0;
    std::unique_ptr<unsigned char[]> RecordCopy;
    SF_INFO SfInfo{};
    SNDFILE* SndFile = nullptr;
    std::unique_ptr<double[]> RowCarry;
    // The last kMaxRowMove values of the previous row, for a move back.
    std::unique_ptr<double[]> RowHistory;
    // Sync correlation at each place of the line (0 the row start), summed
    // over the searched rows with a fading weight: the evidence for a move.
    std::unique_ptr<double[]> SyncScore;
    std::unique_ptr<double[]> SampleBuffer;
    std::unique_ptr<double[]> SampleWindow;
    double Wedges[16] = {};
    double Frequency = 0;
    double LineRate = 1.0;
    double SmoothedFrequency = 0;
    double FirPhase = 0;
    double CarrierPhase = 0;
    // Cosine and sine of CarrierPhase; it follows CarrierPhase, which stays
    // the loop's state (a reset only needs to set CarrierPhase).
    apt::CarrierOscillator Carrier{2400.0 / 11025.0};
    LowPassState FilterI, FilterQ;
    int WindowFill = 0;
    int WindowPos = 0;
    int RowFill = 0;
    int InSyncCount = 0;
    double LastCorrelation = 0;
    double SpaceMean = 0;
    TThermalCal ThermalCal;

    // Failures the window shows in a message box (text, caption).
    ErrorReporter OnError;
    // How far SaveImage has come, called on the thread that runs it: steps
    // done of steps, the grey image's rows first, then the cache's lines; done
    // equals steps only when both are made.
    std::function<void(int done, int steps)> OnFinishStep;
    QString LastError;
    QString LastErrorCaption;

private:
    void ShowError(const QString& text, const QString& caption);
    void ResetDemodulator();
    bool FillRow(double* row, int& have, int want);
    int SearchSync(const double* row, double current, double& correlation);
    void MoveRowStart(double* row, int& have, int move);
    bool FinishRow(double* row, int have);
    MagickImagePtr BuildImage(int imageModes);
    bool WriteImageCache(Image* image);
    bool ReadImageCache(bool reuseLines);
    void DiscardCache(bool deleteFile);
    int ReadFileSamples(double* out, int n);
    bool RestoreRawLinesFromMemory();
    void FindFrameAndCrop();

    // Samples read from the audio file ahead of the demodulator.
    int fileBlockPos_ = 0;
    int fileBlockFill_ = 0;
    // Filtered copy returned by GetLine.
    std::unique_ptr<double[]> filteredLine_;
    // Calibration of the frames, filled while a channel is calibrated.
    std::vector<Cubic> frameCubics_;
    // The raw lines as the text cache holds them (millionths), written or read
    // last: calibrated lines come back from here without reading the file.
    std::unique_ptr<std::int32_t[]> rawMicros_;
    int rawMicroLines_ = 0;
    // The first rawLinesExact_ lines hold exactly the values the cache just
    // read gave: rawMicros_ is taken from them only before they first change.
    int rawLinesExact_ = 0;
    void KeepRawMicros();
};
