#include "ProgramChooser.h"

namespace brumalux
{
namespace
{
constexpr int refreshIntervalMs = 250;
} // namespace

ProgramChooser::ProgramChooser(juce::AudioProcessor& processorToUse) : processor(processorToUse)
{
    label.setJustificationType(juce::Justification::centredRight);
    addAndMakeVisible(label);
    addAndMakeVisible(menu);
    FillMenu();
    menu.onChange = [this]
    {
        const auto chosen = menu.getSelectedItemIndex();
        if (chosen >= 0 && chosen != processor.getCurrentProgram())
            processor.setCurrentProgram(chosen);
    };
    startTimer(refreshIntervalMs);
}

void ProgramChooser::resized()
{
    auto area = getLocalBounds().reduced(4);
    label.setBounds(area.removeFromLeft(70));
    menu.setBounds(area.removeFromLeft(260).withTrimmedLeft(6));
}

void ProgramChooser::FillMenu()
{
    juce::StringArray names;
    for (int i = 0; i < processor.getNumPrograms(); ++i)
        names.add(juce::String(i) + ": " + processor.getProgramName(i));
    if (names != shownNames)
    {
        shownNames = names;
        menu.clear(juce::dontSendNotification);
        menu.addItemList(names, 1);
    }
    menu.setSelectedItemIndex(processor.getCurrentProgram(), juce::dontSendNotification);
}

void ProgramChooser::timerCallback()
{
    FillMenu();
}
} // namespace brumalux
