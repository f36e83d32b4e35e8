#include "params/SettingsBlock.h"
#include "params/Crc32.h"
#include "params/LittleEndian.h"

#include <gtest/gtest.h>

#include <cstring>

namespace brumalux
{

namespace
{
using Reading = SettingsBlock::Reading;

// A block written field by field, with a correct CRC over whatever it is given.
juce::MemoryBlock BlockOf(int32_t version, int32_t length, const juce::MemoryBlock& payload)
{
    juce::MemoryBlock checked;
    LittleEndian::AppendInt32(checked, version);
    LittleEndian::AppendInt32(checked, length);
    checked.append(payload.getData(), payload.getSize());
    juce::MemoryBlock block("BLXS", 4);
    block.append(checked.getData(), checked.getSize());
    LittleEndian::AppendUint32(block,
                               Crc32(static_cast<const uint8_t*>(checked.getData()), checked.getSize()));
    return block;
}

juce::MemoryBlock EntryOf(const char* key, int32_t declaredSize, size_t actualSize)
{
    juce::MemoryBlock entry(key, 4);
    LittleEndian::AppendInt32(entry, declaredSize);
    entry.append(juce::MemoryBlock(actualSize, true).getData(), actualSize);
    return entry;
}

juce::MemoryBlock Joined(std::initializer_list<juce::MemoryBlock> parts)
{
    juce::MemoryBlock joined;
    for (const auto& part : parts)
        joined.append(part.getData(), part.getSize());
    return joined;
}

Reading ReadingOf(const juce::MemoryBlock& bytes)
{
    SettingsBlock block;
    return block.Read(bytes.getData(), bytes.getSize());
}
} // namespace

TEST(SettingsBlock, Crc32IsZlibs)
{
    EXPECT_EQ(Crc32(reinterpret_cast<const uint8_t*>("123456789"), 9), 0xCBF43926u);
    EXPECT_EQ(Crc32(nullptr, 0), 0u);
}

TEST(SettingsBlock, EntriesAreWrittenInTheStoredLayoutAndReadBack)
{
    SettingsBlock written;
    written.AddInt32("PROG", 7);
    written.Add("NONE", nullptr, 0);
    written.Add("TEXT", "abcdefg", 7);
    written.AddInt32("PROG", 8); // replaces, keeping its place
    juce::MemoryBlock bytes("bank", 4);
    written.AppendTo(bytes);

    juce::MemoryBlock programEntry("PROG", 4);
    LittleEndian::AppendInt32(programEntry, 4);
    LittleEndian::AppendInt32(programEntry, 8);
    juce::MemoryBlock textEntry("TEXT\x07\0\0\0abcdefg", 15);
    const auto payload = Joined({programEntry, EntryOf("NONE", 0, 0), textEntry});
    EXPECT_EQ(juce::MemoryBlock(bytes.begin() + 4, bytes.getSize() - 4), BlockOf(1, 35, payload));

    SettingsBlock read;
    ASSERT_EQ(read.Read(bytes.begin() + 4, bytes.getSize() - 4), Reading::read);
    EXPECT_EQ(read.GetNumEntries(), 3u);
    int32_t program = 0;
    ASSERT_NE(read.Find("PROG"), nullptr);
    EXPECT_TRUE(SettingsBlock::ReadInt32(*read.Find("PROG"), program));
    EXPECT_EQ(program, 8);
    EXPECT_EQ(read.Find("NONE")->getSize(), 0u);
    EXPECT_EQ(*read.Find("TEXT"), juce::MemoryBlock("abcdefg", 7));
    EXPECT_EQ(read.Find("CMAP"), nullptr);
    EXPECT_FALSE(SettingsBlock::ReadInt32(*read.Find("TEXT"), program));
    EXPECT_EQ(ReadingOf({}), Reading::absent);
}

TEST(SettingsBlock, AnythingButOneWholeBlockIsDamagedAndALaterVersionIgnored)
{
    SettingsBlock written;
    written.AddInt32("PROG", 3);
    written.Add("TEXT", "xyz", 3);
    juce::MemoryBlock whole;
    written.AppendTo(whole);
    ASSERT_EQ(ReadingOf(whole), Reading::read);

    for (size_t size = 1; size < whole.getSize(); ++size)
        EXPECT_EQ(ReadingOf(juce::MemoryBlock(whole.getData(), size)), Reading::damaged) << size;
    for (int bit = 0; bit < static_cast<int>(whole.getSize()) * 8; ++bit)
    {
        juce::MemoryBlock flipped(whole);
        flipped[static_cast<size_t>(bit / 8)] ^= static_cast<char>(1 << (bit % 8));
        EXPECT_EQ(ReadingOf(flipped), Reading::damaged) << bit;
    }

    const auto prog = EntryOf("PROG", 4, 4);
    struct Case
    {
        const char* what;
        juce::MemoryBlock bytes;
        Reading expected;
    };
    const Case cases[] = {
        {"a byte after the CRC", Joined({whole, juce::MemoryBlock(1, true)}), Reading::damaged},
        {"another tag", Joined({juce::MemoryBlock("BLXT", 4), juce::MemoryBlock(whole.begin() + 4, 16 + 4)}),
         Reading::damaged},
        {"a negative length", BlockOf(1, -1, prog), Reading::damaged},
        {"a length past the end", BlockOf(1, 13, prog), Reading::damaged},
        {"an entry past the others", BlockOf(1, 12, EntryOf("PROG", 5, 4)), Reading::damaged},
        {"a negative entry size", BlockOf(1, 12, EntryOf("PROG", -4, 4)), Reading::damaged},
        {"an entry header cut short", BlockOf(1, 15, Joined({prog, juce::MemoryBlock("ABC", 3)})),
         Reading::damaged},
        {"a key twice", BlockOf(1, 24, Joined({prog, prog})), Reading::damaged},
        {"version 0", BlockOf(0, 12, prog), Reading::damaged},
        {"an unknown key", BlockOf(1, 24, Joined({EntryOf("WHAT", 4, 4), prog})), Reading::read},
        {"version 2", BlockOf(2, 12, prog), Reading::ignored},
        {"version 2 with entries of its own", BlockOf(2, 3, juce::MemoryBlock("new", 3)), Reading::ignored},
    };
    for (const auto& c : cases)
        EXPECT_EQ(ReadingOf(c.bytes), c.expected) << c.what;

    SettingsBlock block;
    ASSERT_EQ(block.Read(whole.getData(), whole.getSize()), Reading::read);
    block.Read(cases[4].bytes.getData(), cases[4].bytes.getSize());
    EXPECT_EQ(block.GetNumEntries(), 0u) << "a damaged block keeps none of the entries read before";
}

} // namespace brumalux
