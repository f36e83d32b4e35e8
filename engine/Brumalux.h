#pragma once

#include "engine/ControllerMapping.h"
#include "engine/KeyboardHandOff.h"
#include "engine/MidiEvent.h"
#include "engine/OrganShapes.h"
#include "engine/OutputEffects.h"
#include "engine/PerformanceControls.h"
#include "engine/Polyphony.h"
#include "engine/SwellPedal.h"
#include "engine/TrackedEnvelope.h"
#include "engine/Tuning.h"
#include "engine/VoicePool.h"

#include "params/OrganParameters.h"
#include "params/QuellmarkFilterBase.h"

namespace brumalux
{

class ConnectableEditor;
class KeyMarks;
class KeyboardDisplay;

// The organ: one plug-in instance's whole synthesis state. The host wrapper prepares it, calls
// ProcessBlock once per audio block with the block's MIDI, and asks it for an editor; parameters,
// programs and state come from QuellmarkFilterBase.
//
// Threads: ProcessBlock runs on the host's audio thread under the callback lock; PrepareToPlay and
// ReleaseResources under the same lock, on the host's control thread or, for a block that comes before
// any resume, on the audio thread; CreateEditor, HandleKeyboardMessage and ActiveEditorGone on the
// message thread. Parameter values are atomics that any thread may write at any time; the rest of the
// state (voices, shapes, effects, controls, the connected editor) belongs to whoever holds the callback
// lock.
class Brumalux : public QuellmarkFilterBase
{
public:
    // Used when the host announces no block size at all.
    static constexpr int defaultSliceLength = 1024;

    // Makes the editor for CreateEditor. The editor sits above the engine, so whoever builds the organ
    // with its editor hands the factory in; without one the organ has no editor.
    using EditorFactory = AudioFilterEditor* (*)(Brumalux& filter);

    explicit Brumalux(EditorFactory editorFactory = nullptr);

    void FillProperties(PluginProperties& properties) override;
    int PrepareToPlay(double newSampleRate, int samplesPerBlock) override;
    void ReleaseResources() override;
    void ProcessBlock(const juce::AudioSampleBuffer& input, juce::AudioSampleBuffer& output,
                      bool accumulateOutput, juce::MidiBuffer& midiMessages) override;
    AudioFilterEditor* CreateEditor() override;

    // "Unused" is the organ's own: every block sets it from "Distortion". Hosts read the
    // value the next block will set, so a program just chosen or loaded reads the same
    // before and after it plays (hosts that compare would otherwise mark it modified at
    // once), and what they write to it is ignored. The stored value itself, which the
    // programs and the state keep, is left as it is. Any thread.
    float GetNormalisedParameter(int index) override;
    juce::String GetParameterText(int index) override;
    void SetNormalisedParameter(int index, float normalisedValue) override;

    // Message thread: a note played on the active editor's keyboard, for the next block.
    void HandleKeyboardMessage(const juce::Message& message);
    void handleMessage(const juce::Message& message) override { HandleKeyboardMessage(message); }

    // The player's tuning: any thread; the voices follow from the next block, the host hears of the
    // change from the message thread. An invalid tuning is ignored.
    void SetTuning(const Tuning& tuning);
    Tuning GetTuning() const;

    // The voice limit (see Polyphony): any thread; it holds from the next note-on. A limit out of range
    // is ignored.
    void SetPolyphony(int limit);
    int GetPolyphony() const;

    // Message thread: the MIDI program switches, the controllers' values and the player's changes of
    // the settings since the last call, told to the host.
    void DeliverPendingChanges() override;

    OrganParameters& Parameters() { return parameters; }
    // The default map until someone sets another (CreateOrgan hands it the player's own).
    ControllerMapping& Controllers() { return controllerMapping; }
    const VoicePool& Voices() const { return voices; }
    const OutputEffects& Effects() const { return outputEffects; }

protected:
    // The organ's settings in the saved state, each when it is not the default: the tuning
    // ("TUNE"), the controller map ("CMAP") and the voice limit ("POLY"). A state without
    // "TUNE" or "POLY" sets that setting back to its default; one without "CMAP" keeps the map.
    void WriteSettings(SettingsBlock& block) override;
    bool ParseSettings(const SettingsBlock& block, PendingSettings& apply) override;

    void EditorCreated(AudioFilterEditor& editor) override;
    void ActiveEditorGone() override;

private:
    bool IsPrepared() const { return mixBuffer.getNumChannels() > 0; }
    // False for an invalid tuning or limit, which changes nothing.
    bool StoreTuning(const Tuning& tuning);
    bool StorePolyphony(int limit);
    void ProcessSlice(const juce::MidiBuffer& midiMessages, int sliceStart, int sliceLength, bool lastSlice,
                      juce::AudioSampleBuffer& output, bool accumulateOutput, KeyMarks& keyMarks);

    // MIDI
    void ConsumeMidi(const juce::MidiBuffer& midiMessages, int sliceStart, int sliceLength, bool lastSlice,
                     KeyMarks& keyMarks);
    void HandleMidiEvent(const MidiEvent& event, KeyMarks& keyMarks);
    void StartNote(const MidiEvent& event, KeyMarks& keyMarks);
    void StopNote(const MidiEvent& event, KeyMarks& keyMarks);
    void SetController(const MidiEvent& event);
    void ReleasePedalHeldVoices(int position);
    void ResetControllers(int position);
    void AllNotesOff(KeyMarks& keyMarks);

    // Rendering
    void RenderVoices(int numSamples);
    void ApplyOutputEffects(juce::AudioSampleBuffer& output, int sliceStart, int sliceLength,
                            bool accumulateOutput);
    void RemoveFinishedVoices();

    // The open editor, under the callback lock: connected from ProcessBlock (audio thread) or
    // PrepareToPlay, forgotten there or from ActiveEditorGone (message thread).
    bool ActiveEditorNeedsConnecting() const;
    void ConnectEditor();
    void ForgetConnectedEditor();

    const EditorFactory createEditor;
    bool editorConnected = false;
    AudioFilterEditor* connectedEditor = nullptr; // the active editor when it was connected
    KeyboardDisplay* connectedKeyboard = nullptr; // its keyboard, marked from the audio thread

    KeyboardHandOff pendingKeyboardMessages;
    MidiEvent keyboardEvents[KeyboardHandOff::maxTaken]; // the audio thread's copy of the taken messages

    // All the organ's noise, in one sequence: the same for every instance and every run. Declared before
    // the effects and shapes that draw from it.
    WhiteNoise noise;
    OutputEffects outputEffects{noise};
    VoicePool voices;
    juce::AudioBuffer<float> mixBuffer;   // one channel of the prepared slice length; none when unprepared
    juce::AudioBuffer<float> spareOutput; // stands in for output channels the host did not provide
    float sampleRate = 0.0f;

    OrganShapes shapes{noise};
    TrackedEnvelope percussionEnvelope; // shared by every voice, evaluated at each voice's own time
    PerformanceControls controls;
    SwellPedal swell;
    OrganParameters parameters;
    ControllerMapping controllerMapping{GetParameterManager()};
    // Written by the message thread (the editor's menu) and state loads, read once per block.
    std::atomic<int> transpose{0};
    std::atomic<float> reference{Tuning::defaultReference};
    std::atomic<int> polyphony{Polyphony::defaultVoices}; // the same, read at every note-on
    // The tuning or the voice limit set by the player, not by a state load: the host is told.
    std::atomic<bool> settingsChangedByPlayer{false};
};

} // namespace brumalux
