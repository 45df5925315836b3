#pragma once
// Answers the modal dialogs of one type that a test provokes: while the
// answer lives, each such dialog that becomes the modal window is handed to
// act, which fills it in and closes it as a user would.
#include <QApplication>
#include <QDialog>
#include <QTimer>
#include <functional>

template <class Dialog>
class ModalAnswer {
public:
    explicit ModalAnswer(std::function<void(Dialog*)> act) : act_(std::move(act))
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            auto* dialog = qobject_cast<Dialog*>(QApplication::activeModalWidget());
            if (!dialog || dialog == last_)
                return;
            last_ = dialog;
            ++Count;
            act_(dialog);
            // The same dialog may be shown again after this one closes.
            QTimer::singleShot(0, &timer_, [this] { last_ = nullptr; });
        });
        timer_.start();
    }

    int Count = 0;  // dialogs answered

private:
    QTimer timer_;
    std::function<void(Dialog*)> act_;
    Dialog* last_ = nullptr;
};
