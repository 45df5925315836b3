#pragma once
// TTrackThread: the worker that drives the program's day. It follows one
// pass at a time: keeps its position current, has the main window choose
// the next pass when the followed one is over or a new choice is asked for,
// tunes the receiver to the pass's downlink, reports overlapping passes,
// calls the record and stop commands when the pass's recording window opens
// and closes, and refreshes the track panel and the tray. It wakes every
// 250 ms at the lowest priority.
//
// Threads: everything that touches a window, the receiver or the recorder
// runs on the GUI thread through TThread::Synchronize while the tracker
// waits. On its own thread it only updates the followed pass's position and
// asks the window tests, holding the host's pass lock, which the GUI thread
// takes too whenever it touches the pass outside these synchronised steps.
// The pass is freed only on the GUI thread (in a synchronised step or the
// end handler), so the GUI never reads a freed pass. The settings record may
// be replaced while the tracker runs: its reads of the record on its own
// thread hold the host's settings lock.
#include "platform/Thread.h"

#include <QString>
#include <QStringList>
#include <atomic>
#include <mutex>

class QLabel;
class TRig;
class TSat;
class TSetting;

// Bits of TTrackThread::Flags.
enum TTrackFlag : int {
    tfIdle = 0x2,        // the last choice found no pass: wait for a request
    tfNewPass = 0x4,     // choose the next pass in the next cycle
    tfTune = 0x8,        // tune the receiver in the next cycle
    tfTuneError = 0x10,  // report a tuning error in the next cycle
    tfTuneWindow = 0x20, // tune through the open receiver window
    tfOverlap = 0x40,    // report the overlap text of the new pass
    tfStop = 0x400,      // the tracker is being stopped
};

// What the tracker asks of the main window. Every call but the three marked
// "any thread" runs on the GUI thread.
class TTrackHost {
public:
    virtual ~TTrackHost() = default;
    // A new pass (the host's next pass from now on), or null when none.
    virtual TSat* ChooseNextPass() = 0;
    // The host forgets its next pass; the tracker frees it.
    virtual void ForgetNextPass() = 0;
    virtual bool IsClosing() const = 0;    // any thread
    virtual bool IsRecording() const = 0;  // any thread
    virtual bool CanRecord() const = 0;    // any thread
    virtual std::mutex& PassLock() = 0;    // any thread
    // Held while the settings record is replaced on the GUI thread, and by
    // the tracker around its reads of the record on its own thread.
    virtual std::mutex& SettingsLock() = 0;  // any thread
    virtual void ClearTrayBalloon() = 0;   // the next recording may show its balloon
    virtual void RecButtonClick() = 0;
    virtual void StopButtonClick() = 0;
    virtual void RefreshTray() = 0;
    virtual TRig* Receiver() = 0;
    // Whether a receiver window is open: it then tunes instead of the link.
    virtual bool IsRadioWindowOpen() = 0;
    // The open receiver window tunes to the next pass; false when it refused.
    virtual bool TuneRadioToNextPass() = 0;
    virtual QString TrackedOverlapText() const = 0;
    // Appends lines to the process-information window; false when there is none.
    virtual bool AddLogLines(const QStringList& lines) = 0;
};

class TTrackThread : public TThread {
public:
    struct TLabels {
        QLabel* TheMoon = nullptr;
        QLabel* TheSun = nullptr;
        QLabel* KeplerAge = nullptr;
        QLabel* TrackLabel = nullptr;
        QLabel* OverlapLabel = nullptr;
    };

    // pass: owned from now on (may be null). host, labels and settings are
    // not owned and outlive the thread.
    TTrackThread(bool createSuspended, TTrackHost* host, const TLabels& labels, const TSetting* settings,
                 TSat* pass);
    ~TTrackThread() override;

    bool IsStopping() const;
    void SetFlags(int bits) { Flags.fetch_or(bits); }
    void ClearFlags(int bits) { Flags.fetch_and(~bits); }
    bool HasFlags(int bits) const { return (Flags.load() & bits) != 0; }
    TSat* Pass() const { return pass_; }  // GUI thread, or with the pass lock

    // TTrackFlag bits, set and cleared by both threads.
    std::atomic<int> Flags{0};
    std::atomic<bool> Finished{false};
    // The nap between cycles, in ms; tests may shorten it.
    std::atomic<int> CycleMs{250};

protected:
    void Execute() override;

private:
    enum class TRecordState { Waiting, Started, Stopped };

    void Sync(void (TTrackThread::*step)());
    void FreePass();
    void HandleTerminate();
    void Nap();
    // The synchronised steps.
    void SelectNextPass();
    void TuneReceiver();
    void TuneReceiverWindow();
    void LogTunerError();
    void LogOverlapWarning();
    void ShowOverlapWarning();
    void StartRecording();
    void StopRecording();
    void ShowTrackLabel();
    void ShowSun();
    void ShowMoon();
    void ShowKeplerAge();
    void UpdateTray();

    TTrackHost* const host_;
    const TLabels labels_;
    const TSetting* const settings_;
    TSat* pass_;  // owned; changed on the GUI thread only, under the pass lock
};
