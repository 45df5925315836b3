#pragma once
// The receiver link: which receiver model hangs on which COM port, the open
// port with the model's line settings, the write and read steps the receiver
// protocols are built from (R2FXProtocol.h, RX2Protocol.h), tuning by model,
// and the text of the last failure. No operation raises: each returns false
// (or 0, -1) and leaves its message for GetErrorText.
//
// One link lives for the whole run, owned by the main window. It has no lock:
// every call runs on the GUI thread (worker threads go through Synchronize).
// Every wait on the port is bounded, so a receiver that never answers, or a
// line that disappears, costs at most a few seconds, never a frozen window.
#include "platform/SerialPort.h"

#include <QByteArray>
#include <QString>
#include <cstdint>
#include <memory>

class TRig {
public:
    // Settings, kept in the registry under "APT\Settings\RIG".
    int Port = 1;      // COM port number, 1 = COM1; at least 1 to open
    int BaudRate = 3;  // index into the baud table (GetBaudValue)
    int Radio = 0;     // 0 R2FX, 1 RIG RX2, 2 ICOM PCR1000 (not supported), 3 EMGO

    // The most reply bytes kept; the receivers' replies are far shorter.
    static constexpr int kReplyCapacity = 511;

    TRig();
    ~TRig();  // closes
    TRig(const TRig&) = delete;
    TRig& operator=(const TRig&) = delete;

    // Default settings, no error text. Does not close an open port.
    void Reset();
    // Closes this link, then takes the other's Port, BaudRate and Radio.
    void Assign(const TRig& other);

    bool IsOpen() const;
    // Opens COM<Port> with the model's line settings (always its default rate).
    bool Open();
    // Harmless when closed; keeps the error text.
    void Close();
    // The start of every receiver command: clears the error text, opens the
    // port when closed (or when its line was lost), then purges it.
    bool EnsureOpen();
    // Waits (bounded) until the last command has left the port, then drops
    // what has arrived unread. Output the line will not send in time is a
    // failure, and is dropped too.
    bool Purge();
    // True for the models that can be driven: 0, 1 and 3.
    bool CheckRadio();

    int GetDefaultBaudRate() const;  // the model's baud index
    int GetBaudValue() const;        // bit/s of BaudRate, -1 outside the table
    QString GetRadioName() const;    // "" for an unknown model
    // The last failure, or "Unknown error" when none was recorded.
    QString GetErrorText() const;

    // True when every byte was written within the write time-outs.
    bool WriteChar(char c);
    bool WriteText(const char* text);

    // Collects one reply: chunks of up to 10 bytes until the line stays quiet
    // for the reply pause (500 ms); at most kReplyCapacity bytes, and no
    // longer than the reply limit in all. Returns its length (0 when closed
    // or nothing came). Records no error text.
    int ReadReply();
    // Waits up to the reply pause for a byte, then reads up to maxBytes under
    // the port's read time-outs; the count read, 0 for none or a failure.
    int ReadChunk(char* buffer, int maxBytes);
    bool ReadBytes(char* buffer, int maxBytes, std::uint32_t& count);
    // The bytes of the last reply.
    QByteArray Reply() const;

    // Tunes the attached receiver by its model's protocol.
    bool SetFrequency(double mhz);
    // The leading number of the text (C locale); no number gives 0.0, which
    // every model refuses.
    bool SetFrequencyText(const QString& mhz);
    // Selects a channel of the ten-channel table (RIG RX2 and EMGO only).
    bool SetChannel(int channel);

    // Records the failure of a command. When the port itself failed during
    // the command (line lost, write timed out), its reason is added.
    void SetErrorText(const QString& text);

    // The pause that ends a reply and the longest a reply may go on, in ms;
    // tests shorten them.
    void SetReplyTiming(int pauseMs, int limitMs);

private:
    bool FailOpen(const QString& text);
    bool WriteBytes(const char* bytes, std::uint32_t count);
    bool ApplyPortSetup();
    // Remembers why the port failed; a lost line is closed by the next
    // command, which then opens the port afresh.
    void NotePortFault();

    TSerialPort port_;
    std::unique_ptr<char[]> replyBuffer_;  // kReplyCapacity + 1; only while open
    std::unique_ptr<char[]> chunkBuffer_;  // each chunk read; only while open
    int replyLength_ = 0;
    QString errorText_;
    QString portFault_;  // the port's reason for a failure in this command
    bool lineLost_ = false;
    int replyPauseMs_ = 500;
    int replyLimitMs_ = 5000;
};
