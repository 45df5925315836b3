// The element-set download dialog against lighttpd on loopback: conditional
// fetches into the list of downloaded satellites, archives into
// "kepler/archive", failed rows that end only themselves, the check buttons,
// and the merge into the catalogue on OK.
#include "orbit/Sat.h"
#include "peers/LighttpdServer.h"
#include "shell/ui/MainForm.h"
#include "support/ModalCatcher.h"
#include "support/TestEnv.h"
#include "tracking/TrackingFixtures.h"
#include "tracking/ui/KeplerDlg.h"

#include <QComboBox>
#include <QFile>
#include <QListWidget>
#include <QPlainTextEdit>
#include <QPushButton>
#include <QTableWidget>
#include <QTimer>
#include <gtest/gtest.h>

using namespace trackingfixtures;

namespace {

QByteArray ReadAll(const QString& path)
{
    QFile file(path);
    return file.open(QIODevice::ReadOnly) ? file.readAll() : QByteArray();
}

struct KeplerBench {
    KeplerBench() { form = std::make_unique<TMainForm>(); }
    ~KeplerBench() { form->close(); }
    TKeplerDlg& Dialog() const { return *KeplerDlg; }
    QString Log() const { return Dialog().Memo->toPlainText(); }
    QString ArcLog() const { return Dialog().ArcMemo->toPlainText(); }
    QString Modified(int row) const { return Dialog().UrlGrid->item(row, 1)->text(); }

    ModalCatcher boxes;
    std::unique_ptr<TMainForm> form;
};

const QDateTime kWeatherTime(QDate(2021, 10, 31), QTime(12, 0, 0), Qt::UTC);

// The weather element sets, and lighttpd on loopback to serve them.
class KeplerDlgServing : public ::testing::Test {
protected:
    void SetUp() override
    {
        weather = ReadAll(testenv::SharedDataPath(kElementFile));
        if (weather.isEmpty())
            SKIP_MISSING("missing " << kElementFile);
        START_LIGHTTPD(server);
    }

    QByteArray weather;
    peertest::LighttpdServer server;
};

}  // namespace

TEST_F(KeplerDlgServing, DownloadsOnlyWhatChangedAndListsEverySet)
{
    ASSERT_TRUE(server.Put("/NORAD/elements/weather.txt", weather, kWeatherTime));
    ASSERT_TRUE(server.Put("/copy/weather.txt", weather, kWeatherTime));
    KeplerBench bench;
    TKeplerDlg& dialog = bench.Dialog();
    dialog.SetRows(TSourceKind::CurrentData, {{server.Url("/NORAD/elements/weather.txt"), "N/A", "Weather", "Yes"}});

    dialog.DownloadBtnClick();
    EXPECT_EQ(bench.Modified(0).toStdString(), "Sun, 31 Oct 2021 12:00:00 GMT");
    const int sets = static_cast<int>(dialog.Downloaded.size());
    EXPECT_GT(sets, 10);
    EXPECT_EQ(dialog.SatList->count(), sets);
    EXPECT_TRUE(bench.Log().contains(QString("Nr of satellites read : %1\nNr of checksum errors: 0\nNr of duplicates: 0")
                                         .arg(sets)))
        << bench.Log().toStdString();
    EXPECT_TRUE(QFile::exists(bench.form->Folders().GetKeplerDir() + "/weather.txt"));
    EXPECT_TRUE(dialog.DownloadBtn->isEnabled() && dialog.OKBtn->isEnabled());
    EXPECT_TRUE(dialog.SourcesChanged);

    // The stored date goes back as the condition: 304, nothing loaded.
    dialog.Memo->clear();
    dialog.DownloadBtnClick();
    EXPECT_TRUE(bench.Log().contains("File has not been changed!\n" + QString(66, '-'))) << bench.Log().toStdString();
    EXPECT_FALSE(bench.Log().contains("Nr of satellites read"));
    EXPECT_TRUE(dialog.DownloadBtn->isEnabled());

    // Without the timestamp it comes again; a second source holding the same
    // satellites counts each once as a duplicate.
    dialog.Memo->clear();
    dialog.SetRows(TSourceKind::CurrentData, {{server.Url("/NORAD/elements/weather.txt"), "N/A", "Weather", "Yes"},
                                               {server.Url("/copy/weather.txt"), "N/A", "Weather", "Yes"}});
    dialog.UrlGrid->setCurrentCell(0, 0);
    dialog.DelTSBtnClick();
    dialog.DownloadBtnClick();
    EXPECT_EQ(bench.Log().count(QString("Nr of duplicates: %1").arg(sets)), 2) << bench.Log().toStdString();
    EXPECT_EQ(static_cast<int>(dialog.Downloaded.size()), sets);
}

TEST_F(KeplerDlgServing, AFailedRowEndsOnlyItselfAndTheRunEnablesTheCommands)
{
    ASSERT_TRUE(server.Put("/weather.txt", weather, kWeatherTime));
    KeplerBench bench;
    TKeplerDlg& dialog = bench.Dialog();
    dialog.SetRows(TSourceKind::CurrentData, {{server.Url("/missing.txt"), "N/A", "", "Yes"},
                                               {"http://127.0.0.1:1/refused.txt", "N/A", "", "Yes"},
                                               {"http://no-such-host.invalid/x.txt", "N/A", "", "Yes"},
                                               {server.Url("/weather.txt"), "N/A", "", "Yes"}});
    const int startupBoxes = bench.boxes.Texts.size();
    dialog.DownloadBtnClick();
    EXPECT_EQ(bench.Log().count("Download failed !"), 3) << bench.Log().toStdString();
    EXPECT_TRUE(bench.Log().contains("Reason: Not Found"));
    EXPECT_TRUE(bench.Log().contains("Nr of satellites read : ")) << "the rows after the failures are fetched";
    EXPECT_FALSE(dialog.Downloaded.empty());
    EXPECT_TRUE(dialog.DownloadBtn->isEnabled() && dialog.OKBtn->isEnabled());
    EXPECT_EQ(bench.boxes.Texts.size(), startupBoxes) << "no box: failures are logged";
}

TEST(KeplerDlg, ArchivesAreNamedByTheirDateAndNeverReplaced)
{
    peertest::LighttpdServer server;
    START_LIGHTTPD(server);
    const QDateTime modified(QDate(2005, 9, 21), QTime(14, 5, 9), Qt::UTC);
    ASSERT_TRUE(server.Put("/NORAD/archives/noaa-15.zip", "first archive", modified));
    KeplerBench bench;
    TKeplerDlg& dialog = bench.Dialog();
    dialog.SetRows(TSourceKind::Archive, {{server.Url("/NORAD/archives/noaa-15.zip"), "N/A", "", "Yes"}});
    QDir(bench.form->Folders().GetKeplerArchiveDir()).removeRecursively();

    dialog.DownloadArcBtnClick();
    const QString archived = bench.form->Folders().GetKeplerArchiveDir() + "/05_09_140509_noaa-15.zip";
    EXPECT_EQ(ReadAll(archived), "first archive") << bench.ArcLog().toStdString();
    EXPECT_TRUE(dialog.ArchiveSourcesChanged);

    ASSERT_TRUE(server.Put("/NORAD/archives/noaa-15.zip", "second archive", modified));
    dialog.ArcGrid->setCurrentCell(0, 0);
    dialog.DelArcTSBtnClick();
    dialog.DownloadArcBtnClick();
    EXPECT_TRUE(bench.ArcLog().contains("Failed to move file noaa-15.zip to archive")) << bench.ArcLog().toStdString();
    EXPECT_EQ(ReadAll(archived), "first archive") << "the archived file is kept";
}

TEST(KeplerDlg, CheckButtonsAndTheMergeOnOK)
{
    // The catalogue of 2017 and a file of 2021 loaded into the dialog.
    KeplerBench bench;
    const QString older = testenv::SharedDataPath("tle/weather-2017-05-02.txt");
    const QString newer = testenv::SharedDataPath(kElementFile);
    if (older.isEmpty() || newer.isEmpty())
        SKIP_MISSING("missing " << kElementFile << " or tle/weather-2017-05-02.txt");
    LoadTLEFile(older, QString(), QString(), &bench.form->SatelliteList, nullptr);
    TKeplerDlg& dialog = bench.Dialog();
    dialog.ChooseFiles = [newer] { return QStringList{newer}; };
    dialog.FileBtnClick();
    ASSERT_FALSE(dialog.Downloaded.empty());
    EXPECT_TRUE(bench.Log().contains("Filename: weather-2021-10-31-no-final-newline.txt"));

    const auto checked = [&dialog](const QString& name) {
        for (const TSatListItem& item : dialog.Downloaded)
            if (item.Name == name)
                return item.Checked;
        return false;
    };
    const auto firstGoes = [&dialog]() -> QString {
        for (const TSatListItem& item : dialog.Downloaded)
            if (item.Sat && item.Sat->IsGeostationary())
                return item.Name;
        return {};
    };
    const QString goes = firstGoes();
    ASSERT_FALSE(goes.isEmpty());
    bench.form->Station.Latitude = 60;
    dialog.SatBtnClick(4);  // Check all
    dialog.SatBtnClick(0);  // Uncheck never visible
    EXPECT_TRUE(checked("NOAA 18")) << "a low polar orbit rises at 60 degrees";
    dialog.SatBtnClick(1);
    EXPECT_FALSE(checked(goes));
    dialog.SatBtnClick(2);
    EXPECT_TRUE(checked(goes));
    dialog.SatBtnClick(3);  // Uncheck all
    EXPECT_FALSE(checked("NOAA 18"));

    // Only NOAA 18's new set is taken; the 2017 one goes to the archive.
    for (TSatListItem& item : dialog.Downloaded)
        item.Checked = item.Name == "NOAA 18";
    const QByteArray oldLine1 = FindSatellite(&bench.form->SatelliteList, "NOAA 18")->Line1;
    QTimer::singleShot(100, [&dialog] { dialog.OKBtn->click(); });
    bench.form->Keplerianelements1Click();
    EXPECT_EQ(QByteArray(FindSatellite(&bench.form->SatelliteList, "NOAA 18")->Line1).mid(18, 5), "21304");
    EXPECT_TRUE(ReadAll(bench.form->Folders().GetKeplerArchiveDir() + "/NOAA-18.txt").contains("NOAA 18\n" + oldLine1));
    EXPECT_TRUE(ReadAll(bench.form->Folders().GetTLEFileName()).contains("21304.72123285"));

    // Cancel takes nothing.
    for (TSatListItem& item : dialog.Downloaded)
        item.Checked = true;
    const int count = bench.form->SatelliteList.Count;
    QTimer::singleShot(100, [&dialog] { dialog.CancelBtn->click(); });
    bench.form->Keplerianelements1Click();
    EXPECT_EQ(bench.form->SatelliteList.Count, count);
}

TEST_F(KeplerDlgServing, AnErrorPageLeavesTheLastGoodCopyInPlace)
{
    ASSERT_TRUE(server.Put("/now/weather.txt", weather, kWeatherTime));
    KeplerBench bench;
    TKeplerDlg& dialog = bench.Dialog();
    const QString copy = bench.form->Folders().GetKeplerDir() + "/weather.txt";
    dialog.SetRows(TSourceKind::CurrentData, {{server.Url("/now/weather.txt"), "N/A", "Weather", "Yes"}});
    dialog.DownloadBtnClick();
    ASSERT_TRUE(ReadAll(copy) == weather) << bench.Log().toStdString();

    // The same document name from a server that has lost it: 404 with a page.
    dialog.SetRows(TSourceKind::CurrentData, {{server.Url("/gone/weather.txt"), "N/A", "Weather", "Yes"}});
    dialog.DownloadBtnClick();
    EXPECT_TRUE(bench.Log().contains("Reason: Not Found")) << bench.Log().toStdString();
    EXPECT_TRUE(ReadAll(copy) == weather) << "the error page never replaces the element sets";
    EXPECT_FALSE(QFile::exists(copy + ".part"));
}

TEST_F(KeplerDlgServing, AGroupTheDatabaseCannotHoldIsRefused)
{
    ASSERT_TRUE(server.Put("/weather.txt", weather, kWeatherTime));
    KeplerBench bench;
    TKeplerDlg& dialog = bench.Dialog();

    // Typed into the group cell: a box, and the cell keeps its group.
    dialog.SetRows(TSourceKind::CurrentData, {{server.Url("/weather.txt"), "N/A", "Weather", "Yes"}});
    dialog.show();
    emit dialog.UrlGrid->cellClicked(0, 2);
    ASSERT_TRUE(dialog.SatCatCb->isVisible());
    dialog.SatCatCb->setCurrentText("[Weather]");
    dialog.CommitCellEditors();
    ASSERT_FALSE(bench.boxes.Captions.isEmpty());
    EXPECT_EQ(bench.boxes.Captions.last().toStdString(), "Error: Bad group name!");
    EXPECT_EQ(dialog.UrlGrid->item(0, 2)->text().toStdString(), "Weather");
    dialog.hide();

    // Read from a source list edited by hand: the sets are not taken.
    dialog.SetRows(TSourceKind::CurrentData, {{server.Url("/weather.txt"), "N/A", "[Weather]", "Yes"}});
    dialog.DownloadBtnClick();
    EXPECT_TRUE(bench.Log().contains("Bad group name \"[Weather]\"")) << bench.Log().toStdString();
    EXPECT_TRUE(dialog.Downloaded.empty());
}
