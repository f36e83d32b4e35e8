// "Unused" as hosts see it: the value the organ derives from "Distortion" at every block.

#include "engine/Brumalux.h"

namespace brumalux
{

namespace
{
bool IsUnused(int index)
{
    return index == ParameterIndex::clipThresholdScale;
}
} // namespace

float Brumalux::GetNormalisedParameter(int index)
{
    if (!IsUnused(index))
        return QuellmarkFilterBase::GetNormalisedParameter(index);
    // Its range is 0 to 1, so the value is its own normalised value.
    return OutputEffects::ClipThresholdScale(Load(parameters.distortion));
}

juce::String Brumalux::GetParameterText(int index)
{
    if (!IsUnused(index))
        return QuellmarkFilterBase::GetParameterText(index);
    return GetParameterManager().GetParameterTextFor(index, GetNormalisedParameter(index));
}

void Brumalux::SetNormalisedParameter(int index, float normalisedValue)
{
    if (!IsUnused(index))
        QuellmarkFilterBase::SetNormalisedParameter(index, normalisedValue);
}

} // namespace brumalux
