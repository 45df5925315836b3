#pragma once
// The sound-input records shared by the recorder, the live decoder and the
// WAV writer: the PCM format of a recording and the header of the one buffer
// that the sound input fills.
#include <cstdint>

constexpr std::uint16_t WAVE_FORMAT_PCM = 1;

// The PCM wave format record, 18 bytes when written to a file. The defaults
// are the recorder's format: 11025 Hz, 8-bit unsigned, mono.
struct TWaveFormat {
    std::uint16_t FormatTag = WAVE_FORMAT_PCM;
    std::uint16_t Channels = 1;
    std::uint32_t SamplesPerSec = 11025;
    std::uint32_t AvgBytesPerSec = 11025;  // SamplesPerSec x BlockAlign
    std::uint16_t BlockAlign = 1;          // bytes of one frame, all channels
    std::uint16_t BitsPerSample = 8;       // 8 (unsigned, 128 = silence) or 16 (signed)
    std::uint16_t ExtraSize = 0;           // no extra format bytes
};

// True for PCM of 8 or 16 bits, 1 or 2 channels, whose block align and byte
// rate agree with its other fields.
inline bool IsConsistentPcm(const TWaveFormat& f)
{
    return f.FormatTag == WAVE_FORMAT_PCM && (f.Channels == 1 || f.Channels == 2) &&
           (f.BitsPerSample == 8 || f.BitsPerSample == 16) && f.SamplesPerSec > 0 &&
           f.BlockAlign == f.Channels * f.BitsPerSample / 8 && f.AvgBytesPerSec == f.SamplesPerSec * f.BlockAlign &&
           f.ExtraSize == 0;
}

// Header flags of a recording buffer.
constexpr std::uint32_t WHDR_DONE = 0x01;      // returned by the sound input
constexpr std::uint32_t WHDR_PREPARED = 0x02;  // prepared, may be added
constexpr std::uint32_t WHDR_INQUEUE = 0x10;   // being filled

// The header of a recording buffer. The sound input changes Flags and
// BytesRecorded only on the thread that opened it: when the buffer is added,
// and when it comes back (full, reset or closed).
struct TWaveHeader {
    std::uint8_t* Data = nullptr;     // the caller's buffer, not owned
    std::uint32_t BufferLength = 0;   // bytes
    std::uint32_t BytesRecorded = 0;  // filled in when the buffer comes back
    std::uint32_t Flags = 0;
};

// Posted to the sound input's owner when its buffer comes back: WParam is the
// TWaveIn*, LParam the TWaveHeader*.
constexpr unsigned MM_WIM_DATA = 0x3C0;
