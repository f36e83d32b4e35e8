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
    length = 0;
    writePosition = 0;
    positionInInterval = 0;
    if (newSize <= 0 || newSize > (1 << 28))
        return;
    try
    {
        buffer.assign(static_cast<size_t>(newSize) + pieceLength + mirrored, 0.0f);
        size = newSize;
        length = newSize + pieceLength;
    }
    catch (const std::bad_alloc&)
    {
        // An absurd sample rate must not take the host down; the line then passes only the dry part.
    }
}

void ModulatedDelayLine::AllocateForSweep()
{
    // The sweep reaches half the depth beyond the centre, plus the added sample; the interpolation reads
    // one more.
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

float ModulatedDelayLine::Process(float x)
{
    float out = 0.0f;
    const float increment = lfoIncrement;
    ProcessBlock(&x, &out, 1, &increment);
    return out;
}

void ModulatedDelayLine::ProcessBlock(const float* in, float* out, int count, const float* increments)
{
    float* const outs[maxTaps] = {out};
    RunBlock(in, outs, 1, count, increments, FixedMix{wet, dry});
}

void ModulatedDelayLine::ProcessBlock(const float* in, float* out, int count, const float* increments,
                                      const float* wets)
{
    float* const outs[maxTaps] = {out};
    RunBlock(in, outs, 1, count, increments, MixPerSample{wets});
    if (count > 0)
        SetMix(wets[count - 1]);
}

void ModulatedDelayLine::ProcessTaps(const float* in, float* const* outs, int count, const float* increments)
{
    RunBlock(in, outs, numTaps, count, increments, FixedMix{wet, dry});
}

template <typename Mix>
void ModulatedDelayLine::RunBlock(const float* in, float* const* outs, int taps, int count,
                                  const float* increments, Mix mix)
{
    if (count <= 0)
        return;
    lfoIncrement = increments[count - 1];
    if (buffer.empty())
    {
        for (int tap = 0; tap < taps; ++tap)
            for (int k = 0; k < count; ++k)
                outs[tap][k] = in[k] * mix.Dry(k);
        return;
    }
    for (int first = 0; first < count; first += pieceLength)
    {
        float* pieceOuts[maxTaps];
        for (int tap = 0; tap < taps; ++tap)
            pieceOuts[tap] = outs[tap] + first;
        RunPiece(in + first, pieceOuts, taps, std::min(pieceLength, count - first), increments + first,
                 mix.From(first));
    }
}

template <typename Mix>
void ModulatedDelayLine::RunPiece(const float* in, float* const* outs, int taps, int count,
                                  const float* increments, Mix mix)
{
    // The piece is written first. That changes no read: every delay is at least one sample, so a read
    // within the piece only reaches samples written before it (or, at exactly one sample, weighs the
    // newer one by 0), and the buffer is a piece longer than the longest delay, so the piece overwrites
    // nothing a read still needs.
    WritePiece(in, count);
    const float* const samples = buffer.data();
    for (int k = 0; k < count;)
    {
        if (positionInInterval == 0)
            UpdateDelay();
        // Within the stretch the delays stand still, so each read moves on by one entry per sample and the
        // fractions stay what they were.
        const int run = std::min(count - k, delayUpdateInterval - positionInInterval);
        const int writeIndex = writePosition + k < length ? writePosition + k : writePosition + k - length;
        const float* const written = samples + writeIndex; // the input again, where no output can be
        for (int tap = 0; tap < taps; ++tap)
        {
            const auto [i, fraction] = DelayedReadPoint(writeIndex, currentDelays[tap]);
            const float* const read = samples + i;
            float* const out = outs[tap] + k;
            const Mix stretchMix = mix.From(k);
            for (int m = 0; m < run; ++m)
                out[m] = (read[m] + (read[m + 1] - read[m]) * fraction) * stretchMix.Wet(m) +
                         written[m] * stretchMix.Dry(m);
        }
        AdvanceLfo(increments + k, run);
        positionInInterval += run;
        if (positionInInterval == delayUpdateInterval)
            positionInInterval = 0;
        k += run;
    }
    writePosition += count;
    if (writePosition >= length)
        writePosition -= length;
}

void ModulatedDelayLine::WritePiece(const float* in, int count)
{
    float* const samples = buffer.data();
    // Written at the write position and on past the end into the repeated entries; what went past the
    // end is also the start of the buffer.
    std::copy(in, in + count, samples + writePosition);
    const int pastEnd = writePosition + count - length;
    if (pastEnd > 0)
        std::copy(samples + length, samples + length + pastEnd, samples);
    const int repeated = std::min(mirrored - writePosition, count);
    if (repeated > 0)
        std::copy(in, in + repeated, samples + length + writePosition);
}

void ModulatedDelayLine::AdvanceLfo(const float* increments, int count)
{
    float phase = lfoPhase;
    for (int m = 0; m < count; ++m)
    {
        phase += increments[m];
        if (phase >= 1.0f)
            phase -= 1.0f;
    }
    lfoPhase = phase;
}

void ModulatedDelayLine::SetTapPhaseOffsets(const float* cycles, int count)
{
    numTaps = std::clamp(count, 1, maxTaps);
    std::copy(cycles, cycles + numTaps, tapPhaseOffsets);
    for (int tap = 0; tap < numTaps; ++tap)
        tapTurns[tap] = SineCosineOf(tapPhaseOffsets[tap] * twoPiAsFloat);
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
    if (numTaps == 1)
        SetDelay(0, SineOf(tapPhaseOffsets[0] * twoPiAsFloat + lfoPhase * twoPiAsFloat));
    else
    {
        // The taps' sweeps are the one sweep turned by their offsets: one sine and cosine serve them all.
        const SineCosine sweep = SineCosineOf(lfoPhase * twoPiAsFloat);
        for (int tap = 0; tap < numTaps; ++tap)
            SetDelay(tap, sweep.sine * tapTurns[tap].cosine + sweep.cosine * tapTurns[tap].sine);
    }
}

void ModulatedDelayLine::SetDelay(int tap, double sweep)
{
    // The added sample keeps the shortest delay at one sample when the centre is half the depth.
    float delay = static_cast<float>(sweep * depth * 0.5 + centreDelay + 1.0);
    // Owners keep the delay in range; clamping here keeps every read inside the buffer whatever they pass
    // (NaN included).
    if (!(delay >= 1.0f))
        delay = 1.0f;
    if (delay > static_cast<float>(size))
        delay = static_cast<float>(size);
    currentDelays[tap] = delay;
}

} // namespace brumalux
