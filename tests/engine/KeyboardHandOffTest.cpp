// Notes played on the editor's keyboard while the host renders no audio: however many, no key is left
// sounding once audio resumes.
#include "EngineTestSupport.h"
#include "FakeEditor.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
TEST(KeyboardHandOff, NoNoteIsLeftSoundingAfterManyNotesPlayedWhileAudioWasStopped)
{
    juce::ScopedJuceInitialiser_GUI juce;
    OrganWithFakeEditor organ;
    organ.PrepareToPlay(44100.0, 512);
    std::unique_ptr<FakeEditor> editor(organ.OpenEditor());
    OrganDriver driver(organ);
    driver.Render(512);

    // Audio stopped: one key held down (an odd count, so that list boundaries fall between presses and
    // releases), 2000 press/release cycles over the keyboard, then the held key released.
    const auto post = [&](int status, int note)
    { organ.HandleKeyboardMessage(KeyboardNoteMessage(status, note, &editor->keyboard)); };
    post(KeyboardNoteMessage::noteOnStatus, 40);
    for (int cycle = 0; cycle < 2000; ++cycle)
    {
        const int note = 36 + cycle % 61;
        post(KeyboardNoteMessage::noteOnStatus, note);
        post(KeyboardNoteMessage::noteOffStatus, note);
    }
    post(KeyboardNoteMessage::noteOffStatus, 40);

    // Audio resumed: the longest release (1 s) is over after 1.2 s.
    organ.Parameters().release = 1000.0f;
    driver.Render(512);
    EXPECT_GT(organ.Voices().Size(), 0) << "the notes that fitted were played";
    driver.Render(44100 * 6 / 5);
    EXPECT_EQ(organ.Voices().Size(), 0);

    // Nothing is kept over for later blocks either.
    driver.Render(512);
    EXPECT_EQ(organ.Voices().Size(), 0);
}

TEST(KeyboardHandOff, WhenFullNoteOnsAreDroppedAndNoteOffsFollowTheList)
{
    KeyboardHandOff handOff;
    for (int i = 0; i < KeyboardHandOff::capacity - 1; ++i)
        ASSERT_TRUE(handOff.Post(juce::MidiMessage::controllerEvent(1, 7, i % 128)));
    EXPECT_TRUE(handOff.Post(juce::MidiMessage::noteOn(1, 60, juce::uint8(101)))); // the last place
    EXPECT_FALSE(handOff.Post(juce::MidiMessage::noteOn(1, 61, juce::uint8(101))));
    EXPECT_TRUE(handOff.Post(juce::MidiMessage::noteOff(1, 60, juce::uint8(0))));
    EXPECT_TRUE(handOff.Post(juce::MidiMessage::noteOff(1, 60, juce::uint8(0))));
    EXPECT_TRUE(handOff.Post(juce::MidiMessage::noteOff(1, 5, juce::uint8(0))));

    std::vector<MidiEvent> taken(KeyboardHandOff::maxTaken);
    ASSERT_EQ(handOff.TakeAll(taken.data()), KeyboardHandOff::capacity + 2);
    EXPECT_EQ(taken[KeyboardHandOff::capacity - 1].kind, MidiEvent::Kind::noteOn);
    EXPECT_EQ(taken[KeyboardHandOff::capacity].kind, MidiEvent::Kind::noteOff);
    EXPECT_EQ(taken[KeyboardHandOff::capacity].data1, 5);
    EXPECT_EQ(taken[KeyboardHandOff::capacity + 1].data1, 60);
    EXPECT_EQ(handOff.TakeAll(taken.data()), 0);
}
} // namespace

} // namespace brumalux
