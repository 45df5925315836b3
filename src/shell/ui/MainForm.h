#pragma once
// The main window: the hub of the program. It owns the program's folders
// and, as the program grows, its long-lived records and windows.
#include "shell/AppFolders.h"

#include <QMainWindow>

class QMdiArea;

class TMainForm : public QMainWindow {
    Q_OBJECT
public:
    explicit TMainForm(QWidget* parent = nullptr);
    ~TMainForm() override;

    // Modal boxes owned by the main window, on top of every other window.
    void ShowError(const QString& text, const QString& caption);
    void ShowInfo(const QString& text, const QString& caption);

    const TAppFolders& Folders() const { return folders_; }
    QMdiArea* MDIArea() const { return mdiArea_; }

private:
    TAppFolders folders_;
    QMdiArea* mdiArea_;
};

// The one main window of the running program (null before it is made).
extern TMainForm* MainForm;
