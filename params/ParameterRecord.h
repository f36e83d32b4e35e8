#pragma once

#include <juce_core/juce_core.h>

#include <atomic>

namespace brumalux
{

// Where one parameter's value lives and how the host sees it. The record owns nothing:
// the target float belongs to the engine and is the only copy of the value.
struct ParameterRecord
{
    std::atomic<float>* target = nullptr; // null until the index is registered
    juce::String name;
    float minimum = 0.0f; // the value that normalised 0 maps to
    float maximum = 1.0f; // the value that normalised 1 maps to

    // Neither direction clamps: the host may send, and a program may hold, values
    // outside the range.
    float NormalisedFromValue(float value) const noexcept { return (value - minimum) / (maximum - minimum); }
    float ValueFromNormalised(float normalised) const noexcept
    {
        return minimum + (maximum - minimum) * normalised;
    }
};

} // namespace brumalux
