#include "dsp/ShapeOscillator.h"

#include <cmath>

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

void ShapeOscillator::AddTicks(float* out, int count, float gain, float level)
{
    // With the phase and its step inside [0, 1), one subtraction keeps the phase there and no stray phase
    // can arise; anything else, and a shape without a table, takes the general path.
    const bool inRange = phase >= 0.0 && phase < 1.0 && increment >= 0.0 && increment < 1.0;
    if (shape == nullptr || shape->Table().empty() || !inRange)
    {
        for (int k = 0; k < count; ++k)
            out[k] += Tick() * gain * level;
        return;
    }
    const float* table = shape->Table().data();
    const int intervals = shape->TableCount();
    double runningPhase = phase;
    for (int k = 0; k < count; ++k)
    {
        out[k] += OscillatorShape_Base::InterpolateCycle(table, intervals, static_cast<float>(runningPhase)) *
                  gain * level;
        runningPhase += increment;
        if (runningPhase >= 1.0)
            runningPhase -= 1.0;
    }
    phase = runningPhase;
}

double ShapeOscillator::WrapStrayPhase(double strayPhase)
{
    // Only a frequency at or above the sample rate, a negative one or a non-finite one gets here.
    if (!std::isfinite(strayPhase))
        return 0.0;
    const double wrapped = strayPhase - std::floor(strayPhase);
    return wrapped < 1.0 ? wrapped : 0.0;
}
