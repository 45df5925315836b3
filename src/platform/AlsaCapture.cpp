#include "platform/AlsaCapture.h"

#include <alsa/asoundlib.h>
#include <cerrno>
#include <memory>

namespace alsa {

namespace {

struct HwParamsDeleter {
    void operator()(snd_pcm_hw_params_t* p) const { snd_pcm_hw_params_free(p); }
};
using HwParams = std::unique_ptr<snd_pcm_hw_params_t, HwParamsDeleter>;

snd_pcm_format_t SampleFormat(const TWaveFormat& format)
{
    // WAV's 8-bit samples are unsigned, its 16-bit samples signed little-endian.
    return format.BitsPerSample == 8 ? SND_PCM_FORMAT_U8 : SND_PCM_FORMAT_S16_LE;
}

// ALSA prints its own diagnostics to stderr (a missing card gives a dozen
// lines); every failure reaches the user through its error code and text,
// so the library's printing is switched off once.
void IgnoreLibraryMessage(const char*, int, const char*, int, const char*, ...) {}

void QuietLibrary()
{
    static const bool quiet = (snd_lib_error_set_handler(IgnoreLibraryMessage), true);
    (void)quiet;
}

int OpenDevice(const QString& device, snd_pcm_t** pcm, HwParams& params)
{
    QuietLibrary();
    // Non-blocking, so a device held by another program fails at once
    // instead of hanging the caller.
    int err = snd_pcm_open(pcm, device.toLocal8Bit().constData(), SND_PCM_STREAM_CAPTURE, SND_PCM_NONBLOCK);
    if (err < 0) {
        *pcm = nullptr;
        return err;
    }
    snd_pcm_hw_params_t* raw = nullptr;
    if ((err = snd_pcm_hw_params_malloc(&raw)) < 0 || (err = snd_pcm_hw_params_any(*pcm, raw)) < 0) {
        if (raw)
            snd_pcm_hw_params_free(raw);
        snd_pcm_close(*pcm);
        *pcm = nullptr;
        return err;
    }
    params.reset(raw);
    return 0;
}

}  // namespace

QString CaptureDeviceName()
{
    const QString named = qEnvironmentVariable("ORVANTA_ALSA_DEVICE").trimmed();
    return named.isEmpty() ? QStringLiteral("default") : named;
}

int OpenCapture(const QString& device, const TWaveFormat& format, snd_pcm_t** pcm, unsigned long* periodFrames)
{
    if (!IsConsistentPcm(format))
        return -EINVAL;
    HwParams params;
    int err = OpenDevice(device, pcm, params);
    if (err < 0)
        return err;
    snd_pcm_hw_params_t* hw = params.get();
    // About 46 ms a period and eight periods of slack at 11025 Hz: the
    // capture thread reads a period at a time straight into the buffer.
    snd_pcm_uframes_t period = 512;
    snd_pcm_uframes_t bufferFrames = 8 * period;
    int dir = 0;
    if ((err = snd_pcm_hw_params_set_access(*pcm, hw, SND_PCM_ACCESS_RW_INTERLEAVED)) < 0 ||
        (err = snd_pcm_hw_params_set_format(*pcm, hw, SampleFormat(format))) < 0 ||
        (err = snd_pcm_hw_params_set_channels(*pcm, hw, format.Channels)) < 0 ||
        (err = snd_pcm_hw_params_set_rate(*pcm, hw, format.SamplesPerSec, 0)) < 0 ||
        (err = snd_pcm_hw_params_set_period_size_near(*pcm, hw, &period, &dir)) < 0 ||
        (err = snd_pcm_hw_params_set_buffer_size_near(*pcm, hw, &bufferFrames)) < 0 ||
        (err = snd_pcm_hw_params(*pcm, hw)) < 0 || (err = snd_pcm_hw_params_get_period_size(hw, &period, &dir)) < 0) {
        snd_pcm_close(*pcm);
        *pcm = nullptr;
        return err;
    }
    *periodFrames = period > 0 ? period : 512;
    return 0;
}

int TestCaptureFormat(const QString& device, const TWaveFormat& format, bool* supported, QString* cardName)
{
    *supported = false;
    snd_pcm_t* pcm = nullptr;
    HwParams params;
    const int err = OpenDevice(device, &pcm, params);
    if (err < 0)
        return err;
    snd_pcm_hw_params_t* hw = params.get();
    *supported = IsConsistentPcm(format) && snd_pcm_hw_params_test_format(pcm, hw, SampleFormat(format)) == 0 &&
                 snd_pcm_hw_params_test_channels(pcm, hw, format.Channels) == 0 &&
                 snd_pcm_hw_params_test_rate(pcm, hw, format.SamplesPerSec, 0) == 0;
    *cardName = QString::fromLocal8Bit(snd_pcm_name(pcm));
    snd_pcm_close(pcm);
    return 0;
}

}  // namespace alsa
