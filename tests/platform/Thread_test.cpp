#include "platform/Messages.h"
#include "platform/Thread.h"

#include <QCoreApplication>
#include <QElapsedTimer>
#include <QThread>
#include <atomic>
#include <gtest/gtest.h>
#include <sched.h>
#include <sys/resource.h>
#include <unistd.h>

namespace {

class SyncWorker : public TThread {
public:
    SyncWorker() : TThread(true) {}
    ~SyncWorker() override { WaitFor(); }
    std::atomic<int> calls{0};
    QThread* ranOn = nullptr;

protected:
    void Execute() override
    {
        while (!Terminated()) {
            Synchronize([this] {
                ranOn = QThread::currentThread();
                ++calls;
            });
            QThread::msleep(1);
        }
        ReturnValue = 7;
    }
};

class SuspendableWorker : public TThread {
public:
    SuspendableWorker() : TThread(true) {}
    ~SuspendableWorker() override { WaitFor(); }
    std::atomic<int> rounds{0};

protected:
    void Execute() override
    {
        while (!CheckSuspended()) {
            ++rounds;
            QThread::msleep(1);
        }
    }
};

}  // namespace

TEST(Thread, WaitForOnTheGuiThreadServesSynchronizeWithoutDeadlock)
{
    SyncWorker worker;
    worker.Resume();
    while (worker.calls < 3)
        TThread::CheckSynchronize();
    worker.Terminate();
    // The worker is blocked in Synchronize right now, or soon will be: the
    // GUI thread waits without returning to its event loop.
    EXPECT_EQ(worker.WaitFor(), 7);
    EXPECT_EQ(worker.ranOn, QCoreApplication::instance()->thread());
}

TEST(Thread, SynchronizeRethrowsOnTheWorker)
{
    struct Thrower : TThread {
        Thrower() : TThread(true) {}
        ~Thrower() override { WaitFor(); }
        std::atomic<bool> caught{false};
        void Execute() override
        {
            try {
                Synchronize([] { throw std::runtime_error("from the GUI"); });
            } catch (const std::runtime_error&) {
                caught = true;
            }
        }
    } thrower;
    thrower.Resume();
    thrower.WaitFor();
    EXPECT_TRUE(thrower.caught);
}

TEST(Thread, SuspendStopsAtTheSafePointAndResumeGoesOn)
{
    SuspendableWorker worker;
    worker.Resume();
    while (worker.rounds < 2)
        QThread::msleep(1);
    worker.Suspend();
    QThread::msleep(20);
    const int paused = worker.rounds;
    QThread::msleep(30);
    EXPECT_LE(worker.rounds - paused, 1) << "at most the round in progress when Suspend came";
    worker.Resume();
    while (worker.rounds < paused + 3)
        QThread::msleep(1);
    worker.Terminate();
    worker.WaitFor();
    EXPECT_TRUE(worker.Finished());
}

TEST(Thread, FreeOnTerminateDeletesAfterOnTerminate)
{
    static std::atomic<bool> destroyed{false};
    struct SelfFreeing : TThread {
        SelfFreeing() : TThread(true) {}
        ~SelfFreeing() override { destroyed = true; }
        void Execute() override {}
    };
    bool onTerminateRan = false;
    auto* thread = new SelfFreeing;
    thread->FreeOnTerminate = true;
    thread->OnTerminate = [&] { onTerminateRan = true; };
    thread->Resume();
    QElapsedTimer clock;
    clock.start();
    while (!destroyed && clock.elapsed() < 5000)
        PumpMessages(50);
    EXPECT_TRUE(onTerminateRan);
    EXPECT_TRUE(destroyed);
}

TEST(Thread, IdlePriorityIsNiceNineteenNotTheIdleClass)
{
    // The idle class would starve the thread on a busy machine.
    struct Probe : TThread {
        Probe() : TThread(true) {}
        void Execute() override
        {
            policy = sched_getscheduler(0);
            nice = getpriority(PRIO_PROCESS, static_cast<id_t>(gettid()));
        }
        int policy = -1;
        int nice = -100;
    };
    Probe idle;
    idle.SetPriority(TThreadPriority::Idle);
    idle.Resume();
    idle.WaitFor();
    EXPECT_EQ(idle.policy, SCHED_OTHER);
    EXPECT_EQ(idle.nice, 19);

    Probe normal;
    normal.Resume();
    normal.WaitFor();
    EXPECT_EQ(normal.policy, SCHED_OTHER);
    EXPECT_EQ(normal.nice, getpriority(PRIO_PROCESS, 0)) << "a normal thread keeps the process's nice value";
}

TEST(Messages, PostedMessagesArriveInOrderOnTheTargetsThread)
{
    std::vector<unsigned> received;
    TMessageTarget target([&](TMessage& m) {
        received.push_back(m.Msg);
        m.Result = static_cast<LRESULT>(m.WParam + m.LParam);
    });
    PostMessage(&target, WM_USER + 1, 0, 0);
    PostMessage(&target, WM_USER + 2, 0, 0);
    EXPECT_TRUE(received.empty()) << "posting does not run the handler";
    EXPECT_EQ(SendMessage(&target, WM_USER + 3, 2, 3), 5) << "sending runs it at once";
    QElapsedTimer clock;
    clock.start();
    while (received.size() < 3 && clock.elapsed() < 2000)
        PumpMessages(100);
    EXPECT_EQ(received, (std::vector<unsigned>{WM_USER + 3, WM_USER + 1, WM_USER + 2}));
    EXPECT_FALSE(PostMessage(nullptr, WM_USER, 0, 0));
}

TEST(Messages, SendMessageFromAnotherThreadRunsOnTheTargetsThread)
{
    QThread* handledOn = nullptr;
    TMessageTarget target([&](TMessage& m) {
        handledOn = QThread::currentThread();
        m.Result = 42;
    });
    struct Sender : TThread {
        Sender(TMessageTarget* t) : TThread(true), target(t) {}
        ~Sender() override { WaitFor(); }
        TMessageTarget* target;
        std::atomic<LRESULT> result{0};
        void Execute() override { result = SendMessage(target, WM_USER, 0, 0); }
    } sender(&target);
    sender.Resume();
    QElapsedTimer clock;
    clock.start();
    while (!sender.Finished() && clock.elapsed() < 5000)
        PumpMessages(50);
    sender.WaitFor();
    EXPECT_EQ(sender.result, 42);
    EXPECT_EQ(handledOn, QCoreApplication::instance()->thread());
}

TEST(Messages, RegisteredNamesShareOneNumberAndPumpIsBounded)
{
    const unsigned a = RegisterWindowMessage("OneAPTInstance");
    EXPECT_GE(a, 0xC000u);
    EXPECT_EQ(RegisterWindowMessage("oneaptinstance"), a);
    EXPECT_NE(RegisterWindowMessage("Other"), a);

    QElapsedTimer clock;
    clock.start();
    PumpMessages(5000);
    EXPECT_LT(clock.elapsed(), 3000) << "one round never waits more than 1000 ms";
}
