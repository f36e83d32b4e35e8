#pragma once

#include "dsp/DSPModule_Base.h"

namespace brumalux
{

// Attack-decay-sustain-release levels as a pure function of the sample index since the note began: the
// envelope keeps no running level, so asking twice gives the same answer and an envelope that is never
// released can serve many voices. Times are whole samples. Audio thread only.
class DSPModule_ADSR : public DSPModule_Base
{
public:
    virtual float LevelAt(int sampleIndex);

    // Starts the curve again from index 0, unreleased. Knee and peak keep their values.
    void Configure(int attackSamples, int decaySamples, float sustainLevel, int releaseSamples);
    float ScaleAt(float x, int sampleIndex) { return x * LevelAt(sampleIndex); }
    // out[k] = LevelAt(firstIndex + k) for k below count, bit for bit, but worked out a segment at a time
    // in loops without branches, which the compiler turns into vector code: voices need the levels of
    // whole runs while their envelopes move. Callers keep firstIndex + count within int.
    void LevelsInto(float* out, int firstIndex, int count) const;
    // Ramps from the level at that index down to 0 over the release length; may lie ahead of the samples
    // rendered so far, and may be called again to start a new ramp from wherever the old one stands.
    void ReleaseAt(int sampleIndex);
    void SetReleaseSamples(int samples) { releaseLength = samples; }
    // The fraction of the decay spent on the first half of the drop (0.5: a straight line).
    void SetDecayKnee(float knee) { decayKnee = knee; }

    int AttackSamples() const { return attackLength; }
    int DecaySamples() const { return decayLength; }
    int ReleaseSamples() const { return releaseLength; }
    bool IsReleased() const { return released; }
    // The index of the latest release; meaningful once released.
    int ReleaseStart() const { return releaseStart; }

private:
    float DecayLevel(int sampleIndex) const;
    // LevelsInto for the indices first..end that lie before any release; returns where it stopped.
    void UnreleasedLevelsInto(float* out, int first, int end) const;

    int attackLength = 2000;
    int decayLength = 5000;
    int releaseLength = 20000;
    int releaseStart = 0;
    float sustain = 0.65f;
    bool released = false;
    float releaseLevel = 0.0f;
    float decayKnee = 0.5f;
    float peak = 1.0f;
    bool releasedAgain = false;
};

// Inline: voices ask for a level at every sample while an envelope moves.
inline float DSPModule_ADSR::LevelAt(int t)
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

inline float DSPModule_ADSR::DecayLevel(int t) const
{
    const float kneeSamples = static_cast<float>(decayLength) * decayKnee;
    const int kneeEnd = static_cast<int>(static_cast<float>(attackLength) + kneeSamples);
    if (t < kneeEnd)
        return peak - (static_cast<float>(t - attackLength) / (2.0f * kneeSamples)) * (peak - sustain);
    return (peak + sustain) * 0.5f -
           (static_cast<float>(t - kneeEnd) / (2.0f * (1.0f - decayKnee) * static_cast<float>(decayLength))) *
               (peak - sustain);
}

} // namespace brumalux
