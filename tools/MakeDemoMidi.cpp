// Writes the demo MIDI file: ten bars for the organ with chords over a bass, a melody, the sustain
// pedal holding short chords, the modulation wheel switching the rotating speaker to fast and back,
// and a slower last two bars. Usage: brumalux-make-demo-midi OUTPUT.mid

#include <juce_audio_basics/juce_audio_basics.h>

#include <iostream>
#include <vector>

namespace
{
constexpr int kTicksPerBeat = 480;
constexpr int kBeatsPerBar = 4;
constexpr int kChannel = 1;

struct Note
{
    int pitch;
    double startBeat; // from the start of the bar
    double lengthBeats;
};

double BarStart(int bar)
{
    return bar * kBeatsPerBar;
}

void AddNote(juce::MidiMessageSequence& track, int pitch, double startBeat, double lengthBeats, int velocity)
{
    // A short gap before the next note keeps repeated notes from overlapping.
    const double start = startBeat * kTicksPerBeat, end = (startBeat + lengthBeats) * kTicksPerBeat - 10;
    track.addEvent(juce::MidiMessage::noteOn(kChannel, pitch, static_cast<juce::uint8>(velocity)), start);
    track.addEvent(juce::MidiMessage::noteOff(kChannel, pitch), end);
}

void AddController(juce::MidiMessageSequence& track, int controller, int value, double beat)
{
    track.addEvent(juce::MidiMessage::controllerEvent(kChannel, controller, value), beat * kTicksPerBeat);
}

juce::MidiMessageSequence TempoTrack()
{
    juce::MidiMessageSequence track;
    track.addEvent(juce::MidiMessage::textMetaEvent(3, "Brumalux demo"), 0);
    track.addEvent(juce::MidiMessage::timeSignatureMetaEvent(4, 4), 0);
    track.addEvent(juce::MidiMessage::tempoMetaEvent(625000), 0); // 96 beats per minute
    track.addEvent(juce::MidiMessage::tempoMetaEvent(750000), BarStart(8) * kTicksPerBeat); // 80, to close
    return track;
}

// Bass and chord per bar; the chords are struck short and the pedal holds them through the bar.
juce::MidiMessageSequence ChordTrack()
{
    struct Bar
    {
        int bass;
        std::vector<int> chord;
    };
    const std::vector<Bar> bars = {
        {36, {60, 64, 67}}, {45, {57, 60, 64}}, {41, {57, 60, 65}}, {43, {59, 62, 67}},
        {36, {60, 64, 67}}, {45, {57, 60, 64}}, {38, {57, 62, 65}}, {43, {59, 62, 65, 67}},
    };
    juce::MidiMessageSequence track;
    track.addEvent(juce::MidiMessage::textMetaEvent(3, "Chords"), 0);
    for (int bar = 0; bar < static_cast<int>(bars.size()); ++bar)
    {
        const double start = BarStart(bar);
        AddNote(track, bars[static_cast<std::size_t>(bar)].bass, start, kBeatsPerBar, 84);
        for (int pitch : bars[static_cast<std::size_t>(bar)].chord)
            AddNote(track, pitch, start, 1.0, 72);
        // Pedal up at the change, down again just after the new chord has sounded.
        AddController(track, 64, 0, start);
        AddController(track, 64, 127, start + 0.1);
    }
    // The closing chord, held by the keys for the last two bars.
    for (int pitch : {36, 48, 60, 64, 67, 72})
        AddNote(track, pitch, BarStart(8), 2 * kBeatsPerBar, 80);
    AddController(track, 64, 0, BarStart(8));

    // The speaker speeds up over one beat at bar 5 and slows down again in bar 8.
    for (int step = 0; step <= 16; ++step)
    {
        AddController(track, 1, step * 127 / 16, BarStart(4) + step / 16.0);
        AddController(track, 1, 127 - step * 127 / 16, BarStart(7) + 2.0 + step / 16.0);
    }
    track.sort();
    return track;
}

juce::MidiMessageSequence MelodyTrack()
{
    const std::vector<std::vector<Note>> bars = {
        {{76, 0, 1}, {74, 1, 0.5}, {72, 1.5, 0.5}, {74, 2, 1}, {76, 3, 1}},
        {{76, 0, 1.5}, {74, 1.5, 0.5}, {72, 2, 2}},
        {{81, 0, 1}, {79, 1, 1}, {77, 2, 1}, {76, 3, 1}},
        {{74, 0, 2}, {67, 2, 1}, {71, 3, 1}},
        {{72, 0, 0.5}, {76, 0.5, 0.5}, {79, 1, 1}, {84, 2, 1.5}, {83, 3.5, 0.5}},
        {{81, 0, 2}, {76, 2, 1}, {72, 3, 1}},
        {{77, 0, 1}, {76, 1, 0.5}, {74, 1.5, 0.5}, {81, 2, 2}},
        {{79, 0, 1}, {77, 1, 1}, {74, 2, 1}, {71, 3, 1}},
        {{76, 0, 8}},
    };
    juce::MidiMessageSequence track;
    track.addEvent(juce::MidiMessage::textMetaEvent(3, "Melody"), 0);
    for (int bar = 0; bar < static_cast<int>(bars.size()); ++bar)
        for (const auto& note : bars[static_cast<std::size_t>(bar)])
            AddNote(track, note.pitch, BarStart(bar) + note.startBeat, note.lengthBeats, 100);
    track.sort();
    return track;
}
} // namespace

int main(int argc, char** argv)
{
    if (argc != 2)
    {
        std::cerr << "Usage: brumalux-make-demo-midi OUTPUT.mid\n";
        return 2;
    }
    juce::MidiFile file;
    file.setTicksPerQuarterNote(kTicksPerBeat);
    file.addTrack(TempoTrack());
    file.addTrack(ChordTrack());
    file.addTrack(MelodyTrack());

    const juce::File target = juce::File::getCurrentWorkingDirectory().getChildFile(argv[1]);
    target.deleteFile();
    juce::FileOutputStream stream(target);
    if (stream.failedToOpen() || !file.writeTo(stream, 1))
    {
        std::cerr << "cannot write " << argv[1] << "\n";
        return 1;
    }
    return 0;
}
