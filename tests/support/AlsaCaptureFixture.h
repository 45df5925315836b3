#pragma once
// The sound input on ALSA's real capture path: a "file" device in the
// test's own ~/.asoundrc reads known bytes from its infile (a plain file,
// returned faster than real time, or a FIFO that a feeder paces) over a
// "null" slave.
#include "platform/Messages.h"

#include <QDeadlineTimer>
#include <QDir>
#include <QFile>
#include <QString>
#include <alsa/asoundlib.h>
#include <atomic>
#include <chrono>
#include <cstdint>
#include <fcntl.h>
#include <functional>
#include <sys/stat.h>
#include <thread>
#include <unistd.h>
#include <vector>

namespace alsafixture {

inline std::vector<std::uint8_t> KnownSamples(std::size_t n)
{
    std::vector<std::uint8_t> out(n);
    for (std::size_t i = 0; i < n; ++i)
        out[i] = static_cast<std::uint8_t>(i * 7 + i / 256);
    return out;
}

// Defines the capture device "known" reading infile and makes it the sound
// input's device. HOME is the test's own temporary folder.
inline bool UseCaptureFile(const QString& infile)
{
    QFile rc(QDir::home().filePath(".asoundrc"));
    if (!rc.open(QIODevice::WriteOnly | QIODevice::Truncate))
        return false;
    rc.write(QString("pcm.known {\n  type file\n  slave.pcm \"null\"\n  file \"/dev/null\"\n"
                     "  infile \"%1\"\n  format \"raw\"\n}\n")
                 .arg(infile)
                 .toUtf8());
    rc.close();
    qputenv("ORVANTA_ALSA_DEVICE", "known");
    // ALSA keeps the configuration it read; a rewrite within the same second
    // would go unnoticed when several tests share a process.
    snd_config_update_free_global();
    return true;
}

inline QString WriteBytes(const QString& path, const std::vector<std::uint8_t>& bytes)
{
    QFile file(path);
    if (file.open(QIODevice::WriteOnly))
        file.write(reinterpret_cast<const char*>(bytes.data()), qsizetype(bytes.size()));
    return path;
}

inline bool PumpUntil(const std::function<bool()>& done, int maxMs)
{
    const QDeadlineTimer deadline(maxMs);
    while (!done() && !deadline.hasExpired())
        PumpMessages(20);
    return done();
}

// Feeds bytes into a FIFO in 4096-byte writes every 10 ms (about 400 KB a
// second), so a recording lasts as long as a test needs.
class FifoFeeder {
public:
    FifoFeeder(const QString& path, std::vector<std::uint8_t> bytes) : bytes_(std::move(bytes))
    {
        ::mkfifo(path.toLocal8Bit().constData(), 0600);
        // Read-write, so the device's own open of the FIFO does not wait for a writer.
        fd_ = ::open(path.toLocal8Bit().constData(), O_RDWR | O_NONBLOCK);
        thread_ = std::thread([this] { Run(); });
    }
    ~FifoFeeder()
    {
        stop_ = true;
        thread_.join();
        if (fd_ >= 0)
            ::close(fd_);
    }
    bool Ok() const { return fd_ >= 0; }

private:
    void Run()
    {
        std::size_t sent = 0;
        while (!stop_ && fd_ >= 0 && sent < bytes_.size()) {
            const std::size_t n = std::min<std::size_t>(4096, bytes_.size() - sent);
            if (::write(fd_, bytes_.data() + sent, n) == ssize_t(n))
                sent += n;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
    }
    std::vector<std::uint8_t> bytes_;
    int fd_ = -1;
    std::atomic<bool> stop_{false};
    std::thread thread_;
};

}  // namespace alsafixture
