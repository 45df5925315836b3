#include "maps/EarthMapThread.h"

#include "maps/EarthView.h"

TEarhMapThread::TEarhMapThread(bool createSuspended, TEarthView* view, TEarthMapHost* window)
    : TThread(true), View(view), Window(window)
{
    FreeOnTerminate = false;
    OnTerminate = [this] { ThreadTerminated(); };
    SetPriority(TThreadPriority::Idle);
    if (!createSuspended)
        Resume();
}

void TEarhMapThread::ThreadTerminated()
{
    Flags = emtEnded;
}

bool TEarhMapThread::RequestReload()
{
    if (Flags & emtEnded)
        return false;
    Flags.fetch_or(emtReload);
    return true;
}

void TEarhMapThread::RedrawMap()
{
    if (!Window->IsMapVisible() || Window->IsMapPainting() || !View->IsRedrawDue())
        return;
    View->Draw(Window->MapCanvas(), false);
    Window->MapDrawn();
}

void TEarhMapThread::Execute()
{
    while (!Terminated()) {
        if (Flags & emtReload) {
            // The reload changes the view and the window: it runs on the GUI
            // thread, and the redraw follows at once. The bit is cleared
            // first, so a request made meanwhile is carried out next cycle.
            Flags.fetch_and(~emtReload);
            bool reloaded = false;
            Synchronize([this, &reloaded] { reloaded = Window->InitFlatEarthMonitor(2); });
            if (!reloaded)
                break;
        } else if (SleepUnlessTerminated(CycleMs)) {
            break;
        }
        bool ready = false;
        Synchronize([this, &ready] {
            ready = View->IsReady();
            if (ready && !Terminated())
                RedrawMap();
        });
        if (!ready)
            break;
    }
}
