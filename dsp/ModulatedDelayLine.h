#pragma once

#include "dsp/SineCosine.h"

#include <vector>

namespace brumalux
{

// A circular delay read at a fractional delay that a built-in sine sweeps around a centre, mixed with the
// dry input. Delays and depths are in samples, the sweep rate in cycles per sample, phases in cycles.
// Up to maxTaps taps read the one buffer, each at its own place in the sweep, so that several swept
// delays of the same signal share one buffer and one write.
// Allocate runs in the prepare step (it is the only call that allocates); everything else runs on the
// audio thread.
class ModulatedDelayLine
{
public:
    static constexpr int maxTaps = 3;

    // Discards the old contents and starts over at position 0; the sweep phase carries on. A size of 0 or
    // less, or one that cannot be allocated, leaves the line without a buffer.
    void Allocate(int size);
    // Allocate with room for the longest delay the sweep reaches with the depth and centre set now.
    void AllocateForSweep();
    bool HasBuffer() const { return !buffer.empty(); }
    int Size() const { return size; }

    void SetMix(float wet);
    // Peak-to-peak sweep. A line whose centre is still 0 centres itself at half the depth.
    void SetDepth(float samples);
    void SetCentreDelay(float samples) { centreDelay = samples; }
    void SetRate(float cyclesPerSample) { lfoIncrement = cyclesPerSample; }
    float Rate() const { return lfoIncrement; }
    // One tap, at this place in the sweep.
    void SetLfoPhaseOffset(float cycles) { SetTapPhaseOffsets(&cycles, 1); }
    // numTaps taps (1 to maxTaps), at these places in the sweep.
    void SetTapPhaseOffsets(const float* cycles, int numTaps);

    // The delay follows the sweep in steps every 10 samples and stays within 1 to the buffer size. Without
    // a buffer only the dry part passes.
    float Process(float x);
    // Process over a run of samples, the sweep rate set to increments[k] before sample k; the delay is
    // read in stretches between its updates, where it stands still. Gives what the single calls give.
    void ProcessBlock(const float* in, float* out, int count, const float* increments);
    // The same with the wet part set to wets[k] before sample k, as SetMix sets it, and left at the last.
    void ProcessBlock(const float* in, float* out, int count, const float* increments, const float* wets);
    // ProcessBlock for every tap: tap t's samples go to outs[t].
    void ProcessTaps(const float* in, float* const* outs, int count, const float* increments);

private:
    static constexpr int delayUpdateInterval = 10;
    // Samples written at once before the taps read them. The buffer holds this many more than its size,
    // so that no write of a piece replaces a sample a read of the piece still needs, and repeats its
    // first pieceLength + 2 entries past its end, so that every stretch reads in one straight run.
    static constexpr int pieceLength = 64;
    static constexpr int mirrored = pieceLength + 2;

    void UpdateDelay();
    // The tap's delay for a sweep value from -1 to 1.
    void SetDelay(int tap, double sweep);
    // Runs the first taps taps, tap t into outs[t].
    template <typename Mix>
    void RunBlock(const float* in, float* const* outs, int taps, int count, const float* increments, Mix mix);
    template <typename Mix>
    void RunPiece(const float* in, float* const* outs, int taps, int count, const float* increments, Mix mix);
    void WritePiece(const float* in, int count);
    // Where the delayed sample lies for the sample written at writeIndex: the buffer entry before it and
    // the fraction towards the next.
    struct ReadPoint
    {
        int index;
        float fraction;
    };
    ReadPoint DelayedReadPoint(int writeIndex, float delay) const;
    void AdvanceLfo(const float* increments, int count);

    float wet = 1.0f;
    float dry = 0.0f;
    int numTaps = 1;
    float currentDelays[maxTaps] = {50.0f, 50.0f, 50.0f};
    int writePosition = 0;
    // Samples since the last delay update. It runs on across the buffer's wrap, so that the sweep's steps
    // keep their pace whatever the buffer's size.
    int positionInInterval = 0;
    std::vector<float> buffer;
    int length = 0; // the positions the write goes round: size + pieceLength
    int size = 0;
    float depth = 0.0f;
    float centreDelay = 0.0f;
    float tapPhaseOffsets[maxTaps] = {};
    SineCosine tapTurns[maxTaps] = {{0.0, 1.0}, {0.0, 1.0}, {0.0, 1.0}}; // of the offsets, for several taps
    float lfoPhase = 0.0f;
    float lfoIncrement = 0.0f;
};

inline ModulatedDelayLine::ReadPoint ModulatedDelayLine::DelayedReadPoint(int writeIndex, float delay) const
{
    // In double, where the difference is exact: its fraction is then that of the delay alone, whatever
    // the write position and the size.
    double readPosition = writeIndex - static_cast<double>(delay);
    if (readPosition < 0.0)
        readPosition += length;
    int i = static_cast<int>(readPosition);
    if (i >= length)
        i = length - 1;
    return {i, static_cast<float>(readPosition - i)};
}

} // namespace brumalux
