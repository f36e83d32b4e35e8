// The controller map as the player's text file: written and read back, damaged files
// refused with the line at fault, and the player's default handed to every new organ.

#include "userfiles/ControllerMapFile.h"
#include "tests/support/TemporaryHome.h"
#include "userfiles/CreateOrgan.h"
#include "userfiles/UserFolders.h"

#include <gtest/gtest.h>

namespace brumalux
{

namespace
{
namespace P = ParameterIndex;
namespace T = ControllerTarget;

// The default map changed as a player would change it, every option among the changes.
ControllerMap PlayersMap()
{
    const std::pair<int, ControllerBinding> changes[] = {
        {71, {P::drawbar0 + 1, true}},
        {78, {}},
        {21, {P::vibrato}},
        {66, {T::speakerSpeed, false, SwitchMode::latching}},
        {67, {P::speakerOn, true, SwitchMode::momentary}},
    };
    auto map = ControllerMap::Default();
    for (const auto& [controller, binding] : changes)
        map.Set(controller, binding);
    return map;
}

juce::StringArray Names()
{
    return Brumalux().Controllers().ParameterNames();
}

TEST(ControllerMapFile, TextRoundTripsAndNamesTheLineAtFault)
{
    const auto names = Names();
    const auto text = ControllerMapFile::ToText(PlayersMap(), names);
    EXPECT_TRUE(text.contains("71 = DrawBar1, inverted\n"));
    EXPECT_TRUE(text.contains("67 = Spkr On, inverted, momentary\n"));
    EXPECT_EQ(ControllerMapFile::FromText(text, names).value, PlayersMap());

    const auto read = ControllerMapFile::FromText(
        "# my drawbars\n\n  Brumalux controller map 1  \n# the upper manual\n 70 =drawbar3 , INVERTED\n",
        names);
    ASSERT_TRUE(read.value) << read.fault.reason;
    EXPECT_EQ(read.value->Binding(70), (ControllerBinding{P::drawbar0 + 3, true}));
    EXPECT_EQ(read.value->ControllersFor(P::drawbar0), std::vector<int>{});

    const juce::String header = "Brumalux controller map 1\n";
    struct Broken
    {
        juce::String content;
        int line;
        const char* reason;
    };
    const std::vector<Broken> broken{
        {"", 0, "the file is empty"},
        {"# mine\n70 = DrawBar0\n", 2, "not a Brumalux controller map"},
        {header + "70 DrawBar0\n", 2, "expected"},
        {header + "\n200 = DrawBar0\n", 3, "the controller must be a number"},
        {header + "-1 = DrawBar0\n", 2, "the controller must be a number"},
        {header + "70 = Foo\n", 2, "\"Foo\" is no control"},
        {header + "70 = Unused\n", 2, "\"Unused\" is no control"},
        {header + "70 = DrawBar0, sideways\n", 2, "unknown option"},
        {header + "70 = DrawBar0\n\n70 = DrawBar1\n", 4, "controller 70 is listed twice"},
        {header + "64 = DrawBar0\n", 2, "keeps its own meaning"},
        {header + "70 = DrawBar0, latching\n", 2, "Spkr On and Speaker Speed only"},
    };
    for (const auto& [content, line, reason] : broken)
    {
        const auto result = ControllerMapFile::FromText(content, names);
        EXPECT_FALSE(result.value) << content;
        EXPECT_EQ(result.fault.line, line) << content;
        EXPECT_TRUE(result.fault.reason.contains(reason)) << content << " gave: " << result.fault.reason;
    }
}

TEST(ControllerMapFile, WritesWholeFilesAndRefusesWhatIsNoMap)
{
    const auto names = Names();
    const juce::TemporaryFile folder;
    ASSERT_TRUE(folder.getFile().createDirectory());
    const auto file = folder.getFile().getChildFile("deeper/map.txt");
    EXPECT_TRUE(ControllerMapFile::Write(file, PlayersMap(), names).wasOk());
    EXPECT_EQ(ControllerMapFile::Read(file, names).value, PlayersMap());
    EXPECT_EQ(file.getParentDirectory().getNumberOfChildFiles(juce::File::findFiles), 1)
        << "no temporary left";

    const auto binary = folder.getFile().getChildFile("binary");
    binary.replaceWithData("Brumalux controller map 1\n\0\1", 28);
    juce::String huge = "Brumalux controller map 1\n";
    while (huge.length() <= ControllerMapFile::kind.largestSize)
        huge << "# padding\n";
    const auto large = folder.getFile().getChildFile("large");
    large.replaceWithText(huge);
    const auto misplaced = folder.getFile().getChildFile("misplaced");
    misplaced.replaceWithText("Brumalux controller map 1\n70 = DrawBar0\n71 = Tone, latching\n");
    const std::vector<std::pair<juce::File, juce::String>> unreadable{
        {folder.getFile().getChildFile("missing"), "\": no such file."},
        {folder.getFile(), "\": no such file."},
        {binary, "\": not a text file."},
        {large, "\": too large for a Brumalux controller map (over 64 KB)."},
        {misplaced, "\", line 3: latching and momentary apply to Spkr On and Speaker Speed only."},
    };
    for (const auto& [path, error] : unreadable)
    {
        const auto result = ControllerMapFile::Read(path, names);
        EXPECT_FALSE(result.value);
        EXPECT_EQ(result.error, "\"" + path.getFullPathName() + error);
    }

    const auto example = ControllerMapFile::Read(juce::File(BRUMALUX_EXAMPLE_CONTROLLER_MAP), names);
    ASSERT_TRUE(example.value) << example.error;
    EXPECT_EQ(example.value->Binding(78), (ControllerBinding{P::drawbar8, true}));
    EXPECT_EQ(example.value->Binding(66), (ControllerBinding{T::speakerSpeed, false, SwitchMode::latching}));
}

// The organ reads no file itself; the one creation function hands it the player's default,
// and passes over a default that cannot be read.
TEST(CreateOrgan, StartsWithThePlayersDefaultMapWhenItCanBeRead)
{
    const TemporaryHome home;
    const auto names = Names();
    ASSERT_TRUE(ControllerMapFile::Write(ControllerMapFile::UserDefault(), PlayersMap(), names).wasOk());
    EXPECT_EQ(ControllerMapFile::UserDefault(), UserFolders::Settings().getChildFile("ControllerMap.txt"));
    EXPECT_EQ(CreateOrgan(nullptr)->Controllers().Map(), PlayersMap());
    EXPECT_EQ(Brumalux().Controllers().Map(), ControllerMap::Default()) << "the organ alone reads nothing";

    ASSERT_TRUE(
        ControllerMapFile::UserDefault().replaceWithText("Brumalux controller map 1\n70 = Nothing\n"));
    EXPECT_EQ(CreateOrgan(nullptr)->Controllers().Map(), ControllerMap::Default());
}
} // namespace

} // namespace brumalux
