// The render tool driving the organ itself through its VST 2 entry point, as a user runs it.

#include "tests/tools/RenderTestSupport.h"

#include <gtest/gtest.h>

#include <optional>

namespace brumalux
{

using namespace render_test;

namespace
{
class RenderBrumalux : public ::testing::Test
{
protected:
    // One A4 from the given tick for two seconds' worth of ticks at 60 bpm, after the file's tempo
    // change at tick 480 (120 bpm before it).
    std::string Note(int tick)
    {
        const auto path = folder.Path("note" + std::to_string(tick) + ".mid");
        WriteMidiWithTempoChange(path, 1,
                                 {{tick, juce::MidiMessage::noteOn(1, 69, (juce::uint8)100)},
                                  {tick + 960, juce::MidiMessage::noteOff(1, 69)}});
        return path;
    }

    Wav Render(const std::string& midi, std::vector<std::string> extra, const std::string& output = "out.wav")
    {
        std::vector<std::string> arguments{
            midi, "-o", folder.Path(output), "--plugin", BRUMALUX_PLUGIN, "--bits", "32", "--quiet"};
        arguments.insert(arguments.end(), extra.begin(), extra.end());
        const auto run = RunInProcess(arguments);
        EXPECT_EQ(run.exitCode, 0) << run.err;
        return ReadWav(folder.Path(output));
    }

    ScratchFolder folder;
};

// How much louder the note is once its attack is over than right at its start.
float AttackRise(const Wav& wav, int onset)
{
    const float early = wav.samples.getMagnitude(0, onset, 882);           // its first 20 ms
    const float settled = wav.samples.getMagnitude(0, onset + 44100, 882); // a second later
    return settled / early;
}

bool ChannelsEqual(const Wav& wav)
{
    for (int i = 0; i < wav.samples.getNumSamples(); ++i)
        if (wav.samples.getSample(0, i) != wav.samples.getSample(1, i))
            return false;
    return true;
}
} // namespace

TEST_F(RenderBrumalux, FirstNoteSoundsAtItsSampleInEveryBlockSize)
{
    // Tick 960 is 1.5 s, sample 66150; the others land at other places in their blocks (tick 961 is
    // 66241.875 samples, rounded). The organ reports no latency and its attack starts from silence,
    // so it is silent before the note and sounds from the note's sample or the one after, the same
    // wherever the block boundaries fall. The rotating speaker is off: its Doppler delay would move
    // the onset with the rotors' position.
    std::optional<int> organDelay;
    for (auto [tick, noteSample] : {std::pair{960, 66150}, std::pair{961, 66242}, std::pair{1301, 97479}})
        for (const char* block : {"512", "100", "64", "4096"})
        {
            const Wav wav = Render(Note(tick), {"--block", block, "--param", "Spkr On=0"});
            const int onset = FirstSoundingSample(wav, 1e-30f);
            SCOPED_TRACE(std::string("tick ") + std::to_string(tick) + ", block " + block);
            EXPECT_EQ(wav.samples.getMagnitude(0, 0, noteSample), 0.0f);
            EXPECT_GE(onset - noteSample, 0);
            EXPECT_LE(onset - noteSample, 1);
            if (!organDelay)
                organDelay = onset - noteSample;
            EXPECT_EQ(onset - noteSample, *organDelay);
        }
}

TEST_F(RenderBrumalux, ProgramAndParameterOptionsReachTheSound)
{
    const auto midi = Note(960);
    // "A little churchy" attacks in 5 ms, "Organ pad" (program 3) in 500 ms and without percussion
    // and click; the first program with those two off and a 500 ms attack rises as slowly.
    const std::vector<std::string> plainOnset{"--param", "Perc Lvl=0", "--param", "Clck Lvl=0"};
    EXPECT_LT(AttackRise(Render(midi, plainOnset), 66150), 2.0f);
    EXPECT_GT(AttackRise(Render(midi, {"--program", "3"}), 66150), 4.0f);
    auto slowAttack = plainOnset;
    slowAttack.insert(slowAttack.end(), {"--param", "adsr att=500"});
    EXPECT_GT(AttackRise(Render(midi, slowAttack), 66150), 4.0f);

    // The rotating speaker spreads the sound between the channels; switched off, both carry the same.
    EXPECT_FALSE(ChannelsEqual(Render(midi, {})));
    EXPECT_TRUE(ChannelsEqual(Render(midi, {"--param", "spkr on=0"})));
    EXPECT_TRUE(ChannelsEqual(Render(midi, {"--param-normalised", "19=0"})));
}

// The state holds the selected program too: --state alone plays what was saved.
TEST_F(RenderBrumalux, SavedStateGivesTheSameRenderAgain)
{
    const auto midi = Note(960);
    const auto state = folder.Path("organ.bin");
    const Wav saved = Render(midi,
                             {"--program", "7", "--param", "Distortion=6", "--param", "Tone=2500", "--param",
                              "ADSR Rel=400", "--save-state", state},
                             "saved.wav");
    const Wav loaded = Render(midi, {"--state", state}, "loaded.wav");
    const Wav plain = Render(midi, {}, "plain.wav");
    ASSERT_EQ(loaded.samples.getNumSamples(), saved.samples.getNumSamples());
    int differing = 0;
    for (int channel = 0; channel < 2; ++channel)
        for (int i = 0; i < saved.samples.getNumSamples(); ++i)
            differing += saved.samples.getSample(channel, i) != loaded.samples.getSample(channel, i);
    EXPECT_EQ(differing, 0);
    EXPECT_NE(PeakOf(plain, 0), PeakOf(saved, 0));
}

} // namespace brumalux
