#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>

namespace brumalux
{

namespace
{
constexpr double rate = 44100.0;
constexpr int settled = 22050; // half a second: attack, decay and percussion are over

// The frequency of a held note through the measurable chain, with one drawbar pulled out.
double PlayedFrequency(int note, int drawbar, int pitchWheel = 8192)
{
    auto organ = MakeOrgan(rate, 512);
    MakeMeasurable(organ->Parameters(), drawbar);
    const auto signal =
        OrganDriver(*organ).Render(settled + 44100, {{0, PitchWheel(pitchWheel)}, {0, NoteOn(note)}});
    return Frequency(signal.left, rate, settled);
}

TEST(Tone, TheLowestDrawbarSoundsAnOctaveBelowTheKey)
{
    EXPECT_NEAR(PlayedFrequency(69, 0), 110.0, 0.02);
    EXPECT_NEAR(PlayedFrequency(81, 0), 220.0, 0.02);
    EXPECT_NEAR(PlayedFrequency(69, 2), 220.0, 0.02); // drawbar 2 is the played note
    EXPECT_NEAR(PlayedFrequency(69, 3), 440.0, 0.05); // drawbar 3 its second harmonic
}

TEST(Tone, HighOctavesFoldTheHighestDrawbarBack)
{
    // Drawbar 8 is 16 times the lowest drawbar in the middle octaves; the top octaves fold it back by one,
    // two, three and four octaves.
    EXPECT_NEAR(PlayedFrequency(60, 8), 16.0 * NoteHz(48), 0.2);
    EXPECT_NEAR(PlayedFrequency(95, 8), 8.0 * NoteHz(83), 0.2);
    EXPECT_NEAR(PlayedFrequency(107, 8), 4.0 * NoteHz(95), 0.2);
    EXPECT_NEAR(PlayedFrequency(108, 8), 2.0 * NoteHz(96), 0.2);
    EXPECT_NEAR(PlayedFrequency(120, 8), 1.0 * NoteHz(108), 0.2);
}

TEST(Tone, ThePitchWheelBendsOneSemitoneLinearlyInHertz)
{
    const double up = 110.0 + (NoteHz(58) - 110.0) * 8191.0 / 8192.0;
    EXPECT_NEAR(PlayedFrequency(69, 0, 16383), up, 0.02);
    EXPECT_NEAR(PlayedFrequency(69, 0, 0), NoteHz(56), 0.02);
    EXPECT_NEAR(PlayedFrequency(69, 0, 8192 + 4096), 110.0 + (NoteHz(58) - 110.0) * 0.5, 0.02);
    // Within a hundredth of the range the wheel does nothing.
    EXPECT_NEAR(PlayedFrequency(69, 0, 8192 + 81), 110.0, 0.005);
    EXPECT_GT(PlayedFrequency(69, 0, 8192 + 83), 110.05);
}

TEST(Tone, AHeldNoteKeepsItsPitchWhenTheSampleRateChanges)
{
    auto organ = MakeOrgan(rate, 512);
    MakeMeasurable(organ->Parameters());
    OrganDriver(*organ).Render(settled, {{0, NoteOn(69)}});
    organ->PrepareToPlay(48000.0, 512);
    const auto signal = OrganDriver(*organ).Render(48000);
    EXPECT_NEAR(Frequency(signal.left, 48000.0, 4800), 110.0, 0.02);
}

// Amplitude of harmonic n of note 69's lowest drawbar (110 Hz) relative to the fundamental.
double HarmonicShare(float oscillator, int harmonic)
{
    auto organ = MakeOrgan(rate, 512);
    MakeMeasurable(organ->Parameters());
    organ->Parameters().oscillator = oscillator;
    const auto signal = OrganDriver(*organ).Render(settled + 44100, {{0, NoteOn(69)}}).left;

    const int end = static_cast<int>(signal.size());
    return Magnitude(signal, 110.0 * harmonic, rate, settled, end) /
           Magnitude(signal, 110.0, rate, settled, end);
}

TEST(Tone, TheOscillatorParameterPicksTheWaveform)
{
    EXPECT_LT(HarmonicShare(0.0f, 2), 0.01); // Sine
    EXPECT_LT(HarmonicShare(0.0f, 3), 0.01);
    EXPECT_GT(HarmonicShare(5.0f, 2), 0.15); // SawTooth: every harmonic
    EXPECT_LT(HarmonicShare(6.0f, 2), 0.01); // Square: odd harmonics only
    EXPECT_GT(HarmonicShare(6.0f, 3), 0.1);
    // The integer part decides: 3.999 is still Triangle, 4 is Triangle2.
    EXPECT_DOUBLE_EQ(HarmonicShare(3.999f, 3), HarmonicShare(3.0f, 3));
    EXPECT_NE(HarmonicShare(4.0f, 3), HarmonicShare(3.999f, 3));
}

// The left channel of one note with only its percussion sounding.
std::vector<float> PercussionOnly(int note, int velocity)
{
    auto organ = MakeOrgan(rate, 512);
    auto& parameters = organ->Parameters();
    MakeMeasurable(parameters);
    parameters.drawbars[0] = 0.0f;
    parameters.percussionLevel = 0.5f;
    return OrganDriver(*organ).Render(settled, {{0, NoteOn(note, velocity)}}).left;
}

TEST(Tone, PercussionDecaysWithin355msAndFollowsVelocity)
{
    const auto loud = PercussionOnly(72, 127);
    EXPECT_GT(Rms(loud, 441, 4410), 0.005);
    EXPECT_LT(Rms(loud, 16000, settled), 1e-6); // 5 ms attack and 350 ms decay are over
    // Gain (velocity + 127) / 255; the chain is linear at these levels.
    const auto soft = PercussionOnly(72, 1);
    for (int i = 100; i < 4000; i += 37)
        EXPECT_NEAR(soft[static_cast<size_t>(i)], loud[static_cast<size_t>(i)] * 128.0 / 254.0, 1e-6);
}

TEST(Tone, PercussionFadesTowardTheTopAndTurnsOverAbove102)
{
    for (const float x : PercussionOnly(102, 127))
        ASSERT_EQ(x, 0.0f);
    // Note 108 plays note 72's percussion pitch at 1 - (96 - 60) / 30 = -0.2 of its level.
    const auto top = PercussionOnly(108, 127);
    const auto middle = PercussionOnly(72, 127);
    for (int i = 100; i < 4000; i += 37)
        EXPECT_NEAR(top[static_cast<size_t>(i)], -0.2 * middle[static_cast<size_t>(i)], 1e-6);
}

TEST(Tone, TheClickSoundsAtKeyDownAndKeyUpOnly)
{
    auto organ = MakeOrgan(rate, 512);
    auto& parameters = organ->Parameters();
    MakeMeasurable(parameters);
    parameters.drawbars[0] = 0.0f;
    parameters.clickLevel = 1.0f;
    const int off = 11025;
    const auto signal = OrganDriver(*organ).Render(settled, {{0, NoteOn(60)}, {off, NoteOff(60)}}).left;
    const double keyDown = Rms(signal, 0, 66);       // 0.5 ms attack, 1 ms decay
    const double keyUp = Rms(signal, off, off + 44); // from 0.5 down to 0 over 1 ms
    EXPECT_GT(keyDown, 1e-3);
    EXPECT_GT(keyUp, 1e-4);
    EXPECT_LT(Rms(signal, 2000, off), 1e-3 * keyDown);
    EXPECT_LT(Rms(signal, off + 2000, settled), 1e-3 * keyUp);

    parameters.clickLevel = 0.0f;
    const auto silent = OrganDriver(*organ).Render(4096, {{0, NoteOn(62)}, {2000, NoteOff(62)}}).left;
    EXPECT_LT(Rms(silent, 0, 4096), 1e-3 * keyDown);
}
} // namespace

} // namespace brumalux
