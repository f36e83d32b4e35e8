#include "dsp/ModulatedDelayLine.h"

#include <cmath>
#include <new>

namespace
{
constexpr double twoPiSingle = 6.2831854820251465; // 2 pi as a float
constexpr int delayUpdateInterval = 10;
} // namespace

void ModulatedDelayLine::Allocate(int newSize)
{
    buffer = std::vector<float>(); // free the old buffer before asking for the new one
    size = 0;
    writePosition = 0;
    if (newSize <= 0)
        return;
    try
    {
        buffer.assign(static_cast<size_t>(newSize), 0.0f);
        size = newSize;
    }
    catch (const std::bad_alloc&)
    {
        // An absurd sample rate must not take the host down; the line then passes only the dry part.
    }
}

void ModulatedDelayLine::SetMix(float newWet)
{
    wet = newWet;
    dry = 1.0f - newWet;
}

void ModulatedDelayLine::SetDepth(float samples)
{
    depth = samples;
    if (centreDelay == 0.0f)
        centreDelay = depth * 0.5f;
}

void ModulatedDelayLine::UpdateDelay()
{
    const double sweep = std::sin(lfoPhaseOffset * twoPiSingle + lfoPhase * twoPiSingle);
    // The added sample keeps the shortest delay at one sample when the centre is half the depth.
    currentDelay = static_cast<float>(sweep * depth * 0.5 + centreDelay + 1.0);
    // Owners keep the delay in range; clamping here keeps every read inside the buffer whatever they pass
    // (NaN included).
    if (!(currentDelay >= 0.0f))
        currentDelay = 0.0f;
    if (currentDelay > static_cast<float>(size))
        currentDelay = static_cast<float>(size);
}

float ModulatedDelayLine::ReadDelayed() const
{
    // In double: a float loses the fraction of the delay once the write position passes a few hundred
    // thousand samples.
    double readPosition = writePosition - static_cast<double>(currentDelay);
    if (readPosition < 0.0)
        readPosition += size;
    int i = static_cast<int>(readPosition);
    if (i >= size)
        i = size - 1;
    const int j = i + 1 < size ? i + 1 : 0;
    const auto fraction = static_cast<float>(readPosition - i);
    return buffer[i] + (buffer[j] - buffer[i]) * fraction;
}

float ModulatedDelayLine::Process(float x)
{
    if (buffer.empty())
        return x * dry;
    if (writePosition % delayUpdateInterval == 0)
        UpdateDelay();
    const float out = ReadDelayed() * wet + x * dry;
    buffer[writePosition] = x; // after the read: a delay of the full size reads what this write replaces
    if (++writePosition >= size)
        writePosition = 0;
    lfoPhase += lfoIncrement;
    if (lfoPhase >= 1.0f)
        lfoPhase -= 1.0f;
    return out;
}
