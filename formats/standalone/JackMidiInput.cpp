#include "JackMidiInput.h"

#include <jack/midiport.h>

namespace brumalux
{
namespace
{
// Longer events (system exclusive) would make the collector allocate; the organ ignores
// them anyway.
constexpr size_t longestChannelMessage = 3;
} // namespace

JackMidiInput::JackMidiInput(juce::MidiMessageCollector& targetToUse) : target(targetToUse)
{
    client = jack_client_open(clientName, JackNoStartServer, nullptr);
    if (client == nullptr)
        return;
    port = jack_port_register(client, portName, JACK_DEFAULT_MIDI_TYPE, JackPortIsInput, 0);
    if (port == nullptr || jack_set_process_callback(client, &Process, this) != 0 ||
        jack_activate(client) != 0)
        Close();
}

JackMidiInput::~JackMidiInput()
{
    if (client != nullptr)
        jack_deactivate(client);
    Close();
}

void JackMidiInput::Close()
{
    if (client != nullptr)
        jack_client_close(client);
    client = nullptr;
    port = nullptr;
}

int JackMidiInput::Process(jack_nframes_t numFrames, void* self)
{
    static_cast<JackMidiInput*>(self)->PassOnEvents(numFrames);
    return 0;
}

void JackMidiInput::PassOnEvents(jack_nframes_t numFrames)
{
    auto* buffer = jack_port_get_buffer(port, numFrames);
    const auto count = jack_midi_get_event_count(buffer);
    if (count == 0)
        return;
    const auto now = juce::Time::getMillisecondCounterHiRes() * 0.001;
    const auto sampleRate = static_cast<double>(jack_get_sample_rate(client));
    for (jack_nframes_t i = 0; i < count; ++i)
    {
        jack_midi_event_t event;
        if (jack_midi_event_get(&event, buffer, i) != 0 || event.size == 0 ||
            event.size > longestChannelMessage)
            continue;
        // The collector places messages by their time stamps; the event's offset in this
        // period keeps notes of one period apart.
        const auto stamp = now + static_cast<double>(event.time) / sampleRate;
        target.addMessageToQueue(juce::MidiMessage(event.buffer, static_cast<int>(event.size), stamp));
    }
}
} // namespace brumalux
