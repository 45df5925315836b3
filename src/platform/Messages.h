#pragma once
// Window messages for objects that live in a thread: a TMessageTarget stands
// for a window or hidden window. PostMessage queues a message for the
// target's thread; SendMessage calls the handler directly on the target's own
// thread and waits for it from any other thread. Message numbers belong to
// one target: components with overlapping numbers each have their own.
#include <QObject>
#include <QString>
#include <cstdint>
#include <functional>

using WPARAM = std::uintptr_t;
using LPARAM = std::intptr_t;
using LRESULT = std::intptr_t;

constexpr unsigned WM_USER = 0x0400;
constexpr unsigned WM_APP = 0x8000;

struct TMessage {
    unsigned Msg = 0;
    WPARAM WParam = 0;
    LPARAM LParam = 0;
    LRESULT Result = 0;
};

class TMessageTarget : public QObject {
    Q_OBJECT
public:
    using Handler = std::function<void(TMessage&)>;
    explicit TMessageTarget(Handler handler, QObject* parent = nullptr);
    void SetHandler(Handler handler) { handler_ = std::move(handler); }

protected:
    bool event(QEvent* e) override;

private:
    friend LRESULT SendMessage(TMessageTarget*, unsigned, WPARAM, LPARAM);
    LRESULT Dispatch(unsigned msg, WPARAM w, LPARAM l);
    Handler handler_;
};

// False when there is no target.
bool PostMessage(TMessageTarget* target, unsigned msg, WPARAM wParam, LPARAM lParam);
LRESULT SendMessage(TMessageTarget* target, unsigned msg, WPARAM wParam, LPARAM lParam);

// A message number for a name, the same for every caller of the process:
// 0xC000 upward, as registered messages are.
unsigned RegisterWindowMessage(const QString& name);

// Pumps the calling thread's message queue once: waits for messages for at
// most maxMs (never more than 1000 ms a round) and runs what arrived.
void PumpMessages(int maxMs);
