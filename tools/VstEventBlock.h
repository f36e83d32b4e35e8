#pragma once

#include "host/Vst2Interface.h"
#include "tools/MidiSchedule.h"

#include <cstdint>
#include <memory>
#include <vector>

namespace render
{
// The MIDI events of one block in the layout effProcessEvents takes: a VstEvents header whose
// pointer array points at VstMidiEvents with their offsets in the block. The memory stays valid
// until the next Fill, as plug-ins may keep the pointers until the block has been processed.
class VstEventBlock
{
public:
    // Takes the scheduled events from first up to (not including) last, all inside the block that
    // starts at blockStart.
    void Fill(const ScheduledMidiEvent* first, const ScheduledMidiEvent* last, int64_t blockStart);

    vst2::VstEvents* Events() { return header(); }
    const vst2::VstMidiEvent& MidiEvent(int index) const
    {
        return midiEvents[static_cast<std::size_t>(index)];
    }

private:
    vst2::VstEvents* header() { return reinterpret_cast<vst2::VstEvents*>(storage.data()); }

    std::vector<vst2::VstMidiEvent> midiEvents;
    // The header ends in a pointer array as long as the number of events; pointer-sized slots keep
    // it aligned.
    std::vector<vst2::VstIntPtr> storage = std::vector<vst2::VstIntPtr>(4);
};
} // namespace render
