// The organ's blocks allocate nothing, whatever they meet.
#include "EngineTestSupport.h"
#include "FakeEditor.h"
#include "tests/support/AllocationCount.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
TEST(Allocation, SteadyStateBlocksAllocateNothing)
{
    juce::ScopedJuceInitialiser_GUI juce;
    OrganWithFakeEditor organ;
    organ.PrepareToPlay(44100.0, 256);
    std::unique_ptr<FakeEditor> editor(organ.OpenEditor());
    auto& parameters = organ.Parameters();

    juce::AudioSampleBuffer input(2, 256), output(2, 256);
    juce::MidiBuffer midi;
    midi.ensureSize(5000 * 16);
    long allocatedInBlocks = 0;
    for (int block = 0; block < 400; ++block)
    {
        // Everything a block may meet: notes, retriggers, pedal, wheels, swell, pressure, program changes
        // (in the bank and past it), controller resets, all-notes-off, a flood of notes, mapped and
        // learned controllers, moved drawbars, another waveform, the speaker switched, another tuning,
        // notes from the keyboard.
        midi.clear();
        midi.addEvent(NoteOn(36 + block % 48, 100), block % 256);
        midi.addEvent(NoteOn(36 + block % 48, 80), (block * 7) % 256);
        midi.addEvent(NoteOff(36 + (block + 40) % 48), (block * 13) % 256);
        midi.addEvent(Controller(64, block % 30 < 15 ? 127 : 0), 5);
        midi.addEvent(Controller(1, block % 128), 6);
        midi.addEvent(Controller(70 + block % 9, block % 128), 9); // a drawbar by the default map
        midi.addEvent(Controller(20, block % 3 == 0 ? 127 : 0), 10);
        if (block % 50 == 0) // learned on the audio thread, mid-run
            organ.Controllers().StartLearning(block % 100 == 0 ? ControllerTarget::speakerSpeed
                                                               : ParameterIndex::speakerOn);
        midi.addEvent(PitchWheel((block * 97) % 16384), 7);
        midi.addEvent(juce::MidiMessage::channelPressureChange(1, block % 128), 8);
        midi.addEvent(Controller(11, (block * 5) % 128), 9);
        midi.addEvent(juce::MidiMessage::programChange(1 + block % 16, (block * 7) % 16), 10);
        if (block % 40 == 39)
            midi.addEvent(Controller(121, 0), 11);
        if (block % 100 == 99)
            midi.addEvent(Controller(123, 0), 200);
        if (block == 250)
            for (int i = 0; i < 4000; ++i)
                midi.addEvent(NoteOn(i % 128, 1 + i % 127), i % 256);
        parameters.drawbars[3] = static_cast<float>(block % 10) / 10.0f;
        parameters.oscillator = static_cast<float>(block / 50 % 7);
        parameters.speakerOn = block % 60 < 30 ? 1.0f : 0.0f;
        organ.SetTuning({block % 49 - 24, 415.0f + static_cast<float>(block % 52)});
        organ.HandleKeyboardMessage(KeyboardNoteMessage(block % 2 == 0 ? 144 : 128, 72, &editor->keyboard));

        const ThreadAllocationCount allocations;
        organ.ProcessBlock(input, output, block % 2 == 0, midi);
        allocatedInBlocks += allocations.Count(); // from the block that connects the editor on
    }
    EXPECT_EQ(allocatedInBlocks, 0);
    const ThreadAllocationCount probe;
    auto counted = std::make_unique<int>(1);
    EXPECT_EQ(probe.Count(), 1) << "the count sees allocations";
    EXPECT_GT(editor->keyboard.keyCalls, 0);
    EXPECT_EQ(organ.GetCurrentProgram(), 399 * 7 % 16) << "the last block's program change was taken";
    editor.reset();
}
} // namespace

} // namespace brumalux
