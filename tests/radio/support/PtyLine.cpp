#include "support/PtyLine.h"

#include <chrono>
#include <fcntl.h>
#include <poll.h>
#include <stdlib.h>
#include <unistd.h>

TPtyLine::TPtyLine(THandler handler) : handler_(std::move(handler))
{
    const int master = ::posix_openpt(O_RDWR | O_NOCTTY);
    if (master >= 0 && ::grantpt(master) == 0 && ::unlockpt(master) == 0)
        terminal_ = QString::fromLocal8Bit(::ptsname(master));
    master_ = master;
    thread_ = std::thread([this] { Run(); });
}

TPtyLine::~TPtyLine()
{
    HangUp();
}

void TPtyLine::MapToPort(int port) const
{
    qputenv(QString("ORVANTA_COM%1").arg(port).toLatin1().constData(), terminal_.toLocal8Bit());
}

QByteArray TPtyLine::Received()
{
    std::lock_guard<std::mutex> lock(mutex_);
    return received_;
}

bool TPtyLine::WaitForReceived(int count, int timeoutMs)
{
    const auto deadline = std::chrono::steady_clock::now() + std::chrono::milliseconds(timeoutMs);
    while (Received().size() < count) {
        if (std::chrono::steady_clock::now() >= deadline)
            return false;
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    }
    return true;
}

void TPtyLine::Send(const QByteArray& bytes)
{
    if (master_ >= 0)
        (void)::write(master_, bytes.constData(), bytes.size());
}

void TPtyLine::Babble(char byte, int everyMs)
{
    babbleByte_ = byte;
    babbleEveryMs_ = everyMs;
}

void TPtyLine::HangUp()
{
    stop_ = true;
    if (thread_.joinable())
        thread_.join();
    const int master = master_.exchange(-1);
    if (master >= 0)
        ::close(master);
}

void TPtyLine::Run()
{
    using Clock = std::chrono::steady_clock;
    Clock::time_point lastBabble = Clock::now();
    while (!stop_) {
        const int babbleMs = babbleEveryMs_;
        if (babbleMs > 0 && Clock::now() - lastBabble >= std::chrono::milliseconds(babbleMs)) {
            const char byte = babbleByte_;
            (void)::write(master_, &byte, 1);
            lastBabble = Clock::now();
        }
        pollfd p{master_, POLLIN, 0};
        if (::poll(&p, 1, babbleMs > 0 ? 1 : 10) <= 0)
            continue;
        if (!(p.revents & POLLIN)) {
            // The master reports a hang-up until the program opens the
            // terminal side, and again after it closed it.
            std::this_thread::sleep_for(std::chrono::milliseconds(5));
            continue;
        }
        char chunk[256];
        const ssize_t n = ::read(master_, chunk, sizeof chunk);
        if (n <= 0)
            continue;
        {
            std::lock_guard<std::mutex> lock(mutex_);
            received_.append(chunk, n);
        }
        if (!handler_)
            continue;
        // One byte at a time, as a receiver's firmware takes them.
        for (ssize_t i = 0; i < n; ++i) {
            const TLineAnswer answer = handler_(chunk[i]);
            if (answer.pauseMs > 0)
                std::this_thread::sleep_for(std::chrono::milliseconds(answer.pauseMs));
            if (!answer.bytes.isEmpty())
                (void)::write(master_, answer.bytes.constData(), answer.bytes.size());
            if (answer.hangUp) {
                ::close(master_.exchange(-1));
                return;
            }
        }
    }
}
