#pragma once

#include <juce_core/juce_core.h>

#include <array>
#include <optional>

namespace brumalux
{

class AudioFilterBase;

// The state chunk last handed to the host. The host reads it through the pointer it was
// given, so the memory stays valid until the next chunk request or until it has been
// out for longer than the host can reasonably need.
//
// Threads: the host's threads hand chunks out and take chunks in, possibly at once;
// the timer expires the memory on the message thread. Every call is safe against every
// other. A block handed out is not freed by the next requests either: it is kept among
// the last keptBlocks handed out until it is lifetimeMs old, so a host may still be
// copying it while another of its threads asks again, and may hand it straight back to
// effSetChunk.
class ChunkMemory
{
public:
    static constexpr juce::uint32 lifetimeMs = 2000;
    static constexpr size_t keptBlocks = 8;

    // Saves the filter's state into fresh memory, points *destination at it and answers
    // its size. Answers 0 and saves nothing when destination is null.
    juce::int64 HandOut(AudioFilterBase& filter, void** destination, juce::uint32 nowMs);

    // Forgets the memory handed out (a chunk coming in replaces what went out).
    void Clear();

    // Empties the memory once more than lifetimeMs have passed since it was handed out.
    void ExpireIfOld(juce::uint32 nowMs);

    // The size of the chunk last handed out and not yet forgotten or expired.
    size_t GetSize() const;

private:
    struct HandedOut
    {
        juce::MemoryBlock memory;
        std::optional<juce::uint32> atMs;
    };

    // Moves the current block among the kept ones, freeing the oldest kept. Under lock.
    void RetireCurrent();
    static void ExpireIfOld(HandedOut& block, juce::uint32 nowMs);

    juce::CriticalSection lock;
    HandedOut current;
    std::array<HandedOut, keptBlocks> retired;
    size_t nextRetired = 0;
};

} // namespace brumalux
