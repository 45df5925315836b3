#pragma once
// TR2FXThread: the R2FX window's polling thread. In normal mode it reads the
// receiver's signal every 500 ms and carries out the window's tuning and
// channel requests; in setup mode (while the setup dialog is open) it carries
// out the dialog's programming requests every 250 ms instead.
//
// Threads: every step that touches the receiver or a window runs on the GUI
// thread through TThread::Synchronize, so the link is never used from two
// threads. Flags is shared: the GUI thread sets and clears request bits, this
// thread tests them and clears 0x01 and 0x02; every change is one atomic
// read-modify-write. All other fields are written on the GUI thread only.
#include "platform/Thread.h"

#include <QString>
#include <array>
#include <atomic>

class QLabel;
class TR2FXForm;
class TRig;

// Bits of TR2FXThread::Flags.
enum TR2FXFlag : int {
    rfTune = 0x01,              // tune to the window's frequency field
    rfSelectChannel = 0x02,     // select the queued memory channel
    rfRedrawChannel = 0x04,     // redraw the channel lamps without tuning
    rfSetupMode = 0x08,         // serve the setup requests instead of the signal
    rfProgramChannel = 0x10,    // program the queued channel
    rfProgramThreshold = 0x20,  // program the queued threshold
    rfStatusWaiting = 0x80,     // a status text waits to be shown
    rfFailed = 0x100,           // a programming step failed
    rfEnded = 0x400,            // the thread has ended
};

class TR2FXThread : public TThread {
public:
    // Starts at once at idle priority. rig and form are not owned and
    // outlive the thread (the form deletes it).
    TR2FXThread(TRig* rig, TR2FXForm* form);
    ~TR2FXThread() override;

    void SetFlags(int bits) { Flags.fetch_or(bits); }
    void ClearFlags(int bits) { Flags.fetch_and(~bits); }
    bool HasFlags(int bits) const { return (Flags.load() & bits) != 0; }
    // Not yet ended: it still takes requests.
    bool IsRunning() const { return !HasFlags(rfEnded); }

    QString StatusText;          // result of the last setup command
    TRig* const Rig;             // not owned
    double Frequency = 0.0;      // MHz of a queued selection or programming
    std::atomic<int> Signal{-1};  // the last reading, -1 for none; read by the window's painting
    int Channel = 0;             // channel of a queued selection or programming
    int Threshold = 0;           // queued scan threshold
    std::atomic<int> Flags{0};   // TR2FXFlag bits
    QLabel* StatusLabel = nullptr;  // where the status text goes; not owned

    // What the programming steps stored in the receiver since the last
    // ForgetProgrammed: the MHz of channels 1 to 6 (0 for none) and the
    // threshold (-1 for none). The window trusts only these after setup.
    std::array<double, 7> ProgrammedMHz{};
    int ProgrammedThreshold = -1;
    void ForgetProgrammed();

protected:
    void Execute() override;

private:
    // Runs a step on the GUI thread unless termination was asked for; true
    // when the loop should go on.
    bool Sync(void (TR2FXThread::*step)());
    // The synchronized steps.
    void ReadSignal();
    void ShowSignal();
    void DrawMeter();
    void Tune();
    void SelectChannel();
    void ProgramChannel();
    void ProgramThreshold();
    void ShowStatus();
    void ReportResult(bool ok);

    TR2FXForm* const form_;  // not owned
};
