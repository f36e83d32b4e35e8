// Counts what the audio thread allocates while the organ's own editor is open: from the very block that
// connects the editor, no block may allocate, neither to register the keyboard's note target nor to ask
// the keyboard to repaint (posting a message may grow JUCE's message queue).
#include "EditorTestSupport.h"
#include "tests/support/AllocationCount.h"

#include <gtest/gtest.h>

#include <thread>

namespace brumalux
{

namespace
{
TEST(EditorAllocation, BlocksAllocateNothingFromTheFirstOneWithTheEditorOpen)
{
    OrganWithEditor organ;
    organ.filter.PrepareToPlay(44100.0, 256);
    organ.OpenEditor();
    auto& keyboard = organ.Editor().GetKeyboard();

    long allocated = 0;
    for (int block = 0; block < 200; ++block)
    {
        juce::MidiBuffer midi;
        midi.ensureSize(1024);
        midi.addEvent(juce::MidiMessage::noteOn(1, 36 + block % 61, juce::uint8(100)), block % 200);
        midi.addEvent(juce::MidiMessage::noteOff(1, 36 + (block + 30) % 61), 220);
        if (block % 50 == 25)
            midi.addEvent(juce::MidiMessage::allNotesOff(1), 230);
        organ.filter.HandleKeyboardMessage(KeyboardNoteMessage(block % 2 == 0 ? 144 : 128, 60, &keyboard));

        // The audio thread as a host has it: a thread of its own, under the callback lock.
        std::thread audio(
            [&]
            {
                juce::AudioSampleBuffer input(2, 256), output(2, 256);
                const juce::ScopedLock lock(organ.filter.GetCallbackLock());
                const ThreadAllocationCount allocations;
                organ.filter.ProcessBlock(input, output, false, midi);
                allocated += allocations.Count();
            });
        audio.join();
        if (block % 8 == 0)
            PumpMessages(); // the message thread at work in between, as in a host
    }
    EXPECT_EQ(allocated, 0);
    EXPECT_TRUE(dynamic_cast<VirtualPiano&>(keyboard).IsKeyDown(36 + 199 % 61)) << "the blocks did mark keys";

    const ThreadAllocationCount probe;
    auto one = std::make_unique<int>(1);
    EXPECT_EQ(probe.Count(), 1) << "the count sees allocations";
}
} // namespace

} // namespace brumalux
