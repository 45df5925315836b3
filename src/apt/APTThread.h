#pragma once
// TAPTThread: the processing thread of one image window. It pulls
// synchronised rows from the window's engine (TAPT) into the line store, has
// each new row drawn as it comes, paces itself against the sound driver while
// the source is a recording in progress, and finishes the pass: keep-or-drop
// check, raw-line cache and display image, the web log run, completion and
// the first view. The image window makes one for an audio file without a
// usable cache, for a live recording, and for the hand-over of a recording's
// unread tail; it stops and deletes it. The thread never frees itself.
//
// Threads: Execute runs on its own thread, at the ordinary priority for a
// recording in memory (live or handed over) and at idle priority for a file,
// and is, while it runs, the only writer of the engine's line store and
// decoder state. The window is reached only through TAPTDisplay, each call
// made on the GUI thread through TThread::Synchronize while this thread waits. The settings
// are the thread's own copy, taken on the GUI thread when it is made, so the
// settings dialog may replace the main window's record at any time.
//
// The live recording buffer is read while the sound driver writes it; the
// only fence is the driver's reported position (TAPT::WaveIn): a row is
// started only when at least kLiveFenceBytes are recorded beyond
// TAPT::ReadPos, more than one row with its sync search and the resampler's
// look-ahead can consume.
//
// Stopping. Two callers stop this thread for two different reasons, and each
// has a call of its own:
//
// - The window, when it closes, is cancelled, is taken by a new recording or
//   is torn down: Stop(4). The bits go into the engine's StopFlags (every
//   loop of the engine ends), the thread is terminated and waited for. A
//   thread that is finishing the pass stops between two steps and the image
//   is never marked complete: the pass is abandoned.
//
// - The end-of-recording handler, on the GUI thread after the sound input
//   gave the buffer back and before the buffer is freed:
//   EndRecording(bytesRecorded). It sets no stop bit and never terminates a
//   thread that finishes a pass; the answer says who finishes it:
//     Nothing     the thread does not read the recording (an audio file, a
//                 hand-over), was stopped, the end was handled already, or
//                 not one row was recorded (the engine then gets stop bit 1,
//                 nothing decoded): the caller never finishes the pass.
//     HandOver    the live decode has ended and the unread tail (more than
//                 TAPT::kMinLiveTail bytes) is in the engine's private copy:
//                 the caller sets aptFromCopy and starts a hand-over thread,
//                 which continues at the next row in the same line store
//                 and finishes the pass (keep-or-drop, cache, log) once.
//     FinishHere  the live decode has ended and nothing worth decoding is
//                 left (or the store is full): the engine is closed as a
//                 finished decode (MaxLines = Lines, work buffers freed,
//                 aptDecoding cleared) and the caller finishes the pass
//                 itself: completion, cache, log.
//   Neither Stop(0) nor Terminate() may stand in for it: a terminated thread
//   that was finishing leaves the pass half done (and the caller would log
//   it a second time), and a stop bit left in the engine stops the hand-over
//   thread before its first row, losing the last second of the recording.
//
// Both wait for the thread while serving its synchronised calls; neither may
// be called from inside a TAPTDisplay call (the thread waits for that call
// to return, so waiting for the thread there never ends).
//
// A thread that reads the recording never finishes the pass by itself: when
// the driver's position drops to 0 (the device was reset), the buffer runs
// out or the line store is full, its decode loop just ends and the pass,
// with its unread tail, waits for EndRecording. Until then the engine keeps
// aptDecoding, so TAPT::GetLiveState stays 1.
#include "apt/APT.h"
#include "platform/Thread.h"
#include "shell/Setting.h"

#include <QString>
#include <QStringList>
#include <array>
#include <atomic>
#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>

class TAPTThread;

// One decoded row as the window draws it: 2080 grey pixels of 32 bits, in
// memory order blue, green, red and a zero byte (0x00RRGGBB on this
// little-endian machine): the value clamped to 0..255 and truncated. For a
// northbound pass each channel half is mirrored left to right.
struct TAPTLinePixels {
    int Row = 0;  // row of the pass, 0 the first decoded
    bool Northbound = false;
    std::array<std::uint32_t, TAPT::kLineWidth> Pixels{};

    // The scan line of a display bitmap of height rows: a northbound pass
    // fills it from the bottom up. -1 when the row lies outside it.
    int TargetRow(int height) const;
};

// How far a pass has come, in thousandths, for the window's gauge: decoding
// fills the first part, finishing (the grey image and the raw-line cache,
// finishDone of finishSteps) the rest, and 1000 is reached only when both are
// done. rowsWanted 0 counts as nothing decoded yet.
int PassProgressPermille(int rowsDecoded, int rowsWanted, int finishDone, int finishSteps);

// What the processing thread asks of its image window. Every call runs on
// the GUI thread while the thread waits, and none is made once the thread is
// terminated.
class TAPTDisplay {
public:
    virtual ~TAPTDisplay() = default;
    // Writes the row into the display bitmap at line.TargetRow(height) and
    // shows it (TMDIChild::PaintLiveLine).
    virtual void DrawLine(const TAPTLinePixels& line) = 0;
    // The finishing under way (TAPT::OnFinishStep): the gauge moves on from
    // the decoded rows to PassProgressPermille(rows, rows wanted, done, steps).
    virtual void ShowFinishing(int done, int steps) = 0;
    // Hides the window's GaugePanel.
    virtual void HideGaugePanel() = 0;
    // The finished pass's grey image, handed over: the window remakes its
    // display bitmap (CreateDisplayBitmap(0, 0)) and shows the image in it.
    virtual void SetImageBitmap(MagickImagePtr image) = 0;
    // The step under way in the window's LbStatus.
    virtual void ShowStatus(const QString& caption) = 0;
    // TMDIChild::ShowProgress(false).
    virtual void HideProgress() = 0;
    // The first view of the finished pass: TMDIChild::ShowView(0, 9) for a
    // live window, else ShowView(0, 8).
    virtual void ShowResult() = 0;
    // The log writer's messages for the process-information window.
    virtual void AddLogLines(const QStringList& lines) = 0;
};

// The web log writer's run after a pass, as the thread drives it (TLogger).
class TPassLogWriter {
public:
    virtual ~TPassLogWriter() = default;
    virtual bool WriteLog(bool daily) = 0;
    virtual bool UploadLog(bool keepConnected) = 0;
    // True while WriteLog or UploadLog runs; any thread may ask.
    virtual bool IsBusy() const = 0;
};
// Makes the log writer of a post-pass run, on the processing thread.
using TPassLogWriterFactory = std::function<std::unique_ptr<TPassLogWriter>(TAPTThread& thread)>;

// What the image window hands its processing thread. The engine is ready
// before the thread is made: TAPT::Init done, and for a live recording
// MaxLines, WaveIn and WaveHeader set; for a hand-over the tail copied
// (TAPT::CopyRecording) and aptFromCopy set.
struct TAPTThreadSetup {
    TAPT* Engine = nullptr;          // the window's engine; not owned, outlives the thread
    TAPTDisplay* Display = nullptr;  // the window; not owned, outlives the thread; null shows nothing
    TSetting Settings;               // the thread's own copy, taken on the GUI thread
    bool Northbound = false;         // the pass runs north
    bool HasPass = false;            // the window has a pass (a poor recording may be deleted)
    TPassLogWriterFactory MakeLogger;  // the web log writer; empty: no log run
};

// The answer of TAPTThread::EndRecording (see the header comment).
enum class TRecordingEnd { Nothing, HandOver, FinishHere };

// Bits of TAPTThread::Flags.
enum TAPTThreadFlag : int {
    aptThreadTerminated = 0x1,  // the body has returned and OnTerminate ran
};

class TAPTThread : public TThread {
public:
    // A row is decoded from the live buffer only with this many bytes
    // recorded beyond ReadPos (about 1.02 s of audio).
    static constexpr int kLiveFenceBytes = 11300;
    static constexpr int kFirstLiveWaitMs = 1000;  // before the first live row
    static constexpr int kLiveWaitMs = 150;        // before each later one

    // Made on the GUI thread; starts at once unless createSuspended.
    TAPTThread(bool createSuspended, TAPTThreadSetup setup);
    // Stops a thread still running (without setting stop bits) and waits.
    ~TAPTThread() override;

    // The window's stop (GUI thread): see the header comment.
    void Stop(int stopFlags);
    // The end-of-recording handler's stop (GUI thread): see the header comment.
    TRecordingEnd EndRecording(int bytesRecorded);

    // No engine, a stopped or complete engine, or no line capacity.
    bool IsStopped() const;
    // The thread's log writer exists and is running (the close query asks).
    bool IsLogBusy() const;
    // The thread's own settings; they never change.
    const TSetting& Settings() const { return settings_; }
    // The log writer's messages to the process-information window, from the
    // thread that runs the log writer.
    void SynchronizeLogLines(const QStringList& lines);

    std::atomic<int> Flags{0};  // TAPTThreadFlag; written on the GUI thread

protected:
    void Execute() override;

private:
    // Paces a live decode: true once a row's worth of the recording is
    // there; false when the recording ended or the thread was stopped.
    bool WaitForRecordedRow(bool first);
    // Waits up to ms; false when woken by a stop or the end of the recording.
    bool Pause(int ms);
    bool Interrupted() const;
    // The body; out of memory anywhere in it sets the engine's stop bit 0.
    void Decode();
    void WakeUp();
    void DrawLine(int row);
    void FinishPass();
    void RunLog();
    void ThreadTerminated();
    // Runs fn(display) on the GUI thread unless the thread is terminated.
    void Show(const std::function<void(TAPTDisplay&)>& fn);

    TAPT* const engine_;             // not owned
    TAPTDisplay* const display_;     // not owned
    const TSetting settings_;
    const bool northbound_;
    const bool hasPass_;
    const TPassLogWriterFactory makeLogger_;
    // Fixed when made: the source is the recorder's buffer itself.
    const bool readsRecording_;

    std::atomic<bool> recordingEnded_{false};  // written by EndRecording, read by the thread
    bool recordingEndHandled_ = false;         // GUI thread only
    std::mutex waitMutex_;
    std::condition_variable waitChanged_;

    // Made on this thread, deleted on the GUI thread by OnTerminate; the
    // close query reads it from the GUI thread.
    mutable std::mutex loggerMutex_;
    std::unique_ptr<TPassLogWriter> logger_;
};
