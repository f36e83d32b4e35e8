// Once resumed, the audio thread's work (MIDI intake and blocks, also longer than the
// host announced) allocates nothing, from the first block on.

#include "InProcessHost.h"
#include "tests/support/AllocationCount.h"

#include <gtest/gtest.h>

#include <vector>

namespace brumalux
{

namespace
{
struct HostBlock
{
    std::vector<vst2::VstMidiEvent> records;
    std::vector<vst2::VstIntPtr> list;
    std::vector<float> left, right;
    std::vector<float*> outputs;

    HostBlock(int numFrames, int firstNote) : records(4), list(2 + 4), left(numFrames), right(numFrames)
    {
        auto* header = reinterpret_cast<vst2::VstEvents*>(list.data());
        header->numEvents = 4;
        auto** entries = reinterpret_cast<vst2::VstEvent**>(list.data() + 2);
        for (int i = 0; i < 4; ++i)
        {
            auto& record = records[static_cast<size_t>(i)];
            record.type = vst2::kVstMidiType;
            record.byteSize = sizeof(record);
            record.deltaFrames = i * numFrames / 4;
            record.midiData[0] = char(i % 2 == 0 ? 0x90 : 0x80);
            record.midiData[1] = char(firstNote + i / 2);
            record.midiData[2] = 100;
            entries[i] = reinterpret_cast<vst2::VstEvent*>(&record);
        }
        outputs = {left.data(), right.data()};
    }

    void Play(vst2::AEffect* effect)
    {
        effect->dispatcher(effect, vst2::effProcessEvents, 0, 0, list.data(), 0.0f);
        effect->processReplacing(effect, nullptr, outputs.data(), static_cast<vst2::VstInt32>(left.size()));
    }
};

TEST(SteadyState, AudioThreadWorkAllocatesNothing)
{
    auto host = HostWrapped({});
    host->Dispatch(vst2::effSetBlockSize, 0, 256);
    host->Resume();
    auto* effect = host->Effect();
    std::vector<HostBlock> blocks;
    for (int i = 0; i < 64; ++i)
        blocks.emplace_back(i % 3 == 0 ? 1000 : 256, 40 + i % 40); // some longer than announced

    {
        const ThreadAllocationCount probe;
        void* volatile memory = ::operator new(16);
        ::operator delete(memory);
        ASSERT_EQ(probe.Count(), 1) << "the count sees allocations";
    }

    const ThreadAllocationCount allocations;
    for (auto& block : blocks)
        block.Play(effect);
    EXPECT_EQ(allocations.Count(), 0);
    EXPECT_NE(blocks.back().left[1], 0.0f) << "the blocks did play";
}
} // namespace

} // namespace brumalux
