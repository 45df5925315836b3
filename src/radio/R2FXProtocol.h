#pragma once
// The R2FX receiver's serial protocol (134.000 to 139.990 MHz; channel 0
// tunes, channels 1 to 6 are memories; a scanner with a stop threshold; a
// signal reading). Commands are plain ASCII without terminator, written one
// character at a time; after each character the receiver's answer is
// collected (a reply ends after the reply pause of silence). Tuning 137.62 MHz:
//   -> 'C' <- reply   -> '0' <- reply   -> '7' <- reply   -> '6' <- reply
//   -> '2' <- reply   (21 reply bytes in all, or the command failed)
// Each operation starts with TRig::EnsureOpen, leaves its failure in the
// link's error text, and never closes the port.
#include "radio/Rig.h"

#include <QStringList>
#include <optional>

// The signal value (from the reply's second byte on, its decimal digits),
// or -1.
int ReadR2FXSignal(TRig& rig);
// True for 134.0 <= mhz <= 139.99.
bool CheckR2FXFrequency(TRig& rig, double mhz);
// "C<channel><three digits>": tunes (channel 0) or stores (1 to 6).
bool SendR2FXChannel(TRig& rig, int channel, double mhz);
// Stores a memory channel, 1 to 6.
bool ProgramR2FXChannel(TRig& rig, int channel, double mhz);
// "T<two digits>", 0 to 99.
bool SetR2FXThreshold(TRig& rig, int threshold);
// The eight lines of the memory listing: channels 1 to 6 ("CH1:137.500MHz"),
// the current channel, the scan threshold ("Scan thr:050"); none on failure.
std::optional<QStringList> ReadR2FXMemory(TRig& rig);

// The command that tunes or stores a channel, for example "C0762" for
// 137.62 MHz on channel 0: the frequency in 10 kHz steps, last three digits.
QByteArray R2FXChannelCommand(int channel, double mhz);
