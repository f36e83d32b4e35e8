#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

#include <functional>

namespace brumalux
{

// A control whose right-click (the platform's popup-menu click) opens its controller menu instead of
// moving, pressing or editing the control: the whole click, drag and release, is the menu's.
template <typename Control> class WithControllerMenu : public Control
{
public:
    using Control::Control;

    // Called on the popup-menu click; without it such a click does nothing.
    std::function<void()> onControllerMenu;

    void mouseDown(const juce::MouseEvent& event) override
    {
        menuClick = event.mods.isPopupMenu();
        if (!menuClick)
            Control::mouseDown(event);
        else if (onControllerMenu)
            onControllerMenu();
    }
    void mouseDrag(const juce::MouseEvent& event) override
    {
        if (!menuClick)
            Control::mouseDrag(event);
    }
    void mouseUp(const juce::MouseEvent& event) override
    {
        if (!menuClick)
            Control::mouseUp(event);
        menuClick = false;
    }

private:
    bool menuClick = false;
};

using LearnableSlider = WithControllerMenu<juce::Slider>;

} // namespace brumalux
