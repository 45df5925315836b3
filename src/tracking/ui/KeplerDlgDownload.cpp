// The download runs of the element-set dialog and the loading of element
// files into its list of downloaded satellites.
#include "net/HttpCli.h"
#include "net/UrlParser.h"
#include "orbit/Catalogue.h"
#include "orbit/Satutil.h"
#include "platform/Streams.h"
#include "shell/ui/MainForm.h"
#include "tracking/ui/KeplerDlg.h"

#include <QApplication>
#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QFile>
#include <QFileInfo>
#include <QMessageBox>
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
#include <QTabWidget>
#include <QTableWidget>

#include <cerrno>
#include <cstdio>
#include <cstring>

namespace {

constexpr int kModifiedColumn = 1, kGroupColumn = 2;

QString CellText(const QTableWidget* grid, int row, int column)
{
    const QTableWidgetItem* item = grid->item(row, column);
    return item ? item->text() : QString();
}

}  // namespace

void TKeplerDlg::Log(const QString& line)
{
    (CurrentDataMode ? Memo : ArcMemo)->appendPlainText(line);
}

void TKeplerDlg::LogDashes()
{
    Log(QString(66, '-'));
    Log("");
}

void TKeplerDlg::DownloadBtnClick()
{
    DownloadRun(TSourceKind::CurrentData);
}

void TKeplerDlg::DownloadArcBtnClick()
{
    DownloadRun(TSourceKind::Archive);
}

void TKeplerDlg::DownloadRun(TSourceKind kind)
{
    if (running_)
        return;
    CommitCellEditors();
    ProgressBar->setValue(0);
    const bool current = kind == TSourceKind::CurrentData;
    const TSourceRows rows = Rows(kind);
    QList<int> toFetch;
    for (int row = 0; row < rows.size(); ++row)
        if (!rows[row].URL.isEmpty() && rows[row].Download == "Yes")
            toFetch << row;
    if (toFetch.isEmpty())
        return;
    ProgressBar->setMaximum(toFetch.size());
    CloseReceiveStream();
    EnableCommands(false);
    CurrentDataMode = current;
    // Documents go by full path into the folder fixed now, whatever the
    // process's current folder becomes meanwhile.
    runFolder_ = current ? folders_.GetKeplerDir() : folders_.GetTempDir();
    QDir().mkpath(runFolder_);
    running_ = true;
    cancelRequested_ = false;
    QStringList failures;  // "URL: reason" of every row that brought nothing, passwords left out

    for (int row : toFetch) {
        if (cancelRequested_)
            break;
        CurrentRow = row;
        documentReceived_ = false;
        TDateTime since = 0;
        if (!rows[row].Modified.isEmpty() && rows[row].Modified != "N/A" && !ParseLastModified(rows[row].Modified, since))
            since = 0;
        HttpCli->ModifiedSince = since;
        // Credentials come with their own row's URL only, never from the row before.
        HttpCli->Username.clear();
        HttpCli->Password.clear();
        HttpCli->URL = rows[row].URL;
        QString failure;
        try {
            HttpCli->Get();
        } catch (const EHttpException& e) {
            failure = e.Message();
        }
        CloseReceiveStream();
        if (!cancelRequested_) {
            // The row's result is the last reply of its request: a 401 page
            // that came before the repetition with credentials is not it.
            const QString reason = FinishRow(rows[row].URL, failure);
            if (!reason.isEmpty())
                failures << UrlWithoutPassword(rows[row].URL) + ": " + reason;
        }
        QFile::remove(PartialDocumentPath());
    }
    running_ = false;
    ProgressBar->setValue(0);
    EnableCommands(true);
    if (cancelRequested_) {
        QDialog::reject();
        return;
    }
    if (failures.size() == toFetch.size())
        ReportFailedRun(failures);
}

void TKeplerDlg::ReportFailedRun(const QStringList& failures)
{
    // One line per row, cut so the box still fits on the screen.
    QStringList shown = failures.mid(0, 10);
    if (failures.size() > shown.size())
        shown << QString("... and %1 more").arg(failures.size() - shown.size());
    const QString tab = PageControl->tabText(CurrentDataMode ? 0 : 2);
    const QString sources =
        failures.size() == 1 ? QString("the source") : QString("any of the %1 sources").arg(failures.size());
    QMessageBox box(QMessageBox::Warning, "Download failed!",
                    QString("No element sets could be downloaded from %1:\n\n%2\n\n"
                            "The sources are the rows of the tab \"%3\" in this dialog "
                            "(Satellite > Keplerian elements...): correct a URL there, add a row, "
                            "or restore the built-in list with \"Default URL's\".")
                        .arg(sources, shown.join('\n'), tab),
                    QMessageBox::Ok, this);
    box.exec();
}

void TKeplerDlg::reject()
{
    if (running_) {
        // The run ends first; the dialog closes when it has.
        cancelRequested_ = true;
        HttpCli->Abort();
        return;
    }
    QDialog::reject();
}

void TKeplerDlg::HttpCliDocBegin()
{
    // Each reply of the request starts the file anew: only the last one counts.
    CloseReceiveStream();
    documentReceived_ = false;
    try {
        receiveStream_ = std::make_unique<TFileStream>(PartialDocumentPath(), TFileStream::fmCreate);
        HttpCli->ReceiveStream = receiveStream_.get();
    } catch (const EStreamError& e) {
        Log(e.Message());
    }
}

void TKeplerDlg::HttpCliDocEnd()
{
    documentReceived_ = receiveStream_ != nullptr;
    CloseReceiveStream();
}

QString TKeplerDlg::PartialDocumentPath() const
{
    return runFolder_ + "/" + HttpCli->DocumentName + ".part";
}

bool TKeplerDlg::KeepPartialDocument()
{
    const QString document = runFolder_ + "/" + HttpCli->DocumentName;
    if (std::rename(QFile::encodeName(PartialDocumentPath()).constData(), QFile::encodeName(document).constData()) == 0)
        return true;
    Log("Unable to keep " + HttpCli->DocumentName + ": " + QString::fromLocal8Bit(std::strerror(errno)));
    return false;
}

void TKeplerDlg::CloseReceiveStream()
{
    HttpCli->ReceiveStream = nullptr;
    receiveStream_.reset();
}

void TKeplerDlg::TransferModifiedDate(const QString& modified)
{
    QTableWidget* grid = CurrentDataMode ? UrlGrid : ArcGrid;
    if (QTableWidgetItem* item = grid->item(CurrentRow, kModifiedColumn))
        item->setText(modified);
}

QString TKeplerDlg::FinishRow(const QString& url, const QString& failure)
{
    ProgressBar->setValue(ProgressBar->value() + 1);
    Log("URL: " + UrlWithoutPassword(url));
    QString reason;
    if (!failure.isEmpty() || (HttpCli->ResponseCode != 200 && HttpCli->ResponseCode != 304)) {
        reason = failure.isEmpty() ? HttpCli->ResponseText : failure;
        if (reason.isEmpty())
            reason = QString("The server answered with status %1.").arg(HttpCli->ResponseCode);
    } else if (HttpCli->ResponseCode == 200 && !documentReceived_) {
        reason = "The reply held no document.";
    }
    if (!reason.isEmpty()) {
        Log("Download failed !");
        Log("Reason: " + reason);
        LogDashes();
        return reason;
    }
    if (HttpCli->ResponseCode == 304) {
        Log("File has not been changed!");
        LogDashes();
        return {};
    }
    Log("Filename: " + HttpCli->DocumentName);
    const QString group = CurrentDataMode ? CellText(UrlGrid, CurrentRow, kGroupColumn) : QString();
    if (CurrentDataMode && !group.isEmpty() && SatCatCb->findText(group, Qt::MatchExactly) < 0)
        SatCatCb->addItem(group);
    // A whole document that is no element file (an HTML page served with
    // 200, a list of names) must not replace the last good copy, nor its
    // date, or the next run would ask only for something newer than it.
    if (CurrentDataMode && !HoldsElementSets(PartialDocumentPath())) {
        reason = "The document holds no element set; the copy of an earlier download and its date are kept.";
        Log("Nr of satellites read : 0");
        Log(reason);
        LogDashes();
        return reason;
    }
    if (!KeepPartialDocument()) {
        LogDashes();
        return "The document could not be kept.";
    }
    const QString document = runFolder_ + "/" + HttpCli->DocumentName;
    TDateTime archiveDate = 0;
    for (const QString& header : HttpCli->ResponseHeaders) {
        const QString upper = header.toUpper();
        if (upper.contains("CONTENT-LENGTH")) {
            Log(header + " bytes");
        } else if (upper.contains("LAST-MODIFIED")) {
            Log(header);
            const QString modified = GetLastModifiedText(header);
            TransferModifiedDate(modified);
            if (!CurrentDataMode && !ParseLastModified(modified, archiveDate))
                archiveDate = 0;
        }
    }
    if (CurrentDataMode) {
        SourcesChanged = true;
        LoadIntoSatList(document, group);
    } else {
        ArchiveSourcesChanged = true;
        if (archiveDate == 0)
            archiveDate = LocalToUTC(0);
        const QString archiveDir = folders_.GetKeplerArchiveDir();
        QDir().mkpath(archiveDir);
        QString error;
        if (!MoveWithoutReplacing(document, archiveDir + "/" + ArchiveDocumentName(archiveDate, HttpCli->DocumentName),
                                  error))
            Log("Failed to move file " + HttpCli->DocumentName + " to archive");
    }
    LogDashes();
    return {};
}

bool TKeplerDlg::HoldsElementSets(const QString& path) const
{
    TSatCheckList sets;
    return ::LoadTLEFile(path, QString(), QString(), nullptr, &sets).Taken > 0;
}

void TKeplerDlg::LoadIntoSatList(const QString& path, const QString& group)
{
    // A source list edited by hand can carry a group the database cannot hold.
    if (const QString problem = GroupNameProblem(group); !problem.isEmpty()) {
        Log("Bad group name \"" + group + "\": " + problem);
        Log("Nr of satellites read : 0");
        return;
    }
    int badSets = 0, duplicates = 0;
    const int read = MainForm->LoadTLEFile(path, group, &badSets, &duplicates, &Downloaded);
    SyncSatList();
    Log(QString("Nr of satellites read : %1").arg(read));
    Log(QString("Nr of checksum errors: %1").arg(badSets));
    Log(QString("Nr of duplicates: %1").arg(duplicates));
}

void TKeplerDlg::FileBtnClick()
{
    const QStringList files =
        ChooseFiles ? ChooseFiles()
                    : QFileDialog::getOpenFileNames(
                          this, QString(), QString(),
                          "Two-Line-Element Files (*.tle);;Text Files (*.txt);;All Files (*)");
    QApplication::processEvents();
    const bool mode = CurrentDataMode;
    CurrentDataMode = true;
    for (const QString& file : files) {
        Log("Filename: " + QFileInfo(file).fileName());
        LoadIntoSatList(file, QString());
        LogDashes();
    }
    CurrentDataMode = mode;
}
