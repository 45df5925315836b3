#pragma once
// Moves the settings record between memory and the registry: one string value
// per field, named like the field, under "APT\Settings" (RIGModes under
// "APT\Settings\RIG"; the log images under "APT\Settings\LogImages", one value
// per image: its name, holding its type). The key's default value "1" marks
// a saved record; empty or "0" means the built-in defaults apply.
// Runs on the GUI thread: loaded once at start-up, saved once at shutdown.
#include "shell/Setting.h"

#include <QString>

inline constexpr const char* kSettingsKey = "APT\\Settings";
inline constexpr const char* kSettingsRIGKey = "APT\\Settings\\RIG";
inline constexpr const char* kSettingsLogImagesKey = "APT\\Settings\\LogImages";
// The logo offered on the first start, in the logos folder.
inline constexpr const char* kFirstRunLogo = "poes_small.gif";

// load true: fills settings (made with its defaults) from the registry and
// validates it; before the first save only the first-run logo is set, when
// it exists in logosDir. load false: writes settings, the marker first.
void PersistSettings(TSetting& settings, bool load, const QString& logosDir);
