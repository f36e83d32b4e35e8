// JUCE's message loop inside the plug-in: it runs without host idle calls, is shared by
// every instance, steps aside for host threads that touch the GUI, and ends with the last
// instance.

#include "InProcessHost.h"
#include "host/PluginFilterFactory.h"
#include "host/Vst2InstanceFactory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace
{
template <typename Condition> bool WaitFor(Condition condition, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs && !condition(); waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

TEST(SharedMessageThread, RunsWhileInstancesLiveAndStepsAsideForHostThreads)
{
    EXPECT_FALSE(SharedMessageThread::IsRunning());
    auto* first = CreateVst2Instance(&RecordedRequests::Callback, &CreateBrumalux);
    auto* second = CreateVst2Instance(&RecordedRequests::Callback, &CreateBrumalux);
    ASSERT_NE(first, nullptr);
    ASSERT_NE(second, nullptr);
    EXPECT_TRUE(SharedMessageThread::IsRunning());

    std::atomic<bool> deliveredOnLoop{false};
    juce::MessageManager::callAsync([&] { deliveredOnLoop = SharedMessageThread::IsCurrentThread(); });
    EXPECT_TRUE(WaitFor([&] { return deliveredOnLoop.load(); }, 2000)) << "posted messages run on the loop";

    {
        const ScopedHostMessageThread hostThread;
        EXPECT_FALSE(SharedMessageThread::IsRunning());
        EXPECT_TRUE(juce::MessageManager::getInstance()->isThisTheMessageThread());
    }
    EXPECT_TRUE(SharedMessageThread::IsRunning());

    Close(first);
    EXPECT_TRUE(SharedMessageThread::IsRunning()) << "the second instance still uses the loop";
    Close(second);
    EXPECT_FALSE(SharedMessageThread::IsRunning());
    EXPECT_EQ(juce::MessageManager::getInstanceWithoutCreating(), nullptr)
        << "JUCE went with the last instance";
}

TEST(SharedMessageThread, TimerEmptiesTheChunkMemoryWithoutHostIdleCalls)
{
    auto* opened = CreateVst2Instance(&RecordedRequests::Callback, &CreateBrumalux);
    auto* neverOpened = CreateVst2Instance(&RecordedRequests::Callback, &CreateBrumalux);
    Dispatch(opened, vst2::effOpen);
    void* data = nullptr;
    ASSERT_GT(Dispatch(opened, vst2::effGetChunk, 0, 0, &data), 0);
    ASSERT_GT(Dispatch(neverOpened, vst2::effGetChunk, 0, 0, &data), 0);
    EXPECT_GT(JuceVSTWrapper::FromEffect(opened)->GetChunkMemorySize(), 0u);

    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_GT(JuceVSTWrapper::FromEffect(opened)->GetChunkMemorySize(), 0u) << "still within its two seconds";
    EXPECT_TRUE(WaitFor([&] { return JuceVSTWrapper::FromEffect(opened)->GetChunkMemorySize() == 0; }, 1500))
        << "three seconds after effGetChunk the memory is gone";
    EXPECT_GT(JuceVSTWrapper::FromEffect(neverOpened)->GetChunkMemorySize(), 0u) << "no effOpen, no timer";
    Close(opened);
    Close(neverOpened);
}

TEST(SharedMessageThread, FailedCreationLeavesNothingBehind)
{
    const auto noVersion = [](vst2::AEffect*, vst2::VstInt32, vst2::VstInt32, vst2::VstIntPtr, void*,
                              float) -> vst2::VstIntPtr { return 0; };
    EXPECT_EQ(CreateVst2Instance(noVersion, &CreateBrumalux), nullptr);
    EXPECT_EQ(CreateVst2Instance(nullptr, &CreateBrumalux), nullptr);
    EXPECT_EQ(CreateVst2Instance(&RecordedRequests::Callback, nullptr), nullptr);
    EXPECT_FALSE(SharedMessageThread::IsRunning());
    EXPECT_EQ(juce::MessageManager::getInstanceWithoutCreating(), nullptr);
}
} // namespace
