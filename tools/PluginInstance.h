#pragma once

#include "host/Vst2Interface.h"
#include "tools/HostCallback.h"

#include <cstdint>
#include <string>
#include <vector>

namespace render
{
class PluginLibrary;

// One plug-in instance driven as a DAW drives it, from the entry point to effClose. All calls come
// from the thread that created it; it plays the host's audio and control threads in turn.
class PluginInstance
{
public:
    // Creates, checks, opens and sets up the instance with the context's sample rate and block size.
    // Throws RenderError when the entry point answers null or the record is not a VST 2 effect.
    PluginInstance(const PluginLibrary& library, const HostContext& context);
    // Suspends when resumed, then closes; the library must outlive the instance.
    ~PluginInstance();

    PluginInstance(const PluginInstance&) = delete;
    PluginInstance& operator=(const PluginInstance&) = delete;

    // An instrument sets the is-synth flag or answers the synth category; either suffices, since
    // older instruments answer the category "unknown" and some wrappers forget the flag.
    bool IsInstrument() const;

    std::string EffectName() const;
    std::string VendorString() const;
    std::string ProductString() const;
    int VendorVersion() const;
    int VstVersion() const;
    int Category() const;
    int UniqueId() const { return effect->uniqueID; }
    int Flags() const { return effect->flags; }
    int NumInputs() const { return effect->numInputs; }
    int NumOutputs() const { return effect->numOutputs; }

    int NumParameters() const { return effect->numParams; }
    std::string ParameterName(int index) const;
    std::string ParameterDisplay(int index) const;
    std::string ParameterLabel(int index) const;
    float Parameter(int index) const;
    void SetParameter(int index, float normalised);

    int NumPrograms() const { return effect->numPrograms; }
    int CurrentProgram() const;
    // Empty when the plug-in does not name programs by number.
    std::string ProgramName(int index) const;
    void SelectProgram(int index);

    bool KeepsStateChunks() const { return (effect->flags & vst2::effFlagsProgramChunks) != 0; }
    // A copy of the whole bank's chunk; empty when the plug-in hands none over.
    std::vector<uint8_t> State();
    void LoadState(const std::vector<uint8_t>& state);

    void Resume();
    void Suspend();
    // Hands the block's events to the plug-in (when there are any) and renders numSamples samples
    // into Outputs(); numSamples is at most the block size.
    void ProcessBlock(vst2::VstEvents* events, int numSamples);
    const std::vector<float*>& Outputs() const { return outputPointers; }

private:
    vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index = 0, vst2::VstIntPtr value = 0,
                             void* ptr = nullptr, float opt = 0.0f) const;
    std::string Text(vst2::VstInt32 opcode, vst2::VstInt32 index = 0) const;

    vst2::AEffect* effect = nullptr;
    bool resumed = false;
    int blockSize;
    std::vector<std::vector<float>> inputChannels, outputChannels;
    std::vector<float*> inputPointers, outputPointers;
};
} // namespace render
