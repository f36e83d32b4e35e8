#include "HostBlockRenderer.h"

#include "BlockMidiOutput.h"
#include "framework/AudioFilterBase.h"
#include "framework/PlayableRange.h"

#include <algorithm>
#include <iterator>

namespace brumalux
{

namespace
{
// What a missing input reads: zeros for the longest block a host may announce, shared by every
// instance. Filters never write their input, so it stays silent (and costs no memory until read).
float silence[PlayableRange::maxBlockSize];

template <typename Channel> bool AllGiven(const Channel* channels, size_t count)
{
    return count == 0 ||
           (channels != nullptr &&
            std::all_of(channels, channels + count, [](Channel channel) { return channel != nullptr; }));
}
} // namespace

void HostBlockRenderer::Prepare(int numInputs, int numOutputs, int maxBlockSize)
{
    droppedOutput.assign(static_cast<size_t>(juce::jmax(1, maxBlockSize)), 0.0f);
    inputChannels.assign(static_cast<size_t>(juce::jmax(0, numInputs)), nullptr);
    outputChannels.assign(static_cast<size_t>(juce::jmax(0, numOutputs)), nullptr);
    blockMidi.ensureSize(reservedMidiBytes);
}

void HostBlockRenderer::Render(AudioFilterBase& filter, const float* const* inputs, float* const* outputs,
                               int numFrames, bool accumulate, juce::MidiBuffer& pendingMidi,
                               BlockMidiOutput* midiOutput)
{
    if (droppedOutput.empty())
        return;
    const juce::ScopedNoDenormals noDenormals;
    const int blockLength = RenderableLength(inputs, outputs, numFrames);
    TakeBlockEvents(pendingMidi, blockLength);
    PointChannels(inputs, outputs);
    const juce::AudioSampleBuffer input(inputChannels.data(), static_cast<int>(inputChannels.size()),
                                        blockLength);
    juce::AudioSampleBuffer output(outputChannels.data(), static_cast<int>(outputChannels.size()),
                                   blockLength);
    filter.ProcessBlock(input, output, accumulate, blockMidi);
    if (!accumulate)
        ClearAfter(outputs, outputChannels.size(), blockLength, numFrames);
    if (midiOutput != nullptr && !blockMidi.isEmpty())
        midiOutput->Send(blockMidi, 0);
    blockMidi.clear();
    pendingMidi.clear();
}

int HostBlockRenderer::RenderableLength(const float* const* inputs, float* const* outputs,
                                        int numFrames) const
{
    // The stand-ins for missing channels are as long as they are, and the audio thread may not
    // allocate more: a host that leaves out channels and also sends a block longer than they are
    // gets that much rendered, and the rest of the outputs it replaces cleared.
    int length = numFrames;
    if (!AllGiven(inputs, inputChannels.size()))
        length = juce::jmin(length, static_cast<int>(std::size(silence)));
    if (!AllGiven(outputs, outputChannels.size()))
        length = juce::jmin(length, static_cast<int>(droppedOutput.size()));
    return length;
}

void HostBlockRenderer::TakeBlockEvents(const juce::MidiBuffer& pendingMidi, int blockLength)
{
    blockMidi.clear();
    for (const auto metadata : pendingMidi)
    {
        // An offset outside the block (a host bug) is played at the nearest sample of it.
        const auto position = juce::jlimit(0, blockLength - 1, metadata.samplePosition);
        blockMidi.addEvent(metadata.data, metadata.numBytes, position);
    }
}

void HostBlockRenderer::PointChannels(const float* const* inputs, float* const* outputs)
{
    // The filter never writes its input, so the host's read-only channels may be lent.
    for (size_t i = 0; i < inputChannels.size(); ++i)
    {
        const auto* hostChannel = inputs != nullptr ? inputs[i] : nullptr;
        inputChannels[i] = hostChannel != nullptr ? const_cast<float*>(hostChannel) : silence;
    }
    for (size_t i = 0; i < outputChannels.size(); ++i)
    {
        auto* hostChannel = outputs != nullptr ? outputs[i] : nullptr;
        outputChannels[i] = hostChannel != nullptr ? hostChannel : droppedOutput.data();
    }
}

void HostBlockRenderer::ClearAfter(float* const* outputs, size_t numOutputs, int start, int end)
{
    if (outputs == nullptr || start >= end)
        return;
    for (size_t i = 0; i < numOutputs; ++i)
        if (outputs[i] != nullptr)
            juce::FloatVectorOperations::clear(outputs[i] + start, end - start);
}

} // namespace brumalux
