// Decode speed of the APT engine: a generated 15-minute pass read from an
// 8-bit WAV file and turned into rows, reported as a multiple of real time
// (audio seconds per second of decoding) with the process's peak memory.
// The pass is generated in a child process, so that the generator's own
// buffers (about 80 MB of samples) do not count in the decoder's peak.
#include "AptSignalGenerator.h"
#include "apt/APT.h"

#include <QDir>
#include <benchmark/benchmark.h>
#include <sys/resource.h>
#include <sys/wait.h>
#include <unistd.h>

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
        const pid_t child = fork();
        if (child == 0)
            _exit(aptgen::WriteWav(file.toStdString(), aptgen::Synthesize(spec), 8) ? 0 : 1);
        int status = 0;
        if (child < 0 || waitpid(child, &status, 0) != child || !WIFEXITED(status) || WEXITSTATUS(status) != 0)
            return QString();
        return file;
    }();
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

}  // namespace

BENCHMARK_MAIN();
