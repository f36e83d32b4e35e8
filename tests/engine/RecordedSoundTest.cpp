// The organ's sound, held against samples recorded from an earlier build: a change that makes the organ
// cheaper must leave what it plays as it was, up to rounding. To record anew after a deliberate change of
// sound, run with BRUMALUX_RECORD_SOUND=1; the test then writes the data file instead of comparing.

#include "EngineTestSupport.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <fstream>

namespace brumalux
{

namespace
{
constexpr int sceneLength = 24000;
constexpr int stride = 32; // every stride-th sample is kept, of both channels
const std::string dataFile = std::string(BRUMALUX_TEST_DATA_DIR) + "/recorded-sound.txt";

juce::MidiMessage ChannelPressure(int value)
{
    return juce::MidiMessage::channelPressureChange(1, value);
}

// Program 0 with percussion, click and vibrato, played with every kind of MIDI the organ follows and in
// blocks of uneven lengths; halfway through, the waveform and a drawbar change, which refills tables.
std::vector<float> RenderScene(bool speakerOn)
{
    auto organ = MakeOrgan(44100.0, 512);
    organ->Parameters().speakerOn = speakerOn ? 1.0f : 0.0f;
    OrganDriver driver(*organ);
    const std::vector<int> blocks{256, 100, 333, 512};
    auto first = driver.Render(sceneLength / 2,
                               {{0, NoteOn(60, 127)},
                                {37, NoteOn(64, 80)},
                                {300, NoteOn(67, 40)},
                                {2000, PitchWheel(12000)},
                                {3000, ChannelPressure(100)},
                                {4000, Controller(1, 127)},
                                {5000, Controller(64, 127)},
                                {5500, NoteOff(64)},
                                {6000, PitchWheel(3000)},
                                {7000, NoteOff(60)},
                                {8000, NoteOn(72, 100)},
                                {8500, NoteOn(67, 90)},
                                {9000, Controller(64, 0)},
                                {10000, ChannelPressure(0)}},
                               blocks);
    organ->Parameters().oscillator = 0.0f;
    organ->Parameters().drawbars[4] = 0.7f;
    auto second = driver.Render(sceneLength / 2,
                                {{100, NoteOn(48, 110)},
                                 {2000, NoteOff(72)},
                                 {2100, NoteOff(67)},
                                 {3000, Controller(1, 0)},
                                 {6000, NoteOff(48)}},
                                blocks);
    std::vector<float> kept;
    for (const auto* half : {&first, &second})
        for (size_t i = 0; i < half->left.size(); i += stride)
        {
            kept.push_back(half->left[i]);
            kept.push_back(half->right[i]);
        }
    return kept;
}

std::vector<float> ReadRecording(std::ifstream& file)
{
    std::vector<float> values;
    float value;
    while (file >> value)
        values.push_back(value);
    return values;
}

void Record(const std::vector<float>& speakerOff, const std::vector<float>& speakerOn)
{
    std::ofstream file(dataFile);
    file.precision(9);
    for (const auto* scene : {&speakerOff, &speakerOn})
        for (float value : *scene)
            file << value << '\n';
}

double MaxDeviation(const std::vector<float>& actual, const float* recorded)
{
    double deviation = 0.0;
    for (size_t i = 0; i < actual.size(); ++i)
        deviation = std::max(deviation, std::fabs(static_cast<double>(actual[i]) - recorded[i]));
    return deviation;
}

TEST(RecordedSound, TheOrganPlaysWhatItPlayedWhenRecorded)
{
    const auto speakerOff = RenderScene(false);
    const auto speakerOn = RenderScene(true);
    if (std::getenv("BRUMALUX_RECORD_SOUND") != nullptr)
    {
        Record(speakerOff, speakerOn);
        GTEST_SKIP() << "recorded " << dataFile;
    }
    std::ifstream file(dataFile);
    ASSERT_TRUE(file) << dataFile;
    const auto recorded = ReadRecording(file);
    ASSERT_EQ(recorded.size(), speakerOff.size() + speakerOn.size());

    const double offDeviation = MaxDeviation(speakerOff, recorded.data());
    const double onDeviation = MaxDeviation(speakerOn, recorded.data() + speakerOff.size());
    EXPECT_LE(offDeviation, 2e-6);
    EXPECT_LE(onDeviation, 1e-4);
    // A scene gone silent would match a silent recording; this one plays throughout.
    EXPECT_GT(Rms(speakerOn, 0, static_cast<int>(speakerOn.size())), 0.01);
    std::cout << "deviation from the recording: speaker off " << offDeviation << ", speaker on "
              << onDeviation << '\n';
}
} // namespace

} // namespace brumalux
