// The VST3 form as hosts load it: the built bundle, opened with JUCE's own plug-in hosting,
// held against the VST 2 plug-in loaded through its entry point. (The LV2 form is hosted
// through lilv, as Linux hosts load it: LilvPluginTest.)

#include "HostedForms.h"
#include "params/SettingsBlock.h"
#include "tests/support/MessageLoop.h"
#include "tests/support/TemporaryHome.h"
#include "tests/support/X11TestDisplay.h"
#include "vst2host/PluginInstance.h"
#include "vst2host/PluginLibrary.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <chrono>
#include <cmath>
#include <functional>
#include <thread>

namespace brumalux
{

using brumalux::vst2host::PluginInstance;
using brumalux::vst2host::PluginLibrary;

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;
constexpr int oscillatorIndex = 0;
constexpr int percussionLevelIndex = 1;
constexpr int vibratoIndex = 15;
constexpr int speakerOnIndex = 19;
constexpr int clickLevelIndex = 26;

// One form of the organ, loaded through JUCE's hosting for that format.
struct Form
{
    const char* name;
    std::function<std::unique_ptr<juce::AudioPluginInstance>()> load;
};

void PrintTo(const Form& form, std::ostream* stream)
{
    *stream << form.name;
}

std::unique_ptr<juce::AudioPluginInstance> OpenVst3()
{
    juce::VST3PluginFormat format;
    return LoadVst3(format, sampleRate, blockSize);
}

void RunOneBlock(juce::AudioPluginInstance& instance)
{
    juce::AudioBuffer<float> buffer(2, blockSize);
    juce::MidiBuffer midi;
    buffer.clear();
    instance.processBlock(buffer, midi);
}

// Changes reach a hosted plug-in with its next block, and the plug-in's own changes reach
// the host from there and through the message loop.
void Settle(juce::AudioPluginInstance& instance)
{
    for (int round = 0; round < 5; ++round)
    {
        RunOneBlock(instance);
        RunMessagesFor(std::chrono::milliseconds(60));
    }
}

juce::MemoryBlock Vst2Chunk(PluginInstance& host)
{
    void* data = nullptr;
    const auto size = host.Dispatch(vst2::effGetChunk, 0, 0, &data);
    return juce::MemoryBlock(data, static_cast<size_t>(size));
}

class PluginFormats : public ::testing::TestWithParam<Form>
{
protected:
    static void SetUpTestSuite()
    {
        // JUCE's windows need the atoms this connection makes on a bare X server.
        if (std::getenv("DISPLAY") != nullptr)
            display = X11TestDisplay::Shared();
        juceRuntime = new juce::ScopedJuceInitialiser_GUI();
    }
    static void TearDownTestSuite() { delete juceRuntime; }

    void SetUp() override
    {
        instance = GetParam().load();
        ASSERT_NE(instance, nullptr) << "the " << GetParam().name << " form did not load";
        ASSERT_TRUE(vst2Library.IsLoaded()) << vst2Library.Error();
        vst2 = std::make_unique<PluginInstance>(vst2Library.Entry());
        instance->prepareToPlay(sampleRate, blockSize);
        hosted = FindOrganParameters(*instance);
        ASSERT_EQ(hosted.size(), static_cast<size_t>(numParameters)) << "every organ parameter, by name";
    }

    // The organ's parameters in index order, found by the names the VST 2 plug-in gives
    // (cut to 8 characters there): a form may list them in another order and add its own.
    std::vector<juce::AudioProcessorParameter*> FindOrganParameters(juce::AudioPluginInstance& form)
    {
        std::vector<juce::AudioProcessorParameter*> found;
        for (int i = 0; i < numParameters; ++i)
        {
            const juce::String vst2Name = vst2->CheckedText(vst2::effGetParamName, i, 8);
            for (auto* parameter : form.getParameters())
                if (parameter->getName(100).substring(0, 8) == vst2Name)
                    found.push_back(parameter);
            if (found.size() != static_cast<size_t>(i + 1))
                return {};
        }
        return found;
    }

    void TearDown() override
    {
        if (instance != nullptr)
            instance->releaseResources();
        instance.reset();
        vst2.reset();
    }

    // The form's number for an organ program: LV2 hosts list presets in an order of their own.
    int HostedProgram(juce::AudioPluginInstance& form, int organProgram)
    {
        const juce::String name = vst2->CheckedText(vst2::effGetProgramNameIndexed, organProgram, 24);
        for (int p = 0; p < form.getNumPrograms(); ++p)
            if (form.getProgramName(p) == name)
                return p;
        return -1;
    }

    juce::AudioProcessorParameter& Parameter(int index) { return *hosted[static_cast<size_t>(index)]; }

    // Normalised values as each form reports them.
    std::vector<float> HostedValues()
    {
        std::vector<float> values;
        for (int i = 0; i < numParameters; ++i)
            values.push_back(Parameter(i).getValue());
        return values;
    }
    std::vector<float> Vst2Values()
    {
        std::vector<float> values;
        for (int i = 0; i < numParameters; ++i)
            values.push_back(vst2->Effect()->getParameter(vst2->Effect(), i));
        return values;
    }
    void ExpectSameValues(const std::vector<float>& expected, const std::vector<float>& actual)
    {
        ASSERT_EQ(expected.size(), actual.size());
        for (size_t i = 0; i < expected.size(); ++i)
        {
            if (i != 18) // the engine writes "Unused" itself while it renders
            {
                EXPECT_NEAR(expected[i], actual[i], 1e-6f) << "parameter " << i;
            }
        }
    }

    static juce::ScopedJuceInitialiser_GUI* juceRuntime;
    static X11TestDisplay* display;
    PluginLibrary vst2Library{BRUMALUX_PLUGIN};
    std::unique_ptr<PluginInstance> vst2;
    std::unique_ptr<juce::AudioPluginInstance> instance;
    std::vector<juce::AudioProcessorParameter*> hosted;
};

juce::ScopedJuceInitialiser_GUI* PluginFormats::juceRuntime = nullptr;
X11TestDisplay* PluginFormats::display = nullptr;

// The window of this size among a window's descendants (the plug-in's own, inside the
// host's), or 0.
X11TestDisplay::WindowId FindWindowOfSize(X11TestDisplay& x, X11TestDisplay::WindowId window,
                                          std::pair<int, int> size)
{
    for (const auto child : x.ChildrenOf(window))
    {
        // The innermost: a host's own window may hold the plug-in's at the same size.
        if (const auto found = FindWindowOfSize(x, child, size))
            return found;
        if (x.SizeOf(child) == size)
            return child;
    }
    return 0;
}

// Points inside flat areas of the 100 % editor (drawbar track, keyboard, borders).
constexpr std::pair<int, int> samplePoints[] = {{5, 200},   {5, 407},  {220, 2},
                                                {220, 483}, {37, 220}, {16, 470}};

int Scaled(int position, float scale)
{
    return static_cast<int>((static_cast<float>(position) + 0.5f) * scale);
}

TEST_P(PluginFormats, EditorDrawsAtTheHostsScaleTimesTheUsersZoomAndTheHostFollows)
{
    if (display == nullptr)
        GTEST_SKIP() << "no X display";
    const TemporaryHome home;
    struct Case
    {
        const char* source;
        int userZoom;
        float hostScale;
        float scale;
    };
    const Case cases[] = {
        {"none", 100, 1.0f, 1.0f},
        {"host 200 %", 100, 2.0f, 2.0f},
        {"host 125 %", 100, 1.25f, 1.25f},
        {"user 150 %", 150, 1.0f, 1.5f},
        {"host 150 % and user 200 %", 200, 1.5f, 3.0f},
    };
    std::vector<std::uint32_t> reference;
    for (const auto& c : cases)
    {
        SCOPED_TRACE(c.source);
        home.Write(".config/Brumalux/Editor.settings", "zoom = " + std::to_string(c.userZoom) + "\n");
        std::unique_ptr<juce::AudioProcessorEditor> editor(instance->createEditor());
        ASSERT_NE(editor, nullptr);
        editor->addToDesktop(0);
        editor->setVisible(true);
        const auto zoomed = c.userZoom / 100.0f;
        const std::pair openSize(static_cast<int>(std::ceil(440 * zoomed)),
                                 static_cast<int>(std::ceil(485 * zoomed)));
        EXPECT_TRUE(PumpUntil([&] { return std::pair(editor->getWidth(), editor->getHeight()) == openSize; }))
            << "opened at " << editor->getWidth() << " x " << editor->getHeight();

        // While open, as a host does when the window moves to a screen of another scale.
        editor->setScaleFactor(c.hostScale);
        const std::pair size(static_cast<int>(std::ceil(440 * c.scale)),
                             static_cast<int>(std::ceil(485 * c.scale)));
        EXPECT_TRUE(PumpUntil([&] { return std::pair(editor->getWidth(), editor->getHeight()) == size; }))
            << "the host's window is " << editor->getWidth() << " x " << editor->getHeight();

        const auto hostWindow =
            reinterpret_cast<X11TestDisplay::WindowId>(editor->getPeer()->getNativeHandle());
        X11TestDisplay::WindowId organWindow = 0;
        ASSERT_TRUE(
            PumpUntil([&] { return (organWindow = FindWindowOfSize(*display, hostWindow, size)) != 0; }));
        const auto colours = [&]
        {
            std::vector<std::uint32_t> seen;
            for (const auto& [x, y] : samplePoints)
                seen.push_back(display->PixelAt(organWindow, Scaled(x, c.scale), Scaled(y, c.scale)));
            return seen;
        };
        if (reference.empty())
        {
            ASSERT_TRUE(PumpUntil([&] { return colours()[0] == 0x87ceeb; }))
                << "the editor was never painted";
            reference = colours();
        }
        // A window that has just grown may still show its former picture for a moment.
        PumpUntil([&] { return colours() == reference; });
        const auto seen = colours();
        for (size_t i = 0; i < std::size(samplePoints); ++i)
            EXPECT_EQ(seen[i], reference[i])
                << "at " << samplePoints[i].first << ", " << samplePoints[i].second;
        editor.reset();
        PumpMessages();
    }
}

TEST_P(PluginFormats, IdentityParametersAndPrograms)
{
    const auto description = instance->getPluginDescription();
    EXPECT_EQ(description.name, "Brumalux");
    EXPECT_EQ(description.manufacturerName, "Quellmark music");
    EXPECT_TRUE(description.isInstrument);
    EXPECT_EQ(instance->getTotalNumOutputChannels(), 2);
    EXPECT_TRUE(instance->acceptsMidi());

    // Names were matched in SetUp. A host's own controls read the value in its unit, and
    // take a text back; "Unused" is offered for no automation.
    struct Reading
    {
        int index;
        float normalised;
        const char* text;
        const char* unit;
        bool automatable;
    };
    for (const auto& reading :
         {Reading{oscillatorIndex, 0.5f, "Hard organ sine", "", true}, Reading{2, 0.0f, "5", "ms", true},
          Reading{8, 0.9f, "0.90", "", true}, Reading{16, 1.0f, "12000", "Hz", true},
          Reading{17, 0.0f, "1.00", "", true}, Reading{18, 0.5f, "0.50", "", false},
          Reading{speakerOnIndex, 0.0f, "Off", "", true}, Reading{speakerOnIndex, 1.0f, "On", "", true},
          Reading{20, 0.0f, "0.10", "Hz", true}})
    {
        SCOPED_TRACE(reading.text);
        auto& parameter = Parameter(reading.index);
        EXPECT_EQ(parameter.getText(reading.normalised, 100), reading.text);
        EXPECT_EQ(parameter.getLabel(), reading.unit);
        EXPECT_EQ(parameter.isAutomatable(), reading.automatable);
        EXPECT_NEAR(parameter.getValueForText(reading.text), reading.normalised, 1e-6f);
    }

    ASSERT_EQ(instance->getNumPrograms(), numPrograms);
    juce::StringArray hostedNames, vst2Names;
    for (int p = 0; p < numPrograms; ++p)
    {
        hostedNames.add(instance->getProgramName(p));
        vst2Names.add(vst2->CheckedText(vst2::effGetProgramNameIndexed, p, 24));
    }
    const auto hostedSwitch = HostedProgram(*instance, 6);
    hostedNames.sort(false);
    vst2Names.sort(false);
    EXPECT_EQ(hostedNames, vst2Names);

    instance->setCurrentProgram(hostedSwitch);
    vst2->Dispatch(vst2::effSetProgram, 0, 6);
    Settle(*instance);
    ExpectSameValues(Vst2Values(), HostedValues());
    EXPECT_EQ(instance->getCurrentProgram(), hostedSwitch);
}

TEST_P(PluginFormats, StateRoundTripsAndMovesToAndFromTheVst2Plugin)
{
    // Edits the VST 2 organ, then moves its chunk into this form.
    vst2->Dispatch(vst2::effSetProgram, 0, 3);
    vst2->Effect()->setParameter(vst2->Effect(), 16, 0.25f);
    vst2->Effect()->setParameter(vst2->Effect(), 8, 0.75f);
    // A rendered block sets "Unused" from Distortion, as every hosted form has done.
    PluginInstance::Channels out(2, std::vector<float>(blockSize));
    vst2->ProcessReplacing(out, blockSize);
    const auto vst2Chunk = Vst2Chunk(*vst2);
    const auto movedIn = StateWithOrganBytes(GetParam().name, *instance, vst2Chunk);
    instance->setStateInformation(movedIn.getData(), static_cast<int>(movedIn.getSize()));
    Settle(*instance);
    instance->setCurrentProgram(HostedProgram(*instance, 3));
    Settle(*instance);

    // The form hands back the bank the VST 2 plug-in saved. (The values a host shows after
    // a state load are left to the program test: JUCE's VST3 host re-reads them at a moment
    // of its own choosing, sometimes before the load.)
    juce::MemoryBlock hostState;
    instance->getStateInformation(hostState);
    const auto bank = ProgramsAsVst2ReadsThem(vst2Library, OrganBytesFromState(GetParam().name, hostState));
    EXPECT_EQ(bank, ProgramsAsVst2ReadsThem(vst2Library, vst2Chunk));
    EXPECT_NEAR(bank[3][16], 0.25f, 1e-6f) << "the edit made in the VST 2 plug-in";

    // Its own round trip, through a second instance.
    Parameter(2).setValueNotifyingHost(0.5f);
    Settle(*instance);
    instance->getStateInformation(hostState);
    auto second = GetParam().load();
    ASSERT_NE(second, nullptr);
    second->prepareToPlay(sampleRate, blockSize);
    second->setStateInformation(hostState.getData(), static_cast<int>(hostState.getSize()));
    Settle(*second);
    juce::MemoryBlock secondState;
    second->getStateInformation(secondState);
    const auto savedBank =
        ProgramsAsVst2ReadsThem(vst2Library, OrganBytesFromState(GetParam().name, hostState));
    EXPECT_EQ(ProgramsAsVst2ReadsThem(vst2Library, OrganBytesFromState(GetParam().name, secondState)),
              savedBank);
    // And the VST 2 plug-in reads the form's edit.
    EXPECT_NEAR(savedBank[3][2], 0.5f, 1e-6f);
}

TEST_P(PluginFormats, ForeignStateIsRefused)
{
    const auto before = HostedValues();
    juce::MemoryBlock foreign;
    for (int i = 0; i < 600; ++i)
        foreign.append("junk", 4);
    const auto state = StateWithOrganBytes(GetParam().name, *instance, foreign);
    instance->setStateInformation(state.getData(), static_cast<int>(state.getSize()));
    Settle(*instance);
    ExpectSameValues(before, HostedValues());
}

// The speaker's rotors and every noise source are left out (the key click, and the
// percussion, whose sine table carries noise drawn when it is prepared), so that two
// organs given the same MIDI have no reason to differ in a single sample. The vibrato is
// off too: its sweep moves on once per block the organ renders.
TEST_P(PluginFormats, ChordRendersAsTheVst2PluginRendersIt)
{
    const std::vector<std::pair<int, float>> settings{{speakerOnIndex, 0.0f},
                                                      {clickLevelIndex, 0.0f},
                                                      {percussionLevelIndex, 0.0f},
                                                      {vibratoIndex, 0.0f},
                                                      {oscillatorIndex, 0.75f}};
    for (const auto& [index, value] : settings)
    {
        Parameter(index).setValueNotifyingHost(value);
        vst2->Effect()->setParameter(vst2->Effect(), index, value);
    }
    vst2->Resume(static_cast<float>(sampleRate), blockSize);
    PluginInstance::Channels reference(2, std::vector<float>(blockSize));
    RunOneBlock(*instance);
    vst2->ProcessReplacing(reference, blockSize);

    const unsigned char chord[][3] = {{0x90, 60, 100}, {0x90, 64, 90}, {0x90, 67, 80}};
    float loudest = 0.0f;
    for (int block = 0; block < 40; ++block)
    {
        juce::MidiBuffer midi;
        std::vector<PluginInstance::MidiEvent> events;
        if (block == 0 || block == 25)
            for (int n = 0; n < 3; ++n)
            {
                const unsigned char status = block == 0 ? 0x90 : 0x80;
                const int offset = 17 * n + 5;
                midi.addEvent(juce::MidiMessage(status, chord[n][1], chord[n][2]), offset);
                events.push_back({offset, {status, chord[n][1], chord[n][2]}});
            }
        vst2->SendMidi(events);
        vst2->ProcessReplacing(reference, blockSize);
        juce::AudioBuffer<float> buffer(2, blockSize);
        buffer.clear();
        instance->processBlock(buffer, midi);
        for (int channel = 0; channel < 2; ++channel)
            for (int i = 0; i < blockSize; ++i)
            {
                const auto expected = reference[static_cast<size_t>(channel)][static_cast<size_t>(i)];
                loudest = std::max(loudest, std::abs(expected));
                ASSERT_NEAR(buffer.getSample(channel, i), expected, 1e-6f)
                    << "block " << block << ", channel " << channel << ", sample " << i;
            }
    }
    EXPECT_GT(loudest, 0.01f) << "the chord sounded";
}

// Counts the values a host hears of for one parameter.
struct HeardValues : juce::AudioProcessorParameter::Listener
{
    void parameterValueChanged(int, float value) override { values.push_back(value); }
    void parameterGestureChanged(int, bool) override {}
    std::vector<float> values;
};

void SendController(juce::AudioPluginInstance& instance, int controller, int value)
{
    juce::AudioBuffer<float> buffer(2, blockSize);
    juce::MidiBuffer midi;
    midi.addEvent(juce::MidiMessage::controllerEvent(1, controller, value), 0);
    instance.processBlock(buffer, midi);
}

TEST_P(PluginFormats, ControllersMoveTheDrawbarsAndAMapTravelsInTheState)
{
    constexpr int drawbar2 = 8;
    constexpr int tone = 16;
    HeardValues heard;
    Parameter(drawbar2).addListener(&heard);
    SendController(*instance, 72, 127); // the default map
    Settle(*instance);
    Parameter(drawbar2).removeListener(&heard);
    EXPECT_FLOAT_EQ(Parameter(drawbar2).getValue(), 1.0f);
    ASSERT_FALSE(heard.values.empty()) << "the host heard of the change";
    EXPECT_FLOAT_EQ(heard.values.back(), 1.0f);

    // The VST 2 plug-in's bank with a map: 20 drives Tone, 72 DrawBar2 inverted.
    SettingsBlock block;
    block.AddInt32("PROG", 0);
    const uint8_t map[] = {20, tone, 0, 0, 72, drawbar2, 1, 0};
    block.Add("CMAP", map, sizeof(map));
    auto organBytes = Vst2Chunk(*vst2);
    block.AppendTo(organBytes);
    const auto state = StateWithOrganBytes(GetParam().name, *instance, organBytes);
    instance->setStateInformation(state.getData(), static_cast<int>(state.getSize()));
    Settle(*instance);
    // Saved with the same block (the bank's values are the program test's business: a form rewrites
    // "Unused" as it renders).
    juce::MemoryBlock saved, blockBytes;
    instance->getStateInformation(saved);
    block.AppendTo(blockBytes);
    const auto savedBytes = OrganBytesFromState(GetParam().name, saved);
    ASSERT_EQ(savedBytes.getSize(), organBytes.getSize());
    EXPECT_EQ(juce::MemoryBlock(savedBytes.begin() + savedBytes.getSize() - blockBytes.getSize(),
                                blockBytes.getSize()),
              blockBytes);

    SendController(*instance, 72, 127);
    SendController(*instance, 20, 127);
    Settle(*instance);
    EXPECT_FLOAT_EQ(Parameter(drawbar2).getValue(), 0.0f);
    EXPECT_FLOAT_EQ(Parameter(tone).getValue(), 1.0f);

    // A damaged entry (a switch mode on a drawbar) refuses the whole state.
    const uint8_t damaged[] = {72, drawbar2, 0, 1};
    block.Add("CMAP", damaged, sizeof(damaged));
    auto damagedBytes = Vst2Chunk(*vst2);
    block.AppendTo(damagedBytes);
    const auto damagedState = StateWithOrganBytes(GetParam().name, *instance, damagedBytes);
    instance->setStateInformation(damagedState.getData(), static_cast<int>(damagedState.getSize()));
    Settle(*instance);
    SendController(*instance, 72, 0);
    Settle(*instance);
    EXPECT_FLOAT_EQ(Parameter(drawbar2).getValue(), 1.0f) << "still inverted";
}

// A settings block as the organ writes it for a tuning with the first program selected: "PROG" 0,
// then "TUNE" with the transpose and the reference in Hz.
juce::MemoryBlock TuningBlock(int32_t transpose, float reference)
{
    juce::MemoryOutputStream tune;
    tune.writeInt(transpose);
    tune.writeFloat(reference);
    SettingsBlock block;
    block.AddInt32("PROG", 0);
    block.Add("TUNE", tune.getData(), tune.getDataSize());
    juce::MemoryBlock bytes;
    block.AppendTo(bytes);
    return bytes;
}

double ZeroCrossingFrequency(const std::vector<float>& signal)
{
    std::vector<double> crossings;
    for (size_t i = 1; i < signal.size(); ++i)
        if (signal[i - 1] < 0.0f && signal[i] >= 0.0f)
            crossings.push_back(static_cast<double>(i - 1) + signal[i - 1] / (signal[i - 1] - signal[i]));
    if (crossings.size() < 2)
        return 0.0;
    return static_cast<double>(crossings.size() - 1) / (crossings.back() - crossings.front()) * sampleRate;
}

// Note 69 held for a second and a half; the last second of the left channel.
std::vector<float> HeldNote69(const std::function<void(juce::MidiBuffer&, juce::AudioBuffer<float>&)>& play)
{
    std::vector<float> left;
    for (int block = 0; block < static_cast<int>(1.5 * sampleRate) / blockSize; ++block)
    {
        juce::MidiBuffer midi;
        if (block == 0)
            midi.addEvent(juce::MidiMessage::noteOn(1, 69, 1.0f), 0);
        juce::AudioBuffer<float> buffer(2, blockSize);
        buffer.clear();
        play(midi, buffer);
        if (block >= static_cast<int>(0.5 * sampleRate) / blockSize)
            left.insert(left.end(), buffer.getReadPointer(0), buffer.getReadPointer(0) + blockSize);
    }
    return left;
}

// A tuning set in the VST 2 plug-in's state (an octave up to concert pitch, and A = 442 Hz) moves
// into this form with the state, plays there at the same pitch, and comes back in the form's state
// byte for byte.
TEST_P(PluginFormats, TuningTravelsWithTheStateBetweenForms)
{
    // One sine drawbar (DrawBar2) through a transparent chain: no percussion, click, vibrato or
    // speaker, the least drive.
    const std::vector<std::pair<int, float>> settings{{oscillatorIndex, 0.0f}, {percussionLevelIndex, 0.0f},
                                                      {vibratoIndex, 0.0f},    {17, 0.0f},
                                                      {speakerOnIndex, 0.0f},  {clickLevelIndex, 0.0f}};
    for (const auto& [index, value] : settings)
        vst2->Effect()->setParameter(vst2->Effect(), index, value);
    for (int drawbar = 0; drawbar < 9; ++drawbar)
        vst2->Effect()->setParameter(vst2->Effect(), 6 + drawbar, drawbar == 2 ? 1.0f : 0.0f);

    // A rendered block sets "Unused" from Distortion, as the form's blocks will.
    PluginInstance::Channels out(2, std::vector<float>(blockSize));
    vst2->ProcessReplacing(out, blockSize);
    const auto bank = Vst2Chunk(*vst2);
    ASSERT_EQ(bank.getSize(), 1262u) << "program 0, untuned: the bank alone";
    for (const auto& [transpose, reference] : {std::pair{12, 440.0f}, std::pair{12, 442.0f}})
    {
        auto tuned = bank;
        const auto block = TuningBlock(transpose, reference);
        tuned.append(block.getData(), block.getSize());
        vst2->Dispatch(vst2::effSetChunk, 0, static_cast<vst2::VstIntPtr>(tuned.getSize()), tuned.getData());
        EXPECT_EQ(Vst2Chunk(*vst2), tuned) << "the VST 2 plug-in's own round trip";
        vst2->Resume(static_cast<float>(sampleRate), blockSize);
        const auto vst2Note = HeldNote69(
            [&](juce::MidiBuffer& midi, juce::AudioBuffer<float>& buffer)
            {
                std::vector<PluginInstance::MidiEvent> events;
                for (const auto metadata : midi)
                    events.push_back(
                        {metadata.samplePosition, {metadata.data[0], metadata.data[1], metadata.data[2]}});
                vst2->SendMidi(events);
                vst2->ProcessReplacing(out, blockSize);
                buffer.copyFrom(0, 0, out[0].data(), blockSize);
            });
        vst2->Dispatch(vst2::effMainsChanged, 0, 0);

        const auto movedIn = StateWithOrganBytes(GetParam().name, *instance, tuned);
        instance->setStateInformation(movedIn.getData(), static_cast<int>(movedIn.getSize()));
        Settle(*instance);
        const auto formNote = HeldNote69([&](juce::MidiBuffer& midi, juce::AudioBuffer<float>& buffer)
                                         { instance->processBlock(buffer, midi); });
        juce::MemoryBlock hostState;
        instance->getStateInformation(hostState);

        for (const auto* note : {&vst2Note, &formNote})
            EXPECT_NEAR(1200.0 * std::log2(ZeroCrossingFrequency(*note) / reference), 0.0, 0.1)
                << (note == &vst2Note ? "VST 2" : GetParam().name) << " at A = " << reference;
        EXPECT_EQ(OrganBytesFromState(GetParam().name, hostState), tuned) << "back from the form";
        RunOneBlock(*instance);
        juce::MidiBuffer allOff;
        allOff.addEvent(juce::MidiMessage::allSoundOff(1), 0);
        juce::AudioBuffer<float> silence(2, blockSize);
        instance->processBlock(silence, allOff);
    }
}

// A project saved with program 7 and two of its values changed comes back as saved: the
// host may select the program before restoring the state, after it, or not at all. The
// same holds for a state saved by the VST 2 plug-in, and the VST 2 plug-in reads this
// form's state so.
TEST_P(PluginFormats, AReopenedStatePlaysTheSavedProgramWithItsEdits)
{
    constexpr int savedProgram = 7;
    const std::vector<std::pair<int, float>> edits{{16, 0.25f}, {9, 0.875f}};
    const auto* form = GetParam().name;
    auto prepared = [&]
    {
        auto loaded = GetParam().load();
        if (loaded != nullptr)
            loaded->prepareToPlay(sampleRate, blockSize);
        return loaded;
    };
    // Every instance settles (renders as many blocks, which carry a host's changes to the
    // plug-in) before its chord, so that the modulators stand alike: the speaker and
    // vibrato are on.
    auto playChord = [](juce::AudioPluginInstance& organ)
    {
        std::vector<float> rendered;
        for (int block = 0; block < 8; ++block)
        {
            juce::AudioBuffer<float> buffer(2, blockSize);
            buffer.clear();
            juce::MidiBuffer midi;
            if (block == 0)
                for (const int note : {60, 64, 67})
                    midi.addEvent(juce::MidiMessage::noteOn(1, note, 0.8f), note - 55);
            organ.processBlock(buffer, midi);
            for (int channel = 0; channel < 2; ++channel)
                rendered.insert(rendered.end(), buffer.getReadPointer(channel),
                                buffer.getReadPointer(channel) + blockSize);
        }
        return rendered;
    };
    auto organBytes = [&](juce::AudioPluginInstance& organ)
    {
        juce::MemoryBlock hostState;
        organ.getStateInformation(hostState);
        return OrganBytesFromState(form, hostState);
    };

    auto source = prepared();
    ASSERT_NE(source, nullptr);
    source->setCurrentProgram(HostedProgram(*source, savedProgram));
    Settle(*source);
    const auto sourceParameters = FindOrganParameters(*source);
    ASSERT_EQ(sourceParameters.size(), static_cast<size_t>(numParameters));
    for (const auto& [index, value] : edits)
        sourceParameters[static_cast<size_t>(index)]->setValueNotifyingHost(value);
    Settle(*source);
    juce::MemoryBlock saved;
    source->getStateInformation(saved);
    const auto chord = playChord(*source);
    ASSERT_GT(*std::max_element(chord.begin(), chord.end()), 0.01f);
    const auto sourceBytes = organBytes(*source);

    // The VST 2 plug-in reads the program and the edits from this form's state.
    PluginInstance vst2Reader(vst2Library.Entry());
    const auto savedBytes = OrganBytesFromState(form, saved);
    vst2Reader.LoadState({savedBytes.begin(), savedBytes.end()});
    EXPECT_EQ(vst2Reader.CurrentProgram(), savedProgram);
    for (const auto& [index, value] : edits)
        EXPECT_NEAR(vst2Reader.Parameter(index), value, 1e-6f) << "parameter " << index;

    // The same program and edits saved by the VST 2 plug-in, moved into this form.
    PluginInstance vst2Source(vst2Library.Entry());
    vst2Source.SelectProgram(savedProgram);
    for (const auto& [index, value] : edits)
        vst2Source.SetParameter(index, value);
    const auto vst2State = vst2Source.State();
    const auto movedIn =
        StateWithOrganBytes(form, *instance, juce::MemoryBlock(vst2State.data(), vst2State.size()));

    enum Order
    {
        programBeforeState,
        programAfterState,
        stateAlone,
        vst2StateAlone
    };
    for (const auto order : {programBeforeState, programAfterState, stateAlone, vst2StateAlone})
    {
        auto restored = prepared();
        ASSERT_NE(restored, nullptr);
        const int hostedProgram = HostedProgram(*restored, savedProgram);
        if (order == programBeforeState)
        {
            restored->setCurrentProgram(hostedProgram);
            // Time for the client's own message thread to report the program's values, as
            // it may before a host's next call: the state must not be undone by them.
            std::this_thread::sleep_for(std::chrono::milliseconds(200));
        }
        const auto& state = order == vst2StateAlone ? movedIn : saved;
        restored->setStateInformation(state.getData(), static_cast<int>(state.getSize()));
        if (order == programAfterState)
            restored->setCurrentProgram(hostedProgram);
        Settle(*restored);
        Settle(*restored); // as often as the source, which settled its program and its edits
        EXPECT_TRUE(playChord(*restored) == chord) << "order " << order;
        const auto restoredBytes = organBytes(*restored);
        if (order != vst2StateAlone)
        {
            EXPECT_EQ(restoredBytes, sourceBytes) << "order " << order;
        }
        EXPECT_EQ(restored->getCurrentProgram(), hostedProgram) << "order " << order;
    }
}

// Hosts that compare a program's values with the live ones would mark a program modified
// the moment it plays if a block changed any of them; "Unused" is the one the organ sets.
TEST_P(PluginFormats, AChosenProgramReadsTheSameOnceItPlays)
{
    constexpr int distortionIndex = 17;
    constexpr int unusedIndex = 18;
    vst2->Resume(static_cast<float>(sampleRate), blockSize);
    PluginInstance::Channels out(2, std::vector<float>(blockSize));
    for (const int program : {2, 6, 7})
    {
        instance->setCurrentProgram(HostedProgram(*instance, program));
        Settle(*instance);
        const auto chosen = HostedValues();
        Settle(*instance);
        EXPECT_EQ(HostedValues(), chosen) << "program " << program;
        const float distortion = 1.0f + 9.0f * chosen[distortionIndex];
        EXPECT_NEAR(chosen[unusedIndex], 0.97f - 0.05f * distortion, 1e-6f) << "program " << program;

        vst2->SelectProgram(program);
        const auto vst2Chosen = Vst2Values();
        vst2->ProcessReplacing(out, blockSize);
        EXPECT_EQ(Vst2Values(), vst2Chosen) << "program " << program;
        EXPECT_NEAR(vst2Chosen[unusedIndex], chosen[unusedIndex], 1e-6f) << "program " << program;
    }
}

INSTANTIATE_TEST_SUITE_P(Forms, PluginFormats, ::testing::Values(Form{"VST3", OpenVst3}),
                         [](const auto& form) { return std::string(form.param.name); });

TEST(Vst3Bundle, ClassIdStaysTheSame)
{
    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile(found, BRUMALUX_VST3_BUNDLE);
    ASSERT_EQ(found.size(), 1);
    // JUCE's hash of the VST3 class id. Hosts file projects under the class id: it must
    // never change between versions.
    EXPECT_EQ(static_cast<juce::uint32>(found[0]->uniqueId), 0x851b20ecu);
}

// The project's version, as every form and the render tool show it.
TEST(Version, EveryFormAndTheRenderToolShowTheProjectVersion)
{
    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    const auto parts = juce::StringArray::fromTokens(BRUMALUX_VERSION, ".", "");
    ASSERT_EQ(parts.size(), 3);

    // VST 2 hosts show major * 1000 + minor * 100 + patch * 10.
    PluginLibrary vst2Library{BRUMALUX_PLUGIN};
    PluginInstance vst2(vst2Library.Entry());
    ASSERT_TRUE(vst2.HasInstance()) << vst2.Problem();
    EXPECT_EQ(vst2.Dispatch(vst2::effGetVendorVersion),
              parts[0].getIntValue() * 1000 + parts[1].getIntValue() * 100 + parts[2].getIntValue() * 10);

    juce::VST3PluginFormat vst3;
    juce::OwnedArray<juce::PluginDescription> found;
    vst3.findAllTypesForFile(found, BRUMALUX_VST3_BUNDLE);
    ASSERT_EQ(found.size(), 1);
    EXPECT_EQ(found[0]->version, juce::String(BRUMALUX_VERSION));

    // LV2 hosts read the release from the bundle.
    const auto lv2Description =
        juce::File(BRUMALUX_LV2_DIR).getChildFile("Brumalux.lv2/dsp.ttl").loadFileAsString();
    EXPECT_TRUE(lv2Description.contains("doap:revision \"" BRUMALUX_VERSION "\"")) << lv2Description;

    juce::ChildProcess render;
    ASSERT_TRUE(render.start(juce::StringArray{TEST_PROGRAM_LAUNCHER BRUMALUX_RENDER_TOOL, "--version"}));
    EXPECT_EQ(render.readAllProcessOutput(), juce::String("brumalux-render " BRUMALUX_VERSION "\n"));
    EXPECT_EQ(render.getExitCode(), 0u);
}
} // namespace

} // namespace brumalux
