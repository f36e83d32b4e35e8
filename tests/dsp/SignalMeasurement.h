#pragma once

#include "dsp/TwoPi.h"

#include <cmath>
#include <functional>
#include <vector>

namespace brumalux
{

// Measurements shared by the DSP tests: levels of sines through a system, and single DFT bins.
namespace dsptest
{
// Amplitude of the component that completes `cycles` whole cycles over the window (one DFT bin).
inline double PartialAmplitude(const std::vector<double>& window, double cycles)
{
    double re = 0.0, im = 0.0;
    const double n = static_cast<double>(window.size());
    for (size_t k = 0; k < window.size(); ++k)
    {
        re += window[k] * std::cos(twoPi * cycles * k / n);
        im += window[k] * std::sin(twoPi * cycles * k / n);
    }
    return 2.0 * std::hypot(re, im) / n;
}

// Gain in dB of a one-sample-in, one-sample-out system for a unit sine at f cycles per sample, from the
// output RMS once the start-up transient has died away.
inline double SineGainDb(const std::function<double(float)>& process, double f)
{
    constexpr int settle = 20000, measure = 200000;
    double outputEnergy = 0.0, inputEnergy = 0.0;
    for (int n = 0; n < settle + measure; ++n)
    {
        const double x = std::sin(twoPi * f * n);
        const double y = process(static_cast<float>(x));
        if (n >= settle)
        {
            outputEnergy += y * y;
            inputEnergy += x * x;
        }
    }
    return 10.0 * std::log10(outputEnergy / inputEnergy);
}

inline double DbFromGain(double gain)
{
    return 20.0 * std::log10(gain);
}
} // namespace dsptest

} // namespace brumalux
