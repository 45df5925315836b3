#pragma once
// "Download NASA/NORAD 2-Line Element Sets": fetches the current element
// sets of the chosen sources over HTTP (only when they changed since the
// last fetch) into a check list of downloaded satellites, fetches element-set
// archives into "kepler/archive", and loads element files from disk. On OK
// the main window merges the checked satellites into the catalogue. Made
// once at start-up; the downloaded satellites gather over the whole run.
//
// Grids: the header is the table's own header, so grid row r is table row
// r - 1. The in-place editors (EnableCb, SatCatCb, EnableArcCb) lie over the
// current cell of their column and write their text back when committed.
#include "orbit/Catalogue.h"
#include "shell/AppFolders.h"
#include "tracking/ElementSetSources.h"

#include <QDialog>
#include <memory>

class QComboBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPlainTextEdit;
class QProgressBar;
class QSplitter;
class QPushButton;
class QTabWidget;
class QTableWidget;
class QTableWidgetItem;
class TFileStream;
class THttpCli;

class TKeplerDlg : public QDialog {
    Q_OBJECT
public:
    explicit TKeplerDlg(QWidget* parent = nullptr);
    ~TKeplerDlg() override;  // FormDestroy

    QTabWidget* PageControl;
    QTableWidget* UrlGrid;
    QPlainTextEdit* Memo;
    QComboBox* EnableCb;
    QComboBox* SatCatCb;
    QListWidget* SatList;
    QTableWidget* OrbGrid;
    QTableWidget* ArcGrid;
    QPlainTextEdit* ArcMemo;
    QComboBox* EnableArcCb;
    QProgressBar* ProgressBar;
    QPushButton* DownloadBtn;
    QPushButton* DefaultBtn;
    QPushButton* RowBtn;
    QPushButton* DelRowBtn;
    QPushButton* DelTSBtn;
    QPushButton* FileBtn;
    QPushButton* DownloadArcBtn;
    QPushButton* DefaultArcURLBtn;
    QPushButton* AddArcRowBtn;
    QPushButton* DelArcRowBtn;
    QPushButton* DelArcTSBtn;
    QList<QPushButton*> SatButtons;  // by tag 0..7
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    std::unique_ptr<THttpCli> HttpCli;

    // The downloaded satellites, one per SatList item (same names).
    TSatCheckList Downloaded;

    int CurrentRow = 0;
    bool CurrentDataMode = true;
    bool SourcesChanged = false;
    bool ArchiveSourcesChanged = false;
    bool Loading = false;

    // The list rows of a grid (cells as they stand) and back.
    TSourceRows Rows(TSourceKind kind) const;
    void SetRows(TSourceKind kind, const TSourceRows& rows);
    void SetDefaultSources();
    void SetDefaultArchiveSources();
    void EnableCommands(bool enable);
    // Writes both editors' texts into the cells under them and hides them.
    void CommitCellEditors();
    void FreeDownloadedSatellites();
    // Files the user chose in "Load from file..." (replaceable for tests).
    std::function<QStringList()> ChooseFiles;

public slots:
    void DefaultBtnClick();
    void RowBtnClick();
    void DelRowBtnClick();
    void DelTSBtnClick();
    void DefaultArcURLBtnClick();
    void AddArcRowBtnClick();
    void DelArcRowBtnClick();
    void DelArcTSBtnClick();
    void DownloadBtnClick();
    void DownloadArcBtnClick();
    void FileBtnClick();
    void SatBtnClick(int tag);
    void SatListClick();
    void reject() override;
    // OK: the sources and the dialog's registry record are written now, so a
    // crash or a kill later in the run loses none of them.
    void accept() override;

protected:
    void showEvent(QShowEvent* event) override;  // FormShow
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    // A splitter whose first pane's size is kept in the registry.
    struct TSplitterMemory {
        QSplitter* Splitter;
        const char* ValueName;
        int Stored = 0;      // the registry's size, 0 when none or unusable
        bool Shown = false;  // laid out at least once this run
    };

    void BuildLayout();
    void FitColumns();
    void RestoreSettings();
    void SaveSettings();
    void ApplyStoredSize(const TSplitterMemory& memory);
    // Takes a typed URL when the list file can keep it; otherwise says why
    // in a box and puts the cell's last text back.
    void CheckTypedURL(QTableWidget* grid, QTableWidgetItem* item);
    void ReadSourceFiles();
    void WriteSourceFiles();
    void GridCellClicked(QTableWidget* grid, int row, int column);
    void PlaceEditor(QComboBox* editor, QTableWidget* grid, int row, int column);
    void CommitEditor(QComboBox* editor, QTableWidget* grid);
    void AddGroupName(const QString& group);
    void Log(const QString& line);
    // The run over the rows of one grid; kind chooses the grid and the folder.
    void DownloadRun(TSourceKind kind);
    void HttpCliDocBegin();
    void HttpCliDocEnd();
    // Logs and takes the result of the current row's request once it has
    // ended; the reason when it brought nothing, else empty.
    QString FinishRow(const QString& url, const QString& failure);
    bool HoldsElementSets(const QString& path) const;
    // The box after a run in which every row failed.
    void ReportFailedRun(const QStringList& failures);
    void CloseReceiveStream();
    void TransferModifiedDate(const QString& modified);
    void LoadIntoSatList(const QString& path, const QString& group);
    QString PartialDocumentPath() const;
    bool KeepPartialDocument();
    void SyncSatList();
    void LogDashes();

    QList<TSplitterMemory> splitters_;
    TAppFolders folders_;            // the program's folders, fixed at creation
    QString runFolder_;              // the run's target folder, fixed at its start
    std::unique_ptr<TFileStream> receiveStream_;
    bool running_ = false;
    bool documentReceived_ = false;  // the last reply of the current row brought a whole document
    bool cancelRequested_ = false;   // Cancel pressed during a run
    bool syncing_ = false;           // SatList being filled: check changes are ours
};

extern TKeplerDlg* KeplerDlg;
