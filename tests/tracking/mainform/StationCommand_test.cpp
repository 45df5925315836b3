// "Ground station...." from the main window: the dialog shows the station,
// a change is taken over with the tracker restarted for the new place, and
// Cancel or a recording leave the station as it was.
#include "orbit/ui/StationDlg.h"
#include "support/ModalSteps.h"
#include "support/TestEnv.h"
#include "tracking/mainform/TrackerBench.h"

#include <QAction>
#include <QLineEdit>
#include <gtest/gtest.h>

using namespace trackingfixtures;

namespace {

QAction* Item(TMainForm& form) { return form.findChild<QAction*>("Groundstation1"); }

TEST(StationCommand, AChangedStationIsTakenOverAndTheTrackerFollowsIt)
{
    TrackerBench bench({"NOAA 15"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    form.Station.Name = "Berlin";
    form.Station.Latitude = 52.52;
    form.Station.Longitude = -13.4;

    ModalSteps user;
    user.Then<TStationDlg>([](TStationDlg& dlg) {
        EXPECT_EQ(dlg.StatName->text(), "Berlin");
        EXPECT_DOUBLE_EQ(dlg.GetLatitude(), 52.52);
        dlg.StatName->setText("Quito");
        dlg.SetLatitude(-0.18);
        dlg.SetLongitude(78.47);
        dlg.Alt->setText("2850");
        dlg.accept();
    });
    ASSERT_TRUE(Item(form)->isEnabled());
    Item(form)->trigger();
    EXPECT_EQ(user.Played(), 1u);
    EXPECT_EQ(form.Station.Name, "Quito");
    EXPECT_DOUBLE_EQ(form.Station.Latitude, -0.18);
    EXPECT_DOUBLE_EQ(form.Station.Longitude, 78.47);
    EXPECT_DOUBLE_EQ(form.Station.Altitude, 2850);
    EXPECT_TRUE(form.TrackThread) << "the tracker runs again for the new place";
}

TEST(StationCommand, CancelOrARecordingLeaveTheStation)
{
    TrackerBench bench({"NOAA 15"});
    if (!bench.loaded)
        SKIP_MISSING("missing " << kElementFile);
    TMainForm& form = *bench.form;
    form.Station.Name = "Berlin";

    ModalSteps user;
    user.Then<TStationDlg>([](TStationDlg& dlg) {
        dlg.StatName->setText("Elsewhere");
        dlg.reject();
    });
    Item(form)->trigger();
    EXPECT_EQ(user.Played(), 1u);
    EXPECT_EQ(form.Station.Name, "Berlin");

    form.StateFlags |= msRecording;
    bench.boxes.Captions.clear();
    Item(form)->trigger();
    form.StateFlags &= ~msRecording;
    EXPECT_EQ(bench.boxes.Captions, QStringList({"Info: Recording..."}));
    EXPECT_EQ(user.Played(), 1u) << "no dialog while recording";
}

}  // namespace
