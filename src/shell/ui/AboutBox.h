#pragma once
// "About": which version runs, the program file's date, the image library's
// version and three memory figures, the credits, and a button that puts a
// launcher on the desktop.
#include <QDialog>

class QLabel;
class QPlainTextEdit;
class QTabWidget;
class TURLLabel;

class TAboutBox : public QDialog {
    Q_OBJECT
public:
    explicit TAboutBox(QWidget* parent = nullptr);
    ~TAboutBox() override;

    QLabel* Ver;
    QLabel* EXETS;
    QLabel* MagickVLabel;
    TURLLabel* MagickURLLabel;
    QLabel* MemAvailLabel;
    QLabel* StartMemLabel;
    QLabel* MemNowLabel;
    QPlainTextEdit* Memo1;

protected:
    void showEvent(QShowEvent* event) override;

private:
    void FormCreate();
    void ShortCutSpeedBtnClick();
    QTabWidget* pages_;
};

// Total and free physical memory as "%.3f kb" of kilobytes / 1000, so that
// 536,870,912 bytes read "524.288 kb".
QString FormatMemory(unsigned long long bytes);
bool ReadPhysicalMemory(unsigned long long& totalBytes, unsigned long long& availableBytes);

// The one about box (null before the main window makes it).
extern TAboutBox* AboutBox;
