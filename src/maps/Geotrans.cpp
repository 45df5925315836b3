#include "maps/Geotrans.h"

#include <proj.h>

#include <array>
#include <cmath>
#include <limits>

namespace {

constexpr double Pi = 3.14159265358979323846;
constexpr double ToDegrees = 180.0 / Pi;
constexpr double NoParallel = std::numeric_limits<double>::quiet_NaN();

enum Index {
    UPS, Albers, AzimuthalEquidistant, Bonne, Cassini, CylindricalEqualArea, Eckert4, Eckert6,
    EquidistantCylindrical, Gnomonic, LambertConformal, Mercator, Miller, Mollweide, Neys, ObliqueMercator,
    Orthographic, PolarStereographic, Polyconic, Sinusoidal, Stereographic, TransverseCylindrical,
    TransverseMercator, VanDerGrinten,
};

const char* const Names[TGeotrans::kProjectionCount] = {
    "Universal Polar Stereographic", "Albers Equal Area Conic", "Azimuthal Equidistant", "Bonne", "Cassini",
    "Cylindrical Equal Area", "Eckert4", "Eckert6", "Equidistant Cylindrical", "Gnomonic",
    "Lambert Conformal Conic", "Mercator", "Miller Cylindrical", "Mollweide",
    "Ney's (Modified Lambert Conformal Conic)", "Oblique Mercator", "Orthographic", "Polar Stereographic",
    "Polyconic", "Sinusoidal", "Stereographic", "Transverse Cylindrical", "Transverse Mercator",
    "Van Der Grinten",
};

// Universal Polar Stereographic covers the poles only: the north zone down
// to 83.5 N, the south zone up to 79.5 S (half a degree of overlap with UTM).
constexpr double UpsNorthLimit = 83.5 / ToDegrees;
constexpr double UpsSouthLimit = -79.5 / ToDegrees;

// One projection's own state: its parameters and the PROJ operations made
// from them (UPS has one per pole).
struct Module {
    TGeotransParams Params;
    PJ* Operation = nullptr;
    PJ* SouthOperation = nullptr;
};

struct Modules {
    Modules()
    {
        proj_log_level(nullptr, PJ_LOG_NONE);
        for (int i = 0; i < TGeotrans::kProjectionCount; ++i) {
            TGeotransParams& p = all[i].Params;
            p.SemiMajorAxis = 6378137.0;
            p.Flattening = 1 / 298.257223563;
            p.ScaleFactor = 1.0;
            if (i == Albers || i == LambertConformal)
                p.StandardParallel1 = p.StandardParallel2 = NoParallel;
            if (i == ObliqueMercator) {
                p.Latitude1 = 40 / ToDegrees;
                p.Latitude2 = 50 / ToDegrees;
                p.Longitude2 = 15 / ToDegrees;
            }
        }
    }
    ~Modules()
    {
        for (Module& m : all) {
            proj_destroy(m.Operation);
            proj_destroy(m.SouthOperation);
        }
    }
    std::array<Module, TGeotrans::kProjectionCount> all;
};

Module& ModuleOf(int index)
{
    static Modules modules;
    return modules.all[index];
}

QString Degrees(double radians)
{
    return QString::number(radians * ToDegrees, 'g', 15);
}

// The PROJ definition of a projection with these parameters; empty when the
// projection does not accept them.
QString Definition(int index, const TGeotransParams& p, bool south)
{
    const double phi = p.OriginLatitude;
    const QString lat0 = " +lat_0=" + Degrees(phi);
    const QString lon0 = " +lon_0=" + Degrees(p.CentralMeridian);
    const QString k0 = " +k_0=" + QString::number(p.ScaleFactor, 'g', 15);
    const double sign = phi < 0 ? -1.0 : 1.0;
    auto parallels = [&] {
        const double first = std::isnan(p.StandardParallel1) ? sign * 20 / ToDegrees : p.StandardParallel1;
        const double second = std::isnan(p.StandardParallel2) ? sign * 60 / ToDegrees : p.StandardParallel2;
        return " +lat_1=" + Degrees(first) + " +lat_2=" + Degrees(second);
    };
    QString d;
    switch (index) {
    case UPS: d = south ? "ups +south" : "ups"; break;
    case Albers: d = "aea" + lat0 + lon0 + parallels(); break;
    case AzimuthalEquidistant: d = "aeqd" + lat0 + lon0; break;
    // Bonne on the equator is the sinusoidal projection.
    case Bonne: d = phi == 0 ? "sinu" + lon0 : "bonne +lat_1=" + Degrees(phi) + lon0; break;
    case Cassini: d = "cass" + lat0 + lon0; break;
    case CylindricalEqualArea: d = "cea +lat_ts=" + Degrees(phi) + lon0; break;
    case Eckert4: d = "eck4" + lon0; break;
    case Eckert6: d = "eck6" + lon0; break;
    case EquidistantCylindrical: d = "eqc +lat_ts=" + Degrees(p.StandardParallel1) + lon0; break;
    case Gnomonic: d = "gnom" + lat0 + lon0; break;
    case LambertConformal: d = "lcc" + lat0 + lon0 + parallels(); break;
    case Mercator: d = "merc +lat_ts=" + Degrees(phi) + lon0; break;
    case Miller: d = "mill" + lon0; break;
    case Mollweide: d = "moll" + lon0; break;
    // Ney's second parallel is 89 deg 59' 58", just short of the pole.
    case Neys: d = "lcc" + lat0 + lon0 + " +lat_1=" + Degrees(sign * 71 / ToDegrees) +
                   " +lat_2=" + Degrees(sign * (89 + 59 / 60.0 + 58 / 3600.0) / ToDegrees); break;
    case ObliqueMercator:
        // The centre line must not start on the equator, nor have both points
        // on one parallel or in opposite hemispheres.
        if (p.Latitude1 == 0 || p.Latitude1 == p.Latitude2 || p.Latitude1 * p.Latitude2 < 0)
            return {};
        d = "omerc" + lat0 + " +lat_1=" + Degrees(p.Latitude1) + " +lon_1=" + Degrees(p.Longitude1) +
            " +lat_2=" + Degrees(p.Latitude2) + " +lon_2=" + Degrees(p.Longitude2) + k0;
        break;
    case Orthographic: d = "ortho" + lat0 + lon0; break;
    case PolarStereographic:
        d = QString("stere +lat_0=") + (phi < 0 ? "-90" : "90") + " +lat_ts=" + Degrees(phi) + lon0;
        break;
    case Polyconic: d = "poly" + lat0 + lon0; break;
    case Sinusoidal: d = "sinu" + lon0; break;
    case Stereographic: d = "stere" + lat0 + lon0; break;
    case TransverseCylindrical: d = "tcea" + lat0 + lon0 + k0; break;
    case TransverseMercator: d = "tmerc" + lat0 + lon0 + k0; break;
    case VanDerGrinten: d = "vandg" + lon0; break;
    default: return {};
    }
    return "+proj=" + d + " +ellps=WGS84 +x_0=" + QString::number(p.FalseEasting, 'g', 15) +
           " +y_0=" + QString::number(p.FalseNorthing, 'g', 15);
}

PJ* MakeOperation(int index, const TGeotransParams& params, bool south)
{
    const QString definition = Definition(index, params, south);
    return definition.isEmpty() ? nullptr : proj_create(nullptr, definition.toLatin1().constData());
}

}  // namespace

bool TGeotrans::IsValidProjection(int index)
{
    return index >= 0 && index < kProjectionCount;
}

QString TGeotrans::ProjectionName(int index)
{
    return IsValidProjection(index) ? Names[index] : QString();
}

bool TGeotrans::GetParameters(TGeotransParams& params, int index)
{
    params = TGeotransParams();
    if (!IsValidProjection(index))
        return false;
    params = ModuleOf(index).Params;
    return true;
}

bool TGeotrans::SetParameters(const TGeotransParams& params, int index)
{
    if (!IsValidProjection(index)) {
        LastError = gtInvalidIndex;
        return false;
    }
    PJ* operation = MakeOperation(index, params, false);
    PJ* south = index == UPS ? MakeOperation(index, params, true) : nullptr;
    if (!operation || (index == UPS && !south)) {
        proj_destroy(operation);
        proj_destroy(south);
        LastError = gtRefused;
        return false;
    }
    Module& module = ModuleOf(index);
    proj_destroy(module.Operation);
    proj_destroy(module.SouthOperation);
    module.Operation = operation;
    module.SouthOperation = south;
    module.Params = params;
    LastError = 0;
    return true;
}

bool TGeotrans::SetProjection(double originLatitude, double centralMeridian, double falseEasting,
                              double falseNorthing, int index)
{
    TGeotransParams params;
    if (!GetParameters(params, index))
        return false;
    params.OriginLatitude = originLatitude;
    params.CentralMeridian = centralMeridian;
    params.FalseEasting = falseEasting;
    params.FalseNorthing = falseNorthing;
    if (!SetParameters(params, index))
        return false;
    Projection = index;
    return true;
}

bool TGeotrans::Convert(double longitude, double latitude, double& easting, double& northing, int index)
{
    LastError = 0;
    if (!IsValidProjection(index)) {
        LastError = gtInvalidIndex;
        return false;
    }
    const Module& module = ModuleOf(index);
    PJ* operation = module.Operation;
    if (index == UPS) {
        if (latitude >= 0 ? latitude < UpsNorthLimit : latitude > UpsSouthLimit) {
            LastError = gtConversion;
            return false;
        }
        if (latitude < 0)
            operation = module.SouthOperation;
    }
    // Polar stereographic maps one hemisphere only: that of its true scale.
    if (index == PolarStereographic && latitude * module.Params.OriginLatitude < 0) {
        LastError = gtConversion;
        return false;
    }
    if (!operation) {
        LastError = gtNotSet;
        return false;
    }
    proj_errno_reset(operation);
    const PJ_COORD out = proj_trans(operation, PJ_FWD, proj_coord(longitude, latitude, 0, 0));
    if (proj_errno(operation) != 0 || !std::isfinite(out.xy.x) || !std::isfinite(out.xy.y) ||
        out.xy.x == HUGE_VAL || out.xy.y == HUGE_VAL) {
        proj_errno_reset(operation);
        LastError = gtConversion;
        return false;
    }
    easting = out.xy.x;
    northing = out.xy.y;
    return true;
}
