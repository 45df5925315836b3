#pragma once
// TR2FXDlg: "R2FX Receiver Setup", programs the R2FX's six memory channels
// and its scan threshold. Opened modally from the R2FX window in one of two
// modes: with the window's polling thread (Thread set) every request is
// queued to the thread, which carries it out in setup mode and reports in
// ErrLabel; without it (direct mode) the dialog talks to the receiver itself.
// Made at start-up, it lives for the whole run.
#include <QDialog>

class QLabel;
class QPushButton;
class QSlider;
class QToolButton;
class TR2FXThread;
class TRig;
class TUDEdit;

class TR2FXDlg : public QDialog {
    Q_OBJECT
public:
    explicit TR2FXDlg(QWidget* parent = nullptr);
    ~TR2FXDlg() override;

    QPushButton* LoadR2FXBtn;
    TUDEdit* r2fx_ch1;
    TUDEdit* r2fx_ch2;
    TUDEdit* r2fx_ch3;
    TUDEdit* r2fx_ch4;
    TUDEdit* r2fx_ch5;
    TUDEdit* r2fx_ch6;
    QToolButton* r2fx_ch1_btn;
    QToolButton* r2fx_ch2_btn;
    QToolButton* r2fx_ch3_btn;
    QToolButton* r2fx_ch4_btn;
    QToolButton* r2fx_ch5_btn;
    QToolButton* r2fx_ch6_btn;
    QSlider* r2fx_threshold;  // 0 to 99
    QLabel* r2fx_threshold_label;
    QToolButton* r2fx_thresholdbtn;
    QLabel* Explanation;
    QLabel* ErrLabel;

    TR2FXThread* Thread = nullptr;  // the window's polling thread; null: direct mode; not owned
    TRig* Rig = nullptr;            // the link; not owned
    bool Changed = false;           // a request was queued to the thread during this showing

    // The channel's edit, channel 1 to 6 (null otherwise).
    TUDEdit* ChannelEdit(int channel) const;
    // Fills the six edits and the threshold from a memory listing.
    void ShowMemory(const QStringList& lines);

    void LoadR2FXBtnClick();
    // sender: one of the six Apply buttons (its "Tag" 1..6).
    void SetR2FXChannelBtnClick(QObject* sender);
    void r2fx_thresholdbtnClick();
    void r2fx_thresholdChange();

private:
    void BuildLayout();
    void ErrorBox();
    void IOErrorBox(const QString& text);
};

extern TR2FXDlg* R2FXDlg;
