// The controller map: its entry in the saved state, and the organ's controllers driving, learning and
// reporting through it.
#include "EngineTestSupport.h"

#include "engine/ControllerMapEntry.h"
#include "framework/FilterNativeCallbacks.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
namespace P = ParameterIndex;
namespace T = ControllerTarget;

ControllerMap CustomMap()
{
    auto map = ControllerMap::Default();
    map.Set(71, {P::drawbar0 + 1, true});
    map.Set(78, {});
    map.Set(20, {P::tone});
    map.Set(66, {T::speakerSpeed, false, SwitchMode::latching});
    map.Set(67, {P::speakerOn, true, SwitchMode::momentary});
    return map;
}

TEST(ControllerMapEntry, RoundTripsAndRefusesWhatItWouldNotWrite)
{
    for (const auto& map : {ControllerMap::Default(), ControllerMap(), CustomMap()})
    {
        const auto entry = ControllerMapEntry::Encode(map);
        EXPECT_EQ(ControllerMapEntry::Decode(entry.getData(), entry.getSize()), map);
    }
    const std::vector<std::vector<uint8_t>> damaged{
        {70, 6, 0},                 // cut short
        {70, 6, 0, 0, 70, 7, 0, 0}, // a controller twice
        {71, 7, 0, 0, 70, 6, 0, 0}, // out of order
        {70, 18, 0, 0},             // "Unused" is no target
        {70, 28, 0, 0},             // beyond the targets
        {70, 6, 2, 0},              // unknown flag
        {70, 27, 0, 3},             // unknown mode
        {70, 6, 0, 1},              // a mode on a drawbar
        {64, 6, 0, 0},              // the sustain pedal keeps its meaning
        {11, 6, 0, 0},              // so does the swell
        {128, 6, 0, 0},             // no such controller
    };
    for (const auto& bytes : damaged)
        EXPECT_FALSE(ControllerMapEntry::Decode(bytes.data(), bytes.size()))
            << "entry starting " << int(bytes[0]) << ", " << int(bytes[1]);
}

// Records what reaches the host, and applies it as a wrapper does.
struct RecordingHost : FilterNativeCallbacks
{
    void SetParameterAndTellHost(AudioFilterBase& filter, int index, float normalisedValue) override
    {
        filter.SetNormalisedParameter(index, normalisedValue);
        reported.emplace_back(index, normalisedValue);
    }
    void BeginParameterGesture(AudioFilterBase&, int index) override { gestures.push_back(index); }
    void EndParameterGesture(AudioFilterBase&, int index) override { gestures.push_back(-index); }

    std::vector<std::pair<int, float>> reported;
    std::vector<int> gestures; // begin: index, end: -index
};

TEST(ControllerMapping, DefaultAndInvertedDrawbarsMoveWithinTheBlock)
{
    auto organ = MakeOrgan();
    OrganDriver driver(*organ);
    organ->Controllers().SetBinding(73, {P::drawbar0 + 3, true});
    // controller, value, on channel, drawbar, its value
    const std::vector<std::tuple<int, int, int, int, float>> cases{
        {70, 127, 1, 0, 1.0f},           {70, 0, 16, 0, 0.0f},  {78, 127, 5, 8, 1.0f},
        {74, 64, 1, 4, 64.0f / 127.0f},  {73, 127, 1, 3, 0.0f}, {73, 0, 9, 3, 1.0f},
        {73, 100, 1, 3, 27.0f / 127.0f},
    };
    for (const auto& [controller, value, channel, drawbar, expected] : cases)
    {
        driver.Render(64, {{0, Controller(controller, value, channel)}});
        EXPECT_FLOAT_EQ(organ->Parameters().drawbars[drawbar], expected) << "controller " << controller;
    }
}

TEST(ControllerMapping, SwitchModesDriveTheSpeaker)
{
    auto organ = MakeOrgan();
    auto& mapping = organ->Controllers();
    struct Case
    {
        ControllerBinding binding;
        std::vector<int> values;
        std::vector<int> states; // after each value: the speed, or the speaker switch as 0 / 127
    };
    const std::vector<Case> cases{
        {{T::speakerSpeed}, {0, 40, 127, 3}, {0, 40, 127, 3}},
        {{T::speakerSpeed, true}, {0, 40, 127}, {127, 87, 0}},
        {{T::speakerSpeed, false, SwitchMode::latching},
         {127, 0, 100, 90, 0, 64, 63},
         {127, 127, 0, 0, 0, 127, 127}},
        {{T::speakerSpeed, true, SwitchMode::latching}, {127, 0, 127, 0}, {0, 127, 127, 0}},
        {{T::speakerSpeed, false, SwitchMode::momentary}, {127, 10, 64, 63}, {127, 0, 127, 0}},
        {{P::speakerOn}, {127, 63, 64, 0}, {127, 0, 127, 0}},
        {{P::speakerOn, false, SwitchMode::latching}, {127, 0, 127, 0}, {0, 0, 127, 127}},
        {{P::speakerOn, true, SwitchMode::momentary}, {0, 127}, {127, 0}},
    };
    for (const auto& [binding, values, states] : cases)
    {
        ASSERT_TRUE(mapping.SetBinding(66, binding));
        organ->Parameters().speakerOn = 1.0f;
        PerformanceControls controls;
        int previous = 0;
        for (size_t i = 0; i < values.size(); ++i)
        {
            mapping.Handle(66, values[i], previous, controls);
            previous = values[i];
            const int state = binding.target == T::speakerSpeed
                                  ? controls.speakerSpeed
                                  : (organ->Parameters().speakerOn != 0.0f ? 127 : 0);
            EXPECT_EQ(state, states[i])
                << "target " << binding.target << ", mode " << int(binding.mode) << ", value " << i;
        }
    }
}

TEST(ControllerMapping, LearnsTheNextBindableControllerAndReportsItsValuesToTheHost)
{
    auto organ = MakeOrgan();
    RecordingHost host;
    organ->SetCallbacks(&host);
    auto& mapping = organ->Controllers();
    PerformanceControls controls;

    mapping.StartLearning(P::tone);
    mapping.Handle(64, 127, 0, controls); // the sustain pedal is never learned
    EXPECT_EQ(mapping.LearningTarget(), P::tone);
    mapping.Handle(72, 127, 0, controls); // learned: leaves DrawBar2 for Tone, and moves it at once
    EXPECT_EQ(mapping.LearningTarget(), T::none);
    EXPECT_EQ(mapping.Map().Binding(72), ControllerBinding{P::tone});
    EXPECT_FLOAT_EQ(organ->Parameters().tone, 12000.0f);
    mapping.Handle(72, 0, 127, controls);
    mapping.Handle(70, 127, 0, controls);
    EXPECT_FLOAT_EQ(organ->Parameters().tone, 100.0f);
    EXPECT_TRUE(host.reported.empty()) << "nothing reaches the host from the audio thread";

    mapping.DeliverPending(); // the last value of each parameter, once, in a gesture
    using Report = std::pair<int, float>;
    EXPECT_EQ(host.reported, (std::vector<Report>{{P::drawbar0, 1.0f}, {P::tone, 0.0f}}));
    EXPECT_EQ(host.gestures, (std::vector<int>{P::drawbar0, P::tone}));
    mapping.Handle(72, 64, 0, controls);
    for (int tick = 0; tick <= ControllerMapping::gestureIdleTicks; ++tick) // one delivers, then still
        mapping.DeliverPending();
    EXPECT_EQ(host.reported.back(), Report(P::tone, 64.0f / 127.0f));
    EXPECT_EQ(host.gestures, (std::vector<int>{P::drawbar0, P::tone, -P::drawbar0, -P::tone}));

    // A program chosen before the report keeps its own value: the host hears that one.
    mapping.Handle(78, 33, 0, controls);
    organ->SetCurrentProgram(9);
    const float programValue = organ->Parameters().drawbars[8];
    mapping.DeliverPending();
    EXPECT_FLOAT_EQ(organ->Parameters().drawbars[8], programValue);
    EXPECT_EQ(host.reported.back(), Report(P::drawbar8, organ->GetNormalisedParameter(P::drawbar8)));

    mapping.StartLearning(P::vibrato);
    mapping.CancelLearning();
    mapping.Handle(21, 127, 0, controls);
    EXPECT_FALSE(mapping.Map().Binding(21).IsBound());
    organ->SetCallbacks(nullptr);
}
} // namespace

} // namespace brumalux
