#pragma once
// The receiver link's settings under "APT\Settings\RIG" (the key the
// settings record's "RIGModes" shares): the saved marker as the default
// value, then "Port", "BaudRate" and "Radio" as decimal text.
#include "radio/Rig.h"

inline constexpr const char* kRigKey = "APT\\Settings\\RIG";

// load: never saved leaves rig as it is; saved reads the three values and
// then sets the baud index to the model's usual one (TRig::GetDefaultBaudRate).
// save: the marker, then the three values as they are.
void PersistRig(TRig& rig, bool load);
