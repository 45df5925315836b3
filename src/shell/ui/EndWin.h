#pragma once
// "Terminating Orvanta": shown while the shutdown saves and frees everything,
// one step at a time; turns into a bug report when a step fails.
#include <QDialog>

class QLabel;
class QLineEdit;
class QProgressBar;

class TEndWin : public QDialog {
    Q_OBJECT
public:
    explicit TEndWin(QWidget* parent = nullptr);

    // "Process:" and text on the next line; the bar advances by one.
    void ShowStep(const QString& text);
    // The version and the last step shown, ready to copy.
    void ShowBugReport();

    QLabel* ProcLabel;
    QProgressBar* ProgressBar;
    QLabel* BugURLLabel;
    QLineEdit* BugEdit;
};

// Where users report bugs.
inline constexpr const char* kBugReportURL = "https://orvanta.invalid/forum/bugs";
