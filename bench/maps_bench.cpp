// The Flat Earth Monitor's drawing, all of which runs on the GUI thread: a
// full draw of an 1800 x 900 view with ten satellites and their rings (with
// and without the 120 s night shading), the 3 s satellite refresh, and the
// 120 s pass predictions of the ten satellites. Targets in a Release build on
// one core: full draw <= 10 ms, refresh <= 2 ms, predictions <= 50 ms.
#include "maps/EarthView.h"
#include "orbit/Sat.h"
#include "orbit/Station.h"
#include "platform/SystemTime.h"
#include "platform/TickCount.h"

#include <QDateTime>
#include <QDir>
#include <QGuiApplication>
#include <QImage>
#include <QLinearGradient>
#include <QPainter>
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

std::uint32_t tick = 1000000;

// A ready view of a 1800 x 900 picture with ten satellites, prepared at a
// station in Berlin, the clock at the elements' epoch.
struct Scene {
    Scene()
    {
        systime::SetClockSource([] { return QDateTime(QDate(2021, 10, 31), QTime(12, 0), Qt::UTC); });
        systime::SetTickSource([] { return tick; });
        const QString path = QDir::tempPath() + "/maps_bench_background.png";
        QImage picture(1800, 900, QImage::Format_RGB32);
        QPainter painter(&picture);
        QLinearGradient gradient(0, 0, 1800, 900);
        gradient.setColorAt(0, QColor(20, 60, 140));
        gradient.setColorAt(1, QColor(110, 150, 70));
        painter.fillRect(picture.rect(), gradient);
        painter.end();
        if (!picture.save(path) || !view.LoadBackground(path))
            std::abort();
        sunIcon = QImage(32, 33, QImage::Format_ARGB32);
        sunIcon.fill(Qt::yellow);
        moonIcon = QImage(32, 32, QImage::Format_ARGB32);
        moonIcon.fill(Qt::gray);
        satIcon = QImage(37, 26, QImage::Format_RGB32);
        satIcon.fill(Qt::white);
        QPainter(&satIcon).fillRect(10, 8, 17, 10, Qt::blue);
        view.SunIcon = &sunIcon;
        view.MoonIcon = &moonIcon;
        view.SatIcon = &satIcon;
        for (int i = 0; i < 10; ++i) {
            auto* sat = new TSat;
            char name[32];
            std::snprintf(name, sizeof name, "%s", Sets[i % 3][0]);
            if (!sat->ParseTLE(name, Sets[i % 3][1], Sets[i % 3][2]))
                std::abort();
            view.Satellites.Add(sat);
        }
        station = {"Berlin", -13.4, 52.5, 40};
        view.Modes = evDayNight | evSun | evMoon | evFootprintsAlways;
        if (!view.Prepare(&station, QFont("DejaVu Sans", 8)))
            std::abort();
        canvas = QImage(view.GetMapSize(), QImage::Format_RGB32);
        view.Draw(canvas, true);
    }
    ~Scene()
    {
        systime::SetClockSource({});
        systime::SetTickSource({});
    }
    // Only what the benchmark names is due: the other stamps are now.
    void Stamp(bool night, bool passes)
    {
        view.DayNightStamp = night ? tick - kDayNightPeriodMs : tick;
        view.PassStamp = passes ? tick - kPassPeriodMs - 1 : tick;
        view.SatelliteStamp = tick - kSatellitePeriodMs;
    }

    TEarthView view;
    TStation station;
    QImage sunIcon, moonIcon, satIcon, canvas;
};

void FullDraw(benchmark::State& state, bool night)
{
    Scene scene;
    for (auto _ : state) {
        tick += 10;
        scene.Stamp(night, false);
        scene.view.Draw(scene.canvas, true);
    }
}

void SatelliteRefresh(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state) {
        tick += kSatellitePeriodMs;
        scene.Stamp(false, false);
        scene.view.Draw(scene.canvas, false);
    }
}

void PassPredictions(benchmark::State& state)
{
    Scene scene;
    for (auto _ : state) {
        tick += 10;
        scene.Stamp(false, true);
        scene.view.SatelliteStamp = tick;  // predictions alone
        scene.view.Draw(scene.canvas, false);
    }
}

}  // namespace

BENCHMARK_CAPTURE(FullDraw, ten_satellites_with_rings, false)->Unit(benchmark::kMillisecond);
BENCHMARK_CAPTURE(FullDraw, with_night_shading, true)->Unit(benchmark::kMillisecond);
BENCHMARK(SatelliteRefresh)->Unit(benchmark::kMillisecond);
BENCHMARK(PassPredictions)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    // Text needs a GUI application; the offscreen platform needs no display.
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
