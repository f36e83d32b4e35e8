#pragma once

#include <juce_gui_basics/juce_gui_basics.h>

namespace brumalux
{

class ControllerMapping;

// Lies over the whole editor while a control waits for a controller: the control stays lit, a line says
// what to do, and Escape or a click anywhere cancels. It hides itself once the organ has bound a
// controller (or the learn ended otherwise). Message thread.
class ControllerLearnOverlay : public juce::Component, private juce::Timer
{
public:
    static constexpr int pollIntervalMs = 30;

    explicit ControllerLearnOverlay(ControllerMapping& mappingToWatch);
    ~ControllerLearnOverlay() override;

    // Starts learning for the target, lighting the control that stands for it.
    void Start(int target, const juce::String& targetName, const juce::Component& control);
    void Cancel();

    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& event) override;
    bool keyPressed(const juce::KeyPress& key) override;

private:
    // Escape reaches the editor's window wherever its keyboard focus is (on a control, or with none just
    // after a menu closed), so the learn listens for it on the window's top component, not only on itself.
    struct EscapeOnTheEditor : juce::KeyListener
    {
        explicit EscapeOnTheEditor(ControllerLearnOverlay& owner) : overlay(owner) {}
        bool keyPressed(const juce::KeyPress& key, juce::Component*) override
        {
            return overlay.keyPressed(key);
        }
        ControllerLearnOverlay& overlay;
    };

    void timerCallback() override;
    void Finish();
    void StopListeningForEscape();

    ControllerMapping& mapping;
    EscapeOnTheEditor escapeOnTheEditor{*this};
    juce::Component::SafePointer<juce::Component> listenedTo;
    juce::String message;
    juce::Rectangle<int> lit;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(ControllerLearnOverlay)
};

} // namespace brumalux
