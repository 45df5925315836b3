#pragma once
// One running copy of the program per user. The first copy holds a lock
// named after the instance mutex and listens on a Unix domain socket of the
// same name; a second start finds the lock taken, connects, sends its
// message and ends. A name left by a crash is reclaimed: the kernel drops a
// dead process's lock, and the next first copy replaces the socket file.
//
//   TSingleInstance instance("APTInstance");
//   if (instance.Claim() == TSingleInstance::Running) { instance.Signal("OneAPTInstance"); return 0; }
//   instance.OnMessage = [](const QString& m) { ... bring the window to the front ... };
#include <QString>
#include <functional>
#include <map>
#include <memory>

class QObject;
class QSocketNotifier;

class TSingleInstance {
public:
    enum TClaim { First, Running, Failed };

    // folder: where the lock and the socket live; empty means
    // $XDG_RUNTIME_DIR, else a private folder of this user's in /tmp.
    explicit TSingleInstance(const QString& name, const QString& folder = {});
    ~TSingleInstance();  // gives the name up
    TSingleInstance(const TSingleInstance&) = delete;
    TSingleInstance& operator=(const TSingleInstance&) = delete;

    // First: this copy now owns the name and listens (on the calling
    // thread's event loop). Running: another copy owns it. Failed: see
    // ErrorText; the program may run on without the single-instance check.
    TClaim Claim();
    // From a copy that found another running: hands message to it, waiting
    // up to waitMs for a copy that is still starting to listen.
    bool Signal(const QString& message, int waitMs = 2000);

    // Runs on the claiming thread for each message another start sends.
    std::function<void(const QString& message)> OnMessage;

    QString ErrorText() const { return error_; }
    QString SocketPath() const { return socketPath_; }

private:
    struct Connection;
    bool ResolvePaths();
    void Accept();
    void ReadFrom(int fd);
    void Drop(int fd);

    QString name_;
    QString folder_;
    QString socketPath_;
    QString lockPath_;
    QString error_;
    int lockFd_ = -1;
    int listenFd_ = -1;
    std::unique_ptr<QObject> home_;  // parent of the notifiers, on the claiming thread
    QSocketNotifier* listenNotifier_ = nullptr;  // owned by home_
    std::map<int, std::unique_ptr<Connection>> connections_;
};
