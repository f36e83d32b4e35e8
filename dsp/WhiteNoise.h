#pragma once

#include <cstdint>

namespace brumalux
{

// A generator of uniformly distributed values in [0, 1], in steps of 1/32767. Each generator starts the
// same fixed sequence, so whoever owns one (an organ, a shape on its own) renders the same every run,
// whatever else runs in the process. No lock, no allocation: the owner's thread draws from it.
class WhiteNoise
{
public:
    float Next()
    {
        // Linear congruential step; the top bits are the well-mixed ones.
        state = state * 1664525u + 1013904223u;
        return static_cast<float>(static_cast<int>(state >> 17)) * (1.0f / 32767.0f);
    }

private:
    uint32_t state = 22222u;
};

} // namespace brumalux
