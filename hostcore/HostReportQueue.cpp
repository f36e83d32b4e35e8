#include "HostReportQueue.h"

#include <algorithm>
#include <vector>

namespace brumalux
{

namespace
{
struct Registry
{
    std::mutex mutex;
    std::vector<std::weak_ptr<HostReportQueue>> queues;
};

Registry& Queues()
{
    static Registry registry;
    return registry;
}
} // namespace

std::shared_ptr<HostReportQueue> HostReportQueue::Create(HostReportSink& sink)
{
    auto queue = std::make_shared<HostReportQueue>(sink);
    auto& registry = Queues();
    const std::lock_guard<std::mutex> lock(registry.mutex);
    auto& queues = registry.queues;
    queues.erase(std::remove_if(queues.begin(), queues.end(), [](const auto& q) { return q.expired(); }),
                 queues.end());
    queues.push_back(queue);
    return queue;
}

void HostReportQueue::Add(const HostReport& report)
{
    const std::lock_guard<std::mutex> lock(mutex);
    if (!closed && waiting.size() < capacity)
        waiting.push_back(report);
}

void HostReportQueue::Send(const std::atomic<bool>& stop)
{
    while (!stop.load())
    {
        HostReport report{};
        {
            const std::lock_guard<std::mutex> lock(mutex);
            if (closed || sending || waiting.empty())
                return;
            report = waiting.front();
            waiting.pop_front();
            sending = true;
            sendingThread = std::this_thread::get_id();
        }
        sink.Tell(report);
        {
            const std::lock_guard<std::mutex> lock(mutex);
            sending = false;
        }
        sent.notify_all();
    }
}

void HostReportQueue::Close()
{
    std::unique_lock<std::mutex> lock(mutex);
    closed = true;
    waiting.clear();
    // A host that closes the instance from inside our report cannot wait for itself.
    if (sending && sendingThread == std::this_thread::get_id())
        return;
    sent.wait(lock, [this] { return !sending; });
}

namespace
{
std::vector<std::shared_ptr<HostReportQueue>> OpenQueues()
{
    std::vector<std::shared_ptr<HostReportQueue>> open;
    auto& registry = Queues();
    const std::lock_guard<std::mutex> lock(registry.mutex);
    for (const auto& queue : registry.queues)
        if (auto alive = queue.lock())
            open.push_back(std::move(alive));
    return open;
}
} // namespace

bool HostReportQueue::AnyWaiting()
{
    for (const auto& queue : OpenQueues())
    {
        const std::lock_guard<std::mutex> lock(queue->mutex);
        if (!queue->closed && !queue->waiting.empty())
            return true;
    }
    return false;
}

void HostReportQueue::Deliver(const std::atomic<bool>& stop)
{
    for (const auto& queue : OpenQueues())
        queue->Send(stop);
}

} // namespace brumalux
