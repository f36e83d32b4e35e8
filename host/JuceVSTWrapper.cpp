#include "JuceVSTWrapper.h"

#include "HostText.h"
#include "MidiIntake.h"
#include "PluginIdentity.h"
#include "framework/AudioFilterEditor.h"
#include "framework/PlayableRange.h"
#include "hostcore/HostIdleState.h"
#include "hostcore/SharedMessageThread.h"

#include <cmath>
#include <limits>
#include <optional>

namespace brumalux
{

namespace
{
vst2::VstInt32 FlagsFor(const PluginProperties& properties)
{
    vst2::VstInt32 flags = vst2::effFlagsHasEditor | vst2::effFlagsCanReplacing | vst2::effFlagsProgramChunks;
    if (properties.isInstrument)
        flags |= vst2::effFlagsIsSynth;
    if (properties.silentOutputWhenInputSilent)
        flags |= vst2::effFlagsNoSoundInStop;
    return flags;
}

vst2::VstIntPtr CapabilityAnswer(bool capable)
{
    return capable ? 1 : -1;
}
} // namespace

JuceVSTWrapper::JuceVSTWrapper(vst2::HostCallback hostToUse, std::unique_ptr<AudioFilterBase> filterToOwn)
    : host(hostToUse),
      filter(std::move(filterToOwn)),
      numParametersAtCreation(juce::jmax(0, filter->GetNumParameters())),
      numProgramsAtCreation(juce::jmax(0, filter->GetNumPrograms())),
      reports(*filter, *this),
      editor(*filter, *this, reports)
{
    filter->FillProperties(properties);
    properties.numInputChannels = juce::jmax(0, properties.numInputChannels);
    properties.numOutputChannels = juce::jmax(0, properties.numOutputChannels);
    FillEffectRecord();

    pendingMidi.ensureSize(HostBlockRenderer::reservedMidiBytes);
    renderer.Prepare(properties.numInputChannels, properties.numOutputChannels,
                     hostBlockSize.load(std::memory_order_relaxed));
    if (properties.producesMidiOutput)
        midiOutput = std::make_unique<HostMidiOutput>(host, &effect);

    RequestMidiIfWanted();
}

JuceVSTWrapper::~JuceVSTWrapper()
{
    stopTimer();
    editor.Close();
}

void JuceVSTWrapper::FillEffectRecord()
{
    effect.magic = vst2::kEffectMagic;
    effect.dispatcher = &DispatcherEntry;
    effect.process = &ProcessEntry;
    effect.setParameter = &SetParameterEntry;
    effect.getParameter = &GetParameterEntry;
    effect.numPrograms = numProgramsAtCreation;
    effect.numParams = numParametersAtCreation;
    effect.numInputs = properties.numInputChannels;
    effect.numOutputs = properties.numOutputChannels;
    effect.flags = FlagsFor(properties);
    effect.initialDelay = properties.latencySamples;
    effect.ioRatio = 1.0f;
    effect.object = this;
    effect.uniqueID = properties.uniqueId;
    effect.version = PluginIdentity::effectRecordVersion;
    effect.processReplacing = &ProcessReplacingEntry;
}

JuceVSTWrapper* JuceVSTWrapper::FromEffect(vst2::AEffect* effect) noexcept
{
    if (effect == nullptr || effect->magic != vst2::kEffectMagic)
        return nullptr;
    return static_cast<JuceVSTWrapper*>(effect->object);
}

vst2::VstIntPtr JuceVSTWrapper::CallHost(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                         void* ptr, float opt)
{
    return host(&effect, opcode, index, value, ptr, opt);
}

void JuceVSTWrapper::RequestMidiIfWanted()
{
    if (properties.wantsMidiInput)
        CallHost(vst2::audioMasterWantMidi, 0, 1, nullptr);
}

void JuceVSTWrapper::Tell(const HostReport& report)
{
    const bool knownParameter = report.index >= 0 && report.index < numParametersAtCreation;
    switch (report.kind)
    {
        case HostReport::Kind::parameterChanged:
            if (knownParameter)
                CallHost(vst2::audioMasterAutomate, report.index, 0, nullptr, report.value);
            return;
        case HostReport::Kind::gestureBegan:
            if (knownParameter)
                CallHost(vst2::audioMasterBeginEdit, report.index, 0, nullptr);
            return;
        case HostReport::Kind::gestureEnded:
            if (knownParameter)
                CallHost(vst2::audioMasterEndEdit, report.index, 0, nullptr);
            return;
        case HostReport::Kind::programChanged:
            CallHost(vst2::audioMasterUpdateDisplay, 0, 0, nullptr);
            return;
        case HostReport::Kind::settingsChanged:
            return;
    }
}

// The record's functions: nothing may escape into the host's C code.

vst2::VstIntPtr JuceVSTWrapper::DispatcherEntry(vst2::AEffect* effect, vst2::VstInt32 opcode,
                                                vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                                                float opt)
{
    auto* wrapper = FromEffect(effect);
    if (wrapper == nullptr)
        return 0;
    try
    {
        if (opcode == vst2::effClose)
        {
            const ScopedHostMessageThread messageThread;
            delete wrapper;
            return 1;
        }
        return wrapper->Dispatch(opcode, index, value, ptr, opt);
    }
    catch (...)
    {
        return 0;
    }
}

void JuceVSTWrapper::ProcessEntry(vst2::AEffect* effect, float** inputs, float** outputs,
                                  vst2::VstInt32 numFrames)
{
    if (auto* wrapper = FromEffect(effect))
    {
        try
        {
            wrapper->Render(inputs, outputs, numFrames, true);
        }
        catch (...)
        {
        }
    }
}

void JuceVSTWrapper::ProcessReplacingEntry(vst2::AEffect* effect, float** inputs, float** outputs,
                                           vst2::VstInt32 numFrames)
{
    if (auto* wrapper = FromEffect(effect))
    {
        try
        {
            wrapper->Render(inputs, outputs, numFrames, false);
        }
        catch (...)
        {
        }
    }
}

void JuceVSTWrapper::SetParameterEntry(vst2::AEffect* effect, vst2::VstInt32 index, float value)
{
    if (auto* wrapper = FromEffect(effect))
    {
        try
        {
            wrapper->SetParameterFromHost(index, value);
        }
        catch (...)
        {
        }
    }
}

float JuceVSTWrapper::GetParameterEntry(vst2::AEffect* effect, vst2::VstInt32 index)
{
    auto* wrapper = FromEffect(effect);
    if (wrapper == nullptr)
        return 0.0f;
    try
    {
        return wrapper->filter->GetNormalisedParameter(index);
    }
    catch (...)
    {
        return 0.0f;
    }
}

void JuceVSTWrapper::SetParameterFromHost(vst2::VstInt32 index, float value)
{
    // A NaN or infinity would poison the filter's state for good; no host means one.
    if (std::isfinite(value))
        filter->SetNormalisedParameter(index, value);
}

// Host requests.

vst2::VstIntPtr JuceVSTWrapper::Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                         void* ptr, float opt)
{
    switch (opcode)
    {
        case vst2::effOpen:
            Open();
            return 0;
        case vst2::effSetProgram:
        case vst2::effGetProgram:
        case vst2::effSetProgramName:
        case vst2::effGetProgramName:
        case vst2::effGetProgramNameIndexed:
        case vst2::effGetNumProgramCategories:
            return DispatchProgramRequest(opcode, index, value, ptr);
        case vst2::effGetParamLabel:
        case vst2::effGetParamDisplay:
        case vst2::effGetParamName:
        case vst2::effCanBeAutomated:
            return DispatchParameterRequest(opcode, index, ptr);
        case vst2::effSetSampleRate:
            SetSampleRate(opt);
            return 0;
        case vst2::effSetBlockSize:
            SetBlockSize(value);
            return 0;
        case vst2::effSetBlockSizeAndSampleRate:
            SetBlockSize(value);
            SetSampleRate(opt);
            return 0;
        case vst2::effMainsChanged:
            value != 0 ? Resume(PendingMidi::discard) : Suspend();
            return 0;
        case vst2::effProcessEvents:
            return ProcessEvents(ptr);
        case vst2::effGetChunk:
            return GetChunk(ptr);
        case vst2::effSetChunk:
            return SetChunk(ptr, value);
        case vst2::effCanDo:
            return CanDo(ptr);
        case vst2::effVendorSpecific:
            return SetHostScale(index, value, opt);
        case vst2::effEditGetRect:
        case vst2::effEditOpen:
        case vst2::effEditClose:
        case vst2::effEditIdle:
            return DispatchEditorRequest(opcode, ptr);
        case vst2::effGetPlugCategory:
        case vst2::effGetEffectName:
        case vst2::effGetProductString:
        case vst2::effGetVendorString:
        case vst2::effGetVendorVersion:
        case vst2::effGetVstVersion:
        case vst2::effIdentify:
        case vst2::effKeysRequired:
            return DispatchIdentityRequest(opcode, ptr);
        default:
            return 0;
    }
}

vst2::VstIntPtr JuceVSTWrapper::DispatchProgramRequest(vst2::VstInt32 opcode, vst2::VstInt32 index,
                                                       vst2::VstIntPtr value, void* ptr)
{
    using HostText::maxProgramNameChars;
    switch (opcode)
    {
        case vst2::effSetProgram:
            SetProgram(value);
            return 0;
        case vst2::effGetProgram:
            return filter->GetCurrentProgram();
        case vst2::effSetProgramName:
            if (ptr != nullptr)
                filter->ChangeProgramName(filter->GetCurrentProgram(),
                                          HostText::ReadFromHost(ptr, maxProgramNameChars));
            return 0;
        case vst2::effGetProgramName:
            HostText::CopyToHost(ptr, filter->GetProgramName(filter->GetCurrentProgram()),
                                 maxProgramNameChars);
            return 0;
        case vst2::effGetProgramNameIndexed:
            if (index < 0 || index >= filter->GetNumPrograms())
                return 0;
            return HostText::CopyToHost(ptr, filter->GetProgramName(index), maxProgramNameChars) ? 1 : 0;
        case vst2::effGetNumProgramCategories:
            return 1;
        default:
            return 0;
    }
}

vst2::VstIntPtr JuceVSTWrapper::DispatchParameterRequest(vst2::VstInt32 opcode, vst2::VstInt32 index,
                                                         void* ptr)
{
    switch (opcode)
    {
        case vst2::effGetParamLabel:
            HostText::CopyToHost(ptr, {}, HostText::maxParameterNameChars);
            return 0;
        case vst2::effGetParamDisplay:
            HostText::CopyToHost(ptr, filter->GetParameterText(index), HostText::maxParameterDisplayChars);
            return 0;
        case vst2::effGetParamName:
            HostText::CopyToHost(ptr, filter->GetParameterName(index), HostText::maxParameterNameChars);
            return 0;
        case vst2::effCanBeAutomated:
            return index >= 0 && index < numParametersAtCreation ? 1 : 0;
        default:
            return 0;
    }
}

vst2::VstIntPtr JuceVSTWrapper::DispatchIdentityRequest(vst2::VstInt32 opcode, void* ptr)
{
    using HostText::maxNameStringChars;
    switch (opcode)
    {
        case vst2::effGetPlugCategory:
            return properties.isInstrument ? vst2::kPlugCategSynth : vst2::kPlugCategEffect;
        case vst2::effGetEffectName:
        case vst2::effGetProductString:
            return HostText::CopyToHost(ptr, PluginIdentity::effectName, maxNameStringChars) ? 1 : 0;
        case vst2::effGetVendorString:
            return HostText::CopyToHost(ptr, PluginIdentity::vendorName, maxNameStringChars) ? 1 : 0;
        case vst2::effGetVendorVersion:
            return PluginIdentity::vendorVersion;
        case vst2::effGetVstVersion:
            return PluginIdentity::vstVersion;
        case vst2::effIdentify:
            return vst2::kIdentifyAnswer;
        case vst2::effKeysRequired:
            return filter->KeysRequired() ? 0 : 1;
        default:
            return 0;
    }
}

vst2::VstIntPtr JuceVSTWrapper::CanDo(const void* query) const
{
    if (HostText::Equals(query, "receiveVstEvents") || HostText::Equals(query, "receiveVstMidiEvents"))
        return CapabilityAnswer(properties.wantsMidiInput);
    if (HostText::Equals(query, "sendVstEvents") || HostText::Equals(query, "sendVstMidiEvent"))
        return CapabilityAnswer(properties.producesMidiOutput);
    if (HostText::Equals(query, "receiveVstTimeInfo") || HostText::Equals(query, "conformsToWindowRules"))
        return 1;
    return 0;
}

void JuceVSTWrapper::Open()
{
    const ScopedHostMessageThread messageThread;
    startTimer(timerIntervalMs);
}

void JuceVSTWrapper::SetProgram(vst2::VstIntPtr number)
{
    // A number below int's range would turn into some valid program when narrowed.
    if (number < numProgramsAtCreation && number >= std::numeric_limits<int>::min())
        filter->SetCurrentProgram(static_cast<int>(number));
}

void JuceVSTWrapper::SetSampleRate(float newSampleRate)
{
    if (PlayableRange::IsPlayableSampleRate(newSampleRate))
        hostSampleRate.store(newSampleRate, std::memory_order_relaxed);
}

void JuceVSTWrapper::SetBlockSize(vst2::VstIntPtr newBlockSize)
{
    if (PlayableRange::IsPlayableBlockSize(newBlockSize))
        hostBlockSize.store(static_cast<int>(newBlockSize), std::memory_order_relaxed);
}

void JuceVSTWrapper::Resume(PendingMidi whatToDoWithPendingMidi)
{
    {
        // Held so that a host resuming us in the middle of a block cannot pull the
        // buffers out from under it.
        const juce::ScopedLock lock(filter->GetCallbackLock());
        resumed = true;
        // Read once: the host may announce another rate or size meanwhile.
        const double sampleRate = hostSampleRate.load(std::memory_order_relaxed);
        const int blockSize = hostBlockSize.load(std::memory_order_relaxed);
        filter->SetPlayConfiguration(sampleRate, blockSize);
        renderer.Prepare(properties.numInputChannels, properties.numOutputChannels, blockSize);
        filter->PrepareToPlay(sampleRate, blockSize);
        if (whatToDoWithPendingMidi == PendingMidi::discard)
            pendingMidi.clear();
    }
    RequestMidiIfWanted();
}

void JuceVSTWrapper::Suspend()
{
    const juce::ScopedLock lock(filter->GetCallbackLock());
    filter->ReleaseResources();
    pendingMidi.clear();
    resumed = false;
}

vst2::VstIntPtr JuceVSTWrapper::ProcessEvents(const void* events)
{
    if (!properties.wantsMidiInput)
        return 0;
    // Usually the audio thread, between blocks; a host may resume or suspend us from
    // another thread meanwhile, and both clear this buffer.
    const juce::ScopedLock lock(filter->GetCallbackLock());
    MidiIntake::AddHostEvents(static_cast<const vst2::VstEvents*>(events), pendingMidi);
    return 1;
}

vst2::VstIntPtr JuceVSTWrapper::GetChunk(void* destination)
{
    return static_cast<vst2::VstIntPtr>(
        chunkMemory.HandOut(*filter, static_cast<void**>(destination), juce::Time::getMillisecondCounter()));
}

vst2::VstIntPtr JuceVSTWrapper::SetChunk(const void* data, vst2::VstIntPtr size)
{
    chunkMemory.Clear();
    if (data != nullptr && size > 0)
        filter->LoadState(
            data, static_cast<int>(juce::jmin<vst2::VstIntPtr>(size, std::numeric_limits<int>::max())));
    return 0;
}

// The editor. Every request here touches JUCE's GUI, so the calling host thread acts as
// the message thread while it runs.

vst2::VstIntPtr JuceVSTWrapper::DispatchEditorRequest(vst2::VstInt32 opcode, void* ptr)
{
    const ScopedHostMessageThread messageThread;
    switch (opcode)
    {
        case vst2::effEditGetRect:
            return GetEditorRect(ptr);
        case vst2::effEditOpen:
            return editor.Open(reinterpret_cast<NativeWindowLayer::WindowId>(ptr)) ? 1 : 0;
        case vst2::effEditClose:
            editor.Close();
            return 0;
        case vst2::effEditIdle:
            editor.Idle();
            return 0;
        default:
            return 0;
    }
}

vst2::VstIntPtr JuceVSTWrapper::GetEditorRect(void* rectDestination)
{
    if (rectDestination == nullptr)
        return 0;
    const auto* holder = editor.Prepare();
    if (holder == nullptr)
        return 0;
    editorRect = {0, 0, static_cast<juce::int16>(holder->getHeight()),
                  static_cast<juce::int16>(holder->getWidth())};
    *static_cast<vst2::ERect**>(rectDestination) = &editorRect;
    return 1;
}

// Hosts that scale plug-in windows tell the scale in a vendor-specific request: index
// 'PreS', value 'AeCs', the scale in opt. The editor then draws at it and reports its new
// size; one opened later starts at it, and effEditGetRect answers that size.
vst2::VstIntPtr JuceVSTWrapper::SetHostScale(vst2::VstInt32 index, vst2::VstIntPtr value, float opt)
{
    constexpr vst2::VstInt32 scaleRequestIndex = 0x50726553;
    constexpr vst2::VstIntPtr scaleRequestValue = 0x41654373;
    if (index != scaleRequestIndex || value != scaleRequestValue || !std::isfinite(opt) || opt <= 0.0f)
        return 0;
    // Only an editor that exists makes this touch JUCE's GUI.
    std::optional<ScopedHostMessageThread> messageThread;
    if (editor.Holder() != nullptr)
        messageThread.emplace();
    editor.SetHostScale(opt);
    return 1;
}

bool JuceVSTWrapper::ResizeHostWindow(int width, int height)
{
    static char sizeWindow[] = "sizeWindow";
    return CallHost(vst2::audioMasterCanDo, 0, 0, sizeWindow) == 1 &&
           CallHost(vst2::audioMasterSizeWindow, width, height, nullptr) != 0;
}

void JuceVSTWrapper::RunIdleRule()
{
    const auto* holder = editor.Holder();
    if (holder == nullptr || !holder->IsAttached() || HostIdleState::IsNesting())
        return;
    if (!juce::ModifierKeys::getCurrentModifiersRealtime().isAnyMouseButtonDown())
        return;
    if (!HostIdleState::ClaimIdleRequest(juce::Time::getMillisecondCounter()))
        return;
    const HostIdleState::ScopedNesting nesting;
    CallHost(vst2::audioMasterIdle, 0, 0, nullptr);
}

// Audio.

void JuceVSTWrapper::Render(float** inputs, float** outputs, vst2::VstInt32 numFrames, bool accumulate)
{
    if (numFrames <= 0)
        return;
    // A host that never resumed us still sent this block's events for this block.
    if (!resumed)
        Resume(PendingMidi::keep);
    const juce::ScopedLock lock(filter->GetCallbackLock());
    renderer.Render(*filter, inputs, outputs, numFrames, accumulate, pendingMidi, midiOutput.get());
}

// Message thread.

void JuceVSTWrapper::timerCallback()
{
    if (!HostIdleState::IsNesting())
        chunkMemory.ExpireIfOld(juce::Time::getMillisecondCounter());
    RunIdleRule();
}

} // namespace brumalux
