#include "tools/MidiSchedule.h"

#include "tools/RenderError.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <cmath>
#include <cstring>
#include <iomanip>
#include <sstream>

namespace brumalux::render
{
namespace
{
bool IsChannelMessage(const juce::MidiMessage& message)
{
    const int size = message.getRawDataSize();
    return size >= 1 && size <= 3 && message.getRawData()[0] >= 0x80 && message.getRawData()[0] < 0xf0;
}

ScheduledMidiEvent Scheduled(const juce::MidiMessage& message, double sampleRate)
{
    ScheduledMidiEvent event;
    event.sample = std::llround(message.getTimeStamp() * sampleRate);
    event.size = message.getRawDataSize();
    std::copy_n(message.getRawData(), event.size, event.bytes.begin());
    return event;
}
// A few bytes can ask for years of sound; such a file is refused before anything is rendered.
void CheckTime(double seconds)
{
    if (!(seconds <= MidiSchedule::kLongestSeconds))
    {
        std::ostringstream hours;
        hours << std::fixed << std::setprecision(0) << seconds / 3600.0;
        throw RenderError("the MIDI file has an event at " + hours.str() +
                          " hours; files longer than 24 hours are not rendered");
    }
}

uint32_t BigEndianAt(const uint8_t* bytes)
{
    return juce::ByteOrder::bigEndianInt(bytes);
}

// Old sequencers pad their files with zero bytes after the last chunk, which the reader would take
// for a damaged file. The length up to the end of the chunks the header announces, when only zero
// bytes follow it; otherwise the whole length, for the reader to judge.
size_t WithoutZeroPadding(const uint8_t* bytes, size_t size)
{
    if (size < 14 || std::memcmp(bytes, "MThd", 4) != 0)
        return size;
    size_t end = 8 + size_t{BigEndianAt(bytes + 4)};
    const int numChunks = juce::ByteOrder::bigEndianShort(bytes + 10);
    for (int chunk = 0; chunk < numChunks; ++chunk)
    {
        if (end > size - 8)
            return size;
        end += 8 + size_t{BigEndianAt(bytes + end + 4)};
    }
    if (end >= size || std::any_of(bytes + end, bytes + size, [](uint8_t byte) { return byte != 0; }))
        return size;
    return end;
}
} // namespace

MidiSchedule MidiSchedule::FromFile(const std::string& path, double sampleRate)
{
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(path);
    if (file.isDirectory())
        throw RenderError("cannot read the MIDI file " + path + ": it is a folder");
    if (!file.existsAsFile())
        throw RenderError("MIDI file not found: " + path);
    // MIDI files are small; this keeps a huge file given by mistake from filling the memory.
    constexpr juce::int64 largestFile = juce::int64{200} * 1024 * 1024;
    if (file.getSize() > largestFile)
        throw RenderError(path + " is not a readable standard MIDI file: it is larger than 200 MB");
    juce::MemoryBlock bytes;
    if (!file.loadFileAsData(bytes))
        throw RenderError("cannot read the MIDI file " + path);
    return FromBytes(bytes.getData(), bytes.getSize(), path, sampleRate);
}

MidiSchedule MidiSchedule::FromBytes(const void* data, size_t size, const std::string& name,
                                     double sampleRate)
{
    juce::MemoryInputStream stream(data, WithoutZeroPadding(static_cast<const uint8_t*>(data), size), false);
    juce::MidiFile midi;
    int format = 0;
    // Unmatched note-ons stay as they are: the tail decides how long they ring, not a made-up note-off.
    if (!midi.readFrom(stream, false, &format) || midi.getTimeFormat() == 0)
        throw RenderError(name + " is not a readable standard MIDI file");
    if (format == 2)
        throw RenderError(
            name + " is a format 2 MIDI file (independent patterns); only formats 0 and 1 can be played");

    auto schedule = FromMidiFile(std::move(midi), sampleRate);
    if (schedule.Empty())
        throw RenderError(name + " holds no notes or other channel messages to play");
    return schedule;
}

MidiSchedule MidiSchedule::FromMidiFile(juce::MidiFile file, double sampleRate)
{
    file.convertTimestampTicksToSeconds();
    MidiSchedule schedule;
    for (int track = 0; track < file.getNumTracks(); ++track)
        for (const auto* holder : *file.getTrack(track))
            if (IsChannelMessage(holder->message))
            {
                CheckTime(holder->message.getTimeStamp());
                schedule.events.push_back(Scheduled(holder->message, sampleRate));
            }
    // Stable, so that messages at one sample keep the order of the file and its tracks.
    std::stable_sort(schedule.events.begin(), schedule.events.end(),
                     [](const auto& a, const auto& b) { return a.sample < b.sample; });
    return schedule;
}
} // namespace brumalux::render
