#include "platform/Messages.h"

#include <QCoreApplication>
#include <QEvent>
#include <QEventLoop>
#include <QHash>
#include <QMutex>
#include <QThread>
#include <QTimer>
#include <algorithm>

namespace {

const QEvent::Type kMessageEvent = static_cast<QEvent::Type>(QEvent::registerEventType());

class MessageEvent : public QEvent {
public:
    MessageEvent(unsigned msg, WPARAM w, LPARAM l) : QEvent(kMessageEvent), msg_(msg), w_(w), l_(l) {}
    unsigned msg_;
    WPARAM w_;
    LPARAM l_;
};

}  // namespace

TMessageTarget::TMessageTarget(Handler handler, QObject* parent) : QObject(parent), handler_(std::move(handler)) {}

bool TMessageTarget::event(QEvent* e)
{
    if (e->type() != kMessageEvent)
        return QObject::event(e);
    auto* m = static_cast<MessageEvent*>(e);
    Dispatch(m->msg_, m->w_, m->l_);
    return true;
}

LRESULT TMessageTarget::Dispatch(unsigned msg, WPARAM w, LPARAM l)
{
    TMessage message{msg, w, l, 0};
    if (handler_)
        handler_(message);
    return message.Result;
}

bool PostMessage(TMessageTarget* target, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    if (!target)
        return false;
    QCoreApplication::postEvent(target, new MessageEvent(msg, wParam, lParam));
    return true;
}

LRESULT SendMessage(TMessageTarget* target, unsigned msg, WPARAM wParam, LPARAM lParam)
{
    if (!target)
        return 0;
    if (QThread::currentThread() == target->thread())
        return target->Dispatch(msg, wParam, lParam);
    LRESULT result = 0;
    QMetaObject::invokeMethod(
        target, [&] { result = target->Dispatch(msg, wParam, lParam); }, Qt::BlockingQueuedConnection);
    return result;
}

unsigned RegisterWindowMessage(const QString& name)
{
    static QMutex mutex;
    static QHash<QString, unsigned> ids;
    QMutexLocker lock(&mutex);
    const QString key = name.toLower();  // registered names ignore letter case
    auto it = ids.find(key);
    if (it == ids.end())
        it = ids.insert(key, 0xC000u + static_cast<unsigned>(ids.size()));
    return it.value();
}

void PumpMessages(int maxMs)
{
    // processEvents(flags, maxTime) never waits; a single-shot timer bounds
    // the wait of WaitForMoreEvents instead.
    QTimer wakeUp;
    wakeUp.setSingleShot(true);
    wakeUp.start(std::clamp(maxMs, 0, 1000));
    QCoreApplication::processEvents(QEventLoop::WaitForMoreEvents);
}
