// "Keplerian elements..." and "Active APT satellites..." together: the
// dialog's list of downloaded satellites lives for the whole run and is
// merged at every OK, so a choice the user makes in the catalogue after a
// download must survive the next OK, and the tracker keeps following it.
#include "peers/LighttpdServer.h"
#include "support/ModalSteps.h"
#include "support/TestEnv.h"
#include "tracking/mainform/TrackerBench.h"
#include "tracking/ui/APTSatDlg.h"
#include "tracking/ui/KeplerDlg.h"
#include "tracking/ui/TrackThread.h"

#include <QAction>
#include <QComboBox>
#include <QElapsedTimer>
#include <QFile>
#include <QListWidget>
#include <QPushButton>
#include <gtest/gtest.h>

using namespace trackingfixtures;

namespace {

const char kOlderFile[] = "tle/weather-2017-05-02.txt";

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

// The name of the pass the tracker follows, once it has chosen one (30 s at most).
QString FollowedSatellite(TMainForm& form)
{
    QElapsedTimer waited;
    waited.start();
    while (waited.elapsed() < 30000) {
        QCoreApplication::processEvents(QEventLoop::AllEvents, 50);
        if (form.TrackThread && form.NextPass)
            return QString::fromLatin1(form.NextPass->Name);
    }
    return {};
}

void CheckInList(TKeplerDlg& dialog, const QString& name)
{
    const QList<QListWidgetItem*> items = dialog.SatList->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(items.size(), 1) << name.toStdString();
    items[0]->setCheckState(Qt::Checked);
}

}  // namespace

TEST(KeplerMerge, ASatelliteMarkedActiveAfterTheDownloadStaysActiveAtTheNextOK)
{
    const QString newer = testenv::SharedDataPath(kElementFile), older = testenv::SharedDataPath(kOlderFile);
    if (newer.isEmpty() || older.isEmpty())
        SKIP_MISSING("missing " << kElementFile << " or " << kOlderFile);
    peertest::LighttpdServer server;
    START_LIGHTTPD(server);
    ASSERT_TRUE(server.Put("/weather.txt", ReadAll(newer)));

    FastClock clock(QDateTime(QDate(2021, 11, 1), QTime(6, 0), Qt::UTC), 1);
    TrackerBench bench({});
    TMainForm& form = *bench.form;
    // The catalogue of 2017, none of it active yet.
    FreeSatellites(form.SatelliteList);
    LoadTLEFile(older, QString(), QString(), &form.SatelliteList, nullptr);
    ASSERT_NE(FindSatellite(&form.SatelliteList, "NOAA 19"), nullptr);

    // Download the sets of 2021 and take NOAA 19's.
    TKeplerDlg& kepler = *KeplerDlg;
    kepler.SetRows(TSourceKind::CurrentData, {{server.Url("/weather.txt"), "N/A", "Weather", "Yes"}});
    kepler.DownloadBtnClick();
    CheckInList(kepler, "NOAA 19");
    ModalSteps user;
    user.Then<TKeplerDlg>([](TKeplerDlg& dlg) { dlg.OKBtn->click(); });
    form.Keplerianelements1Click();
    TSat* noaa19 = FindSatellite(&form.SatelliteList, "NOAA 19");
    ASSERT_NE(noaa19, nullptr);
    ASSERT_EQ(QByteArray(noaa19->Line1).mid(18, 2), "21") << "the downloaded set is taken";
    EXPECT_EQ(noaa19->APTSatellite, 0);

    // Satellite > Active APT satellites...: NOAA 19 on 137.1 MHz.
    user.Then<TAPTSatDlg>([](TAPTSatDlg& dlg) {
        const QList<QListWidgetItem*> items = dlg.SatList->findItems("NOAA 19", Qt::MatchExactly);
        ASSERT_EQ(items.size(), 1);
        dlg.SatList->setCurrentItem(items[0]);
        items[0]->setCheckState(Qt::Checked);
        dlg.DownlinkCb->setEditText("137.1");
        dlg.ManualApplyBtn->click();
        dlg.reject();
    });
    form.findChild<QAction*>("ActiveAPTsatellites1")->trigger();
    ASSERT_EQ(user.Played(), 2u);
    ASSERT_EQ(noaa19->APTSatellite, 1);
    EXPECT_EQ(FollowedSatellite(form), "NOAA 19");

    // OK in the element-set dialog again, nothing new downloaded.
    user.Then<TKeplerDlg>([](TKeplerDlg& dlg) { dlg.OKBtn->click(); });
    form.Keplerianelements1Click();
    ASSERT_EQ(user.Played(), 3u);
    noaa19 = FindSatellite(&form.SatelliteList, "NOAA 19");
    ASSERT_NE(noaa19, nullptr);
    EXPECT_EQ(noaa19->APTSatellite, 1) << "still an active APT satellite";
    EXPECT_EQ(noaa19->Downlink, "137.1");
    EXPECT_EQ(FollowedSatellite(form), "NOAA 19") << "the tracker still follows it";
    const QList<QByteArray> database = ReadAll(form.Folders().GetSatelliteDatabaseFileName()).split('\n');
    const qsizetype entry = database.indexOf("[NOAA 19]");
    ASSERT_GE(entry, 0);
    EXPECT_EQ(database.mid(entry + 2, 2), QList<QByteArray>({"137.1", "1"})) << "downlink and APT flag as saved";
}
