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
    RunBlock(in, out, count, increments, FixedMix{wet, dry});
}

void ModulatedDelayLine::ProcessBlock(const float* in, float* out, int count, const float* increments,
                                      const float* wets)
{
    RunBlock(in, out, count, increments, MixPerSample{wets});
    if (count > 0)
        SetMix(wets[count - 1]);
}

template <typename Mix>
void ModulatedDelayLine::RunBlock(const float* in, float* out, int count, const float* increments, Mix mix)
{
    if (count <= 0)
        return;
    lfoIncrement = increments[count - 1];
    if (buffer.empty())
    {
        for (int k = 0; k < count; ++k)
            out[k] = in[k] * mix.Dry(k);
        return;
    }
    for (int k = 0; k < count;)
    {
        if (positionInInterval == 0)
            UpdateDelay();
        const int run = std::min({count - k, delayUpdateInterval - positionInInterval, size - writePosition});
        ProcessStretch(in + k, out + k, run, increments + k, mix.From(k));
        k += run;
    }
}

template <typename Mix>
void ModulatedDelayLine::ProcessStretch(const float* in, float* out, int run, const float* increments,
                                        Mix mix)
{
    // Within the stretch the delay stands still and the write position does not wrap, so the read index
    // moves on by one per sample (wrapping with the buffer) and the fraction stays what it was.
    auto [i, fraction] = DelayedReadPoint();
    // Locals, so that the stores to out and the buffer need no reloads of the members.
    float* const samples = buffer.data();
    float* const write = samples + writePosition;
    const int length = size;
    // Reads clear of the buffer's end and of this stretch's writes can run in any order, and so in a
    // loop the compiler vectorises; otherwise each read must see the writes before it.
    const bool clearOfWrites = i + run < writePosition || i >= writePosition + run;
    if (i + run < length && clearOfWrites)
    {
        // The writes first: out may be in itself.
        for (int m = 0; m < run; ++m)
            write[m] = in[m];
        const float* const read = samples + i;
        for (int m = 0; m < run; ++m)
            out[m] = (read[m] + (read[m + 1] - read[m]) * fraction) * mix.Wet(m) + in[m] * mix.Dry(m);
    }
    else
    {
        for (int m = 0; m < run; ++m)
        {
            const int j = i + 1 < length ? i + 1 : 0;
            const float x = in[m]; // read before out is written: out may be in itself
            out[m] = (samples[i] + (samples[j] - samples[i]) * fraction) * mix.Wet(m) + x * mix.Dry(m);
            write[m] = x;
            i = j;
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
    {
        writePosition = 0;
        positionInInterval = 0;
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
    const double sweep = SineOf(lfoPhaseOffset * twoPiAsFloat + lfoPhase * twoPiAsFloat);
    // The added sample keeps the shortest delay at one sample when the centre is half the depth.
    currentDelay = static_cast<float>(sweep * depth * 0.5 + centreDelay + 1.0);
    // Owners keep the delay in range; clamping here keeps every read inside the buffer whatever they pass
    // (NaN included).
    if (!(currentDelay >= 0.0f))
        currentDelay = 0.0f;
    if (currentDelay > static_cast<float>(size))
        currentDelay = static_cast<float>(size);
}

} // namespace brumalux
