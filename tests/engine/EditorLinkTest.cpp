#include "EngineTestSupport.h"
#include "FakeEditor.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
class EditorLink : public ::testing::Test
{
protected:
    EditorLink()
    {
        organ.PrepareToPlay(44100.0, 512);
        MakeMeasurable(organ.Parameters());
    }
    ~EditorLink() override { editor.reset(); }

    FakeEditor& Open()
    {
        editor.reset(organ.OpenEditor());
        return *editor;
    }

    void Post(int status, int note, const KeyboardDisplay* sender)
    {
        organ.HandleKeyboardMessage(KeyboardNoteMessage(status, note, sender));
    }

    const Voice& VoiceAt(int index) { return **(organ.Voices().begin() + index); }

    juce::ScopedJuceInitialiser_GUI juce;
    OrganWithFakeEditor organ;
    OrganDriver driver{organ};
    std::unique_ptr<FakeEditor> editor;
};

TEST_F(EditorLink, ANewEditorIsConnectedWhenMadeAndBlocksOnlyMarkItsKeys)
{
    organ.Parameters().speakerOn = 0.0f;
    auto& fake = Open();
    EXPECT_EQ(fake.keyboard.noteTarget, static_cast<juce::MessageListener*>(&organ));
    EXPECT_EQ(fake.syncs, 1);
    organ.GetParameterManager().sendSynchronousChangeMessage();
    EXPECT_EQ(organ.listeners[0].callbacks, 1);

    driver.Render(512, {{0, NoteOn(60)}});
    organ.PrepareToPlay(48000.0, 256);
    EXPECT_EQ(fake.syncs, 1) << "neither a block nor a prepare calls into the editor";
    EXPECT_EQ(fake.keyboard.downMarks[60], 1);
    EXPECT_EQ(organ.Parameters().speakerOn, 0.0f) << "connecting writes no parameter";
}

TEST_F(EditorLink, AClosedEditorIsForgottenAndTheNextOneConnected)
{
    Open();
    driver.Render(512);
    editor.reset();
    organ.GetParameterManager().sendSynchronousChangeMessage();
    EXPECT_EQ(organ.listeners[0].callbacks, 0); // the closed editor no longer listens
    driver.Render(512, {{0, NoteOn(60)}});      // no keyboard to mark: must not touch the old one

    auto& second = Open();
    driver.Render(512);
    EXPECT_EQ(second.syncs, 1);
    EXPECT_EQ(second.keyboard.noteTarget, static_cast<juce::MessageListener*>(&organ));
}

TEST_F(EditorLink, AnEditorOpenedOverAnotherIsConnectedToo)
{
    std::unique_ptr<FakeEditor> first(organ.OpenEditor());
    driver.Render(512);
    auto& second = Open();
    driver.Render(512, {{0, NoteOn(60)}});
    EXPECT_EQ(second.syncs, 1);
    EXPECT_EQ(second.keyboard.downMarks[60], 1);
    EXPECT_EQ(first->keyboard.downMarks[60], 0);
    organ.GetParameterManager().sendSynchronousChangeMessage();
    EXPECT_EQ(organ.listeners[1].callbacks, 1); // the new editor follows the parameters
}

TEST_F(EditorLink, KeyboardNotesEnterTheNextBlockAtSampleZeroWithVelocity101)
{
    auto& fake = Open();
    driver.Render(512);
    Post(KeyboardNoteMessage::noteOnStatus, 60, &fake.keyboard);
    const auto signal = driver.Render(512);
    ASSERT_EQ(organ.Voices().Size(), 1);
    EXPECT_EQ(VoiceAt(0).noteMessage.getVelocity(), 101);
    EXPECT_EQ(VoiceAt(0).noteMessage.getChannel(), 1);
    EXPECT_EQ(FirstNonZero(signal.left), 1); // started at sample 0, whose level is still 0

    Post(KeyboardNoteMessage::noteOffStatus, 60 + 128, &fake.keyboard); // the note number is taken mod 128
    driver.Render(512);
    EXPECT_EQ(VoiceAt(0).releasePosition, 0);
}

TEST_F(EditorLink, KeyboardNotesFollowTheHostsEventsAtSampleZero)
{
    auto& fake = Open();
    driver.Render(512);
    Post(KeyboardNoteMessage::noteOnStatus, 60, &fake.keyboard);
    driver.Render(512, {{0, NoteOn(60, 70)}, {5, NoteOn(64, 70)}});
    ASSERT_EQ(organ.Voices().Size(), 3);
    EXPECT_EQ(VoiceAt(0).noteMessage.getVelocity(), 70); // the host's, retriggered by the keyboard's
    EXPECT_TRUE(VoiceAt(0).IsReleased());
    EXPECT_EQ(VoiceAt(1).noteMessage.getVelocity(), 101);
    EXPECT_EQ(VoiceAt(2).NoteNumber(), 64);
}

TEST_F(EditorLink, OnlyTheActiveEditorsKeyboardIsHeard)
{
    FakeKeyboard stranger;
    Post(KeyboardNoteMessage::noteOnStatus, 60, &stranger); // no editor open at all
    auto& fake = Open();
    driver.Render(512);
    Post(KeyboardNoteMessage::noteOnStatus, 61, &stranger);
    Post(145, 62, &fake.keyboard);
    organ.HandleKeyboardMessage(juce::Message());
    driver.Render(512);
    EXPECT_EQ(organ.Voices().Size(), 0);
}

TEST_F(EditorLink, TheKeysOfStartedAndEndedNotesAreMarked)
{
    auto& keyboard = Open().keyboard;
    driver.Render(512, {{10, NoteOn(60)}, {20, NoteOn(64)}});
    EXPECT_EQ(keyboard.downMarks[60], 1);
    EXPECT_EQ(keyboard.downMarks[64], 1);
    EXPECT_EQ(keyboard.repaintRequests, 1);

    driver.Render(512);
    EXPECT_EQ(keyboard.repaintRequests, 1); // nothing happened, nothing to repaint

    // A retriggered note has two voices, so its note-off marks the key up twice.
    driver.Render(512, {{0, NoteOn(60)}, {100, NoteOff(60)}, {200, NoteOff(61)}});
    EXPECT_EQ(keyboard.downMarks[60], 2);
    EXPECT_EQ(keyboard.upMarks[60], 2);
    EXPECT_EQ(keyboard.upMarks[61], 0);
    EXPECT_EQ(keyboard.repaintRequests, 2);

    driver.Render(512, {{0, Controller(123, 0)}});
    EXPECT_EQ(keyboard.allKeysReleased, 1);
    EXPECT_EQ(keyboard.repaintRequests, 3);
}
} // namespace

} // namespace brumalux
