#include "shell/ui/MainForm.h"

#include "platform/ProgramFolder.h"

#include <QMdiArea>
#include <QMessageBox>

TMainForm* MainForm = nullptr;

TMainForm::TMainForm(QWidget* parent)
    : QMainWindow(parent),
      folders_(programfolder::Path(), [this](const QString& text, const QString& caption) { ShowError(text, caption); }),
      mdiArea_(new QMdiArea(this))
{
    MainForm = this;
    setWindowTitle("Orvanta");
    setCentralWidget(mdiArea_);
    resize(1024, 720);
    folders_.CreateAppFolders();
}

TMainForm::~TMainForm()
{
    if (MainForm == this)
        MainForm = nullptr;
}

void TMainForm::ShowError(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Critical, caption, text, QMessageBox::Ok, this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}

void TMainForm::ShowInfo(const QString& text, const QString& caption)
{
    QMessageBox box(QMessageBox::Information, caption, text, QMessageBox::Ok, this);
    box.setWindowFlag(Qt::WindowStaysOnTopHint);
    box.exec();
}
