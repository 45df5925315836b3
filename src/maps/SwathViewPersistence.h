#pragma once
// The swath viewer's settings under "APT\SwathView": the saved marker as the
// default value, then the fourteen numbers as decimal text. MapDir is not
// stored: every load sets it to the maps folder.
#include "maps/SwathProp.h"

inline constexpr const char* kSwathViewKey = "APT\\SwathView";

// load: MapDir = mapsDir, then the values when the key was saved (nothing
// is range-checked). save: the marker, then the values.
void PersistSwathView(TSwathProp& props, bool load, const QString& mapsDir);
