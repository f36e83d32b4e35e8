#pragma once

#include "ChunkMemory.h"
#include "HostMidiOutput.h"
#include "Vst2Interface.h"
#include "framework/AudioFilterBase.h"
#include "framework/PluginProperties.h"
#include "hostcore/HostBlockRenderer.h"
#include "hostcore/HostReports.h"
#include "hostcore/HostedEditor.h"
#include "hostcore/JuceRuntimeHolder.h"

#include <juce_events/juce_events.h>

#include <atomic>
#include <memory>

namespace brumalux
{

// One plug-in instance as the host sees it: the effect record whose functions lead here,
// and the translation of every host request into operations of the filter it owns.
//
// Threads: process and processReplacing run on the host's audio thread; setParameter,
// getParameter and the dispatcher on the host's control threads (requests that touch
// JUCE's GUI inside a ScopedHostMessageThread); the timer and the editor on JUCE's
// message thread. setParameter and getParameter may come from the audio thread too, and
// effProcessEvents usually does: the pending MIDI buffer is guarded by the filter's
// callback lock, like the rendering, resuming and suspending that use it. A block that
// comes before any resume resumes us on the audio thread. Requests to the host go out on
// whichever of these threads caused them, through the instance's HostReports.
class JuceVSTWrapper : private JuceRuntimeHolder,
                       private juce::Timer,
                       private HostReportSink,
                       private EditorWindowHost
{
public:
    static constexpr int timerIntervalMs = 250;

    JuceVSTWrapper(vst2::HostCallback host, std::unique_ptr<AudioFilterBase> filter);
    ~JuceVSTWrapper() override;

    vst2::AEffect* GetEffect() noexcept { return &effect; }

    // The instance behind a record the host passes back; null for a null or foreign one.
    static JuceVSTWrapper* FromEffect(vst2::AEffect* effect) noexcept;

    AudioFilterBase& GetFilter() const noexcept { return *filter; }
    size_t GetChunkMemorySize() const { return chunkMemory.GetSize(); }
    EditorCompWrapper* GetEditorHolder() const noexcept { return editor.Holder(); }

private:
    static vst2::VstIntPtr DispatcherEntry(vst2::AEffect* effect, vst2::VstInt32 opcode, vst2::VstInt32 index,
                                           vst2::VstIntPtr value, void* ptr, float opt);
    static void ProcessEntry(vst2::AEffect* effect, float** inputs, float** outputs,
                             vst2::VstInt32 numFrames);
    static void ProcessReplacingEntry(vst2::AEffect* effect, float** inputs, float** outputs,
                                      vst2::VstInt32 numFrames);
    static void SetParameterEntry(vst2::AEffect* effect, vst2::VstInt32 index, float value);
    static float GetParameterEntry(vst2::AEffect* effect, vst2::VstInt32 index);

    void FillEffectRecord();
    vst2::VstIntPtr CallHost(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                             float opt = 0.0f);
    // Any thread: the constructor, a resume on the control or the audio thread.
    void RequestMidiIfWanted();
    // HostReportSink: automation (audioMasterAutomate), an edit gesture (audioMasterBeginEdit,
    // audioMasterEndEdit) or a program the organ chose (audioMasterUpdateDisplay: the host reads
    // the program's number and name again). VST 2 has no request for a changed setting outside
    // the parameters. Message thread, or a host thread.
    void Tell(const HostReport& report) override;

    vst2::VstIntPtr Dispatch(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value, void* ptr,
                             float opt);
    vst2::VstIntPtr DispatchProgramRequest(vst2::VstInt32 opcode, vst2::VstInt32 index, vst2::VstIntPtr value,
                                           void* ptr);
    vst2::VstIntPtr DispatchParameterRequest(vst2::VstInt32 opcode, vst2::VstInt32 index, void* ptr);
    vst2::VstIntPtr DispatchIdentityRequest(vst2::VstInt32 opcode, void* ptr);
    vst2::VstIntPtr CanDo(const void* query) const;

    void Open();
    void SetProgram(vst2::VstIntPtr number);
    void SetSampleRate(float newSampleRate);
    void SetBlockSize(vst2::VstIntPtr newBlockSize);
    enum class PendingMidi
    {
        discard,
        keep
    };
    // Both take the callback lock. Resume runs on the control thread (effMainsChanged) or on the
    // audio thread (a block before any resume), Suspend on the control thread.
    void Resume(PendingMidi whatToDoWithPendingMidi);
    void Suspend();
    vst2::VstIntPtr ProcessEvents(const void* events);
    vst2::VstIntPtr GetChunk(void* destination);
    vst2::VstIntPtr SetChunk(const void* data, vst2::VstIntPtr size);

    vst2::VstIntPtr SetHostScale(vst2::VstInt32 index, vst2::VstIntPtr value, float opt);
    vst2::VstIntPtr DispatchEditorRequest(vst2::VstInt32 opcode, void* ptr);
    vst2::VstIntPtr GetEditorRect(void* rectDestination);

    // EditorWindowHost
    bool ResizeHostWindow(int width, int height) override;
    NativeWindowLayer* GetNativeWindowLayer() override { return editor.Windows(); }
    void RunIdleRule() override;

    // Audio thread; takes the callback lock for the whole block.
    void Render(float** inputs, float** outputs, vst2::VstInt32 numFrames, bool accumulate);
    // Any thread: the host's setParameter, or SetParameterAndTellHost.
    void SetParameterFromHost(vst2::VstInt32 index, float value);

    void timerCallback() override;

    vst2::AEffect effect{};
    const vst2::HostCallback host;
    const std::unique_ptr<AudioFilterBase> filter;
    PluginProperties properties;
    const int numParametersAtCreation;
    const int numProgramsAtCreation;

    // Set by the host's control thread, read when resuming, which a first block does on
    // the audio thread.
    std::atomic<double> hostSampleRate{44100.0};
    std::atomic<int> hostBlockSize{1024};
    std::atomic<bool> resumed{false};

    juce::MidiBuffer pendingMidi;
    HostBlockRenderer renderer;
    std::unique_ptr<HostMidiOutput> midiOutput;
    ChunkMemory chunkMemory;
    HostReports reports;
    HostedEditor editor;
    vst2::ERect editorRect{};

    JUCE_DECLARE_NON_COPYABLE(JuceVSTWrapper)
};

} // namespace brumalux
