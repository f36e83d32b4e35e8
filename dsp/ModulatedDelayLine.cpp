#include "dsp/ModulatedDelayLine.h"

#include "dsp/SineCosine.h"
#include "dsp/TwoPi.h"

#include <algorithm>
#include <cmath>
#include <new>

namespace brumalux
{

void ModulatedDelayLine::Allocate(int newSize)
{
    buffer = std::vector<float>(); // free the old buffer before asking for the new one
    size = 0;
    writePosition = 0;
    positionInInterval = 0;
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

void ModulatedDelayLine::AllocateForSweep()
{
    // The sweep reaches half the depth beyond the centre, plus the added sample; the interpolation reads
    // one more, and the read comes before the write.
    const double longest = std::fabs(static_cast<double>(depth)) * 0.5 + centreDelay + 1.0;
    Allocate(longest < 1.0e8 ? static_cast<int>(std::ceil(longest)) + 2 : 0);
}

namespace
{
// The wet and dry gains of a stretch: the line's own, or one wet gain per sample with the dry part
// following it as SetMix sets it.
struct FixedMix
{
    float wet, dry;
    float Wet(int) const { return wet; }
    float Dry(int) const { return dry; }
    FixedMix From(int) const { return *this; }
};

struct MixPerSample
{
    const float* wets;
    float Wet(int k) const { return wets[k]; }
    float Dry(int k) const { return 1.0f - wets[k]; }
    MixPerSample From(int k) const { return {wets + k}; }
};
} // namespace

void ModulatedDelayLine::ProcessBlock(const float* in, float* out, int count, const float* increments)
{
    float* const outs[maxTaps] = {out};
    RunBlock(in, outs, count, increments, FixedMix{wet, dry});
}

void ModulatedDelayLine::ProcessBlock(const float* in, float* out, int count, const float* increments,
                                      const float* wets)
{
    float* const outs[maxTaps] = {out};
    RunBlock(in, outs, count, increments, MixPerSample{wets});
    if (count > 0)
        SetMix(wets[count - 1]);
}

void ModulatedDelayLine::ProcessTaps(const float* in, float* const* outs, int count, const float* increments)
{
    RunBlock(in, outs, count, increments, FixedMix{wet, dry});
}

template <typename Mix>
void ModulatedDelayLine::RunBlock(const float* in, float* const* outs, int count, const float* increments,
                                  Mix mix)
{
    if (count <= 0)
        return;
    lfoIncrement = increments[count - 1];
    if (buffer.empty())
    {
        for (int tap = 0; tap < numTaps; ++tap)
            for (int k = 0; k < count; ++k)
                outs[tap][k] = in[k] * mix.Dry(k);
        return;
    }
    for (int k = 0; k < count;)
    {
        if (positionInInterval == 0)
            UpdateDelay();
        const int run = std::min({count - k, delayUpdateInterval - positionInInterval, size - writePosition});
        float* stretchOuts[maxTaps];
        for (int tap = 0; tap < numTaps; ++tap)
            stretchOuts[tap] = outs[tap] + k;
        ProcessStretch(in + k, stretchOuts, run, increments + k, mix.From(k));
        k += run;
    }
}

template <typename Mix>
void ModulatedDelayLine::ProcessStretch(const float* in, float* const* outs, int run, const float* increments,
                                        Mix mix)
{
    // Within the stretch the delays stand still and the write position does not wrap, so each read index
    // moves on by one per sample (wrapping with the buffer) and the fractions stay what they were.
    ReadPoint points[maxTaps];
    // Locals, so that the stores to the outputs and the buffer need no reloads of the members.
    float* const samples = buffer.data();
    float* const write = samples + writePosition;
    const int length = size;
    const int taps = numTaps;
    // Reads clear of the buffer's end and of this stretch's writes can run in any order, and so in loops
    // the compiler vectorises; otherwise each read must see the writes before it.
    bool clearOfWrites = true;
    for (int tap = 0; tap < taps; ++tap)
    {
        points[tap] = DelayedReadPoint(currentDelays[tap]);
        const int i = points[tap].index;
        clearOfWrites =
            clearOfWrites && i + run < length && (i + run < writePosition || i >= writePosition + run);
    }
    if (clearOfWrites)
    {
        // The writes first: an output may be the input itself, and the written copy stands for it.
        for (int m = 0; m < run; ++m)
            write[m] = in[m];
        for (int tap = 0; tap < taps; ++tap)
        {
            const float* const read = samples + points[tap].index;
            const float fraction = points[tap].fraction;
            float* const out = outs[tap];
            for (int m = 0; m < run; ++m)
                out[m] = (read[m] + (read[m + 1] - read[m]) * fraction) * mix.Wet(m) + write[m] * mix.Dry(m);
        }
    }
    else
    {
        for (int m = 0; m < run; ++m)
        {
            const float x = in[m]; // read before any output is written: an output may be the input itself
            for (int tap = 0; tap < taps; ++tap)
            {
                auto& [i, fraction] = points[tap];
                const int j = i + 1 < length ? i + 1 : 0;
                outs[tap][m] =
                    (samples[i] + (samples[j] - samples[i]) * fraction) * mix.Wet(m) + x * mix.Dry(m);
                i = j;
            }
            write[m] = x;
        }
    }
    float phase = lfoPhase;
    for (int m = 0; m < run; ++m)
    {
        phase += increments[m];
        if (phase >= 1.0f)
            phase -= 1.0f;
    }
    lfoPhase = phase;
    writePosition += run;
    positionInInterval += run;
    if (positionInInterval == delayUpdateInterval)
        positionInInterval = 0;
    if (writePosition >= size)
        writePosition = 0;
}

void ModulatedDelayLine::SetTapPhaseOffsets(const float* cycles, int count)
{
    numTaps = std::clamp(count, 1, maxTaps);
    std::copy(cycles, cycles + numTaps, tapPhaseOffsets);
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
    for (int tap = 0; tap < numTaps; ++tap)
    {
        const double sweep = SineOf(tapPhaseOffsets[tap] * twoPiAsFloat + lfoPhase * twoPiAsFloat);
        // The added sample keeps the shortest delay at one sample when the centre is half the depth.
        float delay = static_cast<float>(sweep * depth * 0.5 + centreDelay + 1.0);
        // Owners keep the delay in range; clamping here keeps every read inside the buffer whatever they
        // pass (NaN included).
        if (!(delay >= 0.0f))
            delay = 0.0f;
        if (delay > static_cast<float>(size))
            delay = static_cast<float>(size);
        currentDelays[tap] = delay;
    }
}

} // namespace brumalux
