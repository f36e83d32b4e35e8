#include "vst2host/VstEventList.h"

#include <algorithm>

namespace brumalux::vst2host
{
void VstEventList::Clear()
{
    midiEvents.clear();
}

void VstEventList::Add(int deltaFrames, const uint8_t* bytes, std::size_t size)
{
    vst2::VstMidiEvent event{};
    event.type = vst2::kVstMidiType;
    event.byteSize = sizeof(vst2::VstMidiEvent);
    event.deltaFrames = deltaFrames;
    // Bytes past the message's size are zero, as the interface expects of unused data bytes.
    for (std::size_t i = 0; i < std::min<std::size_t>(size, 3); ++i)
        event.midiData[i] = static_cast<char>(bytes[i]);
    const bool noteOff = size == 3 && (bytes[0] & 0xf0) == 0x80;
    event.noteOffVelocity = noteOff ? static_cast<char>(bytes[2]) : 0;
    midiEvents.push_back(event);
}

vst2::VstEvents* VstEventList::Events()
{
    constexpr std::size_t headerSlots = offsetof(vst2::VstEvents, events) / sizeof(vst2::VstIntPtr);
    storage.assign(
        std::max(headerSlots + midiEvents.size(), sizeof(vst2::VstEvents) / sizeof(vst2::VstIntPtr)), 0);
    auto* header = reinterpret_cast<vst2::VstEvents*>(storage.data());
    header->numEvents = static_cast<vst2::VstInt32>(midiEvents.size());
    // Through the storage rather than the header's two-slot array, which the list outgrows.
    auto* slots = reinterpret_cast<vst2::VstEvent**>(storage.data() + headerSlots);
    for (std::size_t i = 0; i < midiEvents.size(); ++i)
        slots[i] = reinterpret_cast<vst2::VstEvent*>(&midiEvents[i]);
    return header;
}
} // namespace brumalux::vst2host
