#pragma once
// "Satellite maintenance": deletes satellites or a whole group, moves
// satellites to another group, renames a group and selects the satellites
// without group. Works on the catalogue itself and only marks Modified; the
// main window saves the catalogue on OK or reloads it on Cancel.
#include <QDialog>

class PList;
class QComboBox;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QPushButton;
class QRadioButton;

class TSatOrgDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSatOrgDlg(QWidget* parent = nullptr);  // FormCreate
    ~TSatOrgDlg() override;                          // FormDestroy

    QComboBox* GroupCb;
    QListWidget* SatList;  // several selectable; items carry their TSat
    QRadioButton* ShowNoGroupRadio;
    QRadioButton* DelSat;
    QRadioButton* DelSatGroup;
    QRadioButton* MoveSatToGroup;
    QComboBox* MoveToGroupCb;
    QRadioButton* RenGroup;
    QLineEdit* RenameGroupEdit;
    QPushButton* ApplyBtn;
    QPushButton* OkBtn;
    QPushButton* CancelBtn;
    PList* SatelliteList = nullptr;  // the catalogue, set before each showing; not owned
    unsigned char Modified = 0;

public slots:
    void GroupCbChange();
    void ShowNoGroupRadioClick();
    void ApplyBtnClick();

protected:
    void showEvent(QShowEvent* event) override;  // FormShow

private:
    void RefillMoveToGroupCb();
    bool ShowsGroup() const;  // a group, not "Show all"
    // False, with a box saying why, for a name the database cannot keep.
    void DeleteSelectedSatellites();
    void DeleteGroup();
    void MoveSelectedSatellites();
    void RenameGroup();
    void RemoveSatellite(QListWidgetItem* item);
};

extern TSatOrgDlg* SatOrgDlg;
