#include "engine/KeyboardHandOff.h"

namespace brumalux
{

bool KeyboardHandOff::Post(const juce::MidiMessage& message)
{
    const auto event = MidiEvent::FromRaw(message.getRawData(), message.getRawDataSize(), 0);
    const juce::ScopedLock scopedLock(lock);
    if (count < capacity)
    {
        events[static_cast<size_t>(count++)] = event;
        return true;
    }
    if (event.kind != MidiEvent::Kind::noteOff)
        return false;
    // Every event in the list came before this one, and nothing later can get into the list before
    // TakeAll empties it, so releasing after the list keeps the order that matters.
    releaseAfterList[static_cast<size_t>(event.data1)] = true;
    return true;
}

int KeyboardHandOff::TakeAll(MidiEvent* destination)
{
    const juce::ScopedLock scopedLock(lock);
    int taken = 0;
    for (int i = 0; i < count; ++i)
        destination[taken++] = events[static_cast<size_t>(i)];
    count = 0;
    for (int note = 0; note < numNotes; ++note)
    {
        if (!releaseAfterList[static_cast<size_t>(note)])
            continue;
        releaseAfterList[static_cast<size_t>(note)] = false;
        const juce::uint8 noteOff[] = {0x80, static_cast<juce::uint8>(note), 0};
        destination[taken++] = MidiEvent::FromRaw(noteOff, 3, 0);
    }
    return taken;
}

} // namespace brumalux
