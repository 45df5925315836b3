// The engine object: sources, line store, state queries, the noise filter
// and the search for the noise-free part of a pass.
#include "apt/APT.h"

#include "platform/CNumbers.h"

#include <QFile>
#include <algorithm>
#include <climits>
#include <cmath>
#include <cstring>
#include <new>

namespace {

// Values are grey levels 0..255; NaN (from a damaged source) counts as 0 so
// it can never reach a comparison-based filter.
double Clamp255(double v)
{
    if (!(v >= 0))
        return 0;
    return v > 255 ? 255 : v;
}

double Finite(double v) { return std::isnan(v) ? 0.0 : v; }

template <typename T>
std::unique_ptr<T[]> TryAllocate(size_t count)
{
    return std::unique_ptr<T[]>(new (std::nothrow) T[count]());
}

}  // namespace

TAPT::TAPT() = default;

TAPT::~TAPT()
{
    FreeBuffers(false);
}

void TAPT::ShowError(const QString& text, const QString& caption)
{
    LastError = text;
    LastErrorCaption = caption;
    if (OnError)
        OnError(text, caption);
}

void TAPT::ResetDemodulator()
{
    Frequency = SmoothedFrequency = 2400.0 / 11025.0;
    LineRate = 1.0;
    CarrierPhase = FirPhase = 0;
    FilterI = LowPassState();
    FilterQ = LowPassState();
    WindowFill = WindowPos = RowFill = InSyncCount = 0;
    LastCorrelation = 0;
    if (RowHistory)
        std::fill(RowHistory.get(), RowHistory.get() + kMaxRowMove, 0.0);
    if (SyncScore)
        std::fill(SyncScore.get(), SyncScore.get() + kLineWidth, 0.0);
    fileBlockPos_ = fileBlockFill_ = 0;
    SpaceMean = 0;
    ChannelA = ChannelB = avhrrNone;
    ThermalCal = TThermalCal();
    std::fill(std::begin(Wedges), std::end(Wedges), 0.0);
}

bool TAPT::Init(const QString& audioPath, int initFlags)
{
    FreeBuffers(false);
    Flags = 0;
    StopFlags = 0;
    MaxLines = Lines = 0;
    SpacecraftModel = 0;
    AudioFileName = audioPath;
    ReadPos = CopySize = 0;
    RecordCopy.reset();
    FramePhase = -1;
    FirstLine = LastLine = 0;
    LastError.clear();
    LastErrorCaption.clear();

    if ((initFlags & 1) && !LoadRawImage(false))
        initFlags &= ~1;
    if (!(initFlags & 1)) {
        if (audioPath.isEmpty()) {
            Flags = aptDecoding | aptLive;
        } else {
            if (!OpenAudioFile(audioPath))
                return false;
            Flags = aptDecoding | aptAudioFile;
        }
    }
    if (Flags & aptDecoding) {
        RowCarry = TryAllocate<double>(kLineStride);
        RowHistory = TryAllocate<double>(kMaxRowMove);
        SyncScore = TryAllocate<double>(kLineWidth);
        SampleBuffer = TryAllocate<double>(kMaxSampleBlock);
        SampleWindow = TryAllocate<double>(kWindowCapacity);
        if (!RowCarry || !RowHistory || !SyncScore || !SampleBuffer || !SampleWindow) {
            StopFlags |= aptStopNoMemory;
            ShowError(QStringLiteral("Insufficient memory!\n%1\n%2").arg(QStringLiteral(__FILE__), "TAPT::Init"),
                      "FATAL ERROR");
            return false;
        }
    }
    ResetDemodulator();
    if (initFlags & 1)
        Flags |= aptComplete | aptAudioFile | aptDecoding;
    return true;
}

bool TAPT::OpenAudioFile(const QString& path)
{
    CloseAudio();
    SfInfo = SF_INFO{};
    const QByteArray local = QFile::encodeName(path);
    SndFile = sf_open(local.constData(), SFM_READ, &SfInfo);
    if (!SndFile) {
        const char* reason = sf_strerror(nullptr);
        if (reason && *reason)
            ShowError(QStringLiteral("%1\n%2").arg(path, QString::fromLocal8Bit(reason)), "Error");
        else
            ShowError("Unable to open file!\n" + path, "Error");
        return false;
    }
    if (SfInfo.samplerate != kSampleRate) {
        ShowError(QStringLiteral("%1\nSample rate: %2. Must be 11025").arg(path).arg(SfInfo.samplerate),
                  "Error: Unsupported samplerate!");
        CloseAudio();
        return false;
    }
    if (SfInfo.channels > 1) {
        ShowError(QStringLiteral("%1\nToo many channels : %2").arg(path).arg(SfInfo.channels),
                  "Error: Stereo not yet supported!");
        CloseAudio();
        return false;
    }
    // A header may claim any length; the line capacity stays within what the
    // cache can count, and reading stops at the real end of the data anyway.
    const sf_count_t seconds = std::clamp<sf_count_t>(SfInfo.frames / kSampleRate, 0, kMaxCacheLines / 2);
    if (seconds <= 4) {
        ShowError(QStringLiteral("%1\nNot enough data to process! Only %2 seconds.").arg(path).arg(seconds),
                  "Error: Not enough lines recorded!");
        CloseAudio();
        return false;
    }
    MaxLines = static_cast<int>(2 * seconds);
    return true;
}

void TAPT::CloseAudio()
{
    if (SndFile)
        sf_close(SndFile);
    SndFile = nullptr;
    fileBlockPos_ = fileBlockFill_ = 0;
}

int TAPT::GetAudioDuration()
{
    if (SndFile && SfInfo.samplerate > 0)
        return static_cast<int>(std::min<sf_count_t>(SfInfo.frames / SfInfo.samplerate, INT_MAX));
    if (AudioFileName.isEmpty())
        return 0;
    SF_INFO info{};
    const QByteArray local = QFile::encodeName(AudioFileName);
    SNDFILE* file = sf_open(local.constData(), SFM_READ, &info);
    if (!file)
        return 0;
    sf_close(file);
    if (info.samplerate != kSampleRate || info.channels != 1)
        return 0;
    return static_cast<int>(std::min<sf_count_t>(info.frames / info.samplerate, INT_MAX));
}

void TAPT::FreeBuffers(bool keepLines)
{
    CloseAudio();
    if (!keepLines)
        FreeLines();
    RowCarry.reset();
    RowHistory.reset();
    SyncScore.reset();
    SampleBuffer.reset();
    SampleWindow.reset();
    WorkColumn.reset();
    if (keepLines)
        Flags |= aptBuffersFreed;
}

bool TAPT::AllocLines(int count)
{
    FreeLines();
    if (count <= 0)
        return false;
    if (!MakeLineStore(count))
        return false;
    for (int i = 0; i < count; ++i) {
        if (!AllocLine(i)) {
            FreeLines();
            MaxLines = Lines = 0;
            return false;
        }
    }
    MaxLines = Lines = count;
    return true;
}

void TAPT::FreeLines()
{
    LineStore.clear();
    LineStore.shrink_to_fit();
    Lines = 0;
    rawMicros_.reset();
    rawMicroLines_ = 0;
    rawLinesExact_ = 0;
}

bool TAPT::MakeLineStore(int count)
{
    FreeLines();
    try {
        LineStore.resize(std::max(count, 0));
    } catch (const std::bad_alloc&) {
        StopFlags |= aptStopNoMemory;
        MaxLines = 0;
        return false;
    }
    MaxLines = count;
    return true;
}

double* TAPT::AllocLine(int index)
{
    if (index < 0 || index >= static_cast<int>(LineStore.size()))
        return nullptr;
    LineStore[index] = LineMemory.Allocate();
    if (!LineStore[index])
        StopFlags |= aptStopNoMemory;
    return LineStore[index].get();
}

void TAPT::FreeLine(int index)
{
    if (index >= 0 && index < static_cast<int>(LineStore.size()))
        LineStore[index].reset();
}

const double* TAPT::GetLine(int row, int flags)
{
    if (row < 0 || row >= Lines || row >= static_cast<int>(LineStore.size()) || !LineStore[row])
        return nullptr;
    const double* line = LineStore[row].get();
    if (!(flags & lfFilter))
        return line;
    if (!filteredLine_) {
        filteredLine_ = TryAllocate<double>(kLineStride);
        if (!filteredLine_)
            return line;
    }
    double* copy = filteredLine_.get();
    std::memcpy(copy, line, sizeof(double) * kLineStride);
    const bool onlyB = (flags & (lfBoth | lfChannelA | lfChannelB)) == lfChannelB;
    const int first = onlyB ? 1126 : 86;
    const int end = (flags & lfChannelA) ? 995 : 2035;
    // Left to right over the copy: later pixels see the filtered ones.
    for (int c = first; c < end; ++c) {
        if ((c > 86 && c < 994) || (c > 1126 && c < 2034))
            copy[c] = FilterPixel(c, row, copy[c], copy);
    }
    return copy;
}

int TAPT::GetLineCount(bool visible)
{
    if (!visible)
        return Lines;
    if (LastLine == 0)
        LastLine = Lines;
    return LastLine - FirstLine;
}

bool TAPT::IsImageReady() const
{
    const int flags = Flags.load();
    return Lines > 0 && (flags & aptComplete) && (flags & (aptAudioFile | aptLive)) && StopFlags.load() == 0;
}

int TAPT::GetLiveState() const
{
    const int flags = Flags.load();
    if (StopFlags.load() != 0 || !(flags & aptLive))
        return -1;
    return (flags & aptDecoding) && !(flags & aptComplete) ? 1 : 0;
}

QString TAPT::GetDurationText() const
{
    const int seconds = Lines / 2;
    return QString::fromStdString(cnum::Format("%d:%.2d", seconds / 60, seconds % 60));
}

bool TAPT::CopyRecording(int bytesRecorded)
{
    RecordCopy.reset();
    CopySize = 0;
    if (Flags & aptBuffersFreed)
        return false;
    // The driver's count can never lie beyond its buffer; the copy stays inside.
    const int recorded = std::min(bytesRecorded, static_cast<int>(WaveHeader.BufferLength));
    const int tail = recorded - ReadPos;
    if (tail < kMinLiveTail || !WaveHeader.Data)
        return false;
    RecordCopy = TryAllocate<unsigned char>(static_cast<size_t>(tail) + 1);
    if (!RecordCopy)
        return false;
    std::memcpy(RecordCopy.get(), WaveHeader.Data + ReadPos, tail);
    CopySize = tail;
    ReadPos = 0;
    return true;
}

double TAPT::FilterPixel(int col, int row, double v, const double* ownRow) const
{
    const double r = Clamp255(v);
    if (col < 1 || col >= kLineWidth - 1 || row < 1 || row >= Lines - 1)
        return r;
    const double* rows[3] = {LineStore[row - 1].get(), ownRow ? ownRow : LineStore[row].get(),
                             LineStore[row + 1].get()};
    if (!rows[0] || !rows[1] || !rows[2])
        return r;
    double low = 255, high = 0, neighbours = 0;
    for (int dy = 0; dy < 3; ++dy) {
        for (int dx = -1; dx <= 1; ++dx) {
            const double value = Clamp255(rows[dy][col + dx]);
            low = std::min(low, value);
            high = std::max(high, value);
            if (dy != 1 || dx != 0)
                neighbours += value;
        }
    }
    if (high - low > 15 && std::fabs(v - neighbours / 8) > 5)
        return MedianPixel(col, row, v, ownRow);
    return r;
}

double TAPT::MedianPixel(int col, int row, double x, const double* ownRow) const
{
    if (col < 1 || col >= kLineWidth - 1 || row < 1 || row >= Lines - 1)
        return Clamp255(x);
    const double* rows[3] = {LineStore[row - 1].get(), ownRow ? ownRow : LineStore[row].get(),
                             LineStore[row + 1].get()};
    if (!rows[0] || !rows[1] || !rows[2])
        return Clamp255(x);
    double values[9];
    int n = 0;
    for (int dy = 0; dy < 3; ++dy)
        for (int dx = -1; dx <= 1; ++dx)
            values[n++] = Finite(rows[dy][col + dx]);
    std::nth_element(values, values + 4, values + 9);
    return Clamp255(values[4]);
}

int TAPT::FindCropLine(bool fromStart)
{
    if (Flags & aptNoTelemetry)
        return fromStart ? 0 : Lines;
    const int examine = Lines / 3;
    int run = 0;
    int line = fromStart ? 0 : Lines;
    for (int n = 0; n < examine; ++n) {
        line = fromStart ? n : Lines - 1 - n;
        const double* values = LineStore[line].get();
        double sum = 0;
        if (values)
            for (int c = 1079; c <= 1125; ++c)
                sum += values[c];
        if (values && sum / 47 >= 55) {
            if (++run == 6)
                return fromStart ? line - 5 : line + 5;
        } else {
            run = 0;
        }
    }
    return line;
}
