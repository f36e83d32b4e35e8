#pragma once

#include "DrawBarSlider.h"
#include "VirtualPiano.h"

#include "framework/AudioFilterEditor.h"
#include "framework/EditorLink.h"
#include "params/OrganParameters.h"

#include <array>
#include <atomic>
#include <memory>
#include <vector>

class Brumalux;
class PluginParameterManager;

// The organ's window: eight boxes of controls bound to the parameters, above the
// on-screen keyboard.
//
// Threads: built, painted, clicked and destroyed on the message thread. The filter
// connects it from whatever thread prepares or renders (normally the audio thread), so
// SyncControlsFromParameters, WriteSpeakerSwitch and FollowParameterChanges may be called
// from any thread: the sliders are then loaded, and the editor registered with the
// parameter manager, on the message thread at its next turn, before any later user input;
// the speaker switch is written at once from a copy of the toggle's state, and reported to
// the host from the calling thread.
class DemoEditorComponent : public AudioFilterEditor,
                            public juce::ChangeListener,
                            public juce::Button::Listener,
                            public ConnectableEditor,
                            private juce::AsyncUpdater
{
public:
    explicit DemoEditorComponent(Brumalux& ownerFilter);
    ~DemoEditorComponent() override;

    // From the parameter manager: reload the sliders. From a slider: write them all.
    void changeListenerCallback(juce::ChangeBroadcaster* source) override;
    void buttonClicked(juce::Button* button) override;
    void buttonStateChanged(juce::Button* button) override;
    void paint(juce::Graphics& g) override;

    KeyboardDisplay& GetKeyboard() override { return *keyboard; }
    void SyncControlsFromParameters() override;
    void WriteSpeakerSwitch() override;
    void FollowParameterChanges() override;

    // Every slider value, in its own units, goes to its parameter and on to the host.
    void WriteControlsToParameters();

    // The slider bound to a parameter, or null for the two parameters without one.
    juce::Slider* GetSliderFor(int parameterIndex) const;
    juce::ToggleButton& GetSpeakerSwitch() const noexcept { return *speakerSwitch; }

private:
    struct SliderSettings;

    void handleAsyncUpdate() override;
    void LoadSlidersFromParameters();
    void RunOnMessageThread(std::atomic<bool>& pendingWork);

    juce::GroupComponent& AddGroup(const juce::String& name, const juce::String& title,
                                   juce::Rectangle<int> bounds);
    void AddSlider(juce::GroupComponent& group, const SliderSettings& settings);
    void AddDrawBars(juce::GroupComponent& group);
    void AddLabel(juce::GroupComponent& group, const juce::String& name, const juce::String& text,
                  juce::Rectangle<int> bounds);
    void AddSpeakerSwitch(juce::GroupComponent& group);

    PluginParameterManager& manager;
    // Declared before the controls, so that the controls are destroyed first.
    std::vector<std::unique_ptr<juce::GroupComponent>> groups;
    std::vector<std::unique_ptr<juce::Slider>> sliders;
    std::array<DrawBarSlider*, numDrawbars> drawBars{};
    std::vector<std::unique_ptr<juce::Label>> labels;
    std::unique_ptr<juce::ToggleButton> speakerSwitch;
    std::unique_ptr<VirtualPiano> keyboard;
    std::array<juce::Slider*, ParameterIndex::count> sliderForParameter{};

    // Every slider reports a user change here; the editor hears it later, once for a
    // burst of changes, as the toolkit's asynchronous change message.
    juce::ChangeBroadcaster sliderChanges;
    std::atomic<bool> slidersNeedLoading{false};
    std::atomic<bool> parametersNeedFollowing{false};
    std::atomic<bool> speakerSwitchOn{true}; // the toggle's state, readable from any thread

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(DemoEditorComponent)
};
