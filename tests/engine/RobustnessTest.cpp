#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <random>

namespace brumalux
{

namespace
{
const std::vector<TimedMidi> chordAndRelease = {{0, NoteOn(36)},  {0, NoteOn(60)},     {0, NoteOn(96)},
                                                {0, NoteOn(127)}, {9000, NoteOff(60)}, {9000, NoteOff(127)}};

// Every parameter, set through the host's unclamped normalised value far outside 0..1, for a while; then
// back to its program value. The organ must neither break its signal nor stop playing.
TEST(Robustness, ParameterValuesFarOutsideTheirRangeNeverBreakTheSignal)
{
    for (const double sampleRate : {22050.0, 44100.0})
        for (int index = 0; index < ParameterIndex::count; ++index)
            for (const float normalised : {-1e30f, -1.0f, 1.5f, 30.0f, 1e30f})
            {
                auto organ = MakeOrgan(sampleRate, 512);
                const float programValue = organ->GetNormalisedParameter(index);
                OrganDriver driver(*organ);
                organ->SetNormalisedParameter(index, normalised);
                const auto during = driver.Render(12000, chordAndRelease);
                organ->SetNormalisedParameter(index, programValue);
                const auto after = driver.Render(8192, {{0, NoteOn(64)}});
                ASSERT_TRUE(AllFinite(during)) << "parameter " << index << " at " << normalised;
                ASSERT_TRUE(AllFinite(after)) << "parameter " << index << " at " << normalised;
                EXPECT_GT(Rms(after.left, 4096, 8192), 1e-3) << "parameter " << index << " at " << normalised;
            }
}

std::vector<float> PlayWithOscillator(float oscillator)
{
    auto organ = MakeOrgan(44100.0, 512);
    organ->Parameters().oscillator = oscillator;
    return OrganDriver(*organ).Render(8192, {{0, NoteOn(60)}}).left;
}

TEST(Robustness, WaveformsBeyondTheEditorsSevenPlayTheNearestOne)
{
    const auto square = PlayWithOscillator(6.0f);
    EXPECT_NE(square, PlayWithOscillator(5.0f)); // the editor's SawTooth and Square are distinct waveforms
    EXPECT_EQ(PlayWithOscillator(7.0f), square);
    EXPECT_EQ(PlayWithOscillator(1e30f), square);
    EXPECT_EQ(PlayWithOscillator(-3.0f), PlayWithOscillator(0.0f));
}

TEST(Robustness, DistortionBeyondItsRangeStillDrives)
{
    auto organ = MakeOrgan(44100.0, 512);
    organ->SetNormalisedParameter(ParameterIndex::distortion, 1.5f); // 14.5, as a host may send
    const auto signal = OrganDriver(*organ).Render(4096, {{0, NoteOn(60)}});
    EXPECT_TRUE(AllFinite(signal));
    EXPECT_FLOAT_EQ(organ->Parameters().clipThresholdScale, 0.97f - 0.05f * 14.5f);
}

TEST(Robustness, EverySampleRateAHostMayUseGivesAFiniteSound)
{
    // The default program's "Tone" of 12 kHz and the treble rotor's sweep to 12 kHz lie above half of
    // the lower rates.
    for (const double sampleRate : {8000.0, 11025.0, 22050.0, 32000.0, 44100.0, 48000.0, 96000.0, 192000.0})
    {
        auto organ = MakeOrgan(sampleRate, 512);
        const auto signal = OrganDriver(*organ).Render(12000, chordAndRelease);
        ASSERT_TRUE(AllFinite(signal)) << sampleRate;
        EXPECT_GT(Rms(signal.left, 4000, 9000), 0.01) << sampleRate;
    }
}

TEST(Robustness, UnusableSampleRatesLeaveTheOrganSilent)
{
    for (const double sampleRate : {0.0, -44100.0, 4000.0, std::nan(""), HUGE_VAL, 1e9})
    {
        auto organ = MakeOrgan(sampleRate, 512);
        const auto silent = OrganDriver(*organ).Render(2048, chordAndRelease);
        EXPECT_EQ(FirstNonZero(silent.left), -1) << sampleRate;
        organ->PrepareToPlay(44100.0, 512);
        const auto playing = OrganDriver(*organ).Render(2048, chordAndRelease);
        EXPECT_GT(Rms(playing.left, 1024, 2048), 0.01) << sampleRate;
    }
}

TEST(Robustness, BlocksLongerThanPreparedRenderAsConsecutivePreparedBlocks)
{
    const std::vector<TimedMidi> events = {{0, NoteOn(60)},           {300, NoteOn(64)},
                                           {999, NoteOn(67)},         {1500, NoteOff(60)},
                                           {2100, PitchWheel(10000)}, {2999, NoteOff(64)}};
    const auto play = [&events](std::vector<int> blockLengths)
    {
        auto organ = MakeOrgan(44100.0, 256);
        return OrganDriver(*organ).Render(3000, events, blockLengths);
    };
    const auto longBlocks = play({1000});
    const auto preparedBlocks = play({256, 256, 256, 232, 256, 256, 256, 232, 256, 256, 256, 232});
    EXPECT_EQ(longBlocks.left, preparedBlocks.left);
    EXPECT_EQ(longBlocks.right, preparedBlocks.right);
    EXPECT_GT(Rms(longBlocks.left, 700, 1000), 0.01);
}

TEST(Robustness, ABlockBeforePrepareOrAfterReleaseIsSilentAndKeepsItsMidi)
{
    Brumalux organ;
    juce::AudioSampleBuffer input(2, 256), output(2, 256);
    juce::MidiBuffer midi;
    midi.addEvent(NoteOn(60), 0);
    output.clear();
    organ.ProcessBlock(input, output, false, midi);
    EXPECT_EQ(output.getMagnitude(0, 256), 0.0f);
    EXPECT_TRUE(midi.isEmpty());
    EXPECT_EQ(organ.Voices().Size(), 0); // nothing to play it with yet

    organ.PrepareToPlay(44100.0, 256);
    OrganDriver driver(organ, 256);
    driver.Render(20000, {{0, NoteOn(60)}});
    organ.ReleaseResources();
    for (int channel = 0; channel < 2; ++channel)
        juce::FloatVectorOperations::fill(output.getWritePointer(channel), 0.5f, 256);
    midi.addEvent(NoteOff(60), 10);
    organ.ProcessBlock(input, output, true, midi);
    EXPECT_EQ(output.getSample(0, 100), 0.5f); // accumulating silence
    ASSERT_EQ(organ.Voices().Size(), 1);
    EXPECT_TRUE((*organ.Voices().begin())->IsReleased()); // the note-off was not lost

    organ.PrepareToPlay(44100.0, 256);
    driver.Render(4096);
    EXPECT_EQ(organ.Voices().Size(), 0);
}

TEST(Robustness, AFloodOfNotesIsBoundedByTheVoicePool)
{
    auto organ = MakeOrgan(44100.0, 512);
    std::mt19937 random(7);
    for (const bool pedal : {false, true})
    {
        std::vector<TimedMidi> flood = {{0, Controller(64, pedal ? 127 : 0)}};
        for (int i = 0; i < 5000; ++i)
            flood.push_back({static_cast<int>(random() % 512),
                             NoteOn(static_cast<int>(random() % 128), 1 + static_cast<int>(random() % 127))});
        for (int i = 0; i < 500; ++i)
            flood.push_back({static_cast<int>(random() % 512), NoteOff(static_cast<int>(random() % 128))});
        const auto signal = OrganDriver(*organ).Render(2048, flood);
        EXPECT_LE(organ->Voices().Size(), VoicePool::capacity);
        EXPECT_GT(organ->Voices().Size(), 100);
        EXPECT_TRUE(AllFinite(signal));
    }
}

TEST(Robustness, StrayEventsAndOutputsAreHandled)
{
    auto organ = MakeOrgan(44100.0, 512);
    juce::AudioSampleBuffer input(2, 512);
    juce::MidiBuffer midi;
    midi.addEvent(NoteOn(60), -50);   // before the block: at its first sample
    midi.addEvent(NoteOn(62), 10000); // after its end: at its last sample
    const juce::uint8 shortNoteOn[] = {0x90, 64};
    midi.addEvent(shortNoteOn, 2, 20);
    const juce::uint8 highDataBytes[] = {0xB0, 0xC0, 0xFF}; // controller number 192
    midi.addEvent(highDataBytes, 3, 30);
    const juce::uint8 sysEx[] = {0xF0, 0x7E, 0x01, 0xF7};
    midi.addEvent(sysEx, 4, 40);
    juce::AudioSampleBuffer mono(1, 512), none(0, 512);
    organ->ProcessBlock(input, mono, false, midi);
    organ->ProcessBlock(input, none, false, midi);
    ASSERT_EQ(organ->Voices().Size(), 2);
    EXPECT_EQ((*organ->Voices().begin())->NoteNumber(), 60);
    EXPECT_GT(mono.getMagnitude(0, 0, 512), 0.0f);
    EXPECT_TRUE(std::isfinite(mono.getMagnitude(0, 0, 512)));
}

TEST(Robustness, ANoteHeldForDaysKeepsItsLevel)
{
    WhiteNoise noise;
    OrganShapes shapes(noise);
    shapes.SetSampleRate(44100);
    TrackedEnvelope percussion;
    percussion.Configure(220, 15435, 0.0f, 5);
    VoiceStartSettings start{44100.0f, 5.0f, 50.0f, 0.75f, 50.0f, &shapes.PercussionShape()};
    Voice voice;
    voice.Start(juce::MidiMessage(0x90, 69, 127), 0, start);
    voice.time = (1 << 30) - 100; // about 6.8 hours
    std::vector<float> mix(512, 0.0f);
    VoiceBlockSettings block;
    block.mixBuffer = mix.data();
    block.numSamples = 512;
    block.sampleRate = 44100.0f;
    block.shapes = &shapes;
    block.noise = &noise;
    block.basicShape = shapes.BasicShape(3);
    block.drawbars[0] = 1.0f;
    block.percussionEnvelope = &percussion;
    for (int round = 0; round < 3; ++round)
    {
        std::fill(mix.begin(), mix.end(), 0.0f);
        voice.Render(block);
    }
    EXPECT_GT(voice.time, 0);
    EXPECT_LT(voice.time, 1 << 30);
    // Still at the sustain: the triangle's peak 0.95 times 1.25 (drawbar 0's weight) / 12 times 0.75.
    const float peak = *std::max_element(mix.begin(), mix.end());
    EXPECT_NEAR(peak, 0.95f * 1.25f / 12.0f * 0.75f, 0.002f);
}
} // namespace

} // namespace brumalux
