#pragma once

#include "dsp/TwoPi.h"

#include <benchmark/benchmark.h>

#include <cmath>
#include <vector>

namespace brumalux
{

// The baseline every benchmark here is compared against: a phase accumulator reading a
// one-cycle table with linear interpolation, nothing else.
class InterpolatedTableRead
{
public:
    explicit InterpolatedTableRead(double cyclesPerSample) : increment(cyclesPerSample), table(intervals + 1)
    {
        for (size_t i = 0; i < table.size(); ++i)
            table[i] = static_cast<float>(std::sin(twoPi * static_cast<double>(i) / intervals));
    }

    void ReadBlock(int numSamples)
    {
        for (int n = 0; n < numSamples; ++n)
        {
            const float x = static_cast<float>(intervals) * static_cast<float>(phase);
            const int i = static_cast<int>(x);
            benchmark::DoNotOptimize(table[i] + (table[i + 1] - table[i]) * (x - static_cast<float>(i)));
            phase += increment;
            if (phase >= 1.0)
                phase -= 1.0;
        }
    }

private:
    static constexpr int intervals = 881; // the table size at 44100 Hz
    const double increment;
    double phase = 0.0;
    std::vector<float> table;
};

} // namespace brumalux
