#pragma once

#include "dsp/SineCosine.h"
#include "dsp/TwoPi.h"

#include <cmath>

namespace brumalux
{

// The resonant low-pass of the Audio EQ Cookbook for a cutoff that moves at every sample by a tiny step,
// as a slowly drifting tone control moves it. The full design (sine, cosine and two divisions) is
// evaluated only at the centres of fixed cells of the cutoff; within a cell, the three normalised
// coefficients follow the cutoff along their slopes at its centre. The error of that first-order step is
// below maxStep^2 in each coefficient, far below anything audible; and as the cells are fixed, the
// coefficients depend on the cutoff and Q alone, never on the way there, so two organs given the same
// settings play the same samples. Audio thread of the owner only.
class SweptLowPass
{
public:
    // radians per sample from a cell's centre to its edges
    static constexpr double maxStep = 2.0e-5;

    // For the runs to come; above 0.
    void SetQ(float newQ)
    {
        if (newQ != q)
        {
            q = newQ;
            cellStart = cellEnd = NAN; // the next Tune designs anew
        }
    }

    // cyclesPerSample above 1 is taken as 1.
    void Tune(float cyclesPerSample)
    {
        const double omega =
            static_cast<double>(cyclesPerSample > 1.0f ? 1.0f : cyclesPerSample) * twoPiAsFloat;
        // A first call, a new Q and an omega that has no cell fail the test too: their bounds are NaN.
        if (!(omega >= cellStart && omega < cellEnd))
            Design(omega);
        const double step = omega - designOmega;
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
    // The cell holding omega: cellStart <= omega < cellEnd, its bounds whole multiples of the cell width.
    void FindCell(double omega)
    {
        if (!(omega >= 0.0)) // below 0 or NaN: no cell, designed at omega itself at every sample
        {
            cellStart = cellEnd = NAN;
            designOmega = omega;
            return;
        }
        constexpr double width = 2.0 * maxStep;
        double cell = std::floor(omega * (1.0 / width));
        // The product may round across a bound; the bounds themselves decide.
        while (omega < cell * width)
            cell -= 1.0;
        while (omega >= (cell + 1.0) * width)
            cell += 1.0;
        cellStart = cell * width;
        cellEnd = (cell + 1.0) * width;
        designOmega = (cell + 0.5) * width;
    }

    // The coefficients at the centre of omega's cell, divided by a0, and their derivatives there.
    void Design(double omega)
    {
        FindCell(omega);
        const SineCosine angle = SineCosineOf(designOmega);
        const double alpha = angle.sine / (2.0 * q);
        const double alphaSlope = angle.cosine / (2.0 * q);
        const double inverseA0 = 1.0 / (1.0 + alpha);
        designGain = (1.0 - angle.cosine) * 0.5 * inverseA0;
        designFeedback1 = -2.0 * angle.cosine * inverseA0;
        designFeedback2 = (1.0 - alpha) * inverseA0;
        const double inverseA0Squared = inverseA0 * inverseA0;
        gainSlope = (angle.sine * (1.0 + alpha) - (1.0 - angle.cosine) * alphaSlope) * 0.5 * inverseA0Squared;
        feedback1Slope = 2.0 * (angle.sine * (1.0 + alpha) + angle.cosine * alphaSlope) * inverseA0Squared;
        feedback2Slope = -2.0 * alphaSlope * inverseA0Squared;
    }

    double gain = 0.0, feedback1 = 0.0, feedback2 = 0.0; // b0 (b1 = 2 b0, b2 = b0), a1 and a2, over a0
    double cellStart = NAN, cellEnd = NAN;
    double designOmega = 0.0, designGain = 0.0, designFeedback1 = 0.0, designFeedback2 = 0.0;
    double gainSlope = 0.0, feedback1Slope = 0.0, feedback2Slope = 0.0;
    float q = 1.0f;
    double x1 = 0.0, x2 = 0.0, y1 = 0.0, y2 = 0.0;
};

} // namespace brumalux
