#pragma once
// TPassInfoDlg ("Pass information"): what an image window holds: the pass
// (description, station, times, positions and look angles at the start and
// end of the recording window and at closest approach, duration, orbit, the
// element set and its age), the size and duration of the picture, the
// channels of both video halves and the audio file. One dialog serves the
// whole run; it keeps its placement and column widths under "APT\ProcInfo".
// GUI thread only, shown modally.
#include <QDialog>

class QLabel;
class QLineEdit;
class QTableWidget;
class TMDIChild;

class TPassInfoDlg : public QDialog {
    Q_OBJECT
public:
    explicit TPassInfoDlg(QWidget* parent = nullptr);
    ~TPassInfoDlg() override;

    void FormCreate();
    void FormDestroy();
    void FormShow();
    void ClearFields();

    // The text of grid cell (column, row); row 0 is the title row.
    QString Cell(int column, int row) const;

    TMDIChild* Child = nullptr;  // the window shown; set before showing, not owned

    QWidget* Panel1;
    QLabel* InfoLabel;
    QLabel* StationLabel;
    QTableWidget* sig;  // 5 x 5 cells; its title row is the header
    QWidget* Panel2;
    QLabel* TLEDateLabel;
    QLineEdit* TLELine1;
    QLineEdit* TLELine2;
    QWidget* Panel3;
    QLabel* CHVideoALabel;
    QLabel* CHVideoBLabel;
    QLabel* CurrentImageLabel;
    QLabel* WavLabel;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void SetCell(int column, int row, const QString& text);
    void BuildForm();
};

// The pass-information dialog of the running program (null before it is made).
extern TPassInfoDlg* PassInfoDlg;
