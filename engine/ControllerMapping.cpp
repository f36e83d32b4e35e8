#include "engine/ControllerMapping.h"

#include "params/PluginParameterManager.h"

namespace brumalux
{

namespace
{
constexpr int switchThreshold = 64;

// A controller's value, 0 to 127, the binding's inversion applied.
int Oriented(const ControllerBinding& binding, int value) noexcept
{
    return binding.inverted ? 127 - value : value;
}

// Where a switch stands after the message: a latching switch turns over on each press, the others
// follow the pedal or button.
bool SwitchState(const ControllerBinding& binding, int value, int previousValue, bool current) noexcept
{
    const bool down = Oriented(binding, value) >= switchThreshold;
    if (binding.mode != SwitchMode::latching)
        return down;
    const bool wasDown = Oriented(binding, previousValue) >= switchThreshold;
    return down && !wasDown ? !current : current;
}
} // namespace

ControllerMapping::ControllerMapping(PluginParameterManager& managerToUse) : manager(managerToUse) {}

void ControllerMapping::Handle(int controller, int value, int previousValue,
                               PerformanceControls& controls) noexcept
{
    TakeForLearning(controller);
    const auto binding = live.Binding(controller);
    if (binding.target == ControllerTarget::speakerSpeed)
    {
        if (binding.mode == SwitchMode::continuous)
            controls.speakerSpeed = Oriented(binding, value);
        else
            controls.speakerSpeed =
                SwitchState(binding, value, previousValue, controls.speakerSpeed >= switchThreshold) ? 127
                                                                                                     : 0;
    }
    else if (binding.target == ParameterIndex::speakerOn)
    {
        const bool on = manager.GetValue(ParameterIndex::speakerOn) != 0.0f;
        MoveParameter(binding.target, SwitchState(binding, value, previousValue, on) ? 1.0f : 0.0f);
    }
    else if (binding.IsBound())
    {
        MoveParameter(binding.target, static_cast<float>(Oriented(binding, value)) / 127.0f);
    }
}

void ControllerMapping::TakeForLearning(int controller) noexcept
{
    int target = learningTarget.load(std::memory_order_relaxed);
    if (target == ControllerTarget::none || !ControllerMap::IsBindable(controller) ||
        !learningTarget.compare_exchange_strong(target, ControllerTarget::none))
        return;
    live.Set(controller, {target});
    learnedOnAudioThread.store(true, std::memory_order_release);
}

void ControllerMapping::MoveParameter(int index, float normalisedValue) noexcept
{
    manager.StoreNormalisedValue(index, normalisedValue);
    reports[static_cast<std::size_t>(index)].pending.store(true, std::memory_order_release);
}

void ControllerMapping::SetMap(const ControllerMap& map)
{
    RestoreMap(map);
    changedByPlayer.store(true, std::memory_order_relaxed);
}

void ControllerMapping::RestoreMap(const ControllerMap& map)
{
    live.Publish(map);
    sendChangeMessage();
}

bool ControllerMapping::SetBinding(int controller, const ControllerBinding& binding)
{
    if (!ControllerMap::IsAcceptable(controller, binding))
        return false;
    live.Set(controller, binding);
    changedByPlayer.store(true, std::memory_order_relaxed);
    sendChangeMessage();
    return true;
}

void ControllerMapping::StartLearning(int target)
{
    if (ControllerTarget::IsValid(target))
        learningTarget.store(target, std::memory_order_relaxed);
}

void ControllerMapping::CancelLearning() noexcept
{
    learningTarget.store(ControllerTarget::none, std::memory_order_relaxed);
}

bool ControllerMapping::DeliverPending()
{
    bool changed = changedByPlayer.exchange(false, std::memory_order_relaxed);
    if (learnedOnAudioThread.exchange(false, std::memory_order_acquire))
    {
        sendChangeMessage();
        changed = true;
    }
    for (int index = 0; index < ParameterIndex::count; ++index)
        DeliverReport(index);
    return changed;
}

// The flag is cleared before the value is read: a value the audio thread stores meanwhile is delivered
// on the next round, so the last value a controller gave always reaches the host.
void ControllerMapping::DeliverReport(int index)
{
    auto& slot = reports[static_cast<std::size_t>(index)];
    auto& gesture = gestures[static_cast<std::size_t>(index)];
    if (slot.pending.exchange(false, std::memory_order_acquire))
    {
        if (!gesture.open)
            manager.BeginGesture(index);
        gesture = {true, 0};
        juce::BigInteger parameter;
        parameter.setBit(index);
        manager.ReportValues(parameter);
    }
    else if (gesture.open && ++gesture.idleTicks >= gestureIdleTicks)
    {
        gesture.open = false;
        manager.EndGesture(index);
    }
}

juce::StringArray ControllerMapping::ParameterNames() const
{
    juce::StringArray names;
    for (int index = 0; index < manager.GetNumParameters(); ++index)
        names.add(manager.GetParameterName(index));
    return names;
}

} // namespace brumalux
