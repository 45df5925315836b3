#pragma once
// The program's application object. An exception that leaves an event
// handler or a slot is shown in a box and the program goes on, instead of
// ending with whatever the user had not saved.
#include <QApplication>

class TApplication : public QApplication {
public:
    TApplication(int& argc, char** argv);
    bool notify(QObject* receiver, QEvent* event) override;

    // Delivers the event through app; an exception it raises is shown (box
    // with the program's name as caption and the exception's text) and the
    // result is false, as for an event nobody took.
    static bool DeliverShowingExceptions(QApplication& app, QObject* receiver, QEvent* event);
};
