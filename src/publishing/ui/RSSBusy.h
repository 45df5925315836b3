#pragma once
// Marks the reader's tree as being changed by the program (State bit 1) for
// a scope and gives the bit its previous value afterwards.
class TBusy {
public:
    explicit TBusy(int& state) : state_(state), saved_(state & 1) { state_ |= 1; }
    ~TBusy() { state_ = (state_ & ~1) | saved_; }
    TBusy(const TBusy&) = delete;
    TBusy& operator=(const TBusy&) = delete;

private:
    int& state_;
    int saved_;
};
