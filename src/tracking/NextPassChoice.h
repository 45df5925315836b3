#pragma once
// The choice of the pass the program follows and records next: the earliest
// pass in progress or to come of the active APT satellites, up to five days
// ahead; with automatic recording on, of passes that overlap in time the one
// with the highest maximum elevation wins.
//
// The choice works on its own copies of the catalogue's active satellites
// and takes "now" as a parameter: it changes nothing it is given, and runs
// the same on any clock.
#include "orbit/Sat.h"
#include "shell/PList.h"

#include <QStringList>
#include <memory>

class TSetting;
struct TStation;

struct TNextPassChoice {
    // The chosen pass, predicted from now with its recording window
    // (scheduled as the settings decide) and Time 0; null when none was found.
    std::unique_ptr<TSat> Pass;
    // The satellites whose passes overlap the one weighed last, in the order
    // found, the chosen satellite left out; only with the overlap warning
    // (PassModes bit 4) and automatic recording on.
    QStringList OverlapNames;
    // How many catalogue satellites are marked as active APT satellites.
    int AptSatellites = 0;
};

// catalogue: a PList of TSat. nowUtc: the present as a UTC date-time.
TNextPassChoice ChooseNextPass(const PList& catalogue, TStation* station, const TSetting& settings,
                               TDateTime nowUtc);

// The pass of sat in progress at day (a day number) or the next one, with its
// recording window: by the pass thresholds and scheduled when a window was
// found with automatic recording on, else AOS to LOS and not scheduled. What
// TSat::UpdateNow does with its pass flag, for a given time.
void PredictPassAt(TSat& sat, TStation* station, const TSetting& settings, double day);
