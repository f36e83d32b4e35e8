#include "ChunkMemory.h"

#include "framework/AudioFilterBase.h"

namespace brumalux
{

juce::int64 ChunkMemory::HandOut(AudioFilterBase& filter, void** destination, juce::uint32 nowMs)
{
    if (destination == nullptr)
        return 0;
    HandedOut fresh;
    filter.SaveState(fresh.memory);
    fresh.atMs = nowMs;

    const juce::ScopedLock scope(lock);
    RetireCurrent();
    current = std::move(fresh);
    *destination = current.memory.getData();
    return static_cast<juce::int64>(current.memory.getSize());
}

void ChunkMemory::Clear()
{
    const juce::ScopedLock scope(lock);
    RetireCurrent();
}

void ChunkMemory::RetireCurrent()
{
    if (!current.atMs.has_value())
        return;
    retired[nextRetired] = std::move(current);
    nextRetired = (nextRetired + 1) % keptBlocks;
    current = {};
}

void ChunkMemory::ExpireIfOld(juce::uint32 nowMs)
{
    const juce::ScopedLock scope(lock);
    ExpireIfOld(current, nowMs);
    for (auto& block : retired)
        ExpireIfOld(block, nowMs);
}

void ChunkMemory::ExpireIfOld(HandedOut& block, juce::uint32 nowMs)
{
    // Unsigned subtraction keeps the age right across the millisecond counter's wrap.
    if (block.atMs.has_value() && nowMs - *block.atMs > lifetimeMs)
        block = {};
}

size_t ChunkMemory::GetSize() const
{
    const juce::ScopedLock scope(lock);
    return current.memory.getSize();
}

} // namespace brumalux
