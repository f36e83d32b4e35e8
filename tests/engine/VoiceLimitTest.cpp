#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <climits>

namespace brumalux
{

namespace
{
constexpr double rate = 44100.0;
constexpr int fadeSamples = 220; // 5 ms

// The notes of the organ's voices, oldest first: those that sound, and those fading out for newer notes.
struct VoiceNotes
{
    std::vector<int> sounding, fading;
};

VoiceNotes NotesOf(const Brumalux& organ)
{
    VoiceNotes notes;
    for (const Voice* voice : organ.Voices())
        (voice->IsFadingOut() ? notes.fading : notes.sounding).push_back(voice->NoteNumber());
    return notes;
}

std::vector<TimedMidi> EightNotesFrom60()
{
    std::vector<TimedMidi> played;
    for (int i = 0; i < 8; ++i)
        played.push_back({10 * i, NoteOn(60 + i)});
    return played;
}

std::vector<TimedMidi> Plus(std::vector<TimedMidi> played, const std::vector<TimedMidi>& more)
{
    played.insert(played.end(), more.begin(), more.end());
    return played;
}

TEST(VoiceLimit, ANewNoteTakesTheOldestReleasedVoiceElseTheOldestHeldOne)
{
    struct Case
    {
        const char* what;
        int limit;
        std::vector<TimedMidi> played;
        std::vector<int> newNotes; // all at one sample
        std::vector<int> taken;
    };
    const auto eight = EightNotesFrom60();
    const Case cases[] = {
        {"every voice held: the oldest goes", 8, eight, {72}, {60}},
        {"a released voice goes first, the one that started first",
         8,
         Plus(eight, {{500, NoteOff(63)}, {600, NoteOff(61)}}),
         {72},
         {61}},
        {"a note the pedal holds counts as held",
         8,
         Plus(eight, {{500, NoteOff(67)}, {600, Controller(64, 127)}, {700, NoteOff(60)}}),
         {72},
         {67}},
        {"voices fading out for a note do not count for the next", 8, eight, {72, 74}, {60, 61}},
        {"below the limit nothing is taken", 16, eight, {72}, {}},
    };
    for (const auto& c : cases)
    {
        auto organ = MakeOrgan(rate, 512);
        organ->Parameters().release = 1000.0f; // released voices still sound when the new notes come
        organ->SetPolyphony(c.limit);
        OrganDriver driver(*organ);
        driver.Render(4096, c.played);
        const int soundingBefore = static_cast<int>(NotesOf(*organ).sounding.size());

        std::vector<TimedMidi> newNotes;
        for (const int note : c.newNotes)
            newNotes.push_back({100, NoteOn(note)});
        driver.Render(200, newNotes);
        EXPECT_EQ(NotesOf(*organ).fading, c.taken) << c.what;

        driver.Render(fadeSamples);
        const auto after = NotesOf(*organ);
        EXPECT_TRUE(after.fading.empty()) << c.what;
        EXPECT_EQ(after.sounding.size(), soundingBefore + c.newNotes.size() - c.taken.size()) << c.what;
    }
}

TEST(VoiceLimit, AfterTheLimitIsLoweredTheNextNoteTakesVoicesDownToIt)
{
    auto organ = MakeOrgan(rate, 512);
    OrganDriver driver(*organ);
    auto twelve = EightNotesFrom60();
    for (int i = 8; i < 12; ++i)
        twelve.push_back({10 * i, NoteOn(60 + i)});
    driver.Render(4096, twelve);
    organ->SetPolyphony(8);
    driver.Render(200, {{100, NoteOn(84)}});
    EXPECT_EQ(NotesOf(*organ).fading, (std::vector<int>{60, 61, 62, 63, 64}));
    driver.Render(fadeSamples);
    EXPECT_EQ(NotesOf(*organ).sounding, (std::vector<int>{65, 66, 67, 68, 69, 70, 71, 84}));
}

TEST(VoiceLimit, AtTheDefaultANoteBeyondEveryVoiceIsNotPlayed)
{
    auto organ = MakeOrgan(rate, 512);
    ASSERT_EQ(organ->GetPolyphony(), VoicePool::capacity);
    std::vector<TimedMidi> burst;
    for (int i = 0; i < 300; ++i)
        burst.push_back({0, NoteOn(i % 128, 1 + i / 128)});
    OrganDriver(*organ).Render(512, burst);

    ASSERT_EQ(organ->Voices().Size(), VoicePool::capacity);
    EXPECT_TRUE(NotesOf(*organ).fading.empty());
    const Voice& newest = **(organ->Voices().end() - 1);
    EXPECT_EQ(newest.NoteNumber(), 127);
    EXPECT_EQ(newest.noteMessage.getVelocity(), 2) << "the 256th note-on is the last one played";
}

// The largest second difference: a step or a kink in the signal, what a listener hears as a click.
double LargestKink(const std::vector<float>& signal, int from, int to)
{
    double largest = 0.0;
    for (int i = from + 2; i < to; ++i)
        largest =
            std::max(largest, std::abs(static_cast<double>(signal[i]) - 2.0 * signal[i - 1] + signal[i - 2]));
    return largest;
}

TEST(VoiceLimit, ATakenVoiceFadesOutWithoutAClick)
{
    auto organ = MakeOrgan(rate, 512);
    MakeMeasurable(organ->Parameters());
    organ->SetPolyphony(8);
    OrganDriver driver(*organ);
    const auto held = driver.Render(16384, EightNotesFrom60());
    // The new note rises slowly, so what moves at the taking is the voice that goes.
    organ->Parameters().attack = 500.0f;
    const int taking = 1000;
    const auto taken = driver.Render(2048, {{taking, NoteOn(48)}});
    ASSERT_EQ(NotesOf(*organ).sounding.size(), 8u);

    const double steady = LargestKink(held.left, 8192, 16384);
    EXPECT_LT(LargestKink(taken.left, taking - 10, taking + fadeSamples + 10), 4.0 * steady);
}

TEST(VoiceLimit, LimitsOutsideTheRangeAreIgnored)
{
    auto organ = MakeOrgan();
    for (const int voices : {8, 256, 100})
    {
        organ->SetPolyphony(voices);
        EXPECT_EQ(organ->GetPolyphony(), voices);
    }
    for (const int voices : {7, 257, 0, -1, INT_MIN, INT_MAX})
    {
        organ->SetPolyphony(voices);
        EXPECT_EQ(organ->GetPolyphony(), 100) << voices;
    }
}

TEST(VoiceLimit, TravelsWithTheStateOnlyWhenNotTheDefault)
{
    const auto unlimited = StateOf(*MakeOrgan());
    EXPECT_EQ(unlimited.getSize(), 1262u) << "the default limit writes no settings";

    auto organ = MakeOrgan();
    organ->SetPolyphony(24);
    const auto limited = StateOf(*organ);
    EXPECT_EQ(limited, BankWithSettings({{"PROG", {0, 0, 0, 0}}, {"POLY", {24, 0, 0, 0}}}));
    auto other = MakeOrgan();
    other->LoadState(limited.getData(), static_cast<int>(limited.getSize()));
    EXPECT_EQ(other->GetPolyphony(), 24);

    // A state without a limit (an older build's, or one saved at the default) goes back to the default.
    other->LoadState(unlimited.getData(), static_cast<int>(unlimited.getSize()));
    EXPECT_EQ(other->GetPolyphony(), Polyphony::defaultVoices);
}

TEST(VoiceLimit, AMalformedEntryRefusesTheWholeState)
{
    const std::vector<std::vector<uint8_t>> damaged{
        {7, 0, 0, 0}, {1, 1, 0, 0}, {0xff, 0xff, 0xff, 0xff}, {16, 0, 0}, {16, 0, 0, 0, 0}};
    for (const auto& bad : damaged)
    {
        auto organ = MakeOrgan();
        organ->SetPolyphony(32);
        organ->SetCurrentProgram(4);
        const auto before = StateOf(*organ);
        const auto state = BankWithSettings({{"PROG", {2, 0, 0, 0}}, {"POLY", bad}});
        organ->LoadState(state.getData(), static_cast<int>(state.getSize()));
        EXPECT_EQ(organ->GetPolyphony(), 32);
        EXPECT_EQ(organ->GetCurrentProgram(), 4);
        EXPECT_EQ(StateOf(*organ), before);
    }
}
} // namespace

} // namespace brumalux
