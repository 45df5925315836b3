#include "net/LineWSocket.h"

#include <cstring>

namespace {
constexpr char kBackspace = 8;
constexpr char kTab = 9;
constexpr int kTabColumns = 8;
constexpr int kReadWhenNothingCounted = 255;
constexpr int kRoundsWithoutLine = 3;
}  // namespace

TCustomLineWSocket::TCustomLineWSocket() = default;

TCustomLineWSocket::~TCustomLineWSocket() = default;

void TCustomLineWSocket::SetLineMode(bool Value)
{
    if (Value == FLineMode)
        return;
    FLineMode = Value;
    // What is buffered is delivered again in the new mode.
    if (LineBufferCount > 0 || PendingLineLength > 0)
        PostMessage(HiddenWindow, WM_TRIGGER_DATA_AVAILABLE, 0, 0);
}

int TCustomLineWSocket::SendLine(const QByteArray& Str)
{
    if (Str.isEmpty())
        return 0;
    PutStringInSendBuffer(Str);
    SendStr(LineEnd);
    return static_cast<int>(Str.size() + LineEnd.size());
}

int TCustomLineWSocket::GetRcvdCount()
{
    return FLineMode ? PendingLineLength : TCustomSocksWSocket::GetRcvdCount();
}

void TCustomLineWSocket::WndProc(TMessage& Msg)
{
    if (Msg.Msg != WM_TRIGGER_DATA_AVAILABLE) {
        TCustomSocksWSocket::WndProc(Msg);
        return;
    }
    const TAliveGuard guard = AliveGuard();
    try {
        WMTriggerDataAvailable();
    } catch (const std::exception& e) {
        if (!Gone(guard))
            HandleBackGroundException(e);
    }
}

void TCustomLineWSocket::WMTriggerDataAvailable()
{
    const TAliveGuard guard = AliveGuard();
    int rounds = 0;
    while (LineBufferCount > 0) {
        ++rounds;
        LineFoundThisRound = false;
        const int before = LineBufferCount;
        TriggerDataAvailable(0);
        if (Gone(guard) || LineBufferCount <= 0)
            return;
        if (FLineMode && rounds > kRoundsWithoutLine && !LineFoundThisRound)
            return;
        // Nobody took anything: calling again would never end.
        if (!LineFoundThisRound && LineBufferCount == before)
            return;
    }
}

int TCustomLineWSocket::FindLineEnd(int from) const
{
    const int endLength = static_cast<int>(LineEnd.size());
    for (int i = std::max(from, 0); i + endLength <= LineBufferCount; ++i)
        if (LineBuffer[i] == LineEnd[0] && std::memcmp(LineBuffer.data() + i, LineEnd.constData(), endLength) == 0)
            return i;
    return -1;
}

void TCustomLineWSocket::Consume(int count)
{
    std::memmove(LineBuffer.data(), LineBuffer.data() + count, static_cast<size_t>(LineBufferCount - count));
    LineBufferCount -= count;
    LineBuffer[LineBufferCount] = 0;
}

bool TCustomLineWSocket::TriggerDataAvailable(int ErrCode)
{
    if (!FLineMode || LineEnd.isEmpty() || SocksNegotiating())
        return TCustomSocksWSocket::TriggerDataAvailable(ErrCode);

    int n = TCustomSocksWSocket::GetRcvdCount();
    if (n < 0)
        return true;
    if (n == 0)
        n = kReadWhenNothingCounted;
    if (static_cast<int>(LineBuffer.size()) < LineBufferCount + n + 1)
        LineBuffer.resize(static_cast<size_t>(LineBufferCount + n + 1));
    int got = Receive(LineBuffer.data() + LineBufferCount, n);
    if (got <= 0) {
        if (LineBufferCount <= 0)
            return true;
        got = 0;
    }
    const TAliveGuard guard = AliveGuard();
    if (got > 0) {
        if (LineEdit)
            EditLine(got);
        else if (LineEcho)
            EchoBytes(LineBuffer.data() + LineBufferCount, got);
        if (Gone(guard) || LineBuffer.empty())
            return true;
    }
    const int endLength = static_cast<int>(LineEnd.size());
    int searchFrom = std::max(LineBufferCount - endLength, 0);
    LineBufferCount += got;
    LineBuffer[LineBufferCount] = 0;

    if (DiscardingLongLine) {
        const int at = FindLineEnd(0);
        if (at < 0) {
            // Keep what could be the start of a line end split across reads.
            Consume(std::max(LineBufferCount - (endLength - 1), 0));
            return true;
        }
        Consume(at + endLength);
        DiscardingLongLine = false;
        searchFrom = 0;
    }

    while (FLineMode && !HoldLines()) {
        const int at = FindLineEnd(searchFrom);
        if (at < 0)
            break;
        const int lineLength = at + endLength;
        PendingLineLength = lineLength;
        DeliveringLineLength = lineLength;
        LineArrived = true;
        LineFoundThisRound = true;
        while (FLineMode && PendingLineLength > 0) {
            const int pendingBefore = PendingLineLength;
            if (!TCustomSocksWSocket::TriggerDataAvailable(0)) {
                PendingLineLength = 0;  // no handler: the line is dropped
                break;
            }
            if (Gone(guard))
                return true;
            if (LineBuffer.empty())
                return true;  // the handler ended the session
            // A handler that takes nothing would be called forever.
            if (FLineMode && PendingLineLength == pendingBefore)
                PendingLineLength = 0;
        }
        DeliveringLineLength = 0;
        if (PendingLineLength > 0) {
            // Line mode went off before the whole line was taken: its rest is
            // at the front, the bytes after its end follow at once.
            std::memmove(LineBuffer.data() + PendingLineLength, LineBuffer.data() + lineLength,
                         static_cast<size_t>(LineBufferCount - lineLength));
            LineBufferCount = PendingLineLength + (LineBufferCount - lineLength);
            PendingLineLength = 0;
            LineBuffer[LineBufferCount] = 0;
        } else {
            Consume(lineLength);
        }
        searchFrom = 0;
        while (!FLineMode && LineBufferCount > 0) {
            const int before = LineBufferCount;
            if (!TCustomSocksWSocket::TriggerDataAvailable(0))
                break;  // without a handler the rest stays buffered
            if (Gone(guard) || LineBuffer.empty())
                return true;
            if (LineBufferCount == before)
                break;
        }
    }

    if (FLineMode && !HoldLines() && LineLimit > 0 && LineBufferCount > LineLimit) {
        ClearOnLimit = true;
        TriggerLineLimitExceeded(LineBufferCount, ClearOnLimit);
        if (Gone(guard))
            return true;
        if (ClearOnLimit && !LineBuffer.empty()) {
            PendingLineLength = 0;
            Consume(std::max(LineBufferCount - (endLength - 1), 0));
            DiscardingLongLine = true;
            ClearOnLimit = false;
        }
    }
    return true;
}

int TCustomLineWSocket::DoRecv(void* Buffer, int BufferSize, int Flags)
{
    const int wanted = std::max(BufferSize, 0);
    if (FLineMode && PendingLineLength > 0) {
        const int n = std::min(wanted, PendingLineLength);
        std::memcpy(Buffer, LineBuffer.data(), static_cast<size_t>(n));
        if (!(Flags & MSG_PEEK)) {
            std::memmove(LineBuffer.data(), LineBuffer.data() + n, static_cast<size_t>(PendingLineLength - n));
            PendingLineLength -= n;
        }
        return n;
    }
    if (!FLineMode && LineBufferCount > 0) {
        const int n = std::min(wanted, LineBufferCount);
        std::memcpy(Buffer, LineBuffer.data(), static_cast<size_t>(n));
        if (!(Flags & MSG_PEEK))
            Consume(n);
        return n;
    }
    return TCustomSocksWSocket::DoRecv(Buffer, BufferSize, Flags);
}

void TCustomLineWSocket::EchoBytes(const char* data, int count)
{
    // A copy: Send may run handlers that change the line buffer.
    const QByteArray bytes(data, count);
    Send(bytes.constData(), count);
}

void TCustomLineWSocket::EditLine(int& Len)
{
    std::vector<char> work;  // the edited text, made at the first backspace or tab
    bool edited = false;
    int j = LineBufferCount;
    int low = LineBufferCount;
    const QByteArray received(LineBuffer.data() + LineBufferCount, Len);
    const TAliveGuard guard = AliveGuard();
    auto put = [&](char c) {
        if (static_cast<int>(work.size()) <= j)
            work.resize(static_cast<size_t>(j + 256));
        work[j] = c;
    };
    for (char c : received) {
        if ((c == kBackspace || c == kTab) && !edited) {
            edited = true;
            work.assign(LineBuffer.begin(), LineBuffer.begin() + j);
        }
        if (c == kBackspace) {
            if (LineEcho && j > 0)
                SendStr(QByteArray("\b \b"));
            if (j > 0) {
                --j;
                low = std::min(low, j);
            }
        } else if (c == kTab) {
            do {
                put(' ');
                ++j;
                if (LineEcho)
                    SendStr(QByteArray(" "));
            } while (j % kTabColumns != 0);
        } else {
            if (LineEcho)
                Send(&c, 1);
            if (edited)
                put(c);
            ++j;
        }
        if (Gone(guard))
            return;
    }
    if (!edited)
        return;
    if (static_cast<int>(LineBuffer.size()) < j + 1)
        LineBuffer.resize(static_cast<size_t>(j + 1));
    std::memcpy(LineBuffer.data(), work.data(), static_cast<size_t>(j));
    LineBuffer[j] = 0;
    LineBufferCount = low;
    Len = j - low;
}

bool TCustomLineWSocket::TakeBufferedLine(QByteArray& Line)
{
    if (LineBufferCount <= 0 || PendingLineLength > 0 || LineEnd.isEmpty() || DiscardingLongLine)
        return false;
    const int at = FindLineEnd(0);
    if (at < 0)
        return false;
    const int length = at + static_cast<int>(LineEnd.size());
    Line = QByteArray(LineBuffer.data(), length);
    Consume(length);
    return true;
}

void TCustomLineWSocket::TriggerSessionClosed(int ErrCode)
{
    LineArrived = true;
    const TAliveGuard guard = AliveGuard();
    if (!LineBuffer.empty()) {
        if (DeliveringLineLength > 0) {
            // Closed from the handler of a line: what it took is gone.
            std::memmove(LineBuffer.data() + PendingLineLength, LineBuffer.data() + DeliveringLineLength,
                         static_cast<size_t>(LineBufferCount - DeliveringLineLength));
            LineBufferCount = PendingLineLength + (LineBufferCount - DeliveringLineLength);
            DeliveringLineLength = 0;
        }
        if (FLineMode && LineBufferCount > 0 && !ClearOnLimit && !DiscardingLongLine) {
            // The unfinished last line is delivered as a line.
            PendingLineLength = LineBufferCount;
            while (FLineMode && PendingLineLength > 0) {
                const int before = PendingLineLength;
                if (!TCustomSocksWSocket::TriggerDataAvailable(0))
                    break;
                if (Gone(guard))
                    return;
                if (PendingLineLength == before)
                    break;
            }
        }
        LineBuffer.clear();
        LineBuffer.shrink_to_fit();
        LineBufferCount = 0;
        PendingLineLength = 0;
        DiscardingLongLine = false;
    }
    TCustomSocksWSocket::TriggerSessionClosed(ErrCode);
}

void TCustomLineWSocket::TriggerLineLimitExceeded(int Count, bool& ClearData)
{
    if (OnLineLimitExceeded)
        OnLineLimitExceeded(this, Count, ClearData);
}
