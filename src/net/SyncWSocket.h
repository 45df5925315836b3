#pragma once
// TCustomSyncWSocket: waits that pump the owning thread's messages until a
// flag is set, and ReadLine, a blocking read of one line. Other components
// and windows of the thread keep working while one waits.
#include "net/LineWSocket.h"

using TWSocketSyncNextProc = std::function<void()>;

class TCustomSyncWSocket : public TCustomLineWSocket {
public:
    // 0 once Done is set; 12001 on time-out, when the program or the thread
    // is ending, or when the pump met the quit request.
    virtual int WaitUntilReady(bool& Done);
    // Done := false, runs Proc when given, then waits for Done.
    virtual int Synchronize(const TWSocketSyncNextProc& Proc, bool& Done);
    // Waits for one line (its LineEnd included): Timeout 0 is 60 s, positive
    // seconds, negative milliseconds. On time-out Buffer holds what part of
    // a line has come. Raises "ReadLine failed: not connected" unless connected.
    void ReadLine(int Timeout, QByteArray& Buffer);

    int WaitTimeout = 0;  // milliseconds; 0 or less: no limit

protected:
    bool HoldLines() const override { return ReadLineTarget && ReadLineTaken; }

private:
    void InternalDataAvailable();

    QByteArray* ReadLineTarget = nullptr;  // the caller's buffer while ReadLine waits
    bool ReadLineTaken = false;
};
