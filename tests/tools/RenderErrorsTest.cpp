// The executable refusing what it cannot do: a clear message, a non-zero exit, and no file written.

#include "tests/tools/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <filesystem>

namespace brumalux
{

using namespace render_test;

namespace
{
class RenderErrors : public ::testing::Test
{
protected:
    RenderErrors()
    {
        WriteMidi(midi, {{0, juce::MidiMessage::noteOn(1, 60, (juce::uint8)100)},
                         {480, juce::MidiMessage::noteOff(1, 60)}});
    }

    // Runs the executable and checks the exit code, the message and that the folder holds only
    // what was there before.
    void ExpectFailure(std::vector<std::string> arguments, const std::string& message, int exitCode = 1)
    {
        const auto before = folder.Files();
        const auto run = RunExecutable(arguments);
        EXPECT_EQ(run.exitCode, exitCode) << run.err;
        EXPECT_NE(run.err.find(message), std::string::npos) << "wanted: " << message << "\ngot: " << run.err;
        EXPECT_EQ(run.err.rfind("brumalux-render: ", 0), 0u) << run.err;
        EXPECT_EQ(folder.Files(), before);
    }

    std::vector<std::string> RenderWith(const std::string& plugin, std::vector<std::string> extra = {})
    {
        std::vector<std::string> arguments{midi, "-o", output, "--plugin", plugin};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        return arguments;
    }

    ScratchFolder folder;
    const std::string midi = folder.Path("tune.mid");
    const std::string output = folder.Path("tune.wav");
};
} // namespace

TEST_F(RenderErrors, SharedLibrariesThatAreNoInstrument)
{
    ExpectFailure(RenderWith(folder.Path("absent.so")), "plug-in not found: " + folder.Path("absent.so"));
    ExpectFailure(RenderWith(midi), "cannot load the plug-in");
    ExpectFailure(RenderWith(TEST_NO_ENTRY),
                  "is not a VST 2 plug-in: it exports neither VSTPluginMain nor main");
    // Found by its "main", the one entry point it exports.
    ExpectFailure(RenderWith(TEST_MAIN_ONLY), "refused to start: its entry point answered null");
    ExpectFailure(RenderWith(TEST_BAD_MAGIC),
                  "is not a VST 2 plug-in: its effect record has the wrong magic number");
    ExpectFailure(RenderWith(TEST_EFFECT),
                  "is not an instrument: the is-synth flag is clear and its category is 1");
}

TEST_F(RenderErrors, MidiFilesThatCannotBePlayed)
{
    juce::File(folder.Path("broken.mid")).replaceWithText("MThd, or so it says");
    WriteMidi(folder.Path("empty.mid"), {{0, juce::MidiMessage::textMetaEvent(3, "nothing here")}});
    for (auto [file, message] : std::vector<std::pair<std::string, std::string>>{
             {"absent.mid", "MIDI file not found"},
             {"broken.mid", "is not a readable standard MIDI file"},
             {"empty.mid", "holds no notes or other channel messages to play"},
             {"", "cannot read the MIDI file " + folder.Path("") + ": it is a folder"}})
        ExpectFailure({folder.Path(file), "-o", output, "--plugin", TEST_PLUGIN}, message);
    ExpectFailure({midi, "-o", midi, "--plugin", TEST_PLUGIN}, "would overwrite the MIDI file");

    // 25 hours at two beats a second, in a file of a few bytes; --tail keeps its own limit.
    WriteMidi(folder.Path("day.mid"),
              {{480 * 2 * 3600 * 25, juce::MidiMessage::noteOn(1, 60, (juce::uint8)1)}});
    ExpectFailure({folder.Path("day.mid"), "-o", output, "--plugin", TEST_PLUGIN},
                  "has an event at 25 hours; files longer than 24 hours are not rendered");
    ExpectFailure({midi, "-o", output, "--tail", "3601"}, "--tail wants seconds from 0 to 3600", 2);
}

TEST_F(RenderErrors, OutputsThatCannotBeWritten)
{
    ExpectFailure({midi, "-o", folder.Path("no/such/folder/out.wav"), "--plugin", TEST_PLUGIN},
                  "does not exist");
    juce::File(folder.Path("taken")).createDirectory();
    ExpectFailure({midi, "-o", folder.Path("taken"), "--plugin", TEST_PLUGIN}, "it is a folder");
    ExpectFailure(RenderWith(TEST_PLUGIN, {"--save-state", folder.Path("no/such/state.bin")}),
                  "cannot write the state file");
    // A full disk names itself; the device is written in place, never renamed over.
    ExpectFailure({midi, "-o", "/dev/full", "--plugin", TEST_PLUGIN},
                  "cannot write the WAV file /dev/full: No space left on device");
    ExpectFailure({"--list", "--plugin", TEST_PLUGIN, "--save-state", "/dev/full"},
                  "cannot write the state file /dev/full: No space left on device");
    EXPECT_TRUE(std::filesystem::is_character_file("/dev/full"));
}

TEST_F(RenderErrors, SettingsThePluginDoesNotHave)
{
    ExpectFailure(RenderWith(TEST_PLUGIN, {"--param", "Volume=0.5"}), "no parameter called \"Volume\"");
    ExpectFailure(RenderWith(TEST_PLUGIN, {"--param", "7=0.5"}), "parameter index 7 is out of range");
    ExpectFailure(RenderWith(TEST_PLUGIN, {"--param", "Frequency Offset=30"}),
                  "30 is outside the range of parameter 1 (Frequenc), -24 to 24");
    ExpectFailure(RenderWith(TEST_PLUGIN, {"--param", "Level=loud"}), "no setting of parameter 0 (Level)");
    ExpectFailure(RenderWith(TEST_PLUGIN, {"--param-normalised", "Level=2"}), "wants a value from 0 to 1");
    ExpectFailure(RenderWith(TEST_PLUGIN, {"--program", "3"}),
                  "program 3 is out of range: the plug-in has 3 programs, 0 to 2");
    ExpectFailure(RenderWith(TEST_PLUGIN, {"--state", folder.Path("absent.bin")}), "state file not found");
}

TEST_F(RenderErrors, BadCommandLinesExitWithTwo)
{
    ExpectFailure({"--bits", "12", midi}, "--bits wants 16, 24 or 32", 2);
    ExpectFailure({"--frobnicate", midi}, "unknown option --frobnicate", 2);
    ExpectFailure({}, "no MIDI file given", 2);
}

TEST_F(RenderErrors, AFailedRenderKeepsTheOlderOutputAsItWas)
{
    juce::File(output).replaceWithText("an older render");
    ExpectFailure(RenderWith(TEST_PLUGIN, {"--param", "Volume=0.5"}), "no parameter called");
    ExpectFailure(RenderWith(TEST_EFFECT), "is not an instrument");
    EXPECT_EQ(juce::File(output).loadFileAsString(), "an older render");

    const auto run = RunExecutable(RenderWith(TEST_PLUGIN));
    EXPECT_EQ(run.exitCode, 0) << run.err;
    EXPECT_EQ(folder.Files(), (std::vector<std::string>{"tune.mid", "tune.wav"}));
    EXPECT_EQ(ReadWav(output).samples.getNumChannels(), 2);
}

} // namespace brumalux
