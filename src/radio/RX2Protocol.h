#pragma once
// The channel protocol of the RIG RX2 and the EMGO: fixed-channel 137 MHz
// receivers with ten channels, driven by one-way text commands without
// terminator; the program never reads an answer.
//   select channel 4 (137.62 MHz):  -> "F4"
//   start the RIG RX2's scanner:    -> "S"
// Each operation leaves its failure in the link's error text.
#include "radio/Rig.h"

#include <QString>

// The channel frequencies in MHz, index 0 to 9.
constexpr int kRX2ChannelCount = 10;
extern const double kRX2ChannelMHz[kRX2ChannelCount];

// The channel index of the frequency, or -1 ("Unsupported <model> frequency").
int GetRX2Channel(TRig& rig, double mhz);
// The leading number of the text (C locale; no number gives 0.0).
int GetRX2ChannelOfText(TRig& rig, const QString& mhz);
// Select the channel of the frequency.
bool TuneRX2(TRig& rig, double mhz);
bool TuneEMGO(TRig& rig, double mhz);
// Select a channel by its index 0 to 9.
bool SelectRX2Channel(TRig& rig, int index);
// Start the RIG RX2's scanner.
bool StartRX2Scan(TRig& rig);
