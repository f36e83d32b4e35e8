#include "SharedMessageThread.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <thread>

namespace juce
{
// Defined in JUCE's Linux messaging code; not declared in any of its headers.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
} // namespace juce

namespace brumalux
{

namespace
{
thread_local bool onLoopThread = false;

class MessageLoop
{
public:
    ~MessageLoop() { Stop(); }

    void Start()
    {
        if (worker.joinable())
            return;
        stopRequested = false;
        try
        {
            worker = std::thread([this] { Run(); });
            ++threadsStarted;
        }
        catch (...)
        {
            // Without a thread, messages wait for the host's effEditIdle calls.
        }
    }

    void Stop()
    {
        if (!worker.joinable())
            return;
        stopRequested = true;
        if (onLoopThread)
        {
            // A host that deletes the last instance from inside a request we sent from
            // this very thread: it cannot join itself, it ends after the current message.
            worker.detach();
            return;
        }
        // The loop sleeps until something arrives; a no-op message wakes it up.
        juce::MessageManager::callAsync([] {});
        worker.join();
    }

    // Pausing and resuming the loop: every user, pause and start happens under this mutex.
    void Pause()
    {
        if (pauseDepth++ == 0)
            Stop();
    }

    void Resume()
    {
        if (--pauseDepth == 0 && users > 0)
            Start();
    }

    std::recursive_mutex mutex;
    int users = 0;
    int pauseDepth = 0; // host threads acting as message thread, and open editors
    std::atomic<int> threadsStarted{0};

private:
    void Run()
    {
        onLoopThread = true;
        if (auto* messageManager = juce::MessageManager::getInstanceWithoutCreating())
            messageManager->setCurrentThreadAsMessageThread();
        while (!stopRequested.load())
        {
            // Blocks in poll() until a message or an X event arrives, so the loop costs
            // nothing while the plug-in is idle.
            try
            {
                juce::dispatchNextMessageOnSystemQueue(false);
            }
            catch (...)
            {
                // A throwing callback must not end the thread (std::terminate in a host).
            }
        }
    }

    std::thread worker;
    std::atomic<bool> stopRequested{false};
};

MessageLoop& Loop()
{
    static MessageLoop loop;
    return loop;
}
} // namespace

namespace SharedMessageThread
{
void AddUser()
{
    auto& loop = Loop();
    const std::lock_guard<std::recursive_mutex> guard(loop.mutex);
    if (++loop.users == 1 && loop.pauseDepth == 0)
        loop.Start();
}

void RemoveUser()
{
    auto& loop = Loop();
    const std::lock_guard<std::recursive_mutex> guard(loop.mutex);
    if (--loop.users == 0)
        loop.Stop();
}

bool IsRunning()
{
    auto& loop = Loop();
    const std::lock_guard<std::recursive_mutex> guard(loop.mutex);
    return loop.users > 0 && loop.pauseDepth == 0;
}

bool IsCurrentThread()
{
    return onLoopThread;
}

int ThreadsStarted()
{
    return Loop().threadsStarted.load();
}

void DispatchPendingMessages()
{
    constexpr int maxRounds = 64;
    for (int round = 0; round < maxRounds && juce::dispatchNextMessageOnSystemQueue(true); ++round)
    {
    }
}
} // namespace SharedMessageThread

ScopedHostMessageThread::ScopedHostMessageThread()
{
    if (onLoopThread)
        return;
    auto& loop = Loop();
    lock = std::unique_lock<std::recursive_mutex>(loop.mutex);
    loop.Pause();
    if (auto* messageManager = juce::MessageManager::getInstanceWithoutCreating())
        messageManager->setCurrentThreadAsMessageThread();
}

ScopedHostMessageThread::~ScopedHostMessageThread()
{
    if (!lock.owns_lock())
        return;
    Loop().Resume();
}

ScopedHostDrivenLoop::ScopedHostDrivenLoop()
{
    auto& loop = Loop();
    const std::lock_guard<std::recursive_mutex> guard(loop.mutex);
    loop.Pause();
}

ScopedHostDrivenLoop::~ScopedHostDrivenLoop()
{
    auto& loop = Loop();
    const std::lock_guard<std::recursive_mutex> guard(loop.mutex);
    loop.Resume();
}

} // namespace brumalux
