// "Active APT satellites..." from the main window: its guards, the
// hand-over of the catalogue, and a change saved to "sattrack.db" with the
// tracker choosing again.
#include "support/ModalSteps.h"
#include "tracking/mainform/TrackerBench.h"
#include "tracking/ui/APTSatDlg.h"
#include "support/TestEnv.h"

#include <QAction>
#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <gtest/gtest.h>

using namespace trackingfixtures;

namespace {

// The lines after "[name]" in the database: group, downlink, APT flag, check.
QStringList DatabaseEntry(const QString& path, const QString& name)
{
    QFile f(path);
    if (!f.open(QIODevice::ReadOnly))
        return {"<missing>"};
    const QStringList lines = QString::fromUtf8(f.readAll()).split('\n');
    const int at = static_cast<int>(lines.indexOf("[" + name + "]"));
    return at < 0 ? QStringList() : lines.mid(at + 1, 4);
}

QAction* Item(TMainForm& form)
{
    return form.findChild<QAction*>("ActiveAPTsatellites1");
}

TEST(ActiveSatsCommand, ACheckedSatelliteIsSavedAndTheTrackerChoosesAgain)
{
    FastClock clock(QDateTime(QDate(2021, 11, 1), QTime(6, 0), Qt::UTC), 1);
    TrackerBench bench({"NOAA 15"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    const QString db = form.Folders().GetSatelliteDatabaseFileName();
    QFile::remove(db);

    ModalSteps user;
    user.Then<TAPTSatDlg>([](TAPTSatDlg& dlg) {
        EXPECT_EQ(dlg.GroupCb->itemText(0), "Show all");
        const QList<QListWidgetItem*> items = dlg.SatList->findItems("NOAA 19", Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        EXPECT_EQ(items[0]->checkState(), Qt::Unchecked);
        items[0]->setCheckState(Qt::Checked);
        dlg.reject();
    });
    ASSERT_TRUE(Item(form)->isEnabled());
    Item(form)->trigger();
    EXPECT_EQ(user.Played(), 1u);
    EXPECT_EQ(FindSatellite(&form.SatelliteList, "NOAA 19")->APTSatellite, 1);
    const QStringList entry = DatabaseEntry(db, "NOAA 19");
    ASSERT_EQ(entry.size(), 4) << entry.join('|').toStdString();
    EXPECT_EQ(entry[2], "1") << "saved as an APT satellite";
    EXPECT_TRUE(form.TrackThread) << "the tracker runs with the new choice";
}

TEST(ActiveSatsCommand, NothingIsSavedWithoutAChangeAndRecordingRefusesTheDialog)
{
    TrackerBench bench({"NOAA 15"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    const QString db = form.Folders().GetSatelliteDatabaseFileName();
    QFile::remove(db);

    ModalSteps user;
    user.Then<TAPTSatDlg>([](TAPTSatDlg& dlg) { dlg.reject(); });
    Item(form)->trigger();
    EXPECT_EQ(user.Played(), 1u);
    EXPECT_FALSE(QFile::exists(db));

    form.StateFlags |= msRecording;
    bench.boxes.Captions.clear();
    bench.boxes.Texts.clear();
    Item(form)->trigger();
    form.StateFlags &= ~msRecording;
    EXPECT_EQ(bench.boxes.Captions, QStringList({"Info: Recording..."}));
    EXPECT_EQ(bench.boxes.Texts, QStringList({"Core can not be changed during a record."}));
}

}  // namespace
