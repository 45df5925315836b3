// The shutdown with a running tracker: a step that fails must not keep the
// later steps from stopping the tracker and saving every record.
#include "maps/FlatEarthPersistence.h"
#include "maps/SwathViewPersistence.h"
#include "orbit/StationPersistence.h"
#include "radio/RigPersistence.h"
#include "shell/RegistryHelpers.h"
#include "shell/SettingsPersistence.h"
#include "shell/ui/EndWin.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"
#include "tracking/TrackingFixtures.h"

#include <QApplication>
#include <QLineEdit>
#include <QTimer>
#include <gtest/gtest.h>
#include <stdexcept>

using namespace trackingfixtures;

TEST(Shutdown, AFailingStepLeavesTheLaterStepsToRunAndReportsAfterThem)
{
    qputenv("ORVANTA_ALSA_DEVICE", "no_such_capture_device");
    ModalCatcher boxes;
    TMainForm form;
    if (!LoadWeatherCatalogue(form.SatelliteList))
        SKIP_MISSING("missing " << kElementFile);
    for (int i = 0; i < form.SatelliteList.Count; ++i) {
        auto* sat = static_cast<TSat*>(form.SatelliteList.Get(i));
        sat->APTSatellite = QString(sat->Name) == "NOAA 19" ? 1 : 0;
    }
    form.Station = Berlin();
    form.RestartTracker(0);
    ASSERT_TRUE(form.TrackThread) << "a tracker runs when the shutdown starts";
    const int satellites = form.SatelliteList.Count;

    // The pause after "Deleting about" (the second) fails.
    int pauses = 0;
    form.ShutdownPause = [&](int) {
        if (++pauses == 2)
            throw std::runtime_error("simulated failure");
    };
    QString report;
    QTimer closeReport;
    closeReport.setInterval(10);
    QObject::connect(&closeReport, &QTimer::timeout, [&] {
        if (auto* endWin = qobject_cast<TEndWin*>(QApplication::activeModalWidget())) {
            report = endWin->BugEdit->text();
            endWin->reject();
        }
    });
    closeReport.start();
    form.show();
    form.close();

    EXPECT_TRUE(report.contains("Deleting about")) << report.toStdString();
    EXPECT_TRUE(report.contains("simulated failure")) << report.toStdString();
    EXPECT_FALSE(form.TrackThread) << "the tracker was stopped";
    EXPECT_EQ(form.NextPass, nullptr);
    EXPECT_EQ(form.SatelliteList.Count, 0);
    EXPECT_EQ(form.ShutdownStepsShown.size(), 11 + satellites) << "every step ran, and no thank-you";
    EXPECT_FALSE(form.ShutdownStepsShown.contains("Thank you!"));
    EXPECT_EQ(ReadRegistryString(kStationKey, "Name"), "Berlin");
    for (const char* key : {kSettingsKey, kFlatEarthKey, kRigKey, kSwathViewKey})
        EXPECT_EQ(ReadRegistryString(key, ""), "1") << key << " was saved";
    EXPECT_TRUE(form.StateFlags & msShutdownDone);
}
