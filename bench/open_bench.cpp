// Opening a 15-minute recording in an image window, the whole wait a user
// sees: from OpenFile to the finished pass shown in its Normal view. Without
// a cache that is the decode on the processing thread, the finish (grey
// image, raw-line cache, first view); with the cache beside the recording it
// is reading the cache and the first view. The window runs on Qt's offscreen
// platform in a program folder and registry of the benchmark's own.
#include "GeneratedPass.h"
#include "imaging/ui/MDIChild.h"

#include <QApplication>
#include <QFileInfo>
#include <QElapsedTimer>
#include <QFile>
#include <QTemporaryDir>
#include <QTimer>
#include <benchmark/benchmark.h>
#include <sys/resource.h>

namespace {

using benchpass::kPassLines;

QString& ProgramDir()
{
    static QString dir;
    return dir;
}

const QString& PassFile()
{
    static const QString path = benchpass::WritePassFile(ProgramDir() + "pass.wav");
    return path;
}

QString CacheFile() { return ProgramDir() + "pass.gz"; }

// Processor time of the whole process, every thread, in seconds.
double ProcessCpuSeconds()
{
    rusage usage{};
    getrusage(RUSAGE_SELF, &usage);
    const auto seconds = [](const timeval& t) { return t.tv_sec + t.tv_usec / 1e6; };
    return seconds(usage.ru_utime) + seconds(usage.ru_stime);
}

// Opens the pass in a new window and serves it until its Normal view is up
// and no processing thread is left; false after five minutes.
bool OpenToFinished()
{
    TMDIChild child;
    child.show();
    if (!child.OpenFile(PassFile()))
        return false;
    // The GUI thread sleeps between events as in the program: a polling
    // loop here would take the core from the low-priority processing thread.
    QTimer tick;
    tick.start(20);
    QElapsedTimer waited;
    waited.start();
    while (child.View != ivNormal || (child.APTThread && !child.APTThread->Finished())) {
        if (waited.elapsed() > 300000)
            return false;
        QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
    }
    return child.APT && child.APT->Lines > kPassLines - 10;
}

void BM_OpenRecordingWithoutCache(benchmark::State& state)
{
    if (PassFile().isEmpty()) {
        state.SkipWithError("the pass could not be generated");
        return;
    }
    double cpu = 0;
    for (auto _ : state) {
        state.PauseTiming();
        QFile::remove(CacheFile());
        const double before = ProcessCpuSeconds();
        state.ResumeTiming();
        if (!OpenToFinished()) {
            state.SkipWithError("the pass did not open");
            return;
        }
        cpu += ProcessCpuSeconds() - before;
    }
    state.counters["cache_MB"] = QFileInfo(CacheFile()).size() / 1e6;
    // All threads: the decode, the finish and the cache's compression.
    state.counters["process_cpu_s"] = cpu / state.iterations();
}
BENCHMARK(BM_OpenRecordingWithoutCache)->Unit(benchmark::kMillisecond)->UseRealTime();

void BM_OpenRecordingFromCache(benchmark::State& state)
{
    if (PassFile().isEmpty() || (!QFileInfo::exists(CacheFile()) && !OpenToFinished())) {
        state.SkipWithError("the pass could not be decoded once");
        return;
    }
    for (auto _ : state) {
        if (!OpenToFinished()) {
            state.SkipWithError("the pass did not open from its cache");
            return;
        }
    }
}
BENCHMARK(BM_OpenRecordingFromCache)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QTemporaryDir home;
    if (!home.isValid())
        return 1;
    ProgramDir() = home.path() + "/";
    qputenv("ORVANTA_HOME", home.path().toLocal8Bit());
    qputenv("ORVANTA_REGISTRY", (home.path() + "/registry.reg").toLocal8Bit());
    QApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
