#include "ControllerBindingMenu.h"

#include "engine/ControllerMapping.h"

namespace brumalux
{

namespace
{
// Every row the same height, so that a row's place in the menu never depends on its text.
constexpr int menuRowHeight = 22;
constexpr const char* modeNames[] = {"continuous", "latching", "momentary"};

void AddBindingItems(juce::PopupMenu& menu, ControllerMapping& mapping, int controller,
                     const juce::Component::SafePointer<juce::Component>& control)
{
    const auto binding = mapping.Map().Binding(controller);
    const juce::String name = "CC " + juce::String(controller);
    // Each change is made against the map as it is when chosen.
    const auto change = [&mapping, control, controller](auto edit)
    {
        return [&mapping, control, controller, edit]
        {
            if (control == nullptr)
                return;
            auto changed = mapping.Map().Binding(controller);
            edit(changed);
            mapping.SetBinding(controller, changed);
        };
    };
    menu.addItem("Forget " + name, change([](ControllerBinding& b) { b = {}; }));
    menu.addItem("Invert " + name, true, binding.inverted,
                 change([](ControllerBinding& b) { b.inverted = !b.inverted; }));
    if (!ControllerTarget::IsSwitch(binding.target))
        return;
    for (int mode = 0; mode < static_cast<int>(std::size(modeNames)); ++mode)
        menu.addItem(name + " " + modeNames[mode], true, static_cast<int>(binding.mode) == mode,
                     change([mode](ControllerBinding& b) { b.mode = static_cast<SwitchMode>(mode); }));
}
} // namespace

void ShowControllerBindingMenu(ControllerMapping& mapping, int target, juce::Component& control,
                               const std::function<void()>& startLearning)
{
    const juce::Component::SafePointer<juce::Component> safeControl(&control);
    juce::PopupMenu menu;
    menu.addItem("Learn MIDI controller",
                 [safeControl, startLearning]
                 {
                     if (safeControl != nullptr)
                         startLearning();
                 });
    for (const int controller : mapping.Map().ControllersFor(target))
        AddBindingItems(menu, mapping, controller, safeControl);
    // Attached to the control, so that the menu knows it lives in a plug-in window, but opened at the mouse.
    menu.showMenuAsync(
        juce::PopupMenu::Options().withTargetComponent(&control).withMousePosition().withStandardItemHeight(
            menuRowHeight));
}

} // namespace brumalux
