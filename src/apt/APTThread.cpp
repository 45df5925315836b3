#include "apt/APTThread.h"

#include <QFile>
#include <algorithm>
#include <chrono>
#include <new>
#include <utility>

namespace {

// The same path with another extension (the one after the last point of the
// file name, when there is one).
QString WithExtension(const QString& path, const QString& extension)
{
    const int slash = path.lastIndexOf('/');
    const int dot = path.lastIndexOf('.');
    return (dot > slash ? path.left(dot) : path) + extension;
}

// The gauge's part for decoding, the rest being the grey image and the
// cache: a 15-minute pass decodes in about 0.6 s and finishes in about 0.3 s.
constexpr int kDecodePermille = 700;
// The least move of the gauge shown while finishing.
constexpr int kFinishGaugePermille = 5;

std::uint32_t GreyPixel(double value)
{
    const std::uint32_t v = !(value > 0) ? 0u : value >= 255 ? 255u : static_cast<std::uint32_t>(value);
    return v | (v << 8) | (v << 16);
}

}  // namespace

int PassProgressPermille(int rowsDecoded, int rowsWanted, int finishDone, int finishSteps)
{
    const long long decoded = rowsWanted > 0 ? std::clamp(rowsDecoded, 0, rowsWanted) : 0;
    const long long decodePart = decoded * kDecodePermille / std::max(rowsWanted, 1);
    if (finishSteps <= 0)
        return static_cast<int>(decodePart);
    const long long finished = std::clamp(finishDone, 0, finishSteps);
    // Finishing starts from the part decoding reached: a pass that ended
    // early moves on from where its gauge stood.
    const long long finishPart = finished * (1000 - decodePart) / finishSteps;
    return static_cast<int>(decodePart + finishPart);
}

int TAPTLinePixels::TargetRow(int height) const
{
    const int row = Northbound ? height - (Row + 1) : Row;
    return row >= 0 && row < height ? row : -1;
}

TAPTThread::TAPTThread(bool createSuspended, TAPTThreadSetup setup)
    : TThread(true),
      engine_(setup.Engine),
      display_(setup.Display),
      settings_(std::move(setup.Settings)),
      northbound_(setup.Northbound),
      hasPass_(setup.HasPass),
      makeLogger_(std::move(setup.MakeLogger)),
      readsRecording_(setup.Engine && (setup.Engine->Flags & (aptLive | aptFromCopy)) == aptLive)
{
    FreeOnTerminate = false;
    // A recording held in memory is lost when its decode starves, and on a
    // busy PC a low-priority thread gets about 1/70 of each ordinary
    // process's share: minutes for a pass. Its decode (live or the hand-over
    // of its tail) takes a small part of a core and keeps the ordinary
    // priority; a file on disk loses nothing by waiting and yields to the
    // user's programs.
    SetPriority(setup.Engine && (setup.Engine->Flags & aptLive) ? TThreadPriority::Normal : TThreadPriority::Idle);
    OnTerminate = [this] { ThreadTerminated(); };
    if (!createSuspended)
        Resume();
}

TAPTThread::~TAPTThread()
{
    if (!Finished()) {
        Terminate();
        WakeUp();
        Resume();
    }
    WaitFor();
}

void TAPTThread::Stop(int stopFlags)
{
    if (engine_)
        engine_->StopFlags |= stopFlags;
    Terminate();
    WakeUp();
    Resume();
    WaitFor();
}

TRecordingEnd TAPTThread::EndRecording(int bytesRecorded)
{
    if (!readsRecording_ || recordingEndHandled_)
        return TRecordingEnd::Nothing;
    recordingEndHandled_ = true;
    recordingEnded_ = true;
    WakeUp();
    Resume();
    WaitFor();
    TAPT& e = *engine_;
    if (Terminated() || e.StopFlags != 0 || (e.Flags & aptComplete))
        return TRecordingEnd::Nothing;
    if (e.Lines < e.MaxLines && e.CopyRecording(bytesRecorded))
        return TRecordingEnd::HandOver;
    e.Flags &= ~aptDecoding;
    e.MaxLines = e.Lines;
    e.FreeBuffers(true);
    if (e.Lines == 0) {
        e.StopFlags |= aptStopNothingDecoded;
        return TRecordingEnd::Nothing;
    }
    return TRecordingEnd::FinishHere;
}

bool TAPTThread::IsStopped() const
{
    return !engine_ || engine_->IsStopped() || engine_->MaxLines == 0;
}

bool TAPTThread::IsLogBusy() const
{
    std::lock_guard lock(loggerMutex_);
    return logger_ && logger_->IsBusy();
}

void TAPTThread::SynchronizeLogLines(const QStringList& lines)
{
    Show([&lines](TAPTDisplay& display) { display.AddLogLines(lines); });
}

void TAPTThread::Show(const std::function<void(TAPTDisplay&)>& fn)
{
    if (!display_ || Terminated())
        return;
    Synchronize([this, &fn] {
        if (!Terminated())
            fn(*display_);
    });
}

bool TAPTThread::Interrupted() const
{
    return Terminated() || recordingEnded_.load() || IsStopped();
}

void TAPTThread::WakeUp()
{
    std::lock_guard lock(waitMutex_);
    waitChanged_.notify_all();
}

bool TAPTThread::Pause(int ms)
{
    // A stop bit set straight into the engine wakes nobody; it is seen at the
    // end of the bounded wait.
    std::unique_lock lock(waitMutex_);
    waitChanged_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return Interrupted(); });
    return !Interrupted();
}

bool TAPTThread::WaitForRecordedRow(bool first)
{
    int waitMs = first ? kFirstLiveWaitMs : kLiveWaitMs;
    for (;;) {
        if (!Pause(waitMs))
            return false;
        waitMs = kLiveWaitMs;
        const int recorded = engine_->GetRecordedBytes();
        // Position 0: the device was reset, the recording is over.
        if (recorded == 0)
            return false;
        if (recorded - engine_->ReadPos >= kLiveFenceBytes)
            return true;
    }
}

void TAPTThread::Execute()
{
    try {
        Decode();
    } catch (const std::bad_alloc&) {
        if (engine_)
            engine_->StopFlags |= aptStopNoMemory;
    }
}

void TAPTThread::Decode()
{
    if (Terminated() || IsStopped())
        return;
    TAPT& e = *engine_;
    // A hand-over continues in the store the live decode filled.
    if (!(e.Flags & aptFromCopy) && !e.MakeLineStore(e.MaxLines))
        return;

    int i = e.Lines;
    bool endedEarly = false;
    bool firstRow = true;
    while (i < e.MaxLines && !Terminated() && !IsStopped()) {
        if (readsRecording_) {
            if (!WaitForRecordedRow(firstRow))
                break;
            firstRow = false;
        }
        if (Terminated() || IsStopped())
            break;
        double* line = e.AllocLine(i);
        if (!line)
            return;  // out of memory: the engine has set its stop bit
        e.Lines = i + 1;
        if (!e.GetPixelRow(line)) {
            e.FreeLine(i);
            e.Lines = i;
            endedEarly = true;
            break;
        }
        DrawLine(i);
        ++i;
    }

    if (Terminated() || IsStopped())
        return;
    // A live decode leaves the pass, and its unread tail, to EndRecording.
    if (readsRecording_)
        return;
    if (e.Lines == 0) {
        e.StopFlags |= aptStopNothingDecoded;
        return;
    }
    if (endedEarly) {
        e.Flags &= ~aptDecoding;
        e.MaxLines = e.Lines;
        e.FreeBuffers(true);
    }
    FinishPass();
}

void TAPTThread::DrawLine(int row)
{
    const double* values = engine_->GetLine(row, 0);
    if (!values || !display_)
        return;
    auto line = std::make_unique<TAPTLinePixels>();
    line->Row = row;
    line->Northbound = northbound_;
    auto& pixels = line->Pixels;
    for (int x = 0; x < TAPT::kLineWidth; ++x)
        pixels[x] = GreyPixel(values[x]);
    if (northbound_) {
        constexpr int half = TAPT::kLineWidth / 2;
        std::reverse(pixels.begin(), pixels.begin() + half);
        std::reverse(pixels.begin() + half, pixels.end());
    }
    Show([&line](TAPTDisplay& display) { display.DrawLine(*line); });
}

void TAPTThread::FinishPass()
{
    TAPT& e = *engine_;
    const bool live = e.Flags & aptLive;
    bool save = true;

    // A poor recording goes with its pass-information file; the pass is
    // still completed and shown.
    if (live && (settings_.LogModes & 0x4) && !e.CheckTelemetry(true)) {
        save = false;
        if (hasPass_ && !e.RawImageName.isEmpty()) {
            QFile::remove(WithExtension(e.RawImageName, ".wav"));
            QFile::remove(WithExtension(e.RawImageName, ".txt"));
        }
    }
    if (save) {
        // The gauge is shown every half percent and at the end: each call
        // waits for the window, which costs a low-priority thread dearly on
        // a busy machine.
        int shownPermille = -1;
        e.OnFinishStep = [this, &e, &shownPermille](int done, int steps) {
            const int permille = PassProgressPermille(e.Lines, e.MaxLines, done, steps);
            if (permille < shownPermille + kFinishGaugePermille && done < steps)
                return;
            shownPermille = permille;
            Show([done, steps](TAPTDisplay& display) { display.ShowFinishing(done, steps); });
        };
        MagickImagePtr image = e.SaveImage(settings_.ImageModes);
        e.OnFinishStep = nullptr;
        if (image) {
            auto handed = std::make_shared<MagickImagePtr>(std::move(image));
            Show([handed](TAPTDisplay& display) { display.SetImageBitmap(std::move(*handed)); });
        }
    }
    // The gauge stays up while the image and the raw-line cache are made, so
    // the window does not look finished while it is still busy.
    Show([](TAPTDisplay& display) { display.HideGaugePanel(); });
    if (Terminated() || IsStopped())
        return;
    e.RecordCopy.reset();
    e.CopySize = 0;

    if (save && live && (settings_.LogModes & 0x8))
        RunLog();
    // Stopped during the log run: the image is not complete.
    if (Terminated() || IsStopped())
        return;
    e.Flags |= aptComplete;
    Show([](TAPTDisplay& display) { display.HideProgress(); });
    Show([](TAPTDisplay& display) { display.ShowResult(); });
}

void TAPTThread::RunLog()
{
    if (!makeLogger_)
        return;
    Show([](TAPTDisplay& display) { display.ShowStatus("Logging...Please wait!"); });
    std::unique_ptr<TPassLogWriter> made = makeLogger_(*this);
    if (!made)
        return;
    TPassLogWriter* logger = made.get();
    {
        std::lock_guard lock(loggerMutex_);
        logger_ = std::move(made);
    }
    const bool written = logger->WriteLog(true);
    if (Terminated() || IsStopped())
        return;
    if (written && (settings_.LogModes & 0x10)) {
        Show([](TAPTDisplay& display) { display.ShowStatus("Uploading Log...Please wait!"); });
        logger->UploadLog(false);
    }
}

void TAPTThread::ThreadTerminated()
{
    Flags |= aptThreadTerminated;
    // A live decode that ended with the recording is still decoding until
    // EndRecording closes it or hands its tail over.
    const bool awaitingEnd = readsRecording_ && engine_ && !Terminated() && engine_->StopFlags == 0 &&
                             !(engine_->Flags & aptComplete);
    if (engine_ && !awaitingEnd)
        engine_->Flags &= ~aptDecoding;
    std::unique_ptr<TPassLogWriter> logger;
    {
        std::lock_guard lock(loggerMutex_);
        logger = std::move(logger_);
    }
}
