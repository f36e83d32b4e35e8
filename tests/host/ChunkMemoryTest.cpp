#include "host/ChunkMemory.h"
#include "FakeInstrument.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
TEST(ChunkMemory, HandsOutTheFiltersStateAndKeepsItTwoSeconds)
{
    FakeInstrument filter;
    ChunkMemory chunk;
    void* data = nullptr;
    const auto size = chunk.HandOut(filter, &data, 1000);
    juce::MemoryBlock expected;
    filter.SaveState(expected);
    ASSERT_EQ(size, static_cast<juce::int64>(expected.getSize()));
    EXPECT_EQ(juce::MemoryBlock(data, static_cast<size_t>(size)), expected);

    chunk.ExpireIfOld(3000);
    EXPECT_EQ(chunk.GetSize(), expected.getSize()) << "exactly 2000 ms is not more than 2000 ms";
    chunk.ExpireIfOld(3001);
    EXPECT_EQ(chunk.GetSize(), 0u);
}

TEST(ChunkMemory, AgeIsMeasuredAcrossTheCountersWrap)
{
    FakeInstrument filter;
    ChunkMemory chunk;
    void* data = nullptr;
    chunk.HandOut(filter, &data, 0xffffff00u);
    chunk.ExpireIfOld(0x00000100u); // 512 ms later
    EXPECT_GT(chunk.GetSize(), 0u);
    chunk.ExpireIfOld(0x00000800u); // 2304 ms later
    EXPECT_EQ(chunk.GetSize(), 0u);
}

TEST(ChunkMemory, EachHandOutReplacesTheLastAndRestartsTheClock)
{
    FakeInstrument filter;
    ChunkMemory chunk;
    void* first = nullptr;
    void* second = nullptr;
    chunk.HandOut(filter, &first, 0);
    chunk.HandOut(filter, &second, 1500);
    chunk.ExpireIfOld(3000);
    EXPECT_GT(chunk.GetSize(), 0u);

    chunk.Clear();
    EXPECT_EQ(chunk.GetSize(), 0u);
    chunk.ExpireIfOld(100000);
    EXPECT_EQ(chunk.GetSize(), 0u);
    EXPECT_EQ(chunk.HandOut(filter, nullptr, 0), 0);
}

TEST(ChunkMemory, ABlockHandedOutOutlivesTheRequestsThatFollowIt)
{
    // A host thread may still be copying a chunk while another asks for the next one or
    // hands one in; and some hosts hand our own block straight back to effSetChunk.
    FakeInstrument filter;
    ChunkMemory chunk;
    void* first = nullptr;
    const auto size = chunk.HandOut(filter, &first, 0);
    const juce::MemoryBlock copy(first, static_cast<size_t>(size));
    for (size_t request = 1; request < ChunkMemory::keptBlocks; ++request)
    {
        void* later = nullptr;
        chunk.HandOut(filter, &later, 10);
    }
    chunk.Clear();
    chunk.ExpireIfOld(1000);
    EXPECT_EQ(juce::MemoryBlock(first, static_cast<size_t>(size)), copy);
}
} // namespace

} // namespace brumalux
