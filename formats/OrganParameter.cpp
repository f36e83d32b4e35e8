#include "OrganParameter.h"

#include "params/ParameterPresentation.h"
#include "params/QuellmarkFilterBase.h"

#include <cmath>

namespace brumalux
{
OrganParameter::OrganParameter(QuellmarkFilterBase& filterToUse, int indexToUse)
    : juce::AudioProcessorParameterWithID(
          ParameterPresentation::Symbol(filterToUse.GetParameterName(indexToUse)),
          filterToUse.GetParameterName(indexToUse)),
      filter(filterToUse),
      index(indexToUse),
      defaultValue(filterToUse.GetNormalisedParameter(indexToUse))
{
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
    const auto value = filter.GetParameterManager().ValueFor(index, normalisedValue);
    return ParameterPresentation::Text(index, value).substring(0, juce::jmax(0, maximumLength));
}

float OrganParameter::getValueForText(const juce::String& text) const
{
    const auto value = ParameterPresentation::ValueOf(index, text);
    if (!value)
        return getValue();
    return juce::jlimit(0.0f, 1.0f, filter.GetParameterManager().NormalisedFor(index, *value));
}

juce::String OrganParameter::getLabel() const
{
    return ParameterPresentation::UnitOf(index);
}

bool OrganParameter::isAutomatable() const
{
    return ParameterPresentation::StyleOf(index) != ParameterPresentation::Style::unused;
}
} // namespace brumalux
