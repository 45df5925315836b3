#pragma once
// Packs shoreline and border lines, as gmt writes them (multi-segment text:
// a line starting with '>' begins a segment, other lines are "lon lat" in
// degrees), into the vector map file format the map renderer reads (see
// maps/Map.h): one section per kind of line, each segment a first point in
// arc seconds and steps of at most 127 arc seconds a coordinate; longer steps
// are split, and a jump across the date line starts a new segment.
#include <QByteArray>
#include <vector>

struct TJpdLayer {
    int Section;       // 0..139; the renderer's kind is Section mod 28
    QByteArray Lines;  // gmt's multi-segment text
};

// The uncompressed file; layers in any order.
QByteArray PackJpd(const std::vector<TJpdLayer>& layers);
