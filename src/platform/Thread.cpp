#include "platform/Thread.h"

#include <QCoreApplication>
#include <QMetaObject>
#include <QThread>
#include <chrono>
#include <deque>
#include <exception>
#include <sys/resource.h>
#include <unistd.h>

namespace {

// The synchronized calls waiting for the GUI thread. Each caller waits on its
// own request; the GUI thread runs them from its event loop or from WaitFor().
struct SyncRequest {
    std::function<void()> fn;
    std::exception_ptr error;
    bool done = false;
};

std::mutex syncMutex;
std::condition_variable syncChanged;  // a request was queued or answered, or a thread finished
std::deque<SyncRequest*> syncQueue;

bool OnGuiThread()
{
    QCoreApplication* app = QCoreApplication::instance();
    return !app || QThread::currentThread() == app->thread();
}

QThread::Priority ToQt(TThreadPriority priority)
{
    // Idle is not Qt's idle priority: see ApplyNice.
    return priority == TThreadPriority::Lowest ? QThread::LowestPriority : QThread::NormalPriority;
}

// Linux's idle scheduling class (Qt's idle priority) runs a thread only while
// nothing else wants a CPU, so a browser or a build starves it for seconds;
// the lowest ordinary priority, nice 19, still gets its share. Lowering the
// nice value again needs a privilege, so a thread that was idle stays nice 19.
void ApplyNice(pid_t tid, TThreadPriority priority)
{
    if (tid > 0 && priority == TThreadPriority::Idle)
        setpriority(PRIO_PROCESS, static_cast<id_t>(tid), 19);
}

}  // namespace

class TThread::Runner : public QThread {
public:
    explicit Runner(TThread* owner) : owner_(owner) {}

    std::atomic<pid_t> Tid{0};  // the kernel's id of the running thread, 0 before it runs

protected:
    void run() override
    {
        Tid = gettid();
        ApplyNice(Tid, owner_->Priority());
        owner_->Run();
    }

private:
    TThread* owner_;
};

TThread::TThread(bool createSuspended) : runner_(std::make_unique<Runner>(this))
{
    if (!createSuspended)
        Resume();
}

TThread::~TThread()
{
    if (started_ && !finished_) {
        Terminate();
        Resume();
        WaitFor();
    }
    runner_->wait();
}

void TThread::Resume()
{
    if (!started_.exchange(true)) {
        runner_->start(ToQt(priority_));
        return;
    }
    std::lock_guard lock(suspendMutex_);
    suspended_ = false;
    suspendChanged_.notify_all();
}

void TThread::Suspend()
{
    std::lock_guard lock(suspendMutex_);
    suspended_ = true;
}

void TThread::Terminate()
{
    terminated_ = true;
    // Blocking waits that pump this thread's messages end early on it.
    runner_->requestInterruption();
    std::lock_guard lock(suspendMutex_);
    suspendChanged_.notify_all();
}

bool TThread::CheckSuspended()
{
    std::unique_lock lock(suspendMutex_);
    suspendChanged_.wait(lock, [this] { return !suspended_ || terminated_.load(); });
    return terminated_;
}

bool TThread::SleepUnlessTerminated(int ms)
{
    std::unique_lock lock(suspendMutex_);
    suspendChanged_.wait_for(lock, std::chrono::milliseconds(ms), [this] { return terminated_.load(); });
    return terminated_;
}

void TThread::SetPriority(TThreadPriority priority)
{
    priority_ = priority;
    if (runner_->isRunning()) {
        runner_->setPriority(ToQt(priority));
        ApplyNice(runner_->Tid, priority);
    }
}

void TThread::Run()
{
    try {
        Execute();
    } catch (const std::exception& e) {
        qWarning("Thread ended by an exception: %s", e.what());
    } catch (...) {
        qWarning("Thread ended by an unknown exception");
    }
    if (OnTerminate) {
        try {
            Synchronize(OnTerminate);
        } catch (...) {
            qWarning("OnTerminate ended by an exception");
        }
    }
    {
        std::lock_guard lock(syncMutex);
        finished_ = true;
    }
    syncChanged.notify_all();
    if (FreeOnTerminate) {
        TThread* self = this;
        QMetaObject::invokeMethod(QCoreApplication::instance(), [self] { delete self; }, Qt::QueuedConnection);
    }
}

int TThread::WaitFor()
{
    if (!started_)
        return ReturnValue;
    if (OnGuiThread()) {
        std::unique_lock lock(syncMutex);
        while (!finished_) {
            if (!syncQueue.empty()) {
                lock.unlock();
                CheckSynchronize();
                lock.lock();
                continue;
            }
            syncChanged.wait(lock);
        }
    } else {
        std::unique_lock lock(syncMutex);
        syncChanged.wait(lock, [this] { return finished_.load(); });
    }
    runner_->wait();
    return ReturnValue;
}

void TThread::Synchronize(const std::function<void()>& fn)
{
    if (OnGuiThread()) {
        fn();
        return;
    }
    SyncRequest request{fn, nullptr, false};
    {
        std::lock_guard lock(syncMutex);
        syncQueue.push_back(&request);
    }
    syncChanged.notify_all();
    QMetaObject::invokeMethod(QCoreApplication::instance(), &TThread::CheckSynchronize, Qt::QueuedConnection);
    std::unique_lock lock(syncMutex);
    syncChanged.wait(lock, [&request] { return request.done; });
    if (request.error)
        std::rethrow_exception(request.error);
}

void TThread::CheckSynchronize()
{
    for (;;) {
        SyncRequest* request = nullptr;
        {
            std::lock_guard lock(syncMutex);
            if (syncQueue.empty())
                return;
            request = syncQueue.front();
            syncQueue.pop_front();
        }
        try {
            request->fn();
        } catch (...) {
            request->error = std::current_exception();
        }
        {
            std::lock_guard lock(syncMutex);
            request->done = true;
        }
        syncChanged.notify_all();
    }
}
