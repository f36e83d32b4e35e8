#pragma once

#include <cmath>
#include <vector>

namespace brumalux
{

// One periodic waveform, evaluated exactly by ComputeSample and read cheaply from a one-cycle wavetable
// that SetSampleRate sizes and fills. Phases are in cycles. Audio thread only, apart from SharedSineTable.
class OscillatorShape_Base
{
public:
    virtual ~OscillatorShape_Base() = default;

    // Sizes the table for about one interval per sample of a 50 Hz cycle and fills it. Allocates, so it
    // belongs in the prepare step. Rates below 51 Hz leave no table; reads then fall back to ComputeSample.
    virtual void SetSampleRate(int sampleRate);

    // The exact value of the wave; any phase, including 1 and above.
    virtual float ComputeSample(float phase);
    // What ComputeSample does to the shape's state, without the value: a shape that draws noise draws it
    // here too, so a caller that needs no value (a silent partial) leaves every later sample as it was.
    virtual void SkipSample(float phase) { ComputeSample(phase); }

    void FillTable();

    // Any phase, reduced to one cycle and read from the table with linear interpolation.
    float ReadSample(float phase) { return ReadCyclePhase(ReducePhase(phase)); }

    // A phase already inside [0, 1), as ShapeOscillator keeps it. Anything else (a phase that rounded up
    // to 1, NaN) is read as 0, so no caller can index past the table.
    float ReadCyclePhase(float phase)
    {
        if (!table.empty())
            return InterpolateCycle(table.data(), count, phase);
        return ComputeSample(phase >= 0.0f && phase < 1.0f ? phase : 0.0f);
    }

    // The table read for a phase in [0, 1), which any other phase (one that rounded up to 1, NaN) stands
    // for phase 0. The table has intervals + 1 entries.
    static float InterpolateCycle(const float* table, int intervals, float phase)
    {
        // Written without branches, so that a loop of reads vectorises.
        const bool inCycle = (phase >= 0.0f) & (phase < 1.0f);
        const float x = static_cast<float>(intervals) * (inCycle ? phase : 0.0f);
        const int truncated = static_cast<int>(x);
        // Cannot exceed the last interval for a phase below 1, but the table must never be overrun.
        const int i = truncated < intervals ? truncated : intervals - 1;
        return table[i] + (table[i + 1] - table[i]) * (x - static_cast<float>(i));
    }

    // phase - trunc(phase), moved up by 1 when negative. Rounding can make it exactly 1 and an infinite
    // phase makes it NaN; ReadCyclePhase reads both as 0.
    static float ReducePhase(float phase)
    {
        const float reduced = phase - std::trunc(phase);
        return reduced < 0.0f ? reduced + 1.0f : reduced;
    }

    int SampleRate() const { return sampleRate; }
    int TableCount() const { return count; }
    const std::vector<float>& Table() const { return table; }

private:
    int sampleRate = 0;
    std::vector<float> table; // count + 1 entries; the last repeats phase 0 so interpolation wraps
    int count = 0;
};

} // namespace brumalux
