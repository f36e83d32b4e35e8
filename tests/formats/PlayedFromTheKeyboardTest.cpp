// Program Change and the swell pedal as hosts deliver them to the built plug-ins: the VST 2
// plug-in through our host library, the VST3 bundle through JUCE's hosting (the LV2 form:
// LilvPluginTest).

#include "HostedForms.h"
#include "tests/support/MessageLoop.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <mutex>
#include <set>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr double sampleRate = 48000.0;
constexpr int blockSize = 256;
constexpr int unusedIndex = 18; // the engine rewrites it whenever it renders

using Values = std::vector<float>;

Values Vst2Values(const PluginInstance& organ)
{
    Values values;
    for (int i = 0; i < numParameters; ++i)
        values.push_back(i == unusedIndex ? 0.0f : organ.Parameter(i));
    return values;
}

// Every program's values, as the VST 2 plug-in shows them after a host selected it.
std::vector<Values> ProgramValues(const PluginLibrary& library)
{
    PluginInstance reader(library.Entry());
    std::vector<Values> programs;
    for (int p = 0; p < numPrograms; ++p)
    {
        reader.SelectProgram(p);
        programs.push_back(Vst2Values(reader));
    }
    return programs;
}

// Runs this process's message loop meanwhile when JUCE's hosting is up; the VST 2 plug-in runs its own.
bool WaitUntil(const std::function<bool()>& condition)
{
    const bool hosting = juce::MessageManager::getInstanceWithoutCreating() != nullptr;
    const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(3);
    while (!condition())
    {
        if (std::chrono::steady_clock::now() > until)
            return false;
        if (!hosting || !juce::dispatchNextMessageOnSystemQueue(true))
            std::this_thread::sleep_for(std::chrono::milliseconds(2));
    }
    return true;
}

PluginInstance::MidiEvent ProgramChange(int number)
{
    return {17, {static_cast<unsigned char>(0xC0 | number % 16), static_cast<unsigned char>(number), 0}};
}

// Program numbers in an order that leaves the bank and comes back: every number is sent once.
std::vector<int> ProgramChangeOrder()
{
    std::vector<int> order{3, 10, 0, 127, 9, 64, 5, 11, 1, 100, 2, 4, 6, 7, 8};
    for (int number = 12; number < 128; ++number)
        if (number != 64 && number != 100 && number != 127)
            order.push_back(number);
    return order;
}

TEST(ProgramChange, Vst2SelectsTheBankAndTellsTheHostFromItsMessageThread)
{
    PluginLibrary library(BRUMALUX_PLUGIN);
    ASSERT_TRUE(library.IsLoaded()) << library.Error();
    const auto programs = ProgramValues(library);
    PluginInstance organ(library.Entry());
    organ.Resume(sampleRate, blockSize);

    std::mutex mutex;
    std::set<std::thread::id> reportingThreads;
    std::atomic<int> displayUpdates{0};
    organ.Callbacks().SetHook(
        [&](const vst2host::HostRequest& request) -> std::optional<vst2::VstIntPtr>
        {
            if (request.opcode == vst2::audioMasterUpdateDisplay ||
                request.opcode == vst2::audioMasterAutomate)
            {
                const std::lock_guard<std::mutex> lock(mutex);
                reportingThreads.insert(std::this_thread::get_id());
            }
            displayUpdates += request.opcode == vst2::audioMasterUpdateDisplay ? 1 : 0;
            return std::nullopt;
        });

    int expected = 0;
    for (const int number : ProgramChangeOrder())
    {
        organ.SendMidi({ProgramChange(number)});
        organ.Render(blockSize);
        if (number < numPrograms)
            expected = number;
        ASSERT_EQ(organ.CurrentProgram(), expected) << "after program change " << number;
        EXPECT_EQ(Vst2Values(organ), programs[static_cast<size_t>(expected)]) << "program change " << number;
    }
    EXPECT_TRUE(WaitUntil([&] { return displayUpdates > 0; })) << "the host was told to show the program";
    const std::lock_guard<std::mutex> lock(mutex);
    EXPECT_EQ(reportingThreads.count(std::this_thread::get_id()), 0u)
        << "nothing reported from the audio thread";
}

// A hosted form, prepared as a host prepares it before playing.
std::unique_ptr<juce::AudioPluginInstance> Prepared(std::unique_ptr<juce::AudioPluginInstance> form)
{
    if (form != nullptr)
        form->prepareToPlay(sampleRate, blockSize);
    return form;
}

// The organ's parameters of a hosted form, by the names the VST 2 plug-in gives them.
std::vector<juce::AudioProcessorParameter*> OrganParameters(juce::AudioPluginInstance& form,
                                                            const PluginInstance& vst2)
{
    std::vector<juce::AudioProcessorParameter*> found;
    for (int i = 0; i < numParameters; ++i)
        for (auto* parameter : form.getParameters())
            if (parameter->getName(100).substring(0, 8) == juce::String(vst2.Text(vst2::effGetParamName, i)))
                found.push_back(parameter);
    return found;
}

Values HostedValues(const std::vector<juce::AudioProcessorParameter*>& parameters)
{
    Values values;
    for (int i = 0; i < numParameters; ++i)
        values.push_back(i == unusedIndex ? 0.0f : parameters[static_cast<size_t>(i)]->getValue());
    return values;
}

void ExpectValues(const Values& expected, const Values& actual, int number)
{
    ASSERT_EQ(expected.size(), actual.size());
    for (size_t i = 0; i < expected.size(); ++i)
        EXPECT_NEAR(expected[i], actual[i], 1e-6f) << "parameter " << i << " after program change " << number;
}

void Play(juce::AudioPluginInstance& form, juce::MidiBuffer midi = {})
{
    juce::AudioBuffer<float> buffer(2, blockSize);
    buffer.clear();
    form.processBlock(buffer, midi);
}

// VST3 hosts turn a Program Change from the keyboard into the program parameter, the one JUCE's host
// sets for a program choice.
TEST(ProgramChange, Vst3FollowsItsProgramParameter)
{
    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    PluginLibrary library(BRUMALUX_PLUGIN);
    ASSERT_TRUE(library.IsLoaded()) << library.Error();
    const auto programs = ProgramValues(library);
    const PluginInstance names(library.Entry());
    juce::VST3PluginFormat format;
    auto form = Prepared(LoadVst3(format, sampleRate, blockSize));
    ASSERT_NE(form, nullptr);
    const auto parameters = OrganParameters(*form, names);
    ASSERT_EQ(parameters.size(), static_cast<size_t>(numParameters));

    for (const int number : {3, 0, 9, 5, 1, 8, 2, 7, 4, 6})
    {
        form->setCurrentProgram(number);
        const auto& want = programs[static_cast<size_t>(number)];
        EXPECT_TRUE(WaitUntil(
            [&]
            {
                Play(*form);
                return HostedValues(parameters) == want;
            }));
        // The plug-in then shows the host its program; that echo must not switch anything back.
        const auto settled = std::chrono::steady_clock::now() + std::chrono::milliseconds(150);
        WaitUntil(
            [&]
            {
                Play(*form);
                return std::chrono::steady_clock::now() > settled;
            });
        ExpectValues(want, HostedValues(parameters), number);
        EXPECT_EQ(form->getCurrentProgram(), number);
    }
    form->releaseResources();
}

// The left channel of a held chord (or one note) through the VST 2 plug-in; extra events come first at
// the start of the block they are given for.
std::vector<float> RenderVst2(const PluginLibrary& library,
                              const std::vector<std::pair<int, float>>& settings,
                              const std::vector<int>& notes, int numBlocks, int frames,
                              const std::function<std::vector<PluginInstance::MidiEvent>(int)>& eventsOfBlock)
{
    PluginInstance organ(library.Entry());
    for (const auto& [index, value] : settings)
        organ.SetParameter(index, value);
    organ.Resume(sampleRate, frames);
    std::vector<float> left;
    for (int block = 0; block < numBlocks; ++block)
    {
        auto events = eventsOfBlock(block);
        if (block == 0)
            for (const int note : notes)
                events.push_back({0, {0x90, static_cast<unsigned char>(note), 100}});
        organ.SendMidi(events);
        organ.Render(frames);
        left.insert(left.end(), organ.Outputs()[0], organ.Outputs()[0] + frames);
    }
    return left;
}

double Decibels(const std::vector<float>& signal, const std::vector<float>& reference, size_t from)
{
    double power = 0.0, referencePower = 0.0;
    for (size_t i = from; i < signal.size(); ++i)
    {
        power += static_cast<double>(signal[i]) * signal[i];
        referencePower += static_cast<double>(reference[i]) * reference[i];
    }
    return 10.0 * std::log10(power / referencePower);
}

PluginInstance::MidiEvent Swell(int position)
{
    return {0, {0xB0, 11, static_cast<unsigned char>(position)}};
}

// Open (127) the swell leaves today's sound as it was, sample for sample; closed (0) it is at least 20 dB
// quieter but still sounds, with a soft program and with the overdriven one.
TEST(SwellPedal, Vst2OpenIsTodaysSoundClosedIsTwentyDecibelsDown)
{
    PluginLibrary library(BRUMALUX_PLUGIN);
    ASSERT_TRUE(library.IsLoaded()) << library.Error();
    constexpr int numBlocks = 200;
    const auto none = [](int) { return std::vector<PluginInstance::MidiEvent>{}; };
    for (const int program : {0, 6})
    {
        const auto render = [&](const std::function<std::vector<PluginInstance::MidiEvent>(int)>& events)
        {
            return RenderVst2(library, {}, {48, 60, 64, 67, 72}, numBlocks, blockSize,
                              [&, program](int block)
                              {
                                  auto list = events(block);
                                  if (block == 0)
                                      list.insert(list.begin(), ProgramChange(program));
                                  return list;
                              });
        };
        const auto today = render(none);
        const auto open = render(
            [](int block)
            { return block == 0 ? std::vector{Swell(127)} : std::vector<PluginInstance::MidiEvent>{}; });
        const auto closed =
            render([](int block)
                   { return block == 0 ? std::vector{Swell(0)} : std::vector<PluginInstance::MidiEvent>{}; });
        EXPECT_EQ(open, today) << "program " << program;
        const double down = Decibels(closed, today, today.size() / 4);
        EXPECT_LE(down, -20.0) << "program " << program;
        EXPECT_GT(down, -60.0) << "program " << program;
    }
}

// A pedal swept down and up in steps of one, a step every 32 samples, on a plain sine: the largest
// second difference of the output (where a gain step would show as a click) stays that of the steady tone.
TEST(SwellPedal, Vst2SweepInStepsOfOneHasNoZipper)
{
    PluginLibrary library(BRUMALUX_PLUGIN);
    ASSERT_TRUE(library.IsLoaded()) << library.Error();
    // Sine waveform, only DrawBar2, no percussion, click, vibrato or speaker, least drive.
    std::vector<std::pair<int, float>> settings{{0, 0.0f},  {1, 0.0f},  {15, 0.0f},
                                                {17, 0.0f}, {19, 0.0f}, {26, 0.0f}};
    for (int drawbar = 0; drawbar < 9; ++drawbar)
        settings.push_back({6 + drawbar, drawbar == 2 ? 1.0f : 0.0f});
    constexpr int frames = 32;
    constexpr int settle = 1500; // blocks before the sweep: the note's attack and decay are over
    const auto sweep = [](int block) -> std::vector<PluginInstance::MidiEvent>
    {
        const int step = block - settle;
        if (step < 0 || step > 254)
            return {};
        return {Swell(step <= 127 ? 127 - step : step - 127)};
    };
    const auto steady = RenderVst2(library, settings, {69}, settle + 300, frames,
                                   [](int) { return std::vector<PluginInstance::MidiEvent>{}; });
    const auto swept = RenderVst2(library, settings, {69}, settle + 300, frames, sweep);
    const auto largestSecondDifference = [](const std::vector<float>& signal)
    {
        float largest = 0.0f;
        for (size_t i = settle * frames; i < signal.size(); ++i)
            largest = std::max(largest, std::fabs(signal[i] - 2.0f * signal[i - 1] + signal[i - 2]));
        return largest;
    };
    EXPECT_LT(Decibels(swept, steady, settle * frames), -3.0) << "the sweep was heard";
    EXPECT_LE(largestSecondDifference(swept), 1.05f * largestSecondDifference(steady));
}
} // namespace

} // namespace brumalux
