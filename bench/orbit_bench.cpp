// Propagations per second: SGP4 for a near-earth set, SDP4 for a
// geosynchronous (resonant) one, and the whole position computation (state,
// look angles, sub-point, sun and shadow). The same two sets go through
// Debian's python3-sgp4 (pure Python) in the same run, for comparison.
// Target: at most 300 ns per near-earth propagation in a Release build.
#include "orbit/Sat.h"

#include <benchmark/benchmark.h>
#include <cstdio>
#include <string>

namespace {

const char* const NearLines[3] = {
    "NOAA 18", "1 28654U 05018A   21304.72123285  .00000119  00000-0  88668-4 0  9990",
    "2 28654  98.9797  10.0313 0013370 256.3100 103.6583 14.12652139847778"};
const char* const DeepLines[3] = {
    "METEOSAT-8 (MSG-1)", "1 27509U 02040B   21303.93619237  .00000147  00000-0  00000-0 0  9990",
    "2 27509   7.6166  51.8133 0002046 165.1108 201.0645  1.00264333 70317"};

TSat Load(const char* const lines[3])
{
    TSat sat;
    char name[32];
    std::snprintf(name, sizeof name, "%s", lines[0]);
    if (!sat.ParseTLE(name, lines[1], lines[2]))
        std::abort();
    sat.PrepareElements();
    return sat;
}

// Minutes since epoch advance by a second per call, as a pass search steps.
void Propagate(benchmark::State& state, const char* const lines[3])
{
    TSat sat = Load(lines);
    OrbitVector pos, vel;
    double minutes = 0;
    const bool deep = sat.IsFlagSet(SatDeepSpace);
    for (auto _ : state) {
        if (deep)
            sat.PropagateSDP4(minutes, sat.PropElements, pos, vel);
        else
            sat.PropagateSGP4(minutes, sat.PropElements, pos, vel);
        benchmark::DoNotOptimize(pos);
        minutes += 1.0 / 60;
        if (minutes > 7 * 1440)
            minutes = 0;
    }
    state.SetItemsProcessed(state.iterations());
}

void BM_PropagateNearEarth(benchmark::State& state) { Propagate(state, NearLines); }
void BM_PropagateDeepSpace(benchmark::State& state) { Propagate(state, DeepLines); }

void BM_ComputePositionNearEarth(benchmark::State& state)
{
    TSat sat = Load(NearLines);
    TStation station;
    station.Latitude = 52.52;
    station.Longitude = -13.4;
    sat.SetStation(&station);
    const double start = TSat::DayNumberOfDate(1, 0, sat.EpochYear) + sat.EpochDay;
    sat.Time = start;
    for (auto _ : state) {
        sat.ComputePosition();
        benchmark::DoNotOptimize(sat.Elevation);
        sat.Time += 1.0 / 86400;
    }
    state.SetItemsProcessed(state.iterations());
}

// python3-sgp4's own (pure Python) propagation of the same sets, timed by
// Python itself; reported as nanoseconds per propagation.
void BM_PythonSgp4Reference(benchmark::State& state)
{
    const std::string script = std::string(
        "import time\n"
        "from sgp4.model import Satrec\n"
        "from sgp4.api import WGS72\n"
        "def run(l1, l2):\n"
        "    s = Satrec.twoline2rv(l1, l2, WGS72)\n"
        "    n = 20000\n"
        "    t0 = time.perf_counter()\n"
        "    for i in range(n):\n"
        "        s.sgp4_tsince(i / 60.0)\n"
        "    return (time.perf_counter() - t0) / n * 1e9\n"
        "print(run('") + NearLines[1] + "', '" + NearLines[2] + "'), run('" + DeepLines[1] + "', '" +
        DeepLines[2] + "'))\n";
    const std::string command = "/usr/bin/python3 -c \"" + script + "\" 2>/dev/null";
    double nearNs = 0, deepNs = 0;
    for (auto _ : state) {
        std::FILE* pipe = popen(command.c_str(), "r");
        if (!pipe || std::fscanf(pipe, "%lf %lf", &nearNs, &deepNs) != 2) {
            if (pipe)
                pclose(pipe);
            state.SkipWithError("python3-sgp4 is not installed");
            return;
        }
        pclose(pipe);
    }
    state.counters["python_near_ns"] = nearNs;
    state.counters["python_deep_ns"] = deepNs;
}

}  // namespace

BENCHMARK(BM_PropagateNearEarth);
BENCHMARK(BM_PropagateDeepSpace);
BENCHMARK(BM_ComputePositionNearEarth);
BENCHMARK(BM_PythonSgp4Reference)->Iterations(1)->Unit(benchmark::kMillisecond);

BENCHMARK_MAIN();
