#pragma once
// The ALSA side of the sound input: which capture device to use, and opening
// it set up for one PCM format. Errors are ALSA's negative codes, whose text
// is TWaveIn::ErrorText (snd_strerror).
#include "platform/WaveFormat.h"

#include <QString>

typedef struct _snd_pcm snd_pcm_t;

namespace alsa {

// ALSA's "default" device, unless ORVANTA_ALSA_DEVICE names another
// (for example "plughw:1" or a device of the user's .asoundrc).
QString CaptureDeviceName();

// Opens the capture device in non-blocking mode and sets it up for format,
// exactly (no other rate or sample size). On success *pcm is open and
// prepared and *periodFrames is the device's period; the caller closes it.
int OpenCapture(const QString& device, const TWaveFormat& format, snd_pcm_t** pcm, unsigned long* periodFrames);

// Opens the device only to ask whether it can capture format; *supported
// answers, *cardName is the device's own name. A device that cannot be
// opened gives its error code.
int TestCaptureFormat(const QString& device, const TWaveFormat& format, bool* supported, QString* cardName);

}  // namespace alsa
