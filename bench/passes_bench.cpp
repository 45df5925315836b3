// Pass searches: every pass of the APT satellites of a real element file
// (NOAA 15, 18 and 19 of the 2021-10-31 weather group) over five days at a
// mid-latitude and a polar station, as the next-pass choice and the pass
// list do it. Target: under 50 ms for the five days in a Release build.
#include "orbit/Sat.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const Sets[3][3] = {
    {"NOAA 15", "1 25338U 98030A   21304.76410651  .00000084  00000-0  53505-4 0  9995",
     "2 25338  98.6711 331.9984 0009474 240.8500 119.1732 14.26066672220676"},
    {"NOAA 18", "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
     "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778"},
    {"NOAA 19", "1 33591U 09005A   21304.76855210  .00000104  00000-0  81273-4 0  9999",
     "2 33591  99.1753 328.8021 0014828 109.1995 251.0782 14.12504627656169"},
};

// Every pass of the three satellites in the five days after start.
int FindPasses(TStation& station, double start)
{
    int passes = 0;
    for (const auto& set : Sets) {
        TSat sat;
        char name[32];
        std::snprintf(name, sizeof name, "%s", set[0]);
        if (!sat.ParseTLE(name, set[1], set[2]))
            std::abort();
        for (double t = start; sat.PredictPass(&station, t, 0) && sat.AOS < start + 5;
             t = sat.LOS + 60.0 / 86400)
            ++passes;
    }
    return passes;
}

void FiveDays(benchmark::State& state, double latitudeDeg, double westLongitudeDeg)
{
    TStation station;
    station.Latitude = latitudeDeg;
    station.Longitude = westLongitudeDeg;
    const double start = DateTimeToDayNumber(EncodeDateTime(2021, 10, 31));
    int passes = 0;
    for (auto _ : state) {
        passes = FindPasses(station, start);
        benchmark::DoNotOptimize(passes);
    }
    state.counters["passes"] = passes;
    state.SetItemsProcessed(state.iterations() * passes);
}

void BM_AllPassesFiveDaysBerlin(benchmark::State& state) { FiveDays(state, 52.52, -13.40); }
void BM_AllPassesFiveDaysTromso(benchmark::State& state) { FiveDays(state, 69.65, -18.96); }

}  // namespace

BENCHMARK(BM_AllPassesFiveDaysBerlin)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_AllPassesFiveDaysTromso)->Unit(benchmark::kMillisecond);
BENCHMARK_MAIN();
