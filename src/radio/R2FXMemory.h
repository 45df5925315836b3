#pragma once
// The R2FX's memory listing as the windows read and rewrite it, eight lines:
//   CH1:137.500MHz  ..  CH6:137.400MHz   channels 1 to 6; characters 5 to 11
//                                        (counting from 1) hold the MHz
//   Channel:3                            the current channel: its last digit
//   Scan thr:050                         the scan threshold, characters 10 to 12
// Lines may come short or odd from the receiver: every read stays inside the
// line, and a text that is no number reads as 0.
#include <QString>
#include <QStringList>

constexpr int kR2FXMemoryLineCount = 8;
constexpr int kR2FXChannelCount = 6;

// Characters 5 to 11 of the channel's line (channel 1 to 6); "" when the
// listing has no such line.
QString R2FXChannelText(const QStringList& lines, int channel);
// That text's leading number in MHz (C locale), 0 when there is none.
double R2FXChannelMHz(const QStringList& lines, int channel);
// The last decimal digit of line 7, searched from its end: 1 to 6, or 0 when
// there is none, it is 0, or it names no channel line (7 to 9).
int R2FXCurrentChannel(const QStringList& lines);
// The leading number of characters 10 to 12 of line 8, 0 when there is none.
int R2FXThresholdOf(const QStringList& lines);

// The lines the program writes back after programming the receiver.
QString R2FXChannelLine(int channel, double mhz);  // "CH2:137.100MHz"
QString R2FXThresholdLine(int threshold);          // "Scan thr:005"
