#pragma once

#include <juce_core/juce_core.h>

#include <optional>

namespace brumalux
{

// The organ's tuning: a transposition in semitones and the reference pitch of what sounds 440 Hz
// untransposed (note 81 with only DrawBar2, or note 69 through the 16' drawbar). Settings of the organ,
// saved with its state, not automatable parameters. The defaults give the untuned organ's pitch exactly.
struct Tuning
{
    static constexpr int minTranspose = -24;
    static constexpr int maxTranspose = 24;
    static constexpr float minReference = 415.0f;
    static constexpr float maxReference = 466.0f;
    static constexpr float defaultReference = 440.0f;
    // The size of the saved form: int32 transpose, float32 reference, little-endian.
    static constexpr int entrySize = 8;

    int transpose = 0;
    float reference = defaultReference;

    bool IsDefault() const { return *this == Tuning{}; }
    // Both within their ranges (a NaN reference is not).
    bool IsValid() const;
    bool operator==(const Tuning& other) const
    {
        return transpose == other.transpose && reference == other.reference;
    }
    bool operator!=(const Tuning& other) const { return !(*this == other); }

    // The saved form, appended to destination.
    void WriteEntry(juce::MemoryBlock& destination) const;
    // A tuning from its saved form; nothing for any other size or for values out of range.
    static std::optional<Tuning> ReadEntry(const void* data, size_t sizeInBytes);
};

} // namespace brumalux
