#include "userfiles/OrganStateFile.h"

#include "params/QuellmarkFilterBase.h"

namespace brumalux
{

juce::Result OrganStateFile::Load(const juce::File& file, QuellmarkFilterBase& organ)
{
    const auto bytes = PlayerTextFile::ReadBytes(file, kind);
    if (!bytes.value)
        return juce::Result::fail(bytes.error);
    if (!organ.TryLoadState(bytes.value->getData(), static_cast<int>(bytes.value->getSize())))
        return juce::Result::fail(PlayerTextFile::Describe(
            file, {0, "no Brumalux state (it is damaged, or was saved by another plug-in)"}));
    return juce::Result::ok();
}

} // namespace brumalux
