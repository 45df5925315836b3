#pragma once
// Decoded passes with known content for the view tests: channel A a ramp of
// grey across the video, channel B the NOAA 18 channel 4 values of a scene
// from 230 K on the left to 300 K on the right, with the telemetry that the
// calibration reads. Made from the APT tests' signal generator.
#include "AptSignalGenerator.h"
#include "AptTestHelpers.h"
#include "apt/APT.h"

#include <cmath>

namespace passfixture {

// The receiver's bend of the grey scale that calibration has to undo.
inline double Gain(double v) { return 6 + 0.8 * v + 0.0004 * v * v; }

// NOAA 18 channel 4 calibration run forwards: a scene temperature to the
// calibrated 8-bit APT value.
struct Noaa18Channel4 {
    const double c1 = 1.1910427e-05, c2 = 1.4387752;
    const double v = 928.146, a = 0.436645, b = 0.998607;
    const double ns = -5.53, b0 = 5.82, b1 = -0.11069, b2 = 0.00052337;
    const double prt[4][3] = {{276.601, 0.0509, 1.657e-06}, {276.683, 0.05101, 1.482e-06},
                              {276.565, 0.05117, 1.313e-06}, {276.615, 0.05103, 1.484e-06}};
    double spaceCount, blackbodyCount, blackbodyRadiance;

    Noaa18Channel4(double prtWedge, double backScanWedge, double spaceWedge)
        : spaceCount(spaceWedge * 4), blackbodyCount(backScanWedge * 4)
    {
        double sum = 0;
        for (const auto& d : prt)
            sum += d[0] + d[1] * prtWedge * 4 + d[2] * prtWedge * 4 * prtWedge * 4;
        blackbodyRadiance = Planck(a + b * sum / 4);
    }
    double Planck(double kelvin) const { return c1 * v * v * v / (std::exp(c2 * v / kelvin) - 1); }
    double ValueOf(double kelvin) const
    {
        const double measured = Planck(a + b * kelvin);
        const double p = 1 + b1, q = b0 - measured;
        const double linear = (-p + std::sqrt(p * p - 4 * b2 * q)) / (2 * b2);
        const double count = spaceCount - (linear - ns) * (spaceCount - blackbodyCount) / (blackbodyRadiance - ns);
        return count / 4;
    }
};

// Scene temperature of a channel B video word (0..908).
inline double SceneKelvin(int word) { return 230 + 70.0 * word / 908; }
// Channel A video word (0..908): a grey ramp from 20 to 240.
inline double SceneGreyA(int word) { return 20 + 220.0 * word / 908; }

inline aptgen::PassSpec CalibratedPass(int lines)
{
    aptgen::PassSpec spec;
    spec.lines = lines;
    spec.frameOffset = 37;
    spec.gain = Gain;
    static const Noaa18Channel4 thermal(spec.prtWedges[0], spec.backScanB, spec.spaceB);
    spec.videoA = [](int, int w) { return SceneGreyA(w); };
    spec.videoB = [](int, int w) { return thermal.ValueOf(SceneKelvin(w)); };
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
