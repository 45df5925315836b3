#pragma once
// The sound input of the recorder: one ALSA capture device and one buffer
// that a capture thread fills. Used on the thread that opened it (the GUI
// thread), except PositionBytes(), which any thread may call.
//
//   TWaveIn in;  TWaveHeader h{buffer, length};
//   in.Open(format, owner); in.PrepareHeader(&h); in.AddBuffer(&h); in.Start();
//   ... MM_WIM_DATA arrives at owner when the buffer is full, or after Reset()
//   in.UnprepareHeader(&h); in.Close();
//
// Every call returns 0 or an ALSA error code (a negative errno); ErrorText
// gives its text.
#include "platform/WaveFormat.h"

#include <QString>
#include <atomic>
#include <cstdint>
#include <memory>
#include <thread>

class QObject;
class TMessageTarget;
typedef struct _snd_pcm snd_pcm_t;

// What the device can do, as far as the recorder asks.
constexpr std::uint32_t WAVE_FORMAT_1M08 = 0x1;  // 11025 Hz, mono, 8 bits

struct TWaveInCaps {
    QString Name;               // the device's own name
    std::uint32_t Formats = 0;  // WAVE_FORMAT_* bits
};

class TWaveIn {
public:
    TWaveIn();
    ~TWaveIn();  // closes
    TWaveIn(const TWaveIn&) = delete;
    TWaveIn& operator=(const TWaveIn&) = delete;

    // The capture device's name and what it supports; the device is opened
    // only for the question.
    static int GetDevCaps(TWaveInCaps& caps);
    // Whether the device accepts format; leaves nothing open.
    static int QueryFormat(const TWaveFormat& format);
    static QString ErrorText(int code);

    // Opens the capture device for format; the buffer comes back to owner
    // as MM_WIM_DATA. owner must outlive the open device.
    int Open(const TWaveFormat& format, TMessageTarget* owner);
    bool IsOpen() const { return pcm_ != nullptr; }
    int PrepareHeader(TWaveHeader* header);
    // Fails with -EBUSY while the buffer is still queued.
    int UnprepareHeader(TWaveHeader* header);
    // Queues the one buffer (a second gives -EBUSY).
    int AddBuffer(TWaveHeader* header);
    // Starts capturing into the queued buffer.
    int Start();
    // Stops capturing; the queued buffer comes back with what was recorded
    // and the position reads 0 again.
    int Reset();
    // Stops capturing and closes the device. A queued buffer is released
    // without a message: the caller may free it once Close returns. An
    // MM_WIM_DATA posted before the call may still be on its way.
    int Close();

    // Bytes captured into the queued buffer so far: every byte below it is
    // written and visible to the calling thread. 0 when closed or reset.
    std::uint32_t PositionBytes() const { return capturedBytes_.load(std::memory_order_acquire); }

private:
    void Capture(std::uint8_t* data, std::uint32_t length);
    void StopCapture();
    void ReturnBuffer();

    snd_pcm_t* pcm_ = nullptr;
    TWaveFormat format_;
    unsigned long periodFrames_ = 0;
    TMessageTarget* owner_ = nullptr;  // not owned
    TWaveHeader* queued_ = nullptr;    // the caller's buffer while in the queue
    // Lives on the opening thread: the capture thread's "buffer full" is
    // handled there, so headers only change on that thread.
    std::unique_ptr<QObject> home_;
    std::thread captureThread_;
    std::atomic<bool> stopRequested_{false};     // written by the owner, read by the capture thread
    std::atomic<bool> captureEnded_{false};      // written by the capture thread
    std::atomic<std::uint32_t> capturedBytes_{0};  // written by the capture thread
};
