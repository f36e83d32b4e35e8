#pragma once

#include <string>

namespace brumalux
{

// Why the standalone program cannot show its window here (no DISPLAY, or one that cannot
// be opened); empty when it can. Asked before JUCE starts: JUCE would fall back to ":0.0"
// for an empty DISPLAY and fail later, after it has started, where it cannot be caught.
std::string WhyNoDisplay();

} // namespace brumalux
