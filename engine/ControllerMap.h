#pragma once

#include "params/OrganParameters.h"

#include <array>
#include <cstddef>
#include <cstdint>
#include <vector>

namespace brumalux
{

// What a MIDI controller can drive: one of the parameters (by index), or the rotating speaker's speed,
// which is no parameter: it moves the rotors between their slow and fast speeds as the modulation wheel
// does.
namespace ControllerTarget
{
constexpr int none = -1;
constexpr int speakerSpeed = ParameterIndex::count;

// Every parameter but "Unused" (the organ overwrites it), and the speaker speed.
constexpr bool IsValid(int target)
{
    return target >= 0 && target <= speakerSpeed && target != ParameterIndex::clipThresholdScale;
}

// The speaker switch and the speaker speed are switches: they alone take a switch mode.
constexpr bool IsSwitch(int target)
{
    return target == ParameterIndex::speakerOn || target == speakerSpeed;
}
} // namespace ControllerTarget

// How a controller drives a switch: continuous follows the value (the speed as the wheel moves it, the
// speaker on from 64 up); latching toggles on each press (64 or more after a value below 64); momentary
// switches on (fast) while held at 64 or more.
enum class SwitchMode : uint8_t
{
    continuous = 0,
    latching = 1,
    momentary = 2
};

struct ControllerBinding
{
    int target = ControllerTarget::none;
    bool inverted = false; // 127 drives the target to its lowest value, 0 to its highest
    SwitchMode mode = SwitchMode::continuous;

    bool IsBound() const noexcept { return target != ControllerTarget::none; }
    bool operator==(const ControllerBinding& other) const noexcept
    {
        return target == other.target && inverted == other.inverted && mode == other.mode;
    }
    bool operator!=(const ControllerBinding& other) const noexcept { return !(*this == other); }
};

// Which target each of the 128 controller numbers drives: at most one per controller, while a target may
// have several controllers. A plain value, copied freely on the message thread; the audio thread reads
// the organ's live copy (LiveControllerMap).
class ControllerMap
{
public:
    static constexpr int numControllers = 128;
    static constexpr int firstDrawbarController = 70; // 70 = 16' ... 78 = 1'

    // The map of a new organ: drawbars on 70 to 78, the modulation wheel on the speaker speed.
    static ControllerMap Default();

    // Bank select (0, 32), the swell pedal (11), the sustain pedal (64) and the channel mode messages
    // (120 to 127) keep their own meaning and are never bound.
    static bool IsBindable(int controller) noexcept;
    // A binding this map accepts for the controller: a bindable controller and a valid target, a switch
    // mode only on a switch. An unbound binding is always acceptable.
    static bool IsAcceptable(int controller, const ControllerBinding& binding) noexcept;

    const ControllerBinding& Binding(int controller) const noexcept;
    // Replaces the controller's binding; false (and nothing changed) when the map cannot accept it.
    bool Set(int controller, const ControllerBinding& binding) noexcept;
    // The controllers that drive the target, in ascending order.
    std::vector<int> ControllersFor(int target) const;

    bool operator==(const ControllerMap& other) const noexcept { return bindings == other.bindings; }
    bool operator!=(const ControllerMap& other) const noexcept { return !(*this == other); }

private:
    std::array<ControllerBinding, numControllers> bindings{};
};

} // namespace brumalux
