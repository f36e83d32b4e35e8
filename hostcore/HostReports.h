#pragma once

#include "HostReport.h"
#include "HostReportQueue.h"
#include "framework/FilterNativeCallbacks.h"

#include <juce_events/juce_events.h>

#include <memory>

namespace brumalux
{

class AudioFilterBase;

// The one owner of what an instance tells its host: every change that did not come from the
// host (an edit in the editor, a program or preset chosen there, a Program Change or mapped
// controller from MIDI, a loaded state) and every setting outside the parameters that the user
// changed reach the format's sink through here, in their order.
//
// Threads: it attaches itself to the filter as its callbacks while it lives. A report made on
// the shared message-loop thread waits in a queue for the loop's next pause between messages
// (see HostReportQueue); one made on any other thread (the host's, or one acting as the message
// thread) goes to the sink at once. Every deliveryIntervalMs the message thread collects what the
// audio thread changed (DeliverPendingChanges of the filter). Create and destroy it on the
// message thread, or on a host thread acting as it.
class HostReports : public FilterNativeCallbacks, private juce::Timer
{
public:
    static constexpr int deliveryIntervalMs = 30;

    HostReports(AudioFilterBase& filter, HostReportSink& sink);
    ~HostReports() override;

    // Sends what the loop thread queued, in order: a host thread that runs the loop's messages
    // itself (an editor's idle calls) does this first.
    void SendQueued();

    // FilterNativeCallbacks. A change that did not come from the host is applied as if the
    // host had made it, then reported.
    void SetParameterAndTellHost(AudioFilterBase& filter, int index, float normalisedValue) override;
    void BeginParameterGesture(AudioFilterBase& filter, int index) override;
    void EndParameterGesture(AudioFilterBase& filter, int index) override;
    void ProgramChanged(AudioFilterBase& filter) override;
    void SettingsChanged(AudioFilterBase& filter) override;

private:
    void Report(const HostReport& report);
    void timerCallback() override;

    AudioFilterBase& filter;
    HostReportSink& sink;
    const std::shared_ptr<HostReportQueue> queue;

    JUCE_DECLARE_NON_COPYABLE(HostReports)
};

} // namespace brumalux
