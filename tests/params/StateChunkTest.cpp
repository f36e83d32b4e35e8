#include "TestOrganFilter.h"

#include "params/Crc32.h"
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
        // A stored NaN is not applied, so a chunk may load and save as before; it still
        // reports the values it applied.
        if (after != before || !filter.host.automation.empty())
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
        if (size == FactoryProgramEnds().back())
            continue; // the bank without the settings after it: a whole state of its own
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
    full[0] = 4; // the first four programs
    full.setSize(FactoryProgramEnds()[3]);
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

    auto threePrograms = withInt32At(0, 3);
    threePrograms.setSize(FactoryProgramEnds()[2]);
    Load(filter, threePrograms);
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

namespace brumalux
{

namespace
{
// A derived filter with one setting of its own, kept in the settings block as "XMPL".
class FilterWithSetting : public TestOrganFilter
{
public:
    int32_t setting = 0;
    int programWhenApplied = -1;

protected:
    void WriteSettings(SettingsBlock& block) override
    {
        if (setting != 0)
            block.AddInt32("XMPL", setting);
    }

    bool ParseSettings(const SettingsBlock& block, PendingSettings& apply) override
    {
        int32_t stored = 0;
        if (const auto* value = block.Find("XMPL"))
            if (!SettingsBlock::ReadInt32(*value, stored) || stored < 0)
                return false;
        apply = [this, stored]
        {
            setting = stored;
            programWhenApplied = GetCurrentProgram();
        };
        return true;
    }
};

// Program 7 selected and two of its values changed, as a user leaves a project.
juce::MemoryBlock SavedWithProgramSeven(TestOrganFilter& source)
{
    source.SetCurrentProgram(7);
    source.SetNormalisedParameter(P::tone, 0.25f);
    source.SetNormalisedParameter(P::drawbar0 + 3, 0.125f);
    return Save(source);
}

juce::MemoryBlock LiveValuesOf(QuellmarkFilterBase& filter)
{
    juce::MemoryBlock values;
    filter.GetParameterManager().AppendValues(values);
    return values;
}

// The bank of a chunk followed by the given settings block.
juce::MemoryBlock WithSettings(const juce::MemoryBlock& chunk, const SettingsBlock& settings)
{
    juce::MemoryBlock changed(chunk.getData(), FactoryProgramEnds().back());
    settings.AppendTo(changed);
    return changed;
}
} // namespace

TEST(StateChunk, TheSelectedProgramTravelsWhicheverWayTheHostRestoresIt)
{
    TestOrganFilter source;
    const auto chunk = SavedWithProgramSeven(source);
    ASSERT_EQ(chunk.getSize(), 1262u + 16u + 12u) << "the bank, then a block holding only PROG";

    enum class Order
    {
        programBeforeState,
        programAfterState,
        stateAlone,
        otherProgramAfterState
    };
    for (const auto order : {Order::programBeforeState, Order::programAfterState, Order::stateAlone,
                             Order::otherProgramAfterState})
    {
        TestOrganFilter destination;
        destination.SetCurrentProgram(4);
        destination.SetNormalisedParameter(P::tone, 0.75f);
        if (order == Order::programBeforeState)
            destination.SetCurrentProgram(7);
        Load(destination, chunk);
        destination.AttachHost();
        if (order == Order::programAfterState)
            destination.SetCurrentProgram(7);
        if (order == Order::otherProgramAfterState)
        {
            destination.SetCurrentProgram(2);
            EXPECT_EQ(destination.GetCurrentProgram(), 2);
            EXPECT_EQ(LiveValuesOf(destination), *source.GetProgramStore().GetProgramValues(2));
            destination.SetCurrentProgram(7);
        }
        else
        {
            EXPECT_TRUE(destination.host.automation.empty())
                << "setting the same program again changes nothing";
        }
        EXPECT_EQ(destination.GetCurrentProgram(), 7) << static_cast<int>(order);
        EXPECT_EQ(LiveValuesOf(destination), LiveValuesOf(source)) << static_cast<int>(order);
        EXPECT_EQ(Save(destination), chunk) << static_cast<int>(order);
    }
}

TEST(StateChunk, TheFirstProgramWithDefaultSettingsWritesNoBlock)
{
    TestOrganFilter filter;
    filter.SetCurrentProgram(5);
    filter.SetCurrentProgram(0);
    filter.SetNormalisedParameter(P::tone, 0.5f);
    EXPECT_EQ(Save(filter).getSize(), 1262u);

    // Such a chunk, like those of builds that stored no selection, keeps the current number.
    TestOrganFilter destination;
    destination.SetCurrentProgram(5);
    Load(destination, Save(filter));
    EXPECT_EQ(destination.GetCurrentProgram(), 5);
}

TEST(StateChunk, AMalformedSelectionIsRefusedWholeAndALaterBlockIgnored)
{
    TestOrganFilter fresh;
    const auto bank = Save(fresh);
    auto withProgram = [&](const void* value, size_t size)
    {
        SettingsBlock settings;
        settings.Add("PROG", value, size);
        return WithSettings(bank, settings);
    };
    const int32_t numbers[] = {-1, 10, 1 << 30};
    const uint8_t nineWithASpareByte[] = {9, 0, 0, 0, 0};
    const juce::MemoryBlock refused[] = {withProgram(&numbers[0], 4), withProgram(&numbers[1], 4),
                                         withProgram(&numbers[2], 4), withProgram(nineWithASpareByte, 3),
                                         withProgram(nineWithASpareByte, 5)};
    for (const auto& chunk : refused)
    {
        EditedFilter edited;
        edited.filter.LoadState(chunk.getData(), static_cast<int>(chunk.getSize()));
        EXPECT_EQ(Save(edited.filter), edited.before);
        EXPECT_EQ(edited.filter.GetCurrentProgram(), 3);
        EXPECT_TRUE(edited.filter.host.automation.empty());
    }

    // The same selection for a bank of four programs names none of them.
    auto fourPrograms = withProgram(nineWithASpareByte, 4);
    fourPrograms[0] = 4;
    fourPrograms.removeSection(FactoryProgramEnds()[3],
                               FactoryProgramEnds().back() - FactoryProgramEnds()[3]);
    EditedFilter edited;
    edited.filter.LoadState(fourPrograms.getData(), static_cast<int>(fourPrograms.getSize()));
    EXPECT_EQ(edited.filter.GetNumPrograms(), 10);

    // A later version's block is skipped, its bank loads as one without a selection.
    auto later = withProgram(nineWithASpareByte, 4);
    const size_t version = FactoryProgramEnds().back() + 4;
    later[version] = 2;
    const auto crcAt = later.getSize() - 4;
    juce::MemoryBlock crc;
    LittleEndian::AppendUint32(
        crc, Crc32(reinterpret_cast<const uint8_t*>(later.begin()) + version, crcAt - version));
    later.copyFrom(crc.getData(), static_cast<int>(crcAt), 4);
    EditedFilter skipped;
    skipped.filter.LoadState(later.getData(), static_cast<int>(later.getSize()));
    EXPECT_EQ(skipped.filter.GetCurrentProgram(), 3);
    EXPECT_FALSE(skipped.filter.host.automation.empty()) << "the bank was loaded";
    EXPECT_EQ(skipped.filter.Value(P::tone), 8000.0f) << "program 3's stored tone";
}

TEST(StateChunk, ADerivedFiltersSettingsTravelInTheBlockAndRefuseTheStateWhenMalformed)
{
    FilterWithSetting source;
    source.setting = 5;
    const auto chunk = Save(source);
    SettingsBlock block;
    ASSERT_EQ(block.Read(chunk.begin() + FactoryProgramEnds().back(),
                         chunk.getSize() - FactoryProgramEnds().back()),
              SettingsBlock::Reading::read);
    ASSERT_NE(block.Find("PROG"), nullptr) << "written with every block, program 0 included";
    ASSERT_NE(block.Find("XMPL"), nullptr);

    FilterWithSetting destination;
    destination.SetCurrentProgram(6);
    Load(destination, chunk);
    EXPECT_EQ(destination.setting, 5);
    EXPECT_EQ(destination.programWhenApplied, 0) << "applied after the bank and its selection";

    block.AddInt32("XMPL", -1);
    const auto malformed = WithSettings(chunk, block);
    FilterWithSetting refusing;
    refusing.SetCurrentProgram(6);
    Load(refusing, malformed);
    EXPECT_EQ(refusing.setting, 0);
    EXPECT_EQ(refusing.programWhenApplied, -1);
    EXPECT_EQ(refusing.GetCurrentProgram(), 6);
}

} // namespace brumalux
