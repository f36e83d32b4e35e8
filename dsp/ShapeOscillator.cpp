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
