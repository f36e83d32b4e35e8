#pragma once

#include "SharedMessageThread.h"

#include <juce_events/juce_events.h>

namespace brumalux
{

// Keeps JUCE initialised and the shared message loop running for as long as an instance
// lives. The instance class inherits from it first, so JUCE is set up before the
// instance's Timer and AsyncUpdater bases and torn down only after them. Construct and
// destroy it inside a ScopedHostMessageThread.
class JuceRuntimeHolder
{
public:
    JuceRuntimeHolder() { SharedMessageThread::AddUser(); }
    ~JuceRuntimeHolder() { SharedMessageThread::RemoveUser(); }

    JuceRuntimeHolder(const JuceRuntimeHolder&) = delete;
    JuceRuntimeHolder& operator=(const JuceRuntimeHolder&) = delete;

private:
    juce::ScopedJuceInitialiser_GUI juceInitialiser;
};

} // namespace brumalux
