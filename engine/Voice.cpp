#include "engine/Voice.h"

#include "engine/NoteFrequency.h"
#include "engine/OrganShapes.h"
#include "engine/ParameterLimits.h"

#include <algorithm>

namespace brumalux
{

namespace
{
constexpr float audibleEnvelope = 0.0001f;
constexpr float finishedLevel = 0.001f;

// An unreleased voice's envelopes are all constant long before this time (every length is at most
// ParameterLimits::maxEnvelopeSamples), so moving its time back by the step changes no level, and the
// time of a note held for days never overflows.
constexpr int timeRebaseThreshold = 1 << 30;
constexpr int timeRebaseStep = 1 << 29;
static_assert(2 * static_cast<int64_t>(ParameterLimits::maxEnvelopeSamples) <=
              timeRebaseThreshold - timeRebaseStep);
// A released voice ends within one release length of its last release; this only guards against overflow.
constexpr int64_t maxTime = INT_MAX - (1 << 24);

int ClampIndex(int64_t index, int low, int high)
{
    return static_cast<int>(std::clamp<int64_t>(index, low, high));
}
} // namespace

void Voice::Start(const juce::MidiMessage& noteOn, int position, const VoiceStartSettings& settings)
{
    using namespace ParameterLimits;
    const float rate = settings.sampleRate;
    noteMessage = noteOn;
    startOffset = position;
    releasePosition = notReleased;
    // Soft notes rise up to four times slower.
    const float slowness = (1.0f - static_cast<float>(noteOn.getVelocity()) / 127.0f) * 3.0f + 1.0f;
    amplitudeEnvelope.Configure(EnvelopeSamples(settings.attackMs * rate * slowness * 0.001f),
                                EnvelopeSamples(settings.decayMs * rate * 0.001f),
                                Level(settings.sustainLevel),
                                EnvelopeSamples(settings.releaseMs * rate * 0.001f));
    time = 0;
    clickEnvelope.Configure(EnvelopeSamples(rate * 0.0005f), EnvelopeSamples(rate * 0.001f), 0.0f, 5);
    SetSampleRate(rate);
    percussionOscillator.SetShape(settings.percussionShape);
}

void Voice::SetSampleRate(float sampleRate)
{
    mainOscillator.SetSampleRate(static_cast<int>(sampleRate));
    percussionOscillator.SetSampleRate(static_cast<int>(sampleRate));
}

void Voice::Release(int position, float sampleRate)
{
    releasePosition = position;
    amplitudeEnvelope.ReleaseAt(time + position);
    // The key-up click: from 0.5 down to 0 over 1 ms. Configured from index 0, the envelope would hold
    // 0.5 before the release too, which would start the click at the beginning of the block, up to a
    // whole block early; it starts at the release instead.
    clickEnvelope.Configure(0, 0, 0.5f, ParameterLimits::EnvelopeSamples(sampleRate * 0.001f));
    clickEnvelope.ReleaseAt(time + position);
    clickSilentBefore = time + position;
}

void Voice::Retrigger(int position, float sampleRate)
{
    amplitudeEnvelope.SetReleaseSamples(ParameterLimits::EnvelopeSamples(sampleRate * 0.05f));
    Release(position, sampleRate);
}

void Voice::FadeOut(int position, float sampleRate)
{
    const int length = std::max(ParameterLimits::EnvelopeSamples(sampleRate * fadeOutSeconds), 1);
    fadeEnd = position + length;
    fadeGainStep = 1.0f / static_cast<float>(length);
}

bool Voice::IsFinished(TrackedEnvelope& percussionEnvelope)
{
    if (IsFadingOut() && fadeEnd <= 0)
        return true;
    return IsReleased() && amplitudeEnvelope.LevelAt(time) < finishedLevel &&
           percussionEnvelope.LevelAt(time) < finishedLevel;
}

void Voice::Render(VoiceBlockSettings& block)
{
    const int note = NoteNumber() + block.transpose;
    int k = note - 12;
    auto* currentOctaveShape = block.shapes->OctaveShape(std::clamp(k / 12, 0, OrganShapes::numOctaves - 1));
    currentOctaveShape->SetBaseShape(block.basicShape);
    block.shapes->PercussionShape().SetBaseShape(block.basicShape);
    mainOscillator.SetShape(currentOctaveShape);
    currentOctaveShape->SetDrawbars(block.drawbars);

    const float velocityGain = static_cast<float>(noteMessage.getVelocity() + 127) / 255.0f;
    // Percussion fades out toward the top of the keyboard and turns over in sign above note 102.
    float percussionLevel = block.percussionLevel * velocityGain;
    // Transposed notes above the keyboard's top key fade no further than it does.
    if (k > 60)
        percussionLevel = percussionLevel * (1.0f - static_cast<float>(std::min(k, 115) - 60) / 30.0f);
    // The top notes' percussion repeats the octave of notes 72 to 83.
    if (k > 72)
        k = k % 12 + 60;

    const auto frequency = [&block](int n) { return NoteFrequency(n, block.reference); };
    double mainFrequency = frequency(note - 12);
    double percussionFrequency = frequency(k);
    const double bend = block.pitchBend;
    if (bend > 0.01)
    {
        mainFrequency += (frequency(note - 11) - mainFrequency) * bend;
        percussionFrequency += (frequency(k + 1) - percussionFrequency) * bend;
    }
    else if (bend < -0.01)
    {
        mainFrequency += (mainFrequency - frequency(note - 13)) * bend;
        percussionFrequency += (percussionFrequency - frequency(k - 1)) * bend;
    }
    mainOscillator.SetFrequency(ParameterLimits::OscillatorFrequency(mainFrequency, block.sampleRate));
    percussionOscillator.SetFrequency(
        ParameterLimits::OscillatorFrequency(percussionFrequency, block.sampleRate));

    const float mainGain = velocityGain / 12.0f;
    RenderSamples(block, mainGain, percussionLevel);
    AdvanceTime(block.numSamples);
}

void Voice::RenderSamples(VoiceBlockSettings& block, float mainGain, float percussionLevel)
{
    TrackedEnvelope& percussionEnvelope = *block.percussionEnvelope;
    float* mix = block.mixBuffer;
    const int end = block.numSamples;
    // A voice started in a longer block than this one has nothing to render here.
    const int begin = std::min(startOffset, end);
    // Block index from which none of the three envelopes changes any more.
    const auto blockIndexOf = [this, begin, end](int64_t envelopeTime)
    { return ClampIndex(envelopeTime - time + startOffset, begin, end); };
    if (IsFadingOut())
    {
        // Sample by sample until the fade ends, silent after it.
        RenderMovingSamples(block, begin, ClampIndex(fadeEnd, begin, end), mainGain, percussionLevel);
        return;
    }
    const int steadyIndex =
        std::max({blockIndexOf(percussionEnvelope.SteadyFrom()), blockIndexOf(clickEnvelope.SteadyFrom()),
                  blockIndexOf(amplitudeEnvelope.SteadyFrom())});

    RenderMovingSamples(block, begin, steadyIndex, mainGain, percussionLevel);
    const int j = steadyIndex;
    if (j >= end)
        return;

    const int t = time + (j - startOffset);
    if (percussionEnvelope.LevelAt(t) > audibleEnvelope || clickEnvelope.LevelAt(t) > audibleEnvelope)
    {
        RenderMovingSamples(block, j, end, mainGain, percussionLevel);
        return;
    }
    // Only the tone sounds from here, at a constant level; at level 0 it stays silent for good.
    const float level = amplitudeEnvelope.LevelAt(t);
    if (level == 0.0f)
        return;
    mainOscillator.AddTicks(mix + j, end - j, mainGain, level);
}

namespace
{
constexpr int stretch = 64;
} // namespace

void Voice::RenderMovingSamples(VoiceBlockSettings& block, int from, int to, float mainGain,
                                float percussionLevel)
{
    // A stretch at a time, one part of the sound after the other, each in its own loop: the tone, the
    // percussion and the click, then their sum in the order a single sample always added them.
    for (int first = from; first < to; first += stretch)
    {
        const int count = std::min(stretch, to - first);
        const int firstTime = time + (first - startOffset);
        float tone[stretch], levels[stretch], percussion[stretch], click[stretch];
        mainOscillator.TicksInto(tone, count);
        amplitudeEnvelope.LevelsInto(levels, firstTime, count);
        for (int k = 0; k < count; ++k)
            tone[k] = tone[k] * mainGain * levels[k];
        RenderPercussion(*block.percussionEnvelope, firstTime, count, percussionLevel, percussion);
        RenderClick(block, firstTime, count, click);
        if (IsFadingOut())
            ApplyFadeOut(first, count, tone, percussion, click);
        float* mix = block.mixBuffer + first;
        for (int k = 0; k < count; ++k)
            mix[k] += tone[k] + percussion[k] + click[k];
    }
}

void Voice::RenderPercussion(TrackedEnvelope& envelope, int firstTime, int count, float percussionLevel,
                             float* out)
{
    float levels[stretch];
    envelope.LevelsInto(levels, firstTime, count);
    // The oscillator moves on only while the percussion is audible, so it runs over the audible runs alone.
    for (int k = 0; k < count;)
    {
        if (!(levels[k] > audibleEnvelope))
        {
            out[k++] = 0.0f;
            continue;
        }
        int runEnd = k + 1;
        while (runEnd < count && levels[runEnd] > audibleEnvelope)
            ++runEnd;
        percussionOscillator.TicksInto(out + k, runEnd - k);
        for (; k < runEnd; ++k)
            out[k] = out[k] * levels[k] * percussionLevel * 0.25f;
    }
}

void Voice::RenderClick(VoiceBlockSettings& block, int firstTime, int count, float* out)
{
    // Past the click's last movement it stays silent: most stretches of a young voice end here.
    if (clickEnvelope.SteadyFrom() <= firstTime && !(clickEnvelope.LevelAt(firstTime) > audibleEnvelope))
    {
        std::fill(out, out + count, 0.0f);
        return;
    }
    float levels[stretch];
    clickEnvelope.LevelsInto(levels, firstTime, count);
    for (int k = 0; k < count; ++k)
    {
        const float level = firstTime + k >= clickSilentBefore ? levels[k] : 0.0f;
        // Each audible sample draws from the organ's generator, in the order the voices render.
        out[k] = level > audibleEnvelope ? block.noise->Next() * block.clickLevel * level * 0.1f : 0.0f;
    }
}

void Voice::ApplyFadeOut(int first, int count, float* tone, float* percussion, float* click) const
{
    for (int k = 0; k < count; ++k)
    {
        const float gain = std::clamp(static_cast<float>(fadeEnd - (first + k)) * fadeGainStep, 0.0f, 1.0f);
        tone[k] *= gain;
        percussion[k] *= gain;
        click[k] *= gain;
    }
}

void Voice::AdvanceTime(int numSamples)
{
    startOffset = 0;
    time = static_cast<int>(std::min<int64_t>(static_cast<int64_t>(time) + numSamples, maxTime));
    if (IsFadingOut())
        fadeEnd -= std::min(numSamples, fadeEnd);
    else if (!IsReleased() && time >= timeRebaseThreshold)
        time -= timeRebaseStep;
}

} // namespace brumalux
