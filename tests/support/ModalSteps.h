#pragma once
// Plays the user at the modal dialogs a test provokes, one step after the
// other: each step waits until a dialog of its kind is the modal window on
// top, then acts on it (fills it in, accepts or rejects it). Message boxes
// are left to ModalCatcher.
#include <QApplication>
#include <QTimer>
#include <QWidget>
#include <functional>
#include <vector>

class ModalSteps {
public:
    ModalSteps()
    {
        timer_.setInterval(10);
        QObject::connect(&timer_, &QTimer::timeout, [this] {
            QWidget* modal = QApplication::activeModalWidget();
            if (modal && next_ < steps_.size() && steps_[next_](modal))
                ++next_;
        });
        timer_.start();
    }

    // Acts on the next modal dialog of type Dialog.
    template <class Dialog>
    ModalSteps& Then(std::function<void(Dialog&)> act)
    {
        steps_.push_back([act](QWidget* modal) {
            auto* dialog = qobject_cast<Dialog*>(modal);
            if (!dialog || !dialog->isVisible())
                return false;
            act(*dialog);
            return true;
        });
        return *this;
    }

    // The number of steps played so far.
    std::size_t Played() const { return next_; }

private:
    QTimer timer_;
    std::vector<std::function<bool(QWidget*)>> steps_;
    std::size_t next_ = 0;
};
