// The download runs of the element-set dialog and the loading of element
// files into its list of downloaded satellites.
#include "net/HttpCli.h"
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
#include <QPlainTextEdit>
#include <QProgressBar>
#include <QPushButton>
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

    for (int row : toFetch) {
        if (cancelRequested_)
            break;
        CurrentRow = row;
        rowHandled_ = false;
        TDateTime since = 0;
        if (!rows[row].Modified.isEmpty() && rows[row].Modified != "N/A" && !ParseLastModified(rows[row].Modified, since))
            since = 0;
        HttpCli->ModifiedSince = since;
        HttpCli->URL = rows[row].URL;
        QString failure;
        try {
            HttpCli->Get();
        } catch (const EHttpException& e) {
            failure = e.Message();
        }
        CloseReceiveStream();
        QFile::remove(PartialDocumentPath());
        // A reply that came without its document (a refused connection, an
        // unknown host, an error without a body) ends only its own row.
        if (!rowHandled_ && !cancelRequested_) {
            ProgressBar->setValue(ProgressBar->value() + 1);
            Log("URL: " + rows[row].URL);
            Log("Download failed !");
            Log("Reason: " + (failure.isEmpty() ? HttpCli->ResponseText : failure));
            LogDashes();
        }
    }
    running_ = false;
    ProgressBar->setValue(0);
    EnableCommands(true);
    if (cancelRequested_)
        QDialog::reject();
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
    CloseReceiveStream();
    try {
        receiveStream_ = std::make_unique<TFileStream>(PartialDocumentPath(), TFileStream::fmCreate);
        HttpCli->ReceiveStream = receiveStream_.get();
    } catch (const EStreamError& e) {
        Log(e.Message());
    }
}

void TKeplerDlg::HttpCliHeaderEnd()
{
    if (HttpCli->ResponseCode == 304)
        HttpCliDocEnd();
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

void TKeplerDlg::HttpCliDocEnd()
{
    if (rowHandled_)
        return;
    rowHandled_ = true;
    ProgressBar->setValue(ProgressBar->value() + 1);
    Log("URL: " + HttpCli->URL);
    Log("Filename: " + HttpCli->DocumentName);
    CloseReceiveStream();
    // Only a whole document replaces the copy of an earlier run; an error
    // page is thrown away.
    const bool received = HttpCli->ResponseCode == 200;
    if (received && !KeepPartialDocument()) {
        QFile::remove(PartialDocumentPath());
        LogDashes();
        return;
    }
    QFile::remove(PartialDocumentPath());
    const QString group = CurrentDataMode ? CellText(UrlGrid, CurrentRow, kGroupColumn) : QString();
    if (CurrentDataMode && !group.isEmpty() && SatCatCb->findText(group, Qt::MatchExactly) < 0)
        SatCatCb->addItem(group);
    const QString document = runFolder_ + "/" + HttpCli->DocumentName;

    if (received) {
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
            if (!MoveWithoutReplacing(document,
                                      archiveDir + "/" + ArchiveDocumentName(archiveDate, HttpCli->DocumentName),
                                      error))
                Log("Failed to move file " + HttpCli->DocumentName + " to archive");
        }
    } else if (HttpCli->ResponseCode == 304) {
        Log("File has not been changed!");
    } else {
        Log("Download failed !");
        Log("Reason: " + HttpCli->ResponseText);
    }
    LogDashes();
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
