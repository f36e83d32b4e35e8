#include "DemoEditorComponent.h"

#include "ControllerBindingMenu.h"
#include "EditorMenu.h"
#include "EditorZoom.h"
#include "OrganEditorFactory.h"
#include "engine/Brumalux.h"
#include "params/PluginParameterManager.h"
#include "userfiles/ControllerMapFile.h"

#include <cmath>
#include <new>
#include <optional>

namespace brumalux
{

namespace
{
constexpr int editorWidth = DemoEditorComponent::unscaledWidth;
constexpr int editorHeight = DemoEditorComponent::unscaledHeight;
// Scales a host may ask for beyond these are taken as these.
constexpr float smallestHostScale = 0.5f;
constexpr float largestHostScale = 4.0f;
constexpr int keyboardKeyCount = 61;
constexpr int keyboardLowestOctave = 3;

// Several settings are single-precision constants in the organ's tables; the slider works
// in double precision, so they enter it widened, not as the nearest double.
constexpr double Widened(float value)
{
    return static_cast<double>(value);
}

// Loading the controls runs in this order, width before depth.
constexpr int loadOrder[] = {16, 17, 2,  3, 4, 5, 20, 21, 22, 23, 25, 24, 0,
                             1,  15, 26, 6, 7, 8, 9,  10, 11, 12, 13, 14};
static_assert(std::size(loadOrder) == 25);
} // namespace

struct DemoEditorComponent::SliderSettings
{
    const char* name;
    juce::Rectangle<int> bounds;
    juce::Slider::SliderStyle style;
    double minimum, maximum, step;
    std::optional<double> initialValue;
    juce::Slider::TextEntryBoxPosition textBox;
    int textBoxWidth;
    double skew;
    int parameter;
};

namespace
{
using S = juce::Slider;
namespace P = ParameterIndex;
} // namespace

DemoEditorComponent::DemoEditorComponent(Brumalux& ownerFilter)
    : AudioFilterEditor(ownerFilter),
      organ(ownerFilter),
      manager(ownerFilter.GetParameterManager()),
      userZoom(EditorZoom::LoadUserZoom())
{
    const juce::Font labelFont(9.0f, juce::Font::plain);

    // Each slider: name, bounds in its box, style, minimum, maximum, step, initial value (none:
    // the toolkit's 0), text box and its width, skew, parameter.
    // clang-format off
    auto& oscillator = AddGroup("Shape Panel", "Oscillator", {10, 10, 140, 55});
    AddSlider(oscillator, {"Voice Selector", {10, 20, 120, 22}, S::LinearHorizontal, 0, 6, 1, 1, S::TextBoxLeft, 30, 1, P::oscillator});

    auto& percussion = AddGroup("Percussion Panel", "Percussion", {150, 10, 100, 55});
    AddSlider(percussion, {"Percussion Level", {10, 20, 80, 22}, S::LinearHorizontal, 0, 1, Widened(0.1f), {}, S::TextBoxLeft, 30, 1, P::percussionLevel});

    auto& click = AddGroup("Click Panel", "Click", {250, 10, 180, 55});
    AddSlider(click, {"Click Level", {10, 20, 80, 22}, S::LinearHorizontal, 0, 1, Widened(0.1f), {}, S::TextBoxLeft, 30, 1, P::clickLevel});

    auto& envelope = AddGroup("ADSR Panel", "ADSR", {10, 70, 420, 55});
    AddSlider(envelope, {"attack time",   {10, 20, 90, 22},  S::LinearHorizontal, 5,    500,  5,    10,   S::TextBoxLeft, 30, 0.75, P::attack});
    AddSlider(envelope, {"decay time",    {110, 20, 90, 22}, S::LinearHorizontal, 5,    500,  5,    50,   S::TextBoxLeft, 30, 0.75, P::decay});
    AddSlider(envelope, {"Sustain level", {210, 20, 90, 22}, S::LinearHorizontal, 0.01, 1,    0.01, 0.75, S::TextBoxLeft, 30, 1,    P::sustain});
    AddSlider(envelope, {"release time",  {310, 20, 90, 22}, S::LinearHorizontal, 5,    1000, 5,    50,   S::TextBoxLeft, 30, 0.75, P::release});

    AddDrawBars(AddGroup("DrawBar Panel", "DrawBars", {10, 130, 420, 180}));

    auto& shape = AddGroup("Saturation Panel", "Shape", {10, 315, 120, 90});
    AddSlider(shape, {"Filter frequency",  {65, 20, 45, 45}, S::Rotary, 100, 12000, 5,              1800,          S::NoTextBox, 70, Widened(0.4f), P::tone});
    AddSlider(shape, {"Distortion Thrust", {10, 20, 45, 45}, S::Rotary, 1,   10,    Widened(0.05f), Widened(1.2f), S::NoTextBox, 40, 0.5,           P::distortion});
    sliderForParameter[P::tone]->setTextValueSuffix(" Hz");
    AddLabel(shape, "SaturationLabel", "Distortion           Tone", {12, 60, 120, 22});

    auto& vibrato = AddGroup("Speaker Panel", "Vib", {130, 315, 60, 90});
    AddSlider(vibrato, {"Speaker Depth", {10, 10, 40, 70}, S::LinearVertical, 0, 1, 0.05, 0.5, S::TextBoxBelow, 30, 1, P::vibrato});

    // Rotor speeds in a grid: slow on the left, fast on the right; treble rotor (2) on top.
    auto& speaker = AddGroup("Speaker Panel", "Speaker", {190, 315, 240, 90});
    AddSpeakerSwitch(speaker);
    const double slowest = Widened(0.1f);
    AddSlider(speaker, {"Lo Speaker Speed",  {105, 50, 65, 22}, S::LinearHorizontal, slowest, 7, 0.1,  1,             S::TextBoxLeft, 25, 1, P::slowSpeed1});
    AddSlider(speaker, {"Hi Speaker Speed",  {105, 20, 65, 22}, S::LinearHorizontal, slowest, 7, 0.1,  Widened(0.8f), S::TextBoxLeft, 25, 1, P::slowSpeed2});
    AddSlider(speaker, {"Hi Speaker Speed",  {170, 20, 65, 22}, S::LinearHorizontal, slowest, 7, 0.1,  Widened(0.8f), S::TextBoxLeft, 25, 1, P::fastSpeed2});
    AddSlider(speaker, {"Lo Speaker Speed",  {170, 50, 65, 22}, S::LinearHorizontal, slowest, 7, 0.1,  1,             S::TextBoxLeft, 25, 1, P::fastSpeed1});
    AddSlider(speaker, {"Speaker Throb",     {45, 50, 60, 22},  S::LinearHorizontal, 0,       1, 0.05, Widened(0.8f), S::TextBoxLeft, 30, 1, P::speakerDepth});
    AddSlider(speaker, {"Hi Speaker Spread", {45, 20, 60, 22},  S::LinearHorizontal, 0,       1, 0.1,  Widened(0.1f), S::TextBoxLeft, 80, 1, P::speakerWidth});
    auto& speedLabel = AddLabel(speaker, "Speakerspeed label", "Slow   - speed -   Fast", {135, 70, 120, 22});
    AddLabel(speaker, "Speakerdepthlabel", "Width/Depth", {45, 70, 60, 22});
    // clang-format on
    for (auto& label : labels)
        label->setFont(labelFont);

    keyboard = std::make_unique<VirtualPiano>(keyboardKeyCount, keyboardLowestOctave);
    addAndMakeVisible(*keyboard);
    keyboard->setBounds(10, 410, 420, 70);

    // The speaker's speed has no control of its own: its label stands for it.
    speedLabel.setInterceptsMouseClicks(true, false);
    speedLabel.onControllerMenu = [this, &speedLabel]
    { ShowControllerMenu(ControllerTarget::speakerSpeed, speedLabel); };
    // Over the whole editor, scaled with the other controls.
    learnOverlay = std::make_unique<ControllerLearnOverlay>(organ.Controllers());
    addChildComponent(*learnOverlay);
    learnOverlay->setBounds(0, 0, editorWidth, editorHeight);

    ApplyScale();
}

DemoEditorComponent::~DemoEditorComponent()
{
    // The filter must stop reaching this editor (and its keyboard) from the audio thread
    // before any part of it goes; the base class would only do so after the members.
    GetOwnerFilter().EditorBeingDeleted(this);
    manager.removeChangeListener(this);
    // A menu still open would act on controls that are gone, or outlive the library in a host that
    // unloads it right after.
    juce::PopupMenu::dismissAllActiveMenus();
}

juce::GroupComponent& DemoEditorComponent::AddGroup(const juce::String& name, const juce::String& title,
                                                    juce::Rectangle<int> bounds)
{
    auto& group = *groups.emplace_back(std::make_unique<juce::GroupComponent>(name, title));
    addAndMakeVisible(group);
    group.setBounds(bounds);
    return group;
}

void DemoEditorComponent::AddSlider(juce::GroupComponent& group, const SliderSettings& settings)
{
    auto learnable = std::make_unique<LearnableSlider>(settings.name);
    auto& slider = *learnable;
    sliders.push_back(std::move(learnable));
    group.addAndMakeVisible(slider);
    slider.setBounds(settings.bounds);
    slider.setRange(settings.minimum, settings.maximum, settings.step);
    if (settings.initialValue)
        slider.setValue(*settings.initialValue, juce::dontSendNotification);
    slider.setSliderStyle(settings.style);
    slider.setTextBoxStyle(settings.textBox, false, settings.textBoxWidth, 20);
    slider.setSkewFactor(settings.skew);
    BindToParameter(slider, settings.parameter);
}

void DemoEditorComponent::AddDrawBars(juce::GroupComponent& group)
{
    for (int k = 0; k < numDrawbars; ++k)
    {
        auto drawBar = std::make_unique<DrawBarSlider>();
        group.addAndMakeVisible(*drawBar);
        drawBar->setBounds(10 + 45 * k, 20, 35, 150);
        drawBar->setValue(1.0 / (k + 1), juce::dontSendNotification);
        BindToParameter(*drawBar, ParameterIndex::drawbar0 + k);
        drawBars[static_cast<size_t>(k)] = drawBar.get();
        sliders.push_back(std::move(drawBar));
    }
}

// Labels let clicks through to the editor's background, unless one is made a control's stand-in.
WithControllerMenu<juce::Label>& DemoEditorComponent::AddLabel(juce::GroupComponent& group,
                                                               const juce::String& name,
                                                               const juce::String& text,
                                                               juce::Rectangle<int> bounds)
{
    auto label = std::make_unique<WithControllerMenu<juce::Label>>(name, text);
    auto& added = *label;
    labels.push_back(std::move(label));
    group.addAndMakeVisible(added);
    added.setBounds(bounds);
    added.setInterceptsMouseClicks(false, false);
    return added;
}

void DemoEditorComponent::AddSpeakerSwitch(juce::GroupComponent& group)
{
    speakerSwitch = std::make_unique<WithControllerMenu<juce::ToggleButton>>("On");
    speakerSwitch->onControllerMenu = [this]
    { ShowControllerMenu(ParameterIndex::speakerOn, *speakerSwitch); };
    speakerSwitch->setName("Speaker Switch");
    speakerSwitch->setLookAndFeel(&speakerSwitchLook);
    group.addAndMakeVisible(*speakerSwitch);
    speakerSwitch->setBounds(5, 20, 40, 22);
    speakerSwitch->setToggleState(true, juce::dontSendNotification);
    speakerSwitch->addListener(this);
}

juce::Slider* DemoEditorComponent::GetSliderFor(int parameterIndex) const
{
    if (parameterIndex < 0 || parameterIndex >= ParameterIndex::count)
        return nullptr;
    return sliderForParameter[static_cast<size_t>(parameterIndex)];
}

// The slider tells when the user starts and ends changing it (a drag, a typed value, the
// wheel); the host hears of every value in between as part of that gesture.
void DemoEditorComponent::BindToParameter(LearnableSlider& slider, int parameter)
{
    sliderForParameter[static_cast<size_t>(parameter)] = &slider;
    slider.onControllerMenu = [this, parameter, &slider] { ShowControllerMenu(parameter, slider); };
    slider.onDragStart = [this, parameter] { BeginGesture(parameter); };
    slider.onValueChange = [this, parameter] { WriteSlider(parameter); };
    slider.onDragEnd = [this, parameter] { EndGesture(parameter); };
}

void DemoEditorComponent::BeginGesture(int parameter)
{
    gestureOpen[static_cast<size_t>(parameter)] = true;
    manager.BeginGesture(parameter);
}

void DemoEditorComponent::EndGesture(int parameter)
{
    gestureOpen[static_cast<size_t>(parameter)] = false;
    manager.EndGesture(parameter);
}

void DemoEditorComponent::WriteSlider(int parameter)
{
    const auto value = static_cast<float>(GetSliderFor(parameter)->getValue());
    if (gestureOpen[static_cast<size_t>(parameter)])
    {
        manager.SetValueNotifyingHost(parameter, value);
        return;
    }
    // A change that came without a gesture of its own is one.
    BeginGesture(parameter);
    manager.SetValueNotifyingHost(parameter, value);
    EndGesture(parameter);
}

void DemoEditorComponent::ShowControllerMenu(int target, juce::Component& control)
{
    ShowControllerBindingMenu(organ.Controllers(), target, control,
                              [this, target, &control]
                              {
                                  const auto name = ControllerMapFile::TargetName(
                                      target, organ.Controllers().ParameterNames());
                                  learnOverlay->Start(target, name, control);
                              });
}

void DemoEditorComponent::changeListenerCallback(juce::ChangeBroadcaster* source)
{
    if (source == &manager)
        SyncControlsFromParameters();
}

// Loading tells no one, so it writes nothing back.
void DemoEditorComponent::SyncControlsFromParameters()
{
    for (const int index : loadOrder)
        GetSliderFor(index)->setValue(static_cast<double>(manager.GetValue(index)),
                                      juce::dontSendNotification);
    speakerSwitch->setToggleState(manager.GetValue(ParameterIndex::speakerOn) != 0.0f,
                                  juce::dontSendNotification);
}

void DemoEditorComponent::FollowParameterChanges()
{
    manager.addChangeListener(this);
}

void DemoEditorComponent::buttonClicked(juce::Button*)
{
    WriteSpeakerSwitch();
}

void DemoEditorComponent::WriteSpeakerSwitch()
{
    const int parameter = ParameterIndex::speakerOn;
    manager.BeginGesture(parameter);
    manager.SetValueNotifyingHost(parameter, speakerSwitch->getToggleState() ? 1.0f : 0.0f);
    manager.EndGesture(parameter);
}

void DemoEditorComponent::SetHostScale(float scale)
{
    if (!std::isfinite(scale))
        return;
    hostScale = juce::jlimit(smallestHostScale, largestHostScale, scale);
    ApplyScale();
}

void DemoEditorComponent::SetUserZoom(int percent)
{
    userZoom = EditorZoom::Sanitised(percent);
    ApplyScale();
}

void DemoEditorComponent::ApplyScale()
{
    const auto scale = GetScale();
    const auto transform = juce::AffineTransform::scale(scale);
    for (auto* child : getChildren())
        child->setTransform(transform);
    // The smallest whole size that holds the drawing, as JUCE's plug-in clients size a
    // scaled editor's window.
    setSize(static_cast<int>(std::ceil(static_cast<float>(editorWidth) * scale)),
            static_cast<int>(std::ceil(static_cast<float>(editorHeight) * scale)));
    repaint();
}

void DemoEditorComponent::mouseDown(const juce::MouseEvent& event)
{
    if (event.mods.isPopupMenu())
        ShowEditorMenu(*this);
}

void DemoEditorComponent::paint(juce::Graphics& g)
{
    g.addTransform(juce::AffineTransform::scale(GetScale()));
    const int width = editorWidth;
    const int height = editorHeight;
    g.fillAll(juce::Colour(0xff87ceeb));
    g.setColour(juce::Colour(0xff67bedb)); // the band behind the keyboard
    g.fillRect(0, 405, width, 80);
    g.setColour(juce::Colour(0xff97eefb)); // highlight, left and top
    g.fillRect(0, 0, 2, height);
    g.fillRect(0, 0, width, 5);
    g.setColour(juce::Colours::black); // shadow, bottom and right
    g.fillRect(0, height - 4, width, 4);
    g.fillRect(width - 1, 0, 1, height);
}

AudioFilterEditor* CreateOrganEditor(Brumalux& filter)
{
    try
    {
        return new DemoEditorComponent(filter);
    }
    catch (const std::bad_alloc&)
    {
        return nullptr; // the host then shows no editor
    }
}

} // namespace brumalux
