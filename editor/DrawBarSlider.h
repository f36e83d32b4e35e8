#pragma once

#include "WithControllerMenu.h"

namespace brumalux
{

// One drawbar of the organ: the toolkit's vertical slider, 0 to 1 in steps of 0.01, with
// an editable value box below the track. It draws and behaves exactly as that slider; a right-click
// opens its controller menu.
class DrawBarSlider : public LearnableSlider
{
public:
    DrawBarSlider() : LearnableSlider("Draw Bar")
    {
        setRange(0.0, 1.0, 0.01);
        setSliderStyle(juce::Slider::LinearVertical);
        setTextBoxStyle(juce::Slider::TextBoxBelow, false, 30, 20);
    }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(DrawBarSlider)
};

} // namespace brumalux
