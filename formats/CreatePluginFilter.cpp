#include "OrganProcessor.h"

// The function every JUCE plug-in client calls to create an instance.
juce::AudioProcessor* JUCE_CALLTYPE createPluginFilter()
{
    return brumalux::OrganProcessor::Create().release();
}
