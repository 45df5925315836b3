#pragma once
// TEarhMapThread: keeps the Flat Earth Monitor alive. An idle-priority
// worker that wakes every 2 s and, when the view says a redraw is due, has
// the GUI thread draw it; it also carries out a reload of the view that the
// window asked for after a change of settings. Every touch of the view and
// the window runs on the GUI thread through TThread::Synchronize; on its own
// thread it reads only its Flags.
#include "platform/Thread.h"

#include <atomic>

class QImage;
class TEarthView;

// What the refresh thread needs of the window that shows the map. GUI
// thread only.
class TEarthMapHost {
public:
    virtual ~TEarthMapHost() = default;
    // The window's map start-up; mode 2 is the reload asked of this thread.
    virtual bool InitFlatEarthMonitor(int mode) = 0;
    // The window is shown (neither hidden nor minimised).
    virtual bool IsMapVisible() const = 0;
    // A paint of the map is in progress: a redraw now would draw into it.
    virtual bool IsMapPainting() const = 0;
    // The back buffer the view draws on, the size of the map.
    virtual QImage& MapCanvas() = 0;
    // The back buffer changed: the window repaints from it.
    virtual void MapDrawn() = 0;
};

// Bits of TEarhMapThread::Flags.
enum TEarthMapThreadFlag : int {
    emtEnded = 0x01,   // Execute has returned
    emtReload = 0x02,  // the window asks for a reload
};

class TEarhMapThread : public TThread {
public:
    // The thread does not free itself; it runs at idle priority.
    TEarhMapThread(bool createSuspended, TEarthView* view, TEarthMapHost* window);

    // The end handler, run on the GUI thread: Flags becomes exactly emtEnded.
    void ThreadTerminated();
    // On the GUI thread: draws the view into the window's back buffer when
    // the window is visible, not being painted, and a redraw is due.
    void RedrawMap();
    // Asks for a reload at the next cycle; false when the thread has ended.
    bool RequestReload();

    TEarthView* View;        // not owned
    TEarthMapHost* Window;   // not owned
    std::atomic<int> Flags{0};  // emtReload set by the GUI thread, cleared here; emtEnded by the end handler

    static constexpr int kCycleMs = 2000;
    int CycleMs = kCycleMs;  // the pause between cycles; set before the thread runs

protected:
    void Execute() override;
};
