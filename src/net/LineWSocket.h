#pragma once
// TCustomLineWSocket: with LineMode on, the incoming stream is cut into lines
// and OnDataAvailable fires once per complete line; Receive inside the
// handler returns that line with its LineEnd. It can also echo and edit what
// it receives, for a terminal-like peer.
#include "net/SocksWSocket.h"

#include <vector>

// (Sender, bytes held without a line end, ClearData): leave ClearData true
// to drop the over-long line.
using TLineLimitEvent = std::function<void(TCustomWSocket* Sender, int RcvdLength, bool& ClearData)>;

class TCustomLineWSocket : public TCustomSocksWSocket {
public:
    TCustomLineWSocket();
    ~TCustomLineWSocket() override;

    bool LineMode() const { return FLineMode; }
    virtual void SetLineMode(bool Value);
    // Queues Str and LineEnd; returns their length (0 for an empty Str).
    virtual int SendLine(const QByteArray& Str);
    int GetRcvdCount() override;

    int LineLimit = 65536;  // bytes kept without a line end; 0 or less: no limit
    QByteArray LineEnd = QByteArrayLiteral("\r\n");
    bool LineEcho = false;
    bool LineEdit = false;
    TLineLimitEvent OnLineLimitExceeded;

protected:
    void WndProc(TMessage& Msg) override;
    bool TriggerDataAvailable(int ErrCode) override;
    void TriggerSessionClosed(int ErrCode) override;
    int DoRecv(void* Buffer, int BufferSize, int Flags) override;
    virtual void TriggerLineLimitExceeded(int Count, bool& ClearData);
    virtual void EditLine(int& Len);
    // True while lines that arrive must stay buffered (a blocking read has
    // its line and must not be handed the next one).
    virtual bool HoldLines() const { return false; }
    // Takes a complete line already buffered; false when there is none.
    bool TakeBufferedLine(QByteArray& Line);

    bool FLineMode = false;
    std::vector<char> LineBuffer;  // received bytes not yet delivered, then a 0 byte; empty until needed
    int LineBufferCount = 0;
    int PendingLineLength = 0;  // bytes of the line being delivered still to be taken
    int DeliveringLineLength = 0;  // length of the line being delivered, 0 between lines
    bool LineFoundThisRound = false;
    bool LineArrived = false;
    bool ClearOnLimit = false;
    // An over-long line was dropped: its tail, up to the next line end, is
    // dropped too instead of coming out as a line of its own.
    bool DiscardingLongLine = false;

private:
    void WMTriggerDataAvailable();
    int FindLineEnd(int from) const;
    void Consume(int count);
    void EchoBytes(const char* data, int count);
};
