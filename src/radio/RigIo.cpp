// Writing commands to the receiver and collecting its replies. Every wait is
// bounded: a write by the port's write time-outs, each wait for a byte by the
// reply pause, each read by the port's read time-outs, and a whole reply by
// its byte capacity and the reply limit.
#include "radio/Rig.h"

#include <algorithm>
#include <chrono>
#include <cstring>

namespace {

// The receivers answer a character with a few bytes: chunks of this many.
constexpr int kChunkBytes = 10;

}  // namespace

bool TRig::WriteBytes(const char* bytes, std::uint32_t count)
{
    if (!IsOpen())
        return false;
    std::uint32_t written = 0;
    if (!port_.Write(bytes, count, written)) {
        NotePortFault();
        return false;
    }
    return written == count;
}

bool TRig::WriteChar(char c)
{
    return WriteBytes(&c, 1);
}

bool TRig::WriteText(const char* text)
{
    return text && WriteBytes(text, static_cast<std::uint32_t>(std::strlen(text)));
}

bool TRig::ReadBytes(char* buffer, int maxBytes, std::uint32_t& count)
{
    count = 0;
    if (!IsOpen() || maxBytes <= 0)
        return false;
    if (!port_.Read(buffer, static_cast<std::uint32_t>(maxBytes), count)) {
        NotePortFault();
        return false;
    }
    return true;
}

int TRig::ReadChunk(char* buffer, int maxBytes)
{
    if (!IsOpen() || maxBytes <= 0)
        return 0;
    if (!port_.WaitForInput(replyPauseMs_)) {
        if (port_.LastError() != 0)  // not a quiet line but a failed one
            NotePortFault();
        return 0;
    }
    std::uint32_t count = 0;
    return ReadBytes(buffer, maxBytes, count) ? static_cast<int>(count) : 0;
}

int TRig::ReadReply()
{
    replyLength_ = 0;
    if (!IsOpen())
        return 0;
    using Clock = std::chrono::steady_clock;
    // A receiver that keeps sending (a stuck line, noise) would otherwise
    // keep the caller here as long as it talks.
    const Clock::time_point deadline = Clock::now() + std::chrono::milliseconds(replyLimitMs_);
    int length = 0;
    while (length < kReplyCapacity) {
        const int n = ReadChunk(chunkBuffer_.get(), std::min(kChunkBytes, kReplyCapacity - length));
        if (n <= 0)
            break;
        std::memcpy(replyBuffer_.get() + length, chunkBuffer_.get(), static_cast<std::size_t>(n));
        length += n;
        if (Clock::now() >= deadline)
            break;
    }
    replyBuffer_[length] = 0;
    replyLength_ = length;
    return length;
}

QByteArray TRig::Reply() const
{
    return replyBuffer_ ? QByteArray(replyBuffer_.get(), replyLength_) : QByteArray();
}
