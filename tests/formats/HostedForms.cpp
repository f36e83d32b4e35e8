#include "HostedForms.h"

#include "vst2host/PluginInstance.h"

namespace brumalux
{

namespace
{
// The organ's state bytes inside a host's saved state of each format, and the reverse.
// VST3: JUCE's host keeps the component state in base64; JUCE's client appends its own
// trailer (size, then "JUCEPrivateData") after the plug-in's bytes.
juce::MemoryBlock OrganBytesFromVst3State(const juce::MemoryBlock& hostState)
{
    juce::MemoryBlock component;
    if (auto xml = juce::AudioProcessor::getXmlFromBinary(hostState.getData(),
                                                          static_cast<int>(hostState.getSize())))
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
    const auto afterKey =
        text.fromFirstOccurrenceOf("StateString>", false, false).fromFirstOccurrenceOf("\"", false, false);
    return afterKey.upToFirstOccurrenceOf("\"", false, false);
}

juce::MemoryBlock OrganBytesFromLv2State(const juce::MemoryBlock& hostState)
{
    juce::MemoryBlock organBytes;
    organBytes.fromBase64Encoding(Lv2StateString(hostState));
    return organBytes;
}

juce::MemoryBlock Lv2StateWithOrganBytes(const juce::MemoryBlock& hostState,
                                         const juce::MemoryBlock& organBytes)
{
    const auto text = hostState.toString().replace(Lv2StateString(hostState), organBytes.toBase64Encoding());
    return juce::MemoryBlock(text.toRawUTF8(), text.getNumBytesAsUTF8());
}
} // namespace

const char* const lv2Uri = "https://quellmark.music/plugins/brumalux";

std::unique_ptr<juce::AudioPluginInstance>
Instantiate(juce::AudioPluginFormat& format, const juce::String& file, double sampleRate, int blockSize)
{
    juce::OwnedArray<juce::PluginDescription> found;
    format.findAllTypesForFile(found, file);
    if (found.size() != 1)
        return nullptr;
    juce::String error;
    return format.createInstanceFromDescription(*found[0], sampleRate, blockSize, error);
}

std::unique_ptr<juce::AudioPluginInstance> LoadVst3(juce::VST3PluginFormat& format, double sampleRate,
                                                    int blockSize)
{
    return Instantiate(format, BRUMALUX_VST3_BUNDLE, sampleRate, blockSize);
}

std::unique_ptr<juce::AudioPluginInstance> LoadLv2(juce::LV2PluginFormat& format, double sampleRate,
                                                   int blockSize)
{
    format.searchPathsForPlugins(juce::FileSearchPath(BRUMALUX_LV2_DIR), false, false);
    return Instantiate(format, lv2Uri, sampleRate, blockSize);
}

juce::MemoryBlock OrganBytesFromState(const char* form, const juce::MemoryBlock& hostState)
{
    return juce::String(form) == "VST3" ? OrganBytesFromVst3State(hostState)
                                        : OrganBytesFromLv2State(hostState);
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

Bank ProgramsAsVst2ReadsThem(vst2host::PluginLibrary& vst2Library, juce::MemoryBlock bytes)
{
    vst2host::PluginInstance reader(vst2Library.Entry());
    reader.Dispatch(vst2::effSetChunk, 0, static_cast<vst2::VstIntPtr>(bytes.getSize()), bytes.getData());
    Bank programs;
    for (int p = 0; p < numPrograms; ++p)
    {
        reader.Dispatch(vst2::effSetProgram, 0, p);
        programs.emplace_back();
        for (int i = 0; i < numParameters; ++i)
            programs.back().push_back(i == 18 ? 0.0f : reader.Effect()->getParameter(reader.Effect(), i));
    }
    return programs;
}

} // namespace brumalux
