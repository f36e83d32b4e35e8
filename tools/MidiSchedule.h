#pragma once

#include <array>
#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace juce
{
class MidiFile;
}

namespace brumalux::render
{
// A channel message (at most three bytes) and the sample at which it sounds.
struct ScheduledMidiEvent
{
    int64_t sample = 0;
    std::array<uint8_t, 3> bytes{};
    int size = 0;
};

// Every channel message of a standard MIDI file, from all its tracks, on the sample timeline of one
// sample rate, in playing order. Meta events (tempo, names) have done their work once the times are
// converted, and system-exclusive messages have no place in a VST 2 MIDI event, so both are left out.
class MidiSchedule
{
public:
    // The latest time an event may have: a day of sound is far more than any piece needs.
    static constexpr double kLongestSeconds = 24.0 * 3600.0;

    // Throws RenderError for a missing, unreadable, format 2, empty or over-long file; zero bytes
    // after the last chunk are ignored.
    static MidiSchedule FromFile(const std::string& path, double sampleRate);
    // The same for a file's bytes already read; name stands for the file in errors.
    static MidiSchedule FromBytes(const void* data, size_t size, const std::string& name, double sampleRate);
    // A file already read, its time stamps still in ticks. Throws RenderError for an over-long file.
    static MidiSchedule FromMidiFile(juce::MidiFile file, double sampleRate);

    const std::vector<ScheduledMidiEvent>& Events() const { return events; }
    bool Empty() const { return events.empty(); }
    int64_t LastEventSample() const { return events.empty() ? 0 : events.back().sample; }

private:
    std::vector<ScheduledMidiEvent> events;
};
} // namespace brumalux::render
