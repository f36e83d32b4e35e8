#include "tools/PluginInstance.h"

#include "tools/PluginLibrary.h"
#include "tools/RenderError.h"

#include <algorithm>
#include <array>
#include <cstring>

namespace render
{
namespace
{
std::vector<float*> PointersTo(std::vector<std::vector<float>>& channels)
{
    std::vector<float*> pointers;
    pointers.reserve(channels.size());
    for (auto& channel : channels)
        pointers.push_back(channel.data());
    return pointers;
}
} // namespace

PluginInstance::PluginInstance(const PluginLibrary& library, const HostContext& context)
    : blockSize(context.blockSize)
{
    {
        ScopedHostContext answering(context);
        effect = library.Entry()(HostCallback);
    }
    if (effect == nullptr)
        throw RenderError("the plug-in " + library.Path() +
                          " refused to start: its entry point answered null");
    if (effect->magic != vst2::kEffectMagic)
        throw RenderError(library.Path() +
                          " is not a VST 2 plug-in: its effect record has the wrong magic number");
    if (effect->numInputs < 0 || effect->numOutputs < 0 || effect->numParams < 0 || effect->numPrograms < 0)
        throw RenderError(library.Path() +
                          " is not a usable VST 2 plug-in: its effect record holds negative counts");
    if (effect->process == nullptr && effect->processReplacing == nullptr)
        throw RenderError(library.Path() + " is not a usable VST 2 plug-in: it has no process function");
    AttachHostContext(*effect, context);

    Dispatch(vst2::effOpen);
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(context.sampleRate));
    Dispatch(vst2::effSetBlockSize, 0, context.blockSize);

    inputChannels.assign(static_cast<std::size_t>(effect->numInputs), std::vector<float>(blockSize));
    outputChannels.assign(static_cast<std::size_t>(effect->numOutputs), std::vector<float>(blockSize));
    inputPointers = PointersTo(inputChannels);
    outputPointers = PointersTo(outputChannels);
}

PluginInstance::~PluginInstance()
{
    Suspend();
    Dispatch(vst2::effClose);
}

vst2::VstIntPtr PluginInstance::Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                         void* ptr, float opt) const
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginInstance::Text(vst2::VstInt32 opcode, vst2::VstInt32 index) const
{
    // Far more room than the interface allows: plug-ins that ignore the limits must not overrun us.
    std::array<char, 512> text{};
    Dispatch(opcode, index, 0, text.data());
    text.back() = '\0';
    return text.data();
}

bool PluginInstance::IsInstrument() const
{
    return (effect->flags & vst2::effFlagsIsSynth) != 0 || Category() == vst2::kPlugCategSynth;
}

std::string PluginInstance::EffectName() const
{
    return Text(vst2::effGetEffectName);
}

std::string PluginInstance::VendorString() const
{
    return Text(vst2::effGetVendorString);
}

std::string PluginInstance::ProductString() const
{
    return Text(vst2::effGetProductString);
}

int PluginInstance::VendorVersion() const
{
    return static_cast<int>(Dispatch(vst2::effGetVendorVersion));
}

int PluginInstance::VstVersion() const
{
    return static_cast<int>(Dispatch(vst2::effGetVstVersion));
}

int PluginInstance::Category() const
{
    return static_cast<int>(Dispatch(vst2::effGetPlugCategory));
}

std::string PluginInstance::ParameterName(int index) const
{
    return Text(vst2::effGetParamName, index);
}

std::string PluginInstance::ParameterDisplay(int index) const
{
    return Text(vst2::effGetParamDisplay, index);
}

std::string PluginInstance::ParameterLabel(int index) const
{
    return Text(vst2::effGetParamLabel, index);
}

float PluginInstance::Parameter(int index) const
{
    return effect->getParameter(effect, index);
}

void PluginInstance::SetParameter(int index, float normalised)
{
    effect->setParameter(effect, index, normalised);
}

int PluginInstance::CurrentProgram() const
{
    return static_cast<int>(Dispatch(vst2::effGetProgram));
}

std::string PluginInstance::ProgramName(int index) const
{
    std::array<char, 512> text{};
    if (Dispatch(vst2::effGetProgramNameIndexed, index, -1, text.data()) == 0)
        return {};
    text.back() = '\0';
    return text.data();
}

void PluginInstance::SelectProgram(int index)
{
    Dispatch(vst2::effBeginSetProgram);
    Dispatch(vst2::effSetProgram, 0, index);
    Dispatch(vst2::effEndSetProgram);
}

std::vector<uint8_t> PluginInstance::State()
{
    void* data = nullptr;
    const auto size = Dispatch(vst2::effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr)
        return {};
    // The plug-in may reuse or free this memory at its next call, so it is copied right away.
    const auto* bytes = static_cast<const uint8_t*>(data);
    return {bytes, bytes + size};
}

void PluginInstance::LoadState(const std::vector<uint8_t>& state)
{
    // The interface hands the chunk over as writable memory; the plug-in gets a copy of its own.
    std::vector<uint8_t> copy = state;
    Dispatch(vst2::effSetChunk, 0, static_cast<vst2::VstIntPtr>(copy.size()), copy.data());
}

void PluginInstance::Resume()
{
    if (!resumed)
        Dispatch(vst2::effMainsChanged, 0, 1);
    resumed = true;
}

void PluginInstance::Suspend()
{
    if (resumed)
        Dispatch(vst2::effMainsChanged, 0, 0);
    resumed = false;
}

void PluginInstance::ProcessBlock(vst2::VstEvents* events, int numSamples)
{
    if (events != nullptr && events->numEvents > 0)
        Dispatch(vst2::effProcessEvents, 0, 0, events);
    // Inputs may be written by a plug-in that works in place, and outputs must start silent both for
    // the accumulating call and for a replacing call that leaves a channel alone.
    for (auto& channel : inputChannels)
        std::fill(channel.begin(), channel.end(), 0.0f);
    for (auto& channel : outputChannels)
        std::fill(channel.begin(), channel.end(), 0.0f);
    const bool canReplace = (effect->flags & vst2::effFlagsCanReplacing) != 0 || effect->process == nullptr;
    const auto process =
        canReplace && effect->processReplacing != nullptr ? effect->processReplacing : effect->process;
    process(effect, inputPointers.data(), outputPointers.data(), numSamples);
}
} // namespace render
