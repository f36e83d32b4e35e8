#pragma once

#include <juce_audio_basics/juce_audio_basics.h>

#include <vector>

namespace brumalux
{

class AudioFilterBase;
class BlockMidiOutput;

// Runs the filter on the host's audio buffers without copying them, one filter call per host
// block whatever its length (the filter slices blocks longer than it was prepared for). Whatever
// else a host passes, the filter sees every channel it declared (a missing input reads silence, a
// missing output is rendered and dropped) and MIDI positions inside the block. Audio thread, with
// the filter's callback lock held.
class HostBlockRenderer
{
public:
    // MIDI room per block, reserved up front so that the audio thread does not allocate for it:
    // reservedMidiEvents short messages before a buffer has to grow.
    static constexpr int reservedMidiEvents = 2048;
    static constexpr size_t reservedMidiBytes = size_t{reservedMidiEvents} * 16;

    // Allocates the stand-in output channel and MIDI memory; call it with the callback lock held.
    void Prepare(int numInputs, int numOutputs, int maxBlockSize);

    // Renders numFrames samples and consumes every event of pendingMidi. MIDI that the
    // filter leaves behind goes to midiOutput when there is one.
    void Render(AudioFilterBase& filter, const float* const* inputs, float* const* outputs, int numFrames,
                bool accumulate, juce::MidiBuffer& pendingMidi, BlockMidiOutput* midiOutput);

private:
    int RenderableLength(const float* const* inputs, float* const* outputs, int numFrames) const;
    void TakeBlockEvents(const juce::MidiBuffer& pendingMidi, int blockLength);
    void PointChannels(const float* const* inputs, float* const* outputs);
    static void ClearAfter(float* const* outputs, size_t numOutputs, int start, int end);

    std::vector<float> droppedOutput; // what a missing output is rendered into; one prepared block
    std::vector<float*> inputChannels;
    std::vector<float*> outputChannels;
    juce::MidiBuffer blockMidi;
};

} // namespace brumalux
