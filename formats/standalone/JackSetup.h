#pragma once

#include <juce_core/juce_core.h>

namespace brumalux
{

// What the standalone program needs from JACK before JUCE opens its devices.
namespace JackSetup
{
// libjack prints a screen of its own messages when no server runs ("Cannot connect to
// server socket", ...). JUCE installs its own handler only after its device scan has
// opened a client, so this comes first. Before any other JACK call.
void SilenceLibjack();

// The JACK output JUCE would pick by default ("system"); empty when no server runs.
juce::String DefaultOutput();
} // namespace JackSetup

} // namespace brumalux
