#include "support/ModalCatcher.h"

#include <QApplication>
#include <QPushButton>

ModalCatcher::ModalCatcher(QMessageBox::StandardButton answer) : answer_(answer)
{
    timer_.setInterval(10);
    QObject::connect(&timer_, &QTimer::timeout, [this] {
        auto* box = qobject_cast<QMessageBox*>(QApplication::activeModalWidget());
        if (!box)
            return;
        Captions << box->windowTitle();
        Texts << box->text();
        QAbstractButton* button = box->button(answer_);
        if (!button)
            button = box->buttons().value(0);
        if (button)
            button->click();
        else
            box->reject();
    });
    timer_.start();
}

ModalCatcher::~ModalCatcher() = default;
