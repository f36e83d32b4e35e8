// The standalone program started every way a player may start it, each a row of one
// table: with and without a display, asking for help or its version, with an option it
// does not know, with a damaged settings file or a state file that is not there, and
// playing without a window from JACK.
// What it says, where, and how it ends; libjack's own messages never show.

#include "tests/formats/JackSession.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/X11TestDisplay.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <fstream>
#include <ostream>
#include <sstream>
#include <string>
#include <vector>

namespace brumalux
{

namespace
{
namespace fs = std::filesystem;

enum class Screen
{
    none,       // no DISPLAY at all
    unopenable, // a DISPLAY that names no X server
    test,       // the test's own X display
};

enum class Ending
{
    byItself,       // it answers and exits
    windowThenTerm, // a window with this title shows, then SIGTERM
    playedThenTerm, // it plays a note from JACK MIDI into JACK audio, then SIGTERM
};

struct StartupRow
{
    const char* name;
    std::vector<std::string> arguments;
    Screen screen;
    const char* settingsFile; // the settings the player has; none when null
    Ending ending;
    const char* window; // for windowThenTerm
    int exitCode;
    std::vector<std::string> sayOnOutput;
    std::vector<std::string> sayOnError; // "{settings}" stands for the settings file's path
    int errorLines;
};

const char* const damagedSettings = "<?xml version=\"1.0\"?>\n<PROPERTIES>\n  <VALUE name=\"audioSetup\">";
const char* const noDisplayAdvice =
    ": to play without a window, start brumalux --no-gui; to render MIDI files, use brumalux-render\n";

const StartupRow rows[] = {
    {"NoDisplay",
     {},
     Screen::none,
     nullptr,
     Ending::byItself,
     nullptr,
     1,
     {},
     {std::string("brumalux: there is no X display (DISPLAY is not set)") + noDisplayAdvice},
     1},
    {"DisplayThatCannotBeOpened",
     {},
     Screen::unopenable,
     nullptr,
     Ending::byItself,
     nullptr,
     1,
     {},
     {std::string("brumalux: the X display \":2047\" cannot be opened") + noDisplayAdvice},
     1},
    {"Help",
     {"--help"},
     Screen::none,
     nullptr,
     Ending::byItself,
     nullptr,
     0,
     {"Usage: brumalux [OPTIONS]\n", "\n      --no-gui  ", "\n      --program N  ", "\n      --polyphony N  ",
      "\n      --state FILE  ", "\n  -h, --help  ", "\n      --version  ", "brumalux-render"},
     {},
     0},
    {"Version",
     {"--version"},
     Screen::none,
     nullptr,
     Ending::byItself,
     nullptr,
     0,
     {"brumalux " BRUMALUX_VERSION "\n"},
     {},
     0},
    {"UnknownOption",
     {"--no-gui", "--loud"},
     Screen::none,
     nullptr,
     Ending::byItself,
     nullptr,
     2,
     {},
     {"brumalux: unknown option \"--loud\"\nUsage: brumalux [--no-gui] [--program N] [--polyphony N] "
      "[--state FILE]",
      "Try 'brumalux --help'"},
     3},
    {"VoiceLimitOutOfRange",
     {"--no-gui", "--polyphony=4"},
     Screen::none,
     nullptr,
     Ending::byItself,
     nullptr,
     2,
     {},
     {"brumalux: --polyphony wants a number of voices from 8 to 256, not \"4\"\n"},
     3},
    {"DamagedSettingsFile",
     {},
     Screen::test,
     damagedSettings,
     Ending::windowThenTerm,
     "Settings not read",
     0,
     {},
     {"brumalux: \"{settings}\": not a Brumalux settings file (",
      "). Brumalux starts with default settings and leaves the file as it is: nothing is saved this time.\n"},
     -1},
    {"StateFileThatCannotBeRead",
     {"--no-gui", "--state", "/nonexistent/organ.state"},
     Screen::none,
     nullptr,
     Ending::byItself,
     nullptr,
     1,
     {},
     {"brumalux: \"/nonexistent/organ.state\": no such file.\n"},
     1},
    {"NoGuiPlaysFromJack",
     {"--no-gui", "--program", "2", "--polyphony", "8"},
     Screen::none,
     nullptr,
     Ending::playedThenTerm,
     nullptr,
     0,
     {},
     {},
     0},
};

// gtest and ctest name a row by its name.
void PrintTo(const StartupRow& row, std::ostream* out)
{
    *out << row.name;
}

// What libjack prints by itself when no server runs.
const char* const libjackMessages[] = {"Cannot connect to server", "jack server is not running", "JackShm"};

std::string Read(const fs::path& file)
{
    std::ifstream stream(file, std::ios::binary);
    std::ostringstream text;
    text << stream.rdbuf();
    return text.str();
}

int CountLines(const std::string& text)
{
    return static_cast<int>(std::count(text.begin(), text.end(), '\n'));
}

std::string WithSettingsPath(std::string text, const fs::path& settings)
{
    if (const auto at = text.find("{settings}"); at != std::string::npos)
        text.replace(at, std::string("{settings}").size(), settings.string());
    return text;
}

class StandaloneStartup : public ::testing::TestWithParam<StartupRow>
{
protected:
    std::vector<std::string> Environment(const StartupRow& row)
    {
        std::vector<std::string> environment{"HOME=" + home.Folder().string()};
        if (row.screen == Screen::none)
            environment.emplace_back("DISPLAY");
        if (row.screen == Screen::unopenable)
            environment.emplace_back("DISPLAY=:2047");
        if (jack)
            for (const auto& setting : jack->Environment())
                environment.push_back(setting);
        return environment;
    }

    // Ends the program as its row says; its exit status.
    int EndIt(const StartupRow& row, ChildProcess& organ)
    {
        if (row.ending == Ending::windowThenTerm)
        {
            EXPECT_NE(X11TestDisplay::Shared()->WaitForTitle(row.window, 20000), 0ul)
                << "no window titled " << row.window;
        }
        if (row.ending == Ending::playedThenTerm)
        {
            EXPECT_TRUE(jack->ConnectToTheProgram()) << "the program did not open JACK";
            EXPECT_TRUE(jack->PlaysANote()) << "the note from JACK MIDI sounds at the JACK output";
        }
        if (row.ending != Ending::byItself)
            organ.Terminate();
        return organ.WaitForExit(std::chrono::seconds(20));
    }

    const TemporaryHome home;
    std::optional<JackSession> jack;
};

TEST_P(StandaloneStartup, AnswersAndEndsAsTheRowSays)
{
    const auto& row = GetParam();
    if (row.screen == Screen::test && std::getenv("DISPLAY") == nullptr)
        GTEST_SKIP() << "needs an X display";
    if (row.screen == Screen::test)
    {
        ASSERT_NE(X11TestDisplay::Shared(), nullptr) << "the X display does not open";
    }
    if (row.ending == Ending::playedThenTerm)
    {
        if (!OnPath("jackd"))
            GTEST_SKIP() << "needs jackd (Debian's jackd2)";
        jack.emplace();
        ASSERT_TRUE(jack->Started()) << "the JACK server did not start";
    }
    const auto settings = home.Folder() / ".config" / "Brumalux.settings";
    if (row.settingsFile != nullptr)
        home.Write(".config/Brumalux.settings", row.settingsFile);

    const auto output = home.Folder() / "output";
    fs::create_directories(output);
    std::vector<std::string> command{TEST_PROGRAM_LAUNCHER BRUMALUX_STANDALONE};
    command.insert(command.end(), row.arguments.begin(), row.arguments.end());
    ChildProcess organ(command, Environment(row), output);
    EXPECT_EQ(EndIt(row, organ), row.exitCode);

    const auto said = Read(output / "stdout");
    const auto complained = Read(output / "stderr");
    for (const auto& text : row.sayOnOutput)
    {
        EXPECT_NE(said.find(text), std::string::npos) << "standard output lacks \"" << text << "\":\n"
                                                      << said;
    }
    if (row.sayOnOutput.empty())
    {
        EXPECT_EQ(said, "");
    }
    for (const auto& text : row.sayOnError)
    {
        EXPECT_NE(complained.find(WithSettingsPath(text, settings)), std::string::npos)
            << "standard error lacks \"" << text << "\":\n"
            << complained;
    }
    if (row.errorLines >= 0)
    {
        EXPECT_EQ(CountLines(complained), row.errorLines) << complained;
    }
    for (const auto* message : libjackMessages)
    {
        EXPECT_EQ(complained.find(message), std::string::npos) << "libjack spoke:\n" << complained;
    }
    if (row.settingsFile != nullptr)
    {
        EXPECT_EQ(Read(settings), row.settingsFile) << "the player's settings file is left as it was";
    }
    else
    {
        EXPECT_FALSE(fs::exists(settings)) << "nothing is saved";
    }
}

std::string RowName(const ::testing::TestParamInfo<StartupRow>& row)
{
    return row.param.name;
}

INSTANTIATE_TEST_SUITE_P(Rows, StandaloneStartup, ::testing::ValuesIn(rows), RowName);
} // namespace

} // namespace brumalux
