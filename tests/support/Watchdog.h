#pragma once

#include <chrono>
#include <condition_variable>
#include <cstdio>
#include <cstdlib>
#include <mutex>
#include <thread>

namespace brumalux
{

// Ends the test program when the scope it guards does not finish in time: a deadlock would
// otherwise only show as a timeout, without a word about where.
class Watchdog
{
public:
    Watchdog(std::chrono::seconds limit, const char* whatHung)
        : thread(
              [this, limit, whatHung]
              {
                  std::unique_lock<std::mutex> lock(mutex);
                  if (!finished.wait_for(lock, limit, [this] { return done; }))
                  {
                      std::fprintf(stderr, "deadlock: %s did not finish in time\n", whatHung);
                      std::abort();
                  }
              })
    {
    }

    ~Watchdog()
    {
        {
            const std::lock_guard<std::mutex> lock(mutex);
            done = true;
        }
        finished.notify_one();
        thread.join();
    }

    Watchdog(const Watchdog&) = delete;
    Watchdog& operator=(const Watchdog&) = delete;

private:
    std::mutex mutex;
    std::condition_variable finished;
    bool done = false;
    std::thread thread;
};

} // namespace brumalux
