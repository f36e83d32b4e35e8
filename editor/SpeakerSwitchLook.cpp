#include "SpeakerSwitchLook.h"

namespace brumalux
{

juce::Rectangle<int> SpeakerSwitchLook::TextArea(const juce::Component& button)
{
    return button.getLocalBounds()
        .withTrimmedLeft(juce::roundToInt(tickLeft + tickSize) + 3)
        .withTrimmedRight(1);
}

void SpeakerSwitchLook::drawToggleButton(juce::Graphics& g, juce::ToggleButton& button, bool highlighted,
                                         bool down)
{
    const auto top = (static_cast<float>(button.getHeight()) - tickSize) * 0.5f;
    drawTickBox(g, button, tickLeft, top, tickSize, tickSize, button.getToggleState(), button.isEnabled(),
                highlighted, down);
    g.setColour(button.findColour(juce::ToggleButton::textColourId));
    if (!button.isEnabled())
        g.setOpacity(0.5f);
    g.setFont(fontHeight);
    g.drawText(button.getButtonText(), TextArea(button), juce::Justification::centredLeft, false);
}

} // namespace brumalux
