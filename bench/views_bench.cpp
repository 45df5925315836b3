// Switching the view of a 15-minute pass (1800 lines): the lines made ready
// as the image window does it (raw lines back for the Normal view, a
// calibration for the others), the view's pixels and the image settings.
// Each switch starts from the other state of the lines, so the figure is
// the slowest switch into that view.
#include "AptSignalGenerator.h"
#include "apt/APT.h"
#include "imaging/ViewRenderer.h"

#include <QDir>
#include <QFile>
#include <benchmark/benchmark.h>

namespace {

constexpr int kPassLines = 1800;

// The lines of a generated pass with telemetry, and its raw-line cache.
TAPT& Pass()
{
    static TAPT apt;
    static const bool made = [] {
        aptgen::PassSpec spec;
        spec.lines = kPassLines;
        spec.frameOffset = 37;
        if (!apt.AllocLines(kPassLines))
            return false;
        for (int i = 0; i < kPassLines; ++i) {
            const auto words = aptgen::LineWords(spec, i);
            for (int j = 0; j < aptgen::kWords; ++j)
                apt.LineStore[i][j] = spec.gain(words[j]);
        }
        apt.SpacecraftModel = scNOAA18;
        apt.Flags |= aptComplete;
        apt.RawImageName = QDir::temp().filePath("orvanta_views_bench_pass.gz");
        return apt.WriteRawCache();
    }();
    if (!made)
        apt.Lines = 0;
    return apt;
}

// The shipped look-up tables, beside the sources.
const TLookupTable* TableFor(int view)
{
    static const QString folder = QStringLiteral(ORVANTA_SOURCE_DIR "/data/config/lut/");
    auto read = [](const QString& name) {
        EnsureMagickCore();
        MagickImageInfoPtr info(CloneImageInfo(nullptr));
        MagickExceptionPtr exception(AcquireExceptionInfo());
        CopyMagickString(info->filename, QFile::encodeName(folder + name).constData(), MaxTextExtent);
        MagickImagePtr image(ReadImage(info.get(), exception.get()));
        return TLookupTable(image.get());
    };
    static const TLookupTable fcab = read("test_fcab.jpg"), fc24 = read("test_fc24.jpg"),
                              fc24cold = read("test_fc24cold.jpg"), irlow = read("test_irlow.png");
    switch (view) {
    case ivFalseColour: return &fcab;
    case ivFalseColourTemp: return &fc24;
    case ivFalseColourLowTemp: return &fc24cold;
    case ivIRLowTemp: return &irlow;
    default: return nullptr;
    }
}

void BM_SwitchToView(benchmark::State& state)
{
    const int view = static_cast<int>(state.range(0));
    TAPT& apt = Pass();
    if (apt.Lines <= 0) {
        state.SkipWithError("the pass could not be made");
        return;
    }
    const TLookupTable* table = TableFor(view);
    if (GetViewInfo(view)->NeedsTable && (!table || table->IsEmpty())) {
        state.SkipWithError("the look-up table could not be read");
        return;
    }
    const TSetting settings;
    TRenderOptions options = RenderOptionsFrom(settings, view);
    for (auto _ : state) {
        state.PauseTiming();
        if (view == ivNormal)
            apt.Calibrate();
        else
            apt.RestoreRawLines();
        state.ResumeTiming();
        if (view == ivNormal) {
            apt.RestoreRawLines();
        } else {
            apt.Calibrate();
        }
        MagickImagePtr image = RenderViewPixels(apt, table, options);
        if (!image || EnhanceView(image.get(), settings, GetViewInfo(view)->Modulated) != TEnhanceResult::Ok) {
            state.SkipWithError("the view could not be rendered");
            return;
        }
        benchmark::DoNotOptimize(image.get());
    }
    state.SetLabel(GetViewInfo(view)->MenuCaption);
}
BENCHMARK(BM_SwitchToView)->DenseRange(0, kViewCount - 1)->Unit(benchmark::kMillisecond)->UseRealTime();

}  // namespace

BENCHMARK_MAIN();
