// The pass dialogs on the GUI thread, on the weather element sets of
// 31 October 2021 over Berlin with the clock on 1 November 2021:
// - the pass list's all-APT view of one day (NOAA 15, 18 and 19), target 50 ms;
// - one overlap calculation of the three APT satellites against every other
//   predictable set of the file, target 1 s.
// Needs ORVANTA_SHARED_DATA (the shared reference data); runs offscreen.
#include "orbit/Catalogue.h"
#include "orbit/Sat.h"
#include "platform/SystemTime.h"
#include "tracking/ui/OverlapDlg.h"
#include "tracking/ui/SatPassDlg.h"

#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QListWidget>
#include <QRadioButton>
#include <QTableWidget>
#include <benchmark/benchmark.h>
#include <cstdio>
#include <cstdlib>

namespace {

const char* const kAptSats[][2] = {{"NOAA 15", "137.62"}, {"NOAA 18", "137.9125"}, {"NOAA 19", "137.1"}};

struct Catalogue {
    PList sets;
    TStation station;
    QList<TSat*> predictable;

    Catalogue()
    {
        const char* shared = std::getenv("ORVANTA_SHARED_DATA");
        const QString path = QString::fromLocal8Bit(shared ? shared : "../shared/data") +
                             "/tle/weather-2021-10-31-no-final-newline.txt";
        LoadTLEFile(path, QString(), QString(), &sets, nullptr);
        for (const auto& apt : kAptSats)
            if (TSat* sat = FindSatellite(&sets, apt[0])) {
                sat->APTSatellite = 1;
                sat->Downlink = apt[1];
            }
        station.Name = "Berlin";
        station.Latitude = 52.52;
        station.Longitude = -13.40;
        station.Altitude = 40;
        const double now = TSat::CurrentDayNumber();
        for (int i = 0; i < sets.Count; ++i) {
            auto* sat = static_cast<TSat*>(sets.Get(i));
            if (sat->IsPredictable(station.Latitude * M_PI / 180.0, now, 0))
                predictable << sat;
        }
    }
};

Catalogue& Sets()
{
    static Catalogue catalogue;
    return catalogue;
}

int RowsShown(const QTableWidget* grid)
{
    int rows = 0;
    for (int row = 0; row < grid->rowCount(); ++row)
        rows += grid->item(row, 0) && !grid->item(row, 0)->text().isEmpty();
    return rows;
}

void BM_PassListAllAptOneDay(benchmark::State& state)
{
    TSatPassDlg dialog;
    dialog.Station = &Sets().station;
    dialog.Satellites = Sets().predictable;
    dialog.show();  // the view needs a shown dialog; showing fills it once
    dialog.AddSysTimeChk->setChecked(false);
    dialog.Thresholds->setChecked(false);
    for (auto _ : state)
        dialog.APTPassesBtnClick();
    state.counters["rows"] = RowsShown(dialog.PassGrid);
    if (RowsShown(dialog.PassGrid) == 0)
        state.SkipWithError("no pass listed: is ORVANTA_SHARED_DATA set?");
}

void BM_OverlapAptAgainstEveryOtherSet(benchmark::State& state)
{
    TOverlapDlg dialog;
    dialog.Station = &Sets().station;
    for (TSat* sat : Sets().predictable) {
        if (sat->APTSatellite) {
            dialog.APTSatellites << sat;
            continue;
        }
        auto* item = new QListWidgetItem(QString::fromLatin1(sat->Name));
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(sat)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(Qt::Checked);
        dialog.SatList->addItem(item);
    }
    dialog.PredictAgainstSelected->setChecked(true);
    dialog.CheckFreq->setChecked(false);
    dialog.show();
    for (auto _ : state)
        dialog.Calculate();
    state.counters["partners"] = dialog.SatList->count();
    state.counters["overlaps"] = RowsShown(dialog.sg);
    if (dialog.APTSatellites.isEmpty())
        state.SkipWithError("no APT satellite: is ORVANTA_SHARED_DATA set?");
}

}  // namespace

BENCHMARK(BM_PassListAllAptOneDay)->Unit(benchmark::kMillisecond);
BENCHMARK(BM_OverlapAptAgainstEveryOtherSet)->Unit(benchmark::kMillisecond);

int main(int argc, char** argv)
{
    qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    systime::SetClockSource([] { return QDateTime(QDate(2021, 11, 1), QTime(12, 0), Qt::UTC); });
    benchmark::Initialize(&argc, argv);
    benchmark::RunSpecifiedBenchmarks();
    benchmark::Shutdown();
    return 0;
}
