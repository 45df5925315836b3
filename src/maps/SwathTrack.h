#pragma once
// The geometry of a pass's swath, scan line by scan line: the sub-satellite
// point and the two edges of the scanner's swath across the track. A pass
// seen from a high-latitude station can run north, turn near 81 degrees and
// run south, so the side of each edge is taken from the track's direction at
// that moment, not from one flag for the whole pass. Longitudes are kept
// continuous around the station (a pass across 180 degrees gives a box from,
// say, 170 to 195), so a box never wraps onto the wrong side of the map.
// Engine code: moves the satellite's Time and position; no widgets.
#include <functional>

class TSat;

struct TScanLine {
    double Time = 0;           // day number
    double Lon = 0, Lat = 0;   // sub-satellite point, degrees east and north
    bool Northbound = false;   // the track runs north at this moment
    // TSat::ComputeScanPoint's side flag of the edge at +angle and at -angle.
    int PlusSide() const { return Northbound ? 0 : 1; }
    int MinusSide() const { return Northbound ? 1 : 0; }
};

struct TSwathBox {
    double West = 0, South = 0, East = 0, North = 0;  // degrees; West..East continuous, may pass +-180
};

namespace swathtrack {

constexpr double kHalfAngleDeg = 55.37;    // the imager's half swath
constexpr double kStepDays = 5.0 / 86400;  // from one scan line drawn to the next

// The satellite at `time` (its Time and position moved there) as a scan line.
TScanLine ScanLineAt(TSat& sat, double time);

// Calls visit for the scan lines of the recording window: its start, every
// kStepDays, and its stop (the last step shortened to end there). A window
// shorter than one step gives only its start.
void ForEachScanLine(TSat& sat, const std::function<void(const TScanLine&)>& visit);

// `lon` moved by whole turns to within 180 degrees of `centre`.
double LongitudeNear(double lon, double centre);

// The box holding the whole pass: every sub-satellite point and both swath
// edges (TSat::ComputeSwathEdge) of every scan line, longitudes continuous
// around stationLonEast.
TSwathBox PassBox(TSat& sat, double stationLonEast);

}  // namespace swathtrack
