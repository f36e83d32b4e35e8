// A host may load and unload the plug-in binary many times in one process; each time the
// library must leave no thread and no mapping behind.

#include "tests/support/ProcessProbes.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <gtest/gtest.h>

#include <chrono>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::HostRequest;
using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
// Threads end a moment after they are joined from the kernel's point of view.
int ThreadsAfterSettling(int expected)
{
    for (int attempt = 0; attempt < 100 && CountThreads() != expected; ++attempt)
        std::this_thread::sleep_for(std::chrono::milliseconds(10));
    return CountThreads();
}

void RunOneSession(const vst2::PluginEntryProc entry)
{
    PluginInstance host(entry);
    ASSERT_TRUE(host.HasInstance());
    host.Open();
    host.Resume(44100.0f, 128);
    PluginInstance::Channels out(2, std::vector<float>(128));
    host.SendMidi({{3, {0x90, 60, 100}}});
    host.ProcessReplacing(out, 128);
    EXPECT_NE(out[0][127], 0.0f);
    void* chunk = nullptr;
    EXPECT_GT(host.Dispatch(vst2::effGetChunk, 0, 0, &chunk), 0);
}

TEST(LoadUnload, TenTimesLeavesNoThreadAndNoMappingBehind)
{
    const std::string path = BRUMALUX_TEST_PLUGIN;
    const auto threadsBefore = CountThreads();
    for (int round = 0; round < 10; ++round)
    {
        {
            PluginLibrary library(path);
            ASSERT_TRUE(library.IsLoaded()) << library.Error();
            EXPECT_TRUE(IsMapped(path));
            RunOneSession(library.Entry());
            RunOneSession(library.Entry("main"));
        }
        EXPECT_EQ(ThreadsAfterSettling(threadsBefore), threadsBefore) << "round " << round;
        EXPECT_FALSE(IsMapped(path)) << "round " << round;
    }
}

TEST(LoadUnload, InstancesMayOutliveEachOtherInAnyOrder)
{
    const std::string path = BRUMALUX_TEST_PLUGIN;
    const auto threadsBefore = CountThreads();
    {
        PluginLibrary library(path);
        auto first = std::make_unique<PluginInstance>(library.Entry());
        auto second = std::make_unique<PluginInstance>(library.Entry());
        first->Open();
        second->Open();
        first.reset();
        auto third = std::make_unique<PluginInstance>(library.Entry());
        third->Open();
        second.reset();
        EXPECT_GT(CountThreads(), threadsBefore) << "the shared message loop runs while an instance lives";
        third.reset();
        EXPECT_EQ(ThreadsAfterSettling(threadsBefore), threadsBefore);
    }
    EXPECT_FALSE(IsMapped(path));
}
} // namespace

} // namespace brumalux
