#pragma once
// TBkSetupDlg: the Flat Earth Monitor's settings: the background picture,
// the satellites shown, the footprint mode, day and night, sun and moon, and
// the two colours. It only holds the controls and records in ChangeFlags
// what the user changed; the main window fills it from the view, shows it
// and applies it. Made once at start-up, it lives for the whole run; its
// placement is kept under "APT\FlatEarth". GUI thread only.
#include "maps/ui/ColorShape.h"

#include <QDialog>

class QButtonGroup;
class QCheckBox;
class QColorDialog;
class QGroupBox;
class QLineEdit;
class QListWidget;
class QPushButton;
class QSplitter;
class QToolButton;
class TColorShape;
class TOpenMagickImageDlg;
class TURLLabel;

// Bits of TBkSetupDlg::ChangeFlags.
enum TBkSetupChange : int {
    bkSatellites = 0x01,  // a satellite's check mark was toggled
    bkOptions = 0x02,     // footprint mode, a check box or a colour
    bkBackground = 0x04,  // a background picture was chosen
};

class TBkSetupDlg : public QDialog {
    Q_OBJECT
public:
    explicit TBkSetupDlg(QWidget* parent = nullptr);
    ~TBkSetupDlg() override;

    // The footprint choice: 0 always, 1 only while above the station, 2 none.
    int FootprintIndex() const;
    void SetFootprintIndex(int index);

    // Event handlers, public so the main window and tests act as a user would.
    void FormCreate();
    void FormDestroy();
    void FormShow();
    void SatListClickCheck();
    void CheckChangedCklick();
    void ColorClick(QObject* sender);
    void OpenBtnClick();

    int ChangeFlags = 0;  // TBkSetupChange
    // The image chooser; null: the program's shared one. Not owned.
    TOpenMagickImageDlg* Chooser = nullptr;

    QListWidget* SatList;  // sorted; each item's data (Qt::UserRole) is the catalogue TSat*
    QLineEdit* bkimage;
    QToolButton* OpenBtn;
    TURLLabel* URLLabel1;
    QGroupBox* Footprint;
    QButtonGroup* FootprintGroup;
    TColorShape* clSat;
    QCheckBox* ShowDayNightCb;
    TColorShape* clNight;
    QCheckBox* ShowSunCb;
    QCheckBox* ShowMoonCb;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;
    QColorDialog* ColorDialog;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildForm();
    QSplitter* splitter_ = nullptr;
    bool splitterPlaced_ = false;  // the list's first width is set at the first showing
};

// The dialog of the running program (null before it is made).
extern TBkSetupDlg* BkSetupDlg;
