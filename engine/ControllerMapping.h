#pragma once

#include "engine/LiveControllerMap.h"
#include "engine/PerformanceControls.h"

#include <juce_events/juce_events.h>

namespace brumalux
{

class PluginParameterManager;

// The organ's controller map at work: bound controllers move their targets, a control learns the next
// controller that arrives, and the values controllers gave the parameters reach the host.
//
// Threads: Handle runs on the audio thread and only writes atomics: the parameter's value (so the sound
// follows within the block), the speed in the block's controls, and a per-parameter report flag. The
// message thread delivers those reports (DeliverPending, which the organ's owner of reports to the host
// calls every few tens of milliseconds): the parameter's value at that
// moment goes to the host as an edit would (the editor follows from the change message), a gesture per
// parameter held open while its controller keeps moving. The value is read when it is sent, never kept
// from the controller: a program chosen in between has put its own value there. Learning hands its
// target to the audio thread and the learned binding back through atomics alone. The map itself may be
// read and replaced from any thread; every change is announced to change listeners (the editor's menus)
// on the message thread.
class ControllerMapping : public juce::ChangeBroadcaster
{
public:
    // A reported parameter's gesture ends when its controller has been still for this many deliveries.
    static constexpr int gestureIdleTicks = 10;

    explicit ControllerMapping(PluginParameterManager& manager);

    // Audio thread: a controller message, after the controls recorded its value (previousValue is the
    // controller's value before this message).
    void Handle(int controller, int value, int previousValue, PerformanceControls& controls) noexcept;

    // Any thread.
    ControllerMap Map() const noexcept { return live.Snapshot(); }
    // The player's change of the whole map (a file imported, the default map chosen).
    void SetMap(const ControllerMap& map);
    // A map the player set before: from a loaded state or the player's default file.
    void RestoreMap(const ControllerMap& map);
    // The player's change of one binding. False (and nothing changed) for a binding the map does not
    // accept.
    bool SetBinding(int controller, const ControllerBinding& binding);

    // Message thread. The next bindable controller to arrive is bound to the target (and leaves the
    // target it drove before); a new learn replaces one under way.
    void StartLearning(int target);
    void CancelLearning() noexcept;
    // The target waiting for a controller, or ControllerTarget::none.
    int LearningTarget() const noexcept { return learningTarget.load(std::memory_order_relaxed); }
    // Reports the controllers' values to the host; true when the player changed the map (a
    // binding set or learned, a map chosen) since the last call.
    bool DeliverPending();

    juce::StringArray ParameterNames() const;

private:
    struct ReportSlot
    {
        std::atomic<bool> pending{false};
    };
    struct Gesture
    {
        bool open = false;
        int idleTicks = 0;
    };

    void TakeForLearning(int controller) noexcept;
    void MoveParameter(int index, float normalisedValue) noexcept;
    void DeliverReport(int index);

    PluginParameterManager& manager;
    LiveControllerMap live;
    std::atomic<int> learningTarget{ControllerTarget::none};
    std::atomic<bool> learnedOnAudioThread{false};
    std::atomic<bool> changedByPlayer{false};
    std::array<ReportSlot, ParameterIndex::count> reports;
    std::array<Gesture, ParameterIndex::count> gestures; // message thread only
};

} // namespace brumalux
