// The swath viewer's map as a user's opening costs it: a fresh map set up
// around the station (the map files read, the box projected and drawn) and the
// pass drawn on it, for the ten-minute recording window of a NOAA 18 pass over
// Berlin in the default Orthographic projection, at 10 km (Scale 2) and 1 km
// (Scale 0) a pixel, with the vector map and with the land map. Targets in a
// Release build on one core: <= 0.5 s at 10 km, <= 5 s at 1 km. (The whole
// pass from AOS to LOS at 1 km needs a bitmap beyond the viewer's 256 MB.)
//
// The generated map files are read from data/templates/maps of the source
// tree (scripts/make-maps.sh), or from the folder in ORVANTA_MAPS.
#include "maps/Map.h"
#include "maps/SwathProp.h"
#include "maps/ui/SwathForm.h"
#include "orbit/Sat.h"
#include "orbit/Satutil.h"
#include "orbit/Station.h"

#include <QApplication>
#include <QFileInfo>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <memory>

namespace {

QString MapFolder()
{
    const QString overridden = qEnvironmentVariable("ORVANTA_MAPS");
    return overridden.isEmpty() ? QStringLiteral(ORVANTA_SOURCE_DIR "/data/templates/maps") : overridden;
}

// The viewer on the pass, its settings at the benchmark's scale and map type.
struct Viewer {
    Viewer()
    {
        station = {"Berlin", -13.4, 52.5, 40};
        char name[] = "NOAA 18";
        sat.ParseTLE(name, "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
                     "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778");
        sat.PredictPass(&station, DateTimeToDayNumber(EncodeDateTime(2021, 10, 31, 8)), 0);
        sat.WindowStart = sat.TCA - 300.0 / 86400;
        sat.WindowStop = sat.TCA + 300.0 / 86400;
        props.MapDir = MapFolder();
        form.Sat = &sat;
        form.Station = &station;
        form.Props = &props;
    }
    TStation station;
    TSat sat;
    TSwathProp props;
    TSwathForm form;
};

void SetupAndDrawSwath(benchmark::State& state, int scale, int mapType)
{
    const char* file = mapType == 0 ? "/CIA_WDB2.jpd.gz" : "/world-1km.gz";
    if (!QFileInfo::exists(MapFolder() + file)) {
        state.SkipWithError("no generated map files: run scripts/make-maps.sh or set ORVANTA_MAPS");
        return;
    }
    Viewer viewer;
    viewer.props.Scale = scale;
    viewer.props.MapType = mapType;
    for (auto _ : state) {
        viewer.form.FormCloseQuery();  // each opening starts with a fresh map
        if (const int result = viewer.form.BuildSwathMap(0x01)) {
            state.SkipWithError(TMap::ErrorText(result).toLatin1().constData());
            return;
        }
    }
    state.counters["width"] = viewer.form.Map->Width;
    state.counters["height"] = viewer.form.Map->Height;
}

}  // namespace

BENCHMARK_CAPTURE(SetupAndDrawSwath, scale2_10km_vector_map, 2, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SetupAndDrawSwath, scale2_10km_land_map, 2, 1)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SetupAndDrawSwath, scale0_1km_vector_map, 0, 0)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(SetupAndDrawSwath, scale0_1km_land_map, 0, 1)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // Widgets without a display; the viewer keeps its placement in a
    // registry of its own, not the user's.
    QTemporaryDir home;
    qputenv("QT_QPA_PLATFORM", "offscreen");
    qputenv("ORVANTA_HOME", (home.path() + "/program").toUtf8());
    qputenv("ORVANTA_REGISTRY", (home.path() + "/registry.reg").toUtf8());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
