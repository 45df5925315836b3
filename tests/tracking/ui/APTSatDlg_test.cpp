// The active APT satellites dialog offscreen: downloading the status page
// from lighttpd on 127.0.0.1 (only when it changed), keeping its copy safe
// from error pages, short bodies and relocations, applying it to a real
// catalogue, and the grid's colours.
#include "orbit/Catalogue.h"
#include "orbit/Sat.h"
#include "peers/LighttpdServer.h"
#include "support/LoopbackPeer.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"
#include "tracking/ui/APTSatDlg.h"

#include <QComboBox>
#include <QFile>
#include <QGroupBox>
#include <QHeaderView>
#include <QImage>
#include <QLabel>
#include <QListWidget>
#include <QPushButton>
#include <QTableWidget>
#include <QTemporaryDir>
#include <gtest/gtest.h>

using namespace peertest;

inline void PrintTo(const QString& text, std::ostream* os) { *os << '"' << text.toStdString() << '"'; }

namespace {

const QDateTime kModified(QDate(2017, 5, 2), QTime(10, 0, 0), Qt::UTC);
const char kPagePath[] = "/NOAASIS/ml/status.html";

QByteArray Fixture(const QString& name)
{
    QFile f(testenv::FixturePath("statuspage/" + name));
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray();
}

QByteArray ReadAll(const QString& path)
{
    QFile f(path);
    return f.open(QIODevice::ReadOnly) ? f.readAll() : QByteArray("<missing>");
}

QStringList Spacecraft(const TAPTSatDlg& dlg)
{
    QStringList names;
    for (const TStatusRow& row : dlg.GridRows())
        names << row.Spacecraft;
    return names;
}

struct DialogBench {
    QTemporaryDir config;
    TAPTSatDlg dlg;
    DialogBench() { dlg.ConfigDir = config.path(); }
    QString Copy(const QString& name = "status.html") const { return config.filePath(name); }
};

TEST(APTSatDlg, DownloadsOnlyWhenThePageChanged)
{
    LighttpdServer server;
    START_LIGHTTPD(server);
    ASSERT_TRUE(server.Put(kPagePath, Fixture("status.html"), kModified));
    DialogBench b;
    // The server asks for no credentials; those of the address are never shown.
    const QString shownURL = server.Url(kPagePath).replace("http://", "http://station@");
    b.dlg.StatusURL = QString(shownURL).replace("station@", "station:secret@");
    ASSERT_EQ(b.dlg.LastModifiedLabel->text(), "N/A");

    b.dlg.CheckStatusBtn->click();
    EXPECT_EQ(Spacecraft(b.dlg), QStringList({"NOAA 12", "NOAA 15", "NOAA 17", "NOAA 18", "NOAA 19"}));
    EXPECT_EQ(b.dlg.LastModifiedLabel->text(), "Tue, 02 May 2017 10:00:00 GMT");
    EXPECT_NE(b.dlg.LastDownloadLabel->text(), "N/A");
    EXPECT_TRUE(b.dlg.ApplyStatusBtn->isEnabled());
    EXPECT_TRUE(b.dlg.CheckStatusBtn->isEnabled());
    EXPECT_EQ(ReadAll(b.Copy()), Fixture("status.html"));
    EXPECT_FALSE(QFile::exists(b.Copy() + ".tmp"));

    // Again: the stored date goes back to the server, which answers 304.
    const QString downloaded = b.dlg.LastDownloadLabel->text();
    {
        ModalCatcher boxes;
        b.dlg.CheckStatusBtn->click();
        EXPECT_EQ(boxes.Captions, QStringList({"Information is up-to-date!"}));
        ASSERT_EQ(boxes.Texts.size(), 1);
        EXPECT_TRUE(boxes.Texts[0].startsWith("Document " + shownURL + "\nHasn't been changed!\n")) << boxes.Texts[0].toStdString();
    }
    EXPECT_EQ(Spacecraft(b.dlg).size(), 5) << "the grid stays";
    EXPECT_EQ(b.dlg.LastDownloadLabel->text(), downloaded);
    EXPECT_EQ(b.dlg.LastModifiedLabel->text(), "Tue, 02 May 2017 10:00:00 GMT");
    EXPECT_FALSE(b.dlg.ApplyStatusBtn->isEnabled());

    // After "Clear timestamp" the page is fetched unconditionally.
    b.dlg.ClearTSBtn->click();
    EXPECT_EQ(b.dlg.LastModifiedLabel->text(), "N/A");
    {
        ModalCatcher boxes;
        b.dlg.CheckStatusBtn->click();
        EXPECT_TRUE(boxes.Captions.isEmpty());
    }
    EXPECT_EQ(b.dlg.LastModifiedLabel->text(), "Tue, 02 May 2017 10:00:00 GMT");
    EXPECT_TRUE(b.dlg.ApplyStatusBtn->isEnabled());
}

TEST(APTSatDlg, AFailedDownloadSaysWhyAndKeepsTheCopy)
{
    LighttpdServer server;
    START_LIGHTTPD(server);
    DialogBench b;
    const QByteArray good = Fixture("status.html");
    {
        QFile f(b.Copy());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(good);
    }
    b.dlg.StatusURL = server.Url(kPagePath);  // not on the server
    ModalCatcher boxes;
    b.dlg.CheckStatusBtn->click();
    EXPECT_EQ(boxes.Captions, QStringList({"Download Failed!"}));
    EXPECT_EQ(boxes.Texts, QStringList({"Download Failed !\nReason: Not Found"}));
    EXPECT_EQ(ReadAll(b.Copy()), good) << "the error page did not replace the copy";
    EXPECT_FALSE(QFile::exists(b.Copy() + ".tmp"));
    EXPECT_FALSE(b.dlg.ApplyStatusBtn->isEnabled());
}

TEST(APTSatDlg, ABodyCutShortNeverReplacesTheCopy)
{
    nettest::TcpPeer peer([](int fd) {
        nettest::ReadUntil(fd, "\r\n\r\n");
        nettest::WriteAll(fd, "HTTP/1.0 200 OK\r\nContent-Length: 5000\r\n\r\n<html><table><tr>");
    });
    DialogBench b;
    {
        QFile f(b.Copy());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write("the good copy");
    }
    b.dlg.StatusURL = QStringLiteral("http://127.0.0.1:%1/NOAASIS/ml/status.html").arg(peer.Port());
    ModalCatcher boxes;
    b.dlg.CheckStatusBtn->click();
    ASSERT_EQ(boxes.Texts.size(), 1);
    EXPECT_TRUE(boxes.Texts[0].contains("cut short")) << boxes.Texts[0].toStdString();
    EXPECT_EQ(ReadAll(b.Copy()), "the good copy");
    EXPECT_EQ(b.dlg.LastModifiedLabel->text(), "N/A");
}

TEST(APTSatDlg, ARelocationToAnotherFileNameWritesOnlyTheCopy)
{
    LighttpdServer server;
    START_LIGHTTPD(server, {.redirects = {{"^/NOAASIS/ml/status.html$", "/kepler/sattrack.tle"}}});
    ASSERT_TRUE(server.Put("/kepler/sattrack.tle", Fixture("status.html"), kModified));
    DialogBench b;
    {
        QFile catalogue(b.Copy("sattrack.tle"));
        ASSERT_TRUE(catalogue.open(QIODevice::WriteOnly));
        catalogue.write("NOAA 15\n");
    }
    b.dlg.StatusURL = server.Url(kPagePath);
    b.dlg.CheckStatusBtn->click();
    EXPECT_EQ(ReadAll(b.Copy("sattrack.tle")), "NOAA 15\n") << "the catalogue is not touched";
    EXPECT_EQ(ReadAll(b.Copy()), Fixture("status.html"));
    EXPECT_EQ(Spacecraft(b.dlg).size(), 5);
}

TEST(APTSatDlg, TheCopyIsReadAgainWhenShown)
{
    DialogBench b;
    {
        QFile f(b.Copy());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Fixture("status.html"));
    }
    b.dlg.LastModifiedLabel->setText("Tue, 02 May 2017 10:00:00 GMT");
    b.dlg.show();
    EXPECT_EQ(Spacecraft(b.dlg).size(), 5);
    EXPECT_TRUE(b.dlg.ApplyStatusBtn->isEnabled());
    EXPECT_FALSE(b.dlg.Changed);
    b.dlg.hide();
}

struct ApplyCase {
    const char* name;      // in the catalogue (after renaming)
    int aptBefore;
    const char* downlinkBefore;
    int aptAfter;
    const char* downlinkAfter;
};

TEST(APTSatDlg, ApplyingTheStatusMarksExactlyTheSatellitesWithAnActiveRow)
{
    const QString elements = testenv::SharedDataPath("tle/weather-2017-05-02.txt");
    if (elements.isEmpty())
        SKIP_MISSING("missing ../shared/data/tle/weather-2017-05-02.txt");
    TSatelliteList catalogue;
    LoadTLEFile(elements, QString(), QString(), &catalogue, nullptr);
    TSat* renamed = FindSatellite(&catalogue, "NOAA 19");
    ASSERT_NE(renamed, nullptr);
    qstrncpy(renamed->Name, "NOAA-19", sizeof renamed->Name);
    const ApplyCase cases[] = {
        {"NOAA 15", 0, "", 1, "137.620"},
        {"NOAA 18", 1, "137.9125", 0, "137.9125"},      // its row says OFF: the downlink stays
        {"METEOR-M 2", 1, "137.100", 0, "137.100"},     // marked by hand, no row
        {"NOAA-19", 1, "137.1", 0, "137.1"},            // "NOAA-19" is not "NOAA 19"
    };
    for (const auto& c : cases) {
        TSat* sat = FindSatellite(&catalogue, c.name);
        ASSERT_NE(sat, nullptr) << c.name;
        sat->APTSatellite = c.aptBefore;
        sat->Downlink = c.downlinkBefore;
    }
    DialogBench b;
    {
        QFile f(b.Copy());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Fixture("status.html"));
    }
    b.dlg.Satellites = &catalogue;
    b.dlg.StationLatitude = 52.52 * 0.017453292519943295;
    b.dlg.GroupCb->addItems({"Show all"});
    ASSERT_TRUE(b.dlg.ReadStatusPage(2));
    b.dlg.ApplyStatusBtn->setEnabled(true);
    b.dlg.ApplyStatusBtn->click();
    for (const auto& c : cases) {
        const TSat* sat = FindSatellite(&catalogue, c.name);
        EXPECT_EQ(sat->APTSatellite, c.aptAfter) << c.name;
        EXPECT_EQ(sat->Downlink, c.downlinkAfter) << c.name;
    }
    EXPECT_TRUE(b.dlg.Changed);
    EXPECT_FALSE(b.dlg.ApplyStatusBtn->isEnabled());
    const QList<QListWidgetItem*> noaa15 = b.dlg.SatList->findItems("NOAA 15", Qt::MatchExactly);
    ASSERT_EQ(noaa15.size(), 1);
    EXPECT_EQ(noaa15[0]->checkState(), Qt::Checked) << "the list shows the new marks";
}

TEST(APTSatDlg, ListingAndMarkingByHand)
{
    const QString elements = testenv::SharedDataPath("tle/weather-2017-05-02.txt");
    if (elements.isEmpty())
        SKIP_MISSING("missing ../shared/data/tle/weather-2017-05-02.txt");
    TSatelliteList catalogue;
    LoadTLEFile(elements, QString(), QString(), &catalogue, nullptr);
    TSat* noaa18 = FindSatellite(&catalogue, "NOAA 18");
    ASSERT_NE(noaa18, nullptr);
    noaa18->APTSatellite = 1;
    noaa18->Downlink = "137.9125";
    DialogBench b;
    b.dlg.Satellites = &catalogue;
    b.dlg.StationLatitude = 52.52 * 0.017453292519943295;
    b.dlg.GroupCb->addItems({"Show all"});
    b.dlg.show();

    QStringList listed;
    for (int i = 0; i < b.dlg.SatList->count(); ++i)
        listed << b.dlg.SatList->item(i)->text();
    QStringList sorted = listed;
    sorted.sort();
    EXPECT_EQ(listed, sorted) << "sorted by name";
    EXPECT_TRUE(listed.contains("NOAA 15"));
    EXPECT_FALSE(listed.contains("GOES 13")) << "a geostationary satellite can never be recorded here";
    EXPECT_FALSE(listed.contains("METEOSAT-7"));
    EXPECT_FALSE(b.dlg.Changed);

    QListWidgetItem* item = b.dlg.SatList->findItems("NOAA 18", Qt::MatchExactly).value(0);
    ASSERT_NE(item, nullptr);
    EXPECT_EQ(item->checkState(), Qt::Checked);
    b.dlg.SatList->setCurrentItem(item);
    b.dlg.SatListClick(item);
    EXPECT_EQ(b.dlg.DownlinkCb->currentText(), "137.9125");

    item->setCheckState(Qt::Unchecked);
    EXPECT_EQ(noaa18->APTSatellite, 0);
    EXPECT_TRUE(b.dlg.Changed);

    item->setCheckState(Qt::Checked);
    b.dlg.DownlinkCb->setEditText("137.100");
    b.dlg.ManualApplyBtn->click();
    EXPECT_EQ(noaa18->APTSatellite, 1);
    EXPECT_EQ(noaa18->Downlink, "137.100") << "as typed";
    b.dlg.hide();
}

TEST(APTSatDlg, KeepsItsAddressAndTimesInTheRegistry)
{
    {
        TAPTSatDlg first;
        EXPECT_EQ(first.LastModifiedLabel->text(), "N/A");
        EXPECT_EQ(first.LastDownloadLabel->text(), "N/A");
        EXPECT_TRUE(first.StatusURL.endsWith("/NOAASIS/ml/status.html"));
        first.StatusURL = "http://status.example/noaa/now.html";
        first.LastModifiedLabel->setText("Tue, 02 May 2017 10:00:00 GMT");
        first.LastDownloadLabel->setText("Wed, 3 May 2017 08:00:00");
    }
    TAPTSatDlg second;
    EXPECT_EQ(second.StatusURL, "http://status.example/noaa/now.html");
    EXPECT_EQ(second.DownloadGroup->title(), "status.example");
    EXPECT_EQ(second.LastModifiedLabel->text(), "Tue, 02 May 2017 10:00:00 GMT");
    EXPECT_EQ(second.LastDownloadLabel->text(), "Wed, 3 May 2017 08:00:00");
    second.ConfigDir = "/cfg";
    EXPECT_EQ(second.StatusCopyPath(), "/cfg/now.html");
    second.StatusURL = "http://status.example/";
    EXPECT_EQ(second.StatusCopyPath(), "/cfg/status.html") << "an address without a file name";
}

TEST(APTSatDlg, TheGridDrawsOffRedActiveLimeHeaderButtonFaceAndTheRestTeal)
{
    DialogBench b;
    {
        QFile f(b.Copy());
        ASSERT_TRUE(f.open(QIODevice::WriteOnly));
        f.write(Fixture("status.html"));
    }
    ASSERT_TRUE(b.dlg.ReadStatusPage(2));
    b.dlg.resize(900, 600);
    b.dlg.show();
    QTableWidget* grid = b.dlg.SatStatGrid;
    const QImage shot = grid->grab().toImage();
    auto cellColour = [&](int row, int col) {
        const QRect r = grid->visualRect(grid->model()->index(row, col)).translated(grid->viewport()->pos());
        return shot.pixelColor(r.left() + 2, r.bottom() - 1);
    };
    auto hasPixel = [&](int row, int col, const QColor& colour) {
        const QRect r = grid->visualRect(grid->model()->index(row, col)).translated(grid->viewport()->pos());
        for (int y = r.top(); y <= r.bottom(); ++y)
            for (int x = r.left(); x <= r.right(); ++x)
                if (shot.pixelColor(x, y) == colour)
                    return true;
        return false;
    };
    EXPECT_EQ(cellColour(0, 1), QColor(255, 0, 0)) << "NOAA 12: APT OFF";
    EXPECT_TRUE(hasPixel(0, 1, Qt::white)) << "white text on red";
    EXPECT_EQ(cellColour(1, 1), QColor(0, 255, 0)) << "NOAA 15: APT on";
    EXPECT_TRUE(hasPixel(1, 1, Qt::black)) << "black text on lime";
    EXPECT_EQ(cellColour(1, 0), QColor(0, 128, 128)) << "the name cell";
    EXPECT_EQ(cellColour(1, 2), QColor(0, 128, 128)) << "the HRPT cell";
    const QRect header = grid->horizontalHeader()->geometry();
    EXPECT_EQ(shot.pixelColor(header.left() + 4, header.bottom() - 3), b.dlg.palette().color(QPalette::Button));
    b.dlg.hide();
}

}  // namespace
