#include "tools/VstEventBlock.h"

#include <algorithm>
#include <cstddef>

namespace render
{
namespace
{
vst2::VstMidiEvent MidiEventAt(const ScheduledMidiEvent& scheduled, int64_t blockStart)
{
    vst2::VstMidiEvent event{};
    event.type = vst2::kVstMidiType;
    event.byteSize = sizeof(vst2::VstMidiEvent);
    event.deltaFrames = static_cast<vst2::VstInt32>(scheduled.sample - blockStart);
    // Bytes past the message's size are zero, as the interface expects of unused data bytes.
    for (std::size_t i = 0; i < scheduled.bytes.size(); ++i)
        event.midiData[i] = static_cast<char>(scheduled.bytes[i]);
    const bool noteOff = (scheduled.bytes[0] & 0xf0) == 0x80;
    event.noteOffVelocity = noteOff ? static_cast<char>(scheduled.bytes[2]) : 0;
    return event;
}
} // namespace

void VstEventBlock::Fill(const ScheduledMidiEvent* first, const ScheduledMidiEvent* last, int64_t blockStart)
{
    midiEvents.clear();
    for (auto* scheduled = first; scheduled != last; ++scheduled)
        midiEvents.push_back(MidiEventAt(*scheduled, blockStart));

    constexpr std::size_t headerSlots = offsetof(vst2::VstEvents, events) / sizeof(vst2::VstIntPtr);
    storage.assign(std::max<std::size_t>(headerSlots + midiEvents.size(),
                                         sizeof(vst2::VstEvents) / sizeof(vst2::VstIntPtr)),
                   0);
    header()->numEvents = static_cast<vst2::VstInt32>(midiEvents.size());
    // Through the storage rather than the header's two-slot array, which the list outgrows.
    auto* slots = reinterpret_cast<vst2::VstEvent**>(storage.data() + headerSlots);
    for (std::size_t i = 0; i < midiEvents.size(); ++i)
        slots[i] = reinterpret_cast<vst2::VstEvent*>(&midiEvents[i]);
}
} // namespace render
