#pragma once

#include "PluginProperties.h"

#include <juce_audio_basics/juce_audio_basics.h>

#include <atomic>

namespace brumalux
{

class AudioFilterEditor;
class FilterNativeCallbacks;

// The filter a host wrapper drives. Threads:
// - the host's audio thread calls ProcessBlock, always with the callback lock held;
// - PrepareToPlay and ReleaseResources run under the same lock, on the host's control
//   thread, or on the audio thread when a block comes before any resume;
// - GetNormalisedParameter, SetNormalisedParameter and the parameter texts may come from
//   any host thread, the audio thread included (hosts play automation from there);
// - the editor calls (CreateEditor, CreateEditorAndMakeActive, EditorBeingDeleted) run on
//   the message thread;
// - the host's control thread calls everything else (programs, state, properties);
// - the active-editor pointer is set and cleared under the callback lock.
class AudioFilterBase
{
public:
    AudioFilterBase() = default;
    virtual ~AudioFilterBase() = default;

    virtual void FillProperties(PluginProperties& properties) = 0;
    virtual int PrepareToPlay(double sampleRate, int samplesPerBlock) = 0;
    virtual void ReleaseResources() = 0;
    // A block may be longer than the samplesPerBlock of the last PrepareToPlay (hosts and plug-in
    // formats do not all keep to what they announce): the filter renders it in slices of its own.
    virtual void ProcessBlock(const juce::AudioSampleBuffer& input, juce::AudioSampleBuffer& output,
                              bool accumulateOutput, juce::MidiBuffer& midiMessages) = 0;
    // A new editor bound to this filter, or null when the filter has none. Message thread.
    virtual AudioFilterEditor* CreateEditor() = 0;

    virtual int GetNumParameters() = 0;
    virtual juce::String GetParameterName(int index) = 0;
    virtual float GetNormalisedParameter(int index) = 0;
    virtual juce::String GetParameterText(int index) = 0;
    virtual void SetNormalisedParameter(int index, float normalisedValue) = 0;
    virtual int GetNumPrograms() = 0;
    virtual int GetCurrentProgram() = 0;
    virtual void SetCurrentProgram(int number) = 0;
    // Selects the program with the values it was shipped with (a host's preset of it): the
    // edits it remembers are replaced. A number out of range does nothing.
    virtual void SelectFactoryProgram(int number) { SetCurrentProgram(number); }
    virtual juce::String GetProgramName(int number) = 0;
    virtual void ChangeProgramName(int number, const juce::String& name) = 0;
    virtual void SaveState(juce::MemoryBlock& destination) = 0;
    virtual void LoadState(const void* data, int sizeInBytes) = 0;

    // Host wrapper side. The callbacks are set when the wrapper attaches and cleared when it
    // goes, while no other thread uses the filter; the play configuration is written under
    // the callback lock and may be read from any thread.
    void SetCallbacks(FilterNativeCallbacks* callbacksToUse) noexcept { callbacks = callbacksToUse; }
    void SetPlayConfiguration(double newSampleRate, int newBlockSize) noexcept;
    double GetSampleRate() const noexcept { return sampleRate.load(std::memory_order_relaxed); }
    int GetBlockSize() const noexcept { return blockSize.load(std::memory_order_relaxed); }
    const juce::CriticalSection& GetCallbackLock() const noexcept { return callbackLock; }
    bool KeysRequired() const noexcept { return keysRequired; }

    // Reports a change that did not come from the host: through the wrapper when one is
    // attached, straight to SetNormalisedParameter when none is (during construction).
    // Any thread: the editor's message thread, and whichever host thread changes programs
    // or loads state (hosts do change programs on their audio thread).
    void SetParameterAndTellHost(int index, float normalisedValue);
    // Brackets the changes of one user gesture on one parameter, through the wrapper when
    // one is attached. Message thread.
    void BeginParameterGesture(int index);
    void EndParameterGesture(int index);
    // The filter switched to another program by itself (a Program Change from MIDI) and
    // has reported the new values: the host should show the new program. Message thread.
    void TellHostProgramChanged();
    // A setting outside the parameters changed by the user's hand. Message thread.
    void TellHostSettingsChanged();

    // Reports what the audio thread changed since the last call (it cannot call out itself):
    // the host wrapper calls it on the message thread, every few tens of milliseconds.
    virtual void DeliverPendingChanges() {}

    // Asks for an editor, lets the filter connect it, and records it as the active one.
    // Null when the filter has none. Message thread.
    AudioFilterEditor* CreateEditorAndMakeActive();
    // Forgets the editor if it is the active one; called before it is deleted. Message
    // thread; takes the callback lock, so a block in progress finishes first.
    void EditorBeingDeleted(AudioFilterEditor* editor);
    // Read it only under the callback lock or on the thread that changes it.
    AudioFilterEditor* GetActiveEditor() const noexcept { return activeEditor; }

protected:
    // Message thread, before the new editor becomes the active one: whatever binds it to
    // the filter and needs the message thread (listeners, note targets).
    virtual void EditorCreated(AudioFilterEditor&) {}
    // Called under the callback lock once the active editor has been forgotten.
    virtual void ActiveEditorGone() {}

    bool keysRequired = true;

private:
    juce::CriticalSection callbackLock;
    std::atomic<double> sampleRate{44100.0};
    std::atomic<int> blockSize{1024};
    AudioFilterEditor* activeEditor = nullptr;
    FilterNativeCallbacks* callbacks = nullptr;

    JUCE_DECLARE_NON_COPYABLE(AudioFilterBase)
};

} // namespace brumalux
