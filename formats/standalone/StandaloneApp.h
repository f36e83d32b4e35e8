#pragma once

#include "StartOptions.h"

namespace juce
{
class JUCEApplicationBase;
}

namespace brumalux
{

// The standalone program as JUCE runs it, started as the options say: in its window, or
// without one (--no-gui).
juce::JUCEApplicationBase* CreateStandaloneApp(const StartOptions& options);

} // namespace brumalux
