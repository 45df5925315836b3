#pragma once
// The worker thread of the program's design, over QThread: a subclass
// overrides Execute(), checks Terminated() in its loops, and reaches windows
// only through Synchronize(). The GUI thread may wait for a worker with
// WaitFor() while the worker is inside Synchronize(): WaitFor() runs the
// pending synchronized calls itself, so stopping a thread never deadlocks.
#include <atomic>
#include <condition_variable>
#include <functional>
#include <memory>
#include <mutex>

class QThread;

enum class TThreadPriority { Idle, Lowest, Normal };

class TThread {
public:
    explicit TThread(bool createSuspended);
    virtual ~TThread();
    TThread(const TThread&) = delete;
    TThread& operator=(const TThread&) = delete;

    // Starts a thread made suspended, or lets a suspended one go on.
    void Resume();
    // Asks the thread to pause at its next safe point (CheckSuspended()).
    void Suspend();
    void Terminate();
    bool Terminated() const { return terminated_.load(); }
    bool Finished() const { return finished_.load(); }
    // Waits until Execute() has returned and OnTerminate has run; returns
    // ReturnValue. Called on the GUI thread it serves Synchronize() meanwhile.
    int WaitFor();

    void SetPriority(TThreadPriority priority);
    TThreadPriority Priority() const { return priority_.load(); }

    // Set before Resume(): the object deletes itself (on the GUI thread) once
    // Execute() has returned and OnTerminate has run.
    bool FreeOnTerminate = false;
    // Runs on the GUI thread after Execute() returns.
    std::function<void()> OnTerminate;
    std::atomic<int> ReturnValue{0};

    // Runs fn on the GUI thread and waits for it. An exception thrown by fn
    // is rethrown here, on the calling thread.
    static void Synchronize(const std::function<void()>& fn);
    // Runs the synchronized calls waiting for the GUI thread; the event loop
    // does this by itself, long loops on the GUI thread may call it.
    static void CheckSynchronize();

protected:
    virtual void Execute() = 0;
    // A safe point: blocks while the thread is suspended; returns
    // Terminated() afterwards.
    bool CheckSuspended();
    // Sleeps up to ms, ending at once when the thread is told to terminate;
    // returns Terminated().
    bool SleepUnlessTerminated(int ms);

private:
    class Runner;
    void Run();

    std::unique_ptr<Runner> runner_;
    std::atomic<bool> started_{false};
    std::atomic<bool> terminated_{false};
    std::atomic<bool> finished_{false};
    std::mutex suspendMutex_;
    std::condition_variable suspendChanged_;
    bool suspended_ = false;  // guarded by suspendMutex_
    std::atomic<TThreadPriority> priority_{TThreadPriority::Normal};  // set by the owner, read by the thread
};
