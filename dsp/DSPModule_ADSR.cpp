#include "dsp/DSPModule_ADSR.h"

float DSPModule_ADSR::LevelAt(int t)
{
    if (released)
    {
        // 64-bit so that no index or length a caller passes can overflow the comparison.
        const long long sinceRelease = static_cast<long long>(t) - releaseStart;
        if (sinceRelease >= 0 && sinceRelease < releaseLength)
            return releaseLevel *
                   (1.0f - static_cast<float>(sinceRelease) / static_cast<float>(releaseLength));
        if (sinceRelease >= releaseLength)
            return 0.0f;
        if (releasedAgain)
            return releaseLevel; // before a repeated release the earlier ramp no longer applies
    }
    if (t < attackLength)
        return peak * static_cast<float>(t) / static_cast<float>(attackLength);
    if (t < static_cast<long long>(attackLength) + decayLength)
        return DecayLevel(t);
    return sustain;
}

float DSPModule_ADSR::DecayLevel(int t) const
{
    const float kneeSamples = static_cast<float>(decayLength) * decayKnee;
    const int kneeEnd = static_cast<int>(static_cast<float>(attackLength) + kneeSamples);
    if (t < kneeEnd)
        return peak - (static_cast<float>(t - attackLength) / (2.0f * kneeSamples)) * (peak - sustain);
    return (peak + sustain) * 0.5f -
           (static_cast<float>(t - kneeEnd) / (2.0f * (1.0f - decayKnee) * static_cast<float>(decayLength))) *
               (peak - sustain);
}

void DSPModule_ADSR::Configure(int attackSamples, int decaySamples, float sustainLevel, int releaseSamples)
{
    attackLength = attackSamples;
    decayLength = decaySamples;
    sustain = sustainLevel;
    releaseLength = releaseSamples;
    released = false;
    releaseStart = 0;
}

void DSPModule_ADSR::ReleaseAt(int t)
{
    releaseLevel = LevelAt(t);
    releaseStart = t;
    releasedAgain = released;
    released = true;
}
