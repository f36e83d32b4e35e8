#pragma once

#include "HostReport.h"

#include <atomic>
#include <condition_variable>
#include <deque>
#include <memory>
#include <mutex>
#include <thread>

namespace brumalux
{

// What an instance tells its host from the shared message-loop thread (parameter changes, edit
// gestures, a program or settings change), waiting to be sent. That thread is none the host calls us on:
// a host that holds one lock across its calls into us and takes the same lock in every
// callback would block such a report while its own thread, holding the lock, waits for the
// loop to stop (to open an editor, to create or delete an instance). So the loop sends the
// reports between two messages, when it is inside no JUCE call and holds no lock of ours,
// and a host thread stopping the loop does not wait for a report on its way. Reports keep
// their order. One queue per instance; the loop finds them all through Deliver().
class HostReportQueue
{
public:
    // Registered for AnyWaiting() and Deliver() while it lives.
    static std::shared_ptr<HostReportQueue> Create(HostReportSink& sink);

    // The loop thread. Reports beyond a full queue are dropped (a host that takes no reports).
    void Add(const HostReport& report);
    // Sends what waits, one report at a time and never under a lock, until the queue is empty
    // or stop is set. On the loop thread between messages, or on a host thread that runs the
    // loop's messages itself.
    void Send(const std::atomic<bool>& stop);
    // The instance is going away: nothing more is sent. A report on its way from another
    // thread is waited for, as the host may still read the instance's record while it handles
    // it. Any thread but the one that sends.
    void Close();

    // Whether any open queue holds a report: the loop thread, between two messages (only that
    // thread adds reports, so the answer holds until it dispatches again).
    static bool AnyWaiting();
    // Sends the reports of every open queue: the loop thread, between two messages.
    static void Deliver(const std::atomic<bool>& stop);

    explicit HostReportQueue(HostReportSink& sinkToTell) : sink(sinkToTell) {}

private:
    static constexpr size_t capacity = 4096;

    HostReportSink& sink;
    std::mutex mutex;
    std::condition_variable sent;
    std::deque<HostReport> waiting;
    std::thread::id sendingThread;
    bool sending = false;
    bool closed = false;
};

} // namespace brumalux
