#pragma once

#include <algorithm>

namespace brumalux
{

// Parameter values reach the engine unclamped: the host's normalised values are not limited, stored
// programs may hold anything, and the editor's voice selector writes waveforms beyond the host's range.
// These limits are applied where the engine uses a value. Each keeps every value of the declared range
// exactly as it is and only holds back values that would crash, read outside a table, or turn the signal
// into NaN or infinity for good. NaN never reaches them (the parameter manager refuses non-finite
// values), but they map it to a safe value anyway.
namespace ParameterLimits
{
constexpr int numBasicShapes = 7;

// Gains (drawbars, percussion, click, sustain, vibrato, speaker depth and width) may go beyond full scale,
// but not so far that a sum of voices could overflow.
constexpr float maxLevel = 16.0f;

// Envelope lengths in samples: non-negative, and short enough (about 1.5 hours at 48 kHz) that a voice's
// time can never overflow (see Voice).
constexpr int maxEnvelopeSamples = 1 << 28;

// Filter frequencies in cycles per sample. Above half the sample rate the low-pass design turns
// unstable; at 0 it no longer decays.
constexpr float maxFilterFrequency = 0.49f;
constexpr float minFilterFrequency = 1.0e-5f;

// "Distortion" drives the saturation with h = (aftertouch + 1) * distortion / 2; the band-pass is
// 6 - 0.2 h octaves wide and the output gain 2 / h. Within these bounds the bandwidth stays at least one
// octave and the gain finite.
constexpr float minDistortion = 0.1f;
constexpr float maxDistortion = 25.0f;

// Rotor speeds become oscillator frequencies of up to 1.05 times the speed: kept below half the rate.
constexpr float maxRotorSpeedPerSampleRate = 0.45f;

inline float Clamp(float value, float low, float high)
{
    return value >= low ? std::min(value, high) : low; // NaN takes the lower bound
}

inline int WaveformIndex(float oscillator)
{
    if (!(oscillator >= 0.0f))
        return 0;
    return oscillator >= static_cast<float>(numBasicShapes - 1) ? numBasicShapes - 1
                                                                : static_cast<int>(oscillator);
}

inline float Level(float level)
{
    return Clamp(level, -maxLevel, maxLevel);
}

// Milliseconds times the sample rate, truncated to whole samples.
inline int EnvelopeSamples(float lengthSamples)
{
    if (!(lengthSamples > 0.0f))
        return 0;
    return lengthSamples >= static_cast<float>(maxEnvelopeSamples) ? maxEnvelopeSamples
                                                                   : static_cast<int>(lengthSamples);
}

inline float FilterFrequency(float cyclesPerSample)
{
    return Clamp(cyclesPerSample, minFilterFrequency, maxFilterFrequency);
}

inline float Distortion(float distortion)
{
    return Clamp(distortion, minDistortion, maxDistortion);
}

inline float RotorSpeed(float rotationsPerSecond, float sampleRate)
{
    return Clamp(rotationsPerSecond, 0.0f, maxRotorSpeedPerSampleRate * sampleRate);
}

// Frequencies in Hz for the voices' oscillators; in range they lie far below these bounds.
inline double OscillatorFrequency(double hz, float sampleRate)
{
    const double highest = static_cast<double>(maxFilterFrequency) * sampleRate;
    return hz >= 0.0 ? std::min(hz, highest) : 0.0;
}
} // namespace ParameterLimits

} // namespace brumalux
