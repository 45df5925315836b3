#pragma once
// The flat-earth view's data: "Modes", "EarthImage", "clNight" and "clSat"
// under "APT\FlatEarth" (after the saved marker, the default value), and the
// names of the satellites shown in "flatearth.txt" of the config folder:
//
//   [Satellites]
//   NOAA 15
//   NOAA 18
//
// A reader takes the lines after "[Satellites]" up to the end or the next
// line beginning with '[', skipping empty ones; CR LF and LF alike.
#include "maps/EarthView.h"
#include "orbit/Station.h"

#include <QString>

inline constexpr const char* kFlatEarthKey = "APT\\FlatEarth";
// The background offered by default, in the flat-earth template folder.
inline constexpr const char* kDefaultEarthImage = "GLOBALeb10litcolshade_1800_900.jpg";

struct TFlatEarthFiles {
    QString SatelliteFile;  // "flatearth.txt" in the config folder
    QString TemplateDir;    // the flat-earth template folder
};

// Adds to view copies of the satellites the file names, in its order, that
// the catalogue holds (exact names); other names are skipped.
void ReadFlatEarthSatellites(TEarthView& view, const QString& path, PList* catalogue);

// An empty list, because nothing was saved yet or the list was saved before
// any element set was loaded, gives way to copies of every APT satellite of
// the catalogue that can rise at the station; a list with satellites in it is
// the user's choice and is kept.
void ShowDefaultSatellitesWhenEmpty(TEarthView& view, const TStation& station, PList* catalogue);

// Load: never saved, the default background and copies of every APT
// satellite of the catalogue that can rise at the station; saved, the values
// (a background that no longer exists gives way to the default when that
// exists) and the satellites of the file. The picture is not loaded here.
// Save: the values, then the satellite file, rewritten every time (an empty
// list too, so removed satellites stay removed); false with the reason in
// error when the file cannot be written.
bool PersistFlatEarth(TEarthView& view, bool load, const TStation& station, PList* catalogue,
                      const TFlatEarthFiles& files, QString* error = nullptr);
