#pragma once
// Answers the modal boxes a test provokes: every box that opens while the
// catcher lives is recorded (caption and text) and closed with the given
// button, so the code under test goes on as if a user had clicked.
#include <QMessageBox>
#include <QStringList>
#include <QTimer>

class ModalCatcher {
public:
    explicit ModalCatcher(QMessageBox::StandardButton answer = QMessageBox::Ok);
    ~ModalCatcher();

    QStringList Captions;
    QStringList Texts;

private:
    QTimer timer_;
    QMessageBox::StandardButton answer_;
};
