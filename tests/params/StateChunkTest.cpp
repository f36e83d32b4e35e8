#include "TestOrganFilter.h"

#include "params/LittleEndian.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstring>
#include <limits>
#include <vector>

namespace brumalux
{

namespace P = ParameterIndex;

namespace
{
const char* const factoryNames[10] = {
    "A little churchy",  "Mellow Doubt",   "Rock Organ",        "Organ pad",    "Fuzzy triangle",
    "Smooth percussion", "Distorto-matic", "Abandoned theatre", "Cheese Organ", "Breathy"};

juce::MemoryBlock Save(QuellmarkFilterBase& filter)
{
    juce::MemoryBlock chunk;
    filter.SaveState(chunk);
    return chunk;
}

void Load(QuellmarkFilterBase& filter, const juce::MemoryBlock& chunk)
{
    filter.LoadState(chunk.getData(), static_cast<int>(chunk.getSize()));
}

// Where each factory program ends in the saved bank: name, zero byte, size field, 27 floats.
std::vector<size_t> FactoryProgramEnds()
{
    std::vector<size_t> ends;
    size_t position = 4;
    for (const char* name : factoryNames)
    {
        position += std::strlen(name) + 1 + 4 + 108;
        ends.push_back(position);
    }
    return ends;
}

// A hand-made chunk with one program per entry, each holding the given floats.
juce::MemoryBlock ChunkOf(int32_t declaredCount,
                          const std::vector<std::pair<const char*, std::vector<float>>>& programs)
{
    juce::MemoryBlock chunk;
    LittleEndian::AppendInt32(chunk, declaredCount);
    for (const auto& [name, values] : programs)
    {
        chunk.append(name, std::strlen(name) + 1);
        LittleEndian::AppendInt32(chunk, static_cast<int32_t>(values.size() * 4));
        for (float value : values)
            LittleEndian::AppendFloat(chunk, value);
    }
    return chunk;
}

uint8_t ByteAt(const juce::MemoryBlock& block, size_t position)
{
    return static_cast<uint8_t>(block[position]);
}
} // namespace

TEST(StateChunk, FactoryBankIsSavedInTheStoredLayout)
{
    TestOrganFilter filter;
    const auto chunk = Save(filter);
    ASSERT_EQ(chunk.getSize(), 1262u);

    const uint8_t header[] = {0x0A, 0,   0,   0,   'A', ' ', 'l', 'i', 't',  't', 'l', 'e', ' ',
                              'c',  'h', 'u', 'r', 'c', 'h', 'y', 0,   0x6C, 0,   0,   0};
    EXPECT_EQ(std::memcmp(chunk.getData(), header, sizeof(header)), 0);

    size_t position = 4;
    for (const char* name : factoryNames)
    {
        EXPECT_EQ(juce::String(static_cast<const char*>(chunk.getData()) + position), name);
        position += std::strlen(name) + 1;
        EXPECT_EQ(ByteAt(chunk, position), 108);
        EXPECT_EQ(ByteAt(chunk, position + 1) | ByteAt(chunk, position + 2) | ByteAt(chunk, position + 3), 0);
        position += 4 + 108;
    }
    EXPECT_EQ(position, chunk.getSize());

    // Program 0's "Tone" (index 16) is 12000: 0x463B8000 as a little-endian float.
    const size_t tone = 25 + 4 * P::tone;
    EXPECT_EQ(ByteAt(chunk, tone), 0x00);
    EXPECT_EQ(ByteAt(chunk, tone + 1), 0x80);
    EXPECT_EQ(ByteAt(chunk, tone + 2), 0x3B);
    EXPECT_EQ(ByteAt(chunk, tone + 3), 0x46);
}

TEST(StateChunk, RoundTripRestoresNamesValuesAndTheLiveEdits)
{
    TestOrganFilter source;
    source.ChangeProgramName(5, juce::String::fromUTF8("Zoë's €uro"));
    source.SetCurrentProgram(2);
    source.SetNormalisedParameter(P::tone, 0.5f);
    const auto chunk = Save(source);

    TestOrganFilter destination;
    destination.SetCurrentProgram(2);
    Load(destination, chunk);

    EXPECT_EQ(destination.GetCurrentProgram(), 2);
    EXPECT_EQ(destination.Value(P::tone), 6050.0f);
    EXPECT_EQ(destination.GetProgramName(5), juce::String::fromUTF8("Zoë's ?uro"));
    for (int number = 0; number < 10; ++number)
        EXPECT_EQ(*destination.GetProgramStore().GetProgramValues(number),
                  *source.GetProgramStore().GetProgramValues(number))
            << number;
    // Names travel as Latin-1, one byte per character; what Latin-1 lacks becomes '?'.
    const char latin1[] = "Zo\xEB's ?uro";
    EXPECT_EQ(std::memcmp(static_cast<const char*>(chunk.getData()) + FactoryProgramEnds()[4], latin1,
                          sizeof(latin1)),
              0);
}

TEST(StateChunk, LongNamesAreCutToThirtyTwoCharacters)
{
    TestOrganFilter filter;
    const juce::String longName("0123456789abcdefghijklmnopqrstuvwxyzABCD");
    filter.ChangeProgramName(1, longName);
    const auto chunk = Save(filter);
    EXPECT_EQ(chunk.getSize(), 1262u - 12u + 32u);

    TestOrganFilter reloaded;
    Load(reloaded, chunk);
    ASSERT_EQ(reloaded.GetNumPrograms(), 10);
    EXPECT_EQ(reloaded.GetProgramName(1), longName.substring(0, 32));
    for (int number = 2; number < 10; ++number)
        EXPECT_EQ(reloaded.GetProgramName(number), factoryNames[number]);
}

namespace
{
// A filter with program 3 selected and a live edit, so that a load that wrongly applied
// values, moved the program number or touched the bank shows.
struct EditedFilter
{
    EditedFilter()
    {
        filter.SetCurrentProgram(3);
        filter.parameters.tone.store(3000.0f);
        before = Save(filter);
        filter.GetParameterManager().AppendValues(valuesBefore);
        filter.AttachHost();
    }

    // A damaged chunk is refused whole; a chunk that loads holds every program it announces.
    void ExpectUntouchedOrWhole(const juce::MemoryBlock& chunk)
    {
        Load(filter, chunk);
        const auto after = Save(filter);
        if (after != before)
        {
            int32_t declaredCount = 0;
            std::memcpy(&declaredCount, chunk.getData(), 4);
            ASSERT_EQ(filter.GetNumPrograms(), juce::ByteOrder::swapIfBigEndian(declaredCount));
            return;
        }
        juce::MemoryBlock values;
        filter.GetParameterManager().AppendValues(values);
        ASSERT_EQ(values, valuesBefore);
        ASSERT_EQ(filter.GetCurrentProgram(), 3);
        ASSERT_TRUE(filter.host.automation.empty());
    }

    TestOrganFilter filter;
    juce::MemoryBlock before;
    juce::MemoryBlock valuesBefore;
};
} // namespace

TEST(StateChunk, EmptyShortAndTruncatedChunksChangeNothing)
{
    const uint8_t zeroCount[4] = {0, 0, 0, 0};
    const uint8_t negativeCount[8] = {0xFB, 0xFF, 0xFF, 0xFF, 'x', 0, 0, 0};
    struct Case
    {
        const void* data;
        int size;
    };
    for (const auto& [data, size] : {Case{zeroCount, 4}, Case{negativeCount, 8}, Case{zeroCount, 3},
                                     Case{zeroCount, 0}, Case{zeroCount, -4}, Case{nullptr, 100}})
    {
        EditedFilter edited;
        edited.filter.LoadState(data, size);
        EXPECT_EQ(Save(edited.filter), edited.before) << size;
        EXPECT_EQ(edited.filter.Value(P::tone), 3000.0f);
        EXPECT_TRUE(edited.filter.host.automation.empty());
    }

    EditedFilter edited;
    for (size_t size = 0; size < edited.before.getSize(); ++size)
    {
        // A copy of exactly the truncated length, so that any read past it is an overflow.
        const juce::MemoryBlock truncated(edited.before.getData(), size);
        edited.filter.LoadState(truncated.getData(), static_cast<int>(size));
        ASSERT_EQ(Save(edited.filter), edited.before) << size;
        ASSERT_EQ(edited.filter.Value(P::tone), 3000.0f) << size;
        ASSERT_TRUE(edited.filter.host.automation.empty()) << size;
    }
}

TEST(StateChunk, BitFlipsLoadWholeOrNotAtAll)
{
    juce::Random random(12);
    const auto original = EditedFilter().before;
    for (int round = 0; round < 4000; ++round)
    {
        juce::MemoryBlock flipped(original);
        for (int flips = random.nextInt({1, 4}); flips > 0; --flips)
        {
            const auto bit = random.nextInt(static_cast<int>(flipped.getSize()) * 8);
            flipped[static_cast<size_t>(bit / 8)] ^= static_cast<char>(1 << (bit % 8));
        }
        EditedFilter edited;
        edited.ExpectUntouchedOrWhole(flipped);
        if (::testing::Test::HasFatalFailure())
            FAIL() << "round " << round;
    }
}

TEST(StateChunk, AShorterWellFormedBankLeavesAPastTheEndProgramUnapplied)
{
    TestOrganFilter filter;
    auto full = Save(filter);
    full[0] = 4; // the first four programs, then bytes that are ignored
    filter.SetCurrentProgram(6);
    filter.AttachHost();
    filter.parameters.tone.store(3000.0f);

    Load(filter, full);

    EXPECT_EQ(filter.GetNumPrograms(), 4);
    EXPECT_EQ(filter.GetCurrentProgram(), 6);
    EXPECT_EQ(filter.GetProgramName(6), "Unknown Program");
    EXPECT_EQ(filter.Value(P::tone), 3000.0f);
    EXPECT_TRUE(filter.host.automation.empty());
}

TEST(StateChunk, ForeignCountsLengthsAndNamesAreRefusedSafely)
{
    TestOrganFilter filter;
    const auto chunk = Save(filter);

    auto withInt32At = [&](size_t position, int32_t value)
    {
        juce::MemoryBlock changed(chunk);
        juce::MemoryBlock field;
        LittleEndian::AppendInt32(field, value);
        changed.copyFrom(field.getData(), static_cast<int>(position), 4);
        return changed;
    };
    const size_t firstSizeField = 4 + 17;

    Load(filter, withInt32At(0, 3));
    ASSERT_EQ(filter.GetNumPrograms(), 3);
    const juce::MemoryBlock unterminatedName("\x01\x00\x00\x00Organ", 9);
    for (const auto& refused :
         {withInt32At(0, std::numeric_limits<int32_t>::max()), withInt32At(0, 11),
          withInt32At(firstSizeField, std::numeric_limits<int32_t>::max()), withInt32At(firstSizeField, -4),
          withInt32At(firstSizeField, 0), unterminatedName})
    {
        Load(filter, refused);
        EXPECT_EQ(filter.GetNumPrograms(), 3);
    }
}

TEST(StateChunk, ShortAndLongValueBlocksApplyWhatTheyHold)
{
    TestOrganFilter filter;
    filter.AttachHost();
    const std::vector<float> ten = {2, 0.5f, 20, 30, 0.25f, 40, 0.125f, 0.25f, 0.375f, 0.5f};
    std::vector<float> thirty(30, 0.0625f);
    Load(filter, ChunkOf(2, {{"Ten", ten}, {"Thirty", thirty}}));

    ASSERT_EQ(filter.GetNumPrograms(), 2);
    EXPECT_EQ(filter.GetProgramStore().GetProgramValues(1)->getSize(), 120u);
    EXPECT_EQ(filter.host.automation.size(), 10u);
    for (int index = 0; index < 10; ++index)
        EXPECT_FLOAT_EQ(filter.Value(index), ten[static_cast<size_t>(index)]) << index;
    EXPECT_EQ(filter.Value(P::tone), 12000.0f);

    filter.SetCurrentProgram(1);
    EXPECT_EQ(filter.host.automation.size(), 10u + 27u);
}

TEST(StateChunk, NonFiniteStoredValuesAreSkipped)
{
    TestOrganFilter filter;
    const float nan = std::numeric_limits<float>::quiet_NaN();
    Load(filter, ChunkOf(1, {{"Broken", {3, nan, std::numeric_limits<float>::infinity(), 25}}}));
    EXPECT_EQ(filter.Value(P::oscillator), 3.0f);
    EXPECT_EQ(filter.Value(P::percussionLevel), 0.3f);
    EXPECT_EQ(filter.Value(P::attack), 5.0f);
    EXPECT_FLOAT_EQ(filter.Value(P::decay), 25.0f);
}

} // namespace brumalux
