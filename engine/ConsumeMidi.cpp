// How the events of a block reach the voices and the controllers.
#include "engine/Brumalux.h"

#include "engine/KeyMarks.h"

#include <algorithm>

namespace brumalux
{

namespace
{
constexpr int allSoundOff = 120;
constexpr int resetAllControllers = 121;
constexpr int allNotesOff = 123;
} // namespace

void Brumalux::ConsumeMidi(const juce::MidiBuffer& midiMessages, int sliceStart, int sliceLength,
                           bool lastSlice, KeyMarks& keyMarks)
{
    // Events keep their place in the slice; one that a host put before the block or after its end is
    // applied at its first or last sample, so that every voice starts and ends inside the mix buffer.
    const int lastPosition = std::max(sliceLength - 1, 0);
    const auto positionInSlice = [&](int samplePosition)
    { return std::clamp(samplePosition - sliceStart, 0, lastPosition); };

    // Notes from the editor's keyboard enter the block at sample 0, after the host's events there.
    const bool firstSlice = sliceStart == 0;
    int numKeyboardEvents = firstSlice ? pendingKeyboardMessages.TakeAll(keyboardEvents) : 0;
    const auto applyKeyboardEvents = [&]
    {
        for (int i = 0; i < numKeyboardEvents; ++i)
            HandleMidiEvent(keyboardEvents[i], keyMarks);
        numKeyboardEvents = 0;
    };

    auto event = firstSlice ? midiMessages.cbegin() : midiMessages.findNextSamplePosition(sliceStart);
    for (; event != midiMessages.cend(); ++event)
    {
        const auto metadata = *event;
        if (!lastSlice && metadata.samplePosition >= sliceStart + sliceLength)
            break;
        if (metadata.samplePosition > 0)
            applyKeyboardEvents();
        HandleMidiEvent(
            MidiEvent::FromRaw(metadata.data, metadata.numBytes, positionInSlice(metadata.samplePosition)),
            keyMarks);
    }
    applyKeyboardEvents();
}

void Brumalux::HandleMidiEvent(const MidiEvent& event, KeyMarks& keyMarks)
{
    switch (event.kind)
    {
        case MidiEvent::Kind::noteOn:
            StartNote(event, keyMarks);
            break;
        case MidiEvent::Kind::noteOff:
            StopNote(event, keyMarks);
            break;
        case MidiEvent::Kind::controller:
            if (event.data1 == allSoundOff || event.data1 == allNotesOff)
                AllNotesOff(keyMarks);
            else if (event.data1 == resetAllControllers)
                ResetControllers(event.position);
            else
                SetController(event);
            break;
        case MidiEvent::Kind::programChange:
            SelectProgramFromMidi(event.data1); // numbers beyond the bank change nothing
            break;
        case MidiEvent::Kind::channelPressure:
            controls.aftertouchTarget = static_cast<float>(event.data1) / 127.0f;
            break;
        case MidiEvent::Kind::pitchWheel:
            controls.pitchBend = static_cast<float>((event.data2 * 128 + event.data1) - 8192) / 8192.0f;
            break;
        case MidiEvent::Kind::ignored:
            break;
    }
}

void Brumalux::StartNote(const MidiEvent& event, KeyMarks& keyMarks)
{
    keyMarks.NoteEventHandled();
    const int noteNumber = event.data1;
    const auto playsThisNote = [noteNumber](const Voice* voice) { return voice->NoteNumber() == noteNumber; };
    const auto playing = std::find_if(voices.begin(), voices.end(), playsThisNote);
    Voice* earlierVoice = playing != voices.end() ? *playing : nullptr;

    // Below the pool's capacity the voice limit is kept by taking a voice for the new note (more than
    // one only just after the limit was lowered); at the capacity a note beyond it is not played.
    const int limit = polyphony.load(std::memory_order_relaxed);
    if (limit < VoicePool::capacity)
        while (Voice* taken = voices.VoiceToTake(limit))
            taken->FadeOut(event.position, sampleRate);
    Voice* voice = voices.Append();
    if (voice == nullptr)
        return; // every voice is in use (or none exists before the first PrepareToPlay): not played

    if (earlierVoice != nullptr)
        earlierVoice->Retrigger(event.position, sampleRate);
    VoiceStartSettings settings;
    settings.sampleRate = sampleRate;
    settings.attackMs = Load(parameters.attack);
    settings.decayMs = Load(parameters.decay);
    settings.sustainLevel = Load(parameters.sustain);
    settings.releaseMs = Load(parameters.release);
    settings.percussionShape = &shapes.PercussionShape();
    voice->Start(juce::MidiMessage(event.status, event.data1, event.data2), event.position, settings);
    keyMarks.KeyDown(noteNumber);
}

void Brumalux::StopNote(const MidiEvent& event, KeyMarks& keyMarks)
{
    keyMarks.NoteEventHandled();
    for (Voice* voice : voices)
    {
        if (voice->NoteNumber() != event.data1)
            continue;
        if (controls.PedalDown())
            voice->heldByPedal = true;
        else
            voice->Release(event.position, sampleRate);
        keyMarks.KeyUp(event.data1);
    }
}

void Brumalux::SetController(const MidiEvent& event)
{
    const int previousValue = controls.controllers[event.data1];
    controls.controllers[event.data1] = event.data2;
    controllerMapping.Handle(event.data1, event.data2, previousValue, controls);
    if (event.data1 == PerformanceControls::swellPedal)
        swell.SetPosition(event.data2);
    else if (event.data1 == PerformanceControls::sustainPedal && event.data2 == 0)
        ReleasePedalHeldVoices(event.position);
}

void Brumalux::ReleasePedalHeldVoices(int position)
{
    // Pedal up: every note let go while it was down ends here. The marks stay, so a later pedal release
    // ends such a voice again from wherever its release stands.
    for (Voice* voice : voices)
        if (voice->heldByPedal)
            voice->Release(position, sampleRate);
}

void Brumalux::ResetControllers(int position)
{
    const bool pedalWasDown = controls.PedalDown();
    controls.Clear();
    swell.Reset();
    if (pedalWasDown)
        ReleasePedalHeldVoices(position);
}

void Brumalux::AllNotesOff(KeyMarks& keyMarks)
{
    voices.Clear();
    keyMarks.AllKeysUp();
}

} // namespace brumalux
