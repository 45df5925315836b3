#pragma once
// A serial port over termios, in the terms of the receiver link: open by
// Windows name, line state, time-outs, queues, read, write, purge and the
// DTR/RTS lines. Every call returns false on failure and leaves the reason
// in ErrorText() (what failed, on which port and device, and the system's
// reason) and the errno in LastError(). One thread uses a port at a time.
#include <QString>
#include <cstdint>

constexpr std::uint32_t MAXDWORD = 0xFFFFFFFFu;

enum class TParity { None, Odd, Even, Mark, Space };
enum class TStopBits { One, OneAndHalf, Two };

// The device control block, as far as termios can carry it.
struct TCommState {
    int BaudRate = 9600;  // bit/s
    int ByteSize = 8;     // 5..8
    TParity Parity = TParity::None;
    TStopBits StopBits = TStopBits::One;
    bool OutxCtsFlow = false;  // RTS/CTS hardware flow control
    bool OutX = false;         // XON/XOFF on output
    bool InX = false;          // XON/XOFF on input
    char XonChar = 0x11;
    char XoffChar = 0x13;
    bool Null = false;         // discard received zero bytes
    bool DtrEnable = true;     // DTR raised while the port is set up
    bool RtsEnable = true;     // RTS raised while the port is set up
};

// In milliseconds, with the Windows meaning: a read of n bytes ends after
// ReadTotalTimeoutMultiplier x n + ReadTotalTimeoutConstant in all, or when
// more than ReadIntervalTimeout passes between two bytes (0 = not used;
// interval MAXDWORD with both totals 0 returns at once with what has
// arrived). Writes likewise; all 0 means no limit.
struct TCommTimeouts {
    std::uint32_t ReadIntervalTimeout = 0;
    std::uint32_t ReadTotalTimeoutMultiplier = 0;
    std::uint32_t ReadTotalTimeoutConstant = 0;
    std::uint32_t WriteTotalTimeoutMultiplier = 0;
    std::uint32_t WriteTotalTimeoutConstant = 0;
};

class TSerialPort {
public:
    TSerialPort() = default;
    ~TSerialPort();  // closes
    TSerialPort(const TSerialPort&) = delete;
    TSerialPort& operator=(const TSerialPort&) = delete;

    // Opens "COM1" (or a device path; see SerialPortNames.h) for reading and
    // writing, not shared with any other user of the port, in raw mode.
    bool Open(const QString& portName);
    void Close();  // harmless when closed
    bool IsOpen() const { return fd_ >= 0; }
    QString Device() const { return device_; }

    // The kernel's queues have a fixed size (4 KiB and more): the call only
    // checks that the port is open and the sizes are not 0.
    bool SetupComm(std::uint32_t inQueueBytes, std::uint32_t outQueueBytes);
    bool GetCommState(TCommState& state);
    // Fails for a setting the device does not take (a rate termios has no
    // constant for, 1.5 stop bits, parity on a pseudo-terminal, ...).
    bool SetCommState(const TCommState& state);
    bool GetCommTimeouts(TCommTimeouts& timeouts);
    bool SetCommTimeouts(const TCommTimeouts& timeouts);

    // Raise or clear a line. A pseudo-terminal has no modem lines: that is
    // not a failure.
    bool SetDtr(bool raised);
    bool SetRts(bool raised);
    // Discards both queues.
    bool Purge();
    // Discards what has arrived and not been read; what waits to be sent
    // stays on its way.
    bool PurgeInput();
    // Waits until everything written has left the port. A write returns once
    // its bytes are queued, long before a slow line has sent them; a purge
    // right after would cut them off. Bounded by what the pending bytes need
    // at the line's rate plus a margin: output that is still held by then
    // (flow control, a stuck adapter) is a failure, ETIMEDOUT. A
    // pseudo-terminal reports nothing pending: it hands bytes on at once.
    bool WaitUntilSent();

    // Waits up to timeoutMs for received bytes; false when none came
    // (LastError() 0) or on failure (LastError() the errno).
    bool WaitForInput(int timeoutMs);
    // Reads up to maxBytes under the read time-outs; a time-out is not a
    // failure: bytesRead tells what came.
    bool Read(void* buffer, std::uint32_t maxBytes, std::uint32_t& bytesRead);
    // Writes all bytes under the write time-outs; false when they were not
    // all written, bytesWritten tells how many were.
    bool Write(const void* data, std::uint32_t byteCount, std::uint32_t& bytesWritten);

    int LastError() const { return lastError_; }
    QString ErrorText() const { return errorText_; }

private:
    bool Fail(const QString& what, int code);
    bool RequireOpen(const char* what);
    bool SetModemLine(int line, bool raised, const char* what);
    // Bytes the driver still holds for sending; 1 when its queue is empty but
    // the transmitter has not finished the last byte.
    bool OutputPending(int& bytes);
    // Waits up to waitMs (-1: no limit) for events on the port; false on a
    // failure or a line that hung up (error text set), true otherwise with
    // ready telling whether the events came.
    bool WaitFor(short events, int waitMs, bool& ready);

    int fd_ = -1;
    QString portName_;
    QString device_;
    TCommTimeouts timeouts_;
    bool discardNull_ = false;
    bool dtrEnable_ = true;
    bool rtsEnable_ = true;
    int lastError_ = 0;
    QString errorText_;
};
