#pragma once

#include <chrono>
#include <functional>
#include <thread>

namespace juce
{
// Defined by juce_events; not declared in its public headers.
bool dispatchNextMessageOnSystemQueue(bool returnIfNoPendingMessages);
} // namespace juce

namespace brumalux
{

// The test's thread is JUCE's message thread: these run its loop by hand.

// Delivers every message that is pending now (and any they post in turn).
inline void PumpMessages()
{
    while (juce::dispatchNextMessageOnSystemQueue(true))
    {
    }
}

// Runs the loop until the condition holds or the time is up, and answers the condition: a
// loaded machine may take seconds to paint a large window.
inline bool PumpUntil(const std::function<bool()>& condition,
                      std::chrono::milliseconds timeout = std::chrono::seconds(20))
{
    const auto until = std::chrono::steady_clock::now() + timeout;
    while (!condition() && std::chrono::steady_clock::now() < until)
        if (!juce::dispatchNextMessageOnSystemQueue(true))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    return condition();
}

// Runs the loop for a while, for what has no state to wait for (timers that may or may not fire).
inline void RunMessagesFor(std::chrono::milliseconds duration)
{
    PumpUntil([] { return false; }, duration);
}

} // namespace brumalux
