// The render tool driving our small test instrument: what reaches the sound, and where.

#include "tests/tools/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cmath>
#include <sstream>

#include "tools/RenderJob.h"

using namespace render_test;

namespace
{
constexpr int kVelocity = 100;
constexpr float kSoftLevel = 0.25f; // program 0

// A4 (440 Hz before transposing) from tick 960 (1.5 s) to tick 1440 (2.5 s), after the tempo change.
std::vector<TimedEvent> OneLongNote(int velocity = kVelocity)
{
    return {{960, juce::MidiMessage::noteOn(1, 69, static_cast<juce::uint8>(velocity))},
            {1440, juce::MidiMessage::noteOff(1, 69)}};
}

class RenderWithTestInstrument : public ::testing::Test
{
protected:
    std::string Midi(int format = 1, const std::vector<TimedEvent>& events = OneLongNote())
    {
        const auto path = folder.Path("song" + std::to_string(format) + ".mid");
        WriteMidiWithTempoChange(path, format, events);
        return path;
    }

    ToolRun Render(const std::string& midi, std::vector<std::string> extra,
                   const std::string& output = "out.wav", const std::string& plugin = TEST_INSTRUMENT)
    {
        std::vector<std::string> arguments{
            midi, "-o", folder.Path(output), "--plugin", plugin, "--bits", "32", "--tail", "0.1"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        auto run = RunInProcess(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return run;
    }

    Wav Rendered(const std::string& output = "out.wav") { return ReadWav(folder.Path(output)); }

    ScratchFolder folder;
};

double Semitones(double frequency)
{
    return 12.0 * std::log2(frequency / 440.0);
}
} // namespace

TEST_F(RenderWithTestInstrument, FirstNoteSoundsAtItsSampleWhateverTheFormatBlockOrRate)
{
    for (int format : {0, 1})
        for (const char* block : {"512", "100", "4096"})
        {
            Render(Midi(format), {"--block", block});
            const Wav wav = Rendered();
            SCOPED_TRACE(std::string("format ") + std::to_string(format) + ", block " + block);
            // 0.5 s at 120 bpm, then one beat at 60 bpm: 1.5 s.
            EXPECT_EQ(FirstSoundingSample(wav), 66150);
            EXPECT_FLOAT_EQ(wav.samples.getSample(0, 66150), kSoftLevel * kVelocity / 127.0f);
            EXPECT_FLOAT_EQ(wav.samples.getSample(1, 66150), kSoftLevel * kVelocity / 127.0f);
            // The note-off at 2.5 s ends the tone on its sample, and the file ends 0.1 s later.
            EXPECT_NE(wav.samples.getSample(0, 110249), 0.0f);
            EXPECT_EQ(wav.samples.getMagnitude(0, 110250, 4410), 0.0f);
            EXPECT_EQ(wav.samples.getNumSamples(), 110250 + 4410);
        }
    Render(Midi(), {"--rate", "48000"});
    EXPECT_EQ(FirstSoundingSample(Rendered()), 72000);
    EXPECT_EQ(Rendered().sampleRate, 48000.0);
}

TEST_F(RenderWithTestInstrument, ProgramOptionReachesTheSound)
{
    const auto midi = Midi(1, OneLongNote(127));
    Render(midi, {});
    EXPECT_NEAR(PeakOf(Rendered(), 0), 0.25f, 1e-6f);
    EXPECT_NEAR(FrequencyOf(Rendered(), 66150, 44100), 440.0, 0.01);

    Render(midi, {"--program", "1"}); // "Octave Up": level 0.5, an octave higher
    EXPECT_NEAR(PeakOf(Rendered(), 0), 0.5f, 1e-6f);
    EXPECT_NEAR(FrequencyOf(Rendered(), 66150, 44100), 880.0, 0.01);
}

TEST_F(RenderWithTestInstrument, ParameterOptionsReachTheSoundInTheParametersUnits)
{
    const auto midi = Midi(1, OneLongNote(127));
    Render(midi, {"--param", "Level=0.4"});
    EXPECT_NEAR(PeakOf(Rendered(), 0), 0.4f, 1e-6f);

    // Lower case, the display rounded to tenths, and a name past the eight characters a host sees.
    Render(midi, {"--param", "transpose=-12"});
    EXPECT_NEAR(Semitones(FrequencyOf(Rendered(), 66150, 44100)), -12.0, 0.001);
    Render(midi, {"--param", "TRANSPOS=7"});
    EXPECT_NEAR(Semitones(FrequencyOf(Rendered(), 66150, 44100)), 7.0, 0.001);
    Render(midi, {"--param", "1=2.5"});
    EXPECT_NEAR(Semitones(FrequencyOf(Rendered(), 66150, 44100)), 2.5, 0.001);

    // Applied after the program, so they change what the program set.
    Render(midi, {"--program", "1", "--param-normalised", "level=0.125"});
    EXPECT_NEAR(PeakOf(Rendered(), 0), 0.125f, 1e-6f);
    EXPECT_NEAR(FrequencyOf(Rendered(), 66150, 44100), 880.0, 0.01);
}

TEST_F(RenderWithTestInstrument, SavedStateLoadsBackToTheSameRender)
{
    const auto midi = Midi();
    const auto saved = folder.Path("state.bin");
    const auto first =
        Render(midi, {"--param", "Level=0.3", "--param", "Transpose=5", "--save-state", saved}, "first.wav");
    EXPECT_NE(first.out.find("Saved the plug-in's state to " + saved), std::string::npos);
    EXPECT_EQ(juce::File(saved).getSize(), 12);

    Render(midi, {"--state", saved}, "again.wav");
    Render(midi, {}, "plain.wav");
    const Wav original = Rendered("first.wav"), again = Rendered("again.wav"), plain = Rendered("plain.wav");
    ASSERT_EQ(again.samples.getNumSamples(), original.samples.getNumSamples());
    for (int i = 0; i < original.samples.getNumSamples(); ++i)
        ASSERT_EQ(again.samples.getSample(0, i), original.samples.getSample(0, i)) << "sample " << i;
    EXPECT_NE(PeakOf(plain, 0), PeakOf(original, 0));
}

TEST_F(RenderWithTestInstrument, PlaysPluginsWithoutReplacingOrThatExportOnlyMain)
{
    const auto midi = Midi();
    Render(midi, {}, "replacing.wav");
    Render(midi, {}, "accumulating.wav", TEST_INSTRUMENT_ACCUMULATING);
    Render(midi, {}, "main.wav", TEST_INSTRUMENT_MAIN_ONLY);
    const Wav replacing = Rendered("replacing.wav");
    for (const char* other : {"accumulating.wav", "main.wav"})
    {
        const Wav wav = Rendered(other);
        ASSERT_EQ(wav.samples.getNumSamples(), replacing.samples.getNumSamples());
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < wav.samples.getNumSamples(); ++i)
                ASSERT_EQ(wav.samples.getSample(channel, i), replacing.samples.getSample(channel, i))
                    << other << " channel " << channel << " sample " << i;
    }
}

TEST_F(RenderWithTestInstrument, ReportsLevelsAndWarnsWhenIntegerOutputClips)
{
    const auto midi = Midi(1, OneLongNote(127));
    const auto plain = Render(midi, {"--bits", "24"});
    EXPECT_NE(plain.out.find("peak -12.0 dBFS, RMS -19.2 dBFS"), std::string::npos) << plain.out;
    EXPECT_NE(plain.out.find("2 channels, 44100 Hz, 24-bit"), std::string::npos) << plain.out;
    EXPECT_EQ(plain.err, "");
    EXPECT_EQ(Rendered().bitsPerSample, 24);

    // Two full notes at level 0.8 reach 1.6.
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

TEST_F(RenderWithTestInstrument, ListShowsIdentityParametersAndProgramsAfterTheOptions)
{
    const auto run =
        RunInProcess({"--list", "--plugin", TEST_INSTRUMENT, "--program", "1", "--param", "Transpose=-3.5"});
    ASSERT_EQ(run.exitCode, 0) << run.err;
    for (const char* expected :
         {"Effect name: Test Sine\n", "Vendor:      Render Tests\n", "Product:     Test Sine Instrument\n",
          "Version:     7 (VST 2300)\n", "Unique ID:   TsSi (0x54735369)\n", "Category:    2 (synth)\n",
          "Channels:    0 in, 2 out\n", "Flags:       304 (can replacing, programs are chunks, is synth)\n",
          "    0  Level     0.500\n", "    1  Transpos  -3.5 semi\n", "      0  Soft\n",
          "  *   1  Octave Up\n"})
        EXPECT_NE(run.out.find(expected), std::string::npos) << expected << "\nin:\n" << run.out;
}

TEST_F(RenderWithTestInstrument, InterruptedRenderLeavesNothingBehind)
{
    const auto midi = Midi();
    std::ostringstream out, err;
    std::atomic<bool> stop{true};
    const int exitCode = render::RunRenderCommand(
        {midi, "-o", folder.Path("out.wav"), "--plugin", TEST_INSTRUMENT}, {out, err, false, &stop});
    EXPECT_EQ(exitCode, 130);
    EXPECT_NE(err.str().find("interrupted"), std::string::npos);
    EXPECT_EQ(folder.Files(), std::vector<std::string>{"song1.mid"});
}
