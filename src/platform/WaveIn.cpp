#include "platform/WaveIn.h"

#include "platform/AlsaCapture.h"
#include "platform/Messages.h"

#include <QObject>
#include <QtGlobal>
#include <alsa/asoundlib.h>
#include <algorithm>
#include <cerrno>

namespace {

// How long the capture thread waits for the device before it looks at the
// stop request again.
constexpr int kWaitSliceMs = 100;

}  // namespace

TWaveIn::TWaveIn() = default;

TWaveIn::~TWaveIn()
{
    Close();
}

int TWaveIn::GetDevCaps(TWaveInCaps& caps)
{
    caps = TWaveInCaps{};
    bool supported = false;
    const int err = alsa::TestCaptureFormat(alsa::CaptureDeviceName(), TWaveFormat{}, &supported, &caps.Name);
    if (err < 0)
        return err;
    caps.Formats = supported ? WAVE_FORMAT_1M08 : 0;
    return 0;
}

int TWaveIn::QueryFormat(const TWaveFormat& format)
{
    snd_pcm_t* pcm = nullptr;
    unsigned long period = 0;
    const int err = alsa::OpenCapture(alsa::CaptureDeviceName(), format, &pcm, &period);
    if (pcm)
        snd_pcm_close(pcm);
    return err;
}

QString TWaveIn::ErrorText(int code)
{
    return QString::fromLocal8Bit(snd_strerror(code));
}

int TWaveIn::Open(const TWaveFormat& format, TMessageTarget* owner)
{
    if (pcm_)
        return -EBUSY;
    const int err = alsa::OpenCapture(alsa::CaptureDeviceName(), format, &pcm_, &periodFrames_);
    if (err < 0)
        return err;
    format_ = format;
    owner_ = owner;
    home_ = std::make_unique<QObject>();
    capturedBytes_.store(0);
    return 0;
}

int TWaveIn::PrepareHeader(TWaveHeader* header)
{
    if (!header || !header->Data || header->BufferLength == 0)
        return -EINVAL;
    header->Flags |= WHDR_PREPARED;
    return 0;
}

int TWaveIn::UnprepareHeader(TWaveHeader* header)
{
    if (!header)
        return -EINVAL;
    if (header->Flags & WHDR_INQUEUE)
        return -EBUSY;
    header->Flags &= ~WHDR_PREPARED;
    return 0;
}

int TWaveIn::AddBuffer(TWaveHeader* header)
{
    if (!pcm_)
        return -EBADFD;
    if (!header || !(header->Flags & WHDR_PREPARED))
        return -EINVAL;
    if (queued_)
        return -EBUSY;
    header->Flags = (header->Flags & ~WHDR_DONE) | WHDR_INQUEUE;
    header->BytesRecorded = 0;
    queued_ = header;
    capturedBytes_.store(0);
    return 0;
}

int TWaveIn::Start()
{
    if (!pcm_)
        return -EBADFD;
    if (!queued_)
        return -EINVAL;
    if (captureThread_.joinable() && !captureEnded_.load())
        return 0;  // already capturing
    StopCapture();
    int err = 0;
    if (snd_pcm_state(pcm_) != SND_PCM_STATE_PREPARED && (err = snd_pcm_prepare(pcm_)) < 0)
        return err;
    if ((err = snd_pcm_start(pcm_)) < 0)
        return err;
    stopRequested_.store(false);
    captureEnded_.store(false);
    captureThread_ = std::thread(&TWaveIn::Capture, this, queued_->Data, queued_->BufferLength);
    return 0;
}

int TWaveIn::Reset()
{
    if (!pcm_)
        return -EBADFD;
    StopCapture();
    snd_pcm_drop(pcm_);
    ReturnBuffer();
    capturedBytes_.store(0);
    return 0;
}

int TWaveIn::Close()
{
    if (!pcm_)
        return 0;
    StopCapture();
    if (queued_) {
        queued_->Flags &= ~WHDR_INQUEUE;
        queued_ = nullptr;
    }
    snd_pcm_close(pcm_);
    pcm_ = nullptr;
    owner_ = nullptr;
    home_.reset();  // drops a "buffer full" still on its way
    capturedBytes_.store(0);
    return 0;
}

void TWaveIn::StopCapture()
{
    stopRequested_.store(true);
    if (captureThread_.joinable())
        captureThread_.join();
}

void TWaveIn::ReturnBuffer()
{
    TWaveHeader* header = queued_;
    if (!header)
        return;
    queued_ = nullptr;
    header->BytesRecorded = capturedBytes_.load();
    header->Flags = (header->Flags & ~WHDR_INQUEUE) | WHDR_DONE;
    PostMessage(owner_, MM_WIM_DATA, reinterpret_cast<WPARAM>(this), reinterpret_cast<LPARAM>(header));
}

// The capture thread: reads a period at a time straight into the caller's
// buffer and publishes the new position after the bytes are in place, so a
// reader that trusts the position never reads a byte not yet written.
void TWaveIn::Capture(std::uint8_t* data, std::uint32_t length)
{
    const std::uint32_t frameBytes = format_.BlockAlign;
    std::uint32_t captured = 0;
    while (!stopRequested_.load()) {
        const std::uint32_t framesLeft = (length - captured) / frameBytes;
        if (framesLeft == 0)
            break;
        const int ready = snd_pcm_wait(pcm_, kWaitSliceMs);
        if (stopRequested_.load())
            break;
        snd_pcm_sframes_t frames = 0;
        if (ready > 0)
            frames = snd_pcm_readi(pcm_, data + captured, std::min<unsigned long>(framesLeft, periodFrames_));
        else if (ready < 0)
            frames = ready;
        if (frames == -EAGAIN || frames == 0)
            continue;
        if (frames < 0) {
            // An overrun loses samples but the recording goes on; anything
            // else ends it with what was captured.
            if (snd_pcm_recover(pcm_, static_cast<int>(frames), 1) == 0 &&
                (snd_pcm_state(pcm_) != SND_PCM_STATE_PREPARED || snd_pcm_start(pcm_) == 0))
                continue;
            qWarning("Sound input stopped: %s", snd_strerror(static_cast<int>(frames)));
            break;
        }
        captured += static_cast<std::uint32_t>(frames) * frameBytes;
        capturedBytes_.store(captured, std::memory_order_release);
    }
    captureEnded_.store(true);
    if (!stopRequested_.load()) {
        // Full, or the device failed: hand the buffer back on the owner's thread.
        QMetaObject::invokeMethod(home_.get(), [this] { ReturnBuffer(); }, Qt::QueuedConnection);
    }
}
