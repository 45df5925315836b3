#pragma once
// TLUTDlg, "Colour Lookup Tables": which colour look-up table serves each
// false-colour or low-temperature view. One row a view: the table's path, a
// browse button, a preview button that renders the image window in the row's
// view, and an edit button that opens the table in the editor. The rows are
// the running choice (TMainForm::GetLUTFileName reads them); they are saved
// under "APT\LUTTables" when the dialog is destroyed at the end of the run.
// It also carries the low-temperature edit the main window's command fills
// and reads back. A picture beside the rows shows the table under the mouse.
//
// Threads: the widgets live on the GUI thread. RowFileName may be called from
// any thread (the log writer renders on the processing thread): it reads a
// copy of the rows kept under a lock.
#include <QDialog>
#include <QPointer>
#include <QStringList>
#include <mutex>

#include "shell/AppFolders.h"

class QLineEdit;
class QPushButton;
class QToolButton;
class TMDIChild;
class TMagickImage;

class TLUTDlg : public QDialog {
    Q_OBJECT
public:
    explicit TLUTDlg(QWidget* parent = nullptr);
    ~TLUTDlg() override;

    // Puts path into the row of view 3, 4, 5, 7 or 8; other views: nothing.
    void SetLUTFileName(int view, const QString& path);
    // The row's edit for a control of tag 0..4, null otherwise.
    QLineEdit* RowEdit(const QObject* control) const;
    // 3, 4, 5, 7, 8 for tags 0..4, -1 otherwise.
    static int RowView(int tag);
    // The text of the view's row ("" for a view without a row). Any thread.
    QString RowFileName(int view) const;

    // The window whose view the preview buttons render; set before each
    // showing. Not owned.
    QPointer<TMDIChild> ImageWindow;

    QLineEdit* FC_AB_ed;
    QLineEdit* FC_24_ed;
    QLineEdit* FC_ExtremeLowTemps_ed;
    QLineEdit* IR_ExtremeLowTemps_ed;
    QLineEdit* FC_IR_ed;
    // Row buttons by tag: OpenBtn1..5, PreviewBtn1..5, EditLUTBtn1..5.
    QToolButton* OpenBtn[5];
    QToolButton* PreviewBtn[5];
    QToolButton* EditLUTBtn[5];
    QLineEdit* LowTempValue;
    TMagickImage* MagickImage;
    QPushButton* OKBtn;
    QPushButton* CancelBtn;

    // Event handlers; sender is a control of the row (its tag decides).
    void FormShow();
    void OpenBtnClick(QObject* sender);
    void PreviewBtnClick(QObject* sender);
    void EditLUTBtnClick(QObject* sender);
    void LUTFileMouseMove(QObject* sender);
    void SpeedBtnMouseMove(QObject* sender);

protected:
    void showEvent(QShowEvent* event) override;
    bool eventFilter(QObject* watched, QEvent* event) override;

private:
    void BuildForm();
    void FormCreate();
    void FormDestroy();
    QLineEdit* Edit(int tag) const;
    void ShowTable(const QString& path);

    mutable std::mutex rowsLock_;
    QStringList rows_;  // the rows' texts, for RowFileName
};

// The chooser of the running program (null before it is made).
extern TLUTDlg* LUTDlg;

// The program's folders: the main window's, or without one those of the
// program folder.
TAppFolders ProgramFolders();
