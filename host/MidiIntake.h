#pragma once

#include "Vst2Interface.h"

#include <juce_audio_basics/juce_audio_basics.h>

namespace brumalux
{

// Turns a host's event list into MIDI messages at their sample offsets. Runs on whatever
// thread the host delivers events on (usually the audio thread): it allocates only when
// the buffer outgrows what was reserved for it.
namespace MidiIntake
{
// Bytes of a short MIDI message that starts with this status byte; 0 for a byte that
// cannot start one (a data byte, system exclusive and its end marker).
int ShortMessageLength(juce::uint8 statusByte) noexcept;

// Adds every well-formed MIDI event of the list to the buffer at its delta frames, in
// list order. Absent entries, events of other types and malformed messages are skipped;
// a null list or a negative count adds nothing. Answers the number of events added.
int AddHostEvents(const vst2::VstEvents* events, juce::MidiBuffer& destination);
} // namespace MidiIntake

} // namespace brumalux
