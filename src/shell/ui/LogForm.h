#pragma once
// "Process information": the program's process log. Background work (the
// tracker, the log writer, the uploader) appends entries here; there is no
// log file. Worker threads append only through TThread::Synchronize.
#include <QPlainTextEdit>
#include <QStringList>
#include <QWidget>

class TLogForm : public QWidget {
    Q_OBJECT
public:
    explicit TLogForm(QWidget* parent = nullptr);
    ~TLogForm() override;

    // An entry: the local time stamp (followed by ": " and message when one
    // is given), the lines, and an empty line.
    void AddEntry(const QString& message, const QStringList& lines = {});
    // Appends lines as they are.
    void AddLines(const QStringList& lines);
    QStringList Lines() const;

    QPlainTextEdit* m;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void FormDestroy();

    bool placed_ = false;  // a stored placement, or the first showing, has put it somewhere
};

// The one process log of the running program (null before it is made).
extern TLogForm* LogForm;
