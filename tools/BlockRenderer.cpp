#include "tools/BlockRenderer.h"

#include "tools/MidiSchedule.h"
#include "tools/PluginInstance.h"
#include "tools/VstEventBlock.h"

#include <algorithm>
#include <cmath>

namespace render
{
int64_t RenderLength(const MidiSchedule& schedule, double sampleRate, double tailSeconds)
{
    const int64_t tail = std::llround(tailSeconds * sampleRate);
    return schedule.LastEventSample() + std::max<int64_t>(tail, 1);
}

void RenderBlocks(PluginInstance& plugin, const MidiSchedule& schedule, int64_t totalSamples, int blockSize,
                  AudioSink& sink, const BlockObserver& afterBlock)
{
    const auto& events = schedule.Events();
    const auto* nextEvent = events.data();
    const auto* endOfEvents = events.data() + events.size();
    VstEventBlock eventBlock;

    plugin.Resume();
    for (int64_t blockStart = 0; blockStart < totalSamples; blockStart += blockSize)
    {
        const int numSamples = static_cast<int>(std::min<int64_t>(blockSize, totalSamples - blockStart));
        const auto* blockEnd = std::find_if(nextEvent, endOfEvents,
                                            [&](const ScheduledMidiEvent& event)
                                            { return event.sample >= blockStart + numSamples; });
        eventBlock.Fill(nextEvent, blockEnd, blockStart);
        nextEvent = blockEnd;

        plugin.ProcessBlock(eventBlock.Events(), numSamples);
        sink.Write(plugin.Outputs(), numSamples);
        if (afterBlock)
            afterBlock(blockStart + numSamples);
    }
    plugin.Suspend();
}
} // namespace render
