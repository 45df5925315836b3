#include "soak/AudioFeeder.h"

#include "soak/PassAudio.h"

#include <QFile>
#include <cerrno>
#include <chrono>
#include <fcntl.h>
#include <sys/stat.h>
#include <unistd.h>

namespace soak {

namespace {
constexpr std::size_t kChunk = 65536;
constexpr int kPipeBytes = 1 << 20;
const std::vector<std::uint8_t> kSilence(kChunk, 128);
}  // namespace

TAudioFeeder::TAudioFeeder(const QString& fifo, const TSharedClock& clock, TSky sky, TSent sent)
    : fifo_(fifo), clock_(clock), sky_(std::move(sky)), sent_(std::move(sent))
{
    ok_ = ::mkfifo(QFile::encodeName(fifo).constData(), 0600) == 0;
    if (ok_)
        thread_ = std::thread([this] { Run(); });
}

TAudioFeeder::~TAudioFeeder()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
}

std::vector<TFeedSession> TAudioFeeder::Sessions()
{
    std::lock_guard lock(mutex_);
    return sessions_;
}

void TAudioFeeder::Run()
{
    while (!stop_) {
        // Opening for writing without blocking succeeds only while a reader has it.
        const int fd = ::open(QFile::encodeName(fifo_).constData(), O_WRONLY | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) {
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        TFeedSession session = sky_(clock_.NowMs());
        {
            std::lock_guard lock(mutex_);
            sessions_.push_back(session);
        }
        Stream(fd, session);
        ::close(fd);
        std::lock_guard lock(mutex_);
        sessions_.back().Open = false;
    }
}

void TAudioFeeder::Stream(int fd, TFeedSession& session)
{
    // As fast as the device reads: its null slave sets no pace, and it fills
    // what a read finds missing with zeros, so the pipe is kept full.
    ::fcntl(fd, F_SETFL, ::fcntl(fd, F_GETFL) & ~O_NONBLOCK);
    ::fcntl(fd, F_SETPIPE_SZ, kPipeBytes);
    const std::vector<std::uint8_t>& loop = session.Loop ? *session.Loop : kSilence;
    while (!stop_) {
        const std::size_t at = (session.Offset + session.Written) % loop.size();
        const ssize_t sent = ::write(fd, loop.data() + at, std::min(kChunk, loop.size() - at));
        if (sent <= 0)
            return;  // EPIPE: the station closed the device
        session.Written += std::size_t(sent);
        {
            std::lock_guard lock(mutex_);
            sessions_.back().Written = session.Written;
        }
        if (sent_)
            sent_(session);
    }
}

}  // namespace soak
