#include "OrganParameter.h"

#include "params/QuellmarkFilterBase.h"

#include <cmath>

namespace brumalux
{
OrganParameter::OrganParameter(QuellmarkFilterBase& filterToUse, int indexToUse)
    : juce::AudioProcessorParameterWithID(IdentifierFor(filterToUse.GetParameterName(indexToUse)),
                                          filterToUse.GetParameterName(indexToUse)),
      filter(filterToUse),
      index(indexToUse),
      defaultValue(filterToUse.GetNormalisedParameter(indexToUse))
{
}

juce::String OrganParameter::IdentifierFor(const juce::String& name)
{
    juce::String identifier;
    for (auto character : name.toLowerCase())
        identifier +=
            juce::CharacterFunctions::isLetterOrDigit(character) ? character : juce::juce_wchar('_');
    return identifier;
}

float OrganParameter::getValue() const
{
    return filter.GetNormalisedParameter(index);
}

void OrganParameter::setValue(float newValue)
{
    // A NaN or infinity would poison the filter's state for good; no host means one.
    if (std::isfinite(newValue))
        filter.SetNormalisedParameter(index, newValue);
}

juce::String OrganParameter::getText(float normalisedValue, int maximumLength) const
{
    return filter.GetParameterManager()
        .GetParameterTextFor(index, normalisedValue)
        .substring(0, juce::jmax(0, maximumLength));
}

float OrganParameter::getValueForText(const juce::String& text) const
{
    // The range is linear, so its two ends locate any value in it.
    const auto low = filter.GetParameterManager().GetParameterTextFor(index, 0.0f).getFloatValue();
    const auto high = filter.GetParameterManager().GetParameterTextFor(index, 1.0f).getFloatValue();
    if (high == low)
        return getValue();
    return juce::jlimit(0.0f, 1.0f, (text.trim().getFloatValue() - low) / (high - low));
}
} // namespace brumalux
