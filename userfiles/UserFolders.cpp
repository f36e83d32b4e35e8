#include "UserFolders.h"

namespace brumalux
{

namespace
{
const char* const productFolder = "Brumalux";
} // namespace

juce::File UserFolders::Settings()
{
#if JUCE_WINDOWS
    return juce::File::getSpecialLocation(juce::File::userApplicationDataDirectory)
        .getChildFile(productFolder);
#else
    return juce::File::getSpecialLocation(juce::File::userHomeDirectory)
        .getChildFile(".config")
        .getChildFile(productFolder);
#endif
}

juce::File UserFolders::Presets()
{
#if JUCE_WINDOWS
    return Settings().getChildFile("Presets");
#else
    return juce::File::getSpecialLocation(juce::File::userHomeDirectory)
        .getChildFile(".local/share")
        .getChildFile(productFolder)
        .getChildFile("Presets");
#endif
}

} // namespace brumalux
