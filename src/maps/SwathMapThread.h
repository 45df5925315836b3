#pragma once
// TSwathMapThread: draws the swath viewer's map off the GUI thread, since a
// map from the 1 km land file takes seconds. It is handed the map (set up
// anew for a box, or drawn again with new colours) and a copy of the
// settings, so nothing it touches is shared while it runs; the window takes
// the map back after the thread has ended.
//
// Threads: made, stopped and emptied on the GUI thread; Execute runs on the
// thread's own. The two handlers run on the drawing thread, so they may only
// post values to a window (queued), never touch it.
#include "maps/SwathProp.h"
#include "platform/Thread.h"

#include <functional>
#include <memory>

class TMap;

struct TSwathMapJob {
    bool Redraw = false;  // draw the map again as set up, else set it up for the box
    double LonMin = 0, LonMax = 0, LatMin = 0, LatMax = 0;  // degrees, as TMap::Setup takes them
    double StationLon = 0, StationLat = 0;                  // degrees, east and north positive
    TSwathProp Props;                                       // the settings the map is drawn with
};

class TSwathMapThread : public TThread {
public:
    // Starts at once. A null map is made anew. onProgress gets the permille
    // done each time it changes; onEnded is called last, whatever the result.
    TSwathMapThread(std::unique_ptr<TMap> map, const TSwathMapJob& job, std::function<void(int permille)> onProgress,
                    std::function<void()> onEnded);
    ~TSwathMapThread() override;

    // After WaitFor(): the map, drawing with props from now on, and the
    // result: 0, the map's TMapResult, or mapStopped after Terminate().
    std::unique_ptr<TMap> TakeMap(TSwathProp* props);
    int Result() const { return ReturnValue; }

protected:
    void Execute() override;

private:
    std::unique_ptr<TMap> map_;  // this thread's alone until it has ended
    TSwathMapJob job_;
    std::function<void(int)> onProgress_;
    std::function<void()> onEnded_;
    int lastPermille_ = -1;  // drawing thread only
};
