#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

// One drawbar of the organ: the toolkit's vertical slider, 0 to 1 in steps of 0.01, with
// an editable value box below the track. It draws and behaves exactly as that slider.
class DrawBarSlider : public juce::Slider
{
public:
    DrawBarSlider() : juce::Slider("Draw Bar")
    {
        setRange(0.0, 1.0, 0.01);
        setSliderStyle(juce::Slider::LinearVertical);
        setTextBoxStyle(juce::Slider::TextBoxBelow, false, 30, 20);
    }

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(DrawBarSlider)
};

} // namespace brumalux
