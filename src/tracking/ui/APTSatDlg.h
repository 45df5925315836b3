#pragma once
// "Active APT Satellites": which satellites of the catalogue the station
// records, and on which downlink. By hand, one satellite at a time, or from
// the operator's status page: downloaded only when it changed, read into a
// grid of (spacecraft, APT, HRPT) rows and applied to the whole catalogue on
// request. The dialog lives for the whole run; the main window hands it the
// catalogue, the station's latitude and the config folder before each
// showing and reads Changed afterwards. GUI thread only.
#include "net/HttpCli.h"
#include "tracking/StatusPage.h"

#include <QDialog>
#include <memory>

class PList;
class QComboBox;
class QGroupBox;
class QLabel;
class QListWidget;
class QListWidgetItem;
class QPainter;
class QPushButton;
class QTableWidget;
class TSat;
class TURLLabel;

class TAPTSatDlg : public QDialog {
    Q_OBJECT
public:
    explicit TAPTSatDlg(QWidget* parent = nullptr);
    ~TAPTSatDlg() override;

    PList* Satellites = nullptr;  // the catalogue; not owned
    double StationLatitude = 0;   // radians
    QString ConfigDir;            // where the page copy is kept
    bool Changed = false;         // a mark or a downlink changed during this showing
    QString StatusURL;

    QComboBox* GroupCb;
    QListWidget* SatList;
    QGroupBox* ManualGroup;
    QComboBox* DownlinkCb;
    QPushButton* ManualApplyBtn;
    QGroupBox* DownloadGroup;
    QLabel* LastDownloadLabel;
    QLabel* LastModifiedLabel;
    TURLLabel* URLLabel1;  // the status page
    TURLLabel* URLLabel2;  // the operator's other status page
    QPushButton* CheckStatusBtn;
    QPushButton* ApplyStatusBtn;
    QPushButton* ClearTSBtn;
    QTableWidget* SatStatGrid;
    std::unique_ptr<THttpCli> HttpCli1;

    void GroupCbChange();
    void SatListClick(QListWidgetItem* item);
    void SatListClickCheck(QListWidgetItem* item);
    void ManualApplyBtnClick();
    void CheckStatusBtnClick();
    void ApplyStatusBtnClick();
    void ClearTSBtnClick();

    // The download; true after a complete 200 (the copy replaced and
    // LastModifiedLabel taken from the reply). interactive: boxes for a
    // failure and for an unchanged page.
    bool DownloadStatusPage(bool interactive);
    // Reads the page copy into the grid. flags bit 0: a copy that cannot be
    // opened is reported in a box. True when a row was taken.
    bool ReadStatusPage(int flags);
    // The copy of the page in the config folder, named after the status
    // address ("status.html" when the address names no file).
    QString StatusCopyPath() const;
    // The grid's rows as the reader gives them (no header, no empty row).
    TStatusGrid GridRows() const;
    // Draws one cell of the grid; row 0 is the header.
    void SatStatGridDrawCell(QPainter* painter, int col, int row, const QRect& rect);

protected:
    void showEvent(QShowEvent* event) override;  // FormShow

private:
    void BuildLayout();
    void FormCreate();
    void FormDestroy();
    void HttpCli1DocBegin(THttpCli* sender);
    void HttpCli1DocEnd(THttpCli* sender);
    TSat* SelectedSatellite(bool& checked) const;
    void ShowGrid(const TStatusGrid& rows);

    std::unique_ptr<TFileStream> stream_;  // the download, while it comes
    bool filling_ = false;                 // SatList is being filled: its check changes are not the user's
};

// The dialog of the running program (null before it is made).
extern TAPTSatDlg* APTSatDlg;
