// JUCE's message loop inside the plug-in: it runs without host idle calls, is shared by
// every instance, steps aside for host threads that touch the GUI, and ends with the last
// instance.

#include "InProcessHost.h"
#include "host/Vst2InstanceFactory.h"
#include "hostcore/PluginFilterFactory.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <thread>

namespace brumalux
{

namespace
{
// The organ's plug-in instance as the entry point creates it.
vst2::AEffect* CreateOrgan(vst2::HostCallback host)
{
    return CreateVst2Instance(host, &CreateBrumalux);
}

vst2::VstIntPtr AnyHost(vst2::AEffect*, vst2::VstInt32 opcode, vst2::VstInt32, vst2::VstIntPtr, void*, float)
{
    return opcode == vst2::audioMasterVersion ? 2400 : 0;
}

template <typename Condition> bool WaitFor(Condition condition, int timeoutMs)
{
    for (int waited = 0; waited < timeoutMs && !condition(); waited += 5)
        std::this_thread::sleep_for(std::chrono::milliseconds(5));
    return condition();
}

TEST(SharedMessageThread, RunsWhileInstancesLiveAndStepsAsideForHostThreads)
{
    EXPECT_FALSE(SharedMessageThread::IsRunning());
    auto first = std::make_unique<PluginInstance>(CreateOrgan);
    auto second = std::make_unique<PluginInstance>(CreateOrgan);
    ASSERT_TRUE(first->HasInstance());
    ASSERT_TRUE(second->HasInstance());
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

    first.reset();
    EXPECT_TRUE(SharedMessageThread::IsRunning()) << "the second instance still uses the loop";
    second.reset();
    EXPECT_FALSE(SharedMessageThread::IsRunning());
    EXPECT_EQ(juce::MessageManager::getInstanceWithoutCreating(), nullptr)
        << "JUCE went with the last instance";
}

TEST(SharedMessageThread, TimerEmptiesTheChunkMemoryWithoutHostIdleCalls)
{
    PluginInstance opened(CreateOrgan);
    PluginInstance neverOpened(CreateOrgan);
    opened.Open();
    ASSERT_FALSE(opened.State().empty());
    ASSERT_FALSE(neverOpened.State().empty());
    EXPECT_GT(JuceVSTWrapper::FromEffect(opened.Effect())->GetChunkMemorySize(), 0u);

    std::this_thread::sleep_for(std::chrono::milliseconds(1500));
    EXPECT_GT(JuceVSTWrapper::FromEffect(opened.Effect())->GetChunkMemorySize(), 0u)
        << "still within its two seconds";
    EXPECT_TRUE(
        WaitFor([&] { return JuceVSTWrapper::FromEffect(opened.Effect())->GetChunkMemorySize() == 0; }, 1500))
        << "three seconds after effGetChunk the memory is gone";
    EXPECT_GT(JuceVSTWrapper::FromEffect(neverOpened.Effect())->GetChunkMemorySize(), 0u)
        << "no effOpen, no timer";
}

TEST(SharedMessageThread, FailedCreationLeavesNothingBehind)
{
    EXPECT_FALSE(PluginInstance(CreateOrgan, 0).HasInstance()) << "a host without a version";
    EXPECT_EQ(CreateVst2Instance(nullptr, &CreateBrumalux), nullptr);
    EXPECT_EQ(CreateVst2Instance(AnyHost, nullptr), nullptr) << "no filter to wrap";
    EXPECT_FALSE(SharedMessageThread::IsRunning());
    EXPECT_EQ(juce::MessageManager::getInstanceWithoutCreating(), nullptr);
}
} // namespace

} // namespace brumalux
