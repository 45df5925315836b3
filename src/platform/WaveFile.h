#pragma once
// Writes a RIFF/WAVE PCM file in one go: "RIFF" size "WAVE", a "fmt " chunk
// of 18 bytes (the wave format record), a "data" chunk of the samples and a
// zero pad byte when their count is odd; integers little-endian.
#include "platform/WaveFormat.h"

#include <QString>
#include <cstdint>

// The file is written as path + ".tmp" and renamed over path only when it is
// complete, so a failure leaves any old file untouched and no partial file
// behind. The folder must exist. byteCount must be whole frames of format.
// On failure error names the path and the reason.
bool WriteWaveFile(const QString& path, const TWaveFormat& format, const std::uint8_t* samples,
                   std::uint32_t byteCount, QString& error);
