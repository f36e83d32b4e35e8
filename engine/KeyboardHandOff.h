#pragma once

#include "engine/MidiEvent.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

// Notes played on the editor's keyboard, waiting for the next block. The message thread posts them; the
// audio thread takes them all at the start of a block. Each side holds the list's own lock only briefly.
// The list's room is reserved up front so that neither side allocates; should the audio stop while
// someone keeps playing, notes beyond that room are dropped rather than piling up.
class KeyboardHandOff
{
public:
    static constexpr int capacity = 256;

    KeyboardHandOff();

    // Message thread. False when the list is full and the message was dropped.
    bool Post(const juce::MidiMessage& message);

    // Audio thread: moves every waiting message, in the order posted, into destination (room for
    // capacity events) as events at sample position 0, empties the list and answers how many there were.
    int TakeAll(MidiEvent* destination);

private:
    juce::CriticalSection lock;
    std::vector<juce::MidiMessage> pendingKeyboardMessages;

    JUCE_DECLARE_NON_COPYABLE(KeyboardHandOff)
};
