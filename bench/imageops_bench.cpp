// Image operations of the image window on a picture the size of a 15-minute
// pass (2080 x 1800, grey with grain): each command as the user runs it,
// new picture, push onto the undo stack and the display bitmap made, and one
// undo; and the memory a full stack of 21 steps holds.
#include "imaging/ui/MDIChild.h"

#include <QAction>
#include <QApplication>
#include <QFile>
#include <QTemporaryDir>
#include <benchmark/benchmark.h>
#include <fstream>
#include <memory>
#include <random>
#include <string>
#include <vector>

namespace {

constexpr int kColumns = 2080;
constexpr int kRows = 1800;

// Resident memory of the process in bytes.
double ResidentBytes()
{
    std::ifstream status("/proc/self/status");
    std::string key;
    while (status >> key) {
        if (key == "VmRSS:") {
            double kilobytes = 0;
            status >> kilobytes;
            return kilobytes * 1024;
        }
        status.ignore(1 << 10, '\n');
    }
    return 0;
}

// One window holding the pass-sized picture, shared by every benchmark.
struct Bench {
    Bench()
    {
        qputenv("QT_QPA_PLATFORM", "offscreen");
        qputenv("ORVANTA_HOME", (home.path() + "/program").toUtf8());
        qputenv("ORVANTA_REGISTRY", (home.path() + "/registry.reg").toUtf8());
        app = std::make_unique<QApplication>(argc, argv);
        EnsureMagickCore();
        std::vector<unsigned char> grey(static_cast<size_t>(kColumns) * kRows);
        std::mt19937 random(7);
        for (int y = 0; y < kRows; ++y)
            for (int x = 0; x < kColumns; ++x)
                grey[static_cast<size_t>(y) * kColumns + x] =
                    static_cast<unsigned char>((x * 255 / kColumns + y / 20 + random() % 24) & 0xFF);
        MagickExceptionPtr exception(AcquireExceptionInfo());
        MagickImagePtr picture(ConstituteImage(kColumns, kRows, "I", CharPixel, grey.data(), exception.get()));
        const QString path = home.path() + "/pass.png";
        MagickImageInfoPtr info(CloneImageInfo(nullptr));
        CopyMagickString(picture->filename, QFile::encodeName(path).constData(), MaxTextExtent);
        WriteImage(info.get(), picture.get());
        child = std::make_unique<TMDIChild>();
        child->resize(800, 600);
        child->show();
        child->OpenFile(path);
    }

    int argc = 1;
    char name[6] = "bench";
    char* argv[2] = {name, nullptr};
    QTemporaryDir home;
    std::unique_ptr<QApplication> app;
    std::unique_ptr<TMDIChild> child;
};

TMDIChild& Window()
{
    static Bench bench;
    return *bench.child;
}

// Runs the command, timed, then takes it back, untimed.
void TimeCommand(benchmark::State& state, const std::function<void(TMDIChild&)>& command)
{
    TMDIChild& child = Window();
    for (auto _ : state) {
        command(child);
        state.PauseTiming();
        child.UndoClick();
        state.ResumeTiming();
    }
    state.counters["steps"] = child.UndoList.Count;
}

void BM_FlipDisplayed(benchmark::State& state)
{
    TimeCommand(state, [](TMDIChild& child) { child.Flip1->trigger(); });
}
BENCHMARK(BM_FlipDisplayed)->Unit(benchmark::kMillisecond);

void BM_ResizeLanczosHalfDisplayed(benchmark::State& state)
{
    // The resize command's library call and push, without its dialog.
    TimeCommand(state, [](TMDIChild& child) {
        child.PushUndo(MagickImagePtr(ResizeImage(child.Image.get(), kColumns / 2, kRows / 2, LanczosFilter, 1.0,
                                                  child.Exception.get())),
                       "Undo Resize");
    });
}
BENCHMARK(BM_ResizeLanczosHalfDisplayed)->Unit(benchmark::kMillisecond);

void BM_MedianRadius3Displayed(benchmark::State& state)
{
    TimeCommand(state, [](TMDIChild& child) { child.More2->trigger(); });
}
BENCHMARK(BM_MedianRadius3Displayed)->Unit(benchmark::kMillisecond);

// Effect > Median filter and Reduce noise at the menu's radii 1, 3 and 5.
void BM_NoiseFilterDisplayed(benchmark::State& state)
{
    const bool median = state.range(0) != 0;
    const int radius = static_cast<int>(state.range(1));
    state.SetLabel(std::string(median ? "median" : "reduce noise") + ", radius " + std::to_string(radius));
    TimeCommand(state, [median, radius](TMDIChild& child) {
        QAction* const items[2][3] = {{child.Less1, child.More1, child.Extreme1},
                                      {child.Less2, child.More2, child.Extreme2}};
        items[median ? 1 : 0][radius / 2]->trigger();
    });
}
BENCHMARK(BM_NoiseFilterDisplayed)
    ->ArgsProduct({{1, 0}, {1, 3, 5}})
    ->Unit(benchmark::kMillisecond);

void BM_UndoDisplayed(benchmark::State& state)
{
    TMDIChild& child = Window();
    for (auto _ : state) {
        state.PauseTiming();
        child.Flip1->trigger();
        state.ResumeTiming();
        child.UndoClick();
    }
}
BENCHMARK(BM_UndoDisplayed)->Unit(benchmark::kMillisecond);

void BM_FullStackMemory(benchmark::State& state)
{
    TMDIChild& child = Window();
    for (auto _ : state) {
        child.ClearundolistClick(nullptr);
        const double before = ResidentBytes();
        for (int step = 0; step < TMDIChild::kMaxUndo; ++step)
            child.Flip1->trigger();
        state.counters["stack_MB"] = (ResidentBytes() - before) / (1024.0 * 1024.0);
        state.counters["steps"] = child.UndoList.Count;
    }
    child.ClearundolistClick(nullptr);
}
BENCHMARK(BM_FullStackMemory)->Iterations(1)->Unit(benchmark::kMillisecond);

}  // namespace

BENCHMARK_MAIN();
