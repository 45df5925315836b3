#pragma once
// One chunk of the send queue: a byte block with a read and a write
// position. Bytes ReadPos..WritePos-1 wait to be sent; when the last one is
// taken both positions go back to 0, so a drained chunk fills from its start.
#include <memory>

class TBuffer {
public:
    explicit TBuffer(int size);
    // A size of 0 or less means 1514. Bytes still waiting keep their offsets;
    // the new size must hold them.
    void SetBufSize(int size);
    int Write(const void* data, int length);
    int Read(void* data, int length);
    // The waiting bytes: their address and count (nullptr and 0 when none).
    const char* Peek(int& length) const;
    int Remove(int length);

    int BlockSize() const { return blockSize_; }
    int ReadPos() const { return readPos_; }
    int WritePos() const { return writePos_; }

private:
    std::unique_ptr<char[]> block_;
    int blockSize_ = 0;
    int writePos_ = 0;
    int readPos_ = 0;
};
