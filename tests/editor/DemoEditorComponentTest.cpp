#include "EditorTestSupport.h"

#include <gtest/gtest.h>

#include <thread>

namespace brumalux
{

namespace
{
using S = juce::Slider;
namespace P = ParameterIndex;

class DemoEditorTest : public ::testing::Test, protected OrganWithEditor
{
protected:
    juce::Slider& SliderFor(int index) { return *Editor().GetSliderFor(index); }

    // As its constructor leaves it, before the organ connects it to the parameters.
    DemoEditorComponent& MakeUnconnectedEditor()
    {
        editor = std::make_unique<DemoEditorComponent>(filter);
        return Editor();
    }

    // As a user's drag or typed value changes a slider.
    void MoveSlider(int index, double value)
    {
        SliderFor(index).setValue(value, juce::sendNotificationSync);
        PumpMessages();
    }

    void Connect()
    {
        filter.PrepareToPlay(44100.0, 256);
        PumpMessages();
        host.Clear();
    }

    // The user's drag of a slider, from one point to the next, in the slider's coordinates.
    void Drag(juce::Slider& slider, std::initializer_list<juce::Point<float>> points)
    {
        const auto first = *points.begin();
        slider.mouseDown(MouseAt(slider, first.x, first.y));
        for (const auto point : points)
            slider.mouseDrag(MouseAt(slider, point.x, point.y));
        const auto last = *(points.end() - 1);
        slider.mouseUp(MouseAt(slider, last.x, last.y));
        PumpMessages();
    }

    // Every parameter value, to tell which ones a change left alone.
    std::vector<float> Values()
    {
        std::vector<float> values;
        for (int index = 0; index < ParameterIndex::count; ++index)
            values.push_back(Value(index));
        return values;
    }
};

// ---------------------------------------------------------------------------- layout

struct ExpectedSlider
{
    int parameter;
    const char* group;
    const char* name;
    juce::Rectangle<int> bounds;
    S::SliderStyle style;
    double minimum, maximum, interval;
    double initialValue;
    S::TextEntryBoxPosition textBox;
    int textBoxWidth;
    double skew;
};

// Written out from the editor's layout table. Some constants are 32-bit floats widened to
// double, which differ from the nearest double (0.1f is 0.100000001490116...).
// clang-format off
const ExpectedSlider expectedSliders[] = {
    {P::oscillator,      "Oscillator", "Voice Selector",    {10, 20, 120, 22},  S::LinearHorizontal, 0,            6,     1,             1,    S::TextBoxLeft,  30, 1},
    {P::percussionLevel, "Percussion", "Percussion Level",  {10, 20, 80, 22},   S::LinearHorizontal, 0,            1,     double(0.1f),  0,    S::TextBoxLeft,  30, 1},
    {P::clickLevel,      "Click",      "Click Level",       {10, 20, 80, 22},   S::LinearHorizontal, 0,            1,     double(0.1f),  0,    S::TextBoxLeft,  30, 1},
    {P::attack,          "ADSR",       "attack time",       {10, 20, 90, 22},   S::LinearHorizontal, 5,            500,   5,             10,   S::TextBoxLeft,  30, 0.75},
    {P::decay,           "ADSR",       "decay time",        {110, 20, 90, 22},  S::LinearHorizontal, 5,            500,   5,             50,   S::TextBoxLeft,  30, 0.75},
    {P::sustain,         "ADSR",       "Sustain level",     {210, 20, 90, 22},  S::LinearHorizontal, 0.01,         1,     0.01,          0.75, S::TextBoxLeft,  30, 1},
    {P::release,         "ADSR",       "release time",      {310, 20, 90, 22},  S::LinearHorizontal, 5,            1000,  5,             50,   S::TextBoxLeft,  30, 0.75},
    {P::distortion,      "Shape",      "Distortion Thrust", {10, 20, 45, 45},   S::Rotary,           1,            10,    double(0.05f), 1.2,  S::NoTextBox,    40, 0.5},
    {P::tone,            "Shape",      "Filter frequency",  {65, 20, 45, 45},   S::Rotary,           100,          12000, 5,             1800, S::NoTextBox,    70, double(0.4f)},
    {P::vibrato,         "Vib",        "Speaker Depth",     {10, 10, 40, 70},   S::LinearVertical,   0,            1,     0.05,          0.5,  S::TextBoxBelow, 30, 1},
    {P::speakerWidth,    "Speaker",    "Hi Speaker Spread", {45, 20, 60, 22},   S::LinearHorizontal, 0,            1,     0.1,           0.1,  S::TextBoxLeft,  80, 1},
    {P::speakerDepth,    "Speaker",    "Speaker Throb",     {45, 50, 60, 22},   S::LinearHorizontal, 0,            1,     0.05,          0.8,  S::TextBoxLeft,  30, 1},
    {P::slowSpeed2,      "Speaker",    "Hi Speaker Speed",  {105, 20, 65, 22},  S::LinearHorizontal, double(0.1f), 7,     0.1,           0.8,  S::TextBoxLeft,  25, 1},
    {P::slowSpeed1,      "Speaker",    "Lo Speaker Speed",  {105, 50, 65, 22},  S::LinearHorizontal, double(0.1f), 7,     0.1,           1,    S::TextBoxLeft,  25, 1},
    {P::fastSpeed2,      "Speaker",    "Hi Speaker Speed",  {170, 20, 65, 22},  S::LinearHorizontal, double(0.1f), 7,     0.1,           0.8,  S::TextBoxLeft,  25, 1},
    {P::fastSpeed1,      "Speaker",    "Lo Speaker Speed",  {170, 50, 65, 22},  S::LinearHorizontal, double(0.1f), 7,     0.1,           1,    S::TextBoxLeft,  25, 1},
};
// clang-format on

juce::String GroupTitle(const juce::Component& control)
{
    auto* group = dynamic_cast<juce::GroupComponent*>(control.getParentComponent());
    return group != nullptr ? group->getText() : juce::String();
}

TEST_F(DemoEditorTest, GroupBoxesHaveTheirNamesTitlesAndBounds)
{
    auto& openEditor = OpenEditor();
    EXPECT_EQ(openEditor.getWidth(), 440);
    EXPECT_EQ(openEditor.getHeight(), 485);

    struct ExpectedGroup
    {
        const char* title;
        const char* name;
        juce::Rectangle<int> bounds;
    };
    const ExpectedGroup expected[] = {
        {"Oscillator", "Shape Panel", {10, 10, 140, 55}},
        {"Percussion", "Percussion Panel", {150, 10, 100, 55}},
        {"Click", "Click Panel", {250, 10, 180, 55}},
        {"ADSR", "ADSR Panel", {10, 70, 420, 55}},
        {"DrawBars", "DrawBar Panel", {10, 130, 420, 180}},
        {"Shape", "Saturation Panel", {10, 315, 120, 90}},
        {"Vib", "Speaker Panel", {130, 315, 60, 90}},
        {"Speaker", "Speaker Panel", {190, 315, 240, 90}},
    };
    std::vector<juce::GroupComponent*> groups;
    for (auto* child : openEditor.getChildren())
        if (auto* group = dynamic_cast<juce::GroupComponent*>(child))
            groups.push_back(group);
    ASSERT_EQ(groups.size(), std::size(expected));
    for (size_t i = 0; i < groups.size(); ++i)
    {
        EXPECT_EQ(groups[i]->getText(), expected[i].title);
        EXPECT_EQ(groups[i]->getName(), expected[i].name);
        EXPECT_EQ(groups[i]->getBounds(), expected[i].bounds) << expected[i].title;
    }

    auto* keyboard = dynamic_cast<VirtualPiano*>(&openEditor.GetKeyboard());
    ASSERT_NE(keyboard, nullptr);
    EXPECT_EQ(keyboard->getParentComponent(), &openEditor);
    EXPECT_EQ(keyboard->getName(), "VirtualPiano");
    EXPECT_EQ(keyboard->getBounds(), juce::Rectangle<int>(10, 410, 420, 70));
    EXPECT_EQ(keyboard->NoteAt(419, 60), 96); // 61 keys from note 36
    EXPECT_EQ(keyboard->NoteAt(1, 60), 36);
}

TEST_F(DemoEditorTest, SlidersHaveTheirBoundsRangesStepsSkewsTextBoxesAndInitialValues)
{
    MakeUnconnectedEditor();
    for (const auto& e : expectedSliders)
    {
        SCOPED_TRACE(std::string(e.name) + " for parameter " + std::to_string(e.parameter));
        auto& slider = SliderFor(e.parameter);
        EXPECT_EQ(slider.getName(), e.name);
        EXPECT_EQ(GroupTitle(slider), e.group);
        EXPECT_EQ(slider.getBounds(), e.bounds);
        EXPECT_EQ(slider.getSliderStyle(), e.style);
        EXPECT_DOUBLE_EQ(slider.getMinimum(), e.minimum);
        EXPECT_DOUBLE_EQ(slider.getMaximum(), e.maximum);
        EXPECT_DOUBLE_EQ(slider.getInterval(), e.interval);
        EXPECT_NEAR(slider.getValue(), e.initialValue, 1e-6);
        EXPECT_EQ(slider.getTextBoxPosition(), e.textBox);
        EXPECT_EQ(slider.getTextBoxWidth(), e.textBoxWidth);
        EXPECT_EQ(slider.getTextBoxHeight(), 20);
        EXPECT_TRUE(slider.isTextBoxEditable());
        EXPECT_DOUBLE_EQ(slider.getSkewFactor(), e.skew);
    }
    EXPECT_EQ(SliderFor(P::tone).getTextValueSuffix(), " Hz");
    EXPECT_EQ(SliderFor(P::tone).getTextFromValue(1800), "1800 Hz");
    EXPECT_EQ(Editor().GetSliderFor(P::clipThresholdScale), nullptr);
    EXPECT_EQ(Editor().GetSliderFor(P::speakerOn), nullptr);
}

TEST_F(DemoEditorTest, NineDrawBarsStandInARow)
{
    MakeUnconnectedEditor();
    for (int k = 0; k < numDrawbars; ++k)
    {
        SCOPED_TRACE("drawbar " + std::to_string(k));
        auto* drawBar = dynamic_cast<DrawBarSlider*>(&SliderFor(P::drawbar0 + k));
        ASSERT_NE(drawBar, nullptr);
        EXPECT_EQ(drawBar->getName(), "Draw Bar");
        EXPECT_EQ(GroupTitle(*drawBar), "DrawBars");
        EXPECT_EQ(drawBar->getBounds(), juce::Rectangle<int>(10 + 45 * k, 20, 35, 150));
        EXPECT_EQ(drawBar->getSliderStyle(), S::LinearVertical);
        EXPECT_DOUBLE_EQ(drawBar->getMinimum(), 0.0);
        EXPECT_DOUBLE_EQ(drawBar->getMaximum(), 1.0);
        EXPECT_DOUBLE_EQ(drawBar->getInterval(), 0.01);
        EXPECT_EQ(drawBar->getTextBoxPosition(), S::TextBoxBelow);
        EXPECT_EQ(drawBar->getTextBoxWidth(), 30);
        EXPECT_TRUE(drawBar->isTextBoxEditable());
    }
    // 1 / (k + 1), snapped to the step.
    const double initial[] = {1, 0.5, 0.33, 0.25, 0.2, 0.17, 0.14, 0.13, 0.11};
    for (int k = 0; k < numDrawbars; ++k)
        EXPECT_NEAR(SliderFor(P::drawbar0 + k).getValue(), initial[k], 1e-9) << k;
    EXPECT_EQ(SliderFor(P::drawbar0 + 2).getTextFromValue(SliderFor(P::drawbar0 + 2).getValue()), "0.33");
}

TEST_F(DemoEditorTest, LabelsAndSpeakerSwitch)
{
    auto& openEditor = OpenEditor();
    struct ExpectedLabel
    {
        const char* group;
        const char* name;
        const char* text;
        juce::Rectangle<int> bounds;
    };
    const ExpectedLabel expected[] = {
        {"Shape", "SaturationLabel", "Distortion           Tone", {12, 60, 120, 22}},
        {"Speaker", "Speakerspeed label", "Slow   - speed -   Fast", {135, 70, 120, 22}},
        {"Speaker", "Speakerdepthlabel", "Width/Depth", {45, 70, 60, 22}},
    };
    for (const auto& e : expected)
    {
        juce::Label* label = nullptr;
        for (auto* group : openEditor.getChildren())
            for (auto* child : group->getChildren())
                if (child->getName() == e.name)
                    label = dynamic_cast<juce::Label*>(child);
        ASSERT_NE(label, nullptr) << e.name;
        EXPECT_EQ(GroupTitle(*label), e.group);
        EXPECT_EQ(label->getText(), e.text);
        EXPECT_EQ(label->getBounds(), e.bounds);
        EXPECT_FLOAT_EQ(label->getFont().getHeight(), 9.0f);
        EXPECT_FALSE(label->getFont().isBold());
    }

    auto& toggle = openEditor.GetSpeakerSwitch();
    EXPECT_EQ(toggle.getName(), "Speaker Switch");
    EXPECT_EQ(toggle.getButtonText(), "On");
    EXPECT_EQ(GroupTitle(toggle), "Speaker");
    EXPECT_EQ(toggle.getBounds(), juce::Rectangle<int>(5, 20, 40, 22));
    EXPECT_TRUE(toggle.getToggleState());
}

TEST_F(DemoEditorTest, PaintsBackgroundBandHighlightAndShadow)
{
    auto& openEditor = OpenEditor();
    const auto image = openEditor.createComponentSnapshot(openEditor.getLocalBounds());
    EXPECT_EQ(RgbAt(image, 5, 200), "87CEEB"); // background between the left edge and the boxes
    EXPECT_EQ(RgbAt(image, 5, 407), "67BEDB"); // band behind the keyboard
    EXPECT_EQ(RgbAt(image, 435, 450), "67BEDB");
    EXPECT_EQ(RgbAt(image, 1, 200), "97EEFB"); // left highlight
    EXPECT_EQ(RgbAt(image, 1, 450), "97EEFB"); // over the band too
    EXPECT_EQ(RgbAt(image, 200, 4), "97EEFB"); // top highlight
    EXPECT_EQ(RgbAt(image, 200, 5), "87CEEB");
    EXPECT_EQ(RgbAt(image, 200, 481), "000000"); // bottom shadow, 4 pixels
    EXPECT_EQ(RgbAt(image, 200, 480), "67BEDB");
    EXPECT_EQ(RgbAt(image, 1, 483), "000000"); // shadows cover highlights
    EXPECT_EQ(RgbAt(image, 439, 2), "000000"); // right shadow, 1 pixel
    EXPECT_EQ(RgbAt(image, 438, 200), "87CEEB");
    EXPECT_EQ(RgbAt(image, 10 + 17, 410 + 55), "FFFFF0"); // the keyboard's D, up
}

// -------------------------------------------------------------------------- bindings

TEST_F(DemoEditorTest, OpeningShowsTheParametersAndChangesNothing)
{
    Manager().SetValueNotifyingHost(P::attack, 300.0f);
    Manager().SetValueNotifyingHost(P::drawbar0 + 3, 0.333f);
    Manager().SetValueNotifyingHost(P::speakerOn, 0.0f);
    PumpMessages();
    host.Clear();
    const auto before = Values();

    OpenEditor();
    EXPECT_DOUBLE_EQ(SliderFor(P::attack).getValue(), 300.0);
    EXPECT_NEAR(SliderFor(P::drawbar0 + 3).getValue(), 0.33, 1e-9);
    EXPECT_FALSE(Editor().GetSpeakerSwitch().getToggleState()) << "the switch shows parameter 19";

    // Neither opening nor the blocks and prepare calls that meet the editor, on any thread, write a
    // parameter or tell the host anything.
    std::thread audio(
        [this]
        {
            juce::MidiBuffer midi;
            filter.PrepareToPlay(44100.0, 256);
            RenderBlock(midi);
        });
    audio.join();
    PumpMessages();
    EXPECT_TRUE(host.sequence.empty());
    auto after = Values();
    after[P::clipThresholdScale] = before[P::clipThresholdScale]; // the engine's own, rewritten by blocks
    EXPECT_EQ(after, before);

    // The switch follows parameter 19 whenever the controls are loaded.
    filter.SetNormalisedParameter(P::speakerOn, 1.0f);
    PumpMessages();
    EXPECT_TRUE(Editor().GetSpeakerSwitch().getToggleState());
    EXPECT_TRUE(host.sequence.empty());
}

TEST_F(DemoEditorTest, HostChangesMoveTheSlidersWithoutWritingBack)
{
    OpenEditor();
    Connect();
    Manager().SetValueNotifyingHost(P::tone, 1803.0f);
    Manager().SetValueNotifyingHost(P::sustain, 0.0f);
    Manager().SetValueNotifyingHost(P::drawbar0 + 3, 0.333f);
    filter.SetNormalisedParameter(P::attack, 0.5f); // 252.5 ms
    host.Clear();
    PumpMessages();

    EXPECT_DOUBLE_EQ(SliderFor(P::tone).getValue(), 1805.0);
    EXPECT_DOUBLE_EQ(SliderFor(P::sustain).getValue(), 0.01);
    EXPECT_NEAR(SliderFor(P::drawbar0 + 3).getValue(), 0.33, 1e-9);
    EXPECT_DOUBLE_EQ(SliderFor(P::attack).getValue(), 255.0);
    EXPECT_TRUE(host.automated.empty());
    EXPECT_EQ(Value(P::tone), 1803.0f);
    EXPECT_EQ(Value(P::sustain), 0.0f);
    EXPECT_EQ(Value(P::attack), 252.5f);
}

TEST_F(DemoEditorTest, DraggingOneSliderWritesOnlyItsParameterInOneGesture)
{
    OpenEditor();
    Connect();
    Manager().SetValueNotifyingHost(P::tone, 1803.0f); // off the sliders' steps
    Manager().SetValueNotifyingHost(P::sustain, 0.0f);
    Manager().SetValueNotifyingHost(P::drawbar0 + 2, 0.005f);
    PumpMessages();
    host.Clear();
    auto before = Values();

    const int dragged = P::drawbar0 + 3;
    Drag(SliderFor(dragged), {{17, 40}, {17, 55}, {17, 70}});

    ASSERT_GE(host.sequence.size(), 3u);
    EXPECT_EQ(host.sequence.front(), "begin 9");
    EXPECT_EQ(host.sequence.back(), "end 9");
    for (size_t i = 1; i + 1 < host.sequence.size(); ++i)
        EXPECT_EQ(host.sequence[i], "automate 9");
    EXPECT_FLOAT_EQ(Value(dragged), static_cast<float>(SliderFor(dragged).getValue()));
    EXPECT_NE(Value(dragged), before[dragged]);
    before[dragged] = Value(dragged);
    before[P::clipThresholdScale] = Value(P::clipThresholdScale);
    EXPECT_EQ(Values(), before) << "every other parameter keeps its value, unsnapped";

    // The manager's broadcast of those writes only re-reads.
    host.Clear();
    PumpMessages();
    EXPECT_TRUE(host.sequence.empty());

    // A value set without a drag of its own (typed, say) is a gesture too.
    MoveSlider(P::attack, 400);
    EXPECT_EQ(host.sequence, (std::vector<std::string>{"begin 2", "automate 2", "end 2"}));
    EXPECT_FLOAT_EQ(Value(P::attack), 400.0f);
}

TEST_F(DemoEditorTest, AProgramChangeShowsInTheSliders)
{
    OpenEditor();
    Connect();
    filter.SetCurrentProgram(3); // "Organ pad"
    host.automated.clear();
    PumpMessages();
    EXPECT_EQ(filter.GetProgramName(3), "Organ pad");
    EXPECT_DOUBLE_EQ(SliderFor(P::attack).getValue(), 500.0);
    EXPECT_DOUBLE_EQ(SliderFor(P::decay).getValue(), 250.0);
    EXPECT_DOUBLE_EQ(SliderFor(P::release).getValue(), 1000.0);
    EXPECT_DOUBLE_EQ(SliderFor(P::oscillator).getValue(), 2.0);
    EXPECT_NEAR(SliderFor(P::drawbar0).getValue(), 0.8, 1e-9);
    EXPECT_TRUE(host.automated.empty());
}

TEST_F(DemoEditorTest, VoiceSelectorStoresShapesBeyondTheDeclaredRange)
{
    OpenEditor();
    Connect();
    MoveSlider(P::oscillator, 5);
    EXPECT_FLOAT_EQ(Value(P::oscillator), 5.0f);
    MoveSlider(P::oscillator, 6);
    EXPECT_FLOAT_EQ(Value(P::oscillator), 6.0f);
    MoveSlider(P::oscillator, 9);
    EXPECT_FLOAT_EQ(Value(P::oscillator), 6.0f);
}

TEST_F(DemoEditorTest, TypedDrawBarValuesStayWithinZeroToOne)
{
    OpenEditor();
    Connect();
    auto& drawBar = SliderFor(P::drawbar0 + 4);
    juce::Label* valueBox = nullptr;
    for (auto* child : drawBar.getChildren())
        if (auto* label = dynamic_cast<juce::Label*>(child))
            valueBox = label;
    ASSERT_NE(valueBox, nullptr);

    valueBox->setText("1.7", juce::sendNotificationSync);
    PumpMessages();
    EXPECT_DOUBLE_EQ(drawBar.getValue(), 1.0);
    EXPECT_FLOAT_EQ(Value(P::drawbar0 + 4), 1.0f);
    EXPECT_EQ(host.sequence, (std::vector<std::string>{"begin 10", "automate 10", "end 10"}));

    valueBox->setText("-3", juce::sendNotificationSync);
    PumpMessages();
    EXPECT_DOUBLE_EQ(drawBar.getValue(), 0.0);
    EXPECT_FLOAT_EQ(Value(P::drawbar0 + 4), 0.0f);
}

TEST_F(DemoEditorTest, TheSpeakerSwitchWritesParameter19OnClicksOnly)
{
    auto& openEditor = OpenEditor();
    Connect();
    auto& toggle = openEditor.GetSpeakerSwitch();

    toggle.triggerClick();
    PumpMessages();
    EXPECT_FALSE(toggle.getToggleState());
    EXPECT_EQ(Value(P::speakerOn), 0.0f);
    EXPECT_EQ(host.sequence, (std::vector<std::string>{"begin 19", "automate 19", "end 19"}));

    // Hovering changes nothing; a host change moves the switch.
    host.Clear();
    toggle.setState(juce::Button::buttonOver);
    toggle.setState(juce::Button::buttonNormal);
    filter.SetNormalisedParameter(P::speakerOn, 1.0f);
    PumpMessages();
    EXPECT_TRUE(toggle.getToggleState());
    EXPECT_TRUE(host.sequence.empty());

    toggle.triggerClick();
    PumpMessages();
    EXPECT_EQ(Value(P::speakerOn), 0.0f);
}

TEST_F(DemoEditorTest, AClosedEditorIsForgottenAndANewOneShowsTheParameters)
{
    OpenEditor();
    Connect();
    CloseEditor();
    EXPECT_EQ(filter.GetActiveEditor(), nullptr);
    Manager().SetValueNotifyingHost(P::attack, 123.0f);
    Manager().SetValueNotifyingHost(P::speakerOn, 0.0f);
    PumpMessages(); // reaches no editor

    OpenEditor();
    juce::MidiBuffer midi;
    RenderBlock(midi);
    PumpMessages();
    EXPECT_EQ(Value(P::speakerOn), 0.0f);
    EXPECT_FALSE(Editor().GetSpeakerSwitch().getToggleState());
    EXPECT_DOUBLE_EQ(SliderFor(P::attack).getValue(), 125.0);
}
} // namespace

} // namespace brumalux
