// How the organ meets its open editor: connecting it, and taking the notes played on its keyboard.
#include "engine/Brumalux.h"

#include "framework/AudioFilterEditor.h"
#include "framework/EditorLink.h"

namespace brumalux
{

namespace
{
// The velocity of every note played with the mouse: 0.8 of full velocity, truncated.
constexpr juce::uint8 keyboardVelocity = 101;
} // namespace

bool Brumalux::ActiveEditorNeedsConnecting() const
{
    // Compared by pointer too: a host may open a new editor without closing the old one first.
    const AudioFilterEditor* active = GetActiveEditor();
    return active != nullptr && (!editorConnected || active != connectedEditor);
}

// Everything that binds a new editor to the organ belongs to the message thread and may
// allocate, so it happens here, when the editor is made, and not when a block meets it.
void Brumalux::EditorCreated(AudioFilterEditor& newEditor)
{
    auto* editor = dynamic_cast<ConnectableEditor*>(&newEditor);
    if (editor == nullptr)
        return; // an editor that does not take part: nothing to connect
    editor->GetKeyboard().AddNoteTarget(this);
    editor->SyncControlsFromParameters();
    editor->FollowParameterChanges();
}

// On the audio thread (or while preparing), under the callback lock: only takes the keyboard
// to mark keys on. It calls nothing that could block, allocate or reach the host.
void Brumalux::ConnectEditor()
{
    ForgetConnectedEditor();
    AudioFilterEditor* active = GetActiveEditor();
    connectedEditor = active;
    editorConnected = true;
    if (auto* editor = dynamic_cast<ConnectableEditor*>(active))
        connectedKeyboard = &editor->GetKeyboard();
}

void Brumalux::ActiveEditorGone()
{
    ForgetConnectedEditor();
}

void Brumalux::ForgetConnectedEditor()
{
    editorConnected = false;
    connectedEditor = nullptr;
    connectedKeyboard = nullptr;
}

void Brumalux::HandleKeyboardMessage(const juce::Message& message)
{
    const auto* note = dynamic_cast<const KeyboardNoteMessage*>(&message);
    if (note == nullptr)
        return;
    // The callback lock first (a block in progress finishes), then the list's own lock inside Post.
    const juce::ScopedLock lock(GetCallbackLock());
    auto* editor = dynamic_cast<ConnectableEditor*>(GetActiveEditor());
    if (editor == nullptr || note->sender != &editor->GetKeyboard())
        return;
    const int noteNumber = note->noteNumber & 127;
    if (note->status == KeyboardNoteMessage::noteOnStatus)
        pendingKeyboardMessages.Post(juce::MidiMessage::noteOn(1, noteNumber, keyboardVelocity));
    else if (note->status == KeyboardNoteMessage::noteOffStatus)
        pendingKeyboardMessages.Post(juce::MidiMessage::noteOff(1, noteNumber, juce::uint8{0}));
}

} // namespace brumalux
