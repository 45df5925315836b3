#pragma once
// "Predict APT footprint overlaps": the pairs of passes above the station at
// the same time on a chosen date, between the active APT satellites or
// against the satellites ticked in the list: which recordings would collide.
#include "orbit/Satutil.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QDateEdit;
class QListWidget;
class QPushButton;
class QRadioButton;
class QTableWidget;
class TSat;
struct TStation;

class TOverlapDlg : public QDialog {
    Q_OBJECT
public:
    explicit TOverlapDlg(QWidget* parent = nullptr);  // FormCreate
    ~TOverlapDlg() override;                          // FormDestroy

    QDateEdit* DatePicker;
    QCheckBox* IncSysTime;
    QRadioButton* PredictAPTOnly;      // "Check only APT-satellites" (index 0)
    QRadioButton* PredictAgainstSelected;  // index 1
    QCheckBox* CheckFreq;
    QPushButton* CalcBtn;
    QListWidget* SatList;  // the other satellites, items carry their TSat; checkable
    QTableWidget* sg;

    QList<TSat*> APTSatellites;  // the catalogue's active APT satellites that can pass; not owned
    TStation* Station = nullptr;  // not owned

    struct TPass {
        QString Name;
        double AOS, LOS;
    };
    // The passes of sat on the picked date (from the time of day with IncSysTime).
    QList<TPass> CollectPasses(TSat* sat) const;
    static double GetOverlapStart(double aos1, double los1, double aos2, double los2);
    void Calculate();
    int PredictIndex() const;

public slots:
    void CalcBtnClick() { Calculate(); }
    void Checkall1Click();
    void Uncheckall1Click();
    void reject() override;
    // A fill runs; a click now is ignored.
    bool Filling() const { return busy_; }

protected:
    void showEvent(QShowEvent* event) override;  // FormShow

private:
    void AddOverlap(TSat* a, const TPass& passA, TSat* b, const TPass& passB);
    void AddRow(TSat* sat, double start, const QString& duration);
    bool busy_ = false;
    bool closeRequested_ = false;
    void CloseIfRequested();
};

extern TOverlapDlg* OverlapDlg;
