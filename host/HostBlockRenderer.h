#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

class AudioFilterBase;
class HostMidiOutput;

// Runs the filter on the host's audio buffers without copying them. Whatever a host
// passes, the filter only ever sees what it was prepared for: blocks no longer than the
// prepared block size (a longer host block is rendered in slices), every channel it
// declared (a missing input reads silence, a missing output is rendered and dropped) and
// MIDI positions inside the block. Audio thread, with the filter's callback lock held.
class HostBlockRenderer
{
public:
    // Allocates the scratch channels and MIDI memory; call it with the callback lock held.
    void Prepare(int numInputs, int numOutputs, int maxBlockSize);

    // Renders numFrames samples and consumes every event of pendingMidi. MIDI that the
    // filter leaves behind goes to midiOutput when there is one.
    void Render(AudioFilterBase& filter, const float* const* inputs, float* const* outputs, int numFrames,
                bool accumulate, juce::MidiBuffer& pendingMidi, HostMidiOutput* midiOutput);

private:
    void TakeSliceEvents(const juce::MidiBuffer& pendingMidi, int sliceStart, int sliceLength, int numFrames);
    void PointChannels(const float* const* inputs, float* const* outputs, int sliceStart);

    int sliceCapacity = 0;
    std::vector<float> silentInput;
    std::vector<float> droppedOutput;
    std::vector<float*> inputChannels;
    std::vector<float*> outputChannels;
    juce::MidiBuffer sliceMidi;
};
