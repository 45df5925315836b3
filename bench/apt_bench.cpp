// Decode speed of the APT engine: a generated 15-minute pass read from an
// 8-bit WAV file and turned into rows, reported as a multiple of real time
// (audio seconds per second of decoding) with the process's peak memory.
#include "AptSignalGenerator.h"
#include "apt/APT.h"

#include <QDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

constexpr int kPassLines = 1800;  // 15 minutes

const QString& PassFile()
{
    static const QString path = [] {
        aptgen::PassSpec spec;
        spec.lines = kPassLines;
        spec.noise = 0.05;
        spec.carrierOffsetHz = 1.5;
        const QString file = QDir::temp().filePath("orvanta_apt_bench_pass.wav");
        aptgen::WriteWav(file.toStdString(), aptgen::Synthesize(spec), 8);
        return file;
    }();
    return path;
}

void BM_DecodePassFromFile(benchmark::State& state)
{
    const QString path = PassFile();
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

}  // namespace

BENCHMARK_MAIN();
