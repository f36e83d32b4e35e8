#include "EditorTestSupport.h"
#include "tests/support/Watchdog.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <atomic>
#include <chrono>
#include <cmath>
#include <cstdlib>
#include <random>
#include <thread>

namespace brumalux
{

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 256;
constexpr float whiteKeyWidth = 420.0f / 36.0f;

class KeyboardIntegrationTest : public ::testing::Test, protected OrganWithEditor
{
protected:
    KeyboardIntegrationTest()
    {
        OpenEditor();
        filter.PrepareToPlay(sampleRate, blockSize);
        PumpMessages();
    }

    VirtualPiano& Keyboard() { return dynamic_cast<VirtualPiano&>(Editor().GetKeyboard()); }

    void RenderNotes(std::initializer_list<int> notes, bool on)
    {
        juce::MidiBuffer midi;
        for (const int note : notes)
            midi.addEvent(on ? juce::MidiMessage::noteOn(1, note, juce::uint8(90))
                             : juce::MidiMessage::noteOff(1, note),
                          10);
        RenderBlock(midi, blockSize);
    }

    std::vector<int> KeysDown()
    {
        std::vector<int> down;
        for (int note = 0; note < 128; ++note)
            if (Keyboard().IsKeyDown(note))
                down.push_back(note);
        return down;
    }
};

// Renders one block on a thread of its own: every thread's noise starts from the same
// point, so two organs rendered this way are comparable sample for sample.
juce::AudioSampleBuffer RenderOnFreshThread(AudioFilterBase& filter, juce::MidiBuffer midi)
{
    juce::AudioSampleBuffer output(2, blockSize);
    std::thread(
        [&]
        {
            juce::AudioSampleBuffer input(2, blockSize);
            input.clear();
            const juce::ScopedLock lock(filter.GetCallbackLock());
            filter.ProcessBlock(input, output, false, midi);
        })
        .join();
    return output;
}

float LargestDifference(const juce::AudioSampleBuffer& a, const juce::AudioSampleBuffer& b)
{
    float largest = 0.0f;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < blockSize; ++i)
            largest = std::max(largest, std::abs(a.getSample(channel, i) - b.getSample(channel, i)));
    return largest;
}

TEST_F(KeyboardIntegrationTest, AMouseNoteSoundsInTheNextBlockAtSampleZeroWithVelocity101)
{
    // Middle C (note 60) is white key 14; press it in the lower row.
    Keyboard().mouseDown(MouseAt(Keyboard(), 14.5f * whiteKeyWidth, 60.0f));
    PumpMessages();
    const auto played = RenderOnFreshThread(filter, {});
    EXPECT_EQ(KeysDown(), std::vector<int>{60});

    // The same note from the host, on an organ set up alike. Two organs agree to within
    // rounding (about 3e-8 here); a velocity of 100 or a start at sample 1 differs by far more.
    auto fromHost = [&](juce::uint8 velocity, int samplePosition)
    {
        Brumalux reference;
        for (int index = 0; index < ParameterIndex::count; ++index)
        {
            if (index == ParameterIndex::clipThresholdScale) // the engine's own, rewritten every block
                continue;
            EXPECT_EQ(reference.GetParameterManager().GetValue(index), Value(index)) << index;
        }
        reference.PrepareToPlay(sampleRate, blockSize);
        juce::MidiBuffer midi;
        midi.addEvent(juce::MidiMessage::noteOn(1, 60, velocity), samplePosition);
        return RenderOnFreshThread(reference, midi);
    };
    EXPECT_GT(played.getMagnitude(0, blockSize), 1.0e-2f);
    EXPECT_LT(LargestDifference(played, fromHost(101, 0)), 1.0e-6f);
    EXPECT_GT(LargestDifference(played, fromHost(100, 0)), 1.0e-4f);
    EXPECT_GT(LargestDifference(played, fromHost(101, 1)), 1.0e-4f);

    Keyboard().mouseUp(MouseAt(Keyboard(), 14.5f * whiteKeyWidth, 60.0f));
    PumpMessages();
    RenderOnFreshThread(filter, {});
    EXPECT_TRUE(KeysDown().empty());
}

TEST_F(KeyboardIntegrationTest, HostNotesLightTheirKeysWithinTheKeyboardOnly)
{
    const auto before = Keyboard().createComponentSnapshot(Keyboard().getLocalBounds());
    RenderNotes({0, 35, 97, 127}, true);
    const auto after = Keyboard().createComponentSnapshot(Keyboard().getLocalBounds());
    EXPECT_TRUE(KeysDown().empty());
    for (int y = 0; y < after.getHeight(); ++y)
        for (int x = 0; x < after.getWidth(); ++x)
            ASSERT_EQ(RgbAt(after, x, y), RgbAt(before, x, y)) << x << ", " << y;

    RenderNotes({36, 61, 96}, true);
    EXPECT_EQ(KeysDown(), (std::vector<int>{36, 61, 96}));
    EXPECT_EQ(RgbAt(Keyboard().createComponentSnapshot(Keyboard().getLocalBounds()), 5, 55), "DCDCC8");

    RenderNotes({61}, false);
    EXPECT_EQ(KeysDown(), (std::vector<int>{36, 96}));
}

TEST_F(KeyboardIntegrationTest, AllNotesOffShowsEveryKeyUp)
{
    RenderNotes({36, 48, 60, 61, 72, 96}, true);
    ASSERT_EQ(KeysDown().size(), 6u);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::allNotesOff(1), 3);
    RenderBlock(midi, blockSize);
    EXPECT_TRUE(KeysDown().empty());
}

TEST_F(KeyboardIntegrationTest, PlayingWhileTheAudioThreadRendersNeverDeadlocks)
{
    constexpr int cycles = 3000;
    const Watchdog watchdog(std::chrono::seconds(240), "the message and audio threads");
    std::atomic<bool> stop{false};
    std::atomic<int> blocks{0};
    std::thread audio(
        [&]
        {
            std::minstd_rand random(7);
            juce::AudioSampleBuffer input(2, blockSize), output(2, blockSize);
            input.clear();
            while (!stop.load())
            {
                juce::MidiBuffer midi;
                const int note = 30 + static_cast<int>(random() % 72);
                midi.addEvent(juce::MidiMessage::noteOn(1, note, juce::uint8(80)),
                              static_cast<int>(random() % 200));
                midi.addEvent(juce::MidiMessage::noteOff(1, note), 220);
                if (random() % 50 == 0)
                    midi.addEvent(juce::MidiMessage::allNotesOff(1), 230);
                const juce::ScopedLock lock(filter.GetCallbackLock());
                filter.ProcessBlock(input, output, false, midi);
                blocks.fetch_add(1);
            }
        });

    std::minstd_rand random(11);
    auto& keyboard = Keyboard();
    for (int cycle = 0; cycle < cycles; ++cycle)
    {
        const auto x = static_cast<float>(random() % 420);
        const auto y = static_cast<float>(random() % 70);
        keyboard.mouseDown(MouseAt(keyboard, x, y));
        keyboard.mouseDrag(MouseAt(keyboard, x + 12.0f, y));
        keyboard.mouseUp(MouseAt(keyboard, x + 12.0f, y));
        if (cycle % 16 == 0)
            keyboard.createComponentSnapshot(keyboard.getLocalBounds());
        PumpMessages();
    }
    stop.store(true);
    audio.join();
    EXPECT_GT(blocks.load(), 0);
}
} // namespace

} // namespace brumalux
