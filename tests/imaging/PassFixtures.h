#pragma once
// Decoded passes with known content for the view tests: channel A a ramp of
// grey across the video, channel B the NOAA 18 channel 4 values of a scene
// from 230 K on the left to 300 K on the right, with the telemetry that the
// calibration reads. Made from the APT tests' signal generator.
#include "AptSignalGenerator.h"
#include "AptTestHelpers.h"
#include "apt/APT.h"

namespace passfixture {

using apttest::SceneKelvin;
// Channel A video word (0..908): a grey ramp from 20 to 240.
inline double SceneGreyA(int word) { return 20 + 220.0 * word / 908; }

// The APT tests' calibrated pass with the grey ramp on channel A.
inline aptgen::PassSpec CalibratedPass(int lines)
{
    aptgen::PassSpec spec = apttest::CalibratedPass(lines);
    spec.videoA = [](int, int w) { return SceneGreyA(w); };
    return spec;
}

// An engine holding the pass as a decoded, complete NOAA 18 recording.
inline void FillCompletePass(TAPT& apt, const aptgen::PassSpec& spec, const QString& audioName = "pass.wav")
{
    apttest::FillLines(apt, spec);
    apt.SpacecraftModel = scNOAA18;
    apt.AudioFileName = audioName;
    apt.Flags = aptComplete | aptAudioFile;
    // What finishing a pass does: the telemetry frames are found and the
    // wedges flattened (no cache is written without a name).
    apt.SaveImage(2);
}

}  // namespace passfixture
