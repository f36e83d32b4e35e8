#pragma once

#include <juce_audio_devices/juce_audio_devices.h>

#include <jack/jack.h>

namespace brumalux
{
// A JACK MIDI input port, "Brumalux MIDI:midi_in", that passes every channel message it
// receives to the standalone player's MIDI collector. JUCE's JACK device carries audio
// only, so without this the organ could not be played from JACK's MIDI graph. When no
// JACK server runs, nothing is opened and the program plays from ALSA MIDI devices alone.
//
// Threads: constructed and destroyed on the message thread; Process runs on JACK's
// real-time thread and only hands short messages to the collector, which allocates
// nothing for them.
class JackMidiInput
{
public:
    static constexpr const char* clientName = "Brumalux MIDI";
    static constexpr const char* portName = "midi_in";

    explicit JackMidiInput(juce::MidiMessageCollector& target);
    ~JackMidiInput();

    bool IsOpen() const noexcept { return client != nullptr; }

private:
    static int Process(jack_nframes_t numFrames, void* self);
    void PassOnEvents(jack_nframes_t numFrames);
    void Close();

    juce::MidiMessageCollector& target;
    jack_client_t* client = nullptr;
    jack_port_t* port = nullptr;

    JUCE_DECLARE_NON_COPYABLE(JackMidiInput)
};
} // namespace brumalux
