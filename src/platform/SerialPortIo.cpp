// Reading and writing of TSerialPort under Windows-style time-outs, on a
// non-blocking descriptor with poll() keeping the time.
#include "platform/SerialPort.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <cstring>
#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <thread>
#include <unistd.h>

namespace {

using Clock = std::chrono::steady_clock;

// Time-outs beyond this (a multiplier of MAXDWORD, say) are as good as none
// and must not overflow the clock.
constexpr std::uint64_t kLongestMs = 30ull * 24 * 3600 * 1000;

int MillisecondsUntil(Clock::time_point deadline)
{
    const auto left = std::chrono::duration_cast<std::chrono::milliseconds>(deadline - Clock::now()).count();
    return static_cast<int>(std::clamp<long long>(left, 0, 1'000'000'000));
}

// A UART's transmit FIFO may hold this many bytes beyond what its driver
// reports pending; the drain allows for them, and for a margin on top.
constexpr int kTransmitFifoBytes = 16;
constexpr int kDrainMarginMs = 100;
// A rate the port cannot tell (0) is taken as slow, so a slow line is not
// mistaken for a stuck one.
constexpr int kSlowestBitsPerSecond = 300;

// Line time of one byte: start bit, data bits, parity, stop bits.
double MillisecondsPerByte(const TCommState& state)
{
    const int bits = 1 + state.ByteSize + (state.Parity == TParity::None ? 0 : 1) +
                     (state.StopBits == TStopBits::One ? 1 : 2);
    const int rate = state.BaudRate > 0 ? state.BaudRate : kSlowestBitsPerSecond;
    return bits * 1000.0 / rate;
}

// Removes the zero bytes of the n bytes at data; returns how many are left.
std::size_t DropZeroBytes(std::uint8_t* data, std::size_t n)
{
    return static_cast<std::size_t>(std::remove(data, data + n, std::uint8_t{0}) - data);
}

}  // namespace

bool TSerialPort::WaitFor(short events, int waitMs, bool& ready)
{
    ready = false;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(std::max(waitMs, 0));
    for (;;) {
        pollfd p{fd_, events, 0};
        const int n = ::poll(&p, 1, waitMs < 0 ? -1 : MillisecondsUntil(deadline));
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0)
            return Fail("Unable to wait for", errno);
        if (n == 0)
            return true;
        // Checked first: a hung-up terminal also reports itself readable,
        // and its reads return nothing, as an idle line's do.
        if (p.revents & (POLLHUP | POLLERR | POLLNVAL))
            return Fail("The line hung up on", EIO);
        ready = (p.revents & events) != 0;
        return true;
    }
}

bool TSerialPort::WaitForInput(int timeoutMs)
{
    bool ready = false;
    if (!RequireOpen("wait for input"))
        return false;
    lastError_ = 0;  // a quiet line leaves 0, a failure its errno
    return WaitFor(POLLIN, std::max(timeoutMs, 0), ready) && ready;
}

bool TSerialPort::Read(void* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead)
{
    bytesRead = 0;
    if (!RequireOpen("read"))
        return false;
    auto* out = static_cast<std::uint8_t*>(buffer);
    const TCommTimeouts t = timeouts_;
    const bool atOnce = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == 0 &&
                        t.ReadTotalTimeoutConstant == 0;
    // Interval and multiplier MAXDWORD: wait up to the constant for the
    // first bytes and return as soon as some have come.
    const bool firstBytesEnd = t.ReadIntervalTimeout == MAXDWORD && t.ReadTotalTimeoutMultiplier == MAXDWORD;
    const std::uint64_t totalMs = std::min(
        kLongestMs, firstBytesEnd ? t.ReadTotalTimeoutConstant
                                  : std::uint64_t(t.ReadTotalTimeoutMultiplier) * maxBytes + t.ReadTotalTimeoutConstant);
    const std::uint32_t intervalMs = t.ReadIntervalTimeout == MAXDWORD ? 0 : t.ReadIntervalTimeout;
    const Clock::time_point start = Clock::now();
    const Clock::time_point totalDeadline = start + std::chrono::milliseconds(totalMs);
    Clock::time_point lastBytes = start;
    while (bytesRead < maxBytes) {
        // With VMIN and VTIME 0 an idle terminal reads 0 bytes, not EAGAIN.
        const ssize_t n = ::read(fd_, out + bytesRead, maxBytes - bytesRead);
        if (n > 0) {
            const std::size_t kept = discardNull_ ? DropZeroBytes(out + bytesRead, std::size_t(n)) : std::size_t(n);
            bytesRead += static_cast<std::uint32_t>(kept);
            lastBytes = Clock::now();
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return Fail("Unable to read from", errno);
        // Nothing more has arrived: decide by the time-outs whether to wait.
        if (atOnce || (firstBytesEnd && bytesRead > 0))
            return true;
        int waitMs = -1;
        if (totalMs > 0) {
            waitMs = MillisecondsUntil(totalDeadline);
            if (waitMs == 0)
                return true;
        }
        if (intervalMs > 0 && bytesRead > 0) {
            const int intervalLeft = MillisecondsUntil(lastBytes + std::chrono::milliseconds(intervalMs));
            if (intervalLeft == 0)
                return true;
            waitMs = waitMs < 0 ? intervalLeft : std::min(waitMs, intervalLeft);
        }
        bool ready = false;
        if (!WaitFor(POLLIN, waitMs, ready))
            return false;
    }
    return true;
}

bool TSerialPort::Write(const void* data, std::uint32_t byteCount, std::uint32_t& bytesWritten)
{
    bytesWritten = 0;
    if (!RequireOpen("write"))
        return false;
    const auto* in = static_cast<const std::uint8_t*>(data);
    const std::uint64_t totalMs = std::min(
        kLongestMs, std::uint64_t(timeouts_.WriteTotalTimeoutMultiplier) * byteCount + timeouts_.WriteTotalTimeoutConstant);
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(totalMs);
    while (bytesWritten < byteCount) {
        const ssize_t n = ::write(fd_, in + bytesWritten, byteCount - bytesWritten);
        if (n > 0) {
            bytesWritten += static_cast<std::uint32_t>(n);
            continue;
        }
        if (n < 0 && errno == EINTR)
            continue;
        if (n < 0 && errno != EAGAIN)
            return Fail("Unable to write to", errno);
        int waitMs = -1;
        if (totalMs > 0) {
            waitMs = MillisecondsUntil(deadline);
            if (waitMs == 0)
                return Fail(QString("Wrote %1 of %2 bytes, then timed out on").arg(bytesWritten).arg(byteCount),
                            ETIMEDOUT);
        }
        bool ready = false;
        if (!WaitFor(POLLOUT, waitMs, ready))
            return false;
    }
    return true;
}

bool TSerialPort::OutputPending(int& bytes)
{
    bytes = 0;
    if (::ioctl(fd_, TIOCOUTQ, &bytes) != 0)
        return Fail("Unable to read the output queue of", errno);
    // The queue empties into the transmitter; a UART tells when that is
    // empty too. Other devices do not answer, and are taken as done.
    int status = 0;
    if (bytes == 0 && ::ioctl(fd_, TIOCSERGETLSR, &status) == 0 && !(status & TIOCSER_TEMT))
        bytes = 1;
    return true;
}

bool TSerialPort::WaitUntilSent()
{
    if (!RequireOpen("wait for the output"))
        return false;
    int pending = 0;
    if (!OutputPending(pending))
        return false;
    if (pending == 0)
        return true;
    TCommState state;
    if (!GetCommState(state))
        return false;
    const double msPerByte = MillisecondsPerByte(state);
    const auto budgetMs = static_cast<long long>((pending + kTransmitFifoBytes) * msPerByte) + kDrainMarginMs;
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(budgetMs);
    for (;;) {
        // About as long as the bytes need, checked at least every 20 ms.
        const auto napMs = std::clamp<long long>(static_cast<long long>(pending * msPerByte), 1, 20);
        std::this_thread::sleep_for(std::chrono::milliseconds(napMs));
        if (!OutputPending(pending))
            return false;
        if (pending == 0)
            return true;
        if (Clock::now() >= deadline)
            return Fail(QString("Unable to send the last %1 bytes in %2 ms on").arg(pending).arg(budgetMs), ETIMEDOUT);
    }
}
