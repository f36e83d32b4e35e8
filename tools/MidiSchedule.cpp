#include "tools/MidiSchedule.h"

#include "tools/RenderError.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <algorithm>
#include <cmath>

namespace render
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
} // namespace

MidiSchedule MidiSchedule::FromFile(const std::string& path, double sampleRate)
{
    const juce::File file = juce::File::getCurrentWorkingDirectory().getChildFile(path);
    if (!file.existsAsFile())
        throw RenderError("MIDI file not found: " + path);
    juce::FileInputStream stream(file);
    if (!stream.openedOk())
        throw RenderError("cannot read the MIDI file " + path + ": " +
                          stream.getStatus().getErrorMessage().toStdString());

    juce::MidiFile midi;
    int format = 0;
    // Unmatched note-ons stay as they are: the tail decides how long they ring, not a made-up note-off.
    if (!midi.readFrom(stream, false, &format) || midi.getTimeFormat() == 0)
        throw RenderError(path + " is not a readable standard MIDI file");
    if (format == 2)
        throw RenderError(
            path + " is a format 2 MIDI file (independent patterns); only formats 0 and 1 can be played");

    auto schedule = FromMidiFile(std::move(midi), sampleRate);
    if (schedule.Empty())
        throw RenderError(path + " holds no notes or other channel messages to play");
    return schedule;
}

MidiSchedule MidiSchedule::FromMidiFile(juce::MidiFile file, double sampleRate)
{
    file.convertTimestampTicksToSeconds();
    MidiSchedule schedule;
    for (int track = 0; track < file.getNumTracks(); ++track)
        for (const auto* holder : *file.getTrack(track))
            if (IsChannelMessage(holder->message))
                schedule.events.push_back(Scheduled(holder->message, sampleRate));
    // Stable, so that messages at one sample keep the order of the file and its tracks.
    std::stable_sort(schedule.events.begin(), schedule.events.end(),
                     [](const auto& a, const auto& b) { return a.sample < b.sample; });
    return schedule;
}
} // namespace render
