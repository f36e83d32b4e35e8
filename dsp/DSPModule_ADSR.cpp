#include "dsp/DSPModule_ADSR.h"

#include <algorithm>

namespace brumalux
{

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

namespace
{
// The fills below write what LevelAt gives, with the same expressions evaluated in the same order.
template <typename Level> void Fill(float* out, int first, int end, Level level)
{
    for (int t = first; t < end; ++t)
        out[t - first] = level(t);
}

int RunEnd(int t, long long boundary, int end)
{
    return boundary <= t ? t : static_cast<int>(std::min<long long>(boundary, end));
}
} // namespace

void DSPModule_ADSR::LevelsInto(float* out, int firstIndex, int count) const
{
    const int end = firstIndex + count;
    int t = firstIndex;
    if (released)
    {
        // Before the release: the curve without it, or after a repeated release the level it began at.
        // A negative length would silence from its end on, even before the release.
        const long long silentFrom = static_cast<long long>(releaseStart) + releaseLength;
        const int beforeRelease = RunEnd(t, std::min<long long>(releaseStart, silentFrom), end);
        if (releasedAgain)
            Fill(out, t, beforeRelease, [this](int) { return releaseLevel; });
        else
            UnreleasedLevelsInto(out, t, beforeRelease);
        t = beforeRelease;
        const int rampEnd = RunEnd(t, silentFrom, end);
        const float length = static_cast<float>(releaseLength);
        Fill(out + (t - firstIndex), t, rampEnd,
             [this, length](int index)
             { return releaseLevel * (1.0f - static_cast<float>(index - releaseStart) / length); });
        Fill(out + (rampEnd - firstIndex), rampEnd, end, [](int) { return 0.0f; });
        return;
    }
    UnreleasedLevelsInto(out, t, end);
}

void DSPModule_ADSR::UnreleasedLevelsInto(float* out, int first, int end) const
{
    int t = first;
    const float attack = static_cast<float>(attackLength);
    const int attackEnd = RunEnd(t, attackLength, end);
    Fill(out, t, attackEnd, [this, attack](int index) { return peak * static_cast<float>(index) / attack; });
    t = attackEnd;
    // The two straight lines of the decay, split at the knee as DecayLevel splits them.
    const long long decayEnd = static_cast<long long>(attackLength) + decayLength;
    const float kneeSamples = static_cast<float>(decayLength) * decayKnee;
    const int kneeEnd = static_cast<int>(static_cast<float>(attackLength) + kneeSamples);
    const int firstLineEnd = RunEnd(t, std::min<long long>(kneeEnd, decayEnd), end);
    Fill(out + (t - first), t, firstLineEnd,
         [this, kneeSamples](int index) {
             return peak -
                    (static_cast<float>(index - attackLength) / (2.0f * kneeSamples)) * (peak - sustain);
         });
    t = firstLineEnd;
    const int secondLineEnd = RunEnd(t, decayEnd, end);
    const float secondLength = 2.0f * (1.0f - decayKnee) * static_cast<float>(decayLength);
    Fill(out + (t - first), t, secondLineEnd,
         [this, kneeEnd, secondLength](int index)
         {
             return (peak + sustain) * 0.5f -
                    (static_cast<float>(index - kneeEnd) / secondLength) * (peak - sustain);
         });
    t = secondLineEnd;
    Fill(out + (t - first), t, end, [this](int) { return sustain; });
}

} // namespace brumalux
