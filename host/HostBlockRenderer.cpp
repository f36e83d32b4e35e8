#include "HostBlockRenderer.h"

#include "HostMidiOutput.h"
#include "framework/AudioFilterBase.h"

namespace
{
// Room for this many short MIDI messages per block before the buffer has to grow.
constexpr size_t reservedMidiBytes = 2048 * 16;
} // namespace

void HostBlockRenderer::Prepare(int numInputs, int numOutputs, int maxBlockSize)
{
    sliceCapacity = juce::jmax(1, maxBlockSize);
    silentInput.assign(static_cast<size_t>(sliceCapacity), 0.0f);
    droppedOutput.assign(static_cast<size_t>(sliceCapacity), 0.0f);
    inputChannels.assign(static_cast<size_t>(juce::jmax(0, numInputs)), nullptr);
    outputChannels.assign(static_cast<size_t>(juce::jmax(0, numOutputs)), nullptr);
    sliceMidi.ensureSize(reservedMidiBytes);
}

void HostBlockRenderer::Render(AudioFilterBase& filter, const float* const* inputs, float* const* outputs,
                               int numFrames, bool accumulate, juce::MidiBuffer& pendingMidi,
                               HostMidiOutput* midiOutput)
{
    if (sliceCapacity == 0)
        return;
    const juce::ScopedNoDenormals noDenormals;
    for (int sliceStart = 0; sliceStart < numFrames; sliceStart += sliceCapacity)
    {
        const auto sliceLength = juce::jmin(sliceCapacity, numFrames - sliceStart);
        TakeSliceEvents(pendingMidi, sliceStart, sliceLength, numFrames);
        PointChannels(inputs, outputs, sliceStart);
        const juce::AudioSampleBuffer input(inputChannels.data(), static_cast<int>(inputChannels.size()),
                                            sliceLength);
        juce::AudioSampleBuffer output(outputChannels.data(), static_cast<int>(outputChannels.size()),
                                       sliceLength);
        filter.ProcessBlock(input, output, accumulate, sliceMidi);
        if (midiOutput != nullptr && !sliceMidi.isEmpty())
            midiOutput->Send(sliceMidi, sliceStart);
        sliceMidi.clear();
    }
    pendingMidi.clear();
}

void HostBlockRenderer::TakeSliceEvents(const juce::MidiBuffer& pendingMidi, int sliceStart, int sliceLength,
                                        int numFrames)
{
    sliceMidi.clear();
    for (const auto metadata : pendingMidi)
    {
        // An offset outside the block (a host bug) is played at the nearest sample of it.
        const auto position = juce::jlimit(0, numFrames - 1, metadata.samplePosition);
        if (position >= sliceStart && position < sliceStart + sliceLength)
            sliceMidi.addEvent(metadata.data, metadata.numBytes, position - sliceStart);
    }
}

void HostBlockRenderer::PointChannels(const float* const* inputs, float* const* outputs, int sliceStart)
{
    // The filter never writes its input, so the host's read-only channels may be lent.
    for (size_t i = 0; i < inputChannels.size(); ++i)
    {
        const auto* hostChannel = inputs != nullptr ? inputs[i] : nullptr;
        inputChannels[i] =
            hostChannel != nullptr ? const_cast<float*>(hostChannel) + sliceStart : silentInput.data();
    }
    for (size_t i = 0; i < outputChannels.size(); ++i)
    {
        auto* hostChannel = outputs != nullptr ? outputs[i] : nullptr;
        outputChannels[i] = hostChannel != nullptr ? hostChannel + sliceStart : droppedOutput.data();
    }
}
