#pragma once

#include "dsp/SineCosine.h"
#include "dsp/TwoPi.h"

#include <cmath>

namespace brumalux
{

// The resonant low-pass of the Audio EQ Cookbook for a cutoff that moves at every sample by a tiny step,
// as a slowly drifting tone control moves it. The full design (sine, cosine and two divisions) is
// evaluated only when the cutoff or Q has moved away from the last design point; in between, the three
// normalised coefficients follow the cutoff along their slopes at that point. The error of that first-
// order step is below maxStep^2 in each coefficient, far below anything audible. Audio thread of the
// owner only.
class SweptLowPass
{
public:
    // radians per sample the cutoff may move before the design is evaluated anew
    static constexpr double maxStep = 2.0e-5;

    // cyclesPerSample above 1 is taken as 1; Q above 0.
    void Tune(float cyclesPerSample, float q)
    {
        const double omega =
            static_cast<double>(cyclesPerSample > 1.0f ? 1.0f : cyclesPerSample) * twoPiAsFloat;
        const double step = omega - designOmega;
        if (!(std::fabs(step) <= maxStep) || q != designQ) // NaN too: the first call
        {
            Design(omega, q);
            return;
        }
        gain = designGain + gainSlope * step;
        feedback1 = designFeedback1 + feedback1Slope * step;
        feedback2 = designFeedback2 + feedback2Slope * step;
    }

    double Process(float x)
    {
        const double y = gain * (x + 2.0 * x1 + x2) - feedback1 * y1 - feedback2 * y2;
        x2 = x1;
        x1 = x;
        y2 = y1;
        y1 = y;
        return y;
    }

private:
    // The coefficients at omega, divided by a0, and their derivatives in omega.
    void Design(double omega, float q)
    {
        designOmega = omega;
        designQ = q;
        const SineCosine angle = SineCosineOf(omega);
        const double alpha = angle.sine / (2.0 * q);
        const double alphaSlope = angle.cosine / (2.0 * q);
        const double inverseA0 = 1.0 / (1.0 + alpha);
        gain = designGain = (1.0 - angle.cosine) * 0.5 * inverseA0;
        feedback1 = designFeedback1 = -2.0 * angle.cosine * inverseA0;
        feedback2 = designFeedback2 = (1.0 - alpha) * inverseA0;
        const double inverseA0Squared = inverseA0 * inverseA0;
        gainSlope = (angle.sine * (1.0 + alpha) - (1.0 - angle.cosine) * alphaSlope) * 0.5 * inverseA0Squared;
        feedback1Slope = 2.0 * (angle.sine * (1.0 + alpha) + angle.cosine * alphaSlope) * inverseA0Squared;
        feedback2Slope = -2.0 * alphaSlope * inverseA0Squared;
    }

    double gain = 0.0, feedback1 = 0.0, feedback2 = 0.0; // b0 (b1 = 2 b0, b2 = b0), a1 and a2, over a0
    double designOmega = NAN, designGain = 0.0, designFeedback1 = 0.0, designFeedback2 = 0.0;
    double gainSlope = 0.0, feedback1Slope = 0.0, feedback2Slope = 0.0;
    float designQ = NAN;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
};

} // namespace brumalux
