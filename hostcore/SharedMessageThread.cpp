#include "SharedMessageThread.h"

#include "HostReportQueue.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <condition_variable>
#include <memory>
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
// One run of the loop thread, from its start until it stops.
struct LoopRun
{
    std::atomic<bool> stopRequested{false};
    // Set when a stopping host thread leaves the run to end by itself: it is no longer the
    // loop, and no longer JUCE's message thread.
    std::atomic<bool> detached{false};
    std::mutex mutex;
    std::condition_variable changed;
    bool sendingReports = false;
    bool finished = false;
};

thread_local LoopRun* currentRun = nullptr;

bool OnLoopThread()
{
    return currentRun != nullptr && !currentRun->detached.load();
}

class MessageLoop
{
public:
    ~MessageLoop() { Stop(); }

    void Start()
    {
        if (worker.joinable())
            return;
        try
        {
            auto run = std::make_shared<LoopRun>();
            worker = std::thread([run] { Run(*run); });
            currentWorkerRun = std::move(run);
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
        auto& run = *currentWorkerRun;
        run.stopRequested = true;
        if (OnLoopThread())
        {
            // A host that deletes the last instance from inside a request we sent from
            // this very thread: it cannot join itself, it ends after the current message.
            LeaveToEnd(run);
            return;
        }
        // The loop sleeps until something arrives; a no-op message wakes it up.
        juce::MessageManager::callAsync([] {});
        std::unique_lock<std::mutex> lock(run.mutex);
        run.changed.wait(lock, [&run] { return run.finished || run.sendingReports; });
        if (run.finished)
        {
            lock.unlock();
            worker.join();
            return;
        }
        // A report on its way may be waiting for the host, which may be waiting for us:
        // the run ends once the host has taken the report, touching nothing of JUCE.
        lock.unlock();
        LeaveToEnd(run);
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
    void LeaveToEnd(LoopRun& run)
    {
        run.detached = true;
        worker.detach();
    }

    static void Run(LoopRun& run)
    {
        currentRun = &run;
        if (auto* messageManager = juce::MessageManager::getInstanceWithoutCreating())
            messageManager->setCurrentThreadAsMessageThread();
        while (SendReports(run))
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
        {
            const std::lock_guard<std::mutex> lock(run.mutex);
            run.finished = true;
        }
        run.changed.notify_all();
    }

    // Between two messages: sends the instances' reports to their hosts. False once the run
    // is to stop.
    // Only while reports are on their way may a stopping host thread leave the run to end by
    // itself; otherwise it joins the thread, so none outlives the library's last user.
    static bool SendReports(LoopRun& run)
    {
        if (!HostReportQueue::AnyWaiting())
            return !run.stopRequested.load();
        {
            const std::lock_guard<std::mutex> lock(run.mutex);
            if (run.stopRequested.load())
                return false;
            run.sendingReports = true;
        }
        run.changed.notify_all();
        HostReportQueue::Deliver(run.stopRequested);
        const std::lock_guard<std::mutex> lock(run.mutex);
        run.sendingReports = false;
        return !run.stopRequested.load();
    }

    std::thread worker;
    std::shared_ptr<LoopRun> currentWorkerRun;
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
    return OnLoopThread();
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
    if (OnLoopThread())
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
