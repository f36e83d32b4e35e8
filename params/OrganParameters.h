#pragma once

#include <atomic>

namespace brumalux
{

class QuellmarkFilterBase;

// The organ's 27 automatable parameters by index: the key shared by the host, the
// programs, the stored state, the engine and the editor.
namespace ParameterIndex
{
enum : int
{
    oscillator = 0,          // "Osc", 0..4: basic waveform, integer part
    percussionLevel = 1,     // "Perc Lvl", 0..1
    attack = 2,              // "ADSR Att", 5..500 ms
    decay = 3,               // "ADSR Dec", 5..500 ms
    sustain = 4,             // "ADSR Sus", 0..1
    release = 5,             // "ADSR Rel", 5..1000 ms
    drawbar0 = 6,            // "DrawBar0" .. "DrawBar8": drawbar k is drawbar0 + k
    drawbar8 = 14,           // the last drawbar
    vibrato = 15,            // "Vibrato", 0..1
    tone = 16,               // "Tone", 100..12000 Hz
    distortion = 17,         // "Distortion", 1..10
    clipThresholdScale = 18, // "Unused", 0..1: the engine overwrites it every block
    speakerOn = 19,          // "Spkr On": exactly 0 is off
    slowSpeed1 = 20,         // "Spkr1Spd", 0.1..7 rotations per second
    slowSpeed2 = 21,         // "Spkr2Spd"
    fastSpeed1 = 22,         // "FSpkr1Spd"
    fastSpeed2 = 23,         // "FSpkr2Spd"
    speakerDepth = 24,       // "SpkrDpth", 0..1
    speakerWidth = 25,       // "SpkrWdth", 0..1
    clickLevel = 26,         // "Clck Lvl", 0..1
    count = 27
};
} // namespace ParameterIndex

constexpr int numDrawbars = 9;

// The engine's storage of the parameter values, in each parameter's own units. The
// parameter manager writes these from the host's and the editor's threads while the audio
// thread reads them (and itself overwrites "Unused" every block), so every access is a
// relaxed atomic load or store.
// Members are in index order (the comment gives the index).
struct OrganParameters
{
    std::atomic<float> oscillator{0.0f};         // 0
    std::atomic<float> percussionLevel{0.0f};    // 1
    std::atomic<float> attack{0.0f};             // 2
    std::atomic<float> decay{0.0f};              // 3
    std::atomic<float> sustain{0.0f};            // 4
    std::atomic<float> release{0.0f};            // 5
    std::atomic<float> drawbars[numDrawbars]{};  // 6 + k is drawbar k
    std::atomic<float> vibrato{0.0f};            // 15
    std::atomic<float> tone{0.0f};               // 16
    std::atomic<float> distortion{0.0f};         // 17
    std::atomic<float> clipThresholdScale{0.0f}; // 18 ("Unused")
    std::atomic<float> speakerOn{0.0f};          // 19
    std::atomic<float> slowSpeed1{0.0f};         // 20
    std::atomic<float> slowSpeed2{0.0f};         // 21
    std::atomic<float> fastSpeed1{0.0f};         // 22
    std::atomic<float> fastSpeed2{0.0f};         // 23
    std::atomic<float> speakerDepth{0.0f};       // 24
    std::atomic<float> speakerWidth{0.0f};       // 25
    std::atomic<float> clickLevel{0.0f};         // 26
};

inline float Load(const std::atomic<float>& parameter) noexcept
{
    return parameter.load(std::memory_order_relaxed);
}

// The nine drawbar levels as the engine reads them once per block.
inline void ReadDrawbars(const OrganParameters& parameters, float (&levels)[numDrawbars]) noexcept
{
    for (int k = 0; k < numDrawbars; ++k)
        levels[k] = Load(parameters.drawbars[k]);
}

// Registers the 27 parameters with the filter's manager, pointing each at its member of
// storage, then builds the factory programs and selects program 0, which writes every
// value. Called once from the organ's constructor, before a host is attached.
void RegisterOrganParameters(QuellmarkFilterBase& filter, OrganParameters& storage);

} // namespace brumalux
