// Reads arbitrary bytes as the MIDI file given to the render tool. A file it cannot play
// must be refused with a reason; one it plays must yield only channel messages of one to
// three bytes, in playing order, none earlier than the start or later than a day.
#include "fuzz/FuzzCheck.h"
#include "tools/MidiSchedule.h"
#include "tools/RenderError.h"

#include <cstdint>

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size)
{
    using namespace brumalux::render;
    using brumalux::Check;
    constexpr double sampleRate = 44100.0;
    try
    {
        const auto schedule = MidiSchedule::FromBytes(data, size, "fuzz.mid", sampleRate);
        int64_t previous = 0;
        for (const auto& event : schedule.Events())
        {
            Check(event.size >= 1 && event.size <= 3 && event.bytes[0] >= 0x80 && event.bytes[0] < 0xf0);
            Check(event.sample >= previous && event.sample <= MidiSchedule::kLongestSeconds * sampleRate + 1);
            previous = event.sample;
        }
    }
    catch (const RenderError& error)
    {
        Check(error.what()[0] != '\0');
    }
    return 0;
}
