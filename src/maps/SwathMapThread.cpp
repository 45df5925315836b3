#include "maps/SwathMapThread.h"

#include "maps/Map.h"

TSwathMapThread::TSwathMapThread(std::unique_ptr<TMap> map, const TSwathMapJob& job,
                                 std::function<void(int permille)> onProgress, std::function<void()> onEnded)
    : TThread(true), map_(std::move(map)), job_(job), onProgress_(std::move(onProgress)), onEnded_(std::move(onEnded))
{
    if (!map_)
        map_ = std::make_unique<TMap>(&job_.Props);
    map_->Props = &job_.Props;
    map_->OnProgress = [this](int permille) {
        if (Terminated())
            return false;
        if (permille != lastPermille_ && onProgress_)
            onProgress_(permille);
        lastPermille_ = permille;
        return true;
    };
    Resume();
}

TSwathMapThread::~TSwathMapThread()
{
    // The map must not be freed under the drawing thread.
    Terminate();
    WaitFor();
}

std::unique_ptr<TMap> TSwathMapThread::TakeMap(TSwathProp* props)
{
    WaitFor();
    if (map_) {
        map_->OnProgress = nullptr;
        map_->Props = props;
    }
    return std::move(map_);
}

void TSwathMapThread::Execute()
{
    int result = mapOk;
    if (job_.Redraw) {
        map_->Redraw();
        if (!map_->IsValid())
            result = mapStopped;
    } else {
        result = map_->Setup(job_.LonMin, job_.LonMax, job_.LatMin, job_.LatMax, job_.StationLon, job_.StationLat);
    }
    if (result == mapOk && Terminated())
        result = mapStopped;
    ReturnValue = result;
    if (onEnded_)
        onEnded_();
}
