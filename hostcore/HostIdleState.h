#pragma once

#include <juce_core/juce_core.h>

namespace brumalux
{

// Idle bookkeeping shared by every instance in the process. The nesting flag marks work
// that must not start again from inside itself (editor idle, editor close, an idle request
// to the host that may call us back). It counts, so nested users do not clear it early.
// Used on the message thread; atomic because our loop thread and the host's threads take
// that role in turn.
namespace HostIdleState
{
constexpr juce::uint32 minIdleIntervalMs = 20;

bool IsNesting() noexcept;

class ScopedNesting
{
public:
    ScopedNesting() noexcept;
    ~ScopedNesting() noexcept;

    ScopedNesting(const ScopedNesting&) = delete;
    ScopedNesting& operator=(const ScopedNesting&) = delete;
};

// Whether an idle request may go to the host now: more than minIdleIntervalMs since the
// last one of any instance. When it may, now becomes the time of the last request.
bool ClaimIdleRequest(juce::uint32 nowMs) noexcept;
} // namespace HostIdleState

} // namespace brumalux
