#include "engine/SwellPedal.h"

#include <algorithm>
#include <array>
#include <cmath>

namespace brumalux
{

float SwellPedal::GainAt(int position)
{
    static const auto gains = []
    {
        std::array<float, fullyOpen + 1> table{};
        for (int p = 0; p < fullyOpen; ++p)
            table[static_cast<size_t>(p)] = static_cast<float>(
                std::pow(10.0, floorDecibels * (1.0 - static_cast<double>(p) / fullyOpen) / 20.0));
        table[fullyOpen] = 1.0f; // exactly: the open pedal must not change a single sample
        return table;
    }();
    return gains[static_cast<size_t>(std::clamp(position, 0, fullyOpen))];
}

void SwellPedal::Prepare(float sampleRate)
{
    rampLength = std::max(1, static_cast<int>(sampleRate * rampSeconds));
    gain = target;
    remainingSteps = 0;
}

void SwellPedal::SetPosition(int position)
{
    target = GainAt(position);
    remainingSteps = target != gain ? rampLength : 0;
    step = (target - gain) / static_cast<float>(rampLength);
}

void SwellPedal::Reset()
{
    gain = target = 1.0f;
    remainingSteps = 0;
}

void SwellPedal::Process(float* mix, int numSamples)
{
    int i = 0;
    for (; i < numSamples && remainingSteps > 0; ++i)
    {
        // The ramp's last step lands on the target exactly, whatever the rounding on the way.
        gain = --remainingSteps > 0 ? gain + step : target;
        mix[i] *= gain;
    }
    if (gain == 1.0f)
        return;
    for (; i < numSamples; ++i)
        mix[i] *= gain;
}

} // namespace brumalux
