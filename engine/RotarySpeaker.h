#pragma once

#include "dsp/BiQuadFilters.h"
#include "dsp/ModulatedDelayLine.h"
#include "dsp/ShapeOscillator.h"

struct OrganParameters;

// The two-rotor rotating speaker: a crossover splits the organ signal into a bass and a treble rotor, each
// with a swept low-pass and Doppler delays whose sweeps are spread over the rotation, mixed into left and
// right with cabinet filters. The rotors follow the modulation wheel between their slow and fast speeds.
// Prepare runs in the prepare step (it allocates); Process on the audio thread.
class RotarySpeaker
{
public:
    static constexpr int numRotorDelays = 8;

    // Sizes the delay lines (ten seconds) when the rate changed or they have none, sets the rotor
    // oscillators to the rate and the given sine, and stops both rotors.
    void Prepare(float newSampleRate, bool rateChanged, OscillatorShape_Base* lfoShape);

    // Turns numSamples of mix into left and right (added, or written), leaving mix at 0.
    void Process(float* mix, int numSamples, float* left, float* right, bool accumulate,
                 const OrganParameters& parameters, int modulationWheel);

    float Rotor1Speed() const { return rotor1Speed; }
    float Rotor2Speed() const { return rotor2Speed; }

private:
    void ApplyBlockSettings(const OrganParameters& parameters, int modulationWheel);
    void MoveRotorSpeeds(const OrganParameters& parameters, int modulationWheel);

    ModulatedDelayLine rotorDelays[numRotorDelays];
    DSPModule_LowPassFilter crossoverLow;
    DSPModule_HighPassFilter crossoverHigh;
    DSPModule_LowPassFilter bassRotorFilter;
    DSPModule_LowPassFilter trebleRotorFilter;
    DSPModule_LowPassFilter cabinetLeft;
    DSPModule_LowPassFilter cabinetRight;
    ShapeOscillator bassRotorA, bassRotorB;
    ShapeOscillator trebleRotorA, trebleRotorB;
    ShapeOscillator speedWobble;

    float sampleRate = 0.0f;
    float inverseSampleRate = 0.0f;
    float rotor1Speed = 0.0f; // rotations per second, smoothed
    float rotor2Speed = 0.0f;
    float rotorDelayDepthMs = 0.6f;
    float driveGain = 1.35f; // into the speaker's saturation
};
