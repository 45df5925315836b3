#pragma once
// TGeotrans: the 24 map projections of the swath viewer and the map
// renderer behind one index, over the PROJ library. It is used one way only:
// set a projection around the ground station, then convert geodetic
// positions (degrees) to projected metres on the WGS-84 ellipsoid.
//
// Like a projection module that keeps its own parameters, each index has one
// process-wide parameter record and one PROJ operation made from it by the
// last successful set; a conversion uses the operation of its index.
//
// Threads: one at a time, as the parameter records and operations are
// process-wide: the swath viewer's drawing thread while it holds the map,
// the GUI thread otherwise.
#include <QString>

// A projection's parameters; angles in radians, distances in metres. Fields
// a projection does not take are ignored.
struct TGeotransParams {
    double SemiMajorAxis = 0;
    double Flattening = 0;
    double OriginLatitude = 0;   // polar stereographic: the latitude of true scale
    double CentralMeridian = 0;  // polar stereographic: the longitude down from the pole
    double FalseEasting = 0;
    double FalseNorthing = 0;
    // Standard parallels (one for Equidistant Cylindrical); NaN: by the origin's
    // hemisphere, 20 and 60 degrees north or south.
    double StandardParallel1 = 0;
    double StandardParallel2 = 0;
    double ScaleFactor = 0;
    // Oblique Mercator: two points of the centre line.
    double Latitude1 = 0, Longitude1 = 0, Latitude2 = 0, Longitude2 = 0;
};

// Bits of TGeotrans::LastError.
enum TGeotransError : int {
    gtInvalidIndex = 0x1,
    gtRefused = 0x2,      // parameters the projection does not accept
    gtNotSet = 0x4,       // a conversion before the projection was set
    gtConversion = 0x8,   // the position does not project
};

class TGeotrans {
public:
    static constexpr int kProjectionCount = 24;
    static bool IsValidProjection(int index);
    // The projection's current parameters (after a clear); false for an
    // invalid index.
    bool GetParameters(TGeotransParams& params, int index);
    // Makes the parameters the projection's own; false (LastError says why)
    // when the index is invalid or the projection refuses them.
    bool SetParameters(const TGeotransParams& params, int index);
    // The current parameters with the origin latitude, central meridian and
    // false easting and northing replaced (radians, metres).
    bool SetProjection(double originLatitude, double centralMeridian, double falseEasting,
                       double falseNorthing, int index);
    // Longitude first (radians); easting and northing in metres.
    bool Convert(double longitude, double latitude, double& easting, double& northing, int index);

    // The projections' names, in index order.
    static QString ProjectionName(int index);

    int Projection = -1;  // the index last set successfully
    int LastError = 0;    // TGeotransError of the last set or conversion
};
