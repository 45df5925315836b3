#pragma once
// "Orbit data": the element set and the derived orbit values of one
// catalogue satellite, chosen from a list filtered by group. Changes nothing.
#include <QDialog>

class PList;
class QComboBox;
class QListWidget;
class QTableWidget;

class TSatOrbDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSatOrbDlg(QWidget* parent = nullptr);  // FormCreate
    ~TSatOrbDlg() override;                          // FormDestroy

    QComboBox* GroupCb;
    QListWidget* SatList;  // items carry their TSat (not owned)
    QTableWidget* OrbGrid;
    PList* SatelliteList = nullptr;  // the catalogue, set before each showing; not owned

public slots:
    void GroupCbChange();
    void SatListClick();

protected:
    void showEvent(QShowEvent* event) override;  // FormShow
};

extern TSatOrbDlg* SatOrbDlg;
