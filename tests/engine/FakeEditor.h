#pragma once

#include "engine/Brumalux.h"
#include "framework/AudioFilterEditor.h"
#include "framework/EditorLink.h"

#include <array>

namespace brumalux
{

// Records what the engine does to the open editor's keyboard. Counts only, so that it allocates nothing
// when called from a block.
class FakeKeyboard : public KeyboardDisplay
{
public:
    void AddNoteTarget(juce::MessageListener* target) override { noteTarget = target; }
    void SetKeyState(int noteNumber, bool down) override
    {
        ++(down ? downMarks : upMarks)[static_cast<size_t>(noteNumber)];
        ++keyCalls;
    }
    void ReleaseAllKeys() override { ++allKeysReleased; }
    void RequestRepaint() override { ++repaintRequests; }

    juce::MessageListener* noteTarget = nullptr;
    std::array<int, 128> downMarks{}, upMarks{};
    int keyCalls = 0;
    int allKeysReleased = 0;
    int repaintRequests = 0;
};

class CountingListener : public juce::ChangeListener
{
public:
    void changeListenerCallback(juce::ChangeBroadcaster*) override { ++callbacks; }
    int callbacks = 0;
};

// An editor that takes part in the engine's connection, as the organ's own editor does.
class FakeEditor : public AudioFilterEditor, public ConnectableEditor
{
public:
    FakeEditor(Brumalux& ownerOrgan, CountingListener& listenerToUse)
        : AudioFilterEditor(ownerOrgan),
          organ(ownerOrgan),
          listener(listenerToUse)
    {
    }
    ~FakeEditor() override
    {
        GetOwnerFilter().EditorBeingDeleted(this);
        organ.GetParameterManager().removeChangeListener(&listener);
    }

    KeyboardDisplay& GetKeyboard() override { return keyboard; }
    void SyncControlsFromParameters() override { ++syncs; }
    void FollowParameterChanges() override { organ.GetParameterManager().addChangeListener(&listener); }

    FakeKeyboard keyboard;
    int syncs = 0;

private:
    Brumalux& organ;
    CountingListener& listener;
};

// An organ whose CreateEditor makes a FakeEditor. Each editor gets the next listener, which outlives it.
class OrganWithFakeEditor : public Brumalux
{
public:
    AudioFilterEditor* CreateEditor() override { return new FakeEditor(*this, listeners.at(editorsMade++)); }
    FakeEditor* OpenEditor() { return static_cast<FakeEditor*>(CreateEditorAndMakeActive()); }

    std::array<CountingListener, 4> listeners;
    size_t editorsMade = 0;
};

} // namespace brumalux
