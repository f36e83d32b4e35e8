// The standalone program's settings file: the files JUCE's properties file wrote keep
// loading and ours load into it, and a damaged file is reported and never overwritten.

#include "userfiles/StandaloneSettings.h"
#include "tests/support/TemporaryHome.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brumalux
{

namespace
{
const char* const audioSetup = "<DEVICESETUP deviceType=\"JACK\" audioOutputDeviceName=\"system\"/>";

juce::PropertiesFile JuceSettings(const juce::File& file)
{
    juce::PropertiesFile::Options options;
    options.storageFormat = juce::PropertiesFile::storeAsXML;
    return juce::PropertiesFile(file, options);
}

TEST(StandaloneSettings, ReadsAndWritesTheLayoutOfJucesPropertiesFiles)
{
    const TemporaryHome home;
    const auto file = StandaloneSettings::DefaultLocation();
    EXPECT_EQ(file.getFullPathName(), juce::String((home.Folder() / ".config/Brumalux.settings").string()));
    {
        auto earlier = JuceSettings(file);
        earlier.setValue("filterState", "QUJD+/==");
        earlier.setValue("audioSetup", juce::parseXML(audioSetup).get());
        ASSERT_TRUE(earlier.save());
    }
    const auto before = file.loadFileAsString();
    StandaloneSettings settings(file);
    EXPECT_TRUE(settings.Problem().isEmpty()) << settings.Problem();
    EXPECT_EQ(settings.getValue("filterState"), "QUJD+/==");
    EXPECT_TRUE(settings.getXmlValue("audioSetup")->isEquivalentTo(juce::parseXML(audioSetup).get(), false));
    ASSERT_TRUE(settings.Save().wasOk());
    EXPECT_EQ(file.loadFileAsString(), before) << "unchanged settings are not written";

    settings.setValue("windowX", 12);
    ASSERT_TRUE(settings.Save().wasOk());
    auto reread = JuceSettings(file);
    EXPECT_EQ(reread.getValue("filterState"), "QUJD+/==");
    EXPECT_EQ(reread.getIntValue("windowX"), 12);
    EXPECT_TRUE(reread.getXmlValue("audioSetup")->isEquivalentTo(juce::parseXML(audioSetup).get(), false));
    EXPECT_EQ(file.getParentDirectory().getNumberOfChildFiles(juce::File::findFiles), 1)
        << "no temporary left";
}

TEST(StandaloneSettings, AMissingFileIsMadeOnSave)
{
    const TemporaryHome home;
    StandaloneSettings settings(StandaloneSettings::DefaultLocation());
    EXPECT_TRUE(settings.Problem().isEmpty());
    settings.setValue("filterState", "AAAA");
    ASSERT_TRUE(settings.Save().wasOk());
    EXPECT_EQ(JuceSettings(StandaloneSettings::DefaultLocation()).getValue("filterState"), "AAAA");
}

TEST(StandaloneSettings, ADamagedFileIsNamedAndLeftAsItIs)
{
    const TemporaryHome home;
    const auto file = StandaloneSettings::DefaultLocation();
    const std::pair<std::string, const char*> damaged[] = {
        {"<?xml version=\"1.0\"?>\n<PROPERTIES>\n  <VALUE name=\"filterState\" val=\"AAAA\"/>\n",
         "not a Brumalux settings file ("},
        {"<OTHER/>", "not a Brumalux settings file (its outer element is <OTHER>)"},
        {std::string("\0\1\2garbage", 10), "not a text file"},
        {std::string(StandaloneSettings::kind.largestSize + 1, ' '), "too large"},
    };
    for (const auto& [content, reason] : damaged)
    {
        home.Write(".config/Brumalux.settings", content);
        StandaloneSettings settings(file);
        EXPECT_TRUE(settings.Problem().startsWith("\"" + file.getFullPathName() + "\": "))
            << settings.Problem();
        EXPECT_TRUE(settings.Problem().contains(reason)) << settings.Problem();
        EXPECT_TRUE(settings.getAllProperties().size() == 0) << "nothing of it is read";
        settings.setValue("filterState", "BBBB");
        EXPECT_TRUE(settings.Save().wasOk());
        juce::MemoryBlock after;
        ASSERT_TRUE(file.loadFileAsData(after));
        EXPECT_EQ(std::string(static_cast<const char*>(after.getData()), after.getSize()), content)
            << "the file is left as it was";
    }

    // One that cannot be read at all (not as root, who reads everything).
    home.Write(".config/Brumalux.settings", "<PROPERTIES/>");
    std::filesystem::permissions(file.getFullPathName().toStdString(), std::filesystem::perms::none);
    if (!file.hasReadAccess())
    {
        StandaloneSettings settings(file);
        EXPECT_TRUE(settings.Problem().contains("cannot be read")) << settings.Problem();
    }
}

TEST(StandaloneSettings, ARunThatKeepsTheFileAsItIsWritesNothing)
{
    const TemporaryHome home;
    home.Write(".config/Brumalux.settings", "<PROPERTIES/>");
    StandaloneSettings settings(StandaloneSettings::DefaultLocation());
    settings.KeepFileAsItIs();
    settings.setValue("filterState", "CCCC");
    EXPECT_TRUE(settings.Save().wasOk());
    EXPECT_EQ(StandaloneSettings::DefaultLocation().loadFileAsString(), "<PROPERTIES/>");
}
} // namespace

} // namespace brumalux
