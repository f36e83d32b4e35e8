#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace brumalux
{

class ControllerMapping;

// The menu of one control's controllers, at the mouse: "Learn MIDI controller", then for each controller
// bound to the target "Forget CC n" and "Invert CC n" (ticked when inverted) and, for the speaker's
// switches, its mode. Message thread; the menu acts only while the control still exists.
void ShowControllerBindingMenu(ControllerMapping& mapping, int target, juce::Component& control,
                               const std::function<void()>& startLearning);

} // namespace brumalux
