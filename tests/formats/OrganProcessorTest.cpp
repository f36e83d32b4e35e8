// The adapter in-process: what every JUCE plug-in client relies on, and how it takes bad
// input from a host.

#include "formats/OrganProcessor.h"
#include "engine/Brumalux.h"
#include "params/QuellmarkFilterBase.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/TemporaryHome.h"
#include "userfiles/OrganPreset.h"

JUCE_BEGIN_IGNORE_WARNINGS_GCC_LIKE("-Wshadow", "-Wold-style-cast", "-Wcast-align", "-Wsign-conversion",
                                    "-Wzero-as-null-pointer-constant", "-Wextra-semi", "-Wnon-virtual-dtor",
                                    "-Wuseless-cast", "-Wpedantic", "-Wconversion")
#include <pluginterfaces/vst/ivsteditcontroller.h>
JUCE_END_IGNORE_WARNINGS_GCC_LIKE

#include <gtest/gtest.h>

#include <atomic>
#include <chrono>
#include <cmath>
#include <future>
#include <map>
#include <thread>

namespace brumalux
{

namespace
{
using brumalux::OrganProcessor;

constexpr int numParameters = 27;
constexpr int drawbar1Index = 7;
constexpr int toneIndex = 16;
constexpr int speakerOnIndex = 19;

float Peak(const juce::AudioBuffer<float>& buffer)
{
    return buffer.getMagnitude(0, buffer.getNumSamples());
}

// Records what a host hears from the processor.
struct HostListener : juce::AudioProcessorListener
{
    void audioProcessorParameterChanged(juce::AudioProcessor*, int index, float value) override
    {
        changes.emplace_back(index, value);
        if (juce::MessageManager::getInstance()->isThisTheMessageThread())
            ++changesOnMessageThread;
    }
    void audioProcessorChanged(juce::AudioProcessor*, const ChangeDetails& details) override
    {
        settingsChanges += details.nonParameterStateChanged ? 1 : 0;
    }
    void audioProcessorParameterChangeGestureBegin(juce::AudioProcessor*, int index) override
    {
        gestures.push_back(index);
    }
    void audioProcessorParameterChangeGestureEnd(juce::AudioProcessor*, int index) override
    {
        gestures.push_back(-1 - index);
    }
    std::vector<std::pair<int, float>> changes;
    std::vector<int> gestures; // index at a begin, -1 - index at an end
    int changesOnMessageThread = 0;
    std::atomic<int> settingsChanges{0};
};

class OrganProcessorTest : public ::testing::Test
{
protected:
    // Renders blocks with a note held from the first; returns the loudest sample.
    float PlayNote(int numBlocks, int samplesPerBlock)
    {
        float peak = 0.0f;
        for (int block = 0; block < numBlocks; ++block)
        {
            juce::AudioBuffer<float> buffer(2, samplesPerBlock);
            buffer.clear();
            juce::MidiBuffer midi;
            if (block == 0)
                midi.addEvent(juce::MidiMessage::noteOn(1, 60, 0.8f), 0);
            organ->processBlock(buffer, midi);
            peak = std::max(peak, Peak(buffer));
        }
        return peak;
    }

    juce::ScopedJuceInitialiser_GUI juceRuntime;
    std::unique_ptr<OrganProcessor> organ = OrganProcessor::Create();
};

TEST_F(OrganProcessorTest, ParametersShowTheFiltersNamesAndValues)
{
    auto& filter = organ->GetFilter();
    const auto& parameters = organ->getParameters();
    ASSERT_EQ(parameters.size(), numParameters);
    for (int i = 0; i < numParameters; ++i)
    {
        EXPECT_EQ(parameters[i]->getName(100), filter.GetParameterName(i));
        EXPECT_EQ(parameters[i]->getValue(), filter.GetNormalisedParameter(i));
    }
    // The text for a value the parameter does not hold is the one it would show holding it.
    auto& tone = *parameters[toneIndex];
    const auto textAtQuarter = tone.getText(0.25f, 100);
    tone.setValue(0.25f);
    EXPECT_EQ(textAtQuarter, filter.GetParameterText(toneIndex));
    EXPECT_EQ(textAtQuarter, "3075");
    EXPECT_NEAR(tone.getValueForText("3075"), 0.25f, 1e-6f);
    EXPECT_NEAR(tone.getValueForText("100"), 0.0f, 1e-6f);

    // A NaN from a host is ignored, as the VST 2 plug-in ignores it.
    tone.setValue(std::nanf(""));
    EXPECT_EQ(filter.GetParameterText(toneIndex), "3075");
}

TEST_F(OrganProcessorTest, ChangesFromTheOrganReachTheHost)
{
    HostListener host;
    organ->addListener(&host);
    organ->GetFilter().SetParameterAndTellHost(toneIndex, 0.5f);
    ASSERT_EQ(host.changes.size(), 1u);
    EXPECT_EQ(host.changes[0], std::make_pair(toneIndex, 0.5f));
    EXPECT_EQ(organ->getParameters()[toneIndex]->getValue(), 0.5f);

    // An editor drag is one gesture on the host's side.
    organ->GetFilter().BeginParameterGesture(toneIndex);
    organ->GetFilter().EndParameterGesture(toneIndex);
    EXPECT_EQ(host.gestures, (std::vector<int>{toneIndex, -1 - toneIndex}));

    // A program switch reports every value it writes.
    host.changes.clear();
    organ->setCurrentProgram(2);
    EXPECT_EQ(organ->getCurrentProgram(), 2);
    EXPECT_EQ(host.changes.size(), static_cast<size_t>(numParameters));
    organ->removeListener(&host);
}

// The VST3, LV2 and standalone forms hold the organ through this adapter, the VST 2 form
// holds the filter itself: one preset file gives every form the same values, and the
// host hears them as it hears a program change.
TEST_F(OrganProcessorTest, APresetFileGivesTheSameValuesAsInTheVst2Form)
{
    const TemporaryHome home;
    home.Write("warm.brumalux-preset",
               "Brumalux preset\nversion = 1\nname = Warm\nTone = 2500\nDrawBar3 = 0.7\n"
               "Osc = 5\nDistortion = 40\nSpkr On = 0\n");
    const auto file = juce::File(home.Folder().string()).getChildFile("warm.brumalux-preset");
    Brumalux vst2Organ;
    ASSERT_TRUE(OrganPreset::Load(file, vst2Organ).wasOk());

    HostListener host;
    organ->addListener(&host);
    ASSERT_TRUE(OrganPreset::Load(file, organ->GetFilter()).wasOk());
    organ->removeListener(&host);
    EXPECT_EQ(host.changes.size(), static_cast<size_t>(numParameters));
    EXPECT_TRUE(host.gestures.empty());
    for (int i = 0; i < numParameters; ++i)
    {
        EXPECT_EQ(organ->getParameters()[i]->getValue(), vst2Organ.GetNormalisedParameter(i))
            << "parameter " << i;
        EXPECT_EQ(organ->GetFilter().GetParameterText(i), vst2Organ.GetParameterText(i)) << "parameter " << i;
    }
    EXPECT_EQ(organ->GetFilter().GetParameterText(16), "2500");
    EXPECT_EQ(organ->GetFilter().GetParameterText(17), "10");
    EXPECT_EQ(organ->getProgramName(organ->getCurrentProgram()), "Warm");
}

// A setting outside the parameters that the player changes (the tuning, a controller binding)
// marks the host's project modified; one that comes with a state the host loads does not.
TEST_F(OrganProcessorTest, ThePlayersSettingsMarkTheProjectModified)
{
    HostListener host;
    organ->addListener(&host);
    auto& brumalux = dynamic_cast<Brumalux&>(organ->GetFilter());
    const auto reported = [&](int count)
    {
        const auto until = std::chrono::steady_clock::now() + std::chrono::seconds(10);
        while (host.settingsChanges < count && std::chrono::steady_clock::now() < until)
            if (!juce::dispatchNextMessageOnSystemQueue(true))
                std::this_thread::sleep_for(std::chrono::milliseconds(2));
        return host.settingsChanges.load();
    };
    brumalux.SetTuning({12, 442.0f});
    EXPECT_EQ(reported(1), 1) << "a tuning";
    brumalux.Controllers().SetBinding(20, {toneIndex});
    EXPECT_EQ(reported(2), 2) << "a controller binding";

    juce::MemoryBlock state;
    organ->getStateInformation(state);
    organ->setStateInformation(state.getData(), static_cast<int>(state.getSize()));
    brumalux.SetTuning({0, 440.0f});
    EXPECT_EQ(reported(3), 3) << "the state's own settings were not reported before this one";
    organ->removeListener(&host);
}

// What a host is told while it chooses a program is what the organ goes on reporting
// once the program plays, "Unused" included, so hosts that compare see no change.
TEST_F(OrganProcessorTest, AChosenProgramReportsWhatItPlays)
{
    organ->prepareToPlay(44100.0, 512);
    HostListener host;
    organ->addListener(&host);
    for (const int program : {2, 6, 7})
    {
        host.changes.clear();
        organ->setCurrentProgram(program);
        std::map<int, float> told(host.changes.begin(), host.changes.end());
        ASSERT_EQ(told.size(), static_cast<size_t>(numParameters));
        PlayNote(1, 512);
        // The client's later report of every value, after a block, as in a host whose audio runs on.
        PumpMessages();
        for (const auto& [index, value] : host.changes)
            EXPECT_EQ(value, told[index]) << "program " << program << ", parameter " << index;
        for (int index = 0; index < numParameters; ++index)
            EXPECT_EQ(organ->getParameters()[index]->getValue(), told[index]) << "program " << program;
    }
    organ->removeListener(&host);
}

// A VST3 host's edit interface that keeps what it hears.
struct RecordingComponentHandler : Steinberg::Vst::IComponentHandler
{
    Steinberg::tresult PLUGIN_API queryInterface(const Steinberg::TUID, void** object) override
    {
        *object = nullptr;
        return Steinberg::kNoInterface;
    }
    Steinberg::uint32 PLUGIN_API addRef() override { return static_cast<Steinberg::uint32>(++references); }
    Steinberg::uint32 PLUGIN_API release() override { return static_cast<Steinberg::uint32>(--references); }
    Steinberg::tresult PLUGIN_API beginEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API performEdit(Steinberg::Vst::ParamID id,
                                              Steinberg::Vst::ParamValue value) override
    {
        edits.emplace_back(id, value);
        return Steinberg::kResultOk;
    }
    Steinberg::tresult PLUGIN_API endEdit(Steinberg::Vst::ParamID) override { return Steinberg::kResultOk; }
    Steinberg::tresult PLUGIN_API restartComponent(Steinberg::int32) override { return Steinberg::kResultOk; }

    std::atomic<int> references{1};
    std::vector<std::pair<Steinberg::Vst::ParamID, double>> edits;
};

// A program the host switches from its own thread reaches it inside its call (VST3: as the host's
// own edits) and never again from the message thread, where JUCE's VST3 client would turn it into
// the user's edit and the program just chosen would read as modified. A switch made on the
// rendering thread (where the client mutes the reports) is reported once more from the message
// thread, or the host would keep showing the old values.
TEST_F(OrganProcessorTest, AProgramSwitchReachesTheHostInItsCallOrFromTheMessageThread)
{
    organ->prepareToPlay(44100.0, 512);
    RecordingComponentHandler vst3Host;
    organ->setIComponentHandler(&vst3Host);
    HostListener host;
    organ->addListener(&host);
    const auto renderOnItsOwnThread = [this](int switchToProgram)
    {
        std::thread audio(
            [&]
            {
                PlayNote(1, 512);
                if (switchToProgram >= 0)
                    organ->setCurrentProgram(switchToProgram);
                PlayNote(2, 512);
            });
        audio.join();
    };
    const auto deliverMessages = [] { PumpMessages(); };
    renderOnItsOwnThread(-1);

    // The host's own thread, alive throughout as a host's is (a thread's id may come again once it ends).
    std::promise<void> switched, done;
    std::thread hostThread(
        [&]
        {
            organ->setCurrentProgram(2);
            switched.set_value();
            done.get_future().wait();
        });
    switched.get_future().wait();
    const auto editsInTheCall = vst3Host.edits;
    host.changesOnMessageThread = 0;
    renderOnItsOwnThread(-1);
    deliverMessages();
    done.set_value();
    hostThread.join();
    EXPECT_EQ(organ->getCurrentProgram(), 2);
    EXPECT_EQ(host.changesOnMessageThread, 0) << "no later report";
    EXPECT_EQ(vst3Host.edits.size(), editsInTheCall.size()) << "nothing after the host's call";
    ASSERT_EQ(editsInTheCall.size(), static_cast<size_t>(numParameters));
    for (size_t index = 0; index < editsInTheCall.size(); ++index)
    {
        const auto& parameter =
            *dynamic_cast<juce::AudioProcessorParameterWithID*>(organ->getParameters()[int(index)]);
        EXPECT_EQ(editsInTheCall[index].first, Vst3HostEdits::ParameterId(parameter));
        EXPECT_EQ(editsInTheCall[index].second, static_cast<double>(parameter.getValue()));
    }

    vst3Host.edits.clear();
    renderOnItsOwnThread(4);
    deliverMessages();
    EXPECT_EQ(organ->getCurrentProgram(), 4);
    EXPECT_EQ(host.changesOnMessageThread, numParameters) << "switched while rendering";
    EXPECT_TRUE(vst3Host.edits.empty()) << "no edits from the audio thread";

    // A host reopening a project sets the saved program in a new organ, then loads the saved
    // state: the edit in the state is what it hears last.
    organ->setCurrentProgram(7);
    organ->getParameters()[drawbar1Index]->setValueNotifyingHost(0.25f);
    juce::MemoryBlock saved;
    organ->getStateInformation(saved);
    const auto reopened = OrganProcessor::Create();
    reopened->setIComponentHandler(&vst3Host);
    vst3Host.edits.clear();
    std::thread(
        [&]
        {
            reopened->setCurrentProgram(7);
            reopened->setStateInformation(saved.getData(), static_cast<int>(saved.getSize()));
        })
        .join();
    reopened->setIComponentHandler(nullptr);
    std::map<Steinberg::Vst::ParamID, double> heardLast;
    for (const auto& [id, value] : vst3Host.edits)
        heardLast[id] = value;
    const auto& drawbar1 =
        *dynamic_cast<juce::AudioProcessorParameterWithID*>(reopened->getParameters()[drawbar1Index]);
    EXPECT_EQ(heardLast[Vst3HostEdits::ParameterId(drawbar1)], 0.25);
    organ->removeListener(&host);
    organ->setIComponentHandler(nullptr);
    EXPECT_EQ(vst3Host.references, 1) << "the host is let go";
}

TEST_F(OrganProcessorTest, ProgramsAndBadProgramNumbers)
{
    EXPECT_EQ(organ->getNumPrograms(), 10);
    EXPECT_EQ(organ->getProgramName(9), "Breathy");
    EXPECT_EQ(organ->getProgramName(10), "");
    organ->setCurrentProgram(10);
    organ->setCurrentProgram(-1);
    EXPECT_EQ(organ->getCurrentProgram(), 0);
    organ->changeProgramName(0, "Chapel");
    EXPECT_EQ(organ->getProgramName(0), "Chapel");
}

TEST_F(OrganProcessorTest, StateIsTheFiltersChunkAndForeignStatesAreRefused)
{
    juce::MemoryBlock filterChunk;
    organ->GetFilter().SaveState(filterChunk);
    juce::MemoryBlock state;
    organ->getStateInformation(state);
    EXPECT_EQ(state, filterChunk);

    auto other = OrganProcessor::Create();
    other->getParameters()[toneIndex]->setValue(0.1f);
    juce::MemoryBlock edited;
    other->getStateInformation(edited);
    organ->setStateInformation(edited.getData(), static_cast<int>(edited.getSize()));
    EXPECT_EQ(organ->getParameters()[toneIndex]->getValue(), 0.1f);

    const juce::String foreign = "<?xml version=\"1.0\"?><SOMEONE_ELSES_STATE gain=\"0.5\"/>";
    organ->setStateInformation(foreign.toRawUTF8(), static_cast<int>(foreign.getNumBytesAsUTF8()));
    organ->setStateInformation(nullptr, 100);
    organ->setStateInformation(edited.getData(), -5);
    organ->setStateInformation(edited.getData(), 7);
    EXPECT_EQ(organ->getParameters()[toneIndex]->getValue(), 0.1f);
}

TEST_F(OrganProcessorTest, UnpreparedOrBadlyPreparedOrganIsSilent)
{
    EXPECT_EQ(PlayNote(4, 256), 0.0f) << "before any prepare";
    for (const auto& [rate, block] : {std::pair{0.0, 0}, std::pair{44100.0, 0}, std::pair{44100.0, 1 << 20},
                                      std::pair{-1.0, 512}, std::pair{1e12, 512}})
    {
        organ->prepareToPlay(rate, block);
        EXPECT_EQ(PlayNote(2, 256), 0.0f) << rate << " Hz, " << block;
    }
    organ->prepareToPlay(44100.0, 256);
    EXPECT_GT(PlayNote(8, 256), 1e-3f);
    organ->releaseResources();
    EXPECT_EQ(PlayNote(2, 256), 0.0f) << "after release";
}

TEST_F(OrganProcessorTest, BlocksLongerThanPreparedAndOddChannelCounts)
{
    organ->getParameters()[speakerOnIndex]->setValue(0.0f);
    organ->prepareToPlay(44100.0, 64);
    EXPECT_GT(PlayNote(2, 4096), 1e-3f);

    juce::AudioBuffer<float> mono(1, 64);
    juce::MidiBuffer midi;
    organ->processBlock(mono, midi);
    EXPECT_GT(Peak(mono), 1e-4f);

    juce::AudioBuffer<float> wide(4, 64);
    wide.clear();
    wide.setSample(3, 10, 0.5f);
    organ->processBlock(wide, midi);
    EXPECT_EQ(wide.getMagnitude(3, 0, 64), 0.0f) << "channels beyond stereo are cleared";
}

TEST_F(OrganProcessorTest, EditorHoldsTheOrgansEditorAndIsForgottenWhenDeleted)
{
    std::unique_ptr<juce::AudioProcessorEditor> editor(organ->createEditor());
    ASSERT_NE(editor, nullptr);
    EXPECT_EQ(editor->getWidth(), 440);
    EXPECT_EQ(editor->getHeight(), 485) << "no program menu outside the standalone program";
    EXPECT_NE(organ->GetFilter().GetActiveEditor(), nullptr);
    editor.reset();
    EXPECT_EQ(organ->GetFilter().GetActiveEditor(), nullptr);
}
} // namespace

} // namespace brumalux
