// The pass list, the overlap prediction and the live tracking table on the
// 2021 weather sets, against the skyfield reference passes over Berlin
// (tests/data/orbit/noaa_passes.txt), with the program's clock set to
// 1 November 2021.
#include "orbit/Sat.h"
#include "platform/SystemTime.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"
#include "tracking/TrackingFixtures.h"
#include "tracking/ui/OverlapDlg.h"
#include "tracking/ui/SatPassDlg.h"
#include "tracking/ui/TrackDlg.h"

#include <QCheckBox>
#include <QCoreApplication>
#include <QEventLoop>
#include <QDateEdit>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <cstdlib>
#include <ctime>
#include <gtest/gtest.h>

using namespace trackingfixtures;

namespace {

constexpr double kSecond = 1 / 86400.0;
constexpr int kBerlin = 1;
const QDateTime kNoon(QDate(2021, 11, 1), QTime(12, 0, 0), Qt::UTC);

struct RefPass {
    int Sat;
    double AOS, LOS;
};

// The reference passes over Berlin whose AOS falls on 1 November 2021,
// higher than a degree.
QList<RefPass> ReferencePasses()
{
    QList<RefPass> out;
    QFile file(testenv::FixturePath("orbit/noaa_passes.txt"));
    if (!file.open(QIODevice::ReadOnly))
        return out;
    const double day = DateTimeToDayNumber(EncodeDateTime(2021, 11, 1));
    for (const QByteArray& line : file.readAll().split('\n')) {
        const QList<QByteArray> f = line.simplified().split(' ');
        if (line.startsWith('#') || f.size() != 6 || f[1].toInt() != kBerlin)
            continue;
        const double aos = f[2].toDouble();
        // A graze under a degree lies within the search's horizon tolerance.
        if (aos >= day && aos < day + 1 && f[4].toDouble() >= 1)
            out.append({f[0].toInt(), aos, f[5].toDouble()});
    }
    std::sort(out.begin(), out.end(), [](const RefPass& a, const RefPass& b) { return a.AOS < b.AOS; });
    return out;
}

struct PassBench {
    PassBench()
    {
        systime::SetClockSource([] { return kNoon; });
        form = std::make_unique<TMainForm>();
        loaded = LoadWeatherCatalogue(form->SatelliteList);
        form->Station = Berlin();
    }
    ~PassBench()
    {
        form->close();
        systime::SetClockSource({});
    }
    // Runs command and, once dialog shows and ready() holds, check(), then
    // closes it. The dialogs fill themselves when shown, letting events run
    // meanwhile; a click during that fill would be ignored, so on a busy
    // machine the check waits for it.
    void WhileShown(QDialog* dialog, const std::function<void()>& command, const std::function<void()>& check,
                    const std::function<bool()>& ready = {})
    {
        std::function<void()> attempt = [&] {
            if (ready && !ready()) {
                QTimer::singleShot(20, attempt);
                return;
            }
            check();
            dialog->reject();
        };
        QTimer::singleShot(50, attempt);
        command();
    }
    ModalCatcher boxes;
    std::unique_ptr<TMainForm> form;
    bool loaded = false;
};

}  // namespace

TEST(PassList, OpensOnTheDaysAPTPassesInOrderAndKeepsEachRowsPass)
{
    PassBench bench;
    const QList<RefPass> reference = ReferencePasses();
    if (!bench.loaded || reference.isEmpty())
        SKIP_MISSING("missing " << kElementFile << " or the reference passes");
    QList<double> shown;
    QStringList names;
    int windowRows = -1;
    const auto satPassReady = [] { return !SatPassDlg->Filling(); };
    bench.WhileShown(SatPassDlg, [&] { bench.form->Passlist1Click(); }, [&] {
        SatPassDlg->AddSysTimeChk->setChecked(false);
        SatPassDlg->Thresholds->setChecked(false);
        SatPassDlg->APTPassesBtnClick();
        for (int row = 0; row < SatPassDlg->PassGrid->rowCount(); ++row) {
            shown << SatPassDlg->PassGrid->item(row, 0)->data(Qt::UserRole + 1).toDouble();
            names << SatPassDlg->PassGrid->item(row, 0)->text();
        }
        // The row's own pass, whatever the local date: a pass in Tokyo's morning.
        qputenv("TZ", "Asia/Tokyo");
        tzset();
        SatPassDlg->PassGrid->setCurrentCell(2, 0);
        TSat* sat = SatPassDlg->GetSelectedPass();
        ASSERT_NE(sat, nullptr);
        EXPECT_NEAR(sat->AOS, shown[2], 2 * kSecond) << "Show swath... gets the listed pass";
        qunsetenv("TZ");
        tzset();
        // Thresholds: only passes with a recording window remain.
        bench.form->Settings->PassModes |= 1;
        SatPassDlg->Thresholds->setChecked(true);
        SatPassDlg->APTPassesBtnClick();
        windowRows = SatPassDlg->PassGrid->rowCount();
    }, satPassReady);
    // The dialog's day starts at 00:00 UTC: its first pass may begin the day before.
    ASSERT_GE(shown.size(), reference.size());
    int matched = 0;
    for (const RefPass& ref : reference)
        for (int i = 0; i < shown.size(); ++i)
            if (std::fabs(shown[i] - ref.AOS) < 3 * kSecond) {
                ++matched;
                EXPECT_EQ(names[i].toStdString(), kAptSats[ref.Sat].Name);
            }
    EXPECT_EQ(matched, reference.size()) << "every reference pass, AOS within 3 s";
    EXPECT_TRUE(std::is_sorted(shown.begin(), shown.end())) << "in AOS order";
    EXPECT_GT(windowRows, 0);
    EXPECT_LE(windowRows, shown.size());
}

TEST(OverlapPrediction, PairsOfTheDayAndTheSameFrequencyRule)
{
    PassBench bench;
    const QList<RefPass> reference = ReferencePasses();
    if (!bench.loaded || reference.isEmpty())
        SKIP_MISSING("missing " << kElementFile << " or the reference passes");
    // NOAA 15 (index 0) against NOAA 19 (index 2) in the reference.
    int pairs = 0;
    for (const RefPass& a : reference)
        for (const RefPass& b : reference)
            if (a.Sat == 0 && b.Sat == 2 && TOverlapDlg::GetOverlapStart(a.AOS, a.LOS, b.AOS, b.LOS) != 0)
                ++pairs;
    ASSERT_GT(pairs, 0) << "the reference day has an overlap of NOAA 15 and 19";
    int named = 0, sameFrequencyRows = -1;
    QString durationOfFirst, stateOfSecond;
    const auto overlapReady = [] { return !OverlapDlg->Filling(); };
    bench.WhileShown(OverlapDlg, [&] { bench.form->PredictAPTfootprintowerlaps1Click(); }, [&] {
        OverlapDlg->IncSysTime->setChecked(false);
        OverlapDlg->CheckFreq->setChecked(false);
        OverlapDlg->Calculate();
        for (int row = 0; row < OverlapDlg->sg->rowCount(); ++row) {
            const QTableWidgetItem* name = OverlapDlg->sg->item(row, 0);
            if (name && (name->text() == "NOAA 15" || name->text() == "NOAA 19"))
                ++named;
        }
        durationOfFirst = OverlapDlg->sg->item(0, 6)->text();
        stateOfSecond = OverlapDlg->sg->item(1, 5)->text();
        // Different downlinks: with the frequency rule no NOAA 15/19 pair.
        OverlapDlg->CheckFreq->setChecked(true);
        OverlapDlg->Calculate();
        sameFrequencyRows = 0;
        for (int row = 0; row < OverlapDlg->sg->rowCount(); ++row)
            if (const QTableWidgetItem* name = OverlapDlg->sg->item(row, 0); name && name->text() == "NOAA 15")
                ++sameFrequencyRows;
    }, overlapReady);
    EXPECT_GE(named, 2 * pairs) << "each NOAA 15/19 overlap gives its two rows";
    EXPECT_EQ(durationOfFirst.toStdString(), "") << "the first row of a pair has no duration";
    EXPECT_TRUE(QStringList({"Approaching", "TCA", "Receding"}).contains(stateOfSecond));
    EXPECT_EQ(sameFrequencyRows, 0);
    EXPECT_EQ(TOverlapDlg::GetOverlapStart(10, 14, 11, 12), 11) << "a pass inside another overlaps from its AOS";
    EXPECT_EQ(TOverlapDlg::GetOverlapStart(10, 14, 15, 16), 0);
}

TEST(TrackTable, RowsFollowTheTicksInOrderColouredByTheHorizon)
{
    PassBench bench;
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    systime::SetClockSource({});  // live positions at the real time
    QStringList firstRows, afterUntick;
    int rowsAfterReopen = -1;
    const auto tick = [](const char* name, bool on) {
        QListWidgetItem* item = TrackDlg->SatList->findItems(name, Qt::MatchExactly).first();
        item->setCheckState(on ? Qt::Checked : Qt::Unchecked);
    };
    const auto waitForRow = [](int row, const QString& name) {
        QElapsedTimer timer;
        timer.start();
        while (timer.elapsed() < 10000) {
            const QTableWidgetItem* cell = TrackDlg->TrackGrid->item(row, 0);
            if (cell && cell->text() == name)
                return true;
            QCoreApplication::processEvents(QEventLoop::AllEvents, 20);
        }
        return false;
    };
    bench.WhileShown(TrackDlg, [&] { bench.form->Track1Click(); }, [&] {
        tick("NOAA 18", true);
        EXPECT_TRUE(waitForRow(0, "NOAA 18")) << "row 1 filled by the next sweep";
        tick("NOAA 15", true);
        tick("NOAA 19", true);
        EXPECT_TRUE(waitForRow(2, "NOAA 19"));
        tick("NOAA 15", false);
        EXPECT_TRUE(waitForRow(1, "NOAA 19")) << "the rest in ticking order";
        afterUntick << TrackDlg->TrackGrid->item(0, 0)->text() << TrackDlg->TrackGrid->item(1, 0)->text();
        EXPECT_EQ(TrackDlg->TrackGrid->rowCount(), 2);
    });
    EXPECT_EQ(afterUntick, QStringList({"NOAA 18", "NOAA 19"}));
    bench.WhileShown(TrackDlg, [&] { bench.form->Track1Click(); }, [&] {
        rowsAfterReopen = TrackDlg->Tracked.size();
        EXPECT_EQ(TrackDlg->TrackGrid->item(0, 0), nullptr) << "reopening starts empty";
    });
    EXPECT_EQ(rowsAfterReopen, 0);
}

TEST(OverlapPrediction, ClicksAndACloseDuringTheCalculationWaitForItsEnd)
{
    PassBench bench;
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    int calculationsSeen = 0;
    // Fires inside the calculation that the showing starts, while it lets
    // messages run: a second "Predict" is ignored, the close waits.
    QTimer::singleShot(0, [&] {
        ++calculationsSeen;
        OverlapDlg->CalcBtn->click();
        OverlapDlg->reject();
    });
    bench.form->PredictAPTfootprintowerlaps1Click();
    EXPECT_EQ(calculationsSeen, 1);
    EXPECT_FALSE(OverlapDlg->isVisible()) << "closed once the calculation ended";
}

TEST(PassDialogs, TheSatellitesLeftOutCarryTheirReason)
{
    PassBench bench;
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TSat* geostationary = FindSatellite(&bench.form->SatelliteList, "METEOSAT-8 (MSG-1)");
    ASSERT_NE(geostationary, nullptr);
    struct Case {
        const char* name;
        QDialog* dialog;
        std::function<void()> command;
    };
    const Case cases[] = {
        {"pass list", SatPassDlg, [&] { bench.form->Passlist1Click(); }},
        {"overlaps", OverlapDlg, [&] { bench.form->PredictAPTfootprintowerlaps1Click(); }},
    };
    for (const Case& c : cases) {
        // Prepared elements with no status bits: only a status test that
        // records them can set them again.
        for (int i = 0; i < bench.form->SatelliteList.Count; ++i)
            static_cast<TSat*>(bench.form->SatelliteList.Get(i))->PrepareElements();
        ASSERT_FALSE(geostationary->Flags & SatGeostationary);
        bench.WhileShown(c.dialog, c.command, [] {});
        EXPECT_TRUE(geostationary->Flags & SatGeostationary) << c.name;
    }
}
