#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace brumalux
{

namespace
{
constexpr double rate = 44100.0;
const std::vector<TimedMidi> chord = {{0, NoteOn(48)}, {0, NoteOn(60)}, {0, NoteOn(64)}, {0, NoteOn(67)}};

TEST(OutputEffects, WithTheSpeakerOffBothChannelsCarryTheSameSignal)
{
    auto organ = MakeOrgan(rate, 512);
    organ->Parameters().speakerOn = 0.0f;
    const auto signal = OrganDriver(*organ).Render(8192, chord);
    EXPECT_EQ(signal.left, signal.right);
    EXPECT_GT(Rms(signal.left, 4096, 8192), 0.01);
}

TEST(OutputEffects, TheSpeakerSpreadsTheSoundAndStaysBelowItsSaturationPeak)
{
    auto organ = MakeOrgan(rate, 512);
    organ->Parameters().distortion = 10.0f;
    const auto signal = OrganDriver(*organ).Render(44100, chord);
    EXPECT_NE(signal.left, signal.right);
    for (size_t i = 0; i < signal.left.size(); ++i)
    {
        ASSERT_LE(std::fabs(signal.left[i]), 0.9451f);
        ASSERT_LE(std::fabs(signal.right[i]), 0.9451f);
    }
}

// Two identical organs, one overwriting an output that holds 0.25, one adding to it.
void ExpectAccumulateAddsToWhatReplaceWrites(float speakerOn)
{
    const auto play = [speakerOn](bool accumulate)
    {
        auto organ = MakeOrgan(rate, 512);
        organ->Parameters().speakerOn = speakerOn;
        juce::AudioSampleBuffer input(2, 512), output(2, 512);
        std::vector<float> left;
        for (int block = 0; block < 8; ++block)
        {
            juce::MidiBuffer midi;
            if (block == 0)
                midi.addEvent(NoteOn(60), 3);
            for (int channel = 0; channel < 2; ++channel)
                juce::FloatVectorOperations::fill(output.getWritePointer(channel), 0.25f, 512);
            organ->ProcessBlock(input, output, accumulate, midi);
            left.insert(left.end(), output.getReadPointer(1), output.getReadPointer(1) + 512);
        }
        return left;
    };
    const auto replaced = play(false);
    const auto accumulated = play(true);
    for (size_t i = 0; i < replaced.size(); ++i)
        ASSERT_EQ(accumulated[i], 0.25f + replaced[i]) << "at sample " << i;
    EXPECT_GT(Rms(replaced, 2048, 4096), 0.01);
}

TEST(OutputEffects, AccumulateAddsWhereReplaceOverwrites)
{
    ExpectAccumulateAddsToWhatReplaceWrites(0.0f);
    ExpectAccumulateAddsToWhatReplaceWrites(1.0f);
}

TEST(OutputEffects, UnusedIsSetFromDistortionAtEveryBlockAndReadsSoBeforeIt)
{
    constexpr int unused = ParameterIndex::clipThresholdScale;
    auto organ = MakeOrgan(rate, 512);
    OrganDriver driver(*organ);
    const float program0 = 0.97f - 0.05f * 1.1f; // program 0's distortion
    organ->SetNormalisedParameter(unused, 0.3f);
    EXPECT_EQ(organ->Parameters().clipThresholdScale, 0.95f) << "a host's write is ignored";
    EXPECT_FLOAT_EQ(organ->GetNormalisedParameter(unused), program0) << "what the next block sets";
    driver.Render(512);
    EXPECT_FLOAT_EQ(organ->Parameters().clipThresholdScale, program0);
    EXPECT_EQ(organ->GetNormalisedParameter(unused), organ->Parameters().clipThresholdScale);
    EXPECT_EQ(organ->GetParameterText(unused), organ->GetParameterManager().GetParameterText(unused));

    organ->Parameters().distortion = 10.0f;
    EXPECT_FLOAT_EQ(organ->GetNormalisedParameter(unused), 0.47f);
    driver.Render(512);
    EXPECT_FLOAT_EQ(organ->Parameters().clipThresholdScale, 0.47f);
}

TEST(OutputEffects, RotorsFollowTheModulationWheelWithATimeConstantOf50Blocks)
{
    auto organ = MakeOrgan(rate, 256);
    OrganDriver driver(*organ, 256);
    const auto& speaker = organ->Effects().Speaker();
    EXPECT_EQ(speaker.Rotor1Speed(), 0.0f); // standing still after PrepareToPlay

    const double reached = 1.0 - std::pow(0.98, 50); // 63.6 %
    driver.Render(50 * 256);
    EXPECT_NEAR(speaker.Rotor1Speed(), 1.0 * reached, 1e-4); // slow speeds of program 0: 1 and 0.8
    EXPECT_NEAR(speaker.Rotor2Speed(), 0.8 * reached, 1e-4);

    const double start1 = speaker.Rotor1Speed();
    const double start2 = speaker.Rotor2Speed();
    driver.Render(50 * 256, {{0, Controller(1, 127)}}); // fast speeds: 4 and 3.8
    EXPECT_NEAR(speaker.Rotor1Speed(), start1 + (4.0 - start1) * reached, 1e-4);
    EXPECT_NEAR(speaker.Rotor2Speed(), start2 + (3.8 - start2) * reached, 1e-4);

    organ->PrepareToPlay(rate, 256);
    EXPECT_EQ(speaker.Rotor1Speed(), 0.0f);

    // One block from standstill with the wheel at 100 moves rotor 1 by 2 % of 1 + 3 * 100 / 127 = 427 / 127
    // and rotor 2 by 2 % of 0.8 + 3 * 100 / 127, both to the float nearest the exact target.
    auto& parameters = organ->Parameters();
    parameters.slowSpeed1 = 1.0f;
    parameters.fastSpeed1 = 4.0f;
    parameters.slowSpeed2 = 0.8f;
    parameters.fastSpeed2 = 3.8f;
    driver.Render(256, {{0, Controller(1, 100)}});
    EXPECT_EQ(speaker.Rotor1Speed(), 0.02f * static_cast<float>(427.0 / 127.0));
    EXPECT_EQ(speaker.Rotor2Speed(), 0.02f * static_cast<float>(0.8f + 300.0 / 127.0));
}

TEST(OutputEffects, ParameterChangesReachTheSound)
{
    auto organ = MakeOrgan(rate, 512);
    auto& parameters = organ->Parameters();
    MakeMeasurable(parameters);
    OrganDriver driver(*organ);
    const auto low = driver.Render(22050, {{0, NoteOn(69)}});
    EXPECT_NEAR(Frequency(low.left, rate, 11025), 110.0, 0.05);

    // A drawbar moved while the note sounds: from the next block on, drawbar 2 (220 Hz) plays instead.
    parameters.drawbars[0] = 0.0f;
    parameters.drawbars[2] = 1.0f;
    const auto high = driver.Render(22050);
    EXPECT_NEAR(Frequency(high.left, rate, 1024), 220.0, 0.05);

    // "Tone" closes the low-pass over the 2093 Hz of drawbar 8 at note 72.
    parameters.drawbars[2] = 0.0f;
    parameters.drawbars[8] = 1.0f;
    const auto bright = driver.Render(22050, {{0, NoteOn(72)}});
    parameters.tone = 300.0f;
    const auto dull = driver.Render(22050);
    EXPECT_LT(Magnitude(dull.left, 2093.0, rate, 4410, 22050),
              0.05 * Magnitude(bright.left, 2093.0, rate, 4410, 22050));
}

// The largest relative difference between the signal's periods, from its rising zero crossings.
double PeriodSpread(const std::vector<float>& signal, int from)
{
    std::vector<double> crossings;
    for (size_t i = static_cast<size_t>(from) + 1; i < signal.size(); ++i)
        if (signal[i - 1] < 0.0f && signal[i] >= 0.0f)
            crossings.push_back(static_cast<double>(i - 1) + signal[i - 1] / (signal[i - 1] - signal[i]));
    double shortest = 1e9, longest = 0.0;
    for (size_t i = 1; i < crossings.size(); ++i)
    {
        shortest = std::min(shortest, crossings[i] - crossings[i - 1]);
        longest = std::max(longest, crossings[i] - crossings[i - 1]);
    }
    return (longest - shortest) / shortest;
}

TEST(OutputEffects, VibratoMovesThePitchBackAndForth)
{
    auto organ = MakeOrgan(rate, 512);
    auto& parameters = organ->Parameters();
    MakeMeasurable(parameters);
    OrganDriver driver(*organ);
    const auto steady = driver.Render(44100, {{0, NoteOn(69)}});
    EXPECT_LT(PeriodSpread(steady.left, 22050), 0.001);
    // A 1 ms sweep at 5 Hz moves the frequency by up to about 1.6 %.
    parameters.vibrato = 1.0f;
    const auto wavering = driver.Render(44100);
    EXPECT_GT(PeriodSpread(wavering.left, 4410), 0.015);
    EXPECT_LT(PeriodSpread(wavering.left, 4410), 0.08);
}
} // namespace

} // namespace brumalux
