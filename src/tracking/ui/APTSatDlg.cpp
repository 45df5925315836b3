// The "Active APT Satellites" dialog's work: listing and marking
// satellites, downloading the status page into its copy, reading the copy
// into the grid and applying it to the catalogue.
//
// The page copy has one fixed name in the config folder. The download goes
// to a temporary file beside it and replaces the copy only after a complete
// 200: an error page, a body cut short or a relocation to another file
// name never touch the copy (nor any other file of the folder).
#include "net/UrlParser.h"
#include "orbit/Sat.h"
#include "orbit/Satutil.h"
#include "platform/AtomicFile.h"
#include "shell/PList.h"
#include "shell/TextHelpers.h"
#include "shell/ui/WindowState.h"
#include "tracking/ui/APTSatDlg.h"

#include <QComboBox>
#include <QCoreApplication>
#include <QDateTime>
#include <QDir>
#include <QFile>
#include <QLabel>
#include <QListWidget>
#include <QMessageBox>
#include <QPushButton>
#include <QTableWidget>

namespace {

constexpr char kDefaultCopyName[] = "status.html";

void InfoBox(const QString& caption, const QString& text)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok);
    box.exec();
}

}  // namespace

void TAPTSatDlg::showEvent(QShowEvent* event)
{
    QDialog::showEvent(event);
    DownlinkCb->setCurrentIndex(-1);
    DownlinkCb->setEditText(QString());
    GroupCbChange();
    if (LastModifiedLabel->text() != "N/A" && SatStatGrid->rowCount() <= 1)
        ApplyStatusBtn->setEnabled(ReadStatusPage(2));
    Changed = false;
}

// --- the satellite list --------------------------------------------------------------

void TAPTSatDlg::GroupCbChange()
{
    if (GroupCb->currentIndex() < 0 || GroupCb->currentText().isEmpty() || !Satellites)
        return;
    filling_ = true;
    SatList->clear();
    const bool all = GroupCb->currentIndex() == 0;
    for (int i = 0; i < Satellites->Count; ++i) {
        auto* sat = static_cast<TSat*>(Satellites->Get(i));
        if (!(all || sat->Group == GroupCb->currentText()) || !sat->IsPredictable(StationLatitude, 0, 1))
            continue;
        auto* item = new QListWidgetItem(sat->Name);
        item->setData(Qt::UserRole, QVariant::fromValue(static_cast<void*>(sat)));
        item->setFlags(item->flags() | Qt::ItemIsUserCheckable);
        item->setCheckState(sat->APTSatellite ? Qt::Checked : Qt::Unchecked);
        SatList->addItem(item);
    }
    filling_ = false;
}

TSat* TAPTSatDlg::SelectedSatellite(bool& checked) const
{
    QListWidgetItem* item = SatList->currentItem();
    if (!item)
        return nullptr;
    checked = item->checkState() == Qt::Checked;
    return static_cast<TSat*>(item->data(Qt::UserRole).value<void*>());
}

void TAPTSatDlg::SatListClick(QListWidgetItem* item)
{
    if (auto* sat = item ? static_cast<TSat*>(item->data(Qt::UserRole).value<void*>()) : nullptr)
        DownlinkCb->setEditText(sat->Downlink);
}

void TAPTSatDlg::SatListClickCheck(QListWidgetItem* item)
{
    if (filling_ || !item)
        return;
    SatList->setCurrentItem(item);
    bool checked = false;
    TSat* sat = SelectedSatellite(checked);
    if (!sat || !sat->IsPredictable(StationLatitude, 0, 1))
        return;
    sat->APTSatellite = checked ? 1 : 0;
    Changed = true;
}

void TAPTSatDlg::ManualApplyBtnClick()
{
    bool checked = false;
    TSat* sat = SelectedSatellite(checked);
    if (!sat || !sat->IsPredictable(StationLatitude, 0, 1))
        return;
    sat->APTSatellite = checked ? 1 : 0;
    sat->Downlink = DownlinkCb->currentText();
    Changed = true;
}

// --- the status page ---------------------------------------------------------------------

QString TAPTSatDlg::StatusCopyPath() const
{
    QString name = ExtractURLFileName(StatusURL);
    const int query = static_cast<int>(name.indexOf('?'));
    if (query >= 0)
        name.truncate(query);
    if (name.isEmpty() || name == "." || name == "..")
        name = kDefaultCopyName;
    return QDir(ConfigDir).filePath(name);
}

void TAPTSatDlg::CheckStatusBtnClick()
{
    QCoreApplication::processEvents();
    CheckStatusBtn->setEnabled(false);
    ApplyStatusBtn->setEnabled(false);
    bool ok = DownloadStatusPage(true);
    if (ok) {
        ok = ReadStatusPage(1);
        if (ok)
            LastDownloadLabel->setText(QLocale::c().toString(QDateTime::currentDateTime(), "ddd, d MMM yyyy hh:mm:ss"));
    }
    CheckStatusBtn->setEnabled(true);
    ApplyStatusBtn->setEnabled(ok);
}

bool TAPTSatDlg::DownloadStatusPage(bool interactive)
{
    THttpCli& http = *HttpCli1;
    http.URL = StatusURL;
    http.Proxy.clear();
    http.ProxyPort = "80";
    http.ReceiveStream = nullptr;
    TDateTime since = 0;
    const QString stamp = LastModifiedLabel->text();
    if (!stamp.isEmpty() && stamp != "N/A" && !ParseLastModified(stamp, since))
        since = 0;
    http.ModifiedSince = since;

    const QString copy = StatusCopyPath();
    const QString download = copy + ".tmp";
    int status = 0;
    try {
        status = http.Get();
    } catch (const std::exception&) {
        HttpCli1DocEnd(&http);
        QFile::remove(download);
        if (interactive)
            InfoBox("Download Failed!", QString("Download Failed !\nReason: %1").arg(http.ResponseText));
        return false;
    }
    HttpCli1DocEnd(&http);
    if (status == 304) {
        if (interactive)
            InfoBox("Information is up-to-date!",
                    QString("Document %1\nHasn't been changed!\nNOAA Satellite status information and transmission "
                            "frequencies are up-to-date!\n\nIf you want a fresh copy, click on the Clear timestamp "
                            "button and Download.")
                        .arg(UrlWithoutPassword(StatusURL)));
        return false;
    }
    if (status != 200) {
        QFile::remove(download);
        return false;
    }
    QString error;
    if (QFile::exists(download) && !ReplaceFile(download, copy, error)) {
        QFile::remove(download);
        if (interactive)
            InfoBox("Download Failed!", QString("Download Failed !\nReason: %1").arg(error));
        return false;
    }
    for (const QString& line : http.ResponseHeaders)
        if (line.toUpper().contains("LAST-MODIFIED"))
            LastModifiedLabel->setText(GetLastModifiedText(line));
    return true;
}

void TAPTSatDlg::HttpCli1DocBegin(THttpCli* sender)
{
    // Whatever the server names the document, it goes to the copy's
    // temporary file.
    stream_.reset();
    QDir().mkpath(ConfigDir);
    stream_ = std::make_unique<TFileStream>(StatusCopyPath() + ".tmp", TFileStream::fmCreate);
    sender->ReceiveStream = stream_.get();
}

void TAPTSatDlg::HttpCli1DocEnd(THttpCli* sender)
{
    sender->ReceiveStream = nullptr;
    stream_.reset();
}

bool TAPTSatDlg::ReadStatusPage(int flags)
{
    const QString path = StatusCopyPath();
    QCoreApplication::processEvents();
    TStatusGrid rows;
    bool opened = false;
    const bool taken = TStatusPage::ReadStatusPage(path, rows, &opened);
    if (!opened) {
        if (flags & 1) {
            QMessageBox box(QMessageBox::Critical, "Failed to open file!", QString("Failed to open %1").arg(path),
                            QMessageBox::Ok);
            box.exec();
        }
        return false;
    }
    ShowGrid(rows);
    return taken;
}

void TAPTSatDlg::ShowGrid(const TStatusGrid& rows)
{
    ClearGrid(SatStatGrid);
    if (rows.isEmpty())
        return;
    SatStatGrid->setRowCount(static_cast<int>(rows.size()));
    for (int r = 0; r < rows.size(); ++r) {
        const QStringList cells{rows[r].Spacecraft, rows[r].APT, rows[r].HRPT};
        for (int c = 0; c < 3; ++c)
            SatStatGrid->setItem(r, c, new QTableWidgetItem(cells[c]));
    }
}

TStatusGrid TAPTSatDlg::GridRows() const
{
    TStatusGrid rows;
    for (int r = 0; r < SatStatGrid->rowCount(); ++r) {
        auto text = [&](int c) { return SatStatGrid->item(r, c) ? SatStatGrid->item(r, c)->text() : QString(); };
        if (!text(0).isEmpty())
            rows.append({text(0), text(1), text(2)});
    }
    return rows;
}

void TAPTSatDlg::ApplyStatusBtnClick()
{
    if (!Satellites)
        return;
    const TStatusGrid rows = GridRows();
    for (int i = 0; i < Satellites->Count; ++i) {
        auto* sat = static_cast<TSat*>(Satellites->Get(i));
        sat->APTSatellite = 0;
        const int row = TStatusPage::FindStatusRow(rows, sat->Name);
        if (row > 0 && !rows[row - 1].APT.contains("OFF")) {
            sat->APTSatellite = 1;
            sat->Downlink = rows[row - 1].APT;
        }
    }
    GroupCbChange();
    Changed = true;
    ApplyStatusBtn->setEnabled(false);
}

void TAPTSatDlg::ClearTSBtnClick() { LastModifiedLabel->setText("N/A"); }
