#include "maps/SwathTrack.h"

#include "orbit/Sat.h"

#include <algorithm>
#include <cmath>

namespace swathtrack {

namespace {

// The track's direction from the latitude a second later: short enough to
// see the turn near the orbit's highest latitude, long enough to be measured.
constexpr double kProbeDays = 1.0 / 86400;

}  // namespace

TScanLine ScanLineAt(TSat& sat, double time)
{
    sat.Time = time + kProbeDays;
    sat.ComputePosition();
    const double latitudeLater = sat.Latitude;
    sat.Time = time;
    sat.ComputePosition();
    TScanLine line;
    line.Time = time;
    line.Lon = TSat::ReduceLongitude(sat.Longitude);
    line.Lat = sat.Latitude;
    line.Northbound = latitudeLater > sat.Latitude;
    return line;
}

void ForEachScanLine(TSat& sat, const std::function<void(const TScanLine&)>& visit)
{
    const double start = sat.WindowStart, stop = sat.WindowStop;
    visit(ScanLineAt(sat, start));
    if (stop - start < kStepDays)
        return;
    for (int step = 1;; ++step) {
        const double time = std::min(start + step * kStepDays, stop);
        visit(ScanLineAt(sat, time));
        if (time >= stop)
            return;
    }
}

double LongitudeNear(double lon, double centre)
{
    return centre + TSat::ReduceLongitude(lon - centre);
}

TSwathBox PassBox(TSat& sat, double stationLonEast)
{
    TSwathBox box;
    bool first = true;
    auto widen = [&](double lon, double lat) {
        lon = LongitudeNear(lon, stationLonEast);
        if (first) {
            box = {lon, lat, lon, lat};
            first = false;
        }
        box.West = std::min(box.West, lon);
        box.East = std::max(box.East, lon);
        box.South = std::min(box.South, lat);
        box.North = std::max(box.North, lat);
    };
    ForEachScanLine(sat, [&](const TScanLine& line) {
        widen(line.Lon, line.Lat);
        double lon = 0, lat = 0;
        sat.ComputeSwathEdge(kHalfAngleDeg, lon, lat, line.PlusSide());
        widen(lon, lat);
        sat.ComputeSwathEdge(-kHalfAngleDeg, lon, lat, line.MinusSide());
        widen(lon, lat);
    });
    return box;
}

}  // namespace swathtrack
