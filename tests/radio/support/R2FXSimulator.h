#pragma once
// A simulated R2FX receiver on a pseudo-terminal pair. It takes the
// receiver's commands one character at a time and answers each:
//   "C<ch><ddd>"  tune (channel 0) or store (1..6) 130 + ddd/100 MHz; each
//                 character echoed, the last one followed by "\r\nCH<ch>:137.620MHz"
//                 (21 bytes in all)
//   "T<dd>"       scan threshold; each character echoed
//   "R"           signal: "R57\r\n"
//   "M"           memory: "M\r\n", "CH1:137.500MHz\r\n" .. "CH6:...\r\n",
//                 "Channel:3\r\n", "Scan thr:050\r\n" (channels stored by "C"
//                 and the threshold set by "T" appear in it)
// anything else: "?\r\n". A command letter abandons a command left half
// done. A fault mode spoils the answers as a bad line or a
// dead receiver would.
#include "support/PtyLine.h"

#include <array>
#include <map>
#include <mutex>

class TR2FXSimulator {
public:
    enum class TFault {
        None,
        Silent,        // never answers
        SilentAfter,   // answers the first <value> characters, then nothing
        Garbage,       // answers every character with bytes that mean nothing
        ShortLine,     // answers longer than an echo lose their last byte
        ExtraByte,     // each answer one byte long
        Late,          // each answer after <value> ms
        HangUpAfter,   // answers the first <value> characters, then the line is gone
    };

    TR2FXSimulator();
    TPtyLine& Line() { return line_; }

    void SetFault(TFault fault, int value = 0);
    void SetSignal(int value);
    // The memory listing: a channel's frequency (as a store command would
    // leave it), and line 7 as the receiver sends it (instead of
    // "Channel:<current>").
    void SetMemory(int channel, double mhz);
    void SetCurrentChannelLine(const QByteArray& line);
    // Answers the command character with these bytes instead (for replies
    // the receiver itself would never give).
    void SetAnswer(char command, const QByteArray& bytes);

    double TunedMHz();           // channel 0; 0 before any tuning
    double MemoryMHz(int channel);  // 1..6
    int Threshold();

private:
    TLineAnswer Answer(char c);
    QByteArray NormalAnswer(char c);

    std::mutex mutex_;  // the state below, read by tests, written by the line's thread
    std::array<double, 7> channelMHz_{0.0, 137.5, 137.62, 137.9125, 137.1, 137.3, 137.4};
    int currentChannel_ = 3;
    int threshold_ = 50;
    int signal_ = 57;
    QByteArray currentLine_;  // set: line 7 of the listing as it stands
    TFault fault_ = TFault::None;
    int faultValue_ = 0;
    int answered_ = 0;
    std::map<char, QByteArray> answers_;
    QByteArray command_;  // the command under way, characters so far

    TPtyLine line_;  // last: its thread stops before the state goes
};
