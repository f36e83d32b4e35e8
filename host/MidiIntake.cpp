#include "MidiIntake.h"

#include <cstring>

namespace brumalux
{

namespace MidiIntake
{
namespace
{
// A host that claims more events than this in one call is not telling the truth, and we
// stop reading its list there rather than run through memory that is not its list.
constexpr int maxEventsPerCall = 1 << 16;

bool IsDataByte(juce::uint8 byte) noexcept
{
    return byte < 0x80;
}

bool AddMidiEvent(const vst2::VstMidiEvent& event, juce::MidiBuffer& destination)
{
    juce::uint8 bytes[4];
    std::memcpy(bytes, event.midiData, sizeof(bytes));
    const auto length = ShortMessageLength(bytes[0]);
    if (length == 0)
        return false;
    for (int i = 1; i < length; ++i)
        if (!IsDataByte(bytes[i]))
            return false;
    return destination.addEvent(bytes, length, event.deltaFrames);
}
} // namespace

int ShortMessageLength(juce::uint8 statusByte) noexcept
{
    if (IsDataByte(statusByte) || statusByte == 0xf0 || statusByte == 0xf7)
        return 0;
    return juce::MidiMessage::getMessageLengthFromFirstByte(statusByte);
}

int AddHostEvents(const vst2::VstEvents* events, juce::MidiBuffer& destination)
{
    if (events == nullptr)
        return 0;
    const auto count = juce::jmin(events->numEvents, maxEventsPerCall);
    // The list is longer than its declared two entries; walk it through a plain pointer.
    const vst2::VstEvent* const* entries = events->events;
    int added = 0;
    for (int i = 0; i < count; ++i)
    {
        const auto* event = entries[i];
        if (event != nullptr && event->type == vst2::kVstMidiType &&
            AddMidiEvent(*reinterpret_cast<const vst2::VstMidiEvent*>(event), destination))
            ++added;
    }
    return added;
}
} // namespace MidiIntake

} // namespace brumalux
