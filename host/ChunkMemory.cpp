#include "ChunkMemory.h"

#include "framework/AudioFilterBase.h"

juce::int64 ChunkMemory::HandOut(AudioFilterBase& filter, void** destination, juce::uint32 nowMs)
{
    if (destination == nullptr)
        return 0;
    const juce::ScopedLock scope(lock);
    memory.reset();
    filter.SaveState(memory);
    *destination = memory.getData();
    handedOutAtMs = nowMs;
    return static_cast<juce::int64>(memory.getSize());
}

void ChunkMemory::Clear()
{
    const juce::ScopedLock scope(lock);
    memory.reset();
    handedOutAtMs.reset();
}

void ChunkMemory::ExpireIfOld(juce::uint32 nowMs)
{
    const juce::ScopedLock scope(lock);
    // Unsigned subtraction keeps the age right across the millisecond counter's wrap.
    if (handedOutAtMs.has_value() && nowMs - *handedOutAtMs > lifetimeMs)
    {
        memory.reset();
        handedOutAtMs.reset();
    }
}

size_t ChunkMemory::GetSize() const
{
    const juce::ScopedLock scope(lock);
    return memory.getSize();
}
