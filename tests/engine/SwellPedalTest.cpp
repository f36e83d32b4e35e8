#include "engine/SwellPedal.h"
#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <vector>

namespace brumalux
{

namespace
{
TEST(SwellPedal, OpenIsUnityClosedIsQuietButAudible)
{
    EXPECT_EQ(SwellPedal::GainAt(127), 1.0f);
    EXPECT_LE(20.0 * std::log10(SwellPedal::GainAt(0)), -20.0);
    EXPECT_GT(SwellPedal::GainAt(0), 0.01f);
    for (int position = 1; position <= 127; ++position)
        EXPECT_GT(SwellPedal::GainAt(position), SwellPedal::GainAt(position - 1)) << position;

    // Open, and before any position arrives, the mix is not touched at all.
    SwellPedal swell;
    swell.Prepare(48000.0f);
    std::vector<float> mix{0.1f, -0.3f, 1.0e-30f, 0.7f};
    const auto before = mix;
    swell.Process(mix.data(), static_cast<int>(mix.size()));
    swell.SetPosition(127);
    swell.Process(mix.data(), static_cast<int>(mix.size()));
    EXPECT_EQ(mix, before);
}

// A pedal swept in steps of one, a step every few samples, as hardware sends it: the gain (a constant 1
// through the pedal) moves no faster per sample than the pedal itself moves per sample, where an unsmoothed
// gain would jump a whole step at once.
TEST(SwellPedal, ASweepInStepsOfOneMovesSmoothlyAndArrivesExactly)
{
    constexpr float rate = 48000.0f;
    const int rampLength = static_cast<int>(rate * SwellPedal::rampSeconds);
    for (const int stepInterval : {1, 32, 500})
    {
        SwellPedal swell;
        swell.Prepare(rate);
        std::vector<float> gains;
        float largestStep = 0.0f;
        for (int sweep = 0; sweep < 2; ++sweep)
            for (int i = 0; i <= 127; ++i)
            {
                const int position = sweep == 0 ? 127 - i : i;
                if (position < 127)
                    largestStep = std::max(largestStep,
                                           SwellPedal::GainAt(position + 1) - SwellPedal::GainAt(position));
                swell.SetPosition(position);
                std::vector<float> ones(static_cast<size_t>(stepInterval), 1.0f);
                swell.Process(ones.data(), stepInterval);
                gains.insert(gains.end(), ones.begin(), ones.end());
            }
        std::vector<float> tail(static_cast<size_t>(rampLength), 1.0f);
        swell.Process(tail.data(), rampLength);

        float fastest = 0.0f;
        for (size_t i = 1; i < gains.size(); ++i)
            fastest = std::max(fastest, std::fabs(gains[i] - gains[i - 1]));
        EXPECT_LE(fastest, largestStep / static_cast<float>(std::min(stepInterval, rampLength)) * 1.001f)
            << "a step every " << stepInterval << " samples";
        EXPECT_EQ(tail.back(), 1.0f) << "back at unity";
        EXPECT_EQ(swell.CurrentGain(), 1.0f);
    }
}
// Reset all controllers opens the pedal at once, with the wheel, the pressure, the bend and the pedal: the
// organ then plays as one that never saw them.
TEST(SwellPedal, ResetAllControllersOpensItWithTheOtherControls)
{
    const std::vector<TimedMidi> chord{{600, NoteOn(60)}, {600, NoteOn(64)}, {600, NoteOn(67)}};
    auto played = chord;
    for (const auto& moved : {Controller(11, 0), Controller(1, 127), Controller(64, 127), PitchWheel(0),
                              juce::MidiMessage::channelPressureChange(1, 90), Controller(121, 0)})
        played.insert(played.begin() + static_cast<std::ptrdiff_t>(played.size() - chord.size()),
                      {100, moved});
    auto reset = MakeOrgan();
    auto fresh = MakeOrgan();
    const auto afterReset = OrganDriver(*reset).Render(8000, played);
    const auto untouched = OrganDriver(*fresh).Render(8000, chord);
    EXPECT_EQ(afterReset.left, untouched.left);
    EXPECT_EQ(afterReset.right, untouched.right);
}
} // namespace

} // namespace brumalux
