#pragma once
// The vector map as a named pipe in the maps folder, as a map on a slow share
// would be: a reader waits until the test sends the map (or ends the pipe).
// So a test holds the swath viewer's map mid-draw for as long as it likes,
// whatever the machine's speed. Without a word from the test within a
// minute the map is sent anyway, so a viewer that waits for its map on the
// GUI thread ends its wait and fails its test instead of hanging it.
#include "maps/TinyVectorMap.h"

#include <QByteArray>
#include <QDir>
#include <QFile>
#include <chrono>
#include <condition_variable>
#include <csignal>
#include <fcntl.h>
#include <mutex>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>

class SlowVectorMap {
public:
    explicit SlowVectorMap(const QString& folder) : path_(QFile::encodeName(folder + "/CIA_WDB2.jpd.gz"))
    {
        // The map made as the packer makes it, then sent through the pipe.
        const QString made = folder + "/made";
        WriteTinyVectorMap(made);
        QFile file(made + "/CIA_WDB2.jpd.gz");
        if (file.open(QIODevice::ReadOnly))
            map_ = file.readAll();
        QDir(made).removeRecursively();
        ::unlink(path_.constData());
        // A reader that goes early must not end the test with SIGPIPE.
        std::signal(SIGPIPE, SIG_IGN);
        Made = !map_.isEmpty() && ::mkfifo(path_.constData(), 0600) == 0;
        if (Made)
            writer_ = std::thread([this] { Write(); });
    }
    ~SlowVectorMap()
    {
        End();
        // A writer still waiting for a reader is let go by one of our own.
        const int fd = Made ? ::open(path_.constData(), O_RDONLY | O_NONBLOCK) : -1;
        if (writer_.joinable())
            writer_.join();
        if (fd >= 0)
            ::close(fd);
        ::unlink(path_.constData());
    }
    // The reader gets the whole map, then its end.
    void Send() { Tell(Command::Send); }
    // The reader gets the end of the file, and no map.
    void End() { Tell(Command::End); }

    bool Made = false;

private:
    enum class Command { None, Send, End };
    void Tell(Command command)
    {
        std::lock_guard lock(mutex_);
        if (command_ == Command::None)
            command_ = command;
        changed_.notify_all();
    }
    void Write()
    {
        const int fd = ::open(path_.constData(), O_WRONLY);  // waits for a reader
        std::unique_lock lock(mutex_);
        if (!changed_.wait_for(lock, std::chrono::minutes(1), [this] { return command_ != Command::None; }))
            command_ = Command::Send;
        if (fd < 0)
            return;
        // A short write leaves the reader a damaged map, which its test sees.
        if (command_ == Command::Send && ::write(fd, map_.constData(), static_cast<size_t>(map_.size())) < 0)
            map_.clear();
        ::close(fd);
    }

    QByteArray path_;
    QByteArray map_;
    std::mutex mutex_;
    std::condition_variable changed_;
    Command command_ = Command::None;  // guarded by mutex_
    std::thread writer_;
};
