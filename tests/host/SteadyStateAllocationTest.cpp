// Once resumed, the audio thread's work (MIDI intake and blocks, also longer than the
// host announced) allocates nothing, from the first block on: malloc itself is counted, since JUCE's buffers
// use it directly. Sanitizer builds replace malloc themselves; the test skips there.

#include "InProcessHost.h"

#include <gtest/gtest.h>

#include <vector>

#if defined(__SANITIZE_ADDRESS__)
#define BRUMALUX_MALLOC_REPLACED 1
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
#define BRUMALUX_MALLOC_REPLACED 1
#endif
#endif

#ifndef BRUMALUX_MALLOC_REPLACED
namespace
{
thread_local bool counting = false;
thread_local int allocations = 0;
} // namespace

extern "C" void* __libc_malloc(size_t);
extern "C" void* __libc_calloc(size_t, size_t);
extern "C" void* __libc_realloc(void*, size_t);

extern "C" void* malloc(size_t size)
{
    allocations += counting ? 1 : 0;
    return __libc_malloc(size);
}

extern "C" void* calloc(size_t count, size_t size)
{
    allocations += counting ? 1 : 0;
    return __libc_calloc(count, size);
}

extern "C" void* realloc(void* block, size_t size)
{
    allocations += counting ? 1 : 0;
    return __libc_realloc(block, size);
}
#endif

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
#ifdef BRUMALUX_MALLOC_REPLACED
    GTEST_SKIP() << "the sanitizer owns malloc";
#else
    auto host = HostWrapped({});
    host->Dispatch(vst2::effSetBlockSize, 0, 256);
    host->Resume();
    auto* effect = host->Effect();
    std::vector<HostBlock> blocks;
    for (int i = 0; i < 64; ++i)
        blocks.emplace_back(i % 3 == 0 ? 1000 : 256, 40 + i % 40); // some longer than announced

    counting = true;
    void* volatile probe = ::operator new(16);
    ::operator delete(probe);
    counting = false;
    ASSERT_EQ(allocations, 1) << "the count sees allocations";
    allocations = 0;

    counting = true;
    for (auto& block : blocks)
        block.Play(effect);
    counting = false;

    EXPECT_EQ(allocations, 0);
    EXPECT_NE(blocks.back().left[1], 0.0f) << "the blocks did play";
#endif
}
} // namespace

} // namespace brumalux
