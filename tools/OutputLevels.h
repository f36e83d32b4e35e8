#pragma once

#include <cstdint>
#include <vector>

namespace brumalux::render
{
// Peak and RMS of everything rendered, over all channels, for the report at the end.
class OutputLevels
{
public:
    void Add(const std::vector<float*>& channels, int numSamples);

    double Peak() const { return peak; }
    double Rms() const;
    // Full scale is 0 dBFS; silence is minus infinity.
    static double Decibels(double level);

private:
    double peak = 0.0;
    double sumOfSquares = 0.0;
    int64_t valueCount = 0;
};
} // namespace brumalux::render
