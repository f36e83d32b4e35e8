#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

namespace brumalux
{

// Where the block renderer hands the MIDI a filter produced: a format's own way of passing it
// to the host. Audio thread: it neither allocates nor waits.
class BlockMidiOutput
{
public:
    // Sends every event, its position moved on by sampleOffset.
    virtual void Send(const juce::MidiBuffer& events, int sampleOffset) = 0;

protected:
    ~BlockMidiOutput() = default;
};

} // namespace brumalux
