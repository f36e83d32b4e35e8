#include "EngineTestSupport.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
constexpr double rate = 44100.0;
// A voice leaves the list only once the shared percussion envelope has also died away, 355 ms after its
// start; notes in these tests end after that.
constexpr int afterPercussion = 16384;

class NoteEvents : public ::testing::Test
{
protected:
    NoteEvents() { MakeMeasurable(organ->Parameters()); }

    const Voice& VoiceAt(int index) { return **(organ->Voices().begin() + index); }

    std::unique_ptr<Brumalux> organ = MakeOrgan(rate, 512);
    OrganDriver driver{*organ};
};

TEST_F(NoteEvents, NotesStartAtTheirSamplePosition)
{
    // The envelope starts at level 0, so a note's first audible sample is the one after its position.
    const auto first = driver.Render(512, {{100, NoteOn(60)}});
    EXPECT_EQ(FirstNonZero(first.left), 101);

    auto second = MakeOrgan(rate, 512);
    MakeMeasurable(second->Parameters());
    const auto later = OrganDriver(*second).Render(1024, {{512 + 300, NoteOn(60)}});
    EXPECT_EQ(FirstNonZero(later.left), 813);
}

TEST_F(NoteEvents, ANoteAtTheLastSampleContinuesFromTheBlockLength)
{
    driver.Render(512, {{511, NoteOn(60)}});
    ASSERT_EQ(organ->Voices().Size(), 1);
    EXPECT_EQ(VoiceAt(0).time, 512);
    EXPECT_EQ(VoiceAt(0).startOffset, 0);
}

TEST_F(NoteEvents, ANoteOffReleasesAtItsPositionAndTheVoiceGoes)
{
    organ->Parameters().release = 5.0f; // 220 samples
    const int off = afterPercussion + 400;
    const auto held = driver.Render(afterPercussion + 512, {{0, NoteOn(60)}, {off, NoteOff(60)}});
    ASSERT_EQ(organ->Voices().Size(), 1);
    EXPECT_TRUE(VoiceAt(0).IsReleased());
    EXPECT_EQ(VoiceAt(0).releasePosition, 400);

    const auto released = driver.Render(2048);
    EXPECT_EQ(organ->Voices().Size(), 0);
    const double sustained = Rms(held.left, off - 1000, off);
    EXPECT_GT(sustained, 0.01);
    EXPECT_LT(Rms(released.left, 1000, 2048), 1e-4 * sustained); // the filters' ringing has died away
}

TEST_F(NoteEvents, ANoteOnForASoundingNoteFadesTheOldVoiceOver50ms)
{
    organ->Parameters().release = 1000.0f; // the retrigger must override this
    const int retrigger = afterPercussion + 188;
    driver.Render(afterPercussion + 512, {{0, NoteOn(60)}, {retrigger, NoteOn(60, 90)}});
    ASSERT_EQ(organ->Voices().Size(), 2);
    EXPECT_TRUE(VoiceAt(0).IsReleased());
    EXPECT_EQ(VoiceAt(0).releasePosition, 188);
    EXPECT_FALSE(VoiceAt(1).IsReleased());
    EXPECT_EQ(VoiceAt(1).noteMessage.getVelocity(), 90);

    // 50 ms are 2205 samples: the old voice still sounds 1860 samples after the retrigger, and is gone
    // 2372 samples after it.
    driver.Render(1536);
    EXPECT_EQ(organ->Voices().Size(), 2);
    driver.Render(512);
    EXPECT_EQ(organ->Voices().Size(), 1);
}

TEST_F(NoteEvents, TheSustainPedalHoldsNotesUntilItIsLifted)
{
    organ->Parameters().release = 50.0f; // 2205 samples
    const auto held =
        driver.Render(afterPercussion, {{0, Controller(64, 1)}, {10, NoteOn(60)}, {1000, NoteOff(60)}});
    ASSERT_EQ(organ->Voices().Size(), 1);
    EXPECT_FALSE(VoiceAt(0).IsReleased());
    EXPECT_TRUE(VoiceAt(0).heldByPedal);
    EXPECT_NEAR(Rms(held.left, 15000, 16000), Rms(held.left, 13000, 14000),
                0.05 * Rms(held.left, 13000, 14000));

    driver.Render(512, {{200, Controller(64, 0)}});
    ASSERT_EQ(organ->Voices().Size(), 1);
    EXPECT_EQ(VoiceAt(0).releasePosition, 200);
    driver.Render(2048);
    EXPECT_EQ(organ->Voices().Size(), 0);
}

TEST_F(NoteEvents, AllNotesOffAndAllSoundOffSilenceAtOnce)
{
    for (const int controller : {123, 120})
    {
        const auto before = driver.Render(2048, {{0, NoteOn(60)}, {0, NoteOn(64)}});
        ASSERT_EQ(organ->Voices().Size(), 2);
        const auto after = driver.Render(1024, {{300, Controller(controller, 17)}});
        EXPECT_EQ(organ->Voices().Size(), 0);
        // Gone for the whole block, without a release: only the filters' last ringing remains.
        EXPECT_LT(Rms(after.left, 500, 1024), 1e-4 * Rms(before.left, 1024, 2048));
    }
}

TEST_F(NoteEvents, AVelocityZeroNoteOnIsANoteOff)
{
    driver.Render(512, {{0, NoteOn(60)}, {100, NoteOn(60, 0)}});
    ASSERT_EQ(organ->Voices().Size(), 1);
    EXPECT_EQ(VoiceAt(0).releasePosition, 100);
}

TEST_F(NoteEvents, EveryChannelPlaysAlike)
{
    const auto play = [](int channel)
    {
        auto channelOrgan = MakeOrgan(rate, 512);
        return OrganDriver(*channelOrgan)
            .Render(8192, {{0, Controller(64, 127, channel)},
                           {5, NoteOn(60, 100, channel)},
                           {600, PitchWheel(12000, channel)},
                           {700, NoteOff(60, channel)},
                           {3000, Controller(1, 127, channel)},
                           {5000, Controller(64, 0, channel)}});
    };
    const auto channel1 = play(1);
    const auto channel10 = play(10);
    EXPECT_EQ(channel1.left, channel10.left);
    EXPECT_EQ(channel1.right, channel10.right);
    EXPECT_GT(Rms(channel1.left, 1000, 5000), 0.01);
}

TEST_F(NoteEvents, TheMidiBufferIsEmptyAfterABlock)
{
    juce::AudioSampleBuffer input(2, 256), output(2, 256);
    juce::MidiBuffer midi;
    midi.addEvent(NoteOn(60), 10);
    midi.addEvent(Controller(7, 100), 20);
    midi.addEvent(NoteOff(60), 30);
    organ->ProcessBlock(input, output, false, midi);
    EXPECT_TRUE(midi.isEmpty());
}
} // namespace

} // namespace brumalux
