#pragma once

#include "host/Vst2Interface.h"

#include <cstddef>
#include <cstdint>
#include <vector>

namespace brumalux::vst2host
{
// MIDI events in the layout effProcessEvents takes: a VstEvents header whose pointer array points
// at VstMidiEvents. The memory stays valid until the next change, as plug-ins may keep the
// pointers until the block has been processed. Reused from block to block.
class VstEventList
{
public:
    void Clear();
    // A channel message of at most three bytes at its offset in the block.
    void Add(int deltaFrames, const uint8_t* bytes, std::size_t size);

    vst2::VstEvents* Events();
    int Size() const { return static_cast<int>(midiEvents.size()); }

private:
    std::vector<vst2::VstMidiEvent> midiEvents;
    // The header ends in a pointer array as long as the number of events; pointer-sized slots keep
    // it aligned.
    std::vector<vst2::VstIntPtr> storage;
};
} // namespace brumalux::vst2host
