#include "dsp/ModulatedDelayLine.h"

#include "dsp/TwoPi.h"

#include <cmath>
#include <new>

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
    const double sweep = std::sin(lfoPhaseOffset * twoPiAsFloat + lfoPhase * twoPiAsFloat);
    // The added sample keeps the shortest delay at one sample when the centre is half the depth.
    currentDelay = static_cast<float>(sweep * depth * 0.5 + centreDelay + 1.0);
    // Owners keep the delay in range; clamping here keeps every read inside the buffer whatever they pass
    // (NaN included).
    if (!(currentDelay >= 0.0f))
        currentDelay = 0.0f;
    if (currentDelay > static_cast<float>(size))
        currentDelay = static_cast<float>(size);
}
