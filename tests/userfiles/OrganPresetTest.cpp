// The player's preset files: saved and loaded back, damaged ones refused or clamped, and a
// load reported to the host as a program change is.

#include "userfiles/OrganPreset.h"
#include "engine/Brumalux.h"
#include "framework/FilterNativeCallbacks.h"
#include "tests/support/TemporaryHome.h"
#include "userfiles/UserFolders.h"

#include <gtest/gtest.h>

#include <cmath>
#include <string>
#include <vector>

namespace brumalux
{

namespace
{
namespace P = ParameterIndex;

// Records what the host would hear: automation per index, and any gesture.
class RecordingCallbacks : public FilterNativeCallbacks
{
public:
    void SetParameterAndTellHost(AudioFilterBase& filter, int index, float normalisedValue) override
    {
        filter.SetNormalisedParameter(index, normalisedValue);
        automated.push_back(index);
    }
    void BeginParameterGesture(AudioFilterBase&, int) override { ++gestures; }
    void EndParameterGesture(AudioFilterBase&, int) override { ++gestures; }

    std::vector<int> automated;
    int gestures = 0;
};

class OrganPresetTest : public ::testing::Test
{
protected:
    void SetUp() override { organ.SetCallbacks(&host); }
    void TearDown() override { organ.SetCallbacks(nullptr); }

    std::vector<float> Values()
    {
        std::vector<float> values;
        for (int i = 0; i < P::count; ++i)
            values.push_back(organ.GetParameterManager().GetValue(i));
        return values;
    }
    juce::File PresetFile(const char* name) { return UserFolders::Presets().getChildFile(name); }
    juce::File Write(const juce::String& text)
    {
        const auto file = PresetFile("written.brumalux-preset");
        file.getParentDirectory().createDirectory();
        file.replaceWithText(text);
        return file;
    }
    juce::String Name() { return organ.GetProgramName(organ.GetCurrentProgram()); }

    TemporaryHome home;
    juce::ScopedJuceInitialiser_GUI juce;
    Brumalux organ;
    RecordingCallbacks host;
};

TEST_F(OrganPresetTest, EveryParameterRoundTripsThroughAReadableFile)
{
    auto& manager = organ.GetParameterManager();
    for (int i = 0; i < P::count; ++i)
    {
        const auto range = manager.GetRange(i);
        manager.SetValueNotifyingHost(i,
                                      range.getStart() + range.getLength() * (0.123456f + 0.029f * float(i)));
    }
    organ.ChangeProgramName(organ.GetCurrentProgram(), "My = sound");
    const auto saved = Values();
    const auto file = PresetFile("Mine/round trip.brumalux-preset");
    ASSERT_TRUE(OrganPreset::Save(file, organ).wasOk());

    const auto text = file.loadFileAsString();
    EXPECT_TRUE(text.startsWith("Brumalux preset\nversion = 1\nname = My = sound\n")) << text;
    EXPECT_TRUE(text.contains("\nTone = ")) << "parameters by name, in their own units";
    EXPECT_EQ(file.getParentDirectory().getNumberOfChildFiles(juce::File::findFilesAndDirectories), 1)
        << "no temporary file left behind";

    organ.SetCurrentProgram(3);
    ASSERT_NE(Values(), saved);
    host.automated.clear();
    ASSERT_TRUE(OrganPreset::Load(file, organ).wasOk());
    const auto loaded = Values();
    for (int i = 0; i < P::count; ++i)
        EXPECT_NEAR(loaded[size_t(i)], saved[size_t(i)], std::abs(saved[size_t(i)]) * 1e-7f)
            << "parameter " << i;
    EXPECT_EQ(Name(), "My = sound");
    EXPECT_EQ(organ.GetCurrentProgram(), 3) << "loaded into the current program";

    // One program change for the host: each value once, no gesture.
    std::vector<int> everyIndex;
    for (int i = 0; i < P::count; ++i)
        everyIndex.push_back(i);
    EXPECT_EQ(host.automated, everyIndex);
    EXPECT_EQ(host.gestures, 0);
}

TEST_F(OrganPresetTest, DamagedFilesChangeNothingAndSayWhy)
{
    const char binary[] = "\x7f"
                          "ELF\0\x01\xff\xfe garbage";
    const std::string garbage(binary, sizeof(binary) - 1);
    const std::pair<const char*, std::string> files[] = {
        {"\", line 1: this is not a Brumalux preset.", "Brumalux pre"},
        {"\": not a text file.", garbage},
        {"\": this is not a Brumalux preset.", ""},
        {"\", line 2: this is not a Brumalux preset.", "\n[Patch]\nTone = 300\n"},
        {"\": the preset is damaged: it has no version.", "Brumalux preset\nname = Lost\nTone = 300\n"},
        {"\", line 5: the preset is damaged: \"DrawBar3\" has no number (\"\").",
         "Brumalux preset\nversion = 1\nTone = 300\n\nDrawBar3 = "},
        {"\", line 3: the preset is damaged: \"Tone\" has no number (\"loud\").",
         "Brumalux preset\nversion = 1\nTone = loud\n"},
        {"has no number (\"nan\")", "Brumalux preset\nversion = 1\nTone = nan\n"},
        {"has no number (\"1e999\")", "Brumalux preset\nversion = 1\nTone = 1e999\n"},
        {"\", line 3: the preset is damaged: the line is not \"name = value\".",
         "Brumalux preset\nversion = 1\nTone 300\n"},
        {"newer version of Brumalux (format version 2)", "Brumalux preset\nversion = 2\nTone = 300\n"},
        {"\", line 2: the preset is damaged: its version is no whole number (\"1e39\").",
         "Brumalux preset\nversion = 1e39\n"},
        {"has no number (\"1e39\")", "Brumalux preset\nversion = 1\nTone = 1e39\n"},
    };
    const auto before = Values();
    const auto nameBefore = Name();
    for (const auto& [expectedMessage, text] : files)
    {
        home.Write(".local/share/Brumalux/Presets/damaged.brumalux-preset", text);
        const auto file = PresetFile("damaged.brumalux-preset");
        const auto result = OrganPreset::Load(file, organ);
        EXPECT_TRUE(result.failed()) << text;
        EXPECT_TRUE(result.getErrorMessage().startsWith("\"" + file.getFullPathName()));
        EXPECT_TRUE(result.getErrorMessage().contains(expectedMessage)) << result.getErrorMessage();
        EXPECT_EQ(Values(), before) << text;
        EXPECT_EQ(Name(), nameBefore);
    }
    EXPECT_TRUE(OrganPreset::Load(PresetFile("missing.brumalux-preset"), organ).failed());
    const auto large =
        Write("Brumalux preset\nversion = 1\n" + juce::String::repeatedString("# pad\n", 20000));
    EXPECT_TRUE(
        OrganPreset::Load(large, organ).getErrorMessage().contains("too large for a Brumalux preset"));
    EXPECT_EQ(Values(), before);
}

TEST_F(OrganPresetTest, ValuesAreClampedUnknownNamesIgnoredAndUnnamedOnesKept)
{
    struct Case
    {
        const char* line;
        int index;
        float expected;
    };
    const Case cases[] = {
        {"Tone = 99999", P::tone, 12000.0f},      {"Tone = 50", P::tone, 100.0f},
        {"DrawBar0 = -3", P::drawbar0, 0.0f},     {"DrawBar8 = 1.5", P::drawbar8, 1.0f},
        {"Osc = 6", P::oscillator, 6.0f},         {"Osc = 9", P::oscillator, 6.0f},
        {"ADSR Rel = 2000", P::release, 1000.0f}, {"Spkr1Spd = 0.25", P::slowSpeed1, 0.25f},
    };
    for (const auto& c : cases)
    {
        auto expected = Values();
        expected[size_t(c.index)] = c.expected;
        const auto file =
            Write(juce::String("Brumalux preset\nversion = 1\n# a comment\nFlux = 3\n\n") + c.line + "\n");
        ASSERT_TRUE(OrganPreset::Load(file, organ).wasOk()) << c.line;
        EXPECT_EQ(Values(), expected) << c.line << ": the value clamped, the parameters not named kept";
    }
    EXPECT_FALSE(Name().isEmpty()) << "a file without a name keeps the program's";
}

TEST_F(OrganPresetTest, AFolderThatCannotBeWrittenGivesAMessage)
{
    const auto folder = UserFolders::Presets();
    folder.getParentDirectory().createDirectory();
    ASSERT_TRUE(folder.replaceWithText("a file where the folder should be"));
    const auto result = OrganPreset::Save(folder.getChildFile("x.brumalux-preset"), organ);
    EXPECT_TRUE(result.failed());
    EXPECT_TRUE(result.getErrorMessage().contains(folder.getFullPathName())) << result.getErrorMessage();
    EXPECT_EQ(folder.loadFileAsString(), "a file where the folder should be");
}
} // namespace

} // namespace brumalux
