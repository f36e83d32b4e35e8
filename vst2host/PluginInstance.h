#pragma once

#include "host/Vst2Interface.h"
#include "vst2host/HostCallbacks.h"
#include "vst2host/VstEventList.h"

#include <cstdint>
#include <functional>
#include <string>
#include <vector>

namespace brumalux::vst2host
{
// Creates a plug-in instance with the host callback it is given: a library's entry point, or a
// test's own factory that builds one in-process.
using EntryFunction = std::function<vst2::AEffect*(vst2::HostCallback)>;

// One plug-in instance driven as a DAW drives it, from its entry point to effClose, with the host's
// callback answered by Callbacks(). The calls that follow the interface's threads (process calls on
// an audio thread, the rest on a control thread) may come from different threads as a host's do;
// each call itself is the caller's to order.
class PluginInstance
{
public:
    // Calls the entry point. An instance whose entry answers null, or whose record is no usable
    // VST 2 effect, is not kept: HasInstance() is false and Problem() says why.
    explicit PluginInstance(const EntryFunction& entry,
                            vst2::VstIntPtr versionAnswer = HostCallbacks::kHostVersion);
    // Closes the instance (no suspend first: a host may close a resumed instance).
    ~PluginInstance();

    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    bool HasInstance() const { return effect != nullptr; }
    vst2::AEffect* Effect() const { return effect; }
    // Follows the plug-in's path in a message: "refused to start: its entry point answered null".
    const std::string& Problem() const { return problem; }
    HostCallbacks& Callbacks() { return callbacks; }

    vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                             void* ptr = nullptr, float opt = 0.0f) const;
    // A text request into far more room than the interface allows, so that plug-ins ignoring the
    // limits do not overrun us.
    std::string Text(vst2::VstInt32 opcode, vst2::VstInt32 index = 0) const;
    // The same, checked: the text must end with a zero within maxChars + 1 bytes and nothing may be
    // written past it; otherwise a description of the breach in angle brackets.
    std::string CheckedText(vst2::VstInt32 opcode, vst2::VstInt32 index, int maxChars) const;

    void Open() { Dispatch(vst2::effOpen); }
    void Close();
    // effSetSampleRate and effSetBlockSize, answered the same through the callback; sizes the
    // buffers of Render.
    void SetProcessing(double sampleRate, int blockSize);
    void Resume() { Dispatch(vst2::effMainsChanged, 0, 1); }
    void Resume(double sampleRate, int blockSize);
    void Suspend() { Dispatch(vst2::effMainsChanged, 0, 0); }

    // An instrument sets the is-synth flag or answers the synth category; either suffices, since
    // older instruments answer the category "unknown" and some wrappers forget the flag.
    bool IsInstrument() const;
    int Category() const { return static_cast<int>(Dispatch(vst2::effGetPlugCategory)); }

    float Parameter(int index) const { return effect->getParameter(effect, index); }
    void SetParameter(int index, float normalised) { effect->setParameter(effect, index, normalised); }
    int CurrentProgram() const { return static_cast<int>(Dispatch(vst2::effGetProgram)); }
    // Empty when the plug-in does not name programs by number.
    std::string ProgramName(int index) const;
    // As hosts do, between effBeginSetProgram and effEndSetProgram.
    void SelectProgram(int index);

    bool KeepsStateChunks() const { return (effect->flags & vst2::effFlagsProgramChunks) != 0; }
    // A copy of the whole bank's chunk; empty when the plug-in hands none over.
    std::vector<uint8_t> State() const;
    // The plug-in gets a writable copy of its own, as the interface hands chunks over.
    vst2::VstIntPtr LoadState(const std::vector<uint8_t>& state);

    // MIDI events as (delta frames, bytes), delivered in this order; answers effProcessEvents.
    struct MidiEvent
    {
        int deltaFrames;
        unsigned char bytes[3];
    };
    vst2::VstIntPtr SendMidi(const std::vector<MidiEvent>& events);
    vst2::VstIntPtr SendEvents(VstEventList& events);

    // Audio into channels that the caller owns, from silent inputs.
    using Channels = std::vector<std::vector<float>>;
    void ProcessReplacing(Channels& outputs, int numFrames);
    void ProcessAccumulating(Channels& outputs, int numFrames);
    // numFrames (at most the block size) from silence into Outputs(), by processReplacing where the
    // plug-in offers it, else by process.
    void Render(int numFrames);
    const std::vector<float*>& Outputs() const { return outputPointers; }

private:
    static vst2::VstIntPtr CallbackEntry(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                         vst2::VstIntPtr value, void* ptr, float opt);
    void Keep(vst2::AEffect* created);
    void Process(vst2::ProcessProc process, Channels& outputs, int numFrames);

    HostCallbacks callbacks;
    vst2::AEffect* effect = nullptr;
    std::string problem;
    Channels inputs, ownOutputs;
    std::vector<float*> outputPointers, inputPointers, processPointers;
    VstEventList midi;
};
} // namespace brumalux::vst2host
