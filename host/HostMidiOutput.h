#pragma once

#include "Vst2Interface.h"
#include "hostcore/BlockMidiOutput.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace brumalux
{

// Hands MIDI that a filter produced to the host (audioMasterProcessEvents). Runs on the
// audio thread: the event records are allocated once, and a block that produces more
// events than fit is passed on in several requests.
class HostMidiOutput final : public BlockMidiOutput
{
public:
    static constexpr int capacity = 256;

    HostMidiOutput(vst2::HostCallback host, vst2::AEffect* effect);

    // Sends every event of at most 4 bytes, its position moved on by sampleOffset.
    void Send(const juce::MidiBuffer& events, int sampleOffset) override;

private:
    // The published event list, with room for capacity entries instead of two.
    struct EventList
    {
        vst2::VstInt32 numEvents;
        vst2::VstIntPtr reserved;
        vst2::VstEvent* events[capacity];
    };

    void Flush();

    vst2::HostCallback host;
    vst2::AEffect* effect;
    std::vector<vst2::VstMidiEvent> records;
    EventList list{};
};

} // namespace brumalux
