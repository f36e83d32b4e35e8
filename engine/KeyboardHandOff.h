#pragma once

#include "engine/MidiEvent.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <array>

namespace brumalux
{

// Notes played on the editor's keyboard, waiting for the next block. The message thread posts them; the
// audio thread takes them all at the start of a block. Each side holds the list's own lock only briefly.
// The room is fixed up front so that neither side allocates. Should the audio stop while someone keeps
// playing, the list fills up: then note-ons are dropped, but a note-off is never lost, since it is kept
// as a mark on its note and delivered after the list. A key released while audio was stopped is released
// once audio resumes.
class KeyboardHandOff
{
public:
    static constexpr int capacity = 256;
    static constexpr int numNotes = 128;
    // The most that one TakeAll hands out: a full list and a note-off for every note.
    static constexpr int maxTaken = capacity + numNotes;

    KeyboardHandOff() = default;

    // Message thread. False when a note-on or another message was dropped because the list is full.
    bool Post(const juce::MidiMessage& message);

    // Audio thread: moves every waiting message, in the order posted, into destination (room for
    // maxTaken events) as events at sample position 0, followed by the note-offs that found the list
    // full; empties the list and answers how many events there were.
    int TakeAll(MidiEvent* destination);

private:
    juce::CriticalSection lock;
    std::array<MidiEvent, capacity> events;
    int count = 0;
    std::array<bool, numNotes> releaseAfterList{};

    JUCE_DECLARE_NON_COPYABLE(KeyboardHandOff)
};

} // namespace brumalux
