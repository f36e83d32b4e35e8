#include "engine/RotarySpeaker.h"

#include "engine/ParameterLimits.h"
#include "engine/Saturate.h"

#include "params/OrganParameters.h"

#include <algorithm>

namespace brumalux
{

namespace
{
// Where in the rotation each Doppler sweep sits: the direct sound's, and the cabinet taps'.
constexpr float directPhaseOffset = 0.75f;
constexpr float cabinetPhaseOffsets[RotarySpeaker::numCabinetTaps] = {0.25f, 0.0f, 0.5f};
constexpr int modulatorUpdateInterval = 8;
} // namespace

void RotarySpeaker::Prepare(float newSampleRate, bool rateChanged, OscillatorShape_Base* lfoShape)
{
    sampleRate = newSampleRate;
    inverseSampleRate = 1.0f / newSampleRate;
    rotorDelayDepthMs = 0.6f;
    const float depth = rotorDelayDepthMs * sampleRate * 0.001f;
    for (int rotor = 0; rotor < 2; ++rotor)
    {
        // The direct sound sweeps around half its depth, so the delay never falls below one sample.
        auto& direct = directDelays[rotor];
        direct.SetDepth(depth);
        direct.SetCentreDelay(depth * 0.5f);
        direct.SetLfoPhaseOffset(directPhaseOffset);
        auto& cabinet = cabinetDelays[rotor];
        cabinet.SetDepth(depth);
        cabinet.SetCentreDelay(sampleRate * 0.01f);
        cabinet.SetTapPhaseOffsets(cabinetPhaseOffsets, numCabinetTaps);
        for (auto* delay : {&direct, &cabinet})
            if (rateChanged || !delay->HasBuffer())
                delay->AllocateForSweep();
    }
    const int rate = static_cast<int>(sampleRate);
    for (auto* rotor : {&bassRotor, &trebleRotor, &speedWobble})
    {
        rotor->SetSampleRate(rate);
        rotor->SetShape(lfoShape);
    }
    rotor1Speed = 0.0f;
    rotor2Speed = 0.0f;
}

void RotarySpeaker::ApplyBlockSettings(const OrganParameters& parameters, int modulationWheel)
{
    crossoverLow.SetFrequency(ParameterLimits::FilterFrequency(400.0f / sampleRate));
    crossoverHigh.SetFrequency(ParameterLimits::FilterFrequency(400.0f / sampleRate));
    cabinetLeft.SetFrequency(ParameterLimits::FilterFrequency(800.0f / sampleRate));
    cabinetRight.SetFrequency(ParameterLimits::FilterFrequency(800.0f / sampleRate));
    cabinetLeft.SetQ(0.5f);
    cabinetRight.SetQ(0.5f);
    speedWobble.SetFrequency(0.05);
    trebleRotorFilter.SetQ(0.2f);
    MoveRotorSpeeds(parameters, modulationWheel);
}

void RotarySpeaker::MoveRotorSpeeds(const OrganParameters& parameters, int modulationWheel)
{
    using ParameterLimits::RotorSpeed;
    const float slow1 = RotorSpeed(Load(parameters.slowSpeed1), sampleRate);
    const float slow2 = RotorSpeed(Load(parameters.slowSpeed2), sampleRate);
    const float fast1 = RotorSpeed(Load(parameters.fastSpeed1), sampleRate);
    const float fast2 = RotorSpeed(Load(parameters.fastSpeed2), sampleRate);
    // The wheel multiplies before the division by 127: taking m / 127 first rounds differently.
    const auto wheel = static_cast<float>(modulationWheel);
    const float target1 = slow1 + (fast1 - slow1) * wheel / 127.0f;
    const float target2 = slow2 + (fast2 - slow2) * wheel / 127.0f;
    // Once per block: the rotors approach their targets with a time constant of 50 blocks.
    rotor1Speed += (target1 - rotor1Speed) * 0.02f;
    rotor2Speed += (target2 - rotor2Speed) * 0.02f;
}

void RotarySpeaker::Process(float* mix, int numSamples, float* left, float* right, bool accumulate,
                            const OrganParameters& parameters, int modulationWheel)
{
    ApplyBlockSettings(parameters, modulationWheel);
    for (int start = 0; start < numSamples; start += chunkLength)
    {
        Chunk chunk;
        chunk.start = start;
        chunk.length = std::min(chunkLength, numSamples - start);
        TurnRotorsAndSplit(mix, chunk);
        RunRotorDelays(chunk);
        MixToOutput(chunk, parameters, left + start, right + start, accumulate);
    }
}

void RotarySpeaker::TurnRotorsAndSplit(float* mix, Chunk& chunk)
{
    float wobble[chunkLength];
    speedWobble.TicksInto(wobble, chunk.length);
    // The rotors are retuned every few samples and turn in tight runs between their retunings.
    int turnedUpTo = 0;
    for (int k = 0; k < chunk.length; ++k)
    {
        const int phaseOfUpdate = (chunk.start + k) % modulatorUpdateInterval;
        const float bassWobble = 1.0f + 0.05f * wobble[k];
        const float trebleWobble = 1.0f + 0.02f * wobble[k];
        if (phaseOfUpdate == 2)
        {
            bassLineRate = bassWobble * inverseSampleRate * rotor1Speed;
            trebleLineRate = trebleWobble * inverseSampleRate * rotor2Speed;
        }
        chunk.bassRate[k] = bassLineRate;
        chunk.trebleRate[k] = trebleLineRate;
        if (phaseOfUpdate == 1)
        {
            TurnRotors(chunk, turnedUpTo, k);
            turnedUpTo = k;
            bassRotor.SetFrequency(bassWobble * rotor1Speed);
            trebleRotor.SetFrequency(trebleWobble * rotor2Speed);
        }
    }
    TurnRotors(chunk, turnedUpTo, chunk.length);

    float driven[chunkLength];
    float* const in = mix + chunk.start;
    for (int k = 0; k < chunk.length; ++k)
    {
        driven[k] = Saturate(driveGain * in[k]);
        in[k] = 0.0f;
    }
    DSPModule_BiQuadFilterBase::ProcessBlockPair(crossoverLow, driven, chunk.low, crossoverHigh, driven,
                                                 chunk.high, chunk.length);
    // The rotor filters follow the rotation every few samples and run in between.
    for (int k = 0; k < chunk.length;)
    {
        if ((chunk.start + k) % modulatorUpdateInterval == 0)
        {
            // 200 to 800 Hz for the bass rotor, 6 to 12 kHz for the treble rotor (kept below half the rate).
            bassRotorFilter.SetFrequency(
                ParameterLimits::FilterFrequency((chunk.bassRotation[k] * 300.0f + 500.0f) / sampleRate));
            trebleRotorFilter.SetFrequency(
                ParameterLimits::FilterFrequency((chunk.trebleRotation[k] * 3000.0f + 9000.0f) / sampleRate));
        }
        const int run =
            std::min(chunk.length - k, modulatorUpdateInterval - (chunk.start + k) % modulatorUpdateInterval);
        DSPModule_BiQuadFilterBase::ProcessBlockPair(bassRotorFilter, chunk.low + k, chunk.low + k,
                                                     trebleRotorFilter, chunk.high + k, chunk.high + k, run);
        k += run;
    }
}

void RotarySpeaker::TurnRotors(Chunk& chunk, int from, int to)
{
    bassRotor.TicksInto(chunk.bassRotation + from, to - from);
    trebleRotor.TicksInto(chunk.trebleRotation + from, to - from);
}

void RotarySpeaker::RunRotorDelays(Chunk& chunk)
{
    const int n = chunk.length;
    directDelays[0].ProcessBlock(chunk.low, chunk.bass, n, chunk.bassRate);
    directDelays[1].ProcessBlock(chunk.high, chunk.treble, n, chunk.trebleRate);
    auto& feeds = chunk.cabinetFeeds;
    float* const bassFeeds[numCabinetTaps] = {feeds[0], feeds[2], feeds[4]};
    float* const trebleFeeds[numCabinetTaps] = {feeds[1], feeds[3], feeds[5]};
    cabinetDelays[0].ProcessTaps(chunk.bass, bassFeeds, n, chunk.bassRate);
    cabinetDelays[1].ProcessTaps(chunk.treble, trebleFeeds, n, chunk.trebleRate);
}

void RotarySpeaker::MixToOutput(const Chunk& chunk, const OrganParameters& parameters, float* left,
                                float* right, bool accumulate)
{
    const float depth = ParameterLimits::Level(Load(parameters.speakerDepth));
    const float width = ParameterLimits::Level(Load(parameters.speakerWidth));
    const auto& feeds = chunk.cabinetFeeds;
    // Only the cabinet filters carry anything from one sample to the next: everything around them runs
    // in loops of its own, which the compiler vectorises.
    float directLeft[chunkLength], directRight[chunkLength], cabinetLeftIn[chunkLength],
        cabinetRightIn[chunkLength];
    for (int k = 0; k < chunk.length; ++k)
    {
        const float bass = chunk.bass[k];
        const float treble = chunk.treble[k];
        const float bassRotation = chunk.bassRotation[k];
        const float trebleRotation = chunk.trebleRotation[k];
        // The sweeps were once meant to lag the rotation by a quarter turn, an offset that was never applied:
        // sweep and rotation are one wave.
        const float bassDepth = (bassRotation * 0.4f + 1.0f) * depth;
        const float trebleDepth = (trebleRotation * 0.2f + 1.0f) * depth;
        const float bassWeight = bassDepth * 0.1f + 0.9f;
        const float trebleWeight = trebleDepth * 0.2f + 0.5f;
        const float bassWidth = bass * bassRotation * width * 0.65f;
        const float trebleWidth = treble * trebleRotation * width * 0.65f;
        directLeft[k] = bassWeight * (bass - bassWidth) + trebleWeight * (treble - trebleWidth);
        directRight[k] = bassWeight * (bass + bassWidth) + trebleWeight * (treble + trebleWidth);

        const float r2 = feeds[0][k] * 0.2f * (0.9f - 0.1f * bassDepth);
        const float r3 = feeds[1][k] * 0.3f * (0.5f - 0.2f * trebleDepth);
        const float r4 = feeds[2][k] * 0.2f;
        const float r5 = feeds[3][k] * 0.3f * (0.5f - 0.2f * trebleRotation);
        const float r6 = feeds[4][k] * 0.2f;
        const float r7 = feeds[5][k] * 0.3f * (0.5f + 0.2f * trebleRotation);
        cabinetLeftIn[k] = r7 + (0.8f + 0.1f * bassRotation) * r6 + r3 + r2;
        cabinetRightIn[k] = (0.8f - 0.1f * bassRotation) * r4 + r5 + r3 + r2;
    }
    DSPModule_BiQuadFilterBase::ProcessBlockPair(cabinetLeft, cabinetLeftIn, cabinetLeftIn, cabinetRight,
                                                 cabinetRightIn, cabinetRightIn, chunk.length);
    for (int k = 0; k < chunk.length; ++k)
    {
        directLeft[k] = Saturate(cabinetLeftIn[k] + directLeft[k]);
        directRight[k] = Saturate(cabinetRightIn[k] + directRight[k]);
    }
    if (accumulate)
    {
        for (int k = 0; k < chunk.length; ++k)
        {
            left[k] += directLeft[k];
            right[k] += directRight[k];
        }
        return;
    }
    std::copy(directLeft, directLeft + chunk.length, left);
    std::copy(directRight, directRight + chunk.length, right);
}

} // namespace brumalux
