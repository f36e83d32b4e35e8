#include "vst2host/PluginInstance.h"

#include <algorithm>
#include <array>
#include <cstring>
#include <map>
#include <mutex>

namespace brumalux::vst2host
{
namespace
{
// The callback has no user pointer. Requests are routed by effect record, and those sent before the
// record exists (the version request inside the entry point) go to the instance being created. A
// registry rather than a field of the record: a late request must not read a record already freed.
std::mutex registryMutex;
std::map<vst2::AEffect*, HostCallbacks*> callbacksByEffect;
thread_local HostCallbacks* callbacksBeingCreated = nullptr;

HostCallbacks* CallbacksFor(vst2::AEffect* effect)
{
    const std::lock_guard<std::mutex> lock(registryMutex);
    const auto found = callbacksByEffect.find(effect);
    return found != callbacksByEffect.end() ? found->second : callbacksBeingCreated;
}

std::string ProblemWithRecord(const vst2::AEffect& effect)
{
    if (effect.magic != vst2::kEffectMagic)
        return "is not a VST 2 plug-in: its effect record has the wrong magic number";
    if (effect.dispatcher == nullptr || effect.setParameter == nullptr || effect.getParameter == nullptr)
        return "is not a usable VST 2 plug-in: its effect record lacks a function";
    if (effect.numInputs < 0 || effect.numOutputs < 0 || effect.numParams < 0 || effect.numPrograms < 0)
        return "is not a usable VST 2 plug-in: its effect record holds negative counts";
    if (effect.process == nullptr && effect.processReplacing == nullptr)
        return "is not a usable VST 2 plug-in: it has no process function";
    return {};
}

constexpr char sentinel = 0x7f;
constexpr std::size_t textRoom = 512;
} // namespace

PluginInstance::PluginInstance(const EntryFunction& entry, vst2::VstIntPtr versionAnswer)
    : callbacks(versionAnswer)
{
    callbacksBeingCreated = &callbacks;
    vst2::AEffect* created = entry ? entry(&CallbackEntry) : nullptr;
    callbacksBeingCreated = nullptr;
    Keep(created);
}

void PluginInstance::Keep(vst2::AEffect* created)
{
    if (created == nullptr)
    {
        problem = "refused to start: its entry point answered null";
        return;
    }
    problem = ProblemWithRecord(*created);
    if (!problem.empty())
    {
        // A record with the right magic is the plug-in's to free; any other is not ours to touch.
        if (created->magic == vst2::kEffectMagic && created->dispatcher != nullptr)
            created->dispatcher(created, vst2::effClose, 0, 0, nullptr, 0.0f);
        return;
    }
    const std::lock_guard<std::mutex> lock(registryMutex);
    callbacksByEffect[created] = &callbacks;
    effect = created;
    inputs.assign(static_cast<std::size_t>(effect->numInputs), {});
}

PluginInstance::~PluginInstance()
{
    Close();
}

void PluginInstance::Close()
{
    if (effect == nullptr)
        return;
    Dispatch(vst2::effClose);
    const std::lock_guard<std::mutex> lock(registryMutex);
    callbacksByEffect.erase(effect);
    effect = nullptr;
}

vst2::VstIntPtr PluginInstance::CallbackEntry(vst2::AEffect* effect, vst2::VstInt32 opcode,
                                              vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                                              float opt)
{
    HostCallbacks* target = CallbacksFor(effect);
    if (target == nullptr) // no instance of ours, yet it learns it talks to a VST 2 host
        return opcode == vst2::audioMasterVersion ? HostCallbacks::kHostVersion : 0;
    HostRequest request{effect, opcode, index, value, ptr, opt, {}};
    if (opcode == vst2::audioMasterCanDo && ptr != nullptr)
        request.text = static_cast<const char*>(ptr);
    return target->Handle(request);
}

vst2::VstIntPtr PluginInstance::Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                         void* ptr, float opt) const
{
    return effect->dispatcher(effect, opcode, index, value, ptr, opt);
}

std::string PluginInstance::Text(vst2::VstInt32 opcode, vst2::VstInt32 index) const
{
    std::array<char, textRoom> text{};
    Dispatch(opcode, index, 0, text.data());
    text.back() = '\0';
    return text.data();
}

std::string PluginInstance::CheckedText(vst2::VstInt32 opcode, vst2::VstInt32 index, int maxChars) const
{
    std::array<char, textRoom> buffer;
    buffer.fill(sentinel);
    Dispatch(opcode, index, 0, buffer.data());
    const char* begin = buffer.data();
    const auto* end = static_cast<const char*>(std::memchr(begin, 0, static_cast<std::size_t>(maxChars) + 1));
    if (end == nullptr)
        return "<no zero within the limit>";
    if (std::any_of(end + 1, begin + buffer.size(), [](char byte) { return byte != sentinel; }))
        return "<written past the zero>";
    return std::string(begin, end);
}

void PluginInstance::SetProcessing(double sampleRate, int blockSize)
{
    callbacks.SetProcessing(sampleRate, blockSize);
    Dispatch(vst2::effSetSampleRate, 0, 0, nullptr, static_cast<float>(sampleRate));
    Dispatch(vst2::effSetBlockSize, 0, blockSize);
    ownOutputs.assign(static_cast<std::size_t>(effect->numOutputs),
                      std::vector<float>(static_cast<std::size_t>(std::max(blockSize, 0))));
    outputPointers.clear();
    for (auto& channel : ownOutputs)
        outputPointers.push_back(channel.data());
}

void PluginInstance::Resume(double sampleRate, int blockSize)
{
    SetProcessing(sampleRate, blockSize);
    Resume();
}

bool PluginInstance::IsInstrument() const
{
    return (effect->flags & vst2::effFlagsIsSynth) != 0 || Category() == vst2::kPlugCategSynth;
}

std::string PluginInstance::ProgramName(int index) const
{
    std::array<char, textRoom> text{};
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

std::vector<uint8_t> PluginInstance::State() const
{
    void* data = nullptr;
    const auto size = Dispatch(vst2::effGetChunk, 0, 0, &data);
    if (size <= 0 || data == nullptr)
        return {};
    // The plug-in may reuse or free this memory at its next call, so it is copied right away.
    const auto* bytes = static_cast<const uint8_t*>(data);
    return {bytes, bytes + size};
}

vst2::VstIntPtr PluginInstance::LoadState(const std::vector<uint8_t>& state)
{
    std::vector<uint8_t> copy = state;
    return Dispatch(vst2::effSetChunk, 0, static_cast<vst2::VstIntPtr>(copy.size()), copy.data());
}

vst2::VstIntPtr PluginInstance::SendMidi(const std::vector<MidiEvent>& events)
{
    midi.Clear();
    for (const auto& event : events)
        midi.Add(event.deltaFrames, event.bytes, 3);
    return SendEvents(midi);
}

vst2::VstIntPtr PluginInstance::SendEvents(VstEventList& events)
{
    return Dispatch(vst2::effProcessEvents, 0, 0, events.Events());
}

void PluginInstance::Process(vst2::ProcessProc process, Channels& outputs, int numFrames)
{
    // Inputs may be written by a plug-in that works in place, so they start silent every time.
    inputPointers.clear();
    for (auto& channel : inputs)
    {
        channel.assign(static_cast<std::size_t>(std::max(numFrames, 0)), 0.0f);
        inputPointers.push_back(channel.data());
    }
    processPointers.clear();
    for (auto& channel : outputs)
        processPointers.push_back(channel.data());
    process(effect, inputPointers.data(), processPointers.data(), numFrames);
}

void PluginInstance::ProcessReplacing(Channels& outputs, int numFrames)
{
    Process(effect->processReplacing, outputs, numFrames);
}

void PluginInstance::ProcessAccumulating(Channels& outputs, int numFrames)
{
    Process(effect->process, outputs, numFrames);
}

void PluginInstance::Render(int numFrames)
{
    // Silent first both for the accumulating call and for a replacing call that leaves a channel alone.
    for (auto& channel : ownOutputs)
        std::fill(channel.begin(), channel.end(), 0.0f);
    const bool canReplace = (effect->flags & vst2::effFlagsCanReplacing) != 0 || effect->process == nullptr;
    const auto process =
        canReplace && effect->processReplacing != nullptr ? effect->processReplacing : effect->process;
    Process(process, ownOutputs, numFrames);
}
} // namespace brumalux::vst2host
