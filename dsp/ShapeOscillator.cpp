#include "dsp/ShapeOscillator.h"

#include <cmath>

namespace brumalux
{

void ShapeOscillator::SetFrequency(double hz)
{
    frequency = hz;
    Retune();
}

void ShapeOscillator::SetSampleRate(int newSampleRate)
{
    sampleRate = newSampleRate;
    Retune();
}

void ShapeOscillator::Retune()
{
    // A frequency of 0 gives an infinite cycle and an increment of 0: the phase holds.
    cycleLength = sampleRate / frequency;
    increment = 1.0 / cycleLength;
}

void ShapeOscillator::AdvancePhases(float* phases, int count)
{
    double runningPhase = phase;
    const double step = increment;
    for (int k = 0; k < count;)
    {
        // The samples before the phase can reach 1 need no test: rounding moves each sum by far less than
        // the margin of one step in a million plus two steps.
        const double clearSteps = (1.0 - runningPhase) / step * (1.0 - 1.0e-6) - 2.0;
        const int clear = clearSteps > static_cast<double>(count - k) ? count - k
                          : clearSteps > 0.0                          ? static_cast<int>(clearSteps)
                                                                      : 0;
        // Each phase of a clear stretch from its start, not from the one before: no chain from sample to
        // sample, so the compiler runs the stretch several phases at a time. The two ways round part by
        // rounding alone, a few parts in 1e16.
        const double stretchStart = runningPhase;
        for (int j = 0; j < clear; ++j)
            phases[k + j] = static_cast<float>(stretchStart + static_cast<double>(j) * step);
        runningPhase = stretchStart + static_cast<double>(clear) * step;
        k += clear;
        if (k == count)
            break;
        phases[k++] = static_cast<float>(runningPhase);
        runningPhase += step;
        if (runningPhase >= 1.0)
            runningPhase -= 1.0;
    }
    phase = runningPhase;
}

void ShapeOscillator::AddTicks(float* out, int count, float gain, float level)
{
    RunTicks(count, [out, gain, level](int k, float sample) { out[k] += sample * gain * level; });
}

void ShapeOscillator::TicksInto(float* out, int count)
{
    RunTicks(count, [out](int k, float sample) { out[k] = sample; });
}

double ShapeOscillator::WrapStrayPhase(double strayPhase)
{
    // Only a frequency at or above the sample rate, a negative one or a non-finite one gets here.
    if (!std::isfinite(strayPhase))
        return 0.0;
    const double wrapped = strayPhase - std::floor(strayPhase);
    return wrapped < 1.0 ? wrapped : 0.0;
}

} // namespace brumalux
