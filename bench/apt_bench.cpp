// Speed of the APT engine on a generated 15-minute pass read from an 8-bit
// WAV file: decoding, as a multiple of real time (audio seconds per second of
// decoding) with the process's peak memory; then what follows a decode:
// writing the raw-line cache, opening the pass again from its cache, and
// bringing the raw lines back after a calibration (the Normal view).
#include "GeneratedPass.h"
#include "apt/APT.h"

#include <QDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

using benchpass::kPassLines;

const QString& PassFile()
{
    static const QString path =
        benchpass::WritePassFile(QDir::temp().filePath("orvanta_apt_bench_pass.wav"));
    return path;
}

void BM_DecodePassFromFile(benchmark::State& state)
{
    const QString path = PassFile();
    if (path.isEmpty()) {
        state.SkipWithError("the pass could not be generated");
        return;
    }
    TAPT apt;
    int rows = 0;
    for (auto _ : state) {
        if (!apt.Init(path, 0)) {
            state.SkipWithError("the generated pass could not be opened");
            return;
        }
        apt.MakeLineStore(apt.MaxLines);
        rows = 0;
        for (int i = 0; i < apt.MaxLines; ++i) {
            double* line = apt.AllocLine(i);
            apt.Lines = i + 1;
            if (!apt.GetPixelRow(line)) {
                apt.Lines = i;
                break;
            }
            ++rows;
        }
        benchmark::DoNotOptimize(rows);
    }
    const double audioSeconds = kPassLines / 2.0;
    state.counters["x_real_time"] =
        benchmark::Counter(audioSeconds * state.iterations(), benchmark::Counter::kIsRate);
    state.counters["rows"] = rows;
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    state.counters["peak_MB"] = usage.ru_maxrss / 1024.0;
}
BENCHMARK(BM_DecodePassFromFile)->Unit(benchmark::kMillisecond)->UseRealTime();

// The decoded pass, shared by the benchmarks after the decode.
TAPT& DecodedPass()
{
    static TAPT apt;
    static const bool decoded = [] {
        const QString path = PassFile();
        if (path.isEmpty() || !apt.Init(path, 0) || !apt.MakeLineStore(apt.MaxLines))
            return false;
        for (int i = 0; i < apt.MaxLines; ++i) {
            double* line = apt.AllocLine(i);
            apt.Lines = i + 1;
            if (!apt.GetPixelRow(line)) {
                apt.FreeLine(i);
                apt.Lines = i;
                break;
            }
        }
        apt.Flags &= ~aptDecoding;
        apt.FreeBuffers(true);
        return apt.Lines > 0;
    }();
    if (!decoded)
        apt.Lines = 0;
    return apt;
}

const QString& CachePath()
{
    static const QString path = QDir::temp().filePath("orvanta_apt_bench_pass.gz");
    return path;
}

// What the processing thread does after the last row: the grey image, the
// repair of out-of-range values and the raw-line cache.
void BM_FinishPassWithCache(benchmark::State& state)
{
    TAPT& apt = DecodedPass();
    if (apt.Lines <= 0) {
        state.SkipWithError("the pass could not be decoded");
        return;
    }
    for (auto _ : state) {
        apt.RawImageName = CachePath();
        benchmark::DoNotOptimize(apt.SaveImage(0));
    }
    state.counters["lines"] = apt.Lines;
}
BENCHMARK(BM_FinishPassWithCache)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_WriteRawCache(benchmark::State& state)
{
    TAPT& apt = DecodedPass();
    for (auto _ : state) {
        apt.RawImageName = CachePath();
        if (!apt.WriteRawCache()) {
            state.SkipWithError("the cache could not be written");
            return;
        }
    }
}
BENCHMARK(BM_WriteRawCache)->Unit(benchmark::kMillisecond)->UseRealTime();

// Opening the pass again: its lines from the cache.
void BM_OpenFromCache(benchmark::State& state)
{
    TAPT& decoded = DecodedPass();
    decoded.RawImageName = CachePath();
    if (!decoded.WriteRawCache()) {
        state.SkipWithError("the cache could not be written");
        return;
    }
    for (auto _ : state) {
        TAPT apt;
        apt.RawImageName = CachePath();
        if (!apt.Init(PassFile(), 1) || !(apt.Flags & aptComplete)) {
            state.SkipWithError("the cache could not be read");
            return;
        }
    }
}
BENCHMARK(BM_OpenFromCache)->Unit(benchmark::kMillisecond)->UseRealTime();

// From a calibrated view back to the Normal view's raw lines.
void BM_RawLinesAfterCalibration(benchmark::State& state)
{
    TAPT& apt = DecodedPass();
    apt.RawImageName = CachePath();
    if (!apt.WriteRawCache()) {
        state.SkipWithError("the cache could not be written");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        apt.Calibrate();
        state.ResumeTiming();
        apt.RestoreRawLines();
    }
}
BENCHMARK(BM_RawLinesAfterCalibration)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_Calibrate(benchmark::State& state)
{
    TAPT& apt = DecodedPass();
    apt.RawImageName = CachePath();
    if (!apt.WriteRawCache()) {
        state.SkipWithError("the cache could not be written");
        return;
    }
    for (auto _ : state) {
        state.PauseTiming();
        apt.RestoreRawLines();
        state.ResumeTiming();
        apt.Calibrate();
    }
}
BENCHMARK(BM_Calibrate)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
