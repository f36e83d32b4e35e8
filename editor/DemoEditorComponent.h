#pragma once

#include "DrawBarSlider.h"
#include "SpeakerSwitchLook.h"
#include "VirtualPiano.h"

#include "framework/AudioFilterEditor.h"
#include "framework/EditorLink.h"
#include "params/OrganParameters.h"

#include <array>
#include <memory>
#include <vector>

namespace brumalux
{

class Brumalux;
class PluginParameterManager;

// The organ's window: eight boxes of controls bound to the parameters, above the
// on-screen keyboard.
//
// Threads: built, connected, painted, clicked and destroyed on the message thread. A
// control the user changes writes its own parameter only, as one gesture for the host;
// the controls follow the parameters (the speaker switch included) and write nothing when
// they do.
//
// Zoom: the layout is one of 440 x 485 points, drawn at the host's scale times the player's
// zoom (every child under one scaling transform, the background painted through it), so
// it stays sharp at any size; the component's own size is always the size drawn. A
// right-click on the background opens the editor's menu.
class DemoEditorComponent : public AudioFilterEditor,
                            public juce::ChangeListener,
                            public juce::Button::Listener,
                            public ConnectableEditor
{
public:
    explicit DemoEditorComponent(Brumalux& ownerFilter);
    ~DemoEditorComponent() override;

    // From the parameter manager: reload the controls.
    void changeListenerCallback(juce::ChangeBroadcaster* source) override;
    void buttonClicked(juce::Button* button) override;
    void paint(juce::Graphics& g) override;
    void mouseDown(const juce::MouseEvent& event) override;

    static constexpr int unscaledWidth = 440;
    static constexpr int unscaledHeight = 485;

    void SetHostScale(float scale) override;
    // Draws at this zoom from now on (the choice nearest to percent).
    void SetUserZoom(int percent);
    int GetUserZoom() const noexcept { return userZoom; }
    float GetScale() const noexcept { return hostScale * static_cast<float>(userZoom) / 100.0f; }
    Brumalux& GetOrgan() const noexcept { return organ; }
    // Where the preset menu keeps its open file chooser: it closes with the editor.
    std::unique_ptr<juce::FileChooser>& PresetChooserSlot() noexcept { return presetChooser; }

    KeyboardDisplay& GetKeyboard() override { return *keyboard; }
    void SyncControlsFromParameters() override;
    void FollowParameterChanges() override;

    // The speaker switch's state goes to parameter 19 and on to the host.
    void WriteSpeakerSwitch();

    // The slider bound to a parameter, or null for the two parameters without one.
    juce::Slider* GetSliderFor(int parameterIndex) const;
    juce::ToggleButton& GetSpeakerSwitch() const noexcept { return *speakerSwitch; }

private:
    struct SliderSettings;

    void BindToParameter(juce::Slider& slider, int parameter);
    void BeginGesture(int parameter);
    void EndGesture(int parameter);
    void WriteSlider(int parameter);

    juce::GroupComponent& AddGroup(const juce::String& name, const juce::String& title,
                                   juce::Rectangle<int> bounds);
    void AddSlider(juce::GroupComponent& group, const SliderSettings& settings);
    void AddDrawBars(juce::GroupComponent& group);
    void AddLabel(juce::GroupComponent& group, const juce::String& name, const juce::String& text,
                  juce::Rectangle<int> bounds);
    void AddSpeakerSwitch(juce::GroupComponent& group);
    void ApplyScale();

    Brumalux& organ;
    PluginParameterManager& manager;
    float hostScale = 1.0f;
    int userZoom;
    // Declared before the controls, so that the controls are destroyed first.
    SpeakerSwitchLook speakerSwitchLook;
    std::vector<std::unique_ptr<juce::GroupComponent>> groups;
    std::vector<std::unique_ptr<juce::Slider>> sliders;
    std::array<DrawBarSlider*, numDrawbars> drawBars{};
    std::vector<std::unique_ptr<juce::Label>> labels;
    std::unique_ptr<juce::ToggleButton> speakerSwitch;
    std::unique_ptr<VirtualPiano> keyboard;
    std::array<juce::Slider*, ParameterIndex::count> sliderForParameter{};

    // The parameters whose gesture (a drag, a typed value) is under way.
    std::array<bool, ParameterIndex::count> gestureOpen{};

    std::unique_ptr<juce::FileChooser> presetChooser;

    JUCE_DECLARE_NON_COPYABLE_WITH_LEAK_DETECTOR(DemoEditorComponent)
};

} // namespace brumalux
