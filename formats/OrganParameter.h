#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace brumalux
{
class QuellmarkFilterBase;
// One of the filter's parameters as a JUCE plug-in client sees it. The value lives in the
// filter alone: this object only forwards, in the host's normalised 0..1 view, with the names
// and mapping the VST 2 plug-in has. Its texts are those of a host's own controls: the value in
// its unit with two decimals at most, the shapes by name, the switch as on or off
// (ParameterPresentation). "Unused" keeps its place and id, so saved sessions load, but hosts
// do not offer it for automation.
//
// Threads: hosts call getValue and setValue from any thread, the audio thread included;
// the filter keeps its values in relaxed atomics. Texts are asked for on control threads.
class OrganParameter : public juce::AudioProcessorParameterWithID
{
public:
    OrganParameter(QuellmarkFilterBase& filter, int index);

    float getValue() const override;
    void setValue(float newValue) override;
    float getDefaultValue() const override { return defaultValue; }
    juce::String getText(float normalisedValue, int maximumLength) const override;
    float getValueForText(const juce::String& text) const override;
    juce::String getLabel() const override;
    bool isAutomatable() const override;

private:
    QuellmarkFilterBase& filter;
    const int index;
    const float defaultValue;
};
} // namespace brumalux
