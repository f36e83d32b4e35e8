#include "HostIdleState.h"

#include <atomic>

namespace brumalux
{

namespace HostIdleState
{
namespace
{
std::atomic<int> nestingDepth{0};
std::atomic<bool> anyIdleRequestSent{false};
std::atomic<juce::uint32> lastIdleRequestMs{0};
} // namespace

bool IsNesting() noexcept
{
    return nestingDepth.load() > 0;
}

ScopedNesting::ScopedNesting() noexcept
{
    ++nestingDepth;
}

ScopedNesting::~ScopedNesting() noexcept
{
    --nestingDepth;
}

bool ClaimIdleRequest(juce::uint32 nowMs) noexcept
{
    auto last = lastIdleRequestMs.load();
    if (anyIdleRequestSent.load() && nowMs - last <= minIdleIntervalMs)
        return false;
    if (!lastIdleRequestMs.compare_exchange_strong(last, nowMs))
        return false;
    anyIdleRequestSent = true;
    return true;
}
} // namespace HostIdleState

} // namespace brumalux
