#include "shell/ui/Application.h"

#include <QMessageBox>
#include <exception>

namespace {

void ShowException(const QString& text)
{
    // A box of its own may run events that fail again: one box at a time.
    static bool showing = false;
    if (showing)
        return;
    showing = true;
    QMessageBox::critical(nullptr, QApplication::applicationName(), text);
    showing = false;
}

}  // namespace

TApplication::TApplication(int& argc, char** argv) : QApplication(argc, argv) {}

bool TApplication::notify(QObject* receiver, QEvent* event)
{
    return DeliverShowingExceptions(*this, receiver, event);
}

bool TApplication::DeliverShowingExceptions(QApplication& app, QObject* receiver, QEvent* event)
{
    try {
        return app.QApplication::notify(receiver, event);
    } catch (const std::exception& e) {
        ShowException(QString::fromLocal8Bit(e.what()));
    } catch (...) {
        ShowException("An unknown error occurred.");
    }
    return false;
}
