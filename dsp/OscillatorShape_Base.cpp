#include "dsp/OscillatorShape_Base.h"

#include <cmath>

namespace brumalux
{

namespace
{
// The 0.02 is a float on purpose and the product is taken in double: 44 100 Hz gives 881 intervals, not 882.
int TableIntervalsFor(int sampleRate)
{
    const double intervals = static_cast<double>(sampleRate) * static_cast<double>(0.02f);
    return intervals >= 1.0 ? static_cast<int>(intervals) : 0;
}
} // namespace

void OscillatorShape_Base::SetSampleRate(int newSampleRate)
{
    if (newSampleRate == sampleRate && !table.empty())
        return;
    sampleRate = newSampleRate;
    count = TableIntervalsFor(newSampleRate);
    table = std::vector<float>(); // release the old table before the new one is allocated
    if (count > 0)
        table.resize(static_cast<size_t>(count) + 1);
    FillTable();
}

float OscillatorShape_Base::ComputeSample(float)
{
    return 0.0f;
}

void OscillatorShape_Base::FillTable()
{
    if (sampleRate == 0 || table.empty())
        return;
    // The phase steps in single precision, as the table has always been filled.
    const float step = 1.0f / static_cast<float>(count);
    float phase = 0.0f;
    for (int i = 0; i < count; ++i)
    {
        table[i] = ComputeSample(phase);
        phase += step;
    }
    table[count] = ComputeSample(0.0f);
}

} // namespace brumalux
