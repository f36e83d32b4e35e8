#include "HostMidiOutput.h"

#include <cstring>

namespace brumalux
{

HostMidiOutput::HostMidiOutput(vst2::HostCallback hostToUse, vst2::AEffect* effectToUse)
    : host(hostToUse),
      effect(effectToUse),
      records(capacity)
{
}

void HostMidiOutput::Send(const juce::MidiBuffer& events, int sampleOffset)
{
    for (const auto metadata : events)
    {
        if (metadata.numBytes > 4)
            continue;
        auto& record = records[static_cast<size_t>(list.numEvents)];
        record = {};
        record.type = vst2::kVstMidiType;
        record.byteSize = static_cast<vst2::VstInt32>(sizeof(vst2::VstMidiEvent));
        record.deltaFrames = metadata.samplePosition + sampleOffset;
        std::memcpy(record.midiData, metadata.data, static_cast<size_t>(metadata.numBytes));
        list.events[list.numEvents++] = reinterpret_cast<vst2::VstEvent*>(&record);
        if (list.numEvents == capacity)
            Flush();
    }
    Flush();
}

void HostMidiOutput::Flush()
{
    if (list.numEvents == 0)
        return;
    host(effect, vst2::audioMasterProcessEvents, 0, 0, &list, 0.0f);
    list.numEvents = 0;
}

} // namespace brumalux
