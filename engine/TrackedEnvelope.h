#pragma once

#include "dsp/DSPModule_ADSR.h"

#include <algorithm>
#include <cstdint>

namespace brumalux
{

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
    }
    void SetReleaseSamples(int samples) { envelope.SetReleaseSamples(samples); }
    void SetDecayKnee(float knee) { envelope.SetDecayKnee(knee); }
    void ReleaseAt(int sampleIndex) { envelope.ReleaseAt(sampleIndex); }
    float LevelAt(int sampleIndex) { return envelope.LevelAt(sampleIndex); }
    void LevelsInto(float* out, int firstIndex, int count) const
    {
        envelope.LevelsInto(out, firstIndex, count);
    }

    // Every index at or after this one gives the same level: once released, the end of the release ramp
    // (level 0); before, the end of attack and decay (the sustain).
    int64_t SteadyFrom() const
    {
        if (envelope.IsReleased())
            return static_cast<int64_t>(envelope.ReleaseStart()) + envelope.ReleaseSamples();
        return std::max<int64_t>(envelope.AttackSamples(),
                                 static_cast<int64_t>(envelope.AttackSamples()) + envelope.DecaySamples());
    }

private:
    DSPModule_ADSR envelope;
};

} // namespace brumalux
