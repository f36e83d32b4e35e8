#pragma once

#include "engine/TrackedEnvelope.h"

#include "dsp/ShapeOscillator.h"
#include "dsp/WhiteNoise.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <climits>

namespace brumalux
{

class OrganShapes;

// What a note-on takes from the filter: the rate and the envelope parameters as they stand.
struct VoiceStartSettings
{
    float sampleRate = 0.0f;
    float attackMs = 0.0f;
    float decayMs = 0.0f;
    float sustainLevel = 0.0f;
    float releaseMs = 0.0f;
    OscillatorShape_Base* percussionShape = nullptr;
};

// What every voice of a block shares, read once at the start of the block.
struct VoiceBlockSettings
{
    float* mixBuffer = nullptr;
    int numSamples = 0;
    float sampleRate = 0.0f;
    OrganShapes* shapes = nullptr;
    WhiteNoise* noise = nullptr;                // the organ's generator, for the key clicks
    OscillatorShape_Base* basicShape = nullptr; // the waveform "Osc" selects
    float drawbars[9] = {};
    float percussionLevel = 0.0f;
    float clickLevel = 0.0f;
    float pitchBend = 0.0f;
    int transpose = 0;        // semitones between the key and the note that sounds
    double reference = 440.0; // Hz of note 81 untransposed
    // Shared by all voices and evaluated with each voice's own time.
    TrackedEnvelope* percussionEnvelope = nullptr;
};

// One sounding note: the drawbar sum of its octave through its own envelope, a decaying percussion tone
// and a key click. Audio thread only; the record lives in the filter's voice pool and is reused.
struct Voice
{
    // An unreleased voice's release position lies beyond every sample of any block.
    static constexpr int notReleased = INT_MAX;
    static constexpr int notFading = INT_MAX;
    static constexpr float fadeOutSeconds = 0.005f;

    int startOffset = 0;               // where rendering begins in the current block; 0 after the first
    int releasePosition = notReleased; // position of the release within the block it happened in
    int time = 0;                      // envelope time in samples at the start of the current block
    TrackedEnvelope amplitudeEnvelope;
    juce::MidiMessage noteMessage; // the note-on: note number and velocity
    ShapeOscillator mainOscillator;
    ShapeOscillator percussionOscillator;
    TrackedEnvelope clickEnvelope;
    int clickSilentBefore = 0; // envelope time of the latest release: its click does not sound earlier
    bool heldByPedal = false;  // a note-off came while the pedal was down
    // Where a voice taken for a new note falls silent, counted in samples from the start of the current
    // block; notFading for every other voice.
    int fadeEnd = notFading;
    float fadeGainStep = 0.0f; // how much the fade's gain falls per sample

    void Start(const juce::MidiMessage& noteOn, int position, const VoiceStartSettings& settings);
    // Note-off or pedal release: the envelope ramps down from wherever it stands, with a release click.
    void Release(int position, float sampleRate);
    // A new note-on for this voice's note: the same release, but over 50 ms.
    void Retrigger(int position, float sampleRate);
    // Taken for a new note: the whole voice (tone, percussion and click) fades out from the position
    // over fadeOutSeconds, short enough to free the voice soon and long enough not to click, then ends.
    void FadeOut(int position, float sampleRate);

    // A new rate from the host: the note keeps its pitch.
    void SetSampleRate(float sampleRate);

    bool IsReleased() const { return releasePosition != notReleased; }
    bool IsFadingOut() const { return fadeEnd != notFading; }
    int NoteNumber() const { return noteMessage.getNoteNumber(); }
    // Taken, and its fade has ended; or released, and both its envelope and the shared percussion
    // envelope have died away.
    bool IsFinished(TrackedEnvelope& percussionEnvelope);

    // Adds this voice's samples of the block into the mix buffer and moves its time on by the block.
    void Render(VoiceBlockSettings& block);

private:
    void RenderSamples(VoiceBlockSettings& block, float mainGain, float percussionLevel);
    // The samples from..to of the block while an envelope still moves or the percussion or click sounds.
    void RenderMovingSamples(VoiceBlockSettings& block, int from, int to, float mainGain,
                             float percussionLevel);
    // One stretch (at most 64 samples from firstTime) of the percussion and of the click.
    void RenderPercussion(TrackedEnvelope& envelope, int firstTime, int count, float percussionLevel,
                          float* out);
    void RenderClick(VoiceBlockSettings& block, int firstTime, int count, float* out);
    // Scales the parts of a stretch from the block index first on by the fade-out's gain.
    void ApplyFadeOut(int first, int count, float* tone, float* percussion, float* click) const;
    void AdvanceTime(int numSamples);
};

} // namespace brumalux
