#include "ControllerLearnOverlay.h"

#include "engine/ControllerMapping.h"

namespace brumalux
{

ControllerLearnOverlay::ControllerLearnOverlay(ControllerMapping& mappingToWatch) : mapping(mappingToWatch)
{
    setName("Controller Learn");
    setWantsKeyboardFocus(true);
    setVisible(false);
}

ControllerLearnOverlay::~ControllerLearnOverlay()
{
    if (isTimerRunning())
        mapping.CancelLearning();
    StopListeningForEscape();
}

void ControllerLearnOverlay::Start(int target, const juce::String& targetName, const juce::Component& control)
{
    mapping.StartLearning(target);
    message = "Move a MIDI controller for " + targetName + " (Esc or a click cancels)";
    lit = getLocalArea(&control, control.getLocalBounds()).expanded(3);
    setVisible(true);
    toFront(true);
    StopListeningForEscape();
    listenedTo = getTopLevelComponent();
    listenedTo->addKeyListener(&escapeOnTheEditor);
    startTimer(pollIntervalMs);
    repaint();
}

void ControllerLearnOverlay::Cancel()
{
    mapping.CancelLearning();
    Finish();
}

void ControllerLearnOverlay::Finish()
{
    stopTimer();
    setVisible(false);
    StopListeningForEscape();
}

void ControllerLearnOverlay::StopListeningForEscape()
{
    if (listenedTo != nullptr)
        listenedTo->removeKeyListener(&escapeOnTheEditor);
    listenedTo = nullptr;
}

void ControllerLearnOverlay::timerCallback()
{
    if (mapping.LearningTarget() == ControllerTarget::none)
        Finish();
    else if (!hasKeyboardFocus(false))
        grabKeyboardFocus(); // the closing menu may have taken it along, and Escape needs it
}

void ControllerLearnOverlay::paint(juce::Graphics& g)
{
    juce::RectangleList<int> dimmed(getLocalBounds());
    dimmed.subtract(lit);
    g.setColour(juce::Colours::black.withAlpha(0.35f));
    g.fillRectList(dimmed);
    g.setColour(juce::Colours::orange);
    g.drawRect(lit, 2);
    const auto band = getLocalBounds().removeFromTop(24).reduced(4, 2);
    g.setColour(juce::Colours::black.withAlpha(0.7f));
    g.fillRect(band);
    g.setColour(juce::Colours::white);
    g.setFont(13.0f);
    g.drawText(message, band, juce::Justification::centred, true);
}

void ControllerLearnOverlay::mouseDown(const juce::MouseEvent&)
{
    Cancel();
}

bool ControllerLearnOverlay::keyPressed(const juce::KeyPress& key)
{
    if (key != juce::KeyPress::escapeKey)
        return false;
    Cancel();
    return true;
}

} // namespace brumalux
