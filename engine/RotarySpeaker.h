#pragma once

#include "dsp/BiQuadFilters.h"
#include "dsp/ModulatedDelayLine.h"
#include "dsp/ShapeOscillator.h"

namespace brumalux
{

struct OrganParameters;

// The two-rotor rotating speaker: a crossover splits the organ signal into a bass and a treble rotor, each
// with a swept low-pass and Doppler delays whose sweeps are spread over the rotation, mixed into left and
// right with cabinet filters. The rotors follow the modulation wheel between their slow and fast speeds.
// Prepare runs in the prepare step (it allocates); Process on the audio thread.
class RotarySpeaker
{
public:
    // Each rotor's sound reaches the cabinet by three swept delays, at a quarter, none and half a turn.
    static constexpr int numCabinetTaps = 3;

    // Sets the delays for the rate and, when the rate changed or they have none, sizes their buffers for
    // the longest delay their sweeps reach; sets the rotor oscillators to the rate and the given sine, and
    // stops both rotors.
    void Prepare(float newSampleRate, bool rateChanged, OscillatorShape_Base* lfoShape);

    // Turns numSamples of mix into left and right (added, or written), leaving mix at 0.
    void Process(float* mix, int numSamples, float* left, float* right, bool accumulate,
                 const OrganParameters& parameters, int modulationWheel);

    float Rotor1Speed() const { return rotor1Speed; }
    float Rotor2Speed() const { return rotor2Speed; }

private:
    // The speaker works through a block in stretches of this many samples, a stage at a time, so that
    // each delay line runs over a whole stretch at once.
    static constexpr int chunkLength = 64;
    struct Chunk
    {
        int start = 0; // within the block
        int length = 0;
        float bassRate[chunkLength], trebleRate[chunkLength]; // the lines' sweep rates, per sample
        float bassRotation[chunkLength], trebleRotation[chunkLength];
        float low[chunkLength], high[chunkLength];    // the crossover's bands after the rotor filters
        float bass[chunkLength], treble[chunkLength]; // the rotors' direct sound
        // The cabinet taps, bass and treble in turn: bass at a quarter turn, treble at a quarter turn, bass
        // at none, and so on.
        float cabinetFeeds[2 * numCabinetTaps][chunkLength];
    };

    void TurnRotorsAndSplit(float* mix, Chunk& chunk);
    // The rotors' waves for the samples from..to of the chunk.
    void TurnRotors(Chunk& chunk, int from, int to);
    void RunRotorDelays(Chunk& chunk);
    void MixToOutput(const Chunk& chunk, const OrganParameters& parameters, float* left, float* right,
                     bool accumulate);
    void ApplyBlockSettings(const OrganParameters& parameters, int modulationWheel);
    void MoveRotorSpeeds(const OrganParameters& parameters, int modulationWheel);

    // The rotors' direct sound, then their cabinet taps (bass first in both).
    ModulatedDelayLine directDelays[2];
    ModulatedDelayLine cabinetDelays[2];
    DSPModule_LowPassFilter crossoverLow;
    DSPModule_HighPassFilter crossoverHigh;
    DSPModule_LowPassFilter bassRotorFilter;
    DSPModule_LowPassFilter trebleRotorFilter;
    DSPModule_LowPassFilter cabinetLeft;
    DSPModule_LowPassFilter cabinetRight;
    ShapeOscillator bassRotor, trebleRotor; // their waves both turn the sound and sweep the filters
    ShapeOscillator speedWobble;

    float sampleRate = 0.0f;
    float inverseSampleRate = 0.0f;
    float rotor1Speed = 0.0f; // rotations per second, smoothed
    float rotor2Speed = 0.0f;
    // The sweep rates of the bass and the treble rotor's delay lines, renewed every few samples.
    float bassLineRate = 0.0f;
    float trebleLineRate = 0.0f;
    float rotorDelayDepthMs = 0.6f;
    float driveGain = 1.35f; // into the speaker's saturation
};

} // namespace brumalux
