#pragma once

#include <cstdint>

namespace brumalux
{

// One channel message of a block, read from its raw bytes. The channel is dropped on purpose: the organ
// plays alike on all sixteen.
struct MidiEvent
{
    enum class Kind
    {
        noteOn,
        noteOff,
        controller,
        channelPressure,
        pitchWheel,
        programChange,
        ignored
    };

    Kind kind = Kind::ignored;
    int position = 0; // sample position within the block
    int status = 0;   // the status byte as received
    int data1 = 0;    // note number, controller number, program number or pressure
    int data2 = 0;    // velocity or controller value

    // Anything the organ does not use (system messages, polyphonic pressure) and any
    // message shorter than its status byte requires comes out as ignored.
    static MidiEvent FromRaw(const uint8_t* data, int numBytes, int samplePosition)
    {
        MidiEvent event;
        event.position = samplePosition;
        if (data == nullptr || numBytes < 1)
            return event;
        const int status = data[0] & 0xF0;
        const int needed = (status == 0xC0 || status == 0xD0) ? 2 : 3;
        if (data[0] < 0x80 || data[0] >= 0xF0 || numBytes < needed)
            return event;
        event.status = data[0];
        event.data1 = data[1] & 0x7F;
        event.data2 = needed == 3 ? (data[2] & 0x7F) : 0;
        switch (status)
        {
            case 0x90:
                event.kind = event.data2 > 0 ? Kind::noteOn : Kind::noteOff;
                break;
            case 0x80:
                event.kind = Kind::noteOff;
                break;
            case 0xB0:
                event.kind = Kind::controller;
                break;
            case 0xC0:
                event.kind = Kind::programChange;
                break;
            case 0xD0:
                event.kind = Kind::channelPressure;
                break;
            case 0xE0:
                event.kind = Kind::pitchWheel;
                break;
            default:
                break;
        }
        return event;
    }
};

} // namespace brumalux
