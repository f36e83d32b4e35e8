#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

// The speaker switch's look: the toolkit's tick box and text, with a tick and a font small
// enough that "On" shows in full beside the tick inside the switch's 40 x 22 points.
class SpeakerSwitchLook : public juce::LookAndFeel_V4
{
public:
    static constexpr float fontHeight = 13.0f;
    static constexpr float tickSize = 14.0f;
    static constexpr float tickLeft = 2.0f;

    // Where the text goes inside the button.
    static juce::Rectangle<int> TextArea(const juce::Component& button);

    void drawToggleButton(juce::Graphics& g, juce::ToggleButton& button, bool highlighted,
                          bool down) override;
};

} // namespace brumalux
