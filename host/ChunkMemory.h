#pragma once

#include <juce_core/juce_core.h>

#include <optional>

class AudioFilterBase;

// The state chunk last handed to the host. The host reads it through the pointer it was
// given, so the memory stays valid until the next chunk request or until it has been
// out for longer than the host can reasonably need. The host's control thread hands it
// out and takes chunks in; the timer expires it on the message thread.
class ChunkMemory
{
public:
    static constexpr juce::uint32 lifetimeMs = 2000;

    // Saves the filter's state into fresh memory, points *destination at it and answers
    // its size. Answers 0 and saves nothing when destination is null.
    juce::int64 HandOut(AudioFilterBase& filter, void** destination, juce::uint32 nowMs);

    // Forgets the memory handed out (a chunk coming in replaces what went out).
    void Clear();

    // Empties the memory once more than lifetimeMs have passed since it was handed out.
    void ExpireIfOld(juce::uint32 nowMs);

    size_t GetSize() const;

private:
    juce::CriticalSection lock;
    juce::MemoryBlock memory;
    std::optional<juce::uint32> handedOutAtMs;
};
