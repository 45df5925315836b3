#pragma once
// TSwathProp: the swath viewer's settings, one owned by the main window and
// copied for the setup dialog. Colours are 0x00BBGGRR.
#include <QString>

struct TSwathProp {
    // Copies every field, the map folder included.
    void Assign(const TSwathProp& other) { *this = other; }

    int MapType = 0;
    int Scale = 2;
    int Projection = 16;  // index into the projection list
    int Bkgnd = 0xFFFFFF;
    int Water = 0x800000;
    int Swath = 0xFFFF;
    int LonLat = 0x808080;      // the longitude and latitude grid
    int LonLatFont = 0xFFFFFF;  // its labels
    int MPDelta = 15;           // grid spacing, degrees
    int MPDelta2 = 15;
    QString MapDir;  // the maps folder, set on every load, never stored
    int CIL = 0x8000;   // coast lines
    int NAT = 0xFF;     // national borders
    int INT = 0xFF;     // internal borders
    int Land = 0x2F8F2F;
};
