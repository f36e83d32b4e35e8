#include "tools/BlockRenderer.h"

#include "tools/MidiSchedule.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/VstEventList.h"

#include <algorithm>
#include <cmath>

namespace brumalux::render
{
int64_t RenderLength(const MidiSchedule& schedule, double sampleRate, double tailSeconds)
{
    const int64_t tail = std::llround(tailSeconds * sampleRate);
    return schedule.LastEventSample() + std::max<int64_t>(tail, 1);
}

namespace
{
// A render that stops early (interrupted, a failed write) still suspends the plug-in before it closes.
class ScopedResume
{
public:
    explicit ScopedResume(PluginInstance& resumed) : plugin(resumed) { plugin.Resume(); }
    ~ScopedResume() { plugin.Suspend(); }
    ScopedResume(const ScopedResume&) = delete;
    ScopedResume& operator=(const ScopedResume&) = delete;

private:
    PluginInstance& plugin;
};
} // namespace

void RenderBlocks(PluginInstance& plugin, const MidiSchedule& schedule, int64_t totalSamples, int blockSize,
                  AudioSink& sink, const BlockObserver& afterBlock)
{
    const auto& events = schedule.Events();
    auto nextEvent = events.begin();
    brumalux::vst2host::VstEventList eventList;

    const ScopedResume resumed(plugin);
    for (int64_t blockStart = 0; blockStart < totalSamples; blockStart += blockSize)
    {
        const int numSamples = static_cast<int>(std::min<int64_t>(blockSize, totalSamples - blockStart));
        eventList.Clear();
        for (; nextEvent != events.end() && nextEvent->sample < blockStart + numSamples; ++nextEvent)
            eventList.Add(static_cast<int>(nextEvent->sample - blockStart), nextEvent->bytes.data(),
                          static_cast<std::size_t>(nextEvent->size));
        if (eventList.Size() > 0)
            plugin.SendEvents(eventList);
        plugin.Render(numSamples);
        sink.Write(plugin.Outputs(), numSamples);
        if (afterBlock)
            afterBlock(blockStart + numSamples);
    }
}
} // namespace brumalux::render
