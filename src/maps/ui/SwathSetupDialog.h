#pragma once
// TSwathSetupDlg: "Swath Viewer Settings", the swath viewer's map type,
// scale, default projection, colours and grid spacing. It edits the record
// its caller hands it in Props (a copy) and says in ChangeFlags what changed;
// the caller takes the copy back after OK. GUI thread only.
#include <QDialog>

class QButtonGroup;
class QColorDialog;
class QComboBox;
class QGroupBox;
class QPushButton;
class QSpinBox;
class QTabWidget;
class TColorShape;
struct TSwathProp;

// Bits of TSwathSetupDlg::ChangeFlags.
enum TSwathSetupChange : int {
    ssLoading = 0x01,  // the controls are being loaded or stored
    ssColors = 0x02,   // a colour or a grid spacing
    ssMap = 0x04,      // map type, scale or projection
};

class TSwathSetupDlg : public QDialog {
    Q_OBJECT
public:
    explicit TSwathSetupDlg(QWidget* parent = nullptr);
    ~TSwathSetupDlg() override;

    // Event handlers, public so callers and tests act as a user would.
    void FormShow();
    // On closing with OK after a change: every control into Props.
    void FormCloseQuery();
    void MapTypeClick();
    void ScaleCbChange();
    void MapDefaultProjChange();
    void MedianEditChange();
    void clShapeMouseDown(QObject* sender);

    void done(int result) override;

    TSwathProp* Props = nullptr;  // the record edited; not owned
    int ChangeFlags = 0;          // TSwathSetupChange

    QTabWidget* Pages;
    QGroupBox* MapType;
    QButtonGroup* MapTypeGroup;  // ids 0 vector map, 1 land map, 2 both
    QComboBox* ScaleCb;
    QComboBox* MapDefaultProj;
    TColorShape* waterShape;
    TColorShape* bkShape;
    TColorShape* swathShape;
    TColorShape* mpShape;
    TColorShape* mpFontShape;
    TColorShape* cilShape;
    TColorShape* intShape;
    TColorShape* natShape;
    TColorShape* landShape;
    QSpinBox* MedianEdit;
    QSpinBox* ParallelEdit;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QColorDialog* ColorDialog;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildForm();
};

// The dialog of the running program (null before it is made).
extern TSwathSetupDlg* SwathSetupDlg;
