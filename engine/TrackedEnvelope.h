#pragma once

#include "dsp/DSPModule_ADSR.h"

#include <algorithm>
#include <cstdint>

// An ADSR envelope that also knows from which sample index on its level can no longer change (until it is
// configured or released again). A voice in its sustain, or one whose release has ended, then takes the
// level once per block instead of asking for it at every sample; the samples come out the same. Audio
// thread only, like the envelope it wraps.
class TrackedEnvelope
{
public:
    void Configure(int attackSamples, int decaySamples, float sustainLevel, int releaseSamples)
    {
        envelope.Configure(attackSamples, decaySamples, sustainLevel, releaseSamples);
        attackLength = attackSamples;
        decayLength = decaySamples;
        releaseLength = releaseSamples;
        released = false;
    }

    void SetReleaseSamples(int samples)
    {
        envelope.SetReleaseSamples(samples);
        releaseLength = samples;
    }

    void SetDecayKnee(float knee) { envelope.SetDecayKnee(knee); }

    void ReleaseAt(int sampleIndex)
    {
        envelope.ReleaseAt(sampleIndex);
        releaseStart = sampleIndex;
        released = true;
    }

    float LevelAt(int sampleIndex) { return envelope.LevelAt(sampleIndex); }

    // Every index at or after this one gives the same level: once released, the end of the release ramp
    // (level 0); before, the end of attack and decay (the sustain).
    int64_t SteadyFrom() const
    {
        if (released)
            return static_cast<int64_t>(releaseStart) + releaseLength;
        return std::max<int64_t>(attackLength, static_cast<int64_t>(attackLength) + decayLength);
    }

private:
    DSPModule_ADSR envelope;
    // The module's own defaults until the first Configure.
    int attackLength = 2000;
    int decayLength = 5000;
    int releaseLength = 20000;
    int releaseStart = 0;
    bool released = false;
};
