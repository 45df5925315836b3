#include "net/WSockBuf.h"

#include <algorithm>
#include <cstring>

namespace {
constexpr int kDefaultChunkBytes = 1514;  // one Ethernet frame
}

TBuffer::TBuffer(int size) { SetBufSize(size); }

void TBuffer::SetBufSize(int size)
{
    if (size <= 0)
        size = kDefaultChunkBytes;
    if (size == blockSize_)
        return;
    auto block = std::make_unique<char[]>(static_cast<size_t>(size));
    if (writePos_ > readPos_) {
        const int keep = std::min(writePos_, size);
        std::memcpy(block.get(), block_.get(), static_cast<size_t>(keep));
        writePos_ = keep;
        readPos_ = std::min(readPos_, keep);
    } else {
        writePos_ = readPos_ = 0;
    }
    block_ = std::move(block);
    blockSize_ = size;
}

int TBuffer::Write(const void* data, int length)
{
    const int n = std::min(blockSize_ - writePos_, std::max(length, 0));
    if (n <= 0)
        return 0;
    std::memcpy(block_.get() + writePos_, data, static_cast<size_t>(n));
    writePos_ += n;
    return n;
}

int TBuffer::Read(void* data, int length)
{
    const int n = std::min(writePos_ - readPos_, std::max(length, 0));
    if (n <= 0)
        return 0;
    std::memcpy(data, block_.get() + readPos_, static_cast<size_t>(n));
    return Remove(n);
}

const char* TBuffer::Peek(int& length) const
{
    length = writePos_ - readPos_;
    return length > 0 ? block_.get() + readPos_ : nullptr;
}

int TBuffer::Remove(int length)
{
    const int n = std::min(writePos_ - readPos_, std::max(length, 0));
    if (n <= 0)
        return 0;
    readPos_ += n;
    if (readPos_ == writePos_)
        readPos_ = writePos_ = 0;
    return n;
}
