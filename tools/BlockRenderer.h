#pragma once

#include <cstdint>
#include <functional>
#include <vector>

namespace brumalux::vst2host
{
class PluginInstance;
}

namespace brumalux::render
{
class MidiSchedule;
using brumalux::vst2host::PluginInstance;

// Where rendered blocks go, one call per block with the plug-in's output channels.
class AudioSink
{
public:
    virtual ~AudioSink() = default;
    virtual void Write(const std::vector<float*>& channels, int numSamples) = 0;
};

// Samples to render: up to the last event, whose sample must lie inside, and the tail after it.
int64_t RenderLength(const MidiSchedule& schedule, double sampleRate, double tailSeconds);

// Called after every block with the samples rendered so far; it may throw to stop the render.
using BlockObserver = std::function<void(int64_t samplesDone)>;

// Resumes the instance, plays totalSamples samples in blocks of at most blockSize with every event
// at its sample offset in its block, hands each block to the sink, and suspends the instance again.
void RenderBlocks(PluginInstance& plugin, const MidiSchedule& schedule, int64_t totalSamples, int blockSize,
                  AudioSink& sink, const BlockObserver& afterBlock = {});
} // namespace brumalux::render
