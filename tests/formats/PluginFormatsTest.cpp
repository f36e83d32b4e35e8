// The VST3 and LV2 forms as hosts load them: the built bundles, opened with JUCE's own
// plug-in hosting, held against the VST 2 plug-in loaded through its entry point.

#include "tests/host/TestHost.h"

#include <juce_audio_processors/juce_audio_processors.h>

#include <gtest/gtest.h>

#include <cstdlib>
#include <functional>

namespace
{
constexpr double sampleRate = 44100.0;
constexpr int blockSize = 512;
constexpr int numParameters = 27;
constexpr int numPrograms = 10;
constexpr int oscillatorIndex = 0;
constexpr int speakerOnIndex = 19;
constexpr int clickLevelIndex = 26;
const char* const lv2Uri = "https://quellmark.music/plugins/brumalux";

std::unique_ptr<juce::AudioPluginInstance> Instantiate(juce::AudioPluginFormat& format, const juce::String& file)
{
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile(found, file);
    if (found.size() != 1)
        return nullptr;
    juce::String error;
    return format.createInstanceFromDescription(*found[0], sampleRate, blockSize, error);
}

// One form of the organ, loaded through JUCE's hosting for that format.
struct Form
{
    const char* name;
    std::function<std::unique_ptr<juce::AudioPluginInstance>()> load;
};

std::unique_ptr<juce::AudioPluginInstance> LoadVst3()
{
    juce::VST3PluginFormat format;
    return Instantiate(format, BRUMALUX_VST3_BUNDLE);
}

std::unique_ptr<juce::AudioPluginInstance> LoadLv2()
{
    juce::LV2PluginFormat format;
    return Instantiate(format, lv2Uri);
}

// The organ's state bytes inside a host's saved state of each format, and the reverse.
// VST3: JUCE's host keeps the component state in base64; JUCE's client appends its own
// trailer (size, then "JUCEPrivateData") after the plug-in's bytes.
juce::MemoryBlock OrganBytesFromVst3State(const juce::MemoryBlock& hostState)
{
    juce::MemoryBlock component;
    if (auto xml = juce::AudioProcessor::getXmlFromBinary(hostState.getData(), static_cast<int>(hostState.getSize())))
        if (auto* element = xml->getChildByName("IComponent"))
            component.fromBase64Encoding(element->getAllSubText());
    const juce::String marker = "JUCEPrivateData";
    const auto size = component.getSize();
    const auto trailer = static_cast<size_t>(marker.length()) + sizeof(juce::int64);
    if (size < trailer + sizeof(juce::int64))
        return {};
    juce::int64 privateSize = 0;
    component.copyTo(&privateSize, static_cast<int>(size - trailer), sizeof(privateSize));
    const auto organSize = size - trailer - static_cast<size_t>(privateSize) - sizeof(juce::int64);
    return juce::MemoryBlock(component.getData(), organSize);
}

juce::MemoryBlock Vst3StateWithOrganBytes(const juce::MemoryBlock& organBytes)
{
    juce::XmlElement state("VST3PluginState");
    state.createNewChildElement("IComponent")->addTextElement(organBytes.toBase64Encoding());
    juce::MemoryBlock hostState;
    juce::AudioProcessor::copyXmlToBinary(state, hostState);
    return hostState;
}

// LV2: JUCE's client stores the bytes, in JUCE's base64, as one string property of the state.
juce::String Lv2StateString(const juce::MemoryBlock& hostState)
{
    const auto text = hostState.toString();
    const auto afterKey = text.fromFirstOccurrenceOf("StateString>", false, false).fromFirstOccurrenceOf("\"", false, false);
    return afterKey.upToFirstOccurrenceOf("\"", false, false);
}

juce::MemoryBlock OrganBytesFromLv2State(const juce::MemoryBlock& hostState)
{
    juce::MemoryBlock organBytes;
    organBytes.fromBase64Encoding(Lv2StateString(hostState));
    return organBytes;
}

juce::MemoryBlock Lv2StateWithOrganBytes(const juce::MemoryBlock& hostState, const juce::MemoryBlock& organBytes)
{
    const auto text = hostState.toString().replace(Lv2StateString(hostState), organBytes.toBase64Encoding());
    return juce::MemoryBlock(text.toRawUTF8(), text.getNumBytesAsUTF8());
}

juce::MemoryBlock OrganBytesFromState(const char* form, const juce::MemoryBlock& hostState)
{
    return juce::String(form) == "VST3" ? OrganBytesFromVst3State(hostState) : OrganBytesFromLv2State(hostState);
}

juce::MemoryBlock StateWithOrganBytes(const char* form, juce::AudioPluginInstance& instance,
                                      const juce::MemoryBlock& organBytes)
{
    if (juce::String(form) == "VST3")
        return Vst3StateWithOrganBytes(organBytes);
    juce::MemoryBlock hostState;
    instance.getStateInformation(hostState);
    return Lv2StateWithOrganBytes(hostState, organBytes);
}

// Parameter changes reach a hosted plug-in with its next block.
void RunOneBlock(juce::AudioPluginInstance& instance)
{
    juce::AudioBuffer<float> buffer(2, blockSize);
    juce::MidiBuffer midi;
    buffer.clear();
    instance.processBlock(buffer, midi);
}

juce::MemoryBlock Vst2Chunk(TestHost& host)
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
        // LV2 hosts find bundles through LV2_PATH.
        setenv("LV2_PATH", BRUMALUX_LV2_DIR, 1);
        juceRuntime = new juce::ScopedJuceInitialiser_GUI();
    }
    static void TearDownTestSuite() { delete juceRuntime; }

    void SetUp() override
    {
        instance = GetParam().load();
        ASSERT_NE(instance, nullptr) << "the " << GetParam().name << " form did not load";
        ASSERT_TRUE(vst2Library.IsLoaded()) << vst2Library.Error();
        vst2 = std::make_unique<TestHost>(vst2Library.Entry());
        instance->prepareToPlay(sampleRate, blockSize);
    }

    void TearDown() override
    {
        if (instance != nullptr)
            instance->releaseResources();
        instance.reset();
        vst2.reset();
    }

    juce::AudioProcessorParameter& Parameter(int index) { return *instance->getParameters()[index]; }

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
            if (i != 18) // the engine writes "Unused" itself while it renders
                EXPECT_NEAR(expected[i], actual[i], 1e-6f) << "parameter " << i;
    }

    static juce::ScopedJuceInitialiser_GUI* juceRuntime;
    PluginLibrary vst2Library{BRUMALUX_PLUGIN};
    std::unique_ptr<TestHost> vst2;
    std::unique_ptr<juce::AudioPluginInstance> instance;
};

juce::ScopedJuceInitialiser_GUI* PluginFormats::juceRuntime = nullptr;

TEST_P(PluginFormats, IdentityParametersAndPrograms)
{
    const auto description = instance->getPluginDescription();
    EXPECT_EQ(description.name, "Brumalux");
    EXPECT_EQ(description.manufacturerName, "Quellmark music");
    EXPECT_TRUE(description.isInstrument);
    EXPECT_EQ(instance->getTotalNumOutputChannels(), 2);
    EXPECT_TRUE(instance->acceptsMidi());

    // JUCE's VST3 client adds a program and a bypass parameter after the organ's own.
    ASSERT_GE(instance->getParameters().size(), numParameters);
    for (int i = 0; i < numParameters; ++i)
    {
        const auto vst2Name = vst2->Text(vst2::effGetParamName, i, 8);
        EXPECT_EQ(Parameter(i).getName(100).substring(0, 8), juce::String(vst2Name)) << "parameter " << i;
        if (juce::String(GetParam().name) == "VST3")
            EXPECT_EQ(Parameter(i).getCurrentValueAsText(), juce::String(vst2->Text(vst2::effGetParamDisplay, i, 64)))
                << "parameter " << i;
    }

    ASSERT_EQ(instance->getNumPrograms(), numPrograms);
    for (int p = 0; p < numPrograms; ++p)
        EXPECT_EQ(instance->getProgramName(p), juce::String(vst2->Text(vst2::effGetProgramNameIndexed, p, 24)));

    instance->setCurrentProgram(6);
    vst2->Dispatch(vst2::effSetProgram, 0, 6);
    RunOneBlock(*instance);
    EXPECT_EQ(instance->getCurrentProgram(), 6);
    ExpectSameValues(Vst2Values(), HostedValues());
}

TEST_P(PluginFormats, StateRoundTripsAndMovesToAndFromTheVst2Plugin)
{
    // Edits the VST 2 organ, then moves its chunk into this form.
    vst2->Dispatch(vst2::effSetProgram, 0, 3);
    vst2->Effect()->setParameter(vst2->Effect(), 16, 0.25f);
    vst2->Effect()->setParameter(vst2->Effect(), 8, 0.75f);
    const auto vst2Chunk = Vst2Chunk(*vst2);
    const auto movedIn = StateWithOrganBytes(GetParam().name, *instance, vst2Chunk);
    instance->setStateInformation(movedIn.getData(), static_cast<int>(movedIn.getSize()));
    instance->setCurrentProgram(3);
    RunOneBlock(*instance);
    ExpectSameValues(Vst2Values(), HostedValues());

    // The form hands back the very bytes the VST 2 plug-in saved.
    juce::MemoryBlock hostState;
    instance->getStateInformation(hostState);
    EXPECT_EQ(OrganBytesFromState(GetParam().name, hostState), vst2Chunk);

    // Its own round trip, through a second instance.
    Parameter(2).setValueNotifyingHost(0.5f);
    RunOneBlock(*instance);
    const auto edited = HostedValues();
    instance->getStateInformation(hostState);
    auto second = GetParam().load();
    ASSERT_NE(second, nullptr);
    second->prepareToPlay(sampleRate, blockSize);
    second->setStateInformation(hostState.getData(), static_cast<int>(hostState.getSize()));
    second->setCurrentProgram(3);
    RunOneBlock(*second);
    std::vector<float> restored;
    for (int i = 0; i < numParameters; ++i)
        restored.push_back(second->getParameters()[i]->getValue());
    ExpectSameValues(edited, restored);

    // And back into the VST 2 plug-in.
    const auto organBytes = OrganBytesFromState(GetParam().name, hostState);
    TestHost back(vst2Library.Entry());
    back.Dispatch(vst2::effSetChunk, 0, static_cast<vst2::VstIntPtr>(organBytes.getSize()), organBytes.getData());
    back.Dispatch(vst2::effSetProgram, 0, 3);
    EXPECT_NEAR(back.Effect()->getParameter(back.Effect(), 2), 0.5f, 1e-6f);
    EXPECT_EQ(Vst2Chunk(back), organBytes);
}

TEST_P(PluginFormats, ForeignStateIsRefused)
{
    const auto before = HostedValues();
    juce::MemoryBlock foreign;
    for (int i = 0; i < 600; ++i)
        foreign.append("junk", 4);
    const auto state = StateWithOrganBytes(GetParam().name, *instance, foreign);
    instance->setStateInformation(state.getData(), static_cast<int>(state.getSize()));
    RunOneBlock(*instance);
    ExpectSameValues(before, HostedValues());
}

// The speaker's rotors and every noise source are left out, so that two organs given the
// same MIDI have no reason to differ in a single sample.
TEST_P(PluginFormats, ChordRendersAsTheVst2PluginRendersIt)
{
    const std::vector<std::pair<int, float>> settings{{speakerOnIndex, 0.0f}, {clickLevelIndex, 0.0f},
                                                      {oscillatorIndex, 0.75f}};
    for (const auto& [index, value] : settings)
    {
        Parameter(index).setValueNotifyingHost(value);
        vst2->Effect()->setParameter(vst2->Effect(), index, value);
    }
    vst2->Resume(static_cast<float>(sampleRate), blockSize);
    TestHost::Channels reference(2, std::vector<float>(blockSize));
    RunOneBlock(*instance);
    vst2->ProcessReplacing(reference, blockSize);

    const unsigned char chord[][3] = {{0x90, 60, 100}, {0x90, 64, 90}, {0x90, 67, 80}};
    float loudest = 0.0f;
    for (int block = 0; block < 40; ++block)
    {
        juce::MidiBuffer midi;
        std::vector<TestHost::MidiEvent> events;
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

INSTANTIATE_TEST_SUITE_P(Forms, PluginFormats, ::testing::Values(Form{"VST3", LoadVst3}, Form{"LV2", LoadLv2}),
                         [](const auto& info) { return std::string(info.param.name); });

TEST(Vst3Bundle, ClassIdStaysTheSame)
{
    const juce::ScopedJuceInitialiser_GUI juceRuntime;
    juce::VST3PluginFormat format;
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile(found, BRUMALUX_VST3_BUNDLE);
    ASSERT_EQ(found.size(), 1);
    // Hosts file projects under this id: it must never change between versions.
    EXPECT_EQ(found[0]->createIdentifierString(), PLACEHOLDER);
}
} // namespace
