#include "dsp/WhiteNoise.h"

#include <cstdint>

namespace
{
// Plain 32-bit state, constant-initialised: no per-thread constructor runs on an audio thread.
thread_local uint32_t generatorState = 22222u;

int NextRandom15Bits()
{
    // Linear congruential step; the top bits are the well-mixed ones.
    generatorState = generatorState * 1664525u + 1013904223u;
    return static_cast<int>(generatorState >> 17);
}
} // namespace

float WhiteNoise()
{
    return static_cast<float>(NextRandom15Bits()) * (1.0f / 32767.0f);
}
