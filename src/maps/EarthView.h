#pragma once
// TEarthView: the flat-earth view's data, one owned by the main window: the
// background picture's path, the satellites shown (copies the view owns),
// the display bits and two colours. The bitmaps and the drawing come with
// the map renderer.
#include "shell/PList.h"

#include <QString>

class TSat;

// Bits of TEarthView::Modes.
enum TEarthViewMode : int {
    evDayNight = 0x1,
    evSun = 0x2,
    evMoon = 0x4,
    evFootprintsAlways = 0x8,
    evFootprintsWhenUp = 0x10,
    evRedrawAll = 0x400,  // redraw everything at the next draw, which clears it
};

class TEarthView {
public:
    TEarthView() = default;
    ~TEarthView();
    TEarthView(const TEarthView&) = delete;
    TEarthView& operator=(const TEarthView&) = delete;

    // Deletes every satellite copy and empties the list.
    void ClearSatellites();

    QString EarthImage;  // full path of the background picture; storing it loads nothing
    PList Satellites;    // TSat copies shown on the map, owned by the view
    int Modes = evDayNight | evSun | evMoon | evFootprintsWhenUp;
    int clNight = 0xFF0000;  // 0x00BBGGRR
    int clSat = 0xFFFF;
};
