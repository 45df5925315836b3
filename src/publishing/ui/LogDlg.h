#pragma once
// TLogDlg, "Log options": what "Add to the daily log..." of an image window
// does with today's daily log: start it anew or add to it, upload it, retry
// the pending uploads or upload every file. It only collects the choice as
// action bits; the window's command carries it out. Made once at start-up
// and kept for the run, so the choices stay from one showing to the next.
// GUI thread only.
#include <QDialog>

class QCheckBox;
class QGroupBox;
class QPushButton;
class QRadioButton;

// Bits of TLogDlg::Action.
enum TLogAction : int {
    laNewLog = 1,      // "Create new"
    laAppendLog = 2,   // "Add to existing"
    laUpload = 4,      // "Upload to server"
    laRetry = 8,       // "Retry upload"
    laUploadAll = 16,  // "Upload all files"
};

class TLogDlg : public QDialog {
    Q_OBJECT
public:
    explicit TLogDlg(QWidget* parent = nullptr);
    ~TLogDlg() override;

    // From the radio buttons and the check box: 1 or 2, plus 4 to upload.
    int GetAction();

    int Action = 0;  // TLogAction bits; 0 at each showing

    QWidget* Panel1;
    QGroupBox* GroupBox1;
    QRadioButton* NewLog;
    QRadioButton* AppendLog;
    QCheckBox* UploadLog;
    QPushButton* RetryBtn;
    QPushButton* UploadAllBtn;
    QWidget* Panel2;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    void FormShow();
    void RetryBtnClick();
    void UploadAllBtnClick();

protected:
    void showEvent(QShowEvent* event) override;

private:
    void BuildForm();
};

// The dialog of the running program (null before it is made).
extern TLogDlg* LogDlg;
