#pragma once
// The carrier loop's local oscillator: the cosine and sine of a phase that
// moves by a slightly different step every sample. A unit phasor turned by
// each step costs a few multiplies where std::sin and std::cos cost two
// library calls a sample; the turn is the fixed turn of the centre step times
// a short series in the small deviation from it. The phasor is taken afresh
// from the phase every kResyncSteps steps, so rounding never builds up: it
// stays within about 1e-13 of the exact values over any length of signal.
#include <cmath>

namespace apt {

class CarrierOscillator {
public:
    static constexpr int kResyncSteps = 256;

    // centreStep: the step (cycles) around which steps stay within
    // kSeriesLimit radians; a larger deviation is turned exactly.
    explicit CarrierOscillator(double centreStep)
        : centreStep_(centreStep), centreCos_(std::cos(2 * M_PI * centreStep)),
          centreSin_(std::sin(2 * M_PI * centreStep))
    {
        Reset(0);
    }

    // Sets the phase (radians) exactly.
    void Reset(double phase)
    {
        phase_ = phase;
        cos_ = std::cos(phase);
        sin_ = std::sin(phase);
        sinceResync_ = 0;
    }

    double Phase() const { return phase_; }
    double Cos() const { return cos_; }
    double Sin() const { return sin_; }

    // Turns the phasor by step cycles; newPhase is the caller's own phase
    // after that step (radians, any wrapping), the value it is checked against.
    void Advance(double step, double newPhase) { Turn(2 * M_PI * (step - centreStep_), newPhase); }

    // Turns the phasor by the centre step plus d radians, d worked out by the
    // caller: the carrier loop derives it from its phase error directly.
    void Turn(double d, double newPhase)
    {
        if (++sinceResync_ == kResyncSteps) {
            Reset(newPhase);
            return;
        }
        phase_ = newPhase;
        // The turn by the centre step does not depend on this step: it is done
        // while the caller is still working the step out.
        const double cc = cos_ * centreCos_ - sin_ * centreSin_;
        const double cs = sin_ * centreCos_ + cos_ * centreSin_;
        double dc, ds;  // cos and sin of d
        if (std::fabs(d) < kSeriesLimit) {
            // Taylor series, its terms grouped by powers of d^4 so that they are
            // summed side by side; the first omitted terms are below 3e-17 here.
            const double d2 = d * d;
            const double d4 = d2 * d2;
            dc = (1 - d2 * (1.0 / 2)) + d4 * ((1.0 / 24 - d2 * (1.0 / 720)) + d4 * (1.0 / 40320));
            ds = d * ((1 - d2 * (1.0 / 6)) + d4 * ((1.0 / 120 - d2 * (1.0 / 5040)) + d4 * (1.0 / 362880)));
        } else {
            dc = std::cos(d);
            ds = std::sin(d);
        }
        cos_ = cc * dc - cs * ds;
        sin_ = cs * dc + cc * ds;
    }

private:
    static constexpr double kSeriesLimit = 0.1;

    double centreStep_;
    double centreCos_, centreSin_;
    double phase_ = 0;
    double cos_ = 1, sin_ = 0;
    int sinceResync_ = 0;
};

}  // namespace apt
