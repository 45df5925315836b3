#pragma once
// "Satellite pass prediction": the passes of one satellite, or of all active
// APT satellites in time order, on a chosen date; optionally limited by the
// pass thresholds. Each row keeps its pass's AOS, so a chosen row is
// predicted again from the pass itself, whatever the local date.
#include "orbit/Satutil.h"

#include <QDialog>
#include <functional>

class PList;
class QCheckBox;
class QComboBox;
class QDateEdit;
class QListWidget;
class QPushButton;
class QTableWidget;
class QWidget;
class TSat;
struct TStation;

class TSatPassDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSatPassDlg(QWidget* parent = nullptr);  // FormCreate
    ~TSatPassDlg() override;                          // FormDestroy

    QWidget* SatListPanel;
    QListWidget* SatList;
    QComboBox* GroupCb;
    QCheckBox* AddSysTimeChk;
    QDateEdit* DatePicker;
    QCheckBox* Thresholds;
    QPushButton* APTPassesBtn;
    QPushButton* SettingsBtn;
    QPushButton* ShowSwathBtn;
    QTableWidget* PassGrid;

    int Flags = 0;  // 0x4: the single-satellite view is wanted
    TStation* Station = nullptr;  // not owned
    QList<TSat*> Satellites;      // the catalogue's satellites that can pass; not owned

    // The picker's date at 00:00 UTC, plus the local time of day when
    // AddSysTimeChk is checked.
    TDateTime GetSelectedTime() const;
    // The catalogue satellite of the selected row with that row's pass as
    // its current pass, or null.
    TSat* GetSelectedPass();
    // The swath viewer's commands, when there is one: show a pass, and
    // whether it is open (then it follows the selected row).
    std::function<void(TSat*)> ShowSwath;
    std::function<bool()> SwathVisible;

public slots:
    void GroupCbChange();
    void SatListClick();
    void APTPassesBtnClick();
    void SettingsBtnClick();
    void ShowSwathBtnClick();
    void PassGridClick();
    void reject() override;
    void done(int result) override;
    // A fill runs; a click now is ignored.
    bool Filling() const { return busy_; }

protected:
    void showEvent(QShowEvent* event) override;  // FormShow
    bool eventFilter(QObject* watched, QEvent* event) override;  // SatListMouseDown

private:
    void ShowRows(const QList<QStringList>& rows, const QList<double>& aosDays);
    bool busy_ = false;             // a fill runs: clicks meanwhile are ignored
    bool closeRequested_ = false;   // closed during a fill: closes when it ends
    void CloseIfRequested();
};

extern TSatPassDlg* SatPassDlg;
