// While an editor exists the host drives JUCE's message loop through effEditIdle: the shared loop
// thread stays stopped, so idle calls start and stop no thread and whatever the messages do happens
// on the thread that calls effEditIdle. Once the editor is gone the loop runs on its own again.

#include "InProcessHost.h"

#include <gtest/gtest.h>

#include <atomic>
#include <thread>

namespace brumalux
{

namespace
{
TEST(HostDrivenLoop, IdleCallsWithAnEditorOpenRunMessagesOnTheCallerAndStartNoThread)
{
    FakeInstrument::Options options;
    options.withEditor = true;
    auto host = HostWrapped(options);
    host->Open();
    ASSERT_TRUE(SharedMessageThread::IsRunning());
    vst2::ERect* rect = nullptr;
    ASSERT_NE(host->Dispatch(vst2::effEditGetRect, 0, 0, &rect), 0);
    EXPECT_FALSE(SharedMessageThread::IsRunning()) << "the editor exists: the host drives the loop";

    const int threadsBefore = SharedMessageThread::ThreadsStarted();
    std::atomic<int> deliveredElsewhere{0};
    int delivered = 0;
    const auto caller = std::this_thread::get_id();
    for (int idle = 0; idle < 1000; ++idle)
    {
        juce::MessageManager::callAsync(
            [&]
            {
                ++delivered;
                if (std::this_thread::get_id() != caller)
                    ++deliveredElsewhere;
            });
        host->Dispatch(vst2::effEditIdle);
    }
    EXPECT_EQ(SharedMessageThread::ThreadsStarted(), threadsBefore);
    EXPECT_EQ(delivered, 1000) << "each idle call ran what was posted before it";
    EXPECT_EQ(deliveredElsewhere.load(), 0);

    host->Dispatch(vst2::effEditClose);
    EXPECT_TRUE(SharedMessageThread::IsRunning()) << "without an editor the loop runs by itself";
    EXPECT_EQ(SharedMessageThread::ThreadsStarted(), threadsBefore + 1);
}
} // namespace

} // namespace brumalux
