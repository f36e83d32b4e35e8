#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace brumalux
{
// A menu of the organ's programs that selects one and follows changes made elsewhere
// (a loaded state, a program renamed). Message thread.
class ProgramChooser : public juce::Component, private juce::Timer
{
public:
    static constexpr int height = 30;

    explicit ProgramChooser(juce::AudioProcessor& processor);

    void resized() override;

private:
    void timerCallback() override;
    void FillMenu();

    juce::AudioProcessor& processor;
    juce::Label label{{}, "Program"};
    juce::ComboBox menu;
    juce::StringArray shownNames;
};
} // namespace brumalux
