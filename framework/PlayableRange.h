#pragma once

#include <cmath>
#include <cstdint>

namespace brumalux
{

// The sample rates and block sizes the plug-in plays at, decided here for every layer: a host wrapper
// ignores announcements outside this range and keeps what it had, and a filter prepared with a rate
// outside it stays silent. Any thread.
namespace PlayableRange
{
// From the lowest rate a host offers for audio up to the highest any interface delivers.
constexpr double minSampleRate = 8000.0;
constexpr double maxSampleRate = 768000.0;
// The longest block a filter is prepared for; a longer one is rendered in consecutive slices.
constexpr int maxBlockSize = 1 << 16;

inline bool IsPlayableSampleRate(double rate)
{
    return std::isfinite(rate) && rate >= minSampleRate && rate <= maxSampleRate;
}

inline bool IsPlayableBlockSize(std::int64_t size)
{
    return size >= 1 && size <= maxBlockSize;
}
} // namespace PlayableRange

} // namespace brumalux
