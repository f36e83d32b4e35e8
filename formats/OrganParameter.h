#pragma once

#include <juce_audio_processors/juce_audio_processors.h>

namespace brumalux
{
class QuellmarkFilterBase;
// One of the filter's parameters as a JUCE plug-in client sees it. The value lives in the
// filter alone: this object only forwards, in the host's normalised 0..1 view, so names,
// mapping and display texts are the ones the VST 2 plug-in shows.
//
// Threads: hosts call getValue and setValue from any thread, the audio thread included;
// the filter keeps its values in relaxed atomics. Texts are asked for on control threads.
class OrganParameter : public juce::AudioProcessorParameterWithID
{
public:
    OrganParameter(QuellmarkFilterBase& filter, int index);

    // A stable identifier made from the name: VST3 derives the parameter's id from it and
    // LV2 its URI, so it must not change between versions.
    static juce::String IdentifierFor(const juce::String& name);

    float getValue() const override;
    void setValue(float newValue) override;
    float getDefaultValue() const override { return defaultValue; }
    juce::String getText(float normalisedValue, int maximumLength) const override;
    float getValueForText(const juce::String& text) const override;
    bool isAutomatable() const override { return true; }

private:
    QuellmarkFilterBase& filter;
    const int index;
    const float defaultValue;
};
} // namespace brumalux
