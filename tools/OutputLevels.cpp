#include "tools/OutputLevels.h"

#include <cmath>
#include <limits>

namespace brumalux::render
{
void OutputLevels::Add(const std::vector<float*>& channels, int numSamples)
{
    for (const float* channel : channels)
        for (int i = 0; i < numSamples; ++i)
        {
            const double value = channel[i];
            peak = std::max(peak, std::abs(value));
            sumOfSquares += value * value;
        }
    valueCount += static_cast<int64_t>(channels.size()) * numSamples;
}

double OutputLevels::Rms() const
{
    return valueCount == 0 ? 0.0 : std::sqrt(sumOfSquares / static_cast<double>(valueCount));
}

double OutputLevels::Decibels(double level)
{
    return level > 0.0 ? 20.0 * std::log10(level) : -std::numeric_limits<double>::infinity();
}
} // namespace brumalux::render
