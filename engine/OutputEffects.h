#pragma once

#include "engine/RotarySpeaker.h"

#include "dsp/ModulatedDelayLine.h"
#include "dsp/SaturationStage.h"
#include "dsp/ShapeOscillator.h"
#include "dsp/SingleWaveShapes.h"

namespace brumalux
{

struct OrganParameters;
struct PerformanceControls;

// Turns the mono voice mix into the stereo output: the saturation stage (drive, clip and tone, moved by
// channel pressure and slow drifts), the vibrato delay, then the rotating speaker or, with the speaker
// off, the same signal on both channels. Prepare runs in the prepare step (it allocates); Process on the
// audio thread.
class OutputEffects
{
public:
    // The modulators' sine draws from the owner's generator, which must outlive the effects.
    explicit OutputEffects(WhiteNoise& noise) { lfoShape.SetNoiseSource(&noise); }

    // Sets the delays for the rate and, when the rate changed or they have none, sizes their buffers for
    // the longest delay their sweeps reach; prepares the modulators and their sine for the rate, lets go
    // of the channel pressure and stops the rotors.
    void Prepare(float newSampleRate, bool rateChanged);

    // Turns numSamples of mix into left and right (added, or written), leaving mix at 0. Overwrites the
    // "Unused" parameter with the clip threshold scale it derives from "Distortion".
    void Process(float* mix, int numSamples, float* left, float* right, bool accumulate,
                 OrganParameters& parameters, const PerformanceControls& controls);

    const RotarySpeaker& Speaker() const { return speaker; }

    // The clip threshold scale Process writes into "Unused": 0.97 - 0.05 * distortion.
    static float ClipThresholdScale(float distortion) noexcept;

private:
    void ApplyBlockSettings(OrganParameters& parameters);
    void FollowAftertouch(const OrganParameters& parameters);
    void RunSaturationAndVibrato(float* mix, int numSamples, const OrganParameters& parameters,
                                 float aftertouchTarget);
    static void CopyToBothChannels(float* mix, int numSamples, float* left, float* right, bool accumulate);

    OscillatorShape_Sine lfoShape; // the waveform of every modulator
    SaturationStage saturation;
    ModulatedDelayLine vibratoDelay;
    ShapeOscillator clipDrift, toneDrift, vibratoDrift;
    RotarySpeaker speaker;

    float sampleRate = 0.0f;
    float inverseSampleRate = 0.0f;
    float aftertouch = 0.0f; // smoothed channel pressure, 0 to 1
    // Derived once per block and again whenever the channel pressure moves.
    float clipScale = 0.0f;    // "Unused": 0.97 - 0.05 * distortion
    float toneCutoff = 0.0f;   // "Tone" in cycles per sample
    float clipPressure = 0.0f; // how far pressure lowers the clip threshold
    float tonePressure = 0.0f; // how far pressure widens the tone drift
};

} // namespace brumalux
