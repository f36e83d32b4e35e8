// The render tool driving the test plug-in (the fake instrument, which plays "Level" per held note
// as a constant from the note's sample on): what reaches the sound, and where.

#include "tests/tools/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <sstream>
#include <utility>

#include "tools/RenderJob.h"

namespace brumalux
{

using namespace render_test;

namespace
{
constexpr float kInitLevel = 0.5f; // program 0

// A note from tick 960 (1.5 s) to tick 1440 (2.5 s), after the tempo change.
std::vector<TimedEvent> OneLongNote()
{
    return {{960, juce::MidiMessage::noteOn(1, 69, (juce::uint8)100)},
            {1440, juce::MidiMessage::noteOff(1, 69)}};
}

class RenderWithTestPlugin : public ::testing::Test
{
protected:
    std::string Midi(int format = 1, const std::vector<TimedEvent>& events = OneLongNote())
    {
        const auto path = folder.Path("song" + std::to_string(format) + ".mid");
        WriteMidiWithTempoChange(path, format, events);
        return path;
    }

    ToolRun Render(const std::string& midi, std::vector<std::string> extra,
                   const std::string& output = "out.wav")
    {
        std::vector<std::string> arguments{
            midi, "-o", folder.Path(output), "--plugin", TEST_PLUGIN, "--bits", "32", "--tail", "0.1"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        auto run = RunInProcess(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run;
    }

    Wav Rendered(const std::string& output = "out.wav") { return ReadWav(folder.Path(output)); }

    ScratchFolder folder;
};

// The display of one parameter as --list shows it after the options are applied.
std::string ListedDisplay(std::vector<std::string> options, const std::string& parameterLine)
{
    options.insert(options.begin(), {"--list", "--plugin", TEST_PLUGIN});
    const auto run = RunInProcess(options);
    EXPECT_EQ(run.exitCode, 0) << run.err;
    const auto start = run.out.find(parameterLine);
    if (start == std::string::npos)
        return "<not listed>";
    const auto valueStart = start + parameterLine.size();
    return run.out.substr(valueStart, run.out.find('\n', valueStart) - valueStart);
}
} // namespace

TEST_F(RenderWithTestPlugin, FirstNoteSoundsAtItsSampleWhateverTheFormatBlockOrRate)
{
    for (int format : {0, 1})
        for (const char* block : {"512", "100", "4096"})
        {
            Render(Midi(format), {"--block", block});
            const Wav wav = Rendered();
            SCOPED_TRACE(std::string("format ") + std::to_string(format) + ", block " + block);
            // 0.5 s at 120 bpm, then one beat at 60 bpm: 1.5 s.
            EXPECT_EQ(FirstSoundingSample(wav), 66150);
            EXPECT_EQ(wav.samples.getSample(0, 66150), kInitLevel);
            EXPECT_EQ(wav.samples.getSample(1, 66150), kInitLevel);
            // The note-off at 2.5 s ends the tone on its sample, and the file ends 0.1 s later.
            EXPECT_EQ(wav.samples.getSample(0, 110249), kInitLevel);
            EXPECT_EQ(wav.samples.getMagnitude(0, 110250, 4410), 0.0f);
            EXPECT_EQ(wav.samples.getNumSamples(), 110250 + 4410);
        }
    Render(Midi(), {"--rate", "48000"});
    EXPECT_EQ(FirstSoundingSample(Rendered()), 72000);
    EXPECT_EQ(Rendered().sampleRate, 48000.0);
}

TEST_F(RenderWithTestPlugin, ProgramAndParameterOptionsReachTheSound)
{
    const auto midi = Midi();
    for (const auto& [options, level] : std::vector<std::pair<std::vector<std::string>, float>>{
             {{}, kInitLevel},
             {{"--program", "1"}, 0.25f},
             {{"--param", "Level=0.4"}, 0.4f},
             // Applied after the program, so they change what the program set.
             {{"--program", "2", "--param-normalised", "level=0.375"}, 0.375f}})
    {
        Render(midi, options);
        EXPECT_NEAR(PeakOf(Rendered(), 0), level, 1e-6f) << ::testing::PrintToString(options);
    }
}

TEST_F(RenderWithTestPlugin, ParametersAreSetInTheirOwnUnitsByNameOrIndex)
{
    // -24 to 24 semitones shown to a tenth: lower case, a name past the eight characters a host
    // sees, its cut form and an index; after the program that set 12.
    EXPECT_EQ(ListedDisplay({"--param", "frequency offset=-12"}, "    1  Frequenc  "), "-12.0");
    EXPECT_EQ(ListedDisplay({"--param", "FREQUENC=7"}, "    1  Frequenc  "), "7.0");
    EXPECT_EQ(ListedDisplay({"--program", "1", "--param", "1=2.5"}, "    1  Frequenc  "), "2.5");
    EXPECT_EQ(ListedDisplay({"--program", "1"}, "    1  Frequenc  "), "12.0");
}

TEST_F(RenderWithTestPlugin, SavedStateLoadsBackToTheSameRender)
{
    const auto midi = Midi();
    const auto saved = folder.Path("state.bin");
    const auto first = Render(
        midi, {"--param", "Level=0.3", "--param", "Frequency Offset=5", "--save-state", saved}, "first.wav");
    EXPECT_NE(first.out.find("Saved the plug-in's state to " + saved), std::string::npos);
    EXPECT_EQ(ListedDisplay({"--state", saved}, "    1  Frequenc  "), "5.0");

    Render(midi, {"--state", saved}, "again.wav");
    Render(midi, {}, "plain.wav");
    const Wav original = Rendered("first.wav"), again = Rendered("again.wav"), plain = Rendered("plain.wav");
    ASSERT_EQ(again.samples.getNumSamples(), original.samples.getNumSamples());
    for (int i = 0; i < original.samples.getNumSamples(); ++i)
        ASSERT_EQ(again.samples.getSample(0, i), original.samples.getSample(0, i)) << "sample " << i;
    EXPECT_NE(PeakOf(plain, 0), PeakOf(original, 0));
}

TEST_F(RenderWithTestPlugin, ReportsLevelsAndWarnsWhenIntegerOutputClips)
{
    const auto midi = Midi();
    // 0.5 for 1 s of 2.6 s: RMS 0.5 * sqrt(1 / 2.6).
    const auto plain = Render(midi, {"--bits", "24"});
    EXPECT_NE(plain.out.find("peak -6.0 dBFS, RMS -10.2 dBFS"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("2 channels, 44100 Hz, 24-bit"), std::string::npos) << plain.out;
    EXPECT_EQ(plain.err, "");
    EXPECT_EQ(Rendered().bitsPerSample, 24);

    // Two notes at level 0.8 reach 1.6.
    const auto chord = Midi(1, {{960, juce::MidiMessage::noteOn(1, 69, (juce::uint8)127)},
                                {960, juce::MidiMessage::noteOn(1, 81, (juce::uint8)127)},
                                {1920, juce::MidiMessage::allNotesOff(1)}});
    const auto clipped = Render(chord, {"--bits", "16", "--param", "Level=0.8"});
    EXPECT_NE(clipped.err.find("warning: the output clips (peak +4.1 dBFS)"), std::string::npos)
        << clipped.err;
    EXPECT_EQ(Rendered().bitsPerSample, 16);
    EXPECT_LE(PeakOf(Rendered(), 0), 1.0f);
    const auto floating = Render(chord, {"--param", "Level=0.8"});
    EXPECT_EQ(floating.err, "");
    EXPECT_NEAR(PeakOf(Rendered(), 0), 1.6f, 1e-3f);

    EXPECT_EQ(Render(midi, {"--quiet"}).out, "");
}

TEST_F(RenderWithTestPlugin, ListShowsIdentityParametersAndProgramsAfterTheOptions)
{
    const auto run =
        RunInProcess({"--list", "--plugin", TEST_PLUGIN, "--program", "1", "--param", "Level=0.125"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* expected :
         {"Effect name: Brumalux\n", "Vendor:      Quellmark music\n", "Product:     Brumalux\n",
          "Version:     1000 (VST 2300)\n", "Unique ID:   BxTs (0x42785473)\n", "Category:    2 (synth)\n",
          "Channels:    2 in, 2 out\n",
          "Flags:       305 (has editor, can replacing, programs are chunks, is synth)\n",
          "    0  Level     0.125\n", "    1  Frequenc  12.0\n", "      0  Init\n",
          "  *   1  Bright pad with a rather\n", "      2  Third\n"})
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\nin:\n" << run.out;
}

TEST_F(RenderWithTestPlugin, InterruptedRenderLeavesNothingBehind)
{
    const auto midi = Midi();
    std::ostringstream out, err;
    std::atomic<bool> stop{true};
    const int exitCode = render::RunRenderCommand(
        {midi, "-o", folder.Path("out.wav"), "--plugin", TEST_PLUGIN}, {out, err, false, &stop});
    EXPECT_EQ(exitCode, 130);
    EXPECT_NE(err.str().find("interrupted"), std::string::npos);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"song1.mid"});
}

// Progress shows on a terminal only once a render has taken about a second, as clocks that
// stand still or move 100 ms at each look tell it; it is wiped at the end.
std::chrono::steady_clock::time_point StillClock()
{
    return {};
}

std::chrono::steady_clock::time_point SlowClock()
{
    static std::chrono::steady_clock::duration elapsed{};
    return std::chrono::steady_clock::time_point(elapsed += std::chrono::milliseconds(100));
}

TEST_F(RenderWithTestPlugin, ProgressShowsOnceARenderHasTakenASecond)
{
    const auto midi = Midi();
    for (const auto& [clock, shown] : {std::pair{&StillClock, false}, std::pair{&SlowClock, true}})
    {
        std::ostringstream out, err;
        render::RenderEnvironment environment{out, err, true};
        environment.now = clock;
        ASSERT_EQ(
            render::RunRenderCommand(
                {midi, "-o", folder.Path("out.wav"), "--plugin", TEST_PLUGIN, "--block", "64"}, environment),
            0)
            << err.str();
        const auto progress = err.str();
        EXPECT_EQ(progress.find("\rRendering") != std::string::npos, shown) << progress;
        if (shown)
        {
            EXPECT_NE(progress.find("\rRendering 100%"), std::string::npos) << progress;
            EXPECT_EQ(progress.substr(progress.size() - 62), "\r" + std::string(60, ' ') + "\r") << "wiped";
        }
    }
}

} // namespace brumalux
