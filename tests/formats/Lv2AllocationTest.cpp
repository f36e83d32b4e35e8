// The LV2 plug-in's run() allocates nothing, from the first block on, whatever a block brings:
// notes, control ports moved, mapped controllers and Program Changes from MIDI, a notification
// to the host. The audio thread's allocations are counted (tests/support/AllocationCount), in the
// plug-in as the host loads it.

#include "LilvHost.h"
#include "tests/support/AllocationCount.h"

#include <gtest/gtest.h>

#include <cmath>

namespace brumalux
{

namespace
{
TEST(Lv2SteadyState, RunAllocatesNothing)
{
    Lv2Bundle bundle{BRUMALUX_LV2_BUNDLE};
    ASSERT_NE(bundle.Plugin(), nullptr);
    Lv2Organ organ(bundle);
    ASSERT_TRUE(organ.IsInstantiated());
    std::vector<std::vector<Lv2Organ::MidiEvent>> blocks;
    for (int i = 0; i < 64; ++i)
    {
        const auto note = static_cast<uint8_t>(40 + i % 40);
        std::vector<Lv2Organ::MidiEvent> events{{0, {0x90, note, 100}}, {128, {0x80, note, 0}}};
        if (i % 8 == 3)
            events.push_back({30, {0xC0, static_cast<uint8_t>(i % 10), 0}});
        if (i % 4 == 1)
            events.push_back({60, {0xB0, 70, static_cast<uint8_t>(i)}});
        blocks.push_back(events);
    }

    {
        const ThreadAllocationCount probeCount;
        void* volatile probe = ::operator new(16);
        ::operator delete(probe);
        ASSERT_EQ(probeCount.Count(), 1) << "the count sees allocations";
    }

    float loudest = 0.0f;
    long allocations = 0;
    for (size_t i = 0; i < blocks.size(); ++i)
    {
        organ.SetControl("tone", 1000.0f + 100.0f * static_cast<float>(i));
        {
            const ThreadAllocationCount count;
            organ.Render(blocks[i]);
            allocations += count.Count();
        }
        loudest = std::max(loudest, std::abs(organ.Output(0)[64]));
    }
    EXPECT_EQ(allocations, 0);
    EXPECT_GT(loudest, 0.0f) << "the blocks did play";
}
} // namespace

} // namespace brumalux
