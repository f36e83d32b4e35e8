#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <limits>

namespace brumalux
{

namespace
{
constexpr double rate = 48000.0;
constexpr int settled = 24000;

double Cents(double frequency, double expected)
{
    return 1200.0 * std::log2(frequency / expected);
}

TEST(Tuning, TransposeAndReferenceMoveThePitch)
{
    struct Case
    {
        Tuning tuning;
        int note;
        int drawbar;
        double expectedHz;
    };
    const Case cases[] = {
        {{0, 440.0f}, 69, 2, 220.0},   // the untuned organ: an octave below concert pitch
        {{12, 440.0f}, 69, 2, 440.0},  // up an octave: concert pitch
        {{12, 442.0f}, 69, 2, 442.0},  // and the reference moves it with it
        {{-24, 415.0f}, 93, 2, 207.5}, // the lowest settings
        {{24, 466.0f}, 57, 2, 466.0},  // the highest
        {{7, 440.0f}, 69, 0, 110.0 * std::exp2(7.0 / 12.0)},
    };
    for (const auto& c : cases)
    {
        auto organ = MakeOrgan(rate, 512);
        MakeMeasurable(organ->Parameters(), c.drawbar);
        organ->SetTuning(c.tuning);
        const auto signal = OrganDriver(*organ).Render(settled + 48000, {{0, NoteOn(c.note)}});
        EXPECT_NEAR(Cents(Frequency(signal.left, rate, settled), c.expectedHz), 0.0, 0.1)
            << "transpose " << c.tuning.transpose << ", reference " << c.tuning.reference;
    }
}

TEST(Tuning, SettingsOutsideTheRangesAreIgnored)
{
    auto organ = MakeOrgan(rate, 512);
    organ->SetTuning({5, 450.0f});
    for (const Tuning bad : {Tuning{25, 440.0f}, Tuning{-25, 440.0f}, Tuning{0, 414.5f}, Tuning{0, 466.5f},
                             Tuning{0, std::numeric_limits<float>::quiet_NaN()}})
    {
        organ->SetTuning(bad);
        EXPECT_EQ(organ->GetTuning(), (Tuning{5, 450.0f}));
    }
}

TEST(Tuning, TheSavedEntryRoundTripsAndRefusesWhatIsNotATuning)
{
    for (const Tuning tuning : {Tuning{}, Tuning{-24, 415.0f}, Tuning{24, 466.0f}, Tuning{3, 441.25f}})
    {
        juce::MemoryBlock entry;
        tuning.WriteEntry(entry);
        ASSERT_EQ(entry.getSize(), static_cast<size_t>(Tuning::entrySize));
        EXPECT_EQ(Tuning::ReadEntry(entry.getData(), entry.getSize()), tuning);
    }
    // int32 transpose, then the float32 reference, both little-endian.
    const uint8_t concertPitch[] = {12, 0, 0, 0, 0x00, 0x00, 0xDD, 0x43};
    EXPECT_EQ(Tuning::ReadEntry(concertPitch, sizeof(concertPitch)), (Tuning{12, 442.0f}));

    struct Damaged
    {
        const char* what;
        std::vector<uint8_t> bytes;
    };
    const Damaged damaged[] = {
        {"transpose 25", {25, 0, 0, 0, 0x00, 0x00, 0xDC, 0x43}},
        {"transpose -25", {0xE7, 0xFF, 0xFF, 0xFF, 0x00, 0x00, 0xDC, 0x43}},
        {"reference 414", {0, 0, 0, 0, 0x00, 0x00, 0xCF, 0x43}},
        {"reference 467", {0, 0, 0, 0, 0x00, 0x80, 0xE9, 0x43}},
        {"reference NaN", {0, 0, 0, 0, 0x00, 0x00, 0xC0, 0x7F}},
        {"seven bytes", {0, 0, 0, 0, 0x00, 0x00, 0xDC}},
        {"nine bytes", {0, 0, 0, 0, 0x00, 0x00, 0xDC, 0x43, 0}},
    };
    for (const auto& d : damaged)
        EXPECT_FALSE(Tuning::ReadEntry(d.bytes.data(), d.bytes.size())) << d.what;
    EXPECT_FALSE(Tuning::ReadEntry(nullptr, Tuning::entrySize));
}
TEST(Tuning, TravelsWithTheStateOnlyWhenNotTheDefault)
{
    auto organ = MakeOrgan();
    EXPECT_EQ(StateOf(*organ).getSize(), 1262u) << "the default tuning writes no settings";

    organ->SetTuning({12, 442.0f});
    const auto tuned = StateOf(*organ);
    EXPECT_GT(tuned.getSize(), 1262u);
    auto other = MakeOrgan();
    other->LoadState(tuned.getData(), static_cast<int>(tuned.getSize()));
    EXPECT_EQ(other->GetTuning(), (Tuning{12, 442.0f}));
    EXPECT_EQ(StateOf(*other), tuned);

    // A state without a tuning (an older build's, or one saved untuned) tunes back to the default.
    const auto untuned = StateOf(*MakeOrgan());
    other->LoadState(untuned.getData(), static_cast<int>(untuned.getSize()));
    EXPECT_EQ(other->GetTuning(), Tuning{});
}

TEST(Tuning, AMalformedEntryRefusesTheWholeState)
{
    const std::vector<uint8_t> tooHigh{25, 0, 0, 0, 0x00, 0x00, 0xDC, 0x43};
    const std::vector<uint8_t> tooShort{1, 0, 0, 0, 0x00, 0x00, 0xDC};
    for (const auto& bad : {tooHigh, tooShort})
    {
        auto organ = MakeOrgan();
        organ->SetTuning({-3, 430.0f});
        organ->SetCurrentProgram(4);
        const auto before = StateOf(*organ);
        const auto state = BankWithSettings({{"PROG", {2, 0, 0, 0}}, {"TUNE", bad}});
        organ->LoadState(state.getData(), static_cast<int>(state.getSize()));
        EXPECT_EQ(organ->GetTuning(), (Tuning{-3, 430.0f}));
        EXPECT_EQ(organ->GetCurrentProgram(), 4);
        EXPECT_EQ(StateOf(*organ), before);
    }
}
} // namespace

} // namespace brumalux
