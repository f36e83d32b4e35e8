#include "engine/KeyboardHandOff.h"

KeyboardHandOff::KeyboardHandOff()
{
    pendingKeyboardMessages.reserve(capacity);
}

bool KeyboardHandOff::Post(const juce::MidiMessage& message)
{
    const juce::ScopedLock scopedLock(lock);
    if (pendingKeyboardMessages.size() >= static_cast<size_t>(capacity))
        return false;
    pendingKeyboardMessages.push_back(message);
    return true;
}

int KeyboardHandOff::TakeAll(MidiEvent* destination)
{
    const juce::ScopedLock scopedLock(lock);
    int count = 0;
    for (const auto& message : pendingKeyboardMessages)
        destination[count++] = MidiEvent::FromRaw(message.getRawData(), message.getRawDataSize(), 0);
    // clear() keeps the reserved room, so the audio thread frees nothing here.
    pendingKeyboardMessages.clear();
    return count;
}
